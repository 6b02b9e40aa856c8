#include "geometry/MatrixFunctions.h"

#include <cmath>
#include <vector>

int IntPower(int base, int exponent) {
  int result = 1;
  int factor = base;
  for (unsigned e = exponent < 0 ? -static_cast<unsigned>(exponent) : exponent; e != 0; e >>= 1) {
    if (e & 1u) result *= factor;
    factor *= factor;
  }
  return exponent < 0 ? 1 / result : result;
}

namespace {

// The (n − 1) x (n − 1) minor of values without row skipRow and column skipColumn.
void Minor(const double* values, int n, int skipRow, int skipColumn, double* minor) {
  int k = 0;
  for (int r = 0; r < n; ++r) {
    if (r == skipRow) continue;
    for (int c = 0; c < n; ++c) {
      if (c != skipColumn) minor[k++] = values[r * n + c];
    }
  }
}

double Cofactor(const double* values, int n, int row, int column, double* scratch) {
  Minor(values, n, row, column, scratch);
  return IntPower(-1, row + column) * Determinant(scratch, n - 1);
}

}  // namespace

double Determinant(const double* v, int n) {
  if (n <= 0) return 0.0;
  if (n == 1) return v[0];
  if (n == 2) return v[0] * v[3] - v[1] * v[2];
  if (n == 3) {
    return v[0] * v[4] * v[8] + v[1] * v[5] * v[6] + v[2] * v[3] * v[7] - v[2] * v[4] * v[6] -
           v[1] * v[3] * v[8] - v[0] * v[5] * v[7];
  }
  std::vector<double> minor((n - 1) * (n - 1));
  double sum = 0.0;
  for (int i = 0; i < n; ++i) {
    sum += v[i * n] * Cofactor(v, n, i, 0, minor.data());
  }
  return sum;
}

bool InvertSquare(const double* source, double* target, int n) {
  if (n <= 0) return false;
  if (n == 1) {
    if (source[0] == 0.0) return false;
    target[0] = 1.0 / source[0];
    return true;
  }
  if (n == 2) {
    const double a = source[0], b = source[1], c = source[2], d = source[3];
    const double det = a * d - b * c;
    if (det == 0.0) return false;
    target[0] = d / det;
    target[1] = -b / det;
    target[2] = -c / det;
    target[3] = a / det;
    return true;
  }
  std::vector<double> minor((n - 1) * (n - 1));
  std::vector<double> cofactors(n * n);
  double det = 0.0;
  for (int i = 0; i < n; ++i) {
    cofactors[i * n] = Cofactor(source, n, i, 0, minor.data());
    det += source[i * n] * cofactors[i * n];
  }
  if (det == 0.0) return false;
  for (int j = 0; j < n; ++j) {
    for (int k = 1; k < n; ++k) cofactors[j * n + k] = Cofactor(source, n, j, k, minor.data());
  }
  for (int j = 0; j < n; ++j) {
    for (int k = 0; k < n; ++k) target[k * n + j] = cofactors[j * n + k] / det;
  }
  return true;
}

double SignedAngle(Vec3 from, Vec3 to, Vec3 axis) {
  from.Normalize();
  to.Normalize();
  const Vec3 c = from.Cross(to);
  double d = from.Dot(to);
  if (d > 1.0) d = 1.0;
  if (d < -1.0) d = -1.0;
  const double a = std::acos(d);
  return c.Dot(axis) < 0.0 ? -a : a;
}
