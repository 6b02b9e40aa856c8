#pragma once

#include <gtest/gtest.h>

#include "gl/GLWindow.h"
#include "gl/HeadlessSurface.h"

// Creates window on surface, as a view does when it is created, and gives it
// the surface's size, as the view's first size notification does.
inline ::testing::AssertionResult CreateOnSurface(CGLWindow& window, HeadlessSurface& surface) {
  if (!window.Create(&surface)) {
    return ::testing::AssertionFailure() << "no headless OpenGL context: " << surface.Error();
  }
  int width = 0, height = 0;
  surface.GetClientSize(width, height);
  window.Resize(width, height);
  return ::testing::AssertionSuccess();
}

// A new client size for the surface and its window, as a view resize gives.
inline void ResizeSurface(CGLWindow& window, HeadlessSurface& surface, int width, int height) {
  ASSERT_TRUE(surface.SetSize(width, height)) << surface.Error();
  window.Resize(width, height);
}
