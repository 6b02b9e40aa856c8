#include "controller/ControllerScene.h"

#include <GL/gl.h>

#include "gl/SceneWindows.h"

namespace {

struct Material {
  GLfloat diffuse[4];
  GLfloat ambient[4];
};

const Material& MaterialOf(SegmentKind kind) {
  static const Material trunk = {{0.4f, 0.4f, 0.4f, 1.0f}, {0.2f, 0.2f, 0.2f, 1.0f}};
  static const Material axis = {{0.95f, 0.95f, 0.95f, 1.0f}, {0.95f, 0.95f, 0.0f, 1.0f}};
  static const Material branch = {{0.0f, 0.85f, 0.85f, 1.0f}, {0.0f, 0.4f, 0.4f, 1.0f}};
  switch (kind) {
    case SegmentKind::Axis:
      return axis;
    case SegmentKind::Branch:
      return branch;
    case SegmentKind::Trunk:
      break;
  }
  return trunk;
}

constexpr GLfloat kSegmentSpecular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
constexpr GLfloat kSegmentShininess = 128.0f;

// Handle points sit just beyond the segment: the tip 1 % above its top, the
// width and twist points 0.01 outside its +X face.
constexpr double kTipBeyond = 1.01;
constexpr double kPointOutside = 0.01;
constexpr double kWidthHeight = 0.5;
constexpr double kTwistHeight = 0.6000000000000001;  // one ulp above 0.6
constexpr GLfloat kPointSize = 12.0f;

constexpr double kMarkerLength = 0.3;

// The legend's place in eye space and its rows.
constexpr double kLegendY = 0.45, kLegendZ = -2.4;
constexpr double kFirstRowX = -0.44, kSecondRowX = 0.1;
constexpr double kRowRuleX = 0.22;
constexpr double kRowRuleScale = 0.4;
constexpr double kBarBottom = 0.03, kBarTop = 0.21;

CGLWindow& ControllerWindow() { return GetSceneWindows()->controllerWindow; }

void MultiplyRotation(const HandleRecord& record) { glMultMatrixd(record.rotation.m); }

void DrawRecordBox(SegmentKind kind, const HandleRecord& record, const CBranchModel& model) {
  DrawSegmentBox(kind, record.widthRatio * model.trunkWidth,
                 record.lengthRatio * model.trunkLength);
}

// The boxes of every active branch handle, at the branching point.
void DrawActiveBranchBoxes(CBranchModel& model) {
  for (int k = 0; k < CBranchModel::kHandleCount; ++k) {
    const HandleRecord& handle = model.Handle(k);
    if (!handle.active) continue;
    glPushMatrix();
    MultiplyRotation(handle);
    DrawRecordBox(SegmentKind::Branch, handle, model);
    glPopMatrix();
  }
}

// The vertical colour bar and the white arrow at the start of a legend row.
void DrawLegendKey(GLfloat barWidth, const GLfloat (&colour)[3]) {
  glLineWidth(barWidth);
  glDisable(GL_LIGHTING);
  glShadeModel(GL_FLAT);
  glBegin(GL_LINES);
  glColor3fv(colour);
  glVertex3d(0.0, kBarBottom, 0.0);
  glVertex3d(0.0, kBarTop, 0.0);
  glEnd();

  glLineWidth(2.0f);
  glColor3f(1.0f, 1.0f, 1.0f);
  glBegin(GL_LINES);
  glVertex3d(0.045, 0.18, 0.0);
  glVertex3d(0.15, 0.18, 0.0);
  glVertex3d(0.13, 0.16, 0.0);
  glVertex3d(0.15, 0.18, 0.0);
  glVertex3d(0.13, 0.2, 0.0);
  glVertex3d(0.15, 0.18, 0.0);
  glEnd();
}

// Moves from a row's key to its small copy of the rule and draws the trunk;
// leaves two matrices pushed, the last one at the branching point.
void BeginLegendRule(const CBranchModel& model) {
  glTranslated(kRowRuleX, 0.0, 0.0);
  glPushMatrix();
  glScaled(kRowRuleScale, kRowRuleScale, kRowRuleScale);
  glEnable(GL_NORMALIZE);
  DrawSegmentBox(SegmentKind::Trunk, model.trunkWidth, model.trunkLength);
  glPushMatrix();
  glTranslated(0.0, model.trunkLength, 0.0);
}

}  // namespace

