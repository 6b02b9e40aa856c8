#include "app/GLCanvas.h"

#include <wx/dcclient.h>
#include <wx/utils.h>

#include <cmath>

#include "app/Views.h"

// Last: the X11 headers define macros (None, Status, ...) that other
// headers trip over.
#include <GL/glx.h>

namespace {

wxGLAttributes CanvasAttributes(const PixelFormat& format) {
  wxGLAttributes attributes;
  attributes.PlatformDefaults().RGBA().MinRGBA(8, 8, 8, format.alphaBits).Depth(format.depthBits);
  if (format.doubleBuffer) attributes.DoubleBuffer();
  attributes.EndList();
  return attributes;
}

bool SameFormat(const PixelFormat& a, const PixelFormat& b) {
  return a.doubleBuffer == b.doubleBuffer && a.depthBits == b.depthBits &&
         a.alphaBits == b.alphaBits;
}

}  // namespace

CCanvasSurface::CCanvasSurface(wxGLCanvas& canvas, const PixelFormat& format)
    : canvas_(canvas), format_(format) {}

bool CCanvasSurface::SetPixelFormat(const PixelFormat& format) {
  return SameFormat(format, format_) && wxGLCanvas::IsDisplaySupported(CanvasAttributes(format));
}

bool CCanvasSurface::CreateContext() {
  context_ = std::make_unique<wxGLContext>(&canvas_);
  if (context_->IsOK()) return true;
  context_.reset();
  return false;
}

void CCanvasSurface::DestroyContext() { context_.reset(); }

bool CCanvasSurface::MakeCurrent() {
  // Before the canvas has its native window there is nothing to draw on.
  if (!context_ || canvas_.GetXWindow() == 0) return false;
  return canvas_.SetCurrent(*context_);
}

bool CCanvasSurface::ReleaseCurrent() {
  Display* display = glXGetCurrentDisplay();
  if (!display) return true;  // no context is current
  return glXMakeCurrent(display, 0, nullptr) == True;
}

bool CCanvasSurface::SwapBuffers() {
  ++swapCount;
  return canvas_.SwapBuffers();
}

void CCanvasSurface::GetClientSize(int& width, int& height) const {
  const wxSize size = canvas_.GetClientSize();
  width = static_cast<int>(std::lround(size.x * Scale()));
  height = static_cast<int>(std::lround(size.y * Scale()));
}

void CCanvasSurface::CaptureMouse() {
  if (!canvas_.HasCapture()) canvas_.CaptureMouse();
}

bool CCanvasSurface::HasMouseCapture() const { return canvas_.HasCapture(); }

void CCanvasSurface::ReleaseMouse() {
  if (canvas_.HasCapture()) canvas_.ReleaseMouse();
}

void CCanvasSurface::RepaintNow() {
  canvas_.Refresh(true);
  canvas_.Update();
}

double CCanvasSurface::Scale() const { return canvas_.GetContentScaleFactor(); }

CGLCanvas::CGLCanvas(wxWindow* parent, CPaneView& view, const wxSize& size)
    : wxGLCanvas(parent, CanvasAttributes(PixelFormat()), wxID_ANY, wxDefaultPosition, size,
                 wxFULL_REPAINT_ON_RESIZE | wxWANTS_CHARS),
      view_(&view),
      surface_(*this, PixelFormat()) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_CREATE, &CGLCanvas::OnNativeWindowCreated, this);
  Bind(wxEVT_SIZE, &CGLCanvas::OnSize, this);
  Bind(wxEVT_PAINT, &CGLCanvas::OnPaint, this);
  Bind(wxEVT_ERASE_BACKGROUND, [](wxEraseEvent&) {});
  // Without a handler here the capture would be lost silently; a drag then
  // simply stops following the mouse (CGLWindow checks who holds it).
  Bind(wxEVT_MOUSE_CAPTURE_LOST, [](wxMouseCaptureLostEvent&) {});
  for (const auto& type :
       {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_LEFT_DCLICK, wxEVT_RIGHT_DOWN, wxEVT_RIGHT_UP,
        wxEVT_RIGHT_DCLICK, wxEVT_MIDDLE_DOWN, wxEVT_MIDDLE_UP, wxEVT_MIDDLE_DCLICK, wxEVT_MOTION}) {
    Bind(type, &CGLCanvas::OnMouse, this);
  }
}

wxPoint CGLCanvas::PixelPosition(const wxMouseEvent& event) const {
  const double scale = surface_.Scale();
  return wxPoint(static_cast<int>(std::lround(event.GetX() * scale)),
                 static_cast<int>(std::lround(event.GetY() * scale)));
}

bool CGLCanvas::IsMappedOnScreen() const {
  const Window window = GetXWindow();
  if (window == 0) return false;
  // The pending drawing first, so that the answer is about the window as
  // it is now.
  Display* display = wxGetX11Display();
  XSync(display, False);
  XWindowAttributes attributes;
  return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

void CGLCanvas::OnNativeWindowCreated(wxWindowCreateEvent& event) {
  if (event.GetWindow() == this && view_) view_->BindPane();
  event.Skip();
}

void CGLCanvas::OnSize(wxSizeEvent& event) {
  event.Skip();  // the framework's processing first
  if (view_) view_->PaneResized();
}

void CGLCanvas::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);  // validates the region; the drawing is OpenGL's
  if (view_) view_->PaintPane();
}

void CGLCanvas::OnMouse(wxMouseEvent& event) {
  // A press makes its pane the one that has the keyboard, as clicking into a
  // view does.
  if (event.ButtonDown() || event.ButtonDClick()) SetFocus();
  if (view_) view_->PaneMouse(event);
  event.Skip();
}
