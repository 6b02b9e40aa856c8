#pragma once

// A three-component vector of doubles. The degenerate flag records that
// Normalize met a zero-length vector; it is part of the value and travels
// with copies. Every operation that builds a new vector clears it.
struct Vec3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  bool degenerate = false;

  constexpr Vec3() = default;
  constexpr Vec3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}

  double Length() const;
  // Copies the components of other; this keeps its own degenerate flag.
  Vec3 Assign(const Vec3& other);
  Vec3 Cross(const Vec3& other) const;
  double Dot(const Vec3& other) const { return x * other.x + y * other.y + z * other.z; }
  // Scales this vector to unit length in place without a zero test (a zero
  // vector becomes non-finite) and returns a copy.
  Vec3 Normalized();
  // Scales this vector to unit length in place; a vector of length exactly 0
  // is left as it is, marked degenerate, and false is returned.
  bool Normalize();
};

inline Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator-(const Vec3& a) { return {-a.x, -a.y, -a.z}; }
inline Vec3 operator*(double s, const Vec3& v) { return {s * v.x, s * v.y, s * v.z}; }
inline Vec3 operator*(const Vec3& v, double s) { return s * v; }
