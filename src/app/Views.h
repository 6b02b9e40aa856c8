#pragma once

#include <wx/docview.h>

class CGLCanvas;
class CGLWindow;

// A view that shows one OpenGL pane of the main frame's splitter. The view
// keeps no state: its canvas's messages are forwarded to the pane's
// CGLWindow (of CSceneWindows) and to the pane's input object.
class CPaneView : public wxView {
 public:
  // Creates the pane's window in parent. The pane's CGLWindow binds to it
  // once the window system has created the native window (BindPane).
  void CreatePane(wxWindow* parent, const wxSize& size, CGLWindow& paneWindow);
  CGLCanvas* Canvas() const { return canvas_; }

  // Panes draw through OpenGL only; the framework's drawing context is not
  // used.
  void OnDraw(wxDC*) override {}

  // Messages of the canvas.
  void BindPane();
  void PaneResized();
  virtual void PaintPane() = 0;
  virtual void PaneMouse(const wxMouseEvent& event) = 0;

 protected:
  // Releases the pane's OpenGL window, then the pane's window.
  ~CPaneView() override;
  virtual void AfterResize() {}
  CGLWindow* PaneWindow() const { return paneWindow_; }

 private:
  bool IsBound() const;

  CGLCanvas* canvas_ = nullptr;
  CGLWindow* paneWindow_ = nullptr;
};

// The controller pane (left): the editor of the branching rule.
class CControllerView : public CPaneView {
 public:
  // Joins doc and creates its pane in parent.
  bool Create(wxDocument* doc, wxWindow* parent, const wxSize& size);

  void PaintPane() override;
  void PaneMouse(const wxMouseEvent& event) override;

 protected:
  void AfterResize() override;

  wxDECLARE_DYNAMIC_CLASS(CControllerView);
};

// The tree pane (right), the document template's view. Its creation makes
// the main frame, which creates both panes.
class CDendrixView : public CPaneView {
 public:
  bool OnCreate(wxDocument* doc, long flags) override;
  // Shows the document's name in the main frame's title.
  void OnChangeFilename() override;

  void PaintPane() override;
  void PaneMouse(const wxMouseEvent& event) override;

  wxDECLARE_DYNAMIC_CLASS(CDendrixView);
};
