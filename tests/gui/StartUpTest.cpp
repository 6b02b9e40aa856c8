#include <wx/display.h>
#include <wx/filehistory.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>

#include <string>
#include <vector>

#include "GuiHarness.h"
#include "Resources.h"
#include "app/DendrixApp.h"
#include "app/DendrixDoc.h"
#include "app/GLCanvas.h"
#include "app/MainFrame.h"
#include "app/StaticSplitter.h"
#include "gl/SceneWindows.h"
#include "tree/TreeRenderer.h"

namespace {

using StartUpTest = GuiTest;

TEST_F(StartUpTest, ShowsUntitledAndPaintsBothPanesBeforeTheMessageLoop) {
  // SetUp returned straight from the start-up: no event has been handled
  // since.
  EXPECT_EQ(Frame().GetTitle().utf8_string(), "Untitled - Dendrix");
  EXPECT_TRUE(Frame().IsShown());
  EXPECT_GE(ControllerCanvas().Surface().swapCount, 1);
  EXPECT_GE(TreeCanvas().Surface().swapCount, 1);
  EXPECT_EQ(GetSceneWindows()->timerWindow, &Frame());
}

TEST_F(StartUpTest, ControllerColumnKeepsItsIdealWidthAndTakesAllRoomWhenThereIsNoMore) {
  const wxRect area = wxDisplay(0u).GetClientArea();
  EXPECT_EQ(Frame().GetSize(), wxSize(area.width * 3 / 4, area.height * 3 / 4));

  CStaticSplitter& splitter = *Frame().Splitter();
  const int bar = splitter.BarWidth();
  const auto expectColumns = [&](int controllerWidth) {
    EXPECT_EQ(ControllerCanvas().GetSize().x, controllerWidth);
    EXPECT_EQ(TreeCanvas().GetPosition().x, controllerWidth + bar);
    EXPECT_EQ(TreeCanvas().GetSize().x, splitter.GetClientSize().x - controllerWidth - bar);
  };
  expectColumns(900);

  // Narrower than 900: the controller pane takes all; the tree pane is 0
  // wide and its camera and read-back buffers stay as they were.
  const int treeBufferWidth = TreeWindow().depthBuffer.width;
  ASSERT_GT(treeBufferWidth, 0);
  Frame().SetSize(wxSize(700, Frame().GetSize().y));
  ASSERT_TRUE(WaitUntil([&] { return splitter.GetClientSize().x == 700; }, "a 700 pixel frame"));
  expectColumns(700 - bar);
  EXPECT_EQ(TreeWindow().depthBuffer.width, treeBufferWidth);

  // Room again: 900 again.
  Frame().SetSize(wxSize(1300, Frame().GetSize().y));
  ASSERT_TRUE(WaitUntil([&] { return splitter.GetClientSize().x == 1300; }, "a 1300 pixel frame"));
  expectColumns(900);

  // Dragging the bar sets a new width, down to 0, and never removes a pane.
  const int barMiddle = 900 + bar / 2;
  MouseDown(splitter, wxPoint(barMiddle, 100));
  MouseMoveTo(splitter, wxPoint(barMiddle - 600, 100));
  MouseUp();
  expectColumns(300);
  EXPECT_EQ(TreeWindow().depthBuffer.width, 1300 - 300 - bar);
  MouseDown(splitter, wxPoint(300 + bar / 2, 100));
  MouseMoveTo(splitter, wxPoint(0, 100));
  MouseUp();
  expectColumns(0);
  EXPECT_TRUE(ControllerCanvas().IsShown());
}

struct ExpectedItem {
  int command;  // 0: separator
  const char* label;
};

struct ExpectedMenu {
  const char* title;
  std::vector<ExpectedItem> items;
};

TEST_F(StartUpTest, MenuBarIsMenu128) {
  // The items as wx shows them: mnemonic before the tab, the accelerator
  // alone after it.
  const std::vector<ExpectedMenu> expected = {
      {"RenderMode",
       {{res::ID_LIGHTING_ON, "Lighting on"},
        {res::ID_POLYGON_RENDERING, "Polygon Rendering"},
        {res::ID_TREE_RENDERING, "Tree rendering"},
        {0, ""},
        {res::ID_BRANCH_COLOR, "Branch Color"},
        {res::ID_LEAF_COLOR, "Leaf Color"}}},
      {"ファイル(&F)",
       {{res::ID_FILE_NEW, "新規作成(&N)\tCtrl+N"},
        {res::ID_FILE_OPEN, "開く...(&O)\tCtrl+O"},
        {0, ""},
        {0, ""},
        {0, ""},
        {res::ID_APP_EXIT, "アプリケーションの終了(&X)"}}},
      {"表示(&V)",
       {{res::ID_VIEW_TOOLBAR, "ツール バー(&T)"}, {res::ID_VIEW_STATUS_BAR, "ステータス バー(&S)"}}},
      {"ヘルプ(&H)", {{res::ID_APP_ABOUT, "バージョン情報 Dendrix(&A)..."}}},
  };
  wxMenuBar* menuBar = Frame().GetMenuBar();
  ASSERT_EQ(menuBar->GetMenuCount(), expected.size());
  for (std::size_t m = 0; m < expected.size(); ++m) {
    EXPECT_EQ(menuBar->GetMenuLabel(m).utf8_string(), expected[m].title);
    const wxMenuItemList& items = menuBar->GetMenu(m)->GetMenuItems();
    ASSERT_EQ(items.size(), expected[m].items.size()) << expected[m].title;
    std::size_t i = 0;
    for (const wxMenuItem* item : items) {
      const ExpectedItem& want = expected[m].items[i++];
      if (want.command == 0) {
        EXPECT_TRUE(item->IsSeparator()) << expected[m].title << " item " << i;
        continue;
      }
      EXPECT_EQ(item->GetId(), want.command);
      EXPECT_EQ(item->GetItemLabel().utf8_string(), want.label);
    }
  }
}

TEST_F(StartUpTest, MenuLabelsMoveTheMnemonicInFrontOfTheAccelerator) {
  const std::pair<const char*, const char*> cases[] = {
      {"新規作成\tCtrl+N(&N)", "新規作成(&N)\tCtrl+N"},
      {"開く...\tCtrl+O(&O)", "開く...(&O)\tCtrl+O"},
      {"Open\tCtrl+O", "Open\tCtrl+O"},
      {"ツール バー(&T)", "ツール バー(&T)"},
      {"Lighting on", "Lighting on"},
  };
  for (const auto& [resource, shown] : cases) {
    EXPECT_EQ(MenuLabel(resource).utf8_string(), shown) << resource;
  }
}

TEST_F(StartUpTest, ToolbarIsToolbar128AndTheStatusBarHasFourPanes) {
  struct ExpectedTool {
    int command;  // 0: separator
    bool pressable;
    const char* prompt;
  };
  const ExpectedTool expected[] = {
      {res::ID_TOGGLE_HANDLE_0, true, "bar"}, {res::ID_TOGGLE_HANDLE_1, true, ""},
      {res::ID_TOGGLE_HANDLE_2, true, ""},    {res::ID_TOGGLE_HANDLE_3, true, "bar"},
      {0, false, ""},                         {res::ID_TREE_RENDERING, true, ""},
      {res::ID_POLYGON_RENDERING, true, ""},  {0, false, ""},
      {res::ID_LEAF_COLOR, false, ""},        {res::ID_BRANCH_COLOR, false, ""},
  };
  wxToolBar* toolBar = Frame().GetToolBar();
  EXPECT_EQ(toolBar->GetToolBitmapSize(), wxSize(25, 25));
  ASSERT_EQ(toolBar->GetToolsCount(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const wxToolBarToolBase* tool = toolBar->GetToolByPos(static_cast<int>(i));
    if (expected[i].command == 0) {
      EXPECT_TRUE(tool->IsSeparator()) << "entry " << i;
      continue;
    }
    EXPECT_EQ(tool->GetId(), expected[i].command) << "entry " << i;
    EXPECT_EQ(tool->CanBeToggled(), expected[i].pressable) << "entry " << i;
    EXPECT_EQ(tool->GetLongHelp().utf8_string(), expected[i].prompt) << "entry " << i;
    EXPECT_EQ(tool->GetNormalBitmap().GetSize(), wxSize(25, 25));
  }
  // Lighting on has no button.
  EXPECT_EQ(toolBar->FindById(res::ID_LIGHTING_ON), nullptr);

  wxStatusBar* statusBar = Frame().GetStatusBar();
  ASSERT_EQ(statusBar->GetFieldsCount(), 4);
  EXPECT_EQ(statusBar->GetStatusText(0).utf8_string(), "レディ");
}

TEST_F(StartUpTest, StatusBarShowsPromptsAndFollowsTheKeyboardLocks) {
  wxStatusBar& statusBar = *Frame().GetStatusBar();
  const auto message = [&] { return statusBar.GetStatusText(0).utf8_string(); };
  wxToolBar& toolBar = *Frame().GetToolBar();

  PointAt(toolBar, ToolCentre(toolBar, res::ID_TOGGLE_HANDLE_0));
  EXPECT_TRUE(WaitUntil([&] { return message() == "bar"; }, "the prompt of #1"));
  PointAt(toolBar, ToolCentre(toolBar, res::ID_TREE_RENDERING));
  EXPECT_TRUE(WaitUntil([&] { return message().empty(); }, "no prompt for Tree"));
  MouseMoveTo(TreeCanvas(), wxPoint(10, 10));
  EXPECT_TRUE(WaitUntil([&] { return message() == "レディ"; }, "the idle message again"));

  ASSERT_EQ(statusBar.GetStatusText(1), "");
  PressKey(TreeCanvas(), WXK_CAPITAL);
  EXPECT_TRUE(WaitUntil([&] { return statusBar.GetStatusText(1) == "CAP"; }, "CAP shown"));
  PressKey(TreeCanvas(), WXK_CAPITAL);
  EXPECT_TRUE(WaitUntil([&] { return statusBar.GetStatusText(1).empty(); }, "CAP gone"));
  PressKey(TreeCanvas(), WXK_NUMLOCK);
  EXPECT_TRUE(WaitUntil([&] { return statusBar.GetStatusText(2) == "NUM"; }, "NUM shown"));
  PressKey(TreeCanvas(), WXK_NUMLOCK);
  EXPECT_TRUE(WaitUntil([&] { return statusBar.GetStatusText(2).empty(); }, "NUM gone"));
}

// Start-up with a file on the command line.
class StartWithFileTest : public GuiTest {
 protected:
  CommandLineOptions Options() const override {
    CommandLineOptions options;
    options.file = file_.Path();
    return options;
  }
  TempFile file_{"tree notes.txt", "anything at all\n"};
};

TEST_F(StartWithFileTest, ShowsTheFileNameAndTheSameInitialPanes) {
  EXPECT_EQ(Frame().GetTitle().utf8_string(), "tree notes.txt - Dendrix");
  const wxFileHistory* history = App().DocManager()->GetFileHistory();
  ASSERT_EQ(history->GetCount(), 1u);
  EXPECT_EQ(history->GetHistoryFile(0).utf8_string(), file_.Path());
  EXPECT_GE(TreeCanvas().Surface().swapCount, 1);
  EXPECT_TRUE(GetTreeRenderer()->strokePoints.empty());
  EXPECT_EQ(TreeWindow().eye.z, 2.41);
  EXPECT_EQ(file_.Contents(), "anything at all\n");
}

TEST(StartUpFailureTest, AFileThatCannotBeOpenedEndsTheStartUpWithAMessage) {
  CommandLineOptions options;
  options.file = "/nonexistent folder/tree.txt";
  bool reported = false;
  bool started = true;
  {
    ModalDriver answer([&] {
      const wxRect box = ShownWindow("Dendrix");
      if (box.IsEmpty()) return false;
      reported = true;
      wxUIActionSimulator simulator;
      simulator.MouseMove(box.GetPosition() + wxPoint(box.width / 2, box.height / 2));
      simulator.Char(WXK_RETURN);
      return true;
    });
    started = wxGetApp().StartUp(options);
  }
  EXPECT_FALSE(started);
  EXPECT_TRUE(reported);
  EXPECT_TRUE(wxTopLevelWindows.empty());
  EXPECT_EQ(wxGetApp().DocManager(), nullptr);
}

}  // namespace
