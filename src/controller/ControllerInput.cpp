#include "controller/ControllerInput.h"

#include <GL/gl.h>

#include <cmath>

#include "controller/ControllerScene.h"
#include "geometry/Matrix4.h"
#include "geometry/MatrixFunctions.h"
#include "gl/SceneWindows.h"
#include "model/BranchModel.h"

namespace {

// Radians of spin per unit of cursor travel along the screen's right.
constexpr double kTwistPerUnit = 3.0;

CControllerInput* g_controllerInput = nullptr;

CGLWindow& ControllerWindow() { return GetSceneWindows()->controllerWindow; }

void RepaintControllerPane() {
  if (GLSurface* surface = ControllerWindow().window) surface->RepaintNow();
}

bool IsFinite(const Vec3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

}  // namespace

void CControllerInput::LeftButtonDown(const ClientPoint& point) {
  leftDown = true;
  CGLWindow& window = ControllerWindow();
  if (!window.MakeCurrent()) return;
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  // Rows count from the bottom as height - y, the convention UnprojectPoint
  // uses too; the top client row therefore lies outside the image.
  float depth = 1.0f;
  std::uint32_t colour = kPickBackground;
  if (!window.ReadPickSample(point.x, viewport[3] - point.y, &depth, &colour)) return;
  if (colour == kPickBackground || depth == 1.0f) return;
  int pickId = -1, part = -1;
  DecodePickColour(colour, pickId, part);
  if (pickId > kMaxPickId) return;

  grabId = pickId;
  grabPart = part;
  grabbed = true;
  grabDepth = depth;
  window.UnprojectPoint(point, depth, grabPoint);
  previousPoint.Assign(grabPoint);
  // Only branch handles show the selection marker.
  if (pickId != kAxisPickId) GetBranchModel()->RecordForPickId(pickId)->selected = true;
}

void CControllerInput::LeftButtonUp(const ClientPoint&) {
  if (grabId > kAxisPickId) {
    if (HandleRecord* record = GetBranchModel()->RecordForPickId(grabId)) record->selected = false;
  }
  leftDown = false;
  grabbed = false;
  grabDepth = 1.0f;
  grabId = -1;
  grabPart = -1;
  grabPoint.Assign(Vec3());
  currentPoint.Assign(Vec3());
  previousPoint.Assign(Vec3());
  RepaintControllerPane();
  RenderPickPass();
}

void CControllerInput::BeginCameraDrag(const ClientPoint& point, int mode) {
  CGLWindow& window = ControllerWindow();
  window.MakeCurrent();
  window.BeginDrag(point);  // dragging, the last point and the capture
  window.dragMode = mode;
}

void CControllerInput::RightButtonDown(const ClientPoint& point) {
  rightDown = true;
  BeginCameraDrag(point, kDragOrbit);
}

void CControllerInput::MiddleButtonDown(const ClientPoint& point) {
  middleDown = true;
  BeginCameraDrag(point, kDragDolly);
}

void CControllerInput::RightButtonUp(const ClientPoint&) {
  rightDown = false;
  ControllerWindow().EndDrag();
  RenderPickPass();  // the camera may have moved
}

void CControllerInput::MiddleButtonUp(const ClientPoint&) {
  middleDown = false;
  ControllerWindow().EndDrag();
  RenderPickPass();
}

void CControllerInput::MouseMove(const ClientPoint& point) {
  CGLWindow& window = ControllerWindow();
  window.MakeCurrent();
  // A held handle takes precedence over a camera drag.
  if (leftDown && grabbed) {
    window.UnprojectPoint(point, grabDepth, currentPoint);
    DragHandle(grabId, grabPart, currentPoint, previousPoint);
    previousPoint.Assign(currentPoint);
    RepaintControllerPane();
  } else if (rightDown || middleDown) {
    window.DragEye(point);
    RepaintControllerPane();
  }
}

void CControllerInput::DoubleClick(const ClientPoint&) {}

void CControllerInput::DragHandle(int pickId, int part, const Vec3& current, const Vec3& previous) {
  CBranchModel& model = *GetBranchModel();
  HandleRecord* record = model.RecordForPickId(pickId);
  if (!record) return;
  const double trunkLength = model.trunkLength;

  // The record's frame: origin at the branching point, +Y along the segment.
  Matrix4 toBranchingPoint;
  toBranchingPoint.m[13] = trunkLength;
  Matrix4 fromWorld = toBranchingPoint.Multiply(record->rotation);
  if (!fromWorld.Invert()) return;
  const Vec3 q = fromWorld.TransformPoint(current);
  const Vec3 r = fromWorld.TransformPoint(previous);
  // A cursor point that is no point would turn the rotation into NaNs.
  if (!IsFinite(q) || !IsFinite(r)) return;

  switch (static_cast<HandlePart>(part)) {
    case HandlePart::Tip: {
      if (pickId == kAxisPickId) {
        const double ratio = q.y / trunkLength;
        if (CBranchModel::IsLengthRatio(ratio)) record->lengthRatio = ratio;
        return;
      }
      const double ratio = q.Length() / trunkLength;
      if (CBranchModel::IsLengthRatio(ratio)) record->lengthRatio = ratio;
      // Aim the branch at the cursor, whether or not its length changed: turn
      // the record's +Y onto q (no turn when q lies on that axis or is zero).
      const Vec3 segmentAxis(0.0, 1.0, 0.0);
      const Vec3 turnAxis = segmentAxis.Cross(q);
      const double angle = SignedAngle(segmentAxis, q, turnAxis);
      Matrix4 turn;
      turn.SetAxisRotation(turnAxis, std::cos(angle), std::sin(angle));
      record->rotation = record->rotation.Multiply(turn);
      return;
    }
    case HandlePart::Width: {
      const double ratio = std::sqrt(q.x * q.x + q.z * q.z) / model.trunkWidth;
      if (CBranchModel::IsWidthRatio(ratio)) record->widthRatio = ratio;
      return;
    }
    case HandlePart::Twist: {
      // The screen's right, horizontal: across the line from the eye to the
      // branching point. It has no direction when the eye lies straight above
      // or below that point, and the step is skipped.
      const Vec3 towardsBranchingPoint = Vec3(0.0, trunkLength, 0.0) - ControllerWindow().eye;
      Vec3 right = towardsBranchingPoint.Cross(Vec3(0.0, 1.0, 0.0));
      if (!right.Normalize()) return;
      // Transformed as a point, translation included, as the rule's twist has
      // always been measured.
      const Vec3 rightInFrame = fromWorld.TransformPoint(right);
      const double angle =
          kTwistPerUnit * (rightInFrame.x * (q.x - r.x) + rightInFrame.z * (q.z - r.z));
      Matrix4 spin;
      spin.SetRotationY(angle);
      record->rotation = record->rotation.Multiply(spin);
      return;
    }
  }
  // Handle part 0 (a colour that is no handle code) changes nothing.
}

CControllerInput* GetControllerInput() {
  if (!g_controllerInput) {
    g_controllerInput = new CControllerInput();
    RenderPickPass();  // so that the first press finds a picking image
  }
  return g_controllerInput;
}

void DeleteControllerInput() {
  delete g_controllerInput;
  g_controllerInput = nullptr;
}

void ControllerRuleChanged() {
  RepaintControllerPane();
  if (g_controllerInput) RenderPickPass();
}

void ControllerPaneResized() {
  if (g_controllerInput) RenderPickPass();
}
