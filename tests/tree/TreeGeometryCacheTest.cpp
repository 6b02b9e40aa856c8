#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "Feedback.h"
#include "gl/HeadlessWindow.h"
#include "model/BranchModel.h"
#include "tree/TreeRenderer.h"

// The cached drawing of the tree against the reference drawing: the same
// picture, the same OpenGL state afterwards, and no stale tree after a change.

namespace {

constexpr int kWidth = 900;
constexpr int kHeight = 700;
// At most this many pixels of a picture may differ (0.2 %).
constexpr int kMostDiffering = kWidth * kHeight / 500;

using Handles = std::array<bool, 4>;

// What the tree pane shows, read back; row 0 at the bottom.
struct Picture {
  std::vector<std::uint8_t> rgba;
  const std::uint8_t* At(int x, int y) const { return &rgba[4 * (x + y * kWidth)]; }
  bool Differs(const Picture& other, int x, int y) const {
    return !std::equal(At(x, y), At(x, y) + 3, other.At(x, y));
  }
};

// Whether the fast picture is the reference's. Computing the frames on the
// CPU rounds differently from OpenGL's single-precision matrix stack, so at
// most 0.2 % of the pixels may differ: by at most 1 in every channel, or by
// an edge moved by a pixel (the pixel takes a colour that one of its 8
// neighbours has in the reference). The 16-bit depth buffer widens the
// second kind: where two surfaces meet within one step of depth, rounding
// can hand a pixel or two to the other surface, whose colour then shows no
// more than 2 pixels away in the reference, or is not there at all when a
// lone pixel changes hands.
//
// In lit pictures the rounding also shows inside faces seen edge-on, less
// than a pixel wide, whose smooth shading changes by many levels across the
// face: single pixels of them come out several levels off (the reference
// does that itself when the eye turns by a millionth of a radian). There only
// the number of differing pixels is held to; that every vertex is lit as in
// the reference is checked on its own, in feedback mode.
::testing::AssertionResult SamePicture(const Picture& reference, const Picture& fast, bool lit) {
  int differing = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if (!fast.Differs(reference, x, y)) continue;
      ++differing;
      if (lit) continue;
      const std::uint8_t* f = fast.At(x, y);
      const std::uint8_t* r = reference.At(x, y);
      bool explained = true;
      for (int c = 0; c < 3; ++c) explained = explained && std::abs(f[c] - r[c]) <= 1;
      bool alone = true;
      for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
          const int nx = x + dx, ny = y + dy;
          if ((dx || dy) && nx >= 0 && ny >= 0 && nx < kWidth && ny < kHeight) {
            explained = explained || std::equal(f, f + 3, reference.At(nx, ny));
            if (std::abs(dx) <= 1 && std::abs(dy) <= 1) {
              alone = alone && !fast.Differs(reference, nx, ny);
            }
          }
        }
      }
      if (!explained && !alone) {
        return ::testing::AssertionFailure()
               << "pixel (" << x << ", " << y << ") is " << +f[0] << " " << +f[1] << " " << +f[2]
               << ", the reference " << +r[0] << " " << +r[1] << " " << +r[2];
      }
    }
  }
  if (differing > kMostDiffering) {
    return ::testing::AssertionFailure() << differing << " pixels differ";
  }
  return ::testing::AssertionSuccess();
}

// The stroke that the remote commands grow from (-0.1, -0.1, 0) with n - 1
// steps turning a little further at each; `back` turns the last step
// straight back.
std::vector<Vec3> CurvedStroke(int n, bool back = false) {
  std::vector<Vec3> points = {{-0.1, -0.1, 0.0}};
  double step = 0.35;
  Vec3 direction;
  for (int i = 1; i < n; ++i) {
    direction = back && i == n - 1 ? -1.0 * direction : Vec3(0.08 * (i - 1), 1.0, 0.02 * i);
    points.push_back(points.back() + step * direction.Normalized());
    step *= 0.85;
  }
  return points;
}

class TreeGeometryCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteTreeRenderer();
    DeleteBranchModel();
    ASSERT_TRUE(CreateOnSurface(window, surface));
    renderer = GetTreeRenderer();
    model = GetBranchModel();
  }
  void TearDown() override {
    window.Destroy();
    DeleteTreeRenderer();
    DeleteBranchModel();
  }

  void SetHandles(const Handles& active) {
    for (int k = 0; k < 4; ++k) model->Handle(k).active = active[k];
  }

  // One repaint of the tree pane, drawn the fast way or the reference way.
  Picture Paint(bool reference) {
    renderer->referenceDrawing = reference;
    window.BeginScene();
    renderer->Draw();
    EXPECT_TRUE(window.EndScene());
    EXPECT_TRUE(window.MakeCurrent());
    Picture picture;
    picture.rgba.resize(4 * kWidth * kHeight);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, picture.rgba.data());
    return picture;
  }

  HeadlessSurface surface{kWidth, kHeight};
  CGLWindow window;
  CTreeRenderer* renderer = nullptr;
  CBranchModel* model = nullptr;
};

