#pragma once

#include "geometry/Matrix4.h"

// The operations that remote commands carry out on the branching rule, the
// stroke, the render switch and the tree pane's eye. Each one that changes
// what the tree pane shows repaints it before returning. Handle indices
// outside 0..3 make an operation do nothing; a ratio outside its range, or
// a rotation or stroke point from an angle or coordinate that is not finite,
// is not stored, and the rest of the operation still takes place.
class CRemoteCommands {
 public:
  // The rule back to its defaults; no repaint.
  void SetDefault();
  void SetHandleParameter(int index, bool active, double lengthRatio, double widthRatio, double angleX,
                          double angleY, double angleZ);
  // Replaces the handle's rotation by HandleRotation(angleX, angleY, angleZ).
  void SetHandleRotation(int index, double angleX, double angleY, double angleZ);
  // rotation = rotation × HandleRotation(angleX, angleY, angleZ).
  void MultHandleRotation(int index, double angleX, double angleY, double angleZ);
  // Repaints also when the ratio is rejected.
  void SetHandleWidthRatio(int index, double ratio);
  void SetHandleIsActive(int index, bool active);
  // Starts a new stroke at (x, y, z).
  void InitLSystem(double x, double y, double z);
  // Grows the stroke one step in the direction (x, y, z), when it can grow;
  // repaints in every case.
  void DrawLSystem(double x, double y, double z);
  void TurnOn();
  void TurnOff();
  // The tree pane's default camera.
  void EyePointInit();
  // Turns the tree pane's eye by dx × 0.05 radians about its up vector and
  // by −dy × 0.05 about its side axis.
  void EyeRotation(int dx, int dy);
};

// The process-wide facade, created on first use.
CRemoteCommands* GetRemoteCommands();
// Deletes it if it exists (application exit, and between tests).
void DeleteRemoteCommands();

// The rotation that three remote angles describe: Rx(angleX) × Rz(angleZ) ×
// Ry(angleY), so that applied to a point the Y rotation acts first, then Z,
// then X.
Matrix4 HandleRotation(double angleX, double angleY, double angleZ);