void DrawGroundGrid() {
  glLineWidth(2.0f);
  glColor3f(0.8f, 0.8f, 0.8f);
  glShadeModel(GL_FLAT);
  glDisable(GL_LIGHTING);
  glBegin(GL_LINES);
  // The sum is accumulated, not computed per line: its eleventh value still
  // comes out at 1.0 and draws the last line.
  for (double a = -1.0; a <= 1.0; a += 0.2) {
    glVertex3d(a, 0.0, -1.0);
    glVertex3d(a, 0.0, 1.0);
    glVertex3d(-1.0, 0.0, a);
    glVertex3d(1.0, 0.0, a);
  }
  glEnd();
}

void DrawSegmentBox(SegmentKind kind, double a, double h) {
  const Material& material = MaterialOf(kind);
  glMaterialfv(GL_FRONT, GL_DIFFUSE, material.diffuse);
  glMaterialfv(GL_FRONT, GL_AMBIENT, material.ambient);
  glMaterialfv(GL_FRONT, GL_SPECULAR, kSegmentSpecular);
  glMaterialf(GL_FRONT, GL_SHININESS, kSegmentShininess);

  glShadeModel(GL_SMOOTH);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);

  struct Face {
    double normal[3];
    double corners[4][3];
  };
  // Each face counter-clockwise seen from outside: the pane culls back faces.
  const Face faces[6] = {
      {{0, 1, 0}, {{a, h, a}, {a, h, -a}, {-a, h, -a}, {-a, h, a}}},
      {{0, -1, 0}, {{a, 0, a}, {-a, 0, a}, {-a, 0, -a}, {a, 0, -a}}},
      {{0, 0, 1}, {{a, 0, a}, {a, h, a}, {-a, h, a}, {-a, 0, a}}},
      {{1, 0, 0}, {{a, 0, -a}, {a, h, -a}, {a, h, a}, {a, 0, a}}},
      {{0, 0, -1}, {{-a, 0, -a}, {-a, h, -a}, {a, h, -a}, {a, 0, -a}}},
      {{-1, 0, 0}, {{-a, 0, a}, {-a, h, a}, {-a, h, -a}, {-a, 0, -a}}},
  };
  for (const Face& face : faces) {
    glBegin(GL_QUADS);
    glNormal3dv(face.normal);
    for (const auto& corner : face.corners) glVertex3dv(corner);
    glEnd();
  }
}

void DrawHandlePoints(HandleRecord record, int pickId) {
  const CBranchModel& model = *GetBranchModel();
  const double length = record.lengthRatio * model.trunkLength * kTipBeyond;
  const double width = record.widthRatio * model.trunkWidth + kPointOutside;
  const bool coded = ControllerWindow().pickPass;

  glShadeModel(GL_FLAT);
  glDisable(GL_LIGHTING);
  glPointSize(kPointSize);
  glBegin(GL_POINTS);
  const auto colour = [&](HandlePart part, GLdouble r, GLdouble g, GLdouble b) {
    if (coded) {
      const std::uint32_t code = PickCode(pickId, part);
      glColor3ub(static_cast<GLubyte>(code), static_cast<GLubyte>(code >> 8),
                 static_cast<GLubyte>(code >> 16));
    } else {
      glColor3d(r, g, b);
    }
  };
  colour(HandlePart::Tip, 1.0, 0.0, 0.0);
  glVertex3d(0.0, length, 0.0);
  colour(HandlePart::Width, 0.0, 1.0, 0.0);
  glVertex3d(width, kWidthHeight * length, 0.0);
  colour(HandlePart::Twist, 0.0, 0.0, 1.0);
  glVertex3d(width, kTwistHeight * length, 0.0);
  glEnd();
}

void DrawHandleAxes() {
  glShadeModel(GL_SMOOTH);
  glDisable(GL_LIGHTING);
  glLineWidth(3.0f);
  glBegin(GL_LINES);
  glColor3d(1.0, 0.0, 0.0);
  glVertex3d(0.0, 0.0, 0.0);
  glVertex3d(kMarkerLength, 0.0, 0.0);
  glColor3d(0.0, 0.0, 1.0);
  glVertex3d(0.0, 0.0, 0.0);
  glVertex3d(0.0, 0.0, kMarkerLength);
  glEnd();
}

