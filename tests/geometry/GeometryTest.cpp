#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "geometry/Matrix4.h"
#include "geometry/MatrixFunctions.h"
#include "geometry/Vec3.h"

namespace {

constexpr double kEps = 1e-12;
constexpr double kPi = std::numbers::pi;

void ExpectNear(const Vec3& actual, const Vec3& expected, double eps = kEps) {
  EXPECT_NEAR(actual.x, expected.x, eps);
  EXPECT_NEAR(actual.y, expected.y, eps);
  EXPECT_NEAR(actual.z, expected.z, eps);
}

Matrix4 SampleMatrix() {
  Matrix4 a, b, m;
  a.SetRotationX(0.3);
  b.SetRotationZ(-1.1);
  m = a.Multiply(b);
  m.m[12] = 1.5;
  m.m[13] = -2.0;
  m.m[14] = 0.25;
  m.m[0] *= 2.0;  // not orthogonal, so the inverse is not the transpose
  return m;
}

TEST(Vec3Test, NormalizeTestsForZeroLength) {
  Vec3 zero;
  EXPECT_FALSE(zero.Normalize());
  EXPECT_TRUE(zero.degenerate);
  ExpectNear(zero, {0, 0, 0});

  Vec3 v(3, 0, 4);
  EXPECT_TRUE(v.Normalize());
  ExpectNear(v, {0.6, 0, 0.8});
  EXPECT_FALSE(v.degenerate);
}

TEST(Vec3Test, NormalizedHasNoZeroTestAndClearsTheFlag) {
  Vec3 zero;
  zero.degenerate = true;
  const Vec3 n = zero.Normalized();
  EXPECT_FALSE(std::isfinite(n.x));
  EXPECT_FALSE(n.degenerate);

  Vec3 v(0, 2, 0);
  const Vec3 u = v.Normalized();
  ExpectNear(u, {0, 1, 0});
  ExpectNear(v, {0, 1, 0});  // in place as well
}

TEST(Vec3Test, AssignKeepsOwnFlagAndCrossFollowsTheRightHand) {
  Vec3 target;
  target.degenerate = true;
  Vec3 source(1, 2, 3);
  const Vec3 copy = target.Assign(source);
  ExpectNear(target, {1, 2, 3});
  EXPECT_TRUE(target.degenerate);
  EXPECT_TRUE(copy.degenerate);

  const Vec3 c = Vec3(1, 0, 0).Cross(Vec3(0, 1, 0));
  ExpectNear(c, {0, 0, 1});
  EXPECT_FALSE(c.degenerate);
}

struct AxisRotationCase {
  const char* name;
  void (Matrix4::*set)(double);
  Vec3 from, to;
};

TEST(Matrix4Test, RotationsMapTheirQuarterTurns) {
  const AxisRotationCase cases[] = {
      {"Z", &Matrix4::SetRotationZ, {1, 0, 0}, {0, 1, 0}},
      {"X", &Matrix4::SetRotationX, {0, 1, 0}, {0, 0, 1}},
      {"Y", &Matrix4::SetRotationY, {0, 0, 1}, {1, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Matrix4 r;
    (r.*c.set)(kPi / 2);
    ExpectNear(r.TransformPoint(c.from), c.to, 1e-15);
  }
}

TEST(Matrix4Test, StorageIsColumnMajorAndMultiplyAppliesTheRightOperandFirst) {
  Matrix4 t;
  t.m[12] = 5;  // translation lives in the last column
  ExpectNear(t.TransformPoint({1, 1, 1}), {6, 1, 1});

  Matrix4 a = SampleMatrix(), b;
  b.SetRotationY(0.7);
  b.m[13] = 3.0;
  const Vec3 p(0.3, -1.2, 2.0);
  ExpectNear(a.Multiply(b).TransformPoint(p), a.TransformPoint(b.TransformPoint(p)));
  ExpectNear(b.TransformPoint(p), Matrix4(b).TransformPoint(p));  // operands unchanged
}

TEST(Matrix4Test, AxisRotationMatchesTheAxisRotations) {
  Matrix4 r, z;
  EXPECT_TRUE(r.SetAxisRotation({0, 0, 2}, std::cos(0.4), std::sin(0.4)));
  z.SetRotationZ(0.4);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(r.m[i], z.m[i], kEps) << i;

  // cos 1, sin 0 is the identity even without an axis; otherwise no axis fails.
  Matrix4 identityCase;
  identityCase.m[3] = 7;
  EXPECT_TRUE(identityCase.SetAxisRotation({0, 0, 0}, 1.0, 0.0));
  EXPECT_EQ(identityCase.m[3], 0.0);
  Matrix4 failCase;
  failCase.m[3] = 7;
  EXPECT_FALSE(failCase.SetAxisRotation({0, 0, 0}, 0.0, 1.0));
  for (int i = 0; i < 16; ++i) EXPECT_EQ(failCase.m[i], Matrix4().m[i]) << i;
}

TEST(Matrix4Test, InvertGivesTheInverseOrRefusesNearSingular) {
  Matrix4 m = SampleMatrix();
  Matrix4 inverse = m;
  ASSERT_TRUE(inverse.Invert());
  const Matrix4 product = m.Multiply(inverse);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(product.m[i], Matrix4().m[i], 1e-12) << i;

  Matrix4 rotation;
  rotation.SetRotationY(1.2);
  Matrix4 rotationInverse = rotation;
  ASSERT_TRUE(rotationInverse.Invert());
  const Matrix4 transposed = rotation.Transposed();
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(rotationInverse.m[i], transposed.m[i], 1e-15);

  Matrix4 tiny;  // determinant 5e-12
  tiny.m[0] = 5e-12;
  const Matrix4 before = tiny;
  EXPECT_FALSE(tiny.Invert());
  for (int i = 0; i < 16; ++i) EXPECT_EQ(tiny.m[i], before.m[i]);
}

TEST(MatrixFunctionsTest, IntPower) {
  EXPECT_EQ(IntPower(-1, 0), 1);
  EXPECT_EQ(IntPower(-1, 3), -1);
  EXPECT_EQ(IntPower(-1, 4), 1);
  EXPECT_EQ(IntPower(3, 5), 243);
  EXPECT_EQ(IntPower(2, -1), 0);  // integer division
  EXPECT_EQ(IntPower(-1, -3), -1);
}

TEST(MatrixFunctionsTest, DeterminantOfEverySize) {
  const double one[] = {4};
  const double two[] = {1, 2, 3, 4};
  const double three[] = {2, 0, 1, 1, 3, 2, 1, 1, 2};
  // Lower triangular, so the first-column expansion visits every row.
  const double five[] = {2, 0, 0, 0, 0, 7, 3, 0, 0, 0, -1, 2, 1, 0, 0,
                         4, 4, 9, 4, 0, 3, -2, 6, 1, 5};
  const Matrix4 identity;
  EXPECT_EQ(Determinant(one, 0), 0.0);
  EXPECT_EQ(Determinant(one, -2), 0.0);
  EXPECT_EQ(Determinant(one, 1), 4.0);
  EXPECT_EQ(Determinant(two, 2), -2.0);
  EXPECT_EQ(Determinant(three, 3), 2 * (6 - 2) - 0 + 1 * (1 - 3));
  EXPECT_EQ(Determinant(identity.m, 4), 1.0);
  EXPECT_DOUBLE_EQ(Determinant(five, 5), 2.0 * 3.0 * 1.0 * 4.0 * 5.0);
}

TEST(MatrixFunctionsTest, InvertSquareOfEverySizeAndSingularInputs) {
  double target[25];
  const double one[] = {4};
  ASSERT_TRUE(InvertSquare(one, target, 1));
  EXPECT_EQ(target[0], 0.25);
  EXPECT_FALSE(InvertSquare(one, target, 0));

  const double two[] = {1, 2, 3, 4};
  ASSERT_TRUE(InvertSquare(two, target, 2));
  EXPECT_DOUBLE_EQ(target[0], -2);
  EXPECT_DOUBLE_EQ(target[1], 1);
  EXPECT_DOUBLE_EQ(target[2], 1.5);
  EXPECT_DOUBLE_EQ(target[3], -0.5);

  const double three[] = {2, 0, 1, 1, 3, 2, 1, 1, 2};
  ASSERT_TRUE(InvertSquare(three, target, 3));
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      double sum = 0;
      for (int k = 0; k < 3; ++k) sum += three[r * 3 + k] * target[k * 3 + c];
      EXPECT_NEAR(sum, r == c ? 1.0 : 0.0, kEps);
    }
  }

  const double singular[] = {1, 2, 3, 2, 4, 6, 0, 1, 1};
  for (double& t : target) t = 42;
  EXPECT_FALSE(InvertSquare(singular, target, 3));
  EXPECT_EQ(target[0], 42);  // untouched
  const double singularTwo[] = {1, 2, 2, 4};
  EXPECT_FALSE(InvertSquare(singularTwo, target, 2));
}

TEST(MatrixFunctionsTest, SignedAngle) {
  EXPECT_NEAR(SignedAngle({1, 0, 0}, {0, 1, 0}, {0, 0, 1}), kPi / 2, kEps);
  EXPECT_NEAR(SignedAngle({1, 0, 0}, {0, 1, 0}, {0, 0, -1}), -kPi / 2, kEps);
  EXPECT_EQ(SignedAngle({2, 0, 0}, {5, 0, 0}, {0, 0, 1}), 0.0);
  EXPECT_NEAR(SignedAngle({1, 0, 0}, {-3, 0, 0}, {0, 1, 0}), kPi, kEps);
  EXPECT_NEAR(SignedAngle({0, 0, 0}, {0, 1, 0}, {0, 0, 1}), kPi / 2, kEps);
}

}  // namespace
