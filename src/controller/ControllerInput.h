#pragma once

#include <cstdint>

#include "geometry/Vec3.h"
#include "gl/GLWindow.h"

// The mouse state of the controller pane. A left press on a handle point
// grabs it through one lookup in the picking image; every move with the
// button held maps the cursor to the world point at the grabbed depth and
// edits the grabbed record of the rule. The right button orbits the pane's
// camera and the middle button dollies it. Every release renders a fresh
// picking image.
//
// The controller view forwards each mouse message here with the cursor in
// client pixels of the pane (origin top left, y downwards).
class CControllerInput {
 public:
  CControllerInput() = default;
  CControllerInput(const CControllerInput&) = delete;
  CControllerInput& operator=(const CControllerInput&) = delete;

  void LeftButtonDown(const ClientPoint& point);
  void LeftButtonUp(const ClientPoint& point);
  void RightButtonDown(const ClientPoint& point);
  void RightButtonUp(const ClientPoint& point);
  void MiddleButtonDown(const ClientPoint& point);
  void MiddleButtonUp(const ClientPoint& point);
  void MouseMove(const ClientPoint& point);
  // Any button's double click: nothing.
  void DoubleClick(const ClientPoint& point);

  // One drag step of handle part `part` of the record with pick id `pickId`,
  // the cursor having moved from world point previous to current: the tip
  // sets the length ratio (and aims a branch handle at the cursor), the
  // width point the width ratio, the twist point spins the record about its
  // own axis. Values outside a ratio's range are ignored.
  void DragHandle(int pickId, int part, const Vec3& current, const Vec3& previous);

  bool leftDown = false;
  bool rightDown = false;
  bool middleDown = false;
  bool grabbed = false;
  std::int32_t grabId = -1;
  std::int32_t grabPart = -1;
  Vec3 currentPoint;
  Vec3 previousPoint;
  Vec3 grabPoint;
  float grabDepth = 1.0f;  // window depth of the grabbed pixel

 private:
  void BeginCameraDrag(const ClientPoint& point, int mode);
};

// The process-wide controller input, created on first use; its creation
// renders the first picking image.
CControllerInput* GetControllerInput();
// Deletes it if it exists (application exit, and between tests); never
// creates it.
void DeleteControllerInput();

// The rule was changed from outside the pane (menu or remote command):
// repaints the controller pane if it has a window and, if the controller
// input exists, renders the picking image again so that the next press sees
// the rule as drawn. Creates nothing.
void ControllerRuleChanged();
// The controller pane's window was resized (after CGLWindow::Resize): the
// read-back buffers were reallocated, so the picking image is rendered again
// if the controller input exists. Creates nothing.
void ControllerPaneResized();
