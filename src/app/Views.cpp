#include "app/Views.h"

#include <wx/app.h>

#include "app/DendrixDoc.h"
#include "app/GLCanvas.h"
#include "app/MainFrame.h"
#include "controller/ControllerInput.h"
#include "controller/ControllerScene.h"
#include "gl/SceneWindows.h"
#include "tree/TreeRenderer.h"
#include "tree/ViewerInput.h"

namespace {

// Hands one mouse message of a pane to the pane's input object.
template <typename Input>
void ForwardMouse(Input& input, const ClientPoint& point, wxEventType type) {
  if (type == wxEVT_LEFT_DOWN) {
    input.LeftButtonDown(point);
  } else if (type == wxEVT_LEFT_UP) {
    input.LeftButtonUp(point);
  } else if (type == wxEVT_RIGHT_DOWN) {
    input.RightButtonDown(point);
  } else if (type == wxEVT_RIGHT_UP) {
    input.RightButtonUp(point);
  } else if (type == wxEVT_MIDDLE_DOWN) {
    input.MiddleButtonDown(point);
  } else if (type == wxEVT_MIDDLE_UP) {
    input.MiddleButtonUp(point);
  } else if (type == wxEVT_LEFT_DCLICK || type == wxEVT_RIGHT_DCLICK ||
             type == wxEVT_MIDDLE_DCLICK) {
    input.DoubleClick(point);
  } else if (type == wxEVT_MOTION) {
    input.MouseMove(point);
  }
}

ClientPoint PointOf(const CGLCanvas& canvas, const wxMouseEvent& event) {
  const wxPoint pixel = canvas.PixelPosition(event);
  return ClientPoint{pixel.x, pixel.y};
}

}  // namespace

// ---- CPaneView ----

void CPaneView::CreatePane(wxWindow* parent, const wxSize& size, CGLWindow& paneWindow) {
  paneWindow_ = &paneWindow;
  canvas_ = new CGLCanvas(parent, *this, size);
  // A parent already on screen gives the canvas its native window at once.
  if (canvas_->GetXWindow() != 0) BindPane();
}

CPaneView::~CPaneView() {
  if (!canvas_) return;
  canvas_->DetachView();
  canvas_->Surface().ReleaseMouse();
  if (IsBound()) paneWindow_->Destroy();
  // The canvas may be handling the message that closes the frame; it goes
  // when that is done.
  canvas_->Hide();
  wxTheApp->ScheduleForDestruction(canvas_);
}

bool CPaneView::IsBound() const {
  return canvas_ && paneWindow_->window == &canvas_->Surface();
}

void CPaneView::BindPane() {
  if (!canvas_ || IsBound()) return;
  paneWindow_->Create(&canvas_->Surface());  // a pane that cannot draw stays blank
  PaneResized();
}

void CPaneView::PaneResized() {
  if (!IsBound()) return;
  int width = 0, height = 0;
  canvas_->Surface().GetClientSize(width, height);
  paneWindow_->Resize(width, height);
  AfterResize();
}

// ---- CControllerView ----

wxIMPLEMENT_DYNAMIC_CLASS(CControllerView, wxView);

bool CControllerView::Create(wxDocument* doc, wxWindow* parent, const wxSize& size) {
  SetDocument(doc);
  if (!OnCreate(doc, 0)) return false;
  CreatePane(parent, size, GetSceneWindows()->controllerWindow);
  return true;
}

void CControllerView::AfterResize() { ControllerPaneResized(); }

void CControllerView::PaintPane() {
  if (PaneWindow() && PaneWindow()->window) PaintControllerPane();
}

void CControllerView::PaneMouse(const wxMouseEvent& event) {
  ForwardMouse(*GetControllerInput(), PointOf(*Canvas(), event), event.GetEventType());
}

// ---- CDendrixView ----

wxIMPLEMENT_DYNAMIC_CLASS(CDendrixView, wxView);

bool CDendrixView::OnCreate(wxDocument* doc, long flags) {
  if (!CPaneView::OnCreate(doc, flags)) return false;
  auto* frame = new CMainFrame(doc->GetDocumentManager());
  SetFrame(frame);
  frame->CreateClient(doc, *this);
  Activate(true);
  return true;
}

void CDendrixView::OnChangeFilename() {
  wxWindow* frame = GetFrame();
  wxDocument* doc = GetDocument();
  if (frame && doc) frame->SetLabel(doc->GetUserReadableName() + " - " + WindowTitle());
}

void CDendrixView::PaintPane() {
  CGLWindow* window = PaneWindow();
  if (!GetDocument() || !window || !window->window) return;
  window->MakeCurrent();
  window->BeginScene();
  GetTreeRenderer()->Draw();
  window->EndScene();
}

void CDendrixView::PaneMouse(const wxMouseEvent& event) {
  ForwardMouse(*GetViewerInput(), PointOf(*Canvas(), event), event.GetEventType());
}
