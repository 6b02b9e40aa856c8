#include <map>
#include <set>

#include "ControllerPane.h"

namespace {

std::uint32_t Word(RgbaCell c) {
  return c.r | static_cast<std::uint32_t>(c.g) << 8 | static_cast<std::uint32_t>(c.b) << 16 |
         static_cast<std::uint32_t>(c.a) << 24;
}

TEST(PickCode, DecodesIdAndPartFromTheRedByteAlone) {
  struct Case {
    RgbaCell cell;
    int pickId, part;
  } const cases[] = {
      {{18, 0, 0, 255}, 4, 2},     // branch handle 3's width point
      {{0, 217, 217, 255}, 0, 0},  // the legend's cyan bar: red byte 0
      {{5, 7, 9, 255}, 1, 1},      // green and blue are ignored
      {{255, 0, 0, 255}, 15, 3},
  };
  for (const Case& c : cases) {
    int pickId = -1, part = -1;
    DecodePickColour(Word(c.cell), pickId, part);
    EXPECT_EQ(c.pickId, pickId) << int(c.cell.r);
    EXPECT_EQ(c.part, part) << int(c.cell.r);
  }
  // Every handle code survives the trip through an opaque read-back cell.
  for (int id = 0; id <= kMaxPickId; ++id) {
    for (HandlePart part : {HandlePart::Tip, HandlePart::Width, HandlePart::Twist}) {
      int gotId = -1, gotPart = -1;
      DecodePickColour(PickCode(id, part) | 0xFF000000u, gotId, gotPart);
      EXPECT_EQ(id, gotId);
      EXPECT_EQ(static_cast<int>(part), gotPart);
    }
  }
}

using ControllerSceneTest = ControllerPaneTest;

// The lowest window row that the legend reaches under the pane's camera.
double LegendBottom() {
  ControllerPaneTest::Window().MakeCurrent();
  double bottom = ControllerPaneTest::kHeight;
  for (const FeedbackPrimitive& p : Feedback(DrawLegend)) {
    for (const Vec3& w : p.window) bottom = std::min(bottom, w.y);
  }
  return bottom;
}

TEST_F(ControllerSceneTest, PickImageHoldsTheCodesOfDrawnHandlePointsOnly) {
  struct Variant {
    const char* name;
    std::function<void(CBranchModel&)> setup;
    std::set<int> codes;
    bool apart = false;  // no two points' squares overlap
  } const variants[] = {
      {"default", [](CBranchModel&) {}, {1, 2, 3, 5, 6, 7, 13, 14, 15}, true},
      {"all handles on",
       [](CBranchModel& m) { m.Handle(1).active = m.Handle(3).active = true; },
       {1, 2, 3, 5, 6, 7, 9, 10, 11, 13, 14, 15, 17, 18, 19}},
      {"all handles off, axis record inactive",
       [](CBranchModel& m) {
         for (int k = 0; k < CBranchModel::kHandleCount; ++k) m.Handle(k).active = false;
         m.AxisRecord().active = false;
       },
       {1, 2, 3}},
  };
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.name);
    Model().ResetDefaults();
    v.setup(Model());
    ASSERT_TRUE(RenderPickPass());
    const double legendBottom = LegendBottom();

    std::map<int, int> cellsPerCode;
    for (int y = 0; y < kHeight && y < legendBottom - 8; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const RgbaCell c = PickCell(x, y);
        if (Word(c) == kPickBackground) continue;
        EXPECT_EQ(0, c.g);
        EXPECT_EQ(0, c.b);
        EXPECT_EQ(255, c.a);
        ++cellsPerCode[c.r];
      }
    }
    std::set<int> codes;
    for (const auto& [code, count] : cellsPerCode) codes.insert(code);
    EXPECT_EQ(v.codes, codes);

    // Each drawn point lies where the scene puts it, below the legend, as an
    // intact 12 x 12 square (where points overlap, the nearer one wins).
    if (!v.apart) continue;
    for (int code : v.codes) {
      const Vec3 w = ToWindow(HandlePointInWorld(code / 4, static_cast<HandlePart>(code % 4)));
      ASSERT_LT(w.y, legendBottom - 8);
      const int x = static_cast<int>(w.x), y = static_cast<int>(w.y);
      EXPECT_EQ(code, PickCell(x, y).r) << "code " << code;
      float depth = 1.0f;
      ASSERT_TRUE(Window().ReadPickSample(x, y, &depth, nullptr));
      EXPECT_LT(depth, 1.0f);
      EXPECT_EQ(144, cellsPerCode[code]) << "code " << code;
    }
  }
}

