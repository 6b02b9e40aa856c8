#pragma once

#include <wx/docview.h>
#include <wx/timer.h>

#include <string_view>

#include "gl/TimerOwner.h"

class CDendrixView;
class CGLWindow;
class CStaticSplitter;

// The main window: menu 128, toolbar 128, the status bar with its keyboard
// indicators, accelerator table 128, and the static splitter holding the
// controller pane (left) and the tree pane (right). It owns the tree pane's
// auto-rotation timer and handles the render-mode commands.
class CMainFrame : public wxDocParentFrame, public TimerOwner {
 public:
  // Frame creation: the bars, at the framework's default size and place.
  explicit CMainFrame(wxDocManager* manager);
  ~CMainFrame() override;

  // Client-area creation: the splitter, the controller view joining doc, and
  // treeView's pane; then the frame becomes the timer window.
  void CreateClient(wxDocument* doc, CDendrixView& treeView);
  CStaticSplitter* Splitter() const { return splitter_; }

  void StartTimer(int id, int periodMs) override;
  void StopTimer(int id) override;
  bool IsTimerRunning(int id) const { return id == timer_.GetId() && timer_.IsRunning(); }

 private:
  void BuildMenuBar();
  void BuildToolBar();
  void BuildStatusBar();
  void BuildAccelerators();
  void UpdateKeyIndicators();

  void OnCharHook(wxKeyEvent& event);
  void OnTimer(wxTimerEvent& event);
  void OnIdle(wxIdleEvent& event);
  void OnFileNew(wxCommandEvent& event);
  void OnFileSave(wxCommandEvent& event);
  void OnAppExit(wxCommandEvent& event);
  void OnMovePane(wxCommandEvent& event);
  void OnViewBar(wxCommandEvent& event);
  void OnUpdateViewBar(wxUpdateUIEvent& event);

  // Render-mode commands (RenderModeCommands.cpp).
  void OnLightingOn(wxCommandEvent& event);
  void OnUpdateLightingOn(wxUpdateUIEvent& event);
  void OnPolygonRendering(wxCommandEvent& event);
  void OnUpdatePolygonRendering(wxUpdateUIEvent& event);
  void OnTreeRendering(wxCommandEvent& event);
  void OnUpdateTreeRendering(wxUpdateUIEvent& event);
  void OnToggleHandle(wxCommandEvent& event);
  void OnUpdateToggleHandle(wxUpdateUIEvent& event);
  void OnBranchColor(wxCommandEvent& event);
  void OnLeafColor(wxCommandEvent& event);
  void OnUpdateColor(wxUpdateUIEvent& event);
  // Runs the shared colour dialog; false unless it ends with OK.
  bool ChooseColour(unsigned char& red, unsigned char& green, unsigned char& blue);

  wxTimer timer_;
  CStaticSplitter* splitter_ = nullptr;

  wxDECLARE_EVENT_TABLE();
};

// A menu item text of the resources as wx shows it: the mnemonic moves in
// front of the tab, so that what follows the tab is the accelerator alone
// ("新規作成\tCtrl+N(&N)" becomes "新規作成(&N)\tCtrl+N").
wxString MenuLabel(std::string_view resourceText);

// The command accelerator table 128 binds to a key with modifiers
// (wxACCEL_* flags): its first binding of that key; 0 when there is none.
int AcceleratorCommand(int flags, int key);

// Repaints a pane synchronously if it has a window.
void RepaintPane(CGLWindow& pane);

// The bark and leaf colours from a chosen colour's bytes, as the colour
// commands set them.
void SetBarkColour(unsigned char red, unsigned char green, unsigned char blue);
void SetLeafColour(unsigned char red, unsigned char green, unsigned char blue);
