#include "geometry/Vec3.h"

#include <cmath>

double Vec3::Length() const { return std::sqrt(x * x + y * y + z * z); }

Vec3 Vec3::Assign(const Vec3& other) {
  x = other.x;
  y = other.y;
  z = other.z;
  return *this;
}

Vec3 Vec3::Cross(const Vec3& o) const {
  return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
}

Vec3 Vec3::Normalized() {
  const double k = 1.0 / Length();
  x *= k;
  y *= k;
  z *= k;
  return {x, y, z};
}

bool Vec3::Normalize() {
  const double length = Length();
  if (length == 0.0) {
    degenerate = true;
    return false;
  }
  const double k = 1.0 / length;
  x *= k;
  y *= k;
  z *= k;
  return true;
}
