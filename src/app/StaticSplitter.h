#pragma once

#include <wx/window.h>

// One row, two columns, and a bar between them that the user drags. The
// left column keeps its ideal width whenever the window is wide enough and
// takes all the room (the bar at the right edge) when it is not; dragging
// the bar sets a new ideal width, down to the minimum of 0. Neither pane is
// ever removed, however far the bar is dragged.
class CStaticSplitter : public wxWindow {
 public:
  CStaticSplitter(wxWindow* parent, wxWindowID id);

  void SetPanes(wxWindow* left, wxWindow* right);
  wxWindow* LeftPane() const { return left_; }
  wxWindow* RightPane() const { return right_; }
  void SetIdealWidth(int width);
  int IdealWidth() const { return idealWidth_; }
  // Where the bar's left edge lies now, in client pixels.
  int BarPosition() const;
  int BarWidth() const;

 private:
  void LayoutPanes();
  void OnSize(wxSizeEvent& event);
  void OnPaint(wxPaintEvent& event);
  void OnMouse(wxMouseEvent& event);

  wxWindow* left_ = nullptr;
  wxWindow* right_ = nullptr;
  int idealWidth_ = 0;
  int dragOffset_ = -1;  // where in the bar the drag holds it; -1: no drag
};
