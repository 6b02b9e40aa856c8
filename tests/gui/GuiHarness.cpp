#include "GuiHarness.h"

#include <wx/evtloop.h>
#include <wx/menu.h>
#include <wx/toolbar.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Resources.h"
#include "app/DendrixApp.h"
#include "app/GLCanvas.h"
#include "app/MainFrame.h"
#include "app/StaticSplitter.h"
#include "gl/SceneWindows.h"

#include <X11/Xlib.h>  // last: its macros clash with other headers
#include <X11/Xutil.h>

namespace {

constexpr auto kHangLimit = std::chrono::seconds(30);

// One turn of the event loop, as the running program takes it (never a
// yield: what a handler does must not depend on the test's waiting).
// Returns after one event, or after a short while without any.
void PumpOnce() {
  wxEventLoopBase* loop = wxEventLoopBase::GetActive();
  ASSERT_NE(loop, nullptr) << "the tests run inside the application's event loop";
  loop->DispatchTimeout(10);
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, const std::string& what) {
  const auto deadline = std::chrono::steady_clock::now() + kHangLimit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) {
      ADD_FAILURE() << "gave up waiting for: " << what;
      return false;
    }
    PumpOnce();
  }
  return true;
}

void Settle() {
  XSync(wxGetX11Display(), False);
  wxEventLoopBase* loop = wxEventLoopBase::GetActive();
  while (loop->Pending()) loop->Dispatch();
}

class ModalDriver::Ticker : public wxTimer {
 public:
  Ticker(ModalDriver& driver, std::function<bool()> step)
      : driver_(driver), step_(std::move(step)) {}
  void Notify() override {
    if (driver_.done_) return;
    if (step_()) {
      driver_.done_ = true;
      Stop();
    } else if (std::chrono::steady_clock::now() > deadline_) {
      // The modal window cannot be left from here: end the test run.
      ADD_FAILURE() << "gave up driving a modal window";
      std::_Exit(EXIT_FAILURE);
    }
  }

 private:
  ModalDriver& driver_;
  std::function<bool()> step_;
  const std::chrono::steady_clock::time_point deadline_ =
      std::chrono::steady_clock::now() + kHangLimit;
};

ModalDriver::ModalDriver(std::function<bool()> step)
    : ticker_(std::make_unique<Ticker>(*this, std::move(step))) {
  // Seldom enough that the window system can draw between the steps.
  ticker_->Start(25);
}

ModalDriver::~ModalDriver() {
  ticker_->Stop();
  EXPECT_TRUE(done_) << "the modal window was never driven to its end";
}

namespace {

std::string WindowTitle(Display* display, Window window) {
  const Atom name = XInternAtom(display, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(display, window, name, 0, 1024, False, utf8, &type, &format, &count,
                         &remaining, &data) == Success &&
      data) {
    title.assign(reinterpret_cast<char*>(data), count);
  }
  if (data) XFree(data);
  return title;
}

// Calls visit with each top-level window on the screen and its frame, until
// visit returns true.
void ForEachShownWindow(const std::function<bool(Display*, Window, const wxRect&)>& visit) {
  Display* display = wxGetX11Display();
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return;
  for (unsigned int i = 0; i < count; ++i) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, children[i], &attributes) ||
        attributes.map_state != IsViewable) {
      continue;
    }
    if (visit(display, children[i],
              wxRect(attributes.x, attributes.y, attributes.width, attributes.height))) {
      break;
    }
  }
  if (children) XFree(children);
}

}  // namespace

wxRect ShownWindow(const std::string& title) {
  wxRect found;
  ForEachShownWindow([&](Display* display, Window window, const wxRect& frame) {
    if (WindowTitle(display, window) != title) return false;
    found = frame;
    return true;
  });
  return found;
}

int ShownWindowCount() {
  int count = 0;
  ForEachShownWindow([&](Display*, Window, const wxRect&) {
    ++count;
    return false;
  });
  return count;
}

bool GiveKeyboardKey(unsigned long keysym) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  bool given = XKeysymToKeycode(display, keysym) != 0;
  int first = 0, last = 0;
  XDisplayKeycodes(display, &first, &last);
  int perKeycode = 0;
  KeySym* map = XGetKeyboardMapping(display, first, last - first + 1, &perKeycode);
  for (int code = last; code >= first && !given; --code) {
    bool unused = true;
    for (int i = 0; i < perKeycode; ++i) {
      unused = unused && map[(code - first) * perKeycode + i] == NoSymbol;
    }
    if (!unused) continue;
    KeySym sym = keysym;
    XChangeKeyboardMapping(display, code, 1, &sym, 1);
    given = true;
  }
  XFree(map);
  XCloseDisplay(display);  // waits until the server has done it
  return given;
}

