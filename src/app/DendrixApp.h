#pragma once

#include <wx/app.h>

#include "app/CommandLine.h"

class CDendrixDocManager;
class CMainFrame;

// The application object. Start-up builds the single-document template, the
// document with the main frame and both panes, and paints them; the exit
// handler deletes the process-wide objects in their order.
class CDendrixApp : public wxApp {
 public:
  // What the command line asked for; main sets it before the framework
  // starts.
  void SetOptions(CommandLineOptions options) { options_ = std::move(options); }

  bool OnInit() override { return StartUp(options_); }
  int OnExit() override { return ExitInstance(); }

  // Start-up; false ends the process (after a message saying why).
  bool StartUp(const CommandLineOptions& options);
  // The exit handler, once the main frame and its views are gone.
  int ExitInstance();

  // Takes path as the document's file, as File > Open does: the title and
  // the recent-file list change, nothing else. An unreadable path is
  // reported to the user and changes nothing.
  bool OpenDocumentFile(const wxString& path);

  CDendrixDocManager* DocManager() const { return docManager_; }
  CMainFrame* MainFrame() const;

 private:
  void OnAppAbout(wxCommandEvent& event);
  void OnFileOpen(wxCommandEvent& event);
  bool Fail(const wxString& message);
  void ReportOpenFailure(const wxString& path, const wxString& why);
  void StartRemoteControlIfAsked(const CommandLineOptions& options);

  CommandLineOptions options_;
  CDendrixDocManager* docManager_ = nullptr;

  wxDECLARE_EVENT_TABLE();
};

wxDECLARE_APP(CDendrixApp);

// Where the per-user settings live: the settings key and the application
// name under the user's configuration folder.
wxString SettingsFilePath();
