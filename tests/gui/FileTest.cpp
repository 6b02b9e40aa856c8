#include <wx/fileconf.h>
#include <wx/filehistory.h>

#include <string>

#include "GuiHarness.h"
#include "Resources.h"
#include "app/DendrixApp.h"
#include "app/DendrixDoc.h"
#include "app/GLCanvas.h"
#include "app/MainFrame.h"
#include "gl/SceneWindows.h"
#include "model/BranchModel.h"
#include "tree/TreeRenderer.h"

namespace {

class FileTest : public GuiTest {
 protected:
  // Plants a stroke and turns the camera, so that there is state to keep.
  void MakeState() {
    CGLCanvas& pane = TreeCanvas();
    const wxPoint press(pane.GetClientSize().x / 2, pane.GetClientSize().y * 3 / 4);
    MouseDown(pane, press);
    for (int i = 1; i <= 5; ++i) MouseMoveTo(pane, press - wxPoint(0, 30 * i));
    MouseUp();
    ASSERT_TRUE(WaitUntil([&] { return TreeWindow().eye.x != 0.0; }, "the eye to turn"));
    Frame().StopTimer(CSceneWindows::kAutoRotateTimerId);
    GetBranchModel()->Handle(1).lengthRatio = 0.7;
  }

  struct State {
    std::size_t strokePoints;
    Vec3 eye;
    double lengthRatio;
    bool handle0;
  };
  static State Now() {
    return {GetTreeRenderer()->strokePoints.size(), GetSceneWindows()->treeWindow.eye,
            GetBranchModel()->Handle(1).lengthRatio, GetBranchModel()->Handle(0).active};
  }
  static void ExpectSame(const State& a, const State& b) {
    EXPECT_EQ(a.strokePoints, b.strokePoints);
    EXPECT_EQ(a.eye.x, b.eye.x);
    EXPECT_EQ(a.eye.z, b.eye.z);
    EXPECT_EQ(a.lengthRatio, b.lengthRatio);
    EXPECT_EQ(a.handle0, b.handle0);
  }

