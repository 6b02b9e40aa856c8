#include <EGL/egl.h>
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "gl/HeadlessWindow.h"

namespace {

using Matrix = std::array<double, 16>;

Matrix Modelview() {
  Matrix m{};
  glGetDoublev(GL_MODELVIEW_MATRIX, m.data());
  return m;
}

Vec3 Apply(const Matrix& m, const Vec3& p) {
  return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
          m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
          m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
}

void ExpectNear(const Vec3& actual, const Vec3& expected, double tolerance = 1e-12) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void ExpectSame(const Vec3& actual, const Vec3& expected) {
  EXPECT_EQ(actual.x, expected.x);
  EXPECT_EQ(actual.y, expected.y);
  EXPECT_EQ(actual.z, expected.z);
}

// OpenGL keeps its matrices in single precision.
constexpr double kGlFloat = 1e-6;

const Vec3 kEye(0, 0.8, 2.41);
const Vec3 kCenter(0, 0.8, 0);
const Vec3 kUp(0, 1, 0);

class CameraTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 64;
  static constexpr int kHeight = 48;

  void SetUp() override { ASSERT_TRUE(CreateOnSurface(window, surface)); }
  void TearDown() override {
    HeadlessSurface::LoseCapture();
    window.Destroy();
  }

  // What a pane's input object does on a right (orbit) or middle (dolly) press.
  void StartEyeDrag(int mode, int x, int y) {
    window.dragging = true;
    window.lastMouseX = x;
    window.lastMouseY = y;
    window.window->CaptureMouse();
    window.dragMode = mode;
  }

  HeadlessSurface surface{kWidth, kHeight};
  CGLWindow window;
};

TEST_F(CameraTest, ResetEyeRestoresTheFrontViewAndReleasesTheContext) {
  window.RotateEye(0.7, 0.3);
  window.center = Vec3(1, 2, 3);
  window.ResetEye();
  ExpectSame(window.eye, kEye);
  ExpectSame(window.center, kCenter);
  ExpectSame(window.up, kUp);
  EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);

  ASSERT_TRUE(window.MakeCurrent());
  ExpectNear(Apply(Modelview(), kEye), {0, 0, 0}, kGlFloat);
  ExpectNear(Apply(Modelview(), kCenter), {0, 0, -2.41}, kGlFloat);

  window.BeginScene();
  ExpectNear(Apply(Modelview(), kEye), {0, 0, 0}, kGlFloat);
  ExpectNear(Apply(Modelview(), {0, 1.8, 0}), {0, 1, -2.41}, kGlFloat);  // up is up
  window.EndScene();
}

TEST_F(CameraTest, TwoHundredTimerTicksTurnTheEyeThreeRadians) {
  for (int tick = 0; tick < 200; ++tick) window.RotateEye(0.015, 0.0);
  ExpectSame(window.center, kCenter);
  ExpectNear(window.eye, {2.41 * std::sin(3.0), 0.8, 2.41 * std::cos(3.0)}, 1e-9);
  EXPECT_NEAR((window.eye - window.center).Length(), 2.41, 1e-12);
  EXPECT_NEAR(window.eye.y, 0.8, 1e-12);
  ExpectNear(window.up, kUp);

  // The turn shows at the next scene: the eye sits at the origin of eye
  // space with the centre straight ahead.
  window.BeginScene();
  ExpectNear(Apply(Modelview(), window.eye), {0, 0, 0}, kGlFloat);
  ExpectNear(Apply(Modelview(), kCenter), {0, 0, -2.41}, kGlFloat);
  window.EndScene();
}

TEST_F(CameraTest, RotateEyeByNothingChangesNothing) {
  const struct {
    Vec3 eye, center, up;
  } cameras[] = {{kEye, kCenter, kUp},
                 {{0.3, -1.2, 4.5}, {0.1, 0.2, -0.3}, {0.2, 0.9, 0.1}},
                 {kCenter, kCenter, kUp}};  // eye on the centre: no side axis
  for (const auto& camera : cameras) {
    window.eye = camera.eye;
    window.center = camera.center;
    window.up = camera.up;
    window.RotateEye(0.0, 0.0);
    ExpectSame(window.eye, camera.eye);
    ExpectSame(window.center, camera.center);
    ExpectSame(window.up, camera.up);
  }
}

