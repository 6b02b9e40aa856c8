// The RenderMode menu's and the toolbar's commands of the main frame and
// their update handlers.

#include <wx/colordlg.h>
#include <wx/colourdata.h>

#include "Resources.h"
#include "app/MainFrame.h"
#include "controller/ControllerInput.h"
#include "gl/SceneWindows.h"
#include "model/BranchModel.h"
#include "tree/TreeRenderer.h"

namespace {

constexpr double kPolygonTrunkWidth = 0.04;
constexpr double kTreeTrunkWidth = 0.06;
constexpr float k300 = 0.0033333334f;  // 1/300: the bark's ambient is at most 0.85
constexpr float k255 = 0.003921569f;   // 1/255

// The colour-choice dialog's settings shared by the two colour commands.
// Every run starts from black: the dialog never preselects the colour chosen
// last time.
wxColourData g_colourChoice;

void SetColour(float (&colour)[4], unsigned char red, unsigned char green, unsigned char blue,
               float scale) {
  colour[0] = red * scale;
  colour[1] = green * scale;
  colour[2] = blue * scale;
  colour[3] = 1.0f;
}

// A change of the rule shows in both panes: the controller first.
void RepaintAfterRuleChange() {
  ControllerRuleChanged();
  RepaintPane(GetSceneWindows()->treeWindow);
}

}  // namespace

void SetBarkColour(unsigned char red, unsigned char green, unsigned char blue) {
  SetColour(CTreeRenderer::barkAmbient, red, green, blue, k300);
  SetColour(CTreeRenderer::barkDiffuse, red, green, blue, k255);
}

void SetLeafColour(unsigned char red, unsigned char green, unsigned char blue) {
  SetColour(CTreeRenderer::leafAmbient, red, green, blue, k255);
  SetColour(CTreeRenderer::leafDiffuse, red, green, blue, k255);
}

void CMainFrame::OnLightingOn(wxCommandEvent&) {
  CTreeRenderer* renderer = GetTreeRenderer();
  // Shows at the tree pane's next repaint.
  renderer->lighting = !renderer->lighting;
}

void CMainFrame::OnUpdateLightingOn(wxUpdateUIEvent& event) {
  event.Enable(true);
  event.Check(GetTreeRenderer()->lighting);
}

void CMainFrame::OnPolygonRendering(wxCommandEvent&) {
  CTreeRenderer* renderer = GetTreeRenderer();
  if (!renderer->polygonMode) {
    renderer->polygonMode = true;
    GetBranchModel()->trunkWidth = kPolygonTrunkWidth;
  }
  RepaintAfterRuleChange();
}

void CMainFrame::OnUpdatePolygonRendering(wxUpdateUIEvent& event) {
  event.Enable(true);
  event.Check(GetTreeRenderer()->polygonMode);
}

void CMainFrame::OnTreeRendering(wxCommandEvent&) {
  CTreeRenderer* renderer = GetTreeRenderer();
  if (renderer->polygonMode) {
    renderer->polygonMode = false;
    GetBranchModel()->trunkWidth = kTreeTrunkWidth;
  }
  RepaintAfterRuleChange();
}

void CMainFrame::OnUpdateTreeRendering(wxUpdateUIEvent& event) {
  event.Enable(true);
  event.Check(!GetTreeRenderer()->polygonMode);
}

void CMainFrame::OnToggleHandle(wxCommandEvent& event) {
  HandleRecord& handle = GetBranchModel()->Handle(res::HandleOfToggle(event.GetId()));
  handle.active = !handle.active;
  RepaintAfterRuleChange();
}

void CMainFrame::OnUpdateToggleHandle(wxUpdateUIEvent& event) {
  event.Enable(true);
  event.Check(GetBranchModel()->Handle(res::HandleOfToggle(event.GetId())).active);
}

bool CMainFrame::ChooseColour(unsigned char& red, unsigned char& green, unsigned char& blue) {
  g_colourChoice.SetColour(*wxBLACK);
  wxColourDialog dialog(this, &g_colourChoice);
  if (dialog.ShowModal() != wxID_OK) return false;
  g_colourChoice = dialog.GetColourData();  // keeps the user's custom colours
  const wxColour chosen = g_colourChoice.GetColour();
  red = chosen.Red();
  green = chosen.Green();
  blue = chosen.Blue();
  return true;
}

void CMainFrame::OnBranchColor(wxCommandEvent&) {
  unsigned char red, green, blue;
  if (!ChooseColour(red, green, blue)) return;
  SetBarkColour(red, green, blue);
  RepaintPane(GetSceneWindows()->treeWindow);
}

void CMainFrame::OnLeafColor(wxCommandEvent&) {
  unsigned char red, green, blue;
  if (!ChooseColour(red, green, blue)) return;
  SetLeafColour(red, green, blue);
  RepaintPane(GetSceneWindows()->treeWindow);
}

void CMainFrame::OnUpdateColor(wxUpdateUIEvent& event) { event.Enable(true); }
