#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "Stroke.h"
#include "model/BranchModel.h"
#include "tree/TreeRenderer.h"

namespace {

class StrokePlantingTest : public ::testing::Test {
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
  CTreeRenderer* renderer = nullptr;
};

// The demo drag grows the steps asked for, upward, inside what the tree
// pane's default camera sees of the plane z = 0 (y from -0.2 to 1.8, x within
// ±1.29 at the default 900 x 700), and ends the stroke.
TEST_F(StrokePlantingTest, DemoDragGrowsTheStepsAskedForInsideTheDefaultView) {
  for (bool straight : {false, true}) {
    for (int steps : {0, 1, 4, 9}) {
      SCOPED_TRACE(::testing::Message() << (straight ? "straight " : "curved ") << steps);
      DragDemoStroke(*renderer, steps, straight);
      const std::vector<Vec3>& points = renderer->strokePoints;
      ASSERT_EQ(points.size(), static_cast<std::size_t>(steps) + 1);
      EXPECT_EQ(renderer->strokeActive, 0.0);
      for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_GT(points[i].y, -0.2);
        EXPECT_LT(points[i].y, 1.8);
        EXPECT_LT(std::abs(points[i].x), 1.29);
        EXPECT_EQ(points[i].z, 0.0);
        if (i == 0) continue;
        EXPECT_GT(points[i].y, points[i - 1].y);  // rising
        if (straight) {
          EXPECT_NEAR(points[i].x, points[0].x, 1e-12);
        } else {
          EXPECT_GT(points[i].x, points[i - 1].x);  // bending to one side
        }
      }
    }
  }
}

TEST_F(StrokePlantingTest, ExplicitPointsGiveTheStrokesDirections) {
  const std::vector<Vec3> points = {{0.1, 0, 0}, {0.1, 2, 0}, {1.1, 2, 0}, {1.1, 2, -3}};
  ASSERT_TRUE(GrowStrokeThrough(*renderer, points));
  const std::vector<Vec3>& stroke = renderer->strokePoints;
  ASSERT_EQ(stroke.size(), points.size());
  EXPECT_EQ(renderer->strokeActive, 0.0);
  EXPECT_EQ(stroke[0].x, 0.1);
  const Vec3 directions[] = {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}};
  double length = 0.35;
  for (std::size_t i = 1; i < stroke.size(); ++i, length *= 0.85) {
    const Vec3 step = stroke[i] - stroke[i - 1];
    const Vec3 expected = length * directions[i - 1];
    EXPECT_NEAR(step.x, expected.x, 1e-12) << i;
    EXPECT_NEAR(step.y, expected.y, 1e-12) << i;
    EXPECT_NEAR(step.z, expected.z, 1e-12) << i;
  }

  EXPECT_FALSE(GrowStrokeThrough(*renderer, {{0, 0, 0}, {0, 0, 0}}));  // no direction
}

}  // namespace