struct TreeCase {
  const char* name;
  std::vector<Vec3> stroke;
  Handles handles;
  std::function<void(CBranchModel&)> rule;  // changes to the default rule
};

const std::vector<TreeCase>& TreeCases() {
  static const std::vector<TreeCase> cases = {
      {"default rule, full stroke", CurvedStroke(10), {true, false, true, false}, nullptr},
      {"all four handles", CurvedStroke(7), {true, true, true, true}, nullptr},
      {"two handles with different ratios",
       CurvedStroke(9),
       {false, true, false, true},
       [](CBranchModel& m) {
         m.Handle(1).lengthRatio = 0.6;
         m.Handle(1).widthRatio = 0.5;
         m.Handle(3).lengthRatio = 1.1;
         m.Handle(3).widthRatio = 0.9;
       }},
      {"twisted axis record",
       CurvedStroke(8),
       {true, false, true, false},
       [](CBranchModel& m) { m.AxisRecord().rotation.SetRotationY(0.7); }},
      {"stroke that turns back", CurvedStroke(8, true), {true, true, false, false}, nullptr},
      // Only written directly: the stroke operations stop at 10 points.
      {"stroke longer than strokes grow", CurvedStroke(12), {false, true, false, false}, nullptr},
  };
  return cases;
}

// The fast drawing shows the reference's picture, lit and flat, in polygon
// and tree rendering, from the default eye and after the eye has turned
// (the cache was made before).
TEST_F(TreeGeometryCacheTest, ShowsTheReferencePicture) {
  for (const TreeCase& c : TreeCases()) {
    DeleteBranchModel();
    model = GetBranchModel();
    SetHandles(c.handles);
    if (c.rule) c.rule(*model);
    renderer->strokePoints = c.stroke;
    for (bool polygonMode : {true, false}) {
      for (bool lighting : {true, false}) {
        for (double turn : {0.0, 0.8}) {
          SCOPED_TRACE(std::string(c.name) + (polygonMode ? ", polygon" : ", tree") +
                       (lighting ? ", lit" : ", flat") + (turn ? ", eye turned" : ""));
          renderer->polygonMode = polygonMode;
          renderer->lighting = lighting;
          window.ResetEye();
          Paint(false);
          window.RotateEye(turn, 0.2 * turn);
          const Picture reference = Paint(true);
          EXPECT_TRUE(SamePicture(reference, Paint(false), lighting));
        }
      }
    }
  }
}

// A tree large enough to be generated on several threads at once.
TEST_F(TreeGeometryCacheTest, ShowsTheReferencePictureOfALargeTree) {
  SetHandles({true, true, true, true});
  renderer->strokePoints = CurvedStroke(8);
  renderer->polygonMode = false;
  renderer->lighting = false;
  const Picture reference = Paint(true);
  EXPECT_TRUE(SamePicture(reference, Paint(false), false));
}

// A quad is split into triangles along one diagonal when its segment lies
// within the view volume and along the other when the segment gets clipped,
// which shades it differently: segments wide on the screen and cut by the
// edges of the view shade as in the reference.
TEST_F(TreeGeometryCacheTest, SegmentsCutByTheViewEdgesShadeAsTheReference) {
  SetHandles({false, false, false, false});
  model->trunkWidth = 0.2;
  renderer->strokePoints = CurvedStroke(5);
  renderer->polygonMode = false;
  window.eye = Vec3(0.0, 0.5, 0.9);
  window.center = Vec3(0.0, 0.5, 0.0);
  window.RotateEye(0.4, 0.0);
  const Picture reference = Paint(true);
  // Both the lit wide faces and the shading of the clipped ones are held to
  // the strict rule: nothing here is a sliver.
  EXPECT_TRUE(SamePicture(reference, Paint(false), false));
}

