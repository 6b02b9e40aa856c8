#pragma once

#include "gl/GLWindow.h"
#include "gl/TimerOwner.h"

// The rendering windows of the two panes and the owner of the tree pane's
// auto-rotation timer.
class CSceneWindows {
 public:
  // Timer 1 of timerWindow turns the tree pane's eye by kAutoRotateStep
  // every kAutoRotatePeriodMs.
  static constexpr int kAutoRotateTimerId = 1;
  static constexpr int kAutoRotatePeriodMs = 30;
  static constexpr double kAutoRotateStep = 0.015;

  CSceneWindows() = default;
  CSceneWindows(const CSceneWindows&) = delete;
  CSceneWindows& operator=(const CSceneWindows&) = delete;
  // Frees the read-back buffers; the contexts were released by Destroy when
  // the views went away.
  ~CSceneWindows();

  CGLWindow treeWindow;
  CGLWindow controllerWindow;
  TimerOwner* timerWindow = nullptr;
};

// The process-wide windows, created on first use.
CSceneWindows* GetSceneWindows();
// Deletes them if they exist (application exit, and between tests).
void DeleteSceneWindows();