TEST_F(ControllerSceneTest, NormalPaintingDrawsColouredPointsOfDrawnRecordsAndTheMarker) {
  struct Variant {
    const char* name;
    std::function<void(CBranchModel&)> setup;
    std::vector<int> pickIds;  // records whose points are drawn, in order
    bool marker;               // handle 0's axes
  } const variants[] = {
      {"default", [](CBranchModel&) {}, {0, 1, 3}, false},
      {"handle 1 on, axis record inactive and selected",
       [](CBranchModel& m) {
         m.Handle(1).active = true;
         m.AxisRecord().active = false;
         m.AxisRecord().selected = true;
       },
       {0, 1, 2, 3},
       false},
      {"handle 0 selected", [](CBranchModel& m) { m.Handle(0).selected = true; }, {0, 1, 3}, true},
      {"inactive handle 1 selected",
       [](CBranchModel& m) { m.Handle(1).selected = true; },
       {0, 1, 3},
       false},
  };
  const std::array<float, 4> red = {1, 0, 0, 1}, green = {0, 1, 0, 1}, blue = {0, 0, 1, 1};
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.name);
    Model().ResetDefaults();
    v.setup(Model());
    Window().BeginScene();
    const std::vector<FeedbackPrimitive> drawn = Feedback(DrawRuleScene);
    Window().EndScene();

    std::vector<const FeedbackPrimitive*> points, lines;
    for (const FeedbackPrimitive& p : drawn) {
      if (p.kind == GL_POINT_TOKEN) points.push_back(&p);
      if (p.kind == GL_LINE_TOKEN) lines.push_back(&p);
    }
    ASSERT_EQ(3 * v.pickIds.size(), points.size());
    for (std::size_t i = 0; i < v.pickIds.size(); ++i) {
      const HandlePart parts[] = {HandlePart::Tip, HandlePart::Width, HandlePart::Twist};
      const std::array<float, 4> colours[] = {red, green, blue};
      for (int k = 0; k < 3; ++k) {
        const FeedbackPrimitive& p = *points[3 * i + k];
        const Vec3 expected = HandlePointInWorld(v.pickIds[i], parts[k]);
        EXPECT_NEAR(0.0, (p.object[0] - expected).Length(), 1e-3) << v.pickIds[i] << " " << k;
        EXPECT_EQ(colours[k], p.colour[0]);
      }
    }

    ASSERT_EQ(v.marker ? 2u : 0u, lines.size());
    if (v.marker) {
      const Matrix4& r = Model().Handle(0).rotation;
      const Vec3 branchingPoint(0.0, Model().trunkLength, 0.0);
      const Vec3 xEnd = branchingPoint + r.TransformPoint(Vec3(0.3, 0, 0));
      const Vec3 zEnd = branchingPoint + r.TransformPoint(Vec3(0, 0, 0.3));
      EXPECT_NEAR(0.0, (lines[0]->object[0] - branchingPoint).Length(), 1e-3);
      EXPECT_NEAR(0.0, (lines[0]->object[1] - xEnd).Length(), 1e-3);
      EXPECT_EQ(red, lines[0]->colour[1]);
      EXPECT_NEAR(0.0, (lines[1]->object[1] - zEnd).Length(), 1e-3);
      EXPECT_EQ(blue, lines[1]->colour[1]);
    }
  }
}

// Orthographic matrices for geometry checks: object coordinates come back
// from the window ones with little loss.
void LoadOrthographicView(double alongX, double alongY) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-2, 2, -2, 2, -4, 4);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glRotated(alongX, 1, 0, 0);
  glRotated(alongY, 0, 1, 0);
}

