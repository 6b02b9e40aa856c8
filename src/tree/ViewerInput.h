#pragma once

#include "geometry/Vec3.h"
#include "gl/GLWindow.h"

// The mouse state of the tree pane. The left button plants and grows a tree:
// the press stops the auto-rotation, puts the camera back to its front view
// and starts a stroke on the ground plane z = 0 under the cursor; moves with
// the button held extend the stroke; the release ends it and starts the
// auto-rotation again. The right button orbits the pane's camera and the
// middle button dollies it. A stroke takes precedence over a camera drag.
//
// The tree view forwards each mouse message here with the cursor in client
// pixels of the pane (origin top left, y downwards).
class CViewerInput {
 public:
  CViewerInput() = default;
  CViewerInput(const CViewerInput&) = delete;
  CViewerInput& operator=(const CViewerInput&) = delete;

  void LeftButtonDown(const ClientPoint& point);
  // Also without a preceding press: the left press is not captured, so its
  // release may have happened outside the pane.
  void LeftButtonUp(const ClientPoint& point);
  void RightButtonDown(const ClientPoint& point);
  void RightButtonUp(const ClientPoint& point);
  void MiddleButtonDown(const ClientPoint& point);
  void MiddleButtonUp(const ClientPoint& point);
  void MouseMove(const ClientPoint& point);
  // Any button's double click: nothing, so a double click plants no second tree.
  void DoubleClick(const ClientPoint& point);

  // Where the ray from the tree pane's eye through the client point meets
  // the plane z = 0. False, with ground untouched, when the ray runs parallel
  // to the plane or the pane has no context to unproject with.
  bool GroundPoint(const ClientPoint& point, Vec3& ground);

  bool leftDown = false;    // a stroke is being drawn
  bool rightDown = false;   // orbit drag of the camera
  bool middleDown = false;  // dolly drag of the camera

 private:
  void BeginCameraDrag(const ClientPoint& point, int mode);
};

// The process-wide tree-pane input, created on first use.
CViewerInput* GetViewerInput();
// Deletes it if it exists (application exit, and between tests); never
// creates it.
void DeleteViewerInput();
