#include "tree/ViewerInput.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "gl/HeadlessWindow.h"
#include "gl/SceneWindows.h"
#include "model/BranchModel.h"
#include "tree/TreeRenderer.h"

namespace {

// The main frame's timer calls, in order.
struct TimerCall {
  bool start;
  int id;
  int periodMs;
  bool operator==(const TimerCall&) const = default;
};

class RecordingTimer : public TimerOwner {
 public:
  void StartTimer(int id, int periodMs) override { calls.push_back({true, id, periodMs}); }
  void StopTimer(int id) override { calls.push_back({false, id, 0}); }
  std::vector<TimerCall> calls;
};

const TimerCall kStart{true, 1, 30};
const TimerCall kStop{false, 1, 0};

const Vec3 kEye(0, 0.8, 2.41);

// OpenGL keeps its matrices in single precision.
constexpr double kGlFloat = 1e-5;

void ExpectNear(const Vec3& actual, const Vec3& expected, double tolerance = 1e-12) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

bool IsFinite(const Vec3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

class ViewerInputTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 200;
  static constexpr int kHeight = 150;

  void SetUp() override {
    DeleteAll();
    windows = GetSceneWindows();
    ASSERT_TRUE(CreateOnSurface(tree(), surface));
    windows->timerWindow = &timer;
    // The tree view's paint: the whole pane through the scene protocol.
    surface.onPaint = [this] {
      tree().BeginScene();
      GetTreeRenderer()->Draw();
      tree().EndScene();
    };
    input = GetViewerInput();
  }
  void TearDown() override {
    HeadlessSurface::LoseCapture();
    tree().Destroy();
    DeleteAll();
  }
  static void DeleteAll() {
    DeleteViewerInput();
    DeleteTreeRenderer();
    DeleteBranchModel();
    DeleteSceneWindows();
  }

  CGLWindow& tree() { return windows->treeWindow; }
  std::vector<Vec3>& stroke() { return GetTreeRenderer()->strokePoints; }

  // The ground point under a client point, seen from the front view: the
  // plane z = 0 lies 2.41 ahead, the pane's height spans 45 degrees.
  static Vec3 FrontViewGround(int x, int y) {
    const double halfHeight = 2.41 * std::tan(22.5 * M_PI / 180.0);
    const double aspect = double(kWidth) / kHeight;
    const double ndcX = 2.0 * x / kWidth - 1.0;
    const double ndcY = 2.0 * (kHeight - y) / kHeight - 1.0;
    return {ndcX * aspect * halfHeight, 0.8 + ndcY * halfHeight, 0.0};
  }

  HeadlessSurface surface{kWidth, kHeight};
  RecordingTimer timer;
  CSceneWindows* windows = nullptr;
  CViewerInput* input = nullptr;
};

TEST_F(ViewerInputTest, CreatedIdleOnce) {
  EXPECT_EQ(GetViewerInput(), input);
  EXPECT_FALSE(input->leftDown);
  EXPECT_FALSE(input->rightDown);
  EXPECT_FALSE(input->middleDown);
}

TEST_F(ViewerInputTest, GroundPointsOfTheFrontView) {
  const ClientPoint points[] = {{100, 75}, {0, 0}, {200, 150}, {37, 120}, {150, 10}};
  for (const ClientPoint& p : points) {
    SCOPED_TRACE(testing::Message() << "(" << p.x << ", " << p.y << ")");
    Vec3 ground(9, 9, 9);
    ground.degenerate = true;
    ASSERT_TRUE(input->GroundPoint(p, ground));
    ExpectNear(ground, FrontViewGround(p.x, p.y), kGlFloat);
    EXPECT_NEAR(ground.z, 0.0, 1e-12);
    EXPECT_FALSE(ground.degenerate);
  }
}

TEST_F(ViewerInputTest, PressSnapsBackToTheFrontViewAndStartsAStroke) {
  GetTreeRenderer()->BeginStroke({5, 5, 5});
  GetTreeRenderer()->GrowStroke({0, 1, 0});
  tree().RotateEye(1.2, 0.4);  // after a stroke's auto-rotation and an orbit

  input->LeftButtonDown({100, 75});
  EXPECT_TRUE(input->leftDown);
  EXPECT_EQ(timer.calls, std::vector<TimerCall>{kStop});
  ExpectNear(tree().eye, kEye, 0);
  ExpectNear(tree().center, {0, 0.8, 0}, 0);
  ExpectNear(tree().up, {0, 1, 0}, 0);
  ASSERT_EQ(stroke().size(), 1u);
  ExpectNear(stroke()[0], {0, 0.8, 0}, kGlFloat);
  EXPECT_EQ(GetTreeRenderer()->strokeActive, 1.0);
  // The press neither repaints nor captures the mouse.
  EXPECT_EQ(surface.repaintCount, 0);
  EXPECT_FALSE(surface.HasMouseCapture());
  EXPECT_FALSE(tree().dragging);
}

TEST_F(ViewerInputTest, MovesGrowTheStrokeOneStepAtATimeUpToTenPoints) {
  // From the bottom edge to the top edge: far enough for all ten points.
  const Vec3 start = FrontViewGround(100, 149);
  const Vec3 top = FrontViewGround(100, 0);
  input->LeftButtonDown({100, 149});
  double step = 0.35, height = start.y;
  for (int move = 1; move <= 12; ++move) {
    SCOPED_TRACE(testing::Message() << "move " << move);
    input->MouseMove({100, 0});
    EXPECT_EQ(surface.repaintCount, move);  // every move repaints, also the idle ones
    if (move < CTreeRenderer::kMaxStrokePoints) {
      height += step;
      step *= 0.85;
    }
    ASSERT_EQ(stroke().size(), std::min<std::size_t>(move + 1, CTreeRenderer::kMaxStrokePoints));
    ExpectNear(stroke().back(), {0, height, 0}, kGlFloat);
    ExpectNear(GetTreeRenderer()->strokeTarget, top, kGlFloat);
  }
  EXPECT_LT(height, top.y);

  // Moves close to the last point add nothing: less than one step away.
  DeleteTreeRenderer();
  input->LeftButtonDown({100, 75});
  input->MouseMove({100, 60});
  EXPECT_EQ(stroke().size(), 1u);
  ExpectNear(GetTreeRenderer()->strokeTarget, FrontViewGround(100, 60), kGlFloat);
}

TEST_F(ViewerInputTest, ReleaseEndsTheStrokeRepaintsAndStartsTheTimer) {
  input->LeftButtonDown({100, 75});
  input->MouseMove({100, 0});
  ASSERT_EQ(stroke().size(), 2u);
  const int repaints = surface.repaintCount;
  input->LeftButtonUp({1, 2});
  EXPECT_FALSE(input->leftDown);
  EXPECT_EQ(GetTreeRenderer()->strokeActive, 0.0);
  EXPECT_EQ(stroke().size(), 2u);
  EXPECT_EQ(surface.repaintCount, repaints + 1);
  EXPECT_EQ(timer.calls, (std::vector<TimerCall>{kStop, kStart}));
  // After the release, moves are plain moves.
  input->MouseMove({100, 10});
  EXPECT_EQ(stroke().size(), 2u);
  EXPECT_EQ(surface.repaintCount, repaints + 1);
}

TEST_F(ViewerInputTest, DoubleClickPlantsNoSecondTree) {
  input->LeftButtonDown({100, 75});
  input->MouseMove({100, 0});
  input->LeftButtonUp({100, 0});
  const std::vector<Vec3> planted = stroke();
  tree().RotateEye(0.015, 0);  // a tick between the clicks

  input->DoubleClick({100, 0});
  EXPECT_FALSE(input->leftDown);
  ASSERT_EQ(stroke().size(), planted.size());
  ExpectNear(stroke().back(), planted.back(), 0);
  EXPECT_NE(tree().eye.x, 0.0);  // no reset either
  input->LeftButtonUp({100, 0});
  EXPECT_EQ(timer.calls, (std::vector<TimerCall>{kStop, kStart, kStart}));
  EXPECT_EQ(surface.repaintCount, 3);
}

TEST_F(ViewerInputTest, ReleaseWithoutPressAndWithoutTimerWindow) {
  input->LeftButtonUp({0, 0});
  EXPECT_EQ(timer.calls, std::vector<TimerCall>{kStart});
  EXPECT_EQ(surface.repaintCount, 1);
  EXPECT_TRUE(stroke().empty());

  windows->timerWindow = nullptr;  // before the main frame stored itself
  input->LeftButtonDown({100, 75});
  input->LeftButtonUp({100, 75});
  EXPECT_EQ(stroke().size(), 1u);
  EXPECT_EQ(timer.calls.size(), 1u);
}

TEST_F(ViewerInputTest, CameraDragsWithRightAndMiddleButtons) {
  const double s = std::sin(0.5), c = std::cos(0.5);
  const struct {
    void (*down)(CViewerInput&, const ClientPoint&);
    void (*up)(CViewerInput&, const ClientPoint&);
    bool (*held)(const CViewerInput&);
    int mode;
    ClientPoint to;
    Vec3 eye;
  } drags[] = {
      {[](CViewerInput& in, const ClientPoint& p) { in.RightButtonDown(p); },
       [](CViewerInput& in, const ClientPoint& p) { in.RightButtonUp(p); },
       [](const CViewerInput& in) { return in.rightDown; }, kDragOrbit, {150, 50},
       {-2.41 * s, 0.8, 2.41 * c}},
      {[](CViewerInput& in, const ClientPoint& p) { in.MiddleButtonDown(p); },
       [](CViewerInput& in, const ClientPoint& p) { in.MiddleButtonUp(p); },
       [](const CViewerInput& in) { return in.middleDown; }, kDragDolly, {50, 350},
       {0, 0.8, 1.41}},
  };
  for (const auto& drag : drags) {
    SCOPED_TRACE(drag.mode == kDragOrbit ? "orbit" : "dolly");
    tree().ResetEye();
    const int repaints = surface.repaintCount;
    drag.down(*input, {50, 50});
    EXPECT_TRUE(drag.held(*input));
    EXPECT_TRUE(tree().dragging);
    EXPECT_EQ(tree().dragMode, drag.mode);
    EXPECT_EQ(tree().lastMouseX, 50);
    EXPECT_EQ(tree().lastMouseY, 50);
    EXPECT_TRUE(surface.HasMouseCapture());

    input->MouseMove(drag.to);
    ExpectNear(tree().eye, drag.eye);
    EXPECT_EQ(surface.repaintCount, repaints + 1);

    drag.up(*input, {0, 0});
    EXPECT_FALSE(drag.held(*input));
    EXPECT_FALSE(tree().dragging);
    EXPECT_FALSE(surface.HasMouseCapture());
    EXPECT_EQ(surface.repaintCount, repaints + 1);  // the release repaints nothing
    input->MouseMove({0, 0});
    ExpectNear(tree().eye, drag.eye);
  }
  EXPECT_TRUE(timer.calls.empty());
}

TEST_F(ViewerInputTest, StrokeTakesPrecedenceOverCameraDrag) {
  input->LeftButtonDown({100, 75});
  input->RightButtonDown({100, 75});
  input->MouseMove({100, 0});
  ExpectNear(tree().eye, kEye, 0);
  EXPECT_EQ(stroke().size(), 2u);
  input->RightButtonUp({100, 0});
  input->LeftButtonUp({100, 0});
  EXPECT_EQ(stroke().size(), 2u);
}

TEST_F(ViewerInputTest, OrbitDuringAutoRotationKeepsTheTimerTurning) {
  input->LeftButtonDown({100, 75});
  input->LeftButtonUp({100, 75});
  input->RightButtonDown({50, 50});
  tree().RotateEye(0.015, 0);  // what a timer tick does
  input->MouseMove({150, 50});
  tree().RotateEye(0.015, 0);
  const Vec3 offset = tree().eye - tree().center;
  EXPECT_NEAR(std::atan2(offset.x, offset.z), 0.03 - 0.5, 1e-12);
  EXPECT_EQ(timer.calls, (std::vector<TimerCall>{kStop, kStart}));
  input->RightButtonUp({150, 50});
}

TEST_F(ViewerInputTest, CaptureHeldElsewhere) {
  HeadlessSurface controller(8, 8);

  // A release that no press in this pane preceded releases nothing.
  controller.CaptureMouse();
  input->RightButtonUp({0, 0});
  input->MiddleButtonUp({0, 0});
  EXPECT_TRUE(controller.HasMouseCapture());

  // A drag whose capture was lost ignores the moves, still repaints, and
  // cannot be ended by its release; the next press starts afresh.
  input->RightButtonDown({10, 10});
  HeadlessSurface::LoseCapture();
  input->MouseMove({110, 10});
  ExpectNear(tree().eye, kEye, 0);
  EXPECT_EQ(tree().lastMouseX, 10);
  EXPECT_EQ(surface.repaintCount, 1);
  input->RightButtonUp({110, 10});
  EXPECT_FALSE(input->rightDown);
  EXPECT_TRUE(tree().dragging);
  input->MiddleButtonDown({10, 10});
  input->MouseMove({10, 310});
  ExpectNear(tree().eye, {0, 0.8, 1.41});
  input->MiddleButtonUp({10, 310});
  EXPECT_FALSE(tree().dragging);
}

TEST_F(ViewerInputTest, NoGroundPointFeedsNothingToTheStroke) {
  input->LeftButtonDown({100, 75});
  input->MouseMove({100, 0});
  ASSERT_EQ(stroke().size(), 2u);
  const Vec3 target = GetTreeRenderer()->strokeTarget;

  // A remote command turns the camera edge-on to the plane mid-stroke.
  tree().eye = Vec3(3, 0.8, 0);
  surface.RepaintNow();
  input->MouseMove({100, 75});
  input->MouseMove({0, 75});
  for (const Vec3& p : stroke()) EXPECT_TRUE(IsFinite(p));
  EXPECT_TRUE(IsFinite(GetTreeRenderer()->strokeTarget));

  // An eye on the centre looks nowhere: no ray, no ground point.
  tree().eye = tree().center;
  surface.RepaintNow();
  const std::vector<Vec3> before = stroke();
  Vec3 ground(1, 2, 3);
  EXPECT_FALSE(input->GroundPoint({100, 75}, ground));
  ExpectNear(ground, {1, 2, 3}, 0);
  GetTreeRenderer()->strokeTarget = target;
  input->MouseMove({0, 75});
  EXPECT_EQ(stroke().size(), before.size());
  ExpectNear(GetTreeRenderer()->strokeTarget, target, 0);

  // A pane without a context has no ground points at all.
  input->LeftButtonUp({0, 0});
  tree().Destroy();
  EXPECT_FALSE(input->GroundPoint({100, 75}, ground));
  input->LeftButtonDown({100, 75});
  input->MouseMove({100, 0});
  EXPECT_EQ(stroke().size(), before.size());
}

TEST(ViewerInputLifetimeTest, DeleteCreatesNothing) {
  DeleteViewerInput();
  DeleteViewerInput();
  CViewerInput* input = GetViewerInput();
  input->leftDown = true;
  DeleteViewerInput();
  EXPECT_FALSE(GetViewerInput()->leftDown);
  DeleteViewerInput();
}

}  // namespace
