#include "gl/HeadlessSurface.h"

#include <EGL/eglext.h>

#include <cstring>

namespace {

const HeadlessSurface* g_captureHolder = nullptr;

// The largest pbuffer side we ask EGL for; larger requests are refused here
// rather than by an out-of-memory inside the driver.
constexpr int kMaxSide = 16384;

bool HasExtension(const char* list, const char* name) {
  if (!list) return false;
  const size_t n = std::strlen(name);
  for (const char* p = std::strstr(list, name); p; p = std::strstr(p + 1, name)) {
    if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0')) return true;
  }
  return false;
}

// One EGL display for the process, initialised on first use. The surfaceless
// platform needs no GPU and no window system; where it is missing (another
// vendor's EGL) the default display is tried.
EGLDisplay SharedDisplay(std::string& error) {
  static EGLDisplay display = EGL_NO_DISPLAY;
  static bool initialised = false;
  if (initialised) return display;

  const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  EGLDisplay candidate = EGL_NO_DISPLAY;
  if (getPlatformDisplay && HasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
    candidate = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  }
  if (candidate == EGL_NO_DISPLAY) candidate = eglGetDisplay(EGL_DEFAULT_DISPLAY);
  if (candidate == EGL_NO_DISPLAY) {
    error = "no EGL display is available";
    return EGL_NO_DISPLAY;
  }
  EGLint major = 0, minor = 0;
  if (!eglInitialize(candidate, &major, &minor)) {
    error = "eglInitialize failed (EGL error " + std::to_string(eglGetError()) + ")";
    return EGL_NO_DISPLAY;
  }
  display = candidate;
  initialised = true;
  return display;
}

}  // namespace

HeadlessSurface::HeadlessSurface(int width, int height) : width_(width), height_(height) {}

HeadlessSurface::~HeadlessSurface() {
  if (g_captureHolder == this) g_captureHolder = nullptr;
  DestroyContext();
}

bool HeadlessSurface::Fail(const std::string& message) {
  error_ = message;
  return false;
}

bool HeadlessSurface::Open(const PixelFormat& format) {
  return SetPixelFormat(format) && CreateContext() && MakeCurrent();
}

bool HeadlessSurface::SetPixelFormat(const PixelFormat& format) {
  display_ = SharedDisplay(error_);
  if (display_ == EGL_NO_DISPLAY) return false;
  if (!eglBindAPI(EGL_OPENGL_API)) return Fail("EGL offers no desktop OpenGL API");
  // A pbuffer has a single colour buffer; the double-buffer request only
  // matters for windows, where swaps present the picture.
  const EGLint attributes[] = {EGL_SURFACE_TYPE,    EGL_PBUFFER_BIT,  EGL_RENDERABLE_TYPE,
                               EGL_OPENGL_BIT,      EGL_RED_SIZE,     8,
                               EGL_GREEN_SIZE,      8,                EGL_BLUE_SIZE,
                               8,                   EGL_ALPHA_SIZE,   format.alphaBits,
                               EGL_DEPTH_SIZE,      format.depthBits, EGL_NONE};
  EGLint count = 0;
  if (!eglChooseConfig(display_, attributes, &config_, 1, &count) || count < 1) {
    return Fail("no EGL configuration with RGB colour and a depth buffer");
  }
  return true;
}

bool HeadlessSurface::CreatePbuffer() {
  if (width_ < 1 || height_ < 1 || width_ > kMaxSide || height_ > kMaxSide) {
    return Fail("pbuffer size out of range: " + std::to_string(width_) + " x " +
                std::to_string(height_));
  }
  const EGLint attributes[] = {EGL_WIDTH, width_, EGL_HEIGHT, height_, EGL_NONE};
  pbuffer_ = eglCreatePbufferSurface(display_, config_, attributes);
  if (pbuffer_ == EGL_NO_SURFACE) return Fail("eglCreatePbufferSurface failed");
  return true;
}

bool HeadlessSurface::CreateContext() {
  if (display_ == EGL_NO_DISPLAY || !config_) return Fail("no pixel format was set");
  if (!CreatePbuffer()) return false;
  const EGLint attributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                               EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  context_ = eglCreateContext(display_, config_, EGL_NO_CONTEXT, attributes);
  if (context_ == EGL_NO_CONTEXT) {
    eglDestroySurface(display_, pbuffer_);
    pbuffer_ = EGL_NO_SURFACE;
    return Fail("eglCreateContext failed for a compatibility-profile OpenGL context");
  }
  return true;
}

void HeadlessSurface::DestroyContext() {
  if (display_ == EGL_NO_DISPLAY) return;
  if (eglGetCurrentContext() == context_ && context_ != EGL_NO_CONTEXT) ReleaseCurrent();
  if (context_ != EGL_NO_CONTEXT) eglDestroyContext(display_, context_);
  if (pbuffer_ != EGL_NO_SURFACE) eglDestroySurface(display_, pbuffer_);
  context_ = EGL_NO_CONTEXT;
  pbuffer_ = EGL_NO_SURFACE;
}

bool HeadlessSurface::SetSize(int width, int height) {
  const int oldWidth = width_, oldHeight = height_;
  width_ = width;
  height_ = height;
  if (context_ == EGL_NO_CONTEXT) return true;
  const bool wasCurrent = eglGetCurrentContext() == context_;
  if (wasCurrent) ReleaseCurrent();
  const EGLSurface old = pbuffer_;
  if (!CreatePbuffer()) {
    width_ = oldWidth;
    height_ = oldHeight;
    pbuffer_ = old;
    if (wasCurrent) MakeCurrent();
    return false;
  }
  eglDestroySurface(display_, old);
  if (wasCurrent) MakeCurrent();
  return true;
}

bool HeadlessSurface::MakeCurrent() {
  if (context_ == EGL_NO_CONTEXT) return false;
  return eglMakeCurrent(display_, pbuffer_, pbuffer_, context_) == EGL_TRUE;
}

bool HeadlessSurface::ReleaseCurrent() {
  if (display_ == EGL_NO_DISPLAY) return false;
  return eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT) == EGL_TRUE;
}

bool HeadlessSurface::SwapBuffers() {
  // A pbuffer has nothing to present; the picture stays readable.
  ++swapCount;
  return pbuffer_ != EGL_NO_SURFACE;
}

void HeadlessSurface::GetClientSize(int& width, int& height) const {
  width = width_;
  height = height_;
}

void HeadlessSurface::CaptureMouse() { g_captureHolder = this; }

bool HeadlessSurface::HasMouseCapture() const { return g_captureHolder == this; }

void HeadlessSurface::ReleaseMouse() {
  if (g_captureHolder == this) g_captureHolder = nullptr;
}

void HeadlessSurface::LoseCapture() { g_captureHolder = nullptr; }

void HeadlessSurface::RepaintNow() {
  ++repaintCount;
  if (onPaint) onPaint();
}