void DrawRuleScene() {
  CBranchModel& model = *GetBranchModel();
  const HandleRecord& axis = model.AxisRecord();
  glMatrixMode(GL_MODELVIEW);

  if (ControllerWindow().pickPass) {
    // Points only, so that no box hides a handle point in the picking image.
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glShadeModel(GL_FLAT);
    glPushMatrix();
    glTranslated(0.0, model.trunkLength, 0.0);
    glPushMatrix();
    MultiplyRotation(axis);
    DrawHandlePoints(axis, kAxisPickId);
    glPopMatrix();
    for (int k = 0; k < CBranchModel::kHandleCount; ++k) {
      const HandleRecord& handle = model.Handle(k);
      if (!handle.active) continue;
      glPushMatrix();
      MultiplyRotation(handle);
      DrawHandlePoints(handle, k + 1);
      glPopMatrix();
    }
    glPopMatrix();
    return;
  }

  glPushMatrix();
  DrawSegmentBox(SegmentKind::Trunk, model.trunkWidth, model.trunkLength);
  glPushMatrix();
  glTranslated(0.0, model.trunkLength, 0.0);
  // The axis record is drawn whatever its active flag, and never marked.
  glPushMatrix();
  MultiplyRotation(axis);
  DrawRecordBox(SegmentKind::Axis, axis, model);
  DrawHandlePoints(axis, kAxisPickId);
  glPopMatrix();
  for (int k = 0; k < CBranchModel::kHandleCount; ++k) {
    const HandleRecord& handle = model.Handle(k);
    if (!handle.active) continue;
    glPushMatrix();
    MultiplyRotation(handle);
    DrawRecordBox(SegmentKind::Branch, handle, model);
    DrawHandlePoints(handle, k + 1);
    if (handle.selected) DrawHandleAxes();
    glPopMatrix();
  }
  glPopMatrix();
  glPopMatrix();
}

void DrawLegend() {
  CBranchModel& model = *GetBranchModel();
  glShadeModel(GL_SMOOTH);
  glDisable(GL_LIGHTING);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glTranslated(0.0, kLegendY, kLegendZ);

  // The main-axis colour: the axis material's ambient red plus 0.1, which
  // OpenGL clamps to white.
  static constexpr GLfloat kMainAxisKey[3] = {1.05f, 1.05f, 1.05f};
  glPushMatrix();
  glTranslated(kFirstRowX, 0.0, 0.0);
  DrawLegendKey(12.0f, kMainAxisKey);
  BeginLegendRule(model);
  glPushMatrix();
  MultiplyRotation(model.AxisRecord());
  DrawRecordBox(SegmentKind::Axis, model.AxisRecord(), model);
  glPopMatrix();
  DrawActiveBranchBoxes(model);
  glPopMatrix();
  glPopMatrix();
  glPopMatrix();

  // The side-branch colour: the branch material's diffuse.
  static constexpr GLfloat kSideBranchKey[3] = {0.0f, 0.85f, 0.85f};
  glPushMatrix();
  glTranslated(kSecondRowX, 0.0, 0.0);
  DrawLegendKey(14.0f, kSideBranchKey);
  BeginLegendRule(model);
  DrawActiveBranchBoxes(model);
  glPopMatrix();
  glPopMatrix();
  glPopMatrix();
  glPopMatrix();
}

void DrawControllerScene() {
  DrawRuleScene();
  DrawLegend();
}

void PaintControllerPane() {
  CGLWindow& window = ControllerWindow();
  window.MakeCurrent();
  window.BeginScene();
  DrawGroundGrid();
  DrawControllerScene();
  window.EndScene();
}

bool RenderPickPass() {
  CGLWindow& window = ControllerWindow();
  if (!window.MakeCurrent()) {
    window.FreeReadbackBuffers();
    return false;
  }
  window.PreparePickPass();
  window.BeginScene();
  glDisable(GL_BLEND);
  glDisable(GL_LIGHTING);
  glShadeModel(GL_FLAT);
  DrawRuleScene();
  DrawLegend();
  return window.EndScene();
}

void DecodePickColour(std::uint32_t colour, int& pickId, int& part) {
  part = static_cast<int>(colour & 3u);
  pickId = static_cast<int>((colour >> 2) & 15u);
}
