#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/menu.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>

#include <string>
#include <vector>

#include "GuiHarness.h"
#include "Resources.h"
#include "app/GLCanvas.h"
#include "app/MainFrame.h"
#include "tree/TreeRenderer.h"

namespace {

using FrameTest = GuiTest;

TEST_F(FrameTest, F6AndShiftF6MoveTheKeyboardBetweenThePanes) {
  // The tree pane's view is the active one after start-up.
  Settle();
  ASSERT_EQ(wxWindow::FindFocus(), &TreeCanvas());
  PressKey(TreeCanvas(), WXK_F6);
  EXPECT_EQ(wxWindow::FindFocus(), &ControllerCanvas());
  PressKey(TreeCanvas(), WXK_F6);
  EXPECT_EQ(wxWindow::FindFocus(), &TreeCanvas());
  PressKey(TreeCanvas(), WXK_F6, wxMOD_SHIFT);
  EXPECT_EQ(wxWindow::FindFocus(), &ControllerCanvas());
}

TEST_F(FrameTest, ViewMenuHidesAndShowsTheBars) {
  const int treeHeight = TreeCanvas().GetSize().y;
  for (int command : {res::ID_VIEW_TOOLBAR, res::ID_VIEW_STATUS_BAR}) {
    EXPECT_TRUE(UpdatedMenuItem(command)->IsChecked());
    ChooseMenuItem(command);
  }
  EXPECT_FALSE(Frame().GetToolBar()->IsShown());
  EXPECT_FALSE(Frame().GetStatusBar()->IsShown());
  EXPECT_FALSE(UpdatedMenuItem(res::ID_VIEW_TOOLBAR)->IsChecked());
  EXPECT_FALSE(UpdatedMenuItem(res::ID_VIEW_STATUS_BAR)->IsChecked());
  // The panes take the room the bars leave.
  EXPECT_TRUE(WaitUntil([&] { return TreeCanvas().GetSize().y > treeHeight; }, "taller panes"));

  for (int command : {res::ID_VIEW_TOOLBAR, res::ID_VIEW_STATUS_BAR}) ChooseMenuItem(command);
  EXPECT_TRUE(Frame().GetToolBar()->IsShown());
  EXPECT_TRUE(Frame().GetStatusBar()->IsShown());
  EXPECT_TRUE(UpdatedMenuItem(res::ID_VIEW_TOOLBAR)->IsChecked());
  EXPECT_TRUE(WaitUntil([&] { return TreeCanvas().GetSize().y == treeHeight; }, "the old height"));
}

TEST_F(FrameTest, FileNewDoesNothing) {
  const int treePaints = TreeCanvas().Surface().swapCount;
  ChooseMenuItem(res::ID_FILE_NEW);
  Settle();
  EXPECT_EQ(Frame().GetTitle().utf8_string(), "Untitled - Dendrix");
  EXPECT_EQ(wxTopLevelWindows.size(), 1u);
  EXPECT_EQ(TreeCanvas().Surface().swapCount, treePaints);
}

TEST_F(FrameTest, AboutBoxIsDialog100AndOkClosesIt) {
  std::string caption;
  std::vector<std::string> texts;
  wxSize clientSize, okSize;
  bool hasIcon = false;
  {
    bool clicked = false;
    ModalDriver driver([&] {
      wxDialog* about = nullptr;
      for (wxWindow* window : wxTopLevelWindows) {
        if (auto* dialog = dynamic_cast<wxDialog*>(window); dialog && dialog->IsModal()) about = dialog;
      }
      if (!about || ShownWindow(about->GetTitle().utf8_string()).IsEmpty()) return false;
      if (!clicked) {
        caption = about->GetTitle().utf8_string();
        clientSize = about->GetClientSize();
        for (wxWindow* child : about->GetChildren()) {
          if (auto* text = dynamic_cast<wxStaticText*>(child)) {
            texts.push_back(text->GetLabel().utf8_string());
          }
          if (dynamic_cast<wxStaticBitmap*>(child)) hasIcon = true;
        }
        auto* ok = dynamic_cast<wxButton*>(about->FindWindow(wxID_OK));
        if (!ok) return false;
        okSize = ok->GetSize();
        // A real click on OK.
        simulator.MouseMove(ok->GetScreenRect().GetPosition() + okSize / 2);
        simulator.MouseClick();
        clicked = true;
      }
      return true;
    });
    ChooseMenuItem(res::ID_APP_ABOUT);
  }
  EXPECT_EQ(caption, "バージョン情報 Dendrix");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "Dendrix Version 1.0");
  EXPECT_FALSE(texts[1].empty());
  EXPECT_TRUE(hasIcon);
  // 235 x 55 and 50 x 16 dialog units: the box is wider than tall, the
  // button a fifth of its width.
  EXPECT_GT(clientSize.x, 3 * clientSize.y);
  EXPECT_NEAR(okSize.x * 235.0 / clientSize.x, 50.0, 1.0);
  EXPECT_EQ(wxTopLevelWindows.size(), 1u);
}

}  // namespace