// Every vertex the fast drawing sends is one the reference sends, at the same
// place and lit to the same colour, and the other way round. The reference
// sends each leaf once per active handle; the fast drawing once.
TEST_F(TreeGeometryCacheTest, LightsEveryVertexAsTheReference) {
  struct Lit {
    Vec3 position;
    std::array<float, 4> rgba;
  };
  const auto vertices = [&](bool reference) {
    renderer->referenceDrawing = reference;
    std::vector<Lit> lit;
    for (const FeedbackVertex& v : PolygonVertices(Feedback([&] { renderer->Draw(); }))) {
      lit.push_back({v.position, v.rgba});
    }
    return lit;
  };
  const auto same = [](const Lit& a, const Lit& b) {
    for (int c = 0; c < 4; ++c) {
      if (std::abs(a.rgba[c] - b.rgba[c]) > 1e-4f) return false;
    }
    return std::abs(a.position.x - b.position.x) < 2e-5 &&
           std::abs(a.position.y - b.position.y) < 2e-5 &&
           std::abs(a.position.z - b.position.z) < 2e-5;
  };
  const auto covered = [&](const std::vector<Lit>& these, const std::vector<Lit>& by) {
    for (const Lit& v : these) {
      if (std::none_of(by.begin(), by.end(), [&](const Lit& w) { return same(v, w); })) {
        return ::testing::AssertionFailure() << "vertex at (" << v.position.x << ", "
                                             << v.position.y << ", " << v.position.z << ")";
      }
    }
    return ::testing::AssertionSuccess();
  };
  for (const TreeCase& c : TreeCases()) {
    DeleteBranchModel();
    model = GetBranchModel();
    SetHandles(c.handles);
    if (c.rule) c.rule(*model);
    // Small trees: every vertex is looked for among all the others.
    renderer->strokePoints.assign(c.stroke.begin(), c.stroke.begin() + 4);
    for (bool polygonMode : {true, false}) {
      for (bool lighting : {true, false}) {
        SCOPED_TRACE(std::string(c.name) + (polygonMode ? ", polygon" : ", tree") +
                     (lighting ? ", lit" : ", flat"));
        renderer->polygonMode = polygonMode;
        renderer->lighting = lighting;
        const std::vector<Lit> reference = vertices(true);
        const std::vector<Lit> fast = vertices(false);
        ASSERT_FALSE(fast.empty());
        EXPECT_TRUE(covered(fast, reference));
        EXPECT_TRUE(covered(reference, fast));
      }
    }
  }
}

// Everything of the OpenGL state that drawing the tree touches or could touch.
struct GLState {
  std::vector<GLboolean> enabled;
  std::vector<GLint> integers;
  std::vector<GLfloat> floats;
  std::vector<GLdouble> matrices;
  std::vector<void*> pointers;
  GLenum error = GL_NO_ERROR;

  static GLState Read() {
    GLState s;
    for (GLenum cap : {GL_LIGHTING, GL_LIGHT0, GL_LIGHT1, GL_LIGHT2, GL_CULL_FACE, GL_NORMALIZE,
                       GL_DEPTH_TEST, GL_BLEND, GL_COLOR_MATERIAL, GL_VERTEX_ARRAY, GL_NORMAL_ARRAY,
                       GL_COLOR_ARRAY, GL_TEXTURE_COORD_ARRAY}) {
      s.enabled.push_back(glIsEnabled(cap));
    }
    for (GLenum name :
         {GL_SHADE_MODEL, GL_MATRIX_MODE, GL_MODELVIEW_STACK_DEPTH, GL_PROJECTION_STACK_DEPTH,
          GL_ATTRIB_STACK_DEPTH, GL_CLIENT_ATTRIB_STACK_DEPTH, GL_DEPTH_FUNC, GL_VERTEX_ARRAY_SIZE,
          GL_VERTEX_ARRAY_TYPE, GL_VERTEX_ARRAY_STRIDE, GL_NORMAL_ARRAY_STRIDE}) {
      GLint value = 0;
      glGetIntegerv(name, &value);
      s.integers.push_back(value);
    }
    const auto floats = [&](GLenum name, int n) {
      GLfloat value[4] = {};
      glGetFloatv(name, value);
      s.floats.insert(s.floats.end(), value, value + n);
    };
    floats(GL_LINE_WIDTH, 1);
    floats(GL_CURRENT_COLOR, 4);
    floats(GL_CURRENT_NORMAL, 3);
    for (GLenum face : {GL_FRONT, GL_BACK}) {
      for (GLenum name : {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR, GL_EMISSION, GL_SHININESS}) {
        GLfloat value[4] = {};
        glGetMaterialfv(face, name, value);
        s.floats.insert(s.floats.end(), value, value + 4);
      }
    }
    for (GLenum light : {GL_LIGHT0, GL_LIGHT1}) {
      GLfloat value[4] = {};
      glGetLightfv(light, GL_POSITION, value);
      s.floats.insert(s.floats.end(), value, value + 4);
    }
    for (GLenum name : {GL_MODELVIEW_MATRIX, GL_PROJECTION_MATRIX}) {
      GLdouble value[16];
      glGetDoublev(name, value);
      s.matrices.insert(s.matrices.end(), value, value + 16);
    }
    for (GLenum name : {GL_VERTEX_ARRAY_POINTER, GL_NORMAL_ARRAY_POINTER}) {
      void* value = nullptr;
      glGetPointerv(name, &value);
      s.pointers.push_back(value);
    }
    s.error = glGetError();
    return s;
  }
};

