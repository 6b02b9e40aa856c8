#include "app/MainFrame.h"

#include <wx/accel.h>
#include <wx/display.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/utils.h>

#include <algorithm>
#include <vector>

#include "Images.h"
#include "Resources.h"
#include "app/AppImages.h"
#include "app/DendrixDoc.h"
#include "app/GLCanvas.h"
#include "app/StaticSplitter.h"
#include "app/Views.h"
#include "gl/SceneWindows.h"

namespace {

constexpr int kIdealControllerWidth = 900;
const wxSize kInitialControllerSize(200, 0);
const wxSize kInitialTreeSize(700, 0);

// Status-bar panes: the message pane, then the keyboard indicators.
struct Indicator {
  int id;
  const char* text;
  wxKeyCode key;
};
constexpr Indicator kIndicators[] = {
    {res::ID_INDICATOR_CAPS, "CAP", WXK_CAPITAL},
    {res::ID_INDICATOR_NUM, "NUM", WXK_NUMLOCK},
    {res::ID_INDICATOR_SCRL, "SCRL", WXK_SCROLL},
};
constexpr int kIndicatorCount = static_cast<int>(std::size(kIndicators));

// The size a frame gets when it asks for none: three quarters of the work
// area of the screen it opens on.
wxSize DefaultFrameSize() {
  const wxRect area = wxDisplay(0u).GetClientArea();
  return wxSize(area.width * 3 / 4, area.height * 3 / 4);
}

}  // namespace

wxBEGIN_EVENT_TABLE(CMainFrame, wxDocParentFrame)
  EVT_CHAR_HOOK(CMainFrame::OnCharHook)
  EVT_TIMER(CSceneWindows::kAutoRotateTimerId, CMainFrame::OnTimer)
  EVT_IDLE(CMainFrame::OnIdle)
  EVT_MENU(res::ID_FILE_NEW, CMainFrame::OnFileNew)
  EVT_MENU(res::ID_FILE_SAVE, CMainFrame::OnFileSave)
  EVT_MENU(res::ID_APP_EXIT, CMainFrame::OnAppExit)
  EVT_MENU(res::ID_NEXT_PANE, CMainFrame::OnMovePane)
  EVT_MENU(res::ID_PREV_PANE, CMainFrame::OnMovePane)
  EVT_MENU(res::ID_VIEW_TOOLBAR, CMainFrame::OnViewBar)
  EVT_MENU(res::ID_VIEW_STATUS_BAR, CMainFrame::OnViewBar)
  EVT_UPDATE_UI(res::ID_VIEW_TOOLBAR, CMainFrame::OnUpdateViewBar)
  EVT_UPDATE_UI(res::ID_VIEW_STATUS_BAR, CMainFrame::OnUpdateViewBar)
  EVT_MENU(res::ID_LIGHTING_ON, CMainFrame::OnLightingOn)
  EVT_UPDATE_UI(res::ID_LIGHTING_ON, CMainFrame::OnUpdateLightingOn)
  EVT_MENU(res::ID_POLYGON_RENDERING, CMainFrame::OnPolygonRendering)
  EVT_UPDATE_UI(res::ID_POLYGON_RENDERING, CMainFrame::OnUpdatePolygonRendering)
  EVT_MENU(res::ID_TREE_RENDERING, CMainFrame::OnTreeRendering)
  EVT_UPDATE_UI(res::ID_TREE_RENDERING, CMainFrame::OnUpdateTreeRendering)
  EVT_MENU(res::ID_TOGGLE_HANDLE_0, CMainFrame::OnToggleHandle)
  EVT_MENU(res::ID_TOGGLE_HANDLE_1, CMainFrame::OnToggleHandle)
  EVT_MENU(res::ID_TOGGLE_HANDLE_2, CMainFrame::OnToggleHandle)
  EVT_MENU(res::ID_TOGGLE_HANDLE_3, CMainFrame::OnToggleHandle)
  EVT_UPDATE_UI(res::ID_TOGGLE_HANDLE_0, CMainFrame::OnUpdateToggleHandle)
  EVT_UPDATE_UI(res::ID_TOGGLE_HANDLE_1, CMainFrame::OnUpdateToggleHandle)
  EVT_UPDATE_UI(res::ID_TOGGLE_HANDLE_2, CMainFrame::OnUpdateToggleHandle)
  EVT_UPDATE_UI(res::ID_TOGGLE_HANDLE_3, CMainFrame::OnUpdateToggleHandle)
  EVT_MENU(res::ID_BRANCH_COLOR, CMainFrame::OnBranchColor)
  EVT_MENU(res::ID_LEAF_COLOR, CMainFrame::OnLeafColor)
  EVT_UPDATE_UI(res::ID_BRANCH_COLOR, CMainFrame::OnUpdateColor)
  EVT_UPDATE_UI(res::ID_LEAF_COLOR, CMainFrame::OnUpdateColor)
wxEND_EVENT_TABLE()