TEST_F(CameraTest, OrbitDragTurnsTheEyeHalfARadianPerHundredPixels) {
  const double s = std::sin(0.5), c = std::cos(0.5);
  const struct {
    int dx, dy;
    Vec3 offset;  // eye - center afterwards
    Vec3 up;
  } cases[] = {
      {100, 0, {-2.41 * s, 0, 2.41 * c}, kUp},        // right: -0.5 rad about up
      {-100, 0, {2.41 * s, 0, 2.41 * c}, kUp},        // left: +0.5 rad
      {0, 100, {0, 2.41 * s, 2.41 * c}, {0, c, -s}},  // down: the eye rises over the top
      {0, 0, {0, 0, 2.41}, kUp},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(testing::Message() << "move " << k.dx << ", " << k.dy);
    window.ResetEye();
    StartEyeDrag(kDragOrbit, 30, 20);
    ASSERT_TRUE(window.DragEye({30 + k.dx, 20 + k.dy}));
    ExpectNear(window.eye - window.center, k.offset);
    ExpectNear(window.up, k.up);
    ExpectSame(window.center, kCenter);
    EXPECT_EQ(window.lastMouseX, 30 + k.dx);
    EXPECT_EQ(window.lastMouseY, 20 + k.dy);
  }
}

TEST_F(CameraTest, DollyDragMovesAlongTheLineOfSightAndRefusesToComeClose) {
  StartEyeDrag(kDragDolly, 20, 10);
  const struct {
    int x, y;
    double distance;
  } moves[] = {
      {20, 310, 1.41},    // 300 px down: 1.0 closer
      {20, 460, 1.41},    // a further 150 px would end at 0.91: refused, not shortened
      {400, 460, 1.41},   // sideways: nothing
      {20, 160, 2.41},    // up: away again
      {20, -1340, 7.41},  // and without limit
  };
  for (const auto& move : moves) {
    SCOPED_TRACE(testing::Message() << "to (" << move.x << ", " << move.y << ")");
    ASSERT_TRUE(window.DragEye({move.x, move.y}));
    ExpectNear(window.eye, {0, 0.8, move.distance}, 1e-12);
    EXPECT_EQ(window.lastMouseX, move.x);
    EXPECT_EQ(window.lastMouseY, move.y);
    // The dolly reloads the modelview matrix at once and leaves it current.
    ExpectNear(Apply(Modelview(), kCenter), {0, 0, -move.distance}, kGlFloat);
  }
}

TEST_F(CameraTest, DragEyeIgnoresMovesWithoutItsCapture) {
  HeadlessSurface other(4, 4);
  const struct {
    const char* what;
    bool dragging;
    void (*takeCapture)(HeadlessSurface& mine, HeadlessSurface& other);
  } cases[] = {
      {"no drag in progress", false,
       [](HeadlessSurface& mine, HeadlessSurface&) { mine.CaptureMouse(); }},
      {"capture lost", true,
       [](HeadlessSurface&, HeadlessSurface&) { HeadlessSurface::LoseCapture(); }},
      {"another window holds it", true,
       [](HeadlessSurface&, HeadlessSurface& o) { o.CaptureMouse(); }},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    window.ResetEye();
    for (int mode : {kDragOrbit, kDragDolly}) {
      StartEyeDrag(mode, 5, 6);
      window.dragging = k.dragging;
      k.takeCapture(surface, other);
      EXPECT_FALSE(window.DragEye({105, 206}));
      ExpectSame(window.eye, kEye);
      ExpectSame(window.up, kUp);
      EXPECT_EQ(window.lastMouseX, 5);
      EXPECT_EQ(window.lastMouseY, 6);
      // The release cannot end a drag whose capture this window lost.
      window.EndDrag();
      EXPECT_EQ(window.dragging, k.dragging);
    }
  }
}

TEST_F(CameraTest, EndDragReleasesItsOwnCapture) {
  for (bool touchContext : {true, false}) {
    StartEyeDrag(kDragOrbit, 1, 2);
    if (touchContext) {
      window.EndDrag();
    } else {
      window.ReleaseDrag();
    }
    EXPECT_FALSE(window.dragging);
    EXPECT_FALSE(surface.HasMouseCapture());
    EXPECT_EQ(window.dragMode, kDragOrbit);  // kept until the next drag starts
    EXPECT_FALSE(window.DragEye({50, 50}));
  }
}