// Draw leaves the state as the reference leaves it, whatever the state before.
TEST_F(TreeGeometryCacheTest, LeavesTheStateTheReferenceLeaves) {
  struct StateCase {
    const char* name;
    int points;
    Handles handles;
    bool stroking;
    bool enabled;
    bool lookingAway = false;  // the tree wholly out of view
  };
  const StateCase cases[] = {
      {"no stroke", 0, {true, false, true, false}, false, true},
      {"one point while stroking", 1, {true, false, true, false}, true, true},
      {"one segment", 2, {true, false, true, false}, false, true},
      {"no handles", 4, {false, false, false, false}, false, true},
      {"default rule while stroking", 6, {true, false, true, false}, true, true},
      {"last handle inactive", 5, {true, true, true, false}, false, true},
      {"turned off", 6, {true, false, true, false}, true, false},
      {"out of view", 6, {true, true, true, true}, false, true, true},
  };
  // A state unlike the one Draw leaves, and a client array of the caller's.
  const std::vector<float> callerArray(12, 0.5f);
  const auto scramble = [&] {
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glShadeModel(GL_FLAT);
    glLineWidth(5.0f);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    glNormal3f(0.3f, 0.4f, 0.5f);
    const GLfloat material[4] = {0.25f, 0.5f, 0.75f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, material);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, callerArray.data());
    glDisableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, 12, callerArray.data());
    glMatrixMode(GL_MODELVIEW);
  };
  for (const StateCase& c : cases) {
    for (bool polygonMode : {true, false}) {
      for (bool lighting : {true, false}) {
        SCOPED_TRACE(std::string(c.name) + (polygonMode ? ", polygon" : ", tree") +
                     (lighting ? ", lit" : ", flat"));
        renderer->strokePoints = CurvedStroke(c.points);
        renderer->strokePoints.resize(c.points);
        renderer->strokeActive = c.stroking ? 1.0 : 0.0;
        renderer->strokeTarget = Vec3(0.3, 1.2, 0.0);
        renderer->enabled = c.enabled;
        renderer->polygonMode = polygonMode;
        renderer->lighting = lighting;
        SetHandles(c.handles);
        window.ResetEye();
        if (c.lookingAway) window.center = Vec3(0.0, 0.8, 5.0);
        GLState after[2];
        for (bool reference : {true, false}) {
          window.BeginScene();
          scramble();
          renderer->referenceDrawing = reference;
          renderer->Draw();
          after[reference] = GLState::Read();
          EXPECT_TRUE(window.EndScene());
        }
        EXPECT_EQ(after[true].error, static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(after[false].error, static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(after[false].enabled, after[true].enabled);
        EXPECT_EQ(after[false].integers, after[true].integers);
        EXPECT_EQ(after[false].floats, after[true].floats);
        EXPECT_EQ(after[false].matrices, after[true].matrices);
        EXPECT_EQ(after[false].pointers, after[true].pointers);
      }
    }
  }
}

struct ChangeCase {
  const char* name;
  bool polygonMode;
  bool lighting;
  std::function<void(CTreeRenderer&, CBranchModel&)> change;
};

// Whatever the tree is generated from is written directly by many callers:
// every such change shows in the very next frame, as the reference draws it.
TEST_F(TreeGeometryCacheTest, EveryChangeShowsInTheNextFrame) {
  static const float kRed[4] = {1.0f, 0.0f, 0.0f, 1.0f};
  const auto setColour = [](float* colour) { std::copy(kRed, kRed + 4, colour); };
  const ChangeCase cases[] = {
      {"a handle's length ratio", true, false,
       [](CTreeRenderer&, CBranchModel& m) { m.Handle(0).lengthRatio = 0.6; }},
      {"a handle's width ratio", false, false,
       [](CTreeRenderer&, CBranchModel& m) { m.Handle(2).widthRatio = 0.4; }},
      {"the axis record's length ratio", false, true,
       [](CTreeRenderer&, CBranchModel& m) { m.AxisRecord().lengthRatio = 0.7; }},
      {"the axis record's width ratio", true, false,
       [](CTreeRenderer&, CBranchModel& m) { m.AxisRecord().widthRatio = 0.95; }},
      {"an active flag", true, true,
       [](CTreeRenderer&, CBranchModel& m) { m.Handle(1).active = true; }},
      {"a handle's rotation", false, false,
       [](CTreeRenderer&, CBranchModel& m) { m.Handle(0).rotation.SetRotationZ(0.9); }},
      {"the axis record's rotation", true, false,
       [](CTreeRenderer&, CBranchModel& m) { m.AxisRecord().rotation.SetRotationY(0.5); }},
      {"the trunk width", true, false,
       [](CTreeRenderer&, CBranchModel& m) { m.trunkWidth = 0.08; }},
      {"the trunk length", false, false,
       [](CTreeRenderer&, CBranchModel& m) { m.trunkLength = 0.4; }},
      {"the tree scale", true, false, [](CTreeRenderer& r, CBranchModel&) { r.treeScale = 0.6; }},
      {"the bark colour", false, false,
       [&](CTreeRenderer&, CBranchModel&) { setColour(CTreeRenderer::barkAmbient); }},
      {"the leaf colour", false, true,
       [&](CTreeRenderer&, CBranchModel&) { setColour(CTreeRenderer::leafDiffuse); }},
      {"the tip colour", true, true,
       [&](CTreeRenderer&, CBranchModel&) { setColour(CTreeRenderer::tipDiffuse); }},
      {"polygon to tree rendering", true, true,
       [](CTreeRenderer& r, CBranchModel&) { r.polygonMode = false; }},
      {"tree to polygon rendering", false, false,
       [](CTreeRenderer& r, CBranchModel&) { r.polygonMode = true; }},
      {"lighting on", true, false, [](CTreeRenderer& r, CBranchModel&) { r.lighting = true; }},
      {"lighting off", false, true, [](CTreeRenderer& r, CBranchModel&) { r.lighting = false; }},
      {"turned off", true, false, [](CTreeRenderer& r, CBranchModel&) { r.enabled = false; }},
      {"a new stroke point", false, false,
       [](CTreeRenderer& r, CBranchModel&) {
         r.GrowStroke({0.3, 1.0, 0.0});
       }},
      {"a stroke point moved", true, false,
       [](CTreeRenderer& r, CBranchModel&) { r.strokePoints[3].x += 0.2; }},
      {"a new stroke", false, false,
       [](CTreeRenderer& r, CBranchModel&) {
         r.BeginStroke({0.2, -0.1, 0.0});
         for (int i = 0; i < 5; ++i) r.GrowStroke({-0.1 * i, 1.0, 0.0});
       }},
  };
  // The colours are data of the class: put them back afterwards.
  const auto saved = [] {
    std::vector<float> all;
    for (const float* colour :
         {CTreeRenderer::barkAmbient, CTreeRenderer::leafDiffuse, CTreeRenderer::tipDiffuse}) {
      all.insert(all.end(), colour, colour + 4);
    }
    return all;
  }();
  for (const ChangeCase& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteTreeRenderer();
    DeleteBranchModel();
    renderer = GetTreeRenderer();
    model = GetBranchModel();
    renderer->BeginStroke({-0.1, -0.1, 0.0});
    for (int i = 0; i < 7; ++i) renderer->GrowStroke({0.05 * i, 1.0, 0.0});
    renderer->EndStroke();
    renderer->polygonMode = c.polygonMode;
    renderer->lighting = c.lighting;
    const Picture before = Paint(false);

    c.change(*renderer, *model);
    const Picture fast = Paint(false);
    const Picture reference = Paint(true);
    EXPECT_NE(fast.rgba, before.rgba) << "the change does not show";
    EXPECT_TRUE(SamePicture(reference, fast, renderer->lighting));

    std::copy(saved.begin(), saved.begin() + 4, CTreeRenderer::barkAmbient);
    std::copy(saved.begin() + 4, saved.begin() + 8, CTreeRenderer::leafDiffuse);
    std::copy(saved.begin() + 8, saved.end(), CTreeRenderer::tipDiffuse);
  }
}

}  // namespace
