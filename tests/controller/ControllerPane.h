#pragma once

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "controller/ControllerInput.h"
#include "controller/ControllerScene.h"
#include "gl/HeadlessWindow.h"
#include "gl/SceneWindows.h"
#include "model/BranchModel.h"

// The controller pane on a headless surface, with fresh singletons: the
// controller window attached and sized, the surface's repaint running the
// pane's paint. Large enough that no two handle points' squares overlap.
class ControllerPaneTest : public ::testing::Test {
 public:
  static constexpr int kWidth = 1000;
  static constexpr int kHeight = 800;

  void SetUp() override {
    ResetSingletons();
    surface = std::make_unique<HeadlessSurface>(kWidth, kHeight);
    ASSERT_TRUE(CreateOnSurface(Window(), *surface));
    surface->onPaint = PaintControllerPane;
  }

  void TearDown() override {
    Window().Destroy();
    ResetSingletons();
    surface.reset();
  }

  static void ResetSingletons() {
    DeleteControllerInput();
    DeleteSceneWindows();
    DeleteBranchModel();
  }

  static CGLWindow& Window() { return GetSceneWindows()->controllerWindow; }
  static CBranchModel& Model() { return *GetBranchModel(); }

  // Where a handle point lies in the world: its local position in the
  // record's frame at the branching point.
  static Vec3 HandlePointInWorld(int pickId, HandlePart part) {
    CBranchModel& model = Model();
    const HandleRecord& record = *model.RecordForPickId(pickId);
    const double length = record.lengthRatio * model.trunkLength * 1.01;
    const double width = record.widthRatio * model.trunkWidth + 0.01;
    const Vec3 local = part == HandlePart::Tip     ? Vec3(0.0, length, 0.0)
                       : part == HandlePart::Width ? Vec3(width, 0.5 * length, 0.0)
                                                   : Vec3(width, 0.6 * length, 0.0);
    Matrix4 frame;
    frame.m[13] = model.trunkLength;
    return frame.Multiply(record.rotation).TransformPoint(local);
  }

  // Window coordinates (row 0 at the bottom) of a world point under the
  // pane's current matrices, which are the camera's after every scene.
  static Vec3 ToWindow(const Vec3& world) {
    Window().MakeCurrent();
    GLdouble modelview[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble x = 0, y = 0, z = 0;
    EXPECT_EQ(GL_TRUE,
              gluProject(world.x, world.y, world.z, modelview, projection, viewport, &x, &y, &z));
    return {x, y, z};
  }

  // The client point (y downwards) whose press reads the cell that holds
  // window point w: the press reads row height - y.
  static ClientPoint ClientFor(const Vec3& w) {
    return {static_cast<int>(std::floor(w.x)), kHeight - static_cast<int>(std::floor(w.y))};
  }

  static ClientPoint ClientAtHandle(int pickId, HandlePart part) {
    return ClientFor(ToWindow(HandlePointInWorld(pickId, part)));
  }

  // The picking image's cell at (x, y), row 0 at the bottom.
  static RgbaCell PickCell(int x, int y) {
    const RgbaCell* cell = Window().colorBuffer.At(x, y);
    EXPECT_NE(nullptr, cell) << x << ", " << y;
    return cell ? *cell : RgbaCell{0, 0, 0, 0};
  }

  std::unique_ptr<HeadlessSurface> surface;
};

// Whether two rules hold the same values in every field.
inline bool SameRule(const CBranchModel& a, const CBranchModel& b) {
  if (a.trunkLength != b.trunkLength || a.trunkWidth != b.trunkWidth) return false;
  for (int i = 0; i < CBranchModel::kRecordCount; ++i) {
    const HandleRecord& x = a.records[i];
    const HandleRecord& y = b.records[i];
    if (x.active != y.active || x.selected != y.selected || x.lengthRatio != y.lengthRatio ||
        x.widthRatio != y.widthRatio ||
        std::memcmp(x.rotation.m, y.rotation.m, sizeof x.rotation.m) != 0) {
      return false;
    }
  }
  return true;
}

// One primitive of feedback mode: its vertices in window coordinates and in
// the object coordinates of the caller's matrices, with their colours.
struct FeedbackPrimitive {
  GLenum kind;  // GL_POINT_TOKEN, GL_LINE_TOKEN or GL_POLYGON_TOKEN
  std::vector<Vec3> window;
  std::vector<Vec3> object;
  std::vector<std::array<float, 4>> colour;
};

// Runs draw in feedback mode on the current context and returns what it
// drew, clipped and culled as OpenGL would draw it.
inline std::vector<FeedbackPrimitive> Feedback(const std::function<void()>& draw) {
  GLdouble modelview[16], projection[16];
  GLint viewport[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);

  std::vector<GLfloat> buffer(1 << 18);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint used = glRenderMode(GL_RENDER);
  EXPECT_GE(used, 0) << "feedback buffer overflow";

  std::vector<FeedbackPrimitive> primitives;
  std::size_t i = 0;
  const auto vertex = [&](FeedbackPrimitive& p) {
    const Vec3 w(buffer[i], buffer[i + 1], buffer[i + 2]);
    p.colour.push_back({buffer[i + 3], buffer[i + 4], buffer[i + 5], buffer[i + 6]});
    i += 7;
    GLdouble x = 0, y = 0, z = 0;
    gluUnProject(w.x, w.y, w.z, modelview, projection, viewport, &x, &y, &z);
    p.window.push_back(w);
    p.object.push_back(Vec3(x, y, z));
  };
  while (i < static_cast<std::size_t>(std::max(used, 0))) {
    const auto token = static_cast<GLenum>(buffer[i++]);
    FeedbackPrimitive p{token, {}, {}, {}};
    if (token == GL_POINT_TOKEN) {
      vertex(p);
    } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
      p.kind = GL_LINE_TOKEN;
      vertex(p);
      vertex(p);
    } else if (token == GL_POLYGON_TOKEN) {
      const int n = static_cast<int>(buffer[i++]);
      for (int k = 0; k < n; ++k) vertex(p);
    } else {
      ADD_FAILURE() << "unexpected feedback token " << token;
      break;
    }
    primitives.push_back(std::move(p));
  }
  return primitives;
}

inline int CountKind(const std::vector<FeedbackPrimitive>& primitives, GLenum kind) {
  int n = 0;
  for (const FeedbackPrimitive& p : primitives) n += p.kind == kind;
  return n;
}
