#pragma once

// The real desktop program inside the test process: each test starts it as
// the program does (CDendrixApp::StartUp), drives it with real input through
// the X server (wxUIActionSimulator) or with the events the framework itself
// would send where the simulator cannot reach (GTK menus), waits for
// conditions by pumping the event loop, and ends it with the program's own
// shutdown (main frame closed, then the exit handler).

#include <gtest/gtest.h>
#include <wx/image.h>
#include <wx/uiaction.h>
#include <wx/window.h>

#include <functional>
#include <memory>
#include <string>

#include "app/CommandLine.h"

class CDendrixApp;
class CGLCanvas;
class CGLWindow;
class CMainFrame;
class wxMenuItem;
class wxToolBar;

// Pumps the event loop until condition holds; false (with a test failure
// naming what) if it does not hold within a generous limit. The limit only
// catches hangs: nothing waits for time to pass.
bool WaitUntil(const std::function<bool()>& condition, const std::string& what);

// Makes the X server handle everything sent so far and the program handle
// every event that resulted.
void Settle();

// Runs step on every tick of a short timer, inside whatever modal loop the
// program runs meanwhile, until step returns true. Construct it, then call
// what shows the modal window; step drives that window.
class ModalDriver {
 public:
  explicit ModalDriver(std::function<bool()> step);
  ~ModalDriver();
  ModalDriver(const ModalDriver&) = delete;
  ModalDriver& operator=(const ModalDriver&) = delete;
  bool Done() const { return done_; }

 private:
  class Ticker;
  std::unique_ptr<Ticker> ticker_;
  bool done_ = false;
};

// A top-level window of the X server that is on the screen and has title
// (as a window manager shows it); its frame on the screen, or an empty
// rectangle when there is none.
wxRect ShownWindow(const std::string& title);
// What the screen shows now in the client area of window, or in rect.
wxImage ScreenImage(wxWindow& window);
wxImage ScreenImage(const wxRect& rect);

// How many top-level windows of the X server are on the screen (menus
// popping up add one).
int ShownWindowCount();

// Gives the X server's keyboard a key that produces keysym, on a key code no
// key uses, when none produces it yet (Xvfb's keyboard has no F13 to F24).
// Before the framework starts: it reads the keyboard once.
bool GiveKeyboardKey(unsigned long keysym);

// A file of its own folder under the system's temporary folder, removed
// with the object.
class TempFile {
 public:
  TempFile(const std::string& name, const std::string& contents);
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& Path() const { return path_; }
  std::string Contents() const;

 private:
  std::string folder_;
  std::string path_;
};

class GuiTest : public ::testing::Test {
 protected:
  GuiTest();
  ~GuiTest() override;
  // Starts the program with Options().
  void SetUp() override;
  // Closes the main frame if it is still open and runs the exit handler.
  void TearDown() override;
  virtual CommandLineOptions Options() const { return CommandLineOptions(); }

  CDendrixApp& App() const;
  CMainFrame& Frame() const;
  CGLCanvas& ControllerCanvas() const;
  CGLCanvas& TreeCanvas() const;
  CGLWindow& TreeWindow() const;

  // Closes the main frame as File > Exit does and waits until it is gone.
  void CloseFrame();
  bool FrameOpen() const;

  // A command as the framework sends it when a menu item is chosen.
  void ChooseMenuItem(int command);
  // The menu item of command, after the update handlers ran as they do
  // when its menu opens.
  wxMenuItem* UpdatedMenuItem(int command);
  // Whether the toolbar button of command is pressed in, after the update
  // handlers ran as they do at idle time.
  bool ToolPressed(int command);
  // Clicks the toolbar button of command with the mouse.
  void ClickTool(int command);
  // Where the button of command shows its picture on the toolbar, in the
  // toolbar's client pixels; wxDefaultPosition when it is not shown.
  static wxPoint ToolCentre(wxToolBar& toolBar, int command);

  // Screen position of a client point of window.
  static wxPoint OnScreen(wxWindow& window, const wxPoint& client);
  // Mouse actions at client points of a window of the program that takes
  // mouse messages (a pane, the splitter); each waits until the program has
  // handled it.
  void MouseMoveTo(wxWindow& window, const wxPoint& client);
  void MouseDown(wxWindow& window, const wxPoint& client, int button = wxMOUSE_BTN_LEFT);
  void MouseUp(int button = wxMOUSE_BTN_LEFT);
  // Moves the mouse without waiting for a message (over a toolbar button).
  void PointAt(wxWindow& window, const wxPoint& client);
  // A key pressed and released with the mouse over window (so that its
  // frame has the keyboard); waits until the program has handled it.
  void PressKey(wxWindow& window, int key, int modifiers = wxMOD_NONE);


  wxUIActionSimulator simulator;

 private:
  class InputRecorder;
  std::unique_ptr<InputRecorder> input_;
};
