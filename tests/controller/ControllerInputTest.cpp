#include <limits>

#include "ControllerPane.h"
#include "geometry/MatrixFunctions.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

class ControllerInputTest : public ControllerPaneTest {
 public:
  void SetUp() override {
    ControllerPaneTest::SetUp();
    input = GetControllerInput();  // renders the first picking image
  }

  // The world direction of a record's own +Y.
  static Vec3 SegmentDirection(const HandleRecord& record) {
    return record.rotation.TransformPoint(Vec3(0, 1, 0));
  }

  static bool PickImageHas(int pickId, HandlePart part, const ClientPoint& at) {
    float depth = 1.0f;
    std::uint32_t colour = 0;
    if (!Window().ReadPickSample(at.x, kHeight - at.y, &depth, &colour)) return false;
    return colour == (PickCode(pickId, part) | 0xFF000000u) && depth < 1.0f;
  }

  // The client point at the middle of a legend row's colour bar, which is
  // drawn in eye space: the first row's is white, the second row's cyan.
  static constexpr double kFirstRow = -0.44, kSecondRow = 0.1;
  static ClientPoint LegendBar(double rowX) {
    Window().MakeCurrent();
    const Matrix4 identity;
    GLdouble projection[16];
    GLint viewport[4];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble x = 0, y = 0, z = 0;
    gluProject(rowX, 0.45 + 0.12, -2.4, identity.m, projection, viewport, &x, &y, &z);
    return ClientFor(Vec3(x, y, z));
  }

  CControllerInput* input = nullptr;
};

const Vec3 kBranchingPoint(0.0, 0.5, 0.0);  // at the default trunk length

TEST_F(ControllerInputTest, CreationRendersThePickingImage) {
  for (int id : {0, 1, 3}) {
    for (HandlePart part : {HandlePart::Tip, HandlePart::Width, HandlePart::Twist}) {
      EXPECT_TRUE(PickImageHas(id, part, ClientAtHandle(id, part))) << id;
    }
  }
}

