#pragma once

// The window that owns the tree pane's auto-rotation timer (the main frame
// in the desktop program).
class TimerOwner {
 public:
  virtual ~TimerOwner() = default;
  virtual void StartTimer(int id, int periodMs) = 0;
  virtual void StopTimer(int id) = 0;
};