TEST_F(ControllerSceneTest, HandlePointsSitJustBeyondTheSegment) {
  ASSERT_TRUE(Window().MakeCurrent());
  LoadOrthographicView(0, 0);
  HandleRecord record;
  record.lengthRatio = 1.5;
  record.widthRatio = 1.0;
  struct Case {
    bool pickPass;
    int pickId;
    std::array<float, 4> colours[3];
  } const cases[] = {
      {false, 1, {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}}},
      {true, 4, {{17 / 255.f, 0, 0, 1}, {18 / 255.f, 0, 0, 1}, {19 / 255.f, 0, 0, 1}}},
  };
  for (const Case& c : cases) {
    Window().pickPass = c.pickPass;
    const auto points = Feedback([&] { DrawHandlePoints(record, c.pickId); });
    Window().pickPass = false;
    ASSERT_EQ(3u, points.size());
    // At the default trunk, 0.5 long and 0.04 wide.
    const Vec3 expected[3] = {{0, 0.7575, 0}, {0.05, 0.5 * 0.7575, 0}, {0.05, 0.6 * 0.7575, 0}};
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(0.0, (points[k].object[0] - expected[k]).Length(), 1e-6) << k;
      for (int i = 0; i < 4; ++i) EXPECT_NEAR(c.colours[k][i], points[k].colour[0][i], 1e-6);
    }
  }
}

TEST_F(ControllerSceneTest, GroundGridHasElevenLinesEachWayEndingAtOne) {
  ASSERT_TRUE(Window().MakeCurrent());
  LoadOrthographicView(30, 20);
  const auto lines = Feedback(DrawGroundGrid);
  ASSERT_EQ(22u, lines.size());
  for (int k = 0; k < 11; ++k) {
    const double a = k == 10 ? 1.0 : -1.0 + 0.2 * k;
    const Vec3 along[2][2] = {{{a, 0, -1}, {a, 0, 1}}, {{-1, 0, a}, {1, 0, a}}};
    for (int d = 0; d < 2; ++d) {
      const FeedbackPrimitive& line = lines[2 * k + d];
      ASSERT_EQ(static_cast<GLenum>(GL_LINE_TOKEN), line.kind);
      for (int end = 0; end < 2; ++end) {
        EXPECT_NEAR(0.0, (line.object[end] - along[d][end]).Length(), 1e-5) << k << d << end;
      }
      EXPECT_EQ((std::array<float, 4>{0.8f, 0.8f, 0.8f, 1.0f}), line.colour[0]);
    }
  }
}