TempFile::TempFile(const std::string& name, const std::string& contents) {
  std::string pattern = (std::filesystem::temp_directory_path() / "dendrix-gui-XXXXXX").string();
  folder_ = mkdtemp(pattern.data()) ? pattern : std::string();
  EXPECT_FALSE(folder_.empty()) << "no temporary folder";
  path_ = folder_ + "/" + name;
  std::ofstream(path_, std::ios::binary) << contents;
}

TempFile::~TempFile() {
  std::error_code ignored;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

std::string TempFile::Contents() const {
  std::ifstream in(path_, std::ios::binary);
  std::ostringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

// Sees every event before the program handles it and keeps what tells
// that an input has arrived: where the mouse last moved, how many button
// messages, which toolbar button sent its command last and how many keys
// went up.
class GuiTest::InputRecorder : public wxEventFilter {
 public:
  InputRecorder() { wxEvtHandler::AddFilter(this); }
  ~InputRecorder() override { wxEvtHandler::RemoveFilter(this); }

  int FilterEvent(wxEvent& event) override {
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_MOTION) {
      auto* window = wxDynamicCast(event.GetEventObject(), wxWindow);
      if (window) {
        lastMotion = window->ClientToScreen(static_cast<wxMouseEvent&>(event).GetPosition());
      }
    } else if (type == wxEVT_LEFT_DOWN || type == wxEVT_LEFT_UP || type == wxEVT_RIGHT_DOWN ||
               type == wxEVT_RIGHT_UP || type == wxEVT_MIDDLE_DOWN || type == wxEVT_MIDDLE_UP) {
      ++buttonMessages;
    } else if (type == wxEVT_TOOL) {
      lastTool = event.GetId();
      ++tools;
    } else if (type == wxEVT_KEY_UP) {
      ++keyUps;
    }
    return Event_Skip;
  }

  wxPoint lastMotion = wxDefaultPosition;
  int buttonMessages = 0;
  int tools = 0;
  int lastTool = 0;
  int keyUps = 0;
};

GuiTest::GuiTest() : input_(std::make_unique<InputRecorder>()) {}

GuiTest::~GuiTest() = default;

void GuiTest::SetUp() { ASSERT_TRUE(App().StartUp(Options())); }

void GuiTest::TearDown() {
  if (FrameOpen()) CloseFrame();
  App().ExitInstance();
}

CDendrixApp& GuiTest::App() const { return wxGetApp(); }

CMainFrame& GuiTest::Frame() const {
  CMainFrame* frame = App().MainFrame();
  EXPECT_NE(frame, nullptr);
  return *frame;
}

CGLCanvas& GuiTest::ControllerCanvas() const {
  return *static_cast<CGLCanvas*>(Frame().Splitter()->LeftPane());
}

CGLCanvas& GuiTest::TreeCanvas() const {
  return *static_cast<CGLCanvas*>(Frame().Splitter()->RightPane());
}

CGLWindow& GuiTest::TreeWindow() const { return GetSceneWindows()->treeWindow; }

bool GuiTest::FrameOpen() const { return !wxTopLevelWindows.empty(); }

void GuiTest::CloseFrame() {
  ChooseMenuItem(res::ID_APP_EXIT);
  WaitUntil([this] { return !FrameOpen(); }, "the main frame to be destroyed");
}

void GuiTest::ChooseMenuItem(int command) {
  wxMenu* menu = nullptr;
  wxMenuItem* item = Frame().GetMenuBar()->FindItem(command, &menu);
  ASSERT_NE(item, nullptr) << "no menu item for command " << command;
  menu->SendEvent(command, item->IsCheckable() ? !item->IsChecked() : -1);
}

wxMenuItem* GuiTest::UpdatedMenuItem(int command) {
  wxMenu* menu = nullptr;
  wxMenuItem* item = Frame().GetMenuBar()->FindItem(command, &menu);
  if (menu) menu->UpdateUI(&Frame());
  return item;
}

bool GuiTest::ToolPressed(int command) {
  wxToolBar* toolBar = Frame().GetToolBar();
  toolBar->UpdateWindowUI(wxUPDATE_UI_NONE);
  return toolBar->GetToolState(command);
}

void GuiTest::ClickTool(int command) {
  wxToolBar* toolBar = Frame().GetToolBar();
  const wxPoint centre = ToolCentre(*toolBar, command);
  ASSERT_NE(centre, wxDefaultPosition) << "toolbar button " << command << " is not on the screen";
  PointAt(*toolBar, centre);
  const int tools = input_->tools;
  simulator.MouseClick();
  WaitUntil([&] { return input_->tools > tools && input_->lastTool == command; },
            "the toolbar button's command");
}

wxPoint GuiTest::ToolCentre(wxToolBar& toolBar, int command) {
  // GTK does not tell where a tool lies; look for its picture on the screen.
  const wxToolBarToolBase* tool = toolBar.FindById(command);
  if (!tool) return wxDefaultPosition;
  const wxImage picture = tool->GetNormalBitmap().ConvertToImage();
  const wxImage screen = ScreenImage(toolBar);
  const int w = picture.GetWidth(), h = picture.GetHeight();
  for (int y = 0; y + h <= screen.GetHeight(); ++y) {
    for (int x = 0; x + w <= screen.GetWidth(); ++x) {
      bool match = true;
      for (int py = 0; py < h && match; ++py) {
        for (int px = 0; px < w && match; ++px) {
          if (picture.IsTransparent(px, py)) continue;
          match = screen.GetRed(x + px, y + py) == picture.GetRed(px, py) &&
                  screen.GetGreen(x + px, y + py) == picture.GetGreen(px, py) &&
                  screen.GetBlue(x + px, y + py) == picture.GetBlue(px, py);
        }
      }
      if (match) return wxPoint(x + w / 2, y + h / 2);
    }
  }
  return wxDefaultPosition;
}

wxPoint GuiTest::OnScreen(wxWindow& window, const wxPoint& client) {
  return window.ClientToScreen(client);
}

void GuiTest::MouseMoveTo(wxWindow& window, const wxPoint& client) {
  const wxPoint target = OnScreen(window, client);
  // No motion message comes when the mouse is there already.
  if (wxGetMousePosition() == target) return;
  simulator.MouseMove(target);
  WaitUntil([&] { return input_->lastMotion == target; }, "the mouse to arrive");
}

void GuiTest::MouseDown(wxWindow& window, const wxPoint& client, int button) {
  MouseMoveTo(window, client);
  const int messages = input_->buttonMessages;
  simulator.MouseDown(button);
  WaitUntil([&] { return input_->buttonMessages > messages; }, "the button to go down");
}

void GuiTest::MouseUp(int button) {
  const int messages = input_->buttonMessages;
  simulator.MouseUp(button);
  WaitUntil([&] { return input_->buttonMessages > messages; }, "the button to go up");
}

void GuiTest::PointAt(wxWindow& window, const wxPoint& client) {
  simulator.MouseMove(OnScreen(window, client));
  Settle();
}

void GuiTest::PressKey(wxWindow& window, int key, int modifiers) {
  PointAt(window, wxPoint(window.GetClientSize().x / 2, window.GetClientSize().y / 2));
  // Every key pressed goes up again: the key and each modifier.
  int keys = 1;
  for (int modifier : {wxMOD_CONTROL, wxMOD_SHIFT, wxMOD_ALT}) keys += (modifiers & modifier) ? 1 : 0;
  const int keyUps = input_->keyUps;
  simulator.Char(key, modifiers);
  WaitUntil([&] { return input_->keyUps >= keyUps + keys; }, "the key to be handled");
}

wxImage ScreenImage(wxWindow& window) {
  return ScreenImage(wxRect(window.ClientToScreen(wxPoint(0, 0)), window.GetClientSize()));
}

wxImage ScreenImage(const wxRect& rect) {
  // Straight from the X server, so that nothing in between keeps an old
  // picture.
  Display* display = wxGetX11Display();
  XSync(display, False);
  XImage* shot = XGetImage(display, DefaultRootWindow(display), rect.x, rect.y, rect.width,
                           rect.height, AllPlanes, ZPixmap);
  wxImage image(rect.width, rect.height, false);
  if (!shot) return image;
  unsigned char* rgb = image.GetData();
  for (int y = 0; y < rect.height; ++y) {
    for (int x = 0; x < rect.width; ++x) {
      const unsigned long pixel = XGetPixel(shot, x, y);
      *rgb++ = static_cast<unsigned char>((pixel & shot->red_mask) >> 16);
      *rgb++ = static_cast<unsigned char>((pixel & shot->green_mask) >> 8);
      *rgb++ = static_cast<unsigned char>(pixel & shot->blue_mask);
    }
  }
  XDestroyImage(shot);
  return image;
}
