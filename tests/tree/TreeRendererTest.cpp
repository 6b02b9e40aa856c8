#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "Feedback.h"
#include "gl/HeadlessWindow.h"
#include "model/BranchModel.h"
#include "tree/TreeRenderer.h"

namespace {

// Feedback positions come back through float window coordinates.
constexpr double kTol = 2e-5;
constexpr double kAlpha = 0.5235987755982984;  // the lean of a default handle

using Handles = std::array<bool, 4>;

// The polyline (0, 0, 0), (0, 0.35, 0), (0, 0.6475, 0), ... of n points
// straight up, one main-axis segment apart.
std::vector<Vec3> VerticalStroke(int n) {
  std::vector<Vec3> points;
  double y = 0.0, step = 0.35;
  for (int i = 0; i < n; ++i, y += step, step *= 0.85) points.emplace_back(0.0, y, 0.0);
  return points;
}

bool Near(const Vec3& a, const Vec3& b, double tol = kTol) {
  return std::abs(a.x - b.x) <= tol && std::abs(a.y - b.y) <= tol && std::abs(a.z - b.z) <= tol;
}

std::string Str(const Vec3& v) {
  return "(" + std::to_string(v.x) + ", " + std::to_string(v.y) + ", " + std::to_string(v.z) + ")";
}

// Every drawn vertex is one of the expected corners and every corner is drawn.
void ExpectCorners(const std::vector<FeedbackVertex>& drawn, const std::vector<Vec3>& corners) {
  for (const FeedbackVertex& v : drawn) {
    bool known = false;
    for (const Vec3& c : corners) known = known || Near(v.position, c);
    EXPECT_TRUE(known) << "unexpected vertex " << Str(v.position);
  }
  for (const Vec3& c : corners) {
    bool hit = false;
    for (const FeedbackVertex& v : drawn) hit = hit || Near(v.position, c);
    EXPECT_TRUE(hit) << "corner not drawn " << Str(c);
  }
}

// The eight corners of a segment standing at base along the unit direction u
// in the plane z = 0 (its frame turned about Z, so its local X is (u.y, -u.x, 0)).
std::vector<Vec3> SegmentCorners(const Vec3& base, const Vec3& u, double bottomWidth,
                                 double topWidth, double length) {
  const Vec3 side(u.y, -u.x, 0.0), depth(0.0, 0.0, 1.0);
  std::vector<Vec3> corners;
  for (double sx : {-1.0, 1.0}) {
    for (double sz : {-1.0, 1.0}) {
      corners.push_back(base + (sx * bottomWidth / 2) * side + (sz * bottomWidth / 2) * depth);
      corners.push_back(base + (1.05 * length) * u + (sx * topWidth / 2) * side +
                        (sz * topWidth / 2) * depth);
    }
  }
  return corners;
}

bool SameColour(const std::array<float, 4>& rgba, const float (&colour)[4]) {
  for (int i = 0; i < 4; ++i) {
    if (std::abs(rgba[i] - colour[i]) > 1e-3f) return false;
  }
  return true;
}

class TreeRendererTest : public ::testing::Test {
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

  // How many polygons one primitive gives in feedback here (a quad may come
  // back as two triangles).
  std::size_t PolygonsPerSegment() {
    return Feedback([&] { renderer->DrawBarkSegment(0.1, 0.05, 1.0); }).size();
  }
  std::size_t PolygonsPerLeaf() {
    return Feedback([&] { renderer->DrawLeaf(0.02, 0.025); }).size();
  }