TEST_F(ControllerSceneTest, SegmentBoxFacesWindCounterClockwiseFromOutside) {
  ASSERT_TRUE(Window().MakeCurrent());
  LoadOrthographicView(25, 35);  // no face edge-on
  glDisable(GL_CULL_FACE);
  const double a = 0.3, h = 1.2;
  const auto polygons = Feedback([&] { DrawSegmentBox(SegmentKind::Branch, a, h); });
  glEnable(GL_CULL_FACE);

  // OpenGL may hand a quad back as triangles: sum the area each side gets.
  const Vec3 sides[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  const auto onSide = [&](const Vec3& v, const Vec3& side) {
    if (side.y > 0) return std::abs(v.y - h) < 1e-5;
    if (side.y < 0) return std::abs(v.y) < 1e-5;
    return std::abs(v.Dot(side) - a) < 1e-5;
  };
  double area[6] = {};
  for (const FeedbackPrimitive& p : polygons) {
    ASSERT_EQ(static_cast<GLenum>(GL_POLYGON_TOKEN), p.kind);
    for (const Vec3& v : p.object) {
      EXPECT_NEAR(a, std::abs(v.x), 1e-5);
      EXPECT_NEAR(a, std::abs(v.z), 1e-5);
      EXPECT_TRUE(std::abs(v.y) < 1e-5 || std::abs(v.y - h) < 1e-5) << v.y;
    }
    int side = -1;
    for (int s = 0; s < 6; ++s) {
      if (std::all_of(p.object.begin(), p.object.end(),
                      [&](const Vec3& v) { return onSide(v, sides[s]); }))
        side = s;
    }
    ASSERT_GE(side, 0) << "a polygon off the box's sides";
    Vec3 turn;  // twice the area, along the normal of a counter-clockwise turn
    for (std::size_t k = 1; k + 1 < p.object.size(); ++k) {
      turn = turn + (p.object[k] - p.object[0]).Cross(p.object[k + 1] - p.object[0]);
    }
    EXPECT_GT(turn.Dot(sides[side]), 0.0) << "side " << side << " winds clockwise from outside";
    area[side] += turn.Length() / 2;
  }
  for (int s = 0; s < 6; ++s) {
    EXPECT_NEAR(sides[s].y != 0 ? 4 * a * a : 2 * a * h, area[s], 1e-4) << "side " << s;
  }
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
}

TEST_F(ControllerSceneTest, LegendRowsAreFixedOnScreenAndShowTheActiveRule) {
  ASSERT_TRUE(Window().MakeCurrent());
  glDisable(GL_CULL_FACE);
  const int perBox =
      CountKind(Feedback([] { DrawSegmentBox(SegmentKind::Trunk, 0.04, 0.5); }), GL_POLYGON_TOKEN);
  const auto before = Feedback(DrawLegend);
  // Boxes: the first row draws trunk, axis record and the two active
  // handles, the second the trunk and the handles. Lines: bar and arrow.
  EXPECT_EQ(7 * perBox, CountKind(before, GL_POLYGON_TOKEN));
  EXPECT_EQ(8, CountKind(before, GL_LINE_TOKEN));
  EXPECT_EQ(0, CountKind(before, GL_POINT_TOKEN));
  for (const FeedbackPrimitive& p : before) {
    for (const Vec3& w : p.window) EXPECT_GT(w.y, kHeight / 2.0);  // the upper part
  }

  // Another camera leaves the legend where it was.
  Window().eye = Vec3(1.5, 2.0, 1.0);
  Window().BeginScene();
  const auto moved = Feedback(DrawLegend);
  Window().EndScene();
  Window().MakeCurrent();
  ASSERT_EQ(before.size(), moved.size());
  for (std::size_t i = 0; i < before.size(); ++i) {
    for (std::size_t k = 0; k < before[i].window.size(); ++k) {
      EXPECT_NEAR(0.0, (before[i].window[k] - moved[i].window[k]).Length(), 1e-3);
    }
  }

  Model().Handle(1).active = Model().Handle(3).active = true;
  EXPECT_EQ(11 * perBox, CountKind(Feedback(DrawLegend), GL_POLYGON_TOKEN));
  glEnable(GL_CULL_FACE);
}

TEST_F(ControllerSceneTest, DrawingLeavesTheModelviewStackAsFound) {
  Model().Handle(0).selected = true;
  const struct {
    const char* name;
    std::function<void()> draw;
  } draws[] = {
      {"grid", DrawGroundGrid},
      {"box", [] { DrawSegmentBox(SegmentKind::Trunk, 0.1, 0.5); }},
      {"points", [] { DrawHandlePoints(Model().Handle(0), 1); }},
      {"axes", DrawHandleAxes},
      {"rule scene", DrawRuleScene},
      {"rule scene, picking",
       [] {
         Window().pickPass = true;
         DrawRuleScene();
         Window().pickPass = false;
       }},
      {"legend", DrawLegend},
      {"controller scene", DrawControllerScene},
  };
  ASSERT_TRUE(Window().MakeCurrent());
  glMatrixMode(GL_MODELVIEW);
  glTranslated(0.1, 0.2, 0.3);
  for (const auto& d : draws) {
    GLdouble before[16], after[16];
    GLint depthBefore = 0, depthAfter = 0;
    glGetDoublev(GL_MODELVIEW_MATRIX, before);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    d.draw();
    glGetDoublev(GL_MODELVIEW_MATRIX, after);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthBefore, depthAfter) << d.name;
    EXPECT_EQ(0, std::memcmp(before, after, sizeof before)) << d.name;
    EXPECT_EQ(static_cast<GLenum>(GL_NO_ERROR), glGetError()) << d.name;
  }
}

}  // namespace
