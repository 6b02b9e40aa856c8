// Runs the GUI tests inside the event loop of the real application object,
// on the display run-on-xvfb.sh provides.

#include <gtest/gtest.h>
#include <wx/image.h>
#include <wx/timer.h>
#include <wx/window.h>

#include "GuiHarness.h"
#include "app/DendrixApp.h"

#include <X11/keysym.h>  // last: X11 macros

#include <cstdio>

namespace {

int g_testResult = 1;

// The program's application object, less its own start-up and exit: each
// test starts and ends the program itself.
class CGuiTestApp : public CDendrixApp {
 public:
  bool OnInit() override {
    // The tests close and reopen the main frame; the loop ends when they
    // are done.
    SetExitOnFrameDelete(false);
    wxSetAssertHandler([](const wxString& file, int line, const wxString& function,
                          const wxString& condition, const wxString& message) {
      ADD_FAILURE_AT(file.utf8_str(), line)
          << "wxWidgets assertion in " << function << ": " << condition << " " << message;
    });
    wxImage::AddHandler(new wxPNGHandler());
    // From a timer tick, so that the tests run inside the running loop. The
    // program's own timer events also end up here; only the runner's count.
    Bind(
        wxEVT_TIMER,
        [this](wxTimerEvent&) {
          g_testResult = RUN_ALL_TESTS();
          ExitMainLoop();
        },
        runner_.GetId());
    runner_.StartOnce(1);
    return true;
  }
  int OnExit() override { return wxApp::OnExit(); }

 private:
  wxTimer runner_{this, wxWindow::NewControlId()};
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(CDendrixApp);

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  // The program's key F20 (bound to #1) exists on few keyboards, and not on
  // the test display's.
  if (!GiveKeyboardKey(XK_F20)) {
    std::fprintf(stderr, "test_gui: the display's keyboard cannot be given an F20 key\n");
    return 1;
  }
  wxApp::SetInstance(new CGuiTestApp());
  int frameworkArgc = 1;
  char* frameworkArgv[] = {argv[0], nullptr};
  if (wxEntry(frameworkArgc, frameworkArgv) != 0) return 1;
  return g_testResult;
}
