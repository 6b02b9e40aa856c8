#pragma once

// What a rendering window needs of the window system, and nothing more.
// The desktop program implements it with a wx canvas; tests, the command-line
// renderer and the benchmarks with a headless EGL pbuffer.

// The pixel format both panes ask for: RGBA colour, double buffered, a depth
// buffer of 16 bits (or more), no alpha channel, no stencil or accumulation.
struct PixelFormat {
  bool doubleBuffer = true;
  int depthBits = 16;
  int alphaBits = 0;
};

class GLSurface {
 public:
  virtual ~GLSurface() = default;

  // Chooses the pixel format closest to format; false when none fits.
  virtual bool SetPixelFormat(const PixelFormat& format) = 0;
  // Creates the OpenGL context on the surface; false when it cannot.
  virtual bool CreateContext() = 0;
  virtual void DestroyContext() = 0;
  // Makes this surface's context current; false without a context.
  virtual bool MakeCurrent() = 0;
  // Leaves no context current on this thread.
  virtual bool ReleaseCurrent() = 0;
  virtual bool SwapBuffers() = 0;
  virtual void GetClientSize(int& width, int& height) const = 0;

  virtual void CaptureMouse() = 0;
  // Whether this surface's window is the one that holds the mouse capture.
  virtual bool HasMouseCapture() const = 0;
  virtual void ReleaseMouse() = 0;

  // Repaints the window now: the paint has run when this returns.
  virtual void RepaintNow() = 0;
};
