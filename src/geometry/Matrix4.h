#pragma once

#include "geometry/Vec3.h"

// A 4x4 matrix of doubles in column-major order, the layout glMultMatrixd
// takes: element (row r, column c) is m[4c + r], m[12..14] the translation.
// A default-constructed matrix is the identity.
struct Matrix4 {
  double m[16];

  Matrix4() { SetIdentity(); }

  void SetIdentity();
  void SetRotationX(double a);
  void SetRotationY(double a);
  void SetRotationZ(double a);
  // this × other: applied to a point, other acts first, then this.
  Matrix4 Multiply(const Matrix4& other) const;
  // Applies the matrix to a point with w = 1, without a division.
  Vec3 TransformPoint(const Vec3& p) const;
  // Right-handed rotation about axis by the angle with cosine c and sine s,
  // as glRotated builds it. (1, 0) gives the identity whatever the axis; a
  // zero axis otherwise gives the identity and false.
  bool SetAxisRotation(const Vec3& axis, double c, double s);
  Matrix4 Transposed() const;
  // Replaces this by its inverse; false, and unchanged, when the
  // determinant's magnitude is below 1e-11.
  bool Invert();
};
