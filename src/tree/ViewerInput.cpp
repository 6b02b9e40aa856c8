#include "tree/ViewerInput.h"

#include <GL/gl.h>

#include <cmath>

#include "gl/SceneWindows.h"
#include "tree/TreeRenderer.h"

namespace {

CViewerInput* g_viewerInput = nullptr;

CGLWindow& TreeWindow() { return GetSceneWindows()->treeWindow; }

void RepaintTreePane() {
  if (GLSurface* surface = TreeWindow().window) surface->RepaintNow();
}

TimerOwner* AutoRotationTimer() { return GetSceneWindows()->timerWindow; }

}  // namespace

bool CViewerInput::GroundPoint(const ClientPoint& point, Vec3& ground) {
  CGLWindow& window = TreeWindow();
  if (!window.MakeCurrent()) return false;
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  Vec3 origin, direction;
  window.PickRay(point.x, viewport[3] - point.y, origin, direction);
  const double t = -origin.z / direction.z;
  const Vec3 hit = origin + t * direction;
  // A ray parallel to the plane never meets it (t infinite or undefined).
  if (!std::isfinite(hit.x) || !std::isfinite(hit.y) || !std::isfinite(hit.z)) return false;
  ground = hit;
  return true;
}

void CViewerInput::LeftButtonDown(const ClientPoint& point) {
  leftDown = true;
  if (TimerOwner* timer = AutoRotationTimer()) timer->StopTimer(CSceneWindows::kAutoRotateTimerId);
  // Every stroke is drawn head-on, in the plane z = 0 of the front view.
  TreeWindow().ResetEye();
  Vec3 start;
  if (GroundPoint(point, start)) GetTreeRenderer()->BeginStroke(start);
}

void CViewerInput::MouseMove(const ClientPoint& point) {
  TreeWindow().MakeCurrent();
  if (leftDown) {
    Vec3 target;
    if (GroundPoint(point, target)) GetTreeRenderer()->ExtendStroke(target);
    RepaintTreePane();
  } else if (rightDown || middleDown) {
    TreeWindow().DragEye(point);
    RepaintTreePane();
  }
}

void CViewerInput::LeftButtonUp(const ClientPoint&) {
  leftDown = false;
  GetTreeRenderer()->EndStroke();
  RepaintTreePane();
  if (TimerOwner* timer = AutoRotationTimer()) {
    timer->StartTimer(CSceneWindows::kAutoRotateTimerId, CSceneWindows::kAutoRotatePeriodMs);
  }
}

void CViewerInput::BeginCameraDrag(const ClientPoint& point, int mode) {
  CGLWindow& window = TreeWindow();
  window.BeginDrag(point);  // dragging, the last point and the capture
  window.dragMode = mode;
}

void CViewerInput::RightButtonDown(const ClientPoint& point) {
  rightDown = true;
  BeginCameraDrag(point, kDragOrbit);
}

void CViewerInput::MiddleButtonDown(const ClientPoint& point) {
  middleDown = true;
  BeginCameraDrag(point, kDragDolly);
}

void CViewerInput::RightButtonUp(const ClientPoint&) {
  rightDown = false;
  TreeWindow().EndDrag();
}

void CViewerInput::MiddleButtonUp(const ClientPoint&) {
  middleDown = false;
  TreeWindow().EndDrag();
}

void CViewerInput::DoubleClick(const ClientPoint&) {}

CViewerInput* GetViewerInput() {
  if (!g_viewerInput) g_viewerInput = new CViewerInput();
  return g_viewerInput;
}

void DeleteViewerInput() {
  delete g_viewerInput;
  g_viewerInput = nullptr;
}