  HeadlessSurface surface{160, 120};
  CGLWindow window;
  CTreeRenderer* renderer = nullptr;
  CBranchModel* model = nullptr;
};

struct AxisCase {
  const char* name;
  std::vector<Vec3> stroke;
  double axisLengthRatio;  // set after the stroke was drawn
};

// The main axis follows the directions of the stroke with the rule's lengths
// and tapers, whatever the distances between the stroke points are.
TEST_F(TreeRendererTest, MainAxisFollowsTheStrokeDirections) {
  const AxisCase cases[] = {
      {"turn onto +X", {{0, 0, 0}, {0, 0.35, 0}, {0.2975, 0.35, 0}}, 0.85},
      {"straight column", VerticalStroke(4), 0.85},
      {"shorter axis ratio", VerticalStroke(4), 0.5},
      {"half turn back", {{0, 0, 0}, {0, 0.35, 0}, {0, 0.1, 0}}, 0.85},
      {"first step down", {{0, 0, 0}, {0, -0.35, 0}}, 0.85},
      {"curve from off the origin",
       {{0.1, -0.2, 0}, {0.3, 0.0, 0}, {0.3, 0.9, 0}, {-0.5, 1.5, 0}, {-0.5, 1.0, 0}},
       0.85},
  };
  renderer->lighting = false;
  SetHandles({false, false, false, false});
  for (const AxisCase& c : cases) {
    SCOPED_TRACE(c.name);
    renderer->strokePoints = c.stroke;
    model->AxisRecord().lengthRatio = c.axisLengthRatio;

    const std::vector<FeedbackVertex> drawn =
        PolygonVertices(Feedback([&] { renderer->DrawTree(); }));
    std::vector<Vec3> corners;
    Vec3 base = c.stroke[0];
    double length = 0.35, width = 0.028;
    for (std::size_t i = 1; i < c.stroke.size(); ++i) {
      Vec3 u = c.stroke[i] - c.stroke[i - 1];
      u.Normalize();
      for (const Vec3& corner : SegmentCorners(base, u, width, 0.8 * width, length)) {
        corners.push_back(corner);
      }
      base = base + length * u;
      length *= c.axisLengthRatio;
      width *= 0.8;
    }
    ExpectCorners(drawn, corners);
    for (const FeedbackVertex& v : drawn) {
      ASSERT_TRUE(SameColour(v.rgba, CTreeRenderer::trunkAmbient));
    }
  }
}

struct CountCase {
  const char* name;
  int points;
  Handles handles;
  int axis, branches, tips, leaves;
};

// Segments by colour in polygon rendering; bark segments and leaves in tree
// rendering. The side branches at node i recurse to depth n - i + 1.
TEST_F(TreeRendererTest, DrawsOneSegmentPerBranchAndLeavesAtTheTips) {
  const CountCase cases[] = {
      {"one node, two handles", 2, {true, false, true, false}, 1, 0, 2, 4},
      {"no handles", 5, {false, false, false, false}, 4, 0, 0, 0},
      {"single handle 1", 3, {false, true, false, false}, 2, 1, 2, 2},
      {"four nodes, two handles", 4, {true, false, true, false}, 3, 8, 14, 28},
      {"all four handles", 3, {true, true, true, true}, 2, 4, 20, 80},
      {"full default stroke", 10, {true, false, true, false}, 9, 1004, 1022, 2044},
  };
  const std::size_t perSegment = PolygonsPerSegment();
  const std::size_t perLeaf = PolygonsPerLeaf();
  ASSERT_GT(perSegment, 0u);
  ASSERT_GT(perLeaf, 0u);
  renderer->lighting = false;
  for (const CountCase& c : cases) {
    SCOPED_TRACE(c.name);
    renderer->strokePoints = VerticalStroke(c.points);
    SetHandles(c.handles);

    renderer->polygonMode = true;
    std::size_t trunk = 0, branch = 0, tip = 0, other = 0;
    for (const FeedbackPrimitive& p : Feedback([&] { renderer->DrawTree(); })) {
      const auto& rgba = p.vertices.at(0).rgba;
      if (SameColour(rgba, CTreeRenderer::trunkAmbient)) {
        ++trunk;
      } else if (SameColour(rgba, CTreeRenderer::branchAmbient)) {
        ++branch;
      } else if (SameColour(rgba, CTreeRenderer::tipAmbient)) {
        ++tip;
      } else {
        ++other;
      }
    }
    EXPECT_EQ(trunk, c.axis * perSegment);
    EXPECT_EQ(branch, c.branches * perSegment);
    EXPECT_EQ(tip, c.tips * perSegment);
    EXPECT_EQ(other, 0u);

    renderer->polygonMode = false;
    std::size_t bark = 0, leaf = 0;
    other = 0;
    for (const FeedbackPrimitive& p : Feedback([&] { renderer->DrawTree(); })) {
      const auto& rgba = p.vertices.at(0).rgba;
      if (SameColour(rgba, CTreeRenderer::barkAmbient)) {
        ++bark;
      } else if (SameColour(rgba, CTreeRenderer::leafDiffuse)) {
        ++leaf;
      } else {
        ++other;
      }
    }
    EXPECT_EQ(bark, (c.axis + c.branches + c.tips) * perSegment);
    EXPECT_EQ(leaf, c.leaves * perLeaf);
    EXPECT_EQ(other, 0u);
  }
}

// Side branches: each handle's ratios applied to its parent, children on the
// parent's base width, and the axis record's rotation twisting the branches
// of node i by its i-th power without carrying on along the main axis. All
// turns here are about Z, so every segment stands in the plane z = 0.
TEST_F(TreeRendererTest, SideBranchesFollowTheirHandlesAndTheNodesTwist) {
  constexpr double kTwist = 0.3;
  model->AxisRecord().rotation.SetRotationZ(kTwist);
  SetHandles({true, false, false, false});
  renderer->lighting = false;
  renderer->strokePoints = VerticalStroke(3);

  const std::vector<FeedbackPrimitive> drawn = Feedback([&] { renderer->DrawTree(); });
  const std::size_t perSegment = PolygonsPerSegment();
  ASSERT_EQ(drawn.size(), 5 * perSegment);
  const auto segment = [&](std::size_t s) {
    return PolygonVertices(std::vector<FeedbackPrimitive>(drawn.begin() + s * perSegment,
                                                          drawn.begin() + (s + 1) * perSegment));
  };
  // The direction of a frame turned by angle about Z.
  const auto along = [](double angle) { return Vec3(-std::sin(angle), std::cos(angle), 0); };
  const Vec3 up(0, 1, 0), node1(0, 0.35, 0), node2(0, 0.6475, 0);
  const double top1 = 0.028 * 0.8, top2 = top1 * 0.8;  // the axis segments' top widths
  const double branch = 0.8 * top1;                    // node 1's branch base width
  // In drawing order: axis, node 1 branch, its tip, axis, node 2 tip.
  ExpectCorners(segment(0), SegmentCorners({0, 0, 0}, up, 0.028, top1, 0.35));
  ExpectCorners(segment(1), SegmentCorners(node1, along(kTwist - kAlpha), branch, 0.8 * branch,
                                           0.28));
  ExpectCorners(segment(2), SegmentCorners(node1 + 0.28 * along(kTwist - kAlpha),
                                           along(kTwist - 2 * kAlpha), 0.8 * branch,
                                           0.64 * branch, 0.224));
  ExpectCorners(segment(3), SegmentCorners(node1, up, top1, top2, 0.2975));
  ExpectCorners(segment(4), SegmentCorners(node2, along(2 * kTwist - kAlpha), 0.8 * top2,
                                           0.64 * top2, 0.238));
}

TEST_F(TreeRendererTest, SegmentIsATaperedBoxWithoutCaps) {
  struct {
    const char* name;
    double bottom, top, length;
  } const cases[] = {{"straight box", 0.1, 0.1, 1.0}, {"collapsed top", 0.2, 0.0, 0.5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto drawn = Feedback([&] {
      renderer->DrawSegment(c.bottom, c.top, c.length, CTreeRenderer::tipAmbient,
                            CTreeRenderer::tipDiffuse);
    });
    ExpectCorners(PolygonVertices(drawn), SegmentCorners({0, 0, 0}, {0, 1, 0}, c.bottom, c.top,
                                                          c.length));
    // Only side faces: every polygon reaches from the bottom to the top.
    for (const FeedbackPrimitive& p : drawn) {
      bool bottom = false, top = false;
      for (const FeedbackVertex& v : p.vertices) {
        bottom = bottom || std::abs(v.position.y) < kTol;
        top = top || std::abs(v.position.y - 1.05 * c.length) < kTol;
      }
      EXPECT_TRUE(bottom && top);
    }
  }
}

TEST_F(TreeRendererTest, LeafIsABentFanCappedInSize) {
  const auto leaf = PolygonVertices(Feedback([&] { renderer->DrawLeaf(0.02, 0.025); }));
  ExpectCorners(leaf, {{0, 0, 0}, {0, 0.025, 0.00625}, {-0.02, 0.025, 0.0125},
                       {0.02, 0.025, 0.0125}, {0, 0.05, 0}});

  const auto capped = PolygonVertices(Feedback([&] { renderer->DrawLeaf(0.5, 0.5); }));
  const auto atCaps = PolygonVertices(Feedback([&] { renderer->DrawLeaf(0.01, 0.03); }));
  ASSERT_EQ(capped.size(), atCaps.size());
  for (std::size_t i = 0; i < capped.size(); ++i) {
    EXPECT_TRUE(Near(capped[i].position, atCaps[i].position)) << i;
  }
  ExpectCorners(capped, {{0, 0, 0}, {0, 0.03, 0.0075}, {-0.02, 0.03, 0.015}, {0.02, 0.03, 0.015},
                         {0, 0.06, 0}});
}

struct PrimitiveCase {
  const char* name;
  std::function<void(CTreeRenderer&)> draw;
  const float* ambient;
  const float* diffuse;
  const float* flat;
  Vec3 lastNormal;
};

// The state each primitive leaves, lit and flat.
TEST_F(TreeRendererTest, PrimitivesSetMaterialOrFlatColourAndLeaveCullingOff) {
  // Tell the leaf's ambient and diffuse colours apart for this test.
  const std::array<float, 4> savedLeafAmbient = {
      CTreeRenderer::leafAmbient[0], CTreeRenderer::leafAmbient[1], CTreeRenderer::leafAmbient[2],
      CTreeRenderer::leafAmbient[3]};
  CTreeRenderer::leafAmbient[0] = 0.1f;

  const PrimitiveCase cases[] = {
      {"segment",
       [](CTreeRenderer& r) {
         r.DrawSegment(0.1, 0.08, 1, CTreeRenderer::tipAmbient, CTreeRenderer::tipDiffuse);
       },
       CTreeRenderer::tipAmbient, CTreeRenderer::tipDiffuse, CTreeRenderer::tipAmbient,
       {-0.7071067, 0, -0.0701067}},
      {"bark segment", [](CTreeRenderer& r) { r.DrawBarkSegment(0.1, 0.08, 1); },
       CTreeRenderer::barkAmbient, CTreeRenderer::barkDiffuse, CTreeRenderer::barkAmbient,
       {-0.7071067, 0, -0.0701067}},
      {"leaf", [](CTreeRenderer& r) { r.DrawLeaf(0.02, 0.025); }, CTreeRenderer::leafAmbient,
       CTreeRenderer::leafDiffuse, CTreeRenderer::leafDiffuse, {0, 0.7071067, 0.0701067}},
  };
  const auto expectFloats = [](const float* actual, const float* expected, int n) {
    for (int i = 0; i < n; ++i) EXPECT_FLOAT_EQ(actual[i], expected[i]) << i;
  };
  for (const PrimitiveCase& c : cases) {
    for (bool lit : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (lit ? " lit" : " flat"));
      glEnable(GL_CULL_FACE);
      glEnable(GL_LIGHTING);
      glDisable(GL_LIGHT0);
      glDisable(GL_LIGHT1);
      renderer->lighting = lit;
      c.draw(*renderer);

      EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
      EXPECT_FALSE(glIsEnabled(GL_NORMALIZE));
      GLint shadeModel = 0;
      glGetIntegerv(GL_SHADE_MODEL, &shadeModel);
      GLfloat normal[3];
      glGetFloatv(GL_CURRENT_NORMAL, normal);
      EXPECT_FLOAT_EQ(normal[0], static_cast<float>(c.lastNormal.x));
      EXPECT_FLOAT_EQ(normal[1], static_cast<float>(c.lastNormal.y));
      EXPECT_FLOAT_EQ(normal[2], static_cast<float>(c.lastNormal.z));
      if (lit) {
        EXPECT_EQ(shadeModel, GL_SMOOTH);
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
        EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
        EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
        GLfloat value[4];
        glGetMaterialfv(GL_FRONT, GL_AMBIENT, value);
        expectFloats(value, c.ambient, 4);
        glGetMaterialfv(GL_FRONT, GL_DIFFUSE, value);
        expectFloats(value, c.diffuse, 4);
        const float black[4] = {0, 0, 0, 1};
        glGetMaterialfv(GL_FRONT, GL_SPECULAR, value);
        expectFloats(value, black, 4);
        glGetMaterialfv(GL_FRONT, GL_SHININESS, value);
        EXPECT_FLOAT_EQ(value[0], 128.0f);
      } else {
        EXPECT_EQ(shadeModel, GL_FLAT);
        EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        expectFloats(colour, c.flat, 4);
      }
    }
  }
  for (int i = 0; i < 4; ++i) CTreeRenderer::leafAmbient[i] = savedLeafAmbient[i];
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TreeRendererTest, DisabledDrawsNothingAndChangesNoState) {
  renderer->enabled = false;
  renderer->strokePoints = VerticalStroke(4);
  renderer->strokeActive = 1.0;
  const GLfloat position[4] = {1, 2, 3, 0};
  glLightfv(GL_LIGHT0, GL_POSITION, position);
  glEnable(GL_LIGHTING);
  glEnable(GL_CULL_FACE);
  glDisable(GL_LIGHT0);
  glDisable(GL_LIGHT1);
  glLineWidth(5.0f);

  EXPECT_TRUE(Feedback([&] { renderer->Draw(); }).empty());
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
  EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
  GLfloat value[4];
  glGetFloatv(GL_LINE_WIDTH, value);
  EXPECT_EQ(value[0], 5.0f);
  glGetLightfv(GL_LIGHT0, GL_POSITION, value);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(value[i], position[i]);
}

// Draw: the lights at their world positions, the guide line while a stroke is
// drawn, the tree, and the axes; lighting off and line width 3 afterwards.
TEST_F(TreeRendererTest, DrawShowsGuideWhileStrokingAndEndsWithTheAxes) {
  struct {
    const char* name;
    int points;
    bool stroking;
    bool treeDrawn;
  } const cases[] = {{"one point while stroking", 1, true, false},
                     {"one point after the stroke", 1, false, false},
                     {"two points while stroking", 2, true, true},
                     {"two points after the stroke", 2, false, true}};
  const Vec3 target(0.4, 0.9, 0.1);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    renderer->strokePoints = VerticalStroke(c.points);
    renderer->strokeActive = c.stroking ? 1.0 : 0.0;
    renderer->strokeTarget = target;

    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHT1);
    const auto drawn = Feedback([&] { renderer->Draw(); });
    EXPECT_EQ(PolygonVertices(drawn).empty(), !c.treeDrawn);

