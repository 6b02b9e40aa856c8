#include "geometry/Matrix4.h"

#include <cmath>

#include "geometry/MatrixFunctions.h"

void Matrix4::SetIdentity() {
  for (double& e : m) e = 0.0;
  m[0] = m[5] = m[10] = m[15] = 1.0;
}

void Matrix4::SetRotationX(double a) {
  SetIdentity();
  m[5] = std::cos(a);
  m[6] = std::sin(a);
  m[9] = -std::sin(a);
  m[10] = std::cos(a);
}

void Matrix4::SetRotationY(double a) {
  SetIdentity();
  m[0] = std::cos(a);
  m[2] = -std::sin(a);
  m[8] = std::sin(a);
  m[10] = std::cos(a);
}

void Matrix4::SetRotationZ(double a) {
  SetIdentity();
  m[0] = std::cos(a);
  m[1] = std::sin(a);
  m[4] = -std::sin(a);
  m[5] = std::cos(a);
}

Matrix4 Matrix4::Multiply(const Matrix4& other) const {
  Matrix4 r;
  for (int c = 0; c < 4; ++c) {
    for (int row = 0; row < 4; ++row) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += m[4 * k + row] * other.m[4 * c + k];
      r.m[4 * c + row] = sum;
    }
  }
  return r;
}

Vec3 Matrix4::TransformPoint(const Vec3& p) const {
  return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
          m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
          m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
}

bool Matrix4::SetAxisRotation(const Vec3& axis, double c, double s) {
  if (c == 1.0 && s == 0.0) {
    SetIdentity();
    return true;
  }
  if (axis.Length() == 0.0) {
    SetIdentity();
    return false;
  }
  Vec3 u = axis;
  u.Normalize();
  const double x = u.x, y = u.y, z = u.z;
  const double t = 1.0 - c;
  for (double& e : m) e = 0.0;
  m[15] = 1.0;
  m[0] = x * x + c * (1.0 - x * x);
  m[1] = t * x * y + s * z;
  m[2] = t * x * z - s * y;
  m[4] = t * x * y - s * z;
  m[5] = y * y + c * (1.0 - y * y);
  m[6] = t * y * z + s * x;
  m[8] = t * x * z + s * y;
  m[9] = t * y * z - s * x;
  m[10] = z * z + c * (1.0 - z * z);
  return true;
}

Matrix4 Matrix4::Transposed() const {
  Matrix4 t;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) t.m[4 * c + r] = m[4 * r + c];
  return t;
}

bool Matrix4::Invert() {
  if (std::fabs(Determinant(m, 4)) < 1e-11) return false;
  const Matrix4 transposed = Transposed();
  Matrix4 inverse;
  if (!InvertSquare(transposed.m, inverse.m, 4)) return false;
  *this = inverse.Transposed();
  return true;
}