TEST_F(CameraTest, ModelDragsStartLikeEyeDrags) {
  const struct {
    void (CGLWindow::*begin)(const ClientPoint&);
    int mode;
  } starts[] = {{&CGLWindow::BeginDrag, kDragTrackball},
                {&CGLWindow::BeginPan, kDragPan},
                {&CGLWindow::BeginScale, kDragScale}};
  for (const auto& start : starts) {
    SCOPED_TRACE(start.mode);
    window.dragMode = kDragOrbit;
    (window.*start.begin)({7, 9});
    EXPECT_TRUE(window.dragging);
    EXPECT_EQ(window.dragMode, start.mode);
    EXPECT_EQ(window.lastMouseX, 7);
    EXPECT_EQ(window.lastMouseY, 9);
    EXPECT_TRUE(surface.HasMouseCapture());
    // An eye move in a model drag moves no eye.
    EXPECT_TRUE(window.DragEye({70, 90}));
    ExpectSame(window.eye, kEye);
    window.EndDrag();
  }
}

TEST_F(CameraTest, ScaleDragScalesTheModelviewByOneHundredthPerPixel) {
  const struct {
    int fromY, toY;
    double factor;
  } cases[] = {{100, 50, 1.5}, {100, 100, 1.0}, {100, 150, 0.5}, {100, 300, 0.01}};
  for (const auto& k : cases) {
    SCOPED_TRACE(testing::Message() << k.fromY << " -> " << k.toY);
    window.BeginScene();
    window.EndScene();
    window.BeginScale({3, k.fromY});
    const int repaints = surface.repaintCount;
    ASSERT_TRUE(window.DragModel({40, k.toY}, nullptr));
    EXPECT_EQ(surface.repaintCount, repaints + 1);
    EXPECT_EQ(window.lastMouseY, k.toY);
    ExpectNear(Apply(Modelview(), {1, 0.8, 0}), {k.factor, 0, -2.41 * k.factor}, kGlFloat);
    window.EndDrag();
  }
}

TEST_F(CameraTest, TrackballDragTurnsAboutThePivot) {
  // From the centre of the 64 x 48 window, 48 px to the right: the arc
  // between (0, 0, 1) and (1, 0, 1) is 45 degrees, the turn twice that,
  // about +Y of eye space.
  for (bool withPivot : {false, true}) {
    SCOPED_TRACE(withPivot ? "about the pivot" : "about the eye");
    const Vec3 pivot(0, 0, -2.41);  // the centre, in eye space
    window.BeginScene();
    window.EndScene();
    window.BeginDrag({32, 24});
    ASSERT_TRUE(window.DragModel({80, 24}, withPivot ? &pivot : nullptr));
    const Vec3 origin = withPivot ? pivot : Vec3();
    const Vec3 before = Vec3(1, 0, -2.41) - origin;  // world (1, 0.8, 0) in eye space
    const Vec3 turned(before.z, 0, -before.x);       // a quarter turn about +Y
    ExpectNear(Apply(Modelview(), {1, 0.8, 0}), origin + turned, kGlFloat);
    window.EndDrag();
  }
}

TEST_F(CameraTest, PanDragMovesTheModelWithTheMouse) {
  // One pixel at window depth 0.5 (eye distance 2fn / (f + n)), magnified
  // ten times.
  const double depth = 2 * 1000 * 0.01 / 1000.01;
  const double pixel = 2 * depth * std::tan(22.5 * M_PI / 180.0) / kHeight;
  const struct {
    int dx, dy;
    Vec3 shift;
  } cases[] = {{5, 0, {50 * pixel, 0, 0}}, {0, 4, {0, -40 * pixel, 0}}};
  for (const auto& k : cases) {
    SCOPED_TRACE(testing::Message() << "move " << k.dx << ", " << k.dy);
    window.BeginScene();
    window.EndScene();
    window.BeginPan({20, 20});
    ASSERT_TRUE(window.DragModel({20 + k.dx, 20 + k.dy}, nullptr));
    ExpectNear(Apply(Modelview(), kCenter), Vec3(0, 0, -2.41) + k.shift, kGlFloat);
    window.EndDrag();
  }
}

TEST_F(CameraTest, ModelDragIgnoresMovesWithoutItsCapture) {
  window.BeginScale({0, 100});
  HeadlessSurface::LoseCapture();
  const int repaints = surface.repaintCount;
  EXPECT_FALSE(window.DragModel({0, 50}, nullptr));
  EXPECT_EQ(surface.repaintCount, repaints);
  EXPECT_EQ(window.lastMouseY, 100);
  window.EndDrag();
  EXPECT_TRUE(window.dragging);
}

}  // namespace
