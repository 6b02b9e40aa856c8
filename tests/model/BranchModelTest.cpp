#include <gtest/gtest.h>

#include "model/BranchModel.h"

namespace {

class BranchModelTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteBranchModel(); }
  void TearDown() override { DeleteBranchModel(); }
};

TEST_F(BranchModelTest, DefaultsAfterCreation) {
  CBranchModel* model = GetBranchModel();
  ASSERT_EQ(model, GetBranchModel());
  EXPECT_EQ(model->trunkLength, 0.5);
  EXPECT_EQ(model->trunkWidth, 0.04);
  const bool expectedActive[] = {true, true, true, false, true, false};
  for (int i = 0; i < CBranchModel::kRecordCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(model->records[i].active, expectedActive[i]);
    EXPECT_FALSE(model->records[i].selected);
  }
  EXPECT_EQ(model->records[0].lengthRatio, 1.0);
  EXPECT_EQ(model->records[0].widthRatio, 1.0);
  EXPECT_EQ(model->records[1].lengthRatio, 0.85);
  EXPECT_EQ(model->records[1].widthRatio, 0.8);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(model->Handle(k).lengthRatio, 0.8);
    EXPECT_EQ(model->Handle(k).widthRatio, 0.8);
  }
}

TEST_F(BranchModelTest, HandlesLeanThirtyDegreesRoundTheAxis) {
  CBranchModel* model = GetBranchModel();
  const Vec3 expected[] = {{0.5, 0.8660254037844386, 0},
                           {0, 0.8660254037844386, -0.5},
                           {-0.5, 0.8660254037844386, 0},
                           {0, 0.8660254037844386, 0.5}};
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    const Vec3 tip = model->Handle(k).rotation.TransformPoint({0, 1, 0});
    EXPECT_NEAR(tip.x, expected[k].x, 1e-12);
    EXPECT_NEAR(tip.y, expected[k].y, 1e-12);
    EXPECT_NEAR(tip.z, expected[k].z, 1e-12);
  }
  // The literals sit just below π/6 and π/2: handle 0's lean is exactly
  // cos(0.5235987755982984), not cos(π/6) rounded differently.
  Matrix4 lean;
  lean.SetRotationZ(-0.5235987755982984);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(model->Handle(0).rotation.m[i], lean.m[i]);
}

TEST_F(BranchModelTest, ResetRestoresEveryFieldAndClearsSelection) {
  CBranchModel* model = GetBranchModel();
  model->trunkWidth = 0.06;
  model->trunkLength = 2;
  model->records[1].rotation.SetRotationX(1);
  model->records[1].lengthRatio = 1.3;
  model->Handle(1).active = true;
  model->Handle(2).active = false;
  model->Handle(3).selected = true;
  model->Handle(0).rotation.SetRotationX(0.3);
  model->Handle(0).widthRatio = 0.3;

  model->ResetDefaults();
  const CBranchModel fresh;
  EXPECT_EQ(model->trunkWidth, 0.04);
  EXPECT_EQ(model->trunkLength, 0.5);
  for (int i = 0; i < CBranchModel::kRecordCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(model->records[i].active, fresh.records[i].active);
    EXPECT_FALSE(model->records[i].selected);
    EXPECT_EQ(model->records[i].lengthRatio, fresh.records[i].lengthRatio);
    EXPECT_EQ(model->records[i].widthRatio, fresh.records[i].widthRatio);
    for (int e = 0; e < 16; ++e) EXPECT_EQ(model->records[i].rotation.m[e], fresh.records[i].rotation.m[e]);
  }
}

TEST_F(BranchModelTest, PickIdsAndHandleIndices) {
  CBranchModel* model = GetBranchModel();
  EXPECT_EQ(model->RecordForPickId(0), &model->records[1]);
  for (int id = 1; id <= 4; ++id) EXPECT_EQ(model->RecordForPickId(id), &model->records[id + 1]);
  EXPECT_EQ(model->RecordForPickId(5), nullptr);
  EXPECT_EQ(model->RecordForPickId(-1), nullptr);
  EXPECT_EQ(&model->Handle(3), &model->records[5]);
  EXPECT_TRUE(CBranchModel::IsHandleIndex(0));
  EXPECT_TRUE(CBranchModel::IsHandleIndex(3));
  EXPECT_FALSE(CBranchModel::IsHandleIndex(4));
  EXPECT_FALSE(CBranchModel::IsHandleIndex(-1));
}

TEST_F(BranchModelTest, RatioRangesAreInclusiveAndRejectNaN) {
  struct Case {
    double value;
    bool length, width;
  } const cases[] = {
      {0.2, true, true},       {1.0, true, true},          {1.5, true, false},
      {0.19999999, false, false}, {1.50000001, false, false}, {1.0000001, true, false},
      {std::numeric_limits<double>::quiet_NaN(), false, false},
      {std::numeric_limits<double>::infinity(), false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(CBranchModel::IsLengthRatio(c.value), c.length);
    EXPECT_EQ(CBranchModel::IsWidthRatio(c.value), c.width);
  }
}

}  // namespace