    struct Line {
      Vec3 from, to;
      std::array<float, 4> rgba;
    };
    std::vector<Line> expected;
    if (c.stroking) expected.push_back({VerticalStroke(c.points).back(), target, {0.95f, 0.95f, 0.95f, 1}});
    expected.push_back({{0, 0, 0}, {0.2, 0, 0}, {1, 0, 0, 1}});
    expected.push_back({{0, 0, 0}, {0, 0.2, 0}, {0, 0, 1, 1}});
    expected.push_back({{0, 0, 0}, {0, 0, 0.2}, {0, 0, 1, 1}});
    const auto lines = Lines(drawn);
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
      EXPECT_TRUE(Near(lines[i].vertices[0].position, expected[i].from)) << i;
      EXPECT_TRUE(Near(lines[i].vertices[1].position, expected[i].to)) << i;
      for (int k = 0; k < 4; ++k) EXPECT_NEAR(lines[i].vertices[0].rgba[k], expected[i].rgba[k], 1e-3) << i;
    }

    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    GLfloat value[4];
    glGetFloatv(GL_LINE_WIDTH, value);
    EXPECT_EQ(value[0], 3.0f);
    // With the identity modelview the eye coordinates OpenGL keeps are the world ones.
    const GLfloat light0[4] = {5, 0, 6, 1}, light1[4] = {-1, 10, -6, 1};
    glGetLightfv(GL_LIGHT0, GL_POSITION, value);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(value[i], light0[i]);
    glGetLightfv(GL_LIGHT1, GL_POSITION, value);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(value[i], light1[i]);
  }
}

