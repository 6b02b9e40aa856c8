#include <cmath>

#include "GuiHarness.h"
#include "app/GLCanvas.h"
#include "app/MainFrame.h"
#include "gl/SceneWindows.h"
#include "tree/TreeRenderer.h"
#include "tree/ViewerInput.h"

namespace {

using TreePaneTest = GuiTest;

bool AtDefaultEye(const CGLWindow& window) {
  return window.eye.x == 0.0 && window.eye.y == 0.8 && window.eye.z == 2.41 &&
         window.up.x == 0.0 && window.up.y == 1.0 && window.up.z == 0.0;
}

double DistanceToCentre(const CGLWindow& window) { return (window.eye - window.center).Length(); }

TEST_F(TreePaneTest, LeftDragPlantsAStrokeOnTheGroundAndTheReleaseStartsTheRotation) {
  CGLCanvas& pane = TreeCanvas();
  const CTreeRenderer& renderer = *GetTreeRenderer();
  const wxSize size = pane.GetClientSize();
  const wxPoint press(size.x / 2, size.y * 3 / 4);

  MouseDown(pane, press);
  EXPECT_TRUE(GetViewerInput()->leftDown);
  ASSERT_EQ(renderer.strokePoints.size(), 1u);
  // The first point lies on the ground under the press, seen from the
  // front view the press put the camera in.
  Vec3 ground;
  ASSERT_TRUE(GetViewerInput()->GroundPoint(ClientPoint{press.x, press.y}, ground));
  EXPECT_DOUBLE_EQ(renderer.strokePoints[0].x, ground.x);
  EXPECT_DOUBLE_EQ(renderer.strokePoints[0].y, ground.y);
  EXPECT_NEAR(renderer.strokePoints[0].z, 0.0, 1e-9);

  // Each move adds at most one point and repaints the pane.
  for (int i = 1; i <= 14; ++i) {
    const std::size_t points = renderer.strokePoints.size();
    const int swaps = pane.Surface().swapCount;
    MouseMoveTo(pane, wxPoint(press.x + 3 * i, press.y - 25 * i));
    EXPECT_LE(renderer.strokePoints.size(), points + 1);
    EXPECT_GT(pane.Surface().swapCount, swaps);
  }
  EXPECT_GE(renderer.strokePoints.size(), 3u);
  EXPECT_LE(renderer.strokePoints.size(), std::size_t{CTreeRenderer::kMaxStrokePoints});
  for (const Vec3& point : renderer.strokePoints) EXPECT_NEAR(point.z, 0.0, 1e-9);
  EXPECT_FALSE(Frame().IsTimerRunning(CSceneWindows::kAutoRotateTimerId));

  MouseUp();
  EXPECT_FALSE(GetViewerInput()->leftDown);
  EXPECT_TRUE(Frame().IsTimerRunning(CSceneWindows::kAutoRotateTimerId));
  // The eye turns about the vertical through the centre on the next ticks.
  ASSERT_TRUE(WaitUntil([&] { return TreeWindow().eye.x != 0.0; }, "the eye to turn"));
  EXPECT_NEAR(DistanceToCentre(TreeWindow()), 2.41, 1e-9);
  EXPECT_NEAR(TreeWindow().eye.y, 0.8, 1e-9);

  // The next press stops the rotation and puts the camera back to the front.
  MouseDown(pane, press);
  EXPECT_FALSE(Frame().IsTimerRunning(CSceneWindows::kAutoRotateTimerId));
  EXPECT_TRUE(AtDefaultEye(TreeWindow()));
  EXPECT_EQ(renderer.strokePoints.size(), 1u);
  MouseUp();
}

TEST_F(TreePaneTest, RightDragOrbitsTheEyeWithTheMouseCaptured) {
  CGLCanvas& pane = TreeCanvas();
  const wxPoint start(pane.GetClientSize().x / 2, pane.GetClientSize().y / 2);
  ASSERT_TRUE(AtDefaultEye(TreeWindow()));

  MouseDown(pane, start, wxMOUSE_BTN_RIGHT);
  EXPECT_TRUE(pane.HasCapture());
  // 100 pixels to the right: -0.5 radians about the up vector.
  MouseMoveTo(pane, start + wxPoint(100, 0));
  EXPECT_NEAR(TreeWindow().eye.x, 2.41 * std::sin(-0.5), 1e-9);
  EXPECT_NEAR(TreeWindow().eye.z, 2.41 * std::cos(-0.5), 1e-9);
  EXPECT_NEAR(TreeWindow().eye.y, 0.8, 1e-9);
  EXPECT_TRUE(GetTreeRenderer()->strokePoints.empty());

  MouseUp(wxMOUSE_BTN_RIGHT);
  EXPECT_FALSE(pane.HasCapture());
  EXPECT_FALSE(TreeWindow().dragging);
  // Moves after the release leave the camera alone.
  const Vec3 eye = TreeWindow().eye;
  MouseMoveTo(pane, start);
  EXPECT_EQ(TreeWindow().eye.x, eye.x);
}

TEST_F(TreePaneTest, ScreenshotOfTheWholeWindowShowsThePlantedTree) {
  CGLCanvas& pane = TreeCanvas();
  const auto litPixels = [&] {
    const wxImage image = ScreenImage(pane);
    int lit = 0;
    for (int y = 0; y < image.GetHeight(); ++y) {
      for (int x = 0; x < image.GetWidth(); ++x) {
        if (image.GetRed(x, y) + image.GetGreen(x, y) + image.GetBlue(x, y) > 60) ++lit;
      }
    }
    return lit;
  };
  const int litBefore = litPixels();  // the axes only

  const wxSize size = pane.GetClientSize();
  const wxPoint press(size.x / 2, size.y * 9 / 10);
  MouseDown(pane, press);
  for (int i = 1; i <= 12; ++i) MouseMoveTo(pane, press - wxPoint(0, 40 * i));
  MouseUp();
  ASSERT_GE(GetTreeRenderer()->strokePoints.size(), 5u);

  Settle();
  EXPECT_GT(litPixels(), litBefore + 1000) << "the tree pane shows no tree";
  const std::string path = "dendrix-window.png";
  ASSERT_TRUE(ScreenImage(Frame().GetScreenRect()).SaveFile(path, wxBITMAP_TYPE_PNG));
  RecordProperty("screenshot", path);
}

}  // namespace
