#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "model/BranchModel.h"
#include "tree/TreeRenderer.h"

namespace {

constexpr double kEps = 1e-12;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

void ExpectNear(const Vec3& actual, const Vec3& expected, double eps = kEps) {
  EXPECT_NEAR(actual.x, expected.x, eps);
  EXPECT_NEAR(actual.y, expected.y, eps);
  EXPECT_NEAR(actual.z, expected.z, eps);
}

class StrokeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteTreeRenderer();
    DeleteBranchModel();
    renderer = GetTreeRenderer();
  }
  void TearDown() override {
    DeleteTreeRenderer();
    DeleteBranchModel();
  }

  // Drags towards target until the stroke stops growing.
  void ExtendUntilStopped(const Vec3& target) {
    std::size_t before;
    do {
      before = renderer->strokePoints.size();
      renderer->ExtendStroke(target);
    } while (renderer->strokePoints.size() != before);
  }

  CTreeRenderer* renderer = nullptr;
};

TEST_F(StrokeTest, ExtendAddsOneShrinkingStepTowardsTheTarget) {
  Vec3 start(0, 0, 0);
  start.degenerate = true;  // the pressed point is stored whole
  renderer->BeginStroke(start);
  EXPECT_EQ(renderer->strokeActive, 1.0);
  EXPECT_DOUBLE_EQ(renderer->stepLength, 0.35);
  ASSERT_EQ(renderer->strokePoints.size(), 1u);
  EXPECT_TRUE(renderer->strokePoints[0].degenerate);

  renderer->ExtendStroke({0, 0.3, 0});  // closer than one step: only the target moves
  EXPECT_EQ(renderer->strokePoints.size(), 1u);
  ExpectNear(renderer->strokeTarget, {0, 0.3, 0});

  renderer->ExtendStroke({0, 1, 0});
  ASSERT_EQ(renderer->strokePoints.size(), 2u);
  ExpectNear(renderer->strokePoints[1], {0, 0.35, 0});
  EXPECT_FALSE(renderer->strokePoints[1].degenerate);
  EXPECT_DOUBLE_EQ(renderer->stepLength, 0.2975);

  renderer->ExtendStroke({0, 1, 0});
  ASSERT_EQ(renderer->strokePoints.size(), 3u);
  ExpectNear(renderer->strokePoints[2], {0, 0.6475, 0});

  // Off the line: the step goes straight towards the target.
  const Vec3 last = renderer->strokePoints.back();
  const double step = renderer->stepLength;
  renderer->ExtendStroke({3, 4.6475, 0});
  ASSERT_EQ(renderer->strokePoints.size(), 4u);
  ExpectNear(renderer->strokePoints[3], last + step * Vec3(0.6, 0.8, 0));
}

TEST_F(StrokeTest, ADistanceOfExactlyOneStepAddsAPoint) {
  renderer->BeginStroke({0, 0, 0});
  renderer->ExtendStroke({0, 0, 0.35});
  ASSERT_EQ(renderer->strokePoints.size(), 2u);
  ExpectNear(renderer->strokePoints[1], {0, 0, 0.35});
}

TEST_F(StrokeTest, StopsAtTenPointsAndTheTargetFreezes) {
  renderer->BeginStroke({0.5, -0.2, 0});
  ExtendUntilStopped({0.5, 100, 0});
  ASSERT_EQ(renderer->strokePoints.size(), 10u);
  ExpectNear(renderer->strokeTarget, {0.5, 100, 0});

  // Every step is one main-axis segment: 0.35 · 0.85^k.
  for (std::size_t k = 1; k < 10; ++k) {
    const Vec3 step = renderer->strokePoints[k] - renderer->strokePoints[k - 1];
    EXPECT_NEAR(step.Length(), 0.35 * std::pow(0.85, k - 1), kEps) << k;
  }
  EXPECT_NEAR(renderer->stepLength, 0.35 * std::pow(0.85, 9), kEps);

  const std::vector<Vec3> full = renderer->strokePoints;
  renderer->ExtendStroke({-7, 3, 0});
  EXPECT_FALSE(renderer->GrowStroke({1, 0, 0}));
  EXPECT_EQ(renderer->strokePoints.size(), 10u);
  ExpectNear(renderer->strokeTarget, {0.5, 100, 0});
  ExpectNear(renderer->strokePoints.back(), full.back());
}

