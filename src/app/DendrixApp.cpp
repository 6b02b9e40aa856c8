#include "app/DendrixApp.h"

#include <wx/config.h>
#include <wx/evtloop.h>
#include <wx/fileconf.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include <chrono>
#include <iostream>

#include "Resources.h"
#include "app/AboutDialog.h"
#include "app/DendrixDoc.h"
#include "app/GLCanvas.h"
#include "app/MainFrame.h"
#include "app/StaticSplitter.h"
#include "app/Views.h"
#include "gl/SceneWindows.h"
#include "remote/RemoteControl.h"
#include "remote/Singletons.h"

wxBEGIN_EVENT_TABLE(CDendrixApp, wxApp)
  EVT_MENU(res::ID_APP_ABOUT, CDendrixApp::OnAppAbout)
  EVT_MENU(res::ID_FILE_OPEN, CDendrixApp::OnFileOpen)
wxEND_EVENT_TABLE()

wxString SettingsFilePath() {
  wxString base;
  if (!wxGetEnv("XDG_CONFIG_HOME", &base) || !wxIsAbsolutePath(base)) {
    base = wxFileName::GetHomeDir() + "/.config";
  }
  return base + "/" + wxString::FromUTF8(res::kSettingsKey) + "/" + res::IDS_APP_TITLE + ".conf";
}

namespace {

// The settings group of the recent-file list ("file1" to "file4").
const wxString kRecentFilesGroup = "/RecentFiles/";

// The window system puts a new frame on the screen asynchronously (a window
// manager may take its time); until it has, nothing can be painted in it.
// Handles the window system's events until the pane is there, or a few
// seconds have passed.
void WaitUntilOnScreen(const CGLCanvas& pane) {
  constexpr auto kLimit = std::chrono::seconds(5);
  wxGUIEventLoop loop;
  wxEventLoopActivator activator(&loop);
  const auto deadline = std::chrono::steady_clock::now() + kLimit;
  while (!pane.IsMappedOnScreen() && std::chrono::steady_clock::now() < deadline) {
    loop.DispatchTimeout(50);
  }
  // The window system's news of it, and what came with it.
  while (loop.Pending()) loop.Dispatch();
}

}  // namespace

bool CDendrixApp::Fail(const wxString& message) {
  std::cerr << "dendrix: " << message.utf8_string() << std::endl;
  wxMessageBox(message, res::IDS_APP_TITLE, wxOK | wxICON_ERROR);
  // The framework runs no exit handler after a failed start-up.
  ExitInstance();
  return false;
}

bool CDendrixApp::StartUp(const CommandLineOptions& options) {
  // The window system is up: the framework's messages go to message boxes.
  delete wxLog::SetActiveTarget(new wxLogGui());
  // A file that cannot be opened ends the start-up before anything is built.
  wxString why;
  const wxString file = wxString::FromUTF8(options.file);
  if (!options.file.empty() && !IsReadableFile(file, why)) {
    return Fail(wxString::Format("Cannot open \"%s\": %s.", file, why));
  }

  // Per-user settings under the settings key and the application name.
  SetAppName(res::IDS_APP_TITLE);
  SetVendorName(wxString::FromUTF8(res::kSettingsKey));
  const wxFileName settings(SettingsFilePath());
  settings.Mkdir(wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
  delete wxConfigBase::Set(new wxFileConfig(GetAppName(), GetVendorName(), settings.GetFullPath(),
                                            wxEmptyString, wxCONFIG_USE_LOCAL_FILE));
  docManager_ = new CDendrixDocManager();
  {
    wxConfigPathChanger group(wxConfigBase::Get(), kRecentFilesGroup);
    docManager_->FileHistoryLoad(*wxConfigBase::Get());
  }

  // The single-document template: "All files" and no extension of its own.
  new wxDocTemplate(docManager_, TemplateField(0), "*", wxEmptyString, TemplateField(4),
                    TemplateField(5), TemplateField(6), wxCLASSINFO(CDendrixDoc),
                    wxCLASSINFO(CDendrixView));

  // A new document brings the main frame with its splitter and both panes.
  wxDocument* doc = docManager_->CreateDocument(wxEmptyString, wxDOC_NEW);
  if (!doc) return Fail("The main window could not be created.");
  CMainFrame* frame = wxDynamicCast(doc->GetFirstView()->GetFrame(), CMainFrame);
  SetTopWindow(frame);
  if (!options.file.empty()) OpenDocumentFile(file);

  // Shown, then painted at once: both panes are drawn before the message
  // loop starts.
  frame->Show(true);
  WaitUntilOnScreen(*static_cast<CGLCanvas*>(frame->Splitter()->RightPane()));
  for (CGLWindow* pane : {&GetSceneWindows()->controllerWindow, &GetSceneWindows()->treeWindow}) {
    RepaintPane(*pane);
  }
  StartRemoteControlIfAsked(options);
  return true;
}

void CDendrixApp::StartRemoteControlIfAsked(const CommandLineOptions& options) {
  if (options.oscPort == 0) return;
  // Packets arrive on the receiver's thread and are carried out here, on
  // the user-interface thread.
  StartRemoteControl(options.oscAddress, options.oscPort, [] {
    if (wxTheApp) wxTheApp->CallAfter([] { DeliverOscPackets(); });
  });
}

int CDendrixApp::ExitInstance() {
  DeleteSingletons();
  // The framework's own exit handling: the recent-file list is saved.
  if (docManager_) {
    wxConfigPathChanger group(wxConfigBase::Get(), kRecentFilesGroup);
    docManager_->FileHistorySave(*wxConfigBase::Get());
    delete docManager_;
    docManager_ = nullptr;
  }
  delete wxConfigBase::Set(nullptr);
  return wxApp::OnExit();
}

CMainFrame* CDendrixApp::MainFrame() const { return wxDynamicCast(GetTopWindow(), CMainFrame); }

bool CDendrixApp::OpenDocumentFile(const wxString& path) {
  auto* doc = docManager_ ? static_cast<CDendrixDoc*>(docManager_->GetCurrentDocument()) : nullptr;
  if (!doc) return false;
  wxString why;
  if (!doc->OpenFile(path, why)) {
    ReportOpenFailure(path, why);
    return false;
  }
  docManager_->AddFileToHistory(path);
  return true;
}

void CDendrixApp::ReportOpenFailure(const wxString& path, const wxString& why) {
  wxMessageBox(wxString::Format("Cannot open \"%s\": %s.", path, why), res::IDS_APP_TITLE,
               wxOK | wxICON_EXCLAMATION, MainFrame());
}

void CDendrixApp::OnFileOpen(wxCommandEvent&) {
  wxFileDialog dialog(MainFrame(), wxString::FromUTF8(res::kOpenDialogTitle), wxEmptyString,
                      wxEmptyString, wxString::FromUTF8(res::kAllFilesFilter),
                      wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  if (dialog.ShowModal() == wxID_OK) OpenDocumentFile(dialog.GetPath());
}

void CDendrixApp::OnAppAbout(wxCommandEvent&) {
  CAboutDialog about(MainFrame());
  about.ShowModal();
}