CMainFrame::CMainFrame(wxDocManager* manager)
    : wxDocParentFrame(manager, nullptr, wxID_ANY, WindowTitle(), wxDefaultPosition,
                       DefaultFrameSize()),
      timer_(this, CSceneWindows::kAutoRotateTimerId) {
  SetIcons(ApplicationIcons());
  BuildMenuBar();
  BuildToolBar();
  BuildStatusBar();
  BuildAccelerators();
}

CMainFrame::~CMainFrame() {
  timer_.Stop();
  // Nothing may start or stop the timer of a frame that is gone.
  CSceneWindows* windows = GetSceneWindows();
  if (windows->timerWindow == this) windows->timerWindow = nullptr;
}

wxString MenuLabel(std::string_view resourceText) {
  const wxString text = wxString::FromUTF8(resourceText.data(), resourceText.size());
  wxString label = text.BeforeFirst('\t');
  wxString accelerator = text.AfterFirst('\t');
  if (accelerator.empty()) return label;
  // A mnemonic written after the accelerator, "(&N)", belongs to the label.
  const int mark = accelerator.Find('&');
  if (mark != wxNOT_FOUND) {
    const int open = accelerator.rfind('(', mark);
    const int close = accelerator.find(')', mark);
    if (open != wxNOT_FOUND && close != wxNOT_FOUND) {
      label += accelerator.Mid(open, close - open + 1);
      accelerator.Remove(open, close - open + 1);
    }
  }
  return label + "\t" + accelerator;
}

void CMainFrame::BuildMenuBar() {
  auto* menuBar = new wxMenuBar();
  for (const res::Menu& menu : res::kMainMenu) {
    auto* items = new wxMenu();
    for (const res::MenuItem& item : menu.items) {
      if (item.command == 0) {
        items->AppendSeparator();
        continue;
      }
      // Every item whose update handler may set a check mark can carry one.
      const bool checkable =
          item.command == res::ID_LIGHTING_ON || item.command == res::ID_POLYGON_RENDERING ||
          item.command == res::ID_TREE_RENDERING || item.command == res::ID_VIEW_TOOLBAR ||
          item.command == res::ID_VIEW_STATUS_BAR;
      items->Append(item.command, MenuLabel(item.text), wxEmptyString,
                    checkable ? wxITEM_CHECK : wxITEM_NORMAL);
    }
    menuBar->Append(items, wxString::FromUTF8(menu.title));
  }
  SetMenuBar(menuBar);
}

void CMainFrame::BuildToolBar() {
  wxToolBar* toolBar =
      CreateToolBar(wxTB_FLAT | wxTB_HORIZONTAL | wxTB_DOCKABLE, res::ID_VIEW_TOOLBAR);
  toolBar->SetToolBitmapSize(wxSize(kToolbarButtonSize, kToolbarButtonSize));
  int image = 0;
  for (int command : res::kToolbarButtons) {
    if (command == 0) {
      toolBar->AddSeparator();
      continue;
    }
    const wxBitmap bitmap = ToolbarButtonBitmap(image++);
    // The colour commands never carry a check mark; the others show theirs
    // as a pressed-in button.
    const bool checkable = command != res::ID_LEAF_COLOR && command != res::ID_BRANCH_COLOR;
    const char* prompt = res::CommandPrompt(command);
    toolBar->AddTool(command, wxEmptyString, bitmap, wxNullBitmap,
                     checkable ? wxITEM_CHECK : wxITEM_NORMAL, wxEmptyString,
                     prompt ? wxString::FromUTF8(prompt) : wxString());
  }
  toolBar->Realize();
}

void CMainFrame::BuildStatusBar() {
  wxStatusBar* statusBar = CreateStatusBar(1 + kIndicatorCount, wxSTB_DEFAULT_STYLE,
                                           res::ID_VIEW_STATUS_BAR);
  std::vector<int> widths = {-1};
  std::vector<int> styles = {wxSB_NORMAL};
  for (const Indicator& indicator : kIndicators) {
    widths.push_back(statusBar->GetTextExtent(indicator.text).x + 2 * statusBar->GetCharWidth());
    styles.push_back(wxSB_SUNKEN);
  }
  statusBar->SetStatusWidths(static_cast<int>(widths.size()), widths.data());
  statusBar->SetStatusStyles(static_cast<int>(styles.size()), styles.data());
  statusBar->SetStatusText(wxString::FromUTF8(res::IDS_IDLE_MESSAGE), 0);
  UpdateKeyIndicators();
}

void CMainFrame::BuildAccelerators() {
  std::vector<wxAcceleratorEntry> entries;
  for (const res::Accelerator& a : res::kAccelerators) entries.emplace_back(a.flags, a.key, a.command);
  SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(entries.size()), entries.data()));
}

