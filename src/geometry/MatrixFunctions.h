#pragma once

#include "geometry/Vec3.h"

// base^exponent by repeated squaring; a negative exponent gives 1 divided by
// the power in integer division. Forms the cofactor signs (−1)^k.
int IntPower(int base, int exponent);

// Determinant of an n x n array stored row after row (0 for n <= 0).
double Determinant(const double* values, int n);

// Writes the inverse of the n x n array source into target; false, with
// target untouched, when the determinant is exactly 0 or n <= 0.
bool InvertSquare(const double* source, double* target, int n);

// The angle from `from` to `to` in [0, π], negative when (from × to) points
// against axis.
double SignedAngle(Vec3 from, Vec3 to, Vec3 axis);
