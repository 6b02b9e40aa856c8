#pragma once

#include <wx/glcanvas.h>

#include <memory>

#include "gl/GLSurface.h"

class CPaneView;

// The GLSurface of a pane on a wx OpenGL canvas: the canvas's context, its
// buffer swap, its client size in pixels, its mouse capture and its
// synchronous repaint.
class CCanvasSurface : public GLSurface {
 public:
  CCanvasSurface(wxGLCanvas& canvas, const PixelFormat& format);

  // True when format is the one the canvas was created with and the display
  // offers it.
  bool SetPixelFormat(const PixelFormat& format) override;
  bool CreateContext() override;
  void DestroyContext() override;
  // False until the canvas has its native window.
  bool MakeCurrent() override;
  bool ReleaseCurrent() override;
  bool SwapBuffers() override;
  void GetClientSize(int& width, int& height) const override;
  void CaptureMouse() override;
  bool HasMouseCapture() const override;
  void ReleaseMouse() override;
  // Invalidates the whole canvas and has the paint run before returning.
  void RepaintNow() override;

  // Pixels per client unit of the canvas (above 1 on high-resolution
  // screens, where OpenGL counts physical pixels).
  double Scale() const;

  int swapCount = 0;

 private:
  wxGLCanvas& canvas_;
  const PixelFormat format_;
  std::unique_ptr<wxGLContext> context_;
};

// The window of one OpenGL pane. It answers its window messages by handing
// them to its view: the native window's creation (when the pane's
// CGLWindow can bind to it), size, paint and the mouse. It never erases its
// background: every paint covers it with the OpenGL clear.
class CGLCanvas : public wxGLCanvas {
 public:
  CGLCanvas(wxWindow* parent, CPaneView& view, const wxSize& size);

  CCanvasSurface& Surface() { return surface_; }
  // The view is going away: no message reaches it from now on.
  void DetachView() { view_ = nullptr; }
  // Whether the window system shows the canvas (its native window and all
  // that contain it are mapped); asks the window system, so it is known
  // before the framework has heard.
  bool IsMappedOnScreen() const;
  // The mouse position of event in OpenGL pixels.
  wxPoint PixelPosition(const wxMouseEvent& event) const;

 private:
  void OnNativeWindowCreated(wxWindowCreateEvent& event);
  void OnSize(wxSizeEvent& event);
  void OnPaint(wxPaintEvent& event);
  void OnMouse(wxMouseEvent& event);

  CPaneView* view_;
  CCanvasSurface surface_;
};
