#include "remote/RemoteCommands.h"

#include <cmath>

#include "controller/ControllerInput.h"
#include "gl/SceneWindows.h"
#include "model/BranchModel.h"
#include "tree/TreeRenderer.h"

namespace {

// Radians of eye rotation per unit of an "eyerotation" delta.
constexpr double kEyeRotationStep = 0.05;

CRemoteCommands* g_remoteCommands = nullptr;

// The tree pane repaints now, when its window exists; the controller pane is
// left to its own repaints.
void RepaintTreePane() {
  if (GLSurface* window = GetSceneWindows()->treeWindow.window) window->RepaintNow();
}

// After an edit of the rule: the tree pane shows it now, and the controller
// pane and its picking image follow.
void RuleEdited() {
  RepaintTreePane();
  ControllerRuleChanged();
}

// Branch handle index of the rule, or null when index is not 0..3.
HandleRecord* FindHandle(int index) {
  return CBranchModel::IsHandleIndex(index) ? &GetBranchModel()->Handle(index) : nullptr;
}

void SetWidthRatio(HandleRecord& handle, double ratio) {
  if (CBranchModel::IsWidthRatio(ratio)) handle.widthRatio = ratio;
}

// Angles or coordinates from a packet that can be used: a NaN or an infinity
// would make every branch, or the whole stroke, NaN.
bool AllFinite(double a, double b, double c) {
  return std::isfinite(a) && std::isfinite(b) && std::isfinite(c);
}

}  // namespace

Matrix4 HandleRotation(double angleX, double angleY, double angleZ) {
  Matrix4 x, y, z;
  x.SetRotationX(angleX);
  y.SetRotationY(angleY);
  z.SetRotationZ(angleZ);
  return x.Multiply(z).Multiply(y);
}

void CRemoteCommands::SetDefault() {
  GetBranchModel()->ResetDefaults();
  ControllerRuleChanged();
}

void CRemoteCommands::SetHandleParameter(int index, bool active, double lengthRatio, double widthRatio,
                                         double angleX, double angleY, double angleZ) {
  HandleRecord* handle = FindHandle(index);
  if (!handle) return;
  handle->active = active;
  if (CBranchModel::IsLengthRatio(lengthRatio)) handle->lengthRatio = lengthRatio;
  SetWidthRatio(*handle, widthRatio);
  if (AllFinite(angleX, angleY, angleZ)) handle->rotation = HandleRotation(angleX, angleY, angleZ);
  RuleEdited();
}

void CRemoteCommands::SetHandleRotation(int index, double angleX, double angleY, double angleZ) {
  HandleRecord* handle = FindHandle(index);
  if (!handle) return;
  if (AllFinite(angleX, angleY, angleZ)) handle->rotation = HandleRotation(angleX, angleY, angleZ);
  RuleEdited();
}

void CRemoteCommands::MultHandleRotation(int index, double angleX, double angleY, double angleZ) {
  HandleRecord* handle = FindHandle(index);
  if (!handle) return;
  if (AllFinite(angleX, angleY, angleZ)) {
    handle->rotation = handle->rotation.Multiply(HandleRotation(angleX, angleY, angleZ));
  }
  RuleEdited();
}

void CRemoteCommands::SetHandleWidthRatio(int index, double ratio) {
  HandleRecord* handle = FindHandle(index);
  if (!handle) return;
  SetWidthRatio(*handle, ratio);
  RuleEdited();
}

void CRemoteCommands::SetHandleIsActive(int index, bool active) {
  HandleRecord* handle = FindHandle(index);
  if (!handle) return;
  handle->active = active;
  RuleEdited();
}

void CRemoteCommands::InitLSystem(double x, double y, double z) {
  if (AllFinite(x, y, z)) GetTreeRenderer()->BeginStroke(Vec3(x, y, z));
  RepaintTreePane();
}

void CRemoteCommands::DrawLSystem(double x, double y, double z) {
  GetTreeRenderer()->GrowStroke(Vec3(x, y, z));
  RepaintTreePane();
}

void CRemoteCommands::TurnOn() {
  GetTreeRenderer()->enabled = true;
  RepaintTreePane();
}

void CRemoteCommands::TurnOff() {
  GetTreeRenderer()->enabled = false;
  RepaintTreePane();
}

void CRemoteCommands::EyePointInit() {
  GetSceneWindows()->treeWindow.ResetEye();
  RepaintTreePane();
}

void CRemoteCommands::EyeRotation(int dx, int dy) {
  CGLWindow& treeWindow = GetSceneWindows()->treeWindow;
  treeWindow.MakeCurrent();
  // dy is negated as a double: the same value for every int, and defined for
  // the most negative one too.
  treeWindow.RotateEye(dx * kEyeRotationStep, -static_cast<double>(dy) * kEyeRotationStep);
  RepaintTreePane();
}

CRemoteCommands* GetRemoteCommands() {
  if (!g_remoteCommands) g_remoteCommands = new CRemoteCommands();
  return g_remoteCommands;
}

void DeleteRemoteCommands() {
  delete g_remoteCommands;
  g_remoteCommands = nullptr;
}