  std::vector<std::string> History() const {
    std::vector<std::string> files;
    const wxFileHistory* history = App().DocManager()->GetFileHistory();
    for (std::size_t i = 0; i < history->GetCount(); ++i) {
      files.push_back(history->GetHistoryFile(i).utf8_string());
    }
    return files;
  }
};

// Whether the dialog in rect has been drawn: dialogs are light, the main
// window under them is dark.
bool DrawnLight(const wxRect& rect) {
  const wxImage image = ScreenImage(rect);
  long light = 0;
  for (int y = 0; y < image.GetHeight(); y += 4) {
    for (int x = 0; x < image.GetWidth(); x += 4) {
      if (image.GetRed(x, y) > 200 && image.GetGreen(x, y) > 200) ++light;
    }
  }
  return light * 16 * 2 > static_cast<long>(image.GetWidth()) * image.GetHeight();
}

// Answers the open dialog by typing path into its location entry.
ModalDriver TypeIntoOpenDialog(wxUIActionSimulator& simulator, const std::string& path) {
  return ModalDriver([&simulator, path] {
    const wxRect dialog = ShownWindow(res::kOpenDialogTitle);
    if (dialog.IsEmpty() || !DrawnLight(dialog)) return false;
    simulator.MouseMove(dialog.GetPosition() + wxPoint(dialog.width / 2, dialog.height / 2));
    simulator.Char('l', wxMOD_CONTROL);
    simulator.Text(path.c_str());
    simulator.Char(WXK_RETURN);
    return true;
  });
}

TEST_F(FileTest, OpenChangesOnlyTheTitleAndTheRecentFileList) {
  MakeState();
  const State before = Now();
  TempFile file("leaf.dat", "not read\n");
  {
    ModalDriver open = TypeIntoOpenDialog(simulator, file.Path());
    ChooseMenuItem(res::ID_FILE_OPEN);
  }
  EXPECT_EQ(Frame().GetTitle().utf8_string(), "leaf.dat - Dendrix");
  EXPECT_EQ(History(), std::vector<std::string>{file.Path()});
  ExpectSame(Now(), before);
  EXPECT_EQ(file.Contents(), "not read\n");
}

TEST_F(FileTest, AFileThatCannotBeOpenedIsReportedAndChangesNothing) {
  bool reported = false;
  {
    ModalDriver answer([&] {
      const wxRect box = ShownWindow("Dendrix");
      if (box.IsEmpty()) return false;
      reported = true;
      simulator.MouseMove(box.GetPosition() + wxPoint(box.width / 2, box.height / 2));
      simulator.Char(WXK_RETURN);
      return true;
    });
    EXPECT_FALSE(App().OpenDocumentFile("/nonexistent folder/tree.txt"));
  }
  EXPECT_TRUE(reported);
  EXPECT_EQ(Frame().GetTitle().utf8_string(), "Untitled - Dendrix");
  EXPECT_TRUE(History().empty());
}

TEST_F(FileTest, TheRecentFileListKeepsFourAndIsSavedAtExit) {
  std::vector<std::unique_ptr<TempFile>> files;
  for (int i = 0; i < 5; ++i) {
    files.push_back(std::make_unique<TempFile>("f" + std::to_string(i), ""));
    ASSERT_TRUE(App().OpenDocumentFile(files.back()->Path()));
  }
  const std::vector<std::string> newestFirst = {files[4]->Path(), files[3]->Path(),
                                                files[2]->Path(), files[1]->Path()};
  EXPECT_EQ(History(), newestFirst);

  CloseFrame();
  App().ExitInstance();
  // The settings live under the settings key and the application name.
  wxFileConfig settings("Dendrix", wxEmptyString, SettingsFilePath(), wxEmptyString,
                        wxCONFIG_USE_LOCAL_FILE);
  EXPECT_TRUE(SettingsFilePath().Contains(wxString::FromUTF8(res::kSettingsKey)));
  EXPECT_EQ(settings.Read("/RecentFiles/file1").utf8_string(), newestFirst[0]);
  EXPECT_EQ(settings.Read("/RecentFiles/file4").utf8_string(), newestFirst[3]);

  // The next start-up reads them back.
  ASSERT_TRUE(App().StartUp(Options()));
  EXPECT_EQ(History(), newestFirst);
}

TEST_F(FileTest, ShortcutsWithoutAnEffectChangeNothingAndSaveNeverWritesTheOpenedFile) {
  TempFile file("keep.txt", "precious contents\n");
  ASSERT_TRUE(App().OpenDocumentFile(file.Path()));
  MakeState();
  const State before = Now();
  const std::pair<int, int> keys[] = {
      {'s', wxMOD_CONTROL},      {'n', wxMOD_CONTROL},        {'c', wxMOD_CONTROL},
      {'x', wxMOD_CONTROL},      {'v', wxMOD_CONTROL},        {'z', wxMOD_CONTROL},
      {'p', wxMOD_CONTROL},      {WXK_INSERT, wxMOD_CONTROL}, {WXK_INSERT, wxMOD_SHIFT},
      {WXK_DELETE, wxMOD_SHIFT}, {WXK_BACK, wxMOD_ALT},
  };
  for (const auto& [key, modifiers] : keys) PressKey(TreeCanvas(), key, modifiers);
  // F20 after them all: once it has taken effect, they have been handled.
  PressKey(TreeCanvas(), WXK_F20);
  State expected = before;
  expected.handle0 = !before.handle0;
  ExpectSame(Now(), expected);
  EXPECT_EQ(Frame().GetTitle().utf8_string(), "keep.txt - Dendrix");
  EXPECT_EQ(file.Contents(), "precious contents\n");
  EXPECT_EQ(wxTopLevelWindows.size(), 1u) << "a shortcut opened a window";
}

}  // namespace
