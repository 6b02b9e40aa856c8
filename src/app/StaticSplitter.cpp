#include "app/StaticSplitter.h"

#include <wx/dcclient.h>
#include <wx/renderer.h>

#include <algorithm>

CStaticSplitter::CStaticSplitter(wxWindow* parent, wxWindowID id)
    : wxWindow(parent, id, wxDefaultPosition, wxDefaultSize, wxFULL_REPAINT_ON_RESIZE) {
  Bind(wxEVT_SIZE, &CStaticSplitter::OnSize, this);
  Bind(wxEVT_PAINT, &CStaticSplitter::OnPaint, this);
  // The panes cover everything but the bar, so the splitter's own mouse
  // messages come from the bar (or, while dragging, from anywhere: the mouse
  // is captured).
  SetCursor(wxCursor(wxCURSOR_SIZEWE));
  for (const auto& type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_MOTION}) {
    Bind(type, &CStaticSplitter::OnMouse, this);
  }
  Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { dragOffset_ = -1; });
}

void CStaticSplitter::SetPanes(wxWindow* left, wxWindow* right) {
  left_ = left;
  right_ = right;
  LayoutPanes();
}

void CStaticSplitter::SetIdealWidth(int width) {
  idealWidth_ = std::max(width, 0);
  LayoutPanes();
}

int CStaticSplitter::BarWidth() const {
  return wxRendererNative::Get().GetSplitterParams(this).widthSash;
}

int CStaticSplitter::BarPosition() const {
  const int room = std::max(GetClientSize().x - BarWidth(), 0);
  return std::min(idealWidth_, room);
}

void CStaticSplitter::LayoutPanes() {
  const wxSize size = GetClientSize();
  const int bar = BarPosition();
  const int rightStart = bar + BarWidth();
  if (left_) left_->SetSize(0, 0, bar, size.y);
  if (right_) right_->SetSize(rightStart, 0, std::max(size.x - rightStart, 0), size.y);
  Refresh(false);
}

void CStaticSplitter::OnSize(wxSizeEvent&) { LayoutPanes(); }

void CStaticSplitter::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  wxRendererNative::Get().DrawSplitterSash(this, dc, GetClientSize(), BarPosition(), wxVERTICAL);
}

void CStaticSplitter::OnMouse(wxMouseEvent& event) {
  const int x = event.GetX();
  if (event.LeftDown()) {
    dragOffset_ = std::clamp(x - BarPosition(), 0, BarWidth());
    if (!HasCapture()) CaptureMouse();
  } else if (event.Dragging() && dragOffset_ >= 0) {
    const int room = std::max(GetClientSize().x - BarWidth(), 0);
    SetIdealWidth(std::clamp(x - dragOffset_, 0, room));
  } else if (event.LeftUp() && dragOffset_ >= 0) {
    dragOffset_ = -1;
    if (HasCapture()) ReleaseMouse();
  }
}