TEST_F(ControllerInputTest, PressReadsRowHeightMinusYAndGrabsOnlyHandleCodes) {
  // The bottom row of branch handle 0's tip square, found in the image.
  const ClientPoint centre = ClientAtHandle(1, HandlePart::Tip);
  int bottomRow = kHeight - centre.y;
  while (PickCell(centre.x, bottomRow - 1).r == PickCode(1, HandlePart::Tip)) --bottomRow;

  const struct Case {
    const char* name;
    ClientPoint at;
    bool grabbed;
    int grabId, grabPart;
  } cases[] = {
      {"bottom row of the tip square", {centre.x, kHeight - bottomRow}, true, 1, 1},
      {"the row below it", {centre.x, kHeight - bottomRow + 1}, false, -1, -1},
      {"axis record's twist point", ClientAtHandle(0, HandlePart::Twist), true, 0, 3},
      {"top client row: row = height, outside", {centre.x, 0}, false, -1, -1},
      {"outside the pane", {-5, 100}, false, -1, -1},
      {"background", {5, kHeight - 5}, false, -1, -1},
      {"legend's cyan bar", LegendBar(kSecondRow), true, 0, 0},
      {"legend's white bar", LegendBar(kFirstRow), false, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    input->LeftButtonDown(c.at);
    EXPECT_TRUE(input->leftDown);
    EXPECT_EQ(c.grabbed, input->grabbed);
    EXPECT_EQ(c.grabId, input->grabId);
    EXPECT_EQ(c.grabPart, input->grabPart);
    EXPECT_EQ(c.grabbed, input->grabDepth < 1.0f);
    input->LeftButtonUp(c.at);
  }
}

TEST_F(ControllerInputTest, PressOnCellsThatDesignateNoRecordGrabsNothing) {
  // Cells as no real pass leaves them, written into the image by hand.
  const ClientPoint at = ClientAtHandle(1, HandlePart::Tip);
  const int row = kHeight - at.y;
  const struct Case {
    const char* name;
    std::uint8_t red;
    float depth;
  } cases[] = {
      {"a handle code at depth 1.0", static_cast<std::uint8_t>(PickCode(1, HandlePart::Tip)), 1.0f},
      {"pick id 5", static_cast<std::uint8_t>(PickCode(5, HandlePart::Tip)), 0.5f},
      {"pick id 15", 255, 0.5f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    *Window().colorBuffer.At(at.x, row) = RgbaCell{c.red, 0, 0, 255};
    *Window().depthBuffer.At(at.x, row) = c.depth;
    const CBranchModel before = Model();
    input->LeftButtonDown(at);
    EXPECT_TRUE(input->leftDown);
    EXPECT_FALSE(input->grabbed);
    EXPECT_EQ(-1, input->grabId);
    input->MouseMove({at.x + 20, at.y});
    EXPECT_TRUE(SameRule(before, Model()));
    input->leftDown = false;  // a release would render the image again
  }
}

TEST_F(ControllerInputTest, PressRemembersTheGrabbedPointAndMarksBranchHandlesOnly) {
  for (int id : {0, 1, 3}) {
    SCOPED_TRACE(id);
    const Vec3 point = HandlePointInWorld(id, HandlePart::Tip);
    const ClientPoint at = ClientFor(ToWindow(point));
    input->LeftButtonDown(at);
    ASSERT_TRUE(input->grabbed);
    EXPECT_NEAR(0.0, (input->grabPoint - point).Length(), 0.01);  // within a few pixels
    EXPECT_EQ(input->grabPoint.x, input->previousPoint.x);
    EXPECT_EQ(input->grabPoint.y, input->previousPoint.y);
    EXPECT_EQ(input->grabPoint.z, input->previousPoint.z);
    HandleRecord& record = *Model().RecordForPickId(id);
    EXPECT_EQ(id != 0, record.selected);
    EXPECT_EQ(0, surface->repaintCount);       // a press neither repaints
    EXPECT_FALSE(surface->HasMouseCapture());  // nor captures

    input->LeftButtonUp(at);
    EXPECT_FALSE(record.selected);
    EXPECT_FALSE(input->leftDown || input->grabbed);
    EXPECT_EQ(-1, input->grabId);
    EXPECT_EQ(-1, input->grabPart);
    EXPECT_EQ(1.0f, input->grabDepth);
    EXPECT_EQ(0.0, input->grabPoint.Length() + input->currentPoint.Length() +
                       input->previousPoint.Length());
    surface->repaintCount = 0;
  }
}

TEST_F(ControllerInputTest, TipDragAimsBranchAtCursorAndSetsItsLengthWithinRange) {
  ClientPoint at = ClientAtHandle(1, HandlePart::Tip);
  input->LeftButtonDown(at);
  ASSERT_TRUE(input->grabbed);

  // A short move: aimed at the cursor, length = distance / trunk length.
  at.x += 30;
  at.y -= 20;
  input->MouseMove(at);
  HandleRecord& handle = Model().Handle(0);
  Vec3 reach = input->currentPoint - kBranchingPoint;
  EXPECT_NEAR(reach.Length() / 0.5, handle.lengthRatio, 1e-9);
  EXPECT_NEAR(0.0, (SegmentDirection(handle) - (1.0 / reach.Length()) * reach).Length(), 1e-9);
  EXPECT_EQ(1, surface->repaintCount);

  // Far out: still aimed, but the length stays below its bound.
  const double lengthBefore = handle.lengthRatio;
  at.x += 400;
  input->MouseMove(at);
  reach = input->currentPoint - kBranchingPoint;
  ASSERT_GT(reach.Length(), 0.75);
  EXPECT_EQ(lengthBefore, handle.lengthRatio);
  EXPECT_NEAR(0.0, (SegmentDirection(handle) - (1.0 / reach.Length()) * reach).Length(), 1e-9);
  EXPECT_EQ(2, surface->repaintCount);
}

TEST_F(ControllerInputTest, AxisRecordTipDragChangesOnlyItsLength) {
  const CBranchModel before = Model();
  ClientPoint at = ClientAtHandle(0, HandlePart::Tip);
  input->LeftButtonDown(at);
  at.y -= 25;
  at.x += 40;  // sideways motion does not turn the axis record
  input->MouseMove(at);

  CBranchModel expected = before;
  expected.AxisRecord().lengthRatio = (input->currentPoint.y - 0.5) / 0.5;
  EXPECT_GT(expected.AxisRecord().lengthRatio,
            before.records[CBranchModel::kAxisRecord].lengthRatio);
  EXPECT_NEAR(expected.AxisRecord().lengthRatio, Model().AxisRecord().lengthRatio, 1e-12);
  Model().AxisRecord().lengthRatio = expected.AxisRecord().lengthRatio;
  EXPECT_TRUE(SameRule(expected, Model()));
}

TEST_F(ControllerInputTest, WidthAndTwistDragsThroughThePane) {
  // Width: 4 pixels towards the axis record's segment.
  ClientPoint at = ClientAtHandle(0, HandlePart::Width);
  input->LeftButtonDown(at);
  ASSERT_EQ(2, input->grabPart);
  at.x -= 4;
  input->MouseMove(at);
  const Vec3 q = input->currentPoint - kBranchingPoint;
  EXPECT_NEAR(std::sqrt(q.x * q.x + q.z * q.z) / 0.04, Model().AxisRecord().widthRatio, 1e-9);
  EXPECT_LT(Model().AxisRecord().widthRatio, 0.8);
  input->LeftButtonUp(at);

  // Twist: right turns the axis record by a positive angle about its Y,
  // left by a negative one.
  for (int dx : {10, -10}) {
    SCOPED_TRACE(dx);
    Model().AxisRecord().rotation.SetIdentity();
    ControllerRuleChanged();
    at = ClientAtHandle(0, HandlePart::Twist);
    input->LeftButtonDown(at);
    ASSERT_EQ(3, input->grabPart);
    const Vec3 grabPoint = input->grabPoint;
    at.x += dx;
    input->MouseMove(at);
    const double angle = 3.0 * (input->currentPoint.x - grabPoint.x);
    Matrix4 expected;
    expected.SetRotationY(angle);
    EXPECT_EQ(dx > 0, angle > 0);
    for (int i = 0; i < 16; ++i) {
      EXPECT_NEAR(expected.m[i], Model().AxisRecord().rotation.m[i], 1e-9);
    }
    input->LeftButtonUp(at);
  }
}

// DragHandle steps with cursor points chosen so that the ratios come out
// exactly, in the frame of a record that stands straight up.
TEST_F(ControllerInputTest, DragStepsAcceptTheRangeBoundsAndRejectTheRest) {
  const struct Case {
    const char* name;
    int pickId;
    HandlePart part;
    double trunkLength, trunkWidth;
    Vec3 offset;           // cursor from the branching point
    double length, width;  // expected ratios; NaN: unchanged
  } cases[] = {
      {"axis tip at 0.2", 0, HandlePart::Tip, 5, 0.04, {0, 1, 0}, 0.2, kNaN},
      {"axis tip at 1.5", 0, HandlePart::Tip, 5, 0.04, {0, 7.5, 0}, 1.5, kNaN},
      {"axis tip below 0.2", 0, HandlePart::Tip, 5, 0.04, {0, 0.999, 0}, kNaN, kNaN},
      {"axis tip above 1.5", 0, HandlePart::Tip, 5, 0.04, {0, 7.501, 0}, kNaN, kNaN},
      {"axis tip measures height only", 0, HandlePart::Tip, 5, 0.04, {3, 2, 4}, 0.4, kNaN},
      {"axis tip, trunk length 0", 0, HandlePart::Tip, 0, 0.04, {0, 0, 0}, kNaN, kNaN},
      {"branch tip at 1.5", 1, HandlePart::Tip, 5, 0.04, {0, 7.5, 0}, 1.5, kNaN},
      {"branch tip measures distance", 1, HandlePart::Tip, 5, 0.04, {0, -5, 0}, 1.0, kNaN},
      {"branch tip above 1.5", 1, HandlePart::Tip, 5, 0.04, {0, 7.6, 0}, kNaN, kNaN},
      {"width at 0.008", 0, HandlePart::Width, 0.5, 0.04, {0.008, 0, 0}, kNaN, 0.2},
      {"width at 0.04", 0, HandlePart::Width, 0.5, 0.04, {0.04, 0, 0}, kNaN, 1.0},
      {"width below 0.008", 3, HandlePart::Width, 0.5, 0.04, {0, 0.3, 0.0079}, kNaN, kNaN},
      {"width above 0.04", 3, HandlePart::Width, 0.5, 0.04, {0.0401, 0, 0}, kNaN, kNaN},
      {"width ignores height", 3, HandlePart::Width, 0.5, 10, {3, 7, 4}, kNaN, 0.5},
      {"width, trunk width 0", 0, HandlePart::Width, 0.5, 0.0, {0, 0.1, 0}, kNaN, kNaN},
      {"no handle part", 1, static_cast<HandlePart>(0), 5, 0.04, {0, 5, 0}, kNaN, kNaN},
      {"no record", 5, HandlePart::Tip, 5, 0.04, {0, 5, 0}, kNaN, kNaN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Model().ResetDefaults();
    Model().trunkLength = c.trunkLength;
    Model().trunkWidth = c.trunkWidth;
    for (HandleRecord& record : Model().records) record.rotation.SetIdentity();
    CBranchModel expected = Model();
    if (HandleRecord* record = expected.RecordForPickId(c.pickId)) {
      if (!std::isnan(c.length)) record->lengthRatio = c.length;
      if (!std::isnan(c.width)) record->widthRatio = c.width;
    }
    const Vec3 cursor = Vec3(0, c.trunkLength, 0) + c.offset;
    input->DragHandle(c.pickId, static_cast<int>(c.part), cursor, cursor);
    EXPECT_TRUE(SameRule(expected, Model()));
  }

  // A cursor point that is no number changes nothing, whatever the part.
  for (int part = 1; part <= 3; ++part) {
    Model().ResetDefaults();
    const CBranchModel before = Model();
    input->DragHandle(1, part, Vec3(kNaN, 0.6, 0.1), Vec3(0, 0.6, 0));
    input->DragHandle(1, part, Vec3(0, 0.6, 0), Vec3(0, kNaN, 0.1));
    EXPECT_TRUE(SameRule(before, Model())) << part;
  }
}

TEST_F(ControllerInputTest, TwistStepsTurnByThreeRadiansPerUnitAlongTheScreenRight) {
  const int twist = static_cast<int>(HandlePart::Twist);
  const Vec3 from = kBranchingPoint + Vec3(0.05, 0.2, 0.0);
  struct Case {
    const char* name;
    Vec3 motion;
    double angle;
  } const cases[] = {
      {"no horizontal motion", {0, 0.1, 0}, 0.0},
      {"right", {0.1, 0, 0}, 0.3},
      {"left", {-0.1, 0, 0}, -0.3},
      {"towards the eye", {0, 0, 0.1}, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Model().ResetDefaults();
    input->DragHandle(0, twist, from + c.motion, from);
    Matrix4 expected;
    expected.SetRotationY(c.angle);
    for (int i = 0; i < 16; ++i) {
      EXPECT_NEAR(expected.m[i], Model().AxisRecord().rotation.m[i], 1e-12);
    }
  }

  // A leaning branch handle moved along its own axis keeps its rotation.
  Model().ResetDefaults();
  const Matrix4 lean = Model().Handle(0).rotation;
  const Vec3 onBranch = kBranchingPoint + lean.TransformPoint(Vec3(0.05, 0.2, 0));
  input->DragHandle(1, twist, onBranch + lean.TransformPoint(Vec3(0, 0.1, 0)), onBranch);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(lean.m[i], Model().Handle(0).rotation.m[i], 1e-15);

  // The same motion on the leaning handle counts in its own frame, the
  // screen's right carried into it as a point (its translation included).
  Model().ResetDefaults();
  input->DragHandle(1, twist, onBranch + Vec3(0.1, 0, 0), onBranch);
  const double c30 = std::cos(0.5235987755982984), s30 = std::sin(0.5235987755982984);
  Matrix4 spin;
  spin.SetRotationY(3.0 * (0.1 * c30) * (c30 + 0.5 * s30));
  const Matrix4 expected = lean.Multiply(spin);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(expected.m[i], Model().Handle(0).rotation.m[i], 1e-12);

  // With the eye straight above the branching point the screen's right is
  // undefined: the step is skipped.
  Model().ResetDefaults();
  const CBranchModel before = Model();
  Window().eye = Vec3(0.0, 3.0, 0.0);
  input->DragHandle(0, twist, from + Vec3(0.1, 0, 0), from);
  EXPECT_TRUE(SameRule(before, Model()));
}

TEST_F(ControllerInputTest, MovesOnMissesAndTheLegendBarChangeNothing) {
  const CBranchModel before = Model();
  input->LeftButtonDown({5, kHeight - 5});  // background
  input->MouseMove({300, 300});
  EXPECT_EQ(0, surface->repaintCount);
  input->LeftButtonUp({300, 300});

  input->DoubleClick(ClientAtHandle(1, HandlePart::Tip));
  EXPECT_FALSE(input->leftDown || input->grabbed);
  input->MouseMove({300, 300});
  EXPECT_EQ(1, surface->repaintCount);  // only the release's

  // Handle part 0 grabbed from the legend's cyan bar: moves repaint, edit nothing.
  input->LeftButtonDown(LegendBar(kSecondRow));
  ASSERT_TRUE(input->grabbed);
  ASSERT_EQ(0, input->grabPart);
  input->MouseMove({320, 300});
  input->MouseMove({340, 320});
  EXPECT_EQ(3, surface->repaintCount);
  EXPECT_TRUE(SameRule(before, Model()));
}

TEST_F(ControllerInputTest, ReleaseRepaintsAndRendersAFreshPickingImage) {
  const ClientPoint start = ClientAtHandle(1, HandlePart::Tip);
  input->LeftButtonDown(start);
  input->MouseMove({start.x + 40, start.y + 30});
  // Moves leave the picking image alone.
  EXPECT_TRUE(PickImageHas(1, HandlePart::Tip, start));
  const ClientPoint moved = ClientAtHandle(1, HandlePart::Tip);
  EXPECT_FALSE(PickImageHas(1, HandlePart::Tip, moved));

  const int repaints = surface->repaintCount;
  input->LeftButtonUp(moved);
  EXPECT_EQ(repaints + 1, surface->repaintCount);
  EXPECT_TRUE(PickImageHas(1, HandlePart::Tip, moved));
  EXPECT_FALSE(PickImageHas(1, HandlePart::Tip, start));

  // The next press grabs the tip where it now is.
  input->LeftButtonDown(moved);
  EXPECT_TRUE(input->grabbed);
  EXPECT_EQ(1, input->grabId);
}

TEST_F(ControllerInputTest, RightOrbitsAndMiddleDolliesTheCameraWithCapture) {
  using Press = void (*)(CControllerInput&, const ClientPoint&);
  const struct Case {
    const char* name;
    Press down, up;
    bool (*held)(const CControllerInput&);
    int mode;
  } cases[] = {
      {"right", [](CControllerInput& in, const ClientPoint& p) { in.RightButtonDown(p); },
       [](CControllerInput& in, const ClientPoint& p) { in.RightButtonUp(p); },
       [](const CControllerInput& in) { return in.rightDown; }, kDragOrbit},
      {"middle", [](CControllerInput& in, const ClientPoint& p) { in.MiddleButtonDown(p); },
       [](CControllerInput& in, const ClientPoint& p) { in.MiddleButtonUp(p); },
       [](const CControllerInput& in) { return in.middleDown; }, kDragDolly},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Window().ResetEye();
    ControllerRuleChanged();
    surface->repaintCount = 0;
    const ClientPoint tipBefore = ClientAtHandle(1, HandlePart::Tip);
    const Vec3 eyeBefore = Window().eye;

    c.down(*input, {400, 300});
    EXPECT_TRUE(c.held(*input));
    EXPECT_TRUE(surface->HasMouseCapture());
    EXPECT_TRUE(Window().dragging);
    EXPECT_EQ(c.mode, Window().dragMode);
    EXPECT_EQ(400, Window().lastMouseX);
    EXPECT_EQ(300, Window().lastMouseY);

    input->MouseMove({460, 360});
    EXPECT_GT((Window().eye - eyeBefore).Length(), 0.01);
    EXPECT_EQ(1, surface->repaintCount);

    c.up(*input, {460, 360});
    EXPECT_FALSE(c.held(*input));
    EXPECT_FALSE(surface->HasMouseCapture());
    EXPECT_FALSE(Window().dragging);
    EXPECT_EQ(1, surface->repaintCount);  // the release does not repaint
    // ...but renders the picking image from where the camera now is.
    const ClientPoint tipAfter = ClientAtHandle(1, HandlePart::Tip);
    EXPECT_TRUE(tipAfter.x != tipBefore.x || tipAfter.y != tipBefore.y);
    EXPECT_TRUE(PickImageHas(1, HandlePart::Tip, tipAfter));

    input->MouseMove({500, 400});  // no drag any more
    EXPECT_EQ(1, surface->repaintCount);
  }
}

TEST_F(ControllerInputTest, HeldHandleTakesPrecedenceOverCameraDrag) {
  input->RightButtonDown({100, 100});
  const Vec3 eyeBefore = Window().eye;
  ClientPoint at = ClientAtHandle(0, HandlePart::Tip);
  input->LeftButtonDown(at);
  ASSERT_TRUE(input->grabbed);
  const double lengthBefore = Model().AxisRecord().lengthRatio;
  at.y -= 20;
  input->MouseMove(at);
  EXPECT_EQ(eyeBefore.x, Window().eye.x);
  EXPECT_EQ(eyeBefore.y, Window().eye.y);
  EXPECT_EQ(eyeBefore.z, Window().eye.z);
  EXPECT_GT(Model().AxisRecord().lengthRatio, lengthBefore);
  input->LeftButtonUp(at);
  input->RightButtonUp(at);
}

TEST_F(ControllerInputTest, OutsideChangesRenderThePickingImageAgain) {
  // A handle switched on from outside can be grabbed at once.
  Model().Handle(1).active = true;
  ControllerRuleChanged();
  EXPECT_EQ(1, surface->repaintCount);
  EXPECT_TRUE(PickImageHas(2, HandlePart::Tip, ClientAtHandle(2, HandlePart::Tip)));

  // After a resize the image has the new size and the points' new places.
  ResizeSurface(Window(), *surface, 600, 500);
  ControllerPaneResized();
  EXPECT_TRUE(Window().colorBuffer.HasSize(600, 500));
  const Vec3 w = ToWindow(HandlePointInWorld(1, HandlePart::Tip));
  float depth = 1.0f;
  std::uint32_t colour = 0;
  ASSERT_TRUE(
      Window().ReadPickSample(static_cast<int>(w.x), static_cast<int>(w.y), &depth, &colour));
  EXPECT_EQ(PickCode(1, HandlePart::Tip) | 0xFF000000u, colour);
}

TEST_F(ControllerPaneTest, OutsideChangeBeforeAnyMouseMessageRepaintsOnly) {
  // Without the controller input there is no picking image to keep.
  const RgbaCell marker{1, 2, 3, 4};
  for (int i = 0; i < kWidth * kHeight; ++i) Window().colorBuffer.data[i] = marker;
  ControllerRuleChanged();
  ControllerPaneResized();
  EXPECT_EQ(1, surface->repaintCount);
  const RgbaCell cell = PickCell(kWidth / 2, kHeight / 2);
  EXPECT_EQ(marker.r, cell.r);  // no picking pass ran
  EXPECT_EQ(marker.a, cell.a);
}

TEST_F(ControllerInputTest, PaneWithoutContextKeepsNoPickingImage) {
  // The window is still attached but its context is gone, as with a canvas
  // that cannot draw: the last image must not stay behind to be pressed on.
  const ClientPoint at = ClientAtHandle(1, HandlePart::Tip);
  surface->DestroyContext();
  EXPECT_FALSE(RenderPickPass());
  EXPECT_EQ(-1, Window().colorBuffer.width);
  EXPECT_EQ(-1, Window().depthBuffer.width);
  input->LeftButtonDown(at);
  EXPECT_FALSE(input->grabbed);
  input->LeftButtonUp(at);
  EXPECT_FALSE(input->leftDown);
}

}  // namespace
