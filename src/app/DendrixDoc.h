#pragma once

#include <wx/docview.h>

// The document: it holds nothing, loads and stores nothing, and is never
// modified, so the framework never asks to save it. Opening a file changes
// only the document's name (the window title).
class CDendrixDoc : public wxDocument {
 public:
  // Takes path as the document's file, after checking that it can be read;
  // false, with why saying what is wrong, when it cannot.
  bool OpenFile(const wxString& path, wxString& why);

  wxDECLARE_DYNAMIC_CLASS(CDendrixDoc);
};

// The document manager of the single-document template: new documents are
// titled "Untitled", and the recent-file list holds four entries.
class CDendrixDocManager : public wxDocManager {
 public:
  // Initialised here, not by the base, so that the base creates the
  // recent-file list through this class.
  CDendrixDocManager() : wxDocManager(0, false) { Initialize(); }

  wxString MakeNewDocumentName() override;
  wxFileHistory* OnCreateFileHistory() override;
};

// Field index of the document template's description string (string 128):
// 0 window title, 1 document name, 2 new-file name, 3 filter name,
// 4 filter extension, 5 file-type id, 6 file-type name.
wxString TemplateField(int index);
// The main window's title after the document's name ("Dendrix").
inline wxString WindowTitle() { return TemplateField(0); }

// Whether path names a file that can be opened for reading; otherwise why
// says what stands in the way, in words for the user.
bool IsReadableFile(const wxString& path, wxString& why);
