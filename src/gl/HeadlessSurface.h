#pragma once

#include <EGL/egl.h>

#include <functional>
#include <string>

#include "gl/GLSurface.h"

// A GLSurface without any window: an EGL pbuffer on Mesa's surfaceless
// platform (or the default display elsewhere), desktop OpenGL with the
// compatibility profile. Mouse capture and repaints are plain state, so a
// test can drive drags and count repaints.
class HeadlessSurface : public GLSurface {
 public:
  HeadlessSurface(int width, int height);
  ~HeadlessSurface() override;
  HeadlessSurface(const HeadlessSurface&) = delete;
  HeadlessSurface& operator=(const HeadlessSurface&) = delete;

  // SetPixelFormat and CreateContext in one step, then makes the context
  // current. On failure Error() says why.
  bool Open(const PixelFormat& format = PixelFormat());
  const std::string& Error() const { return error_; }

  // A new client size: the pbuffer is replaced, the context kept.
  bool SetSize(int width, int height);

  bool SetPixelFormat(const PixelFormat& format) override;
  bool CreateContext() override;
  void DestroyContext() override;
  bool MakeCurrent() override;
  bool ReleaseCurrent() override;
  bool SwapBuffers() override;
  void GetClientSize(int& width, int& height) const override;
  void CaptureMouse() override;
  bool HasMouseCapture() const override;
  void ReleaseMouse() override;
  void RepaintNow() override;

  // Takes the mouse capture away from whichever surface holds it, as another
  // application grabbing the pointer would.
  static void LoseCapture();

  // Called by RepaintNow after counting; the paint handler of a test.
  std::function<void()> onPaint;
  int repaintCount = 0;
  int swapCount = 0;

 private:
  bool Fail(const std::string& message);
  bool CreatePbuffer();

  int width_;
  int height_;
  EGLDisplay display_ = EGL_NO_DISPLAY;
  EGLConfig config_ = nullptr;
  EGLContext context_ = EGL_NO_CONTEXT;
  EGLSurface pbuffer_ = EGL_NO_SURFACE;
  std::string error_;
};