TEST_F(StrokeTest, BeginDiscardsThePreviousStrokeAndEndKeepsThePoints) {
  renderer->BeginStroke({0, 0, 0});
  ExtendUntilStopped({0, 100, 0});
  renderer->EndStroke();
  EXPECT_EQ(renderer->strokeActive, 0.0);
  EXPECT_EQ(renderer->strokePoints.size(), 10u);

  GetBranchModel()->trunkLength = 1.0;  // the first step follows the rule at begin time
  renderer->BeginStroke({1, 2, 0});
  ASSERT_EQ(renderer->strokePoints.size(), 1u);
  ExpectNear(renderer->strokePoints[0], {1, 2, 0});
  ExpectNear(renderer->strokeTarget, {1, 2, 0});
  EXPECT_DOUBLE_EQ(renderer->stepLength, 0.7);
  EXPECT_EQ(renderer->strokeActive, 1.0);
}

TEST_F(StrokeTest, GrowStepsInAGivenDirectionWithoutTouchingTargetOrActiveState) {
  EXPECT_FALSE(renderer->GrowStroke({0, 1, 0}));  // no stroke yet
  EXPECT_TRUE(renderer->strokePoints.empty());

  renderer->BeginStroke({1, 1, 0});
  renderer->EndStroke();
  GetBranchModel()->AxisRecord().lengthRatio = 0.5;
  EXPECT_TRUE(renderer->GrowStroke({0, 3, 4}));
  EXPECT_TRUE(renderer->GrowStroke({-2, 0, 0}));
  ASSERT_EQ(renderer->strokePoints.size(), 3u);
  ExpectNear(renderer->strokePoints[1], {1, 1 + 0.35 * 0.6, 0.35 * 0.8});
  ExpectNear(renderer->strokePoints[2], renderer->strokePoints[1] + Vec3(-0.175, 0, 0));
  EXPECT_DOUBLE_EQ(renderer->stepLength, 0.0875);
  ExpectNear(renderer->strokeTarget, {1, 1, 0});
  EXPECT_EQ(renderer->strokeActive, 0.0);
}

// Directions and targets without a usable step leave the stroke as it was.
TEST_F(StrokeTest, RefusesStepsWithoutAFiniteEnd) {
  const Vec3 unusable[] = {{0, 0, 0},       {kNaN, 0, 0},       {0, kInf, 0},
                           {0, 0, -kInf},   {kInf, kInf, 0},    {kNaN, kNaN, kNaN},
                           {1e200, 0, 0}};  // finite, but its length overflows
  renderer->BeginStroke({0, 0, 0});
  for (const Vec3& v : unusable) {
    SCOPED_TRACE(::testing::Message() << v.x << " " << v.y << " " << v.z);
    EXPECT_FALSE(renderer->GrowStroke(v));
    renderer->ExtendStroke(v);
    ASSERT_EQ(renderer->strokePoints.size(), 1u);
    EXPECT_DOUBLE_EQ(renderer->stepLength, 0.35);
  }
  // Still usable afterwards.
  renderer->ExtendStroke({0, 1, 0});
  EXPECT_EQ(renderer->strokePoints.size(), 2u);
}

TEST_F(StrokeTest, ExtendWithoutAStrokeChangesNothing) {
  renderer->ExtendStroke({0, 5, 0});
  EXPECT_TRUE(renderer->strokePoints.empty());
  ExpectNear(renderer->strokeTarget, {0, 0, 0});
}

}  // namespace