void CMainFrame::CreateClient(wxDocument* doc, CDendrixView& treeView) {
  splitter_ = new CStaticSplitter(this, res::AFX_IDW_PANE_FIRST);
  auto* controllerView = new CControllerView();
  controllerView->Create(doc, splitter_, kInitialControllerSize);
  treeView.CreatePane(splitter_, kInitialTreeSize, GetSceneWindows()->treeWindow);
  splitter_->SetPanes(controllerView->Canvas(), treeView.Canvas());
  splitter_->SetIdealWidth(kIdealControllerWidth);
  // The template's view is the active one: the keyboard starts there.
  treeView.Canvas()->SetFocus();
  GetSceneWindows()->timerWindow = this;
}

int AcceleratorCommand(int flags, int key) {
  for (const res::Accelerator& a : res::kAccelerators) {
    if (a.flags == flags && a.key == key) return a.command;
  }
  return 0;
}

void CMainFrame::OnCharHook(wxKeyEvent& event) {
  // wxGTK gives the keys F13 to F24 no key code, so its accelerator tables
  // never see them; their X key symbols (F13 = 0xFFCA up to F24 = 0xFFD5)
  // are looked up in the table here instead.
  constexpr unsigned kXKeyF13 = 0xFFCA, kXKeyF24 = 0xFFD5;
  const unsigned symbol = event.GetRawKeyCode();
  if (event.GetKeyCode() == 0 && symbol >= kXKeyF13 && symbol <= kXKeyF24) {
    const int flags = (event.ControlDown() ? wxACCEL_CTRL : 0) |
                      (event.ShiftDown() ? wxACCEL_SHIFT : 0) |
                      (event.AltDown() ? wxACCEL_ALT : 0);
    if (const int command = AcceleratorCommand(flags, WXK_F13 + static_cast<int>(symbol - kXKeyF13))) {
      // As an accelerator sends it.
      wxCommandEvent accelerated(wxEVT_MENU, command);
      accelerated.SetEventObject(this);
      ProcessWindowEvent(accelerated);
      return;
    }
  }
  event.Skip();
}

void CMainFrame::UpdateKeyIndicators() {
  wxStatusBar* statusBar = GetStatusBar();
  if (!statusBar) return;
  for (int i = 0; i < kIndicatorCount; ++i) {
    const wxString text = wxGetKeyState(kIndicators[i].key) ? kIndicators[i].text : "";
    if (statusBar->GetStatusText(1 + i) != text) statusBar->SetStatusText(text, 1 + i);
  }
}

void CMainFrame::StartTimer(int id, int periodMs) {
  if (id == timer_.GetId()) timer_.Start(periodMs);  // restarts a running timer
}

void CMainFrame::StopTimer(int id) {
  if (id == timer_.GetId()) timer_.Stop();
}

void CMainFrame::OnTimer(wxTimerEvent& event) {
  CGLWindow& tree = GetSceneWindows()->treeWindow;
  tree.RotateEye(CSceneWindows::kAutoRotateStep, 0.0);
  RepaintPane(tree);
  event.Skip();
}

void CMainFrame::OnIdle(wxIdleEvent& event) {
  UpdateKeyIndicators();
  event.Skip();
}

void CMainFrame::OnFileNew(wxCommandEvent&) {
  // Deliberately nothing: the document holds nothing that a new one could
  // replace.
}

void CMainFrame::OnFileSave(wxCommandEvent&) {
  // The framework's save of a document that is never modified: it writes
  // nothing, so no file is ever overwritten.
  if (wxDocument* doc = GetDocumentManager()->GetCurrentDocument()) doc->Save();
}

void CMainFrame::OnAppExit(wxCommandEvent&) { Close(); }

void CMainFrame::OnMovePane(wxCommandEvent& event) {
  if (!splitter_) return;
  wxWindow* const panes[] = {splitter_->LeftPane(), splitter_->RightPane()};
  constexpr int count = 2;
  int current = -1;
  for (int i = 0; i < count; ++i) {
    if (panes[i] == wxWindow::FindFocus()) current = i;
  }
  const bool next = event.GetId() == res::ID_NEXT_PANE;
  const int target = current < 0 ? (next ? 0 : count - 1)
                                 : (current + (next ? 1 : count - 1)) % count;
  if (panes[target]) panes[target]->SetFocus();
}

void CMainFrame::OnViewBar(wxCommandEvent& event) {
  wxWindow* bar = event.GetId() == res::ID_VIEW_TOOLBAR ? static_cast<wxWindow*>(GetToolBar())
                                                         : GetStatusBar();
  if (!bar) return;
  bar->Show(!bar->IsShown());
  SendSizeEvent();
}

void CMainFrame::OnUpdateViewBar(wxUpdateUIEvent& event) {
  const wxWindow* bar = event.GetId() == res::ID_VIEW_TOOLBAR
                            ? static_cast<const wxWindow*>(GetToolBar())
                            : GetStatusBar();
  // The bars themselves carry these ids; only menu items take a check mark.
  if (event.GetEventObject() == bar) return;
  event.Check(bar && bar->IsShown());
}

void RepaintPane(CGLWindow& pane) {
  if (pane.window) pane.window->RepaintNow();
}