TEST_F(TreeRendererTest, GuideLineIsWideFlatAndUnlit) {
  renderer->BeginStroke({0, 0, 0});
  glEnable(GL_LIGHTING);
  renderer->DrawStrokeGuide();
  GLfloat width = 0;
  glGetFloatv(GL_LINE_WIDTH, &width);
  EXPECT_EQ(width, 8.0f);
  GLint shadeModel = 0;
  glGetIntegerv(GL_SHADE_MODEL, &shadeModel);
  EXPECT_EQ(shadeModel, GL_FLAT);
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
}

struct RGB {
  int r, g, b;
};

// What the tree pane shows through the default camera, read back.
TEST_F(TreeRendererTest, PaneShowsTheTreeInItsFlatColours) {
  struct {
    const char* name;
    bool polygonMode;
    bool enabled;
    std::vector<RGB> present;
  } const cases[] = {
      {"polygon rendering", true, true, {{242, 242, 0}, {179, 179, 179}, {0, 204, 204}, {255, 0, 0}}},
      {"tree rendering", false, true, {{77, 64, 13}, {102, 204, 0}, {255, 0, 0}}},
      {"turned off", true, false, {}},
  };
  renderer->lighting = false;
  renderer->strokePoints = VerticalStroke(8);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    renderer->polygonMode = c.polygonMode;
    renderer->enabled = c.enabled;
    window.BeginScene();
    renderer->Draw();
    ASSERT_TRUE(window.EndScene());

    ASSERT_TRUE(window.MakeCurrent());
    std::vector<unsigned char> pixels(160 * 120 * 4);
    glReadPixels(0, 0, 160, 120, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    std::vector<int> found(c.present.size(), 0);
    int lit = 0;
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
      if (pixels[i] || pixels[i + 1] || pixels[i + 2]) ++lit;
      for (std::size_t k = 0; k < c.present.size(); ++k) {
        const RGB& want = c.present[k];
        if (std::abs(pixels[i] - want.r) <= 1 && std::abs(pixels[i + 1] - want.g) <= 1 &&
            std::abs(pixels[i + 2] - want.b) <= 1) {
          ++found[k];
        }
      }
    }
    for (std::size_t k = 0; k < c.present.size(); ++k) {
      EXPECT_GE(found[k], 3) << "colour " << c.present[k].r << " " << c.present[k].g << " "
                             << c.present[k].b;
    }
    if (!c.enabled) {
      EXPECT_EQ(lit, 0);
    }
  }
}

}  // namespace
