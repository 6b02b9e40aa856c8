#include <wx/process.h>
#include <wx/txtstrm.h>
#include <wx/utils.h>

#include <string>

#include "GuiHarness.h"
#include "app/DendrixApp.h"
#include "app/GLCanvas.h"
#include "gl/SceneWindows.h"

namespace {

using ShutdownTest = GuiTest;

TEST_F(ShutdownTest, ClosingTheFrameReleasesBothPanesBeforeTheExitHandler) {
  // The tree pane is used; the controller pane never sees the mouse.
  CGLCanvas& pane = TreeCanvas();
  MouseDown(pane, wxPoint(pane.GetClientSize().x / 2, pane.GetClientSize().y / 2));
  MouseUp();
  CloseFrame();
  CSceneWindows* windows = GetSceneWindows();
  EXPECT_EQ(windows->treeWindow.window, nullptr);
  EXPECT_EQ(windows->controllerWindow.window, nullptr);
  EXPECT_EQ(windows->timerWindow, nullptr);
  EXPECT_EQ(App().ExitInstance(), 0);
}

// The real program, started as a process of its own on the same display.
class ProgramRun : public wxProcess {
 public:
  explicit ProgramRun(const std::string& arguments) {
    Redirect();
    const std::string command = std::string(DENDRIX_EXECUTABLE) + " " + arguments;
    pid_ = wxExecute(wxString::FromUTF8(command), wxEXEC_ASYNC, this);
    EXPECT_GT(pid_, 0) << command;
  }
  ~ProgramRun() override {
    if (!exited_ && pid_ > 0) wxProcess::Kill(pid_, wxSIGKILL);
  }
  bool WaitForExit() {
    return WaitUntil([this] { return exited_; }, "the program to end");
  }
  int Status() const { return status_; }
  std::string ErrorOutput() {
    std::string text;
    if (wxInputStream* errors = GetErrorStream()) {
      wxTextInputStream lines(*errors);
      while (errors->CanRead() && !errors->Eof()) text += lines.ReadLine().utf8_string() + "\n";
    }
    return text;
  }

 private:
  void OnTerminate(int, int status) override {
    exited_ = true;
    status_ = status;
  }

  long pid_ = 0;
  bool exited_ = false;
  int status_ = -1;
};

TEST(ProgramTest, ChoosingExitEndsTheProcessCleanly) {
  ProgramRun program("--osc-port 0");
  wxRect window;
  ASSERT_TRUE(WaitUntil([&] { return !(window = ShownWindow("Untitled - Dendrix")).IsEmpty(); },
                        "the program's window"));
  wxUIActionSimulator simulator;
  simulator.MouseMove(window.GetPosition() + wxPoint(window.width / 2, window.height / 2));
  // File menu by its mnemonic, then its exit item by its own.
  const int shownBefore = ShownWindowCount();
  simulator.Char('f', wxMOD_ALT);
  ASSERT_TRUE(WaitUntil([&] { return ShownWindowCount() > shownBefore; }, "the File menu"));
  simulator.Char('x');
  ASSERT_TRUE(program.WaitForExit());
  EXPECT_EQ(program.Status(), 0);
  const std::string errors = program.ErrorOutput();
  EXPECT_EQ(errors.find("LeakSanitizer"), std::string::npos) << errors;
  EXPECT_EQ(errors.find("ERROR"), std::string::npos) << errors;
}

TEST(ProgramTest, AnUnopenableFileEndsTheStartUpWithAMessageAndStatus1) {
  ProgramRun program("--osc-port 0 /nonexistent/tree.txt");
  wxRect box;
  ASSERT_TRUE(WaitUntil([&] { return !(box = ShownWindow("Dendrix")).IsEmpty(); }, "the message"));
  wxUIActionSimulator simulator;
  simulator.MouseMove(box.GetPosition() + wxPoint(box.width / 2, box.height / 2));
  simulator.Char(WXK_RETURN);
  ASSERT_TRUE(program.WaitForExit());
  EXPECT_EQ(program.Status(), 1);
  EXPECT_NE(program.ErrorOutput().find("dendrix: Cannot open \"/nonexistent/tree.txt\""),
            std::string::npos);
}

}  // namespace
