// The desktop program: reads its command line, then runs the application.

#include <wx/app.h>
#include <wx/log.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/DendrixApp.h"

wxIMPLEMENT_APP_NO_MAIN(CDendrixApp);

int main(int argc, char** argv) {
  // Read before the window system starts, so that --help and mistakes are
  // answered without a display.
  const ParsedCommandLine parsed = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (parsed.action == ParsedCommandLine::kHelp) {
    std::cout << UsageText();
    return EXIT_SUCCESS;
  }
  if (parsed.action == ParsedCommandLine::kError) {
    std::cerr << "dendrix: " << parsed.error << "\nTry 'dendrix --help' for more information.\n";
    return 2;
  }

  // The panes' OpenGL canvases need X11 (GLX); under Wayland the program
  // runs through XWayland.
  setenv("GDK_BACKEND", "x11", 0);

  // Until the window system is up, the framework's own messages (such as
  // "cannot open display") can only go to standard error.
  delete wxLog::SetActiveTarget(new wxLogStderr());

  auto* app = new CDendrixApp();
  app->SetOptions(parsed.options);
  wxApp::SetInstance(app);
  // Only the program's name reaches the framework: the arguments are read.
  int frameworkArgc = 1;
  char* frameworkArgv[] = {argv[0], nullptr};
  // -1: the window system or the start-up failed, and said why.
  const int status = wxEntry(frameworkArgc, frameworkArgv);
  return status == -1 ? EXIT_FAILURE : status;
}
