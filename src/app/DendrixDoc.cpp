#include "app/DendrixDoc.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <wx/filehistory.h>
#include <wx/filename.h>
#include <wx/tokenzr.h>

#include <cerrno>
#include <cstring>

#include "Resources.h"

wxIMPLEMENT_DYNAMIC_CLASS(CDendrixDoc, wxDocument);

bool CDendrixDoc::OpenFile(const wxString& path, wxString& why) {
  if (!IsReadableFile(path, why)) return false;
  // The name first: setting the file name tells the views, which show it.
  SetTitle(wxFileName(path).GetFullName());
  SetFilename(path, true);
  SetDocumentSaved(true);
  Modify(false);
  return true;
}

wxString CDendrixDocManager::MakeNewDocumentName() {
  const wxString name = TemplateField(1);
  return name.empty() ? wxString("Untitled") : name;
}

wxFileHistory* CDendrixDocManager::OnCreateFileHistory() {
  return new wxFileHistory(res::kRecentFileCount);
}

wxString TemplateField(int index) {
  const wxArrayString fields =
      wxStringTokenize(wxString::FromUTF8(res::IDS_DOCUMENT_TEMPLATE), "\n", wxTOKEN_RET_EMPTY_ALL);
  return index >= 0 && index < static_cast<int>(fields.size()) ? fields[index] : wxString();
}

bool IsReadableFile(const wxString& path, wxString& why) {
  if (path.empty()) {
    why = "no file name was given";
    return false;
  }
  // Non-blocking, so that a named pipe without a writer does not hang us.
  const int fd = ::open(path.fn_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    why = wxString::FromUTF8(std::strerror(errno));
    return false;
  }
  struct stat info {};
  const bool statted = ::fstat(fd, &info) == 0;
  const int statError = errno;
  ::close(fd);
  if (!statted) {
    why = wxString::FromUTF8(std::strerror(statError));
    return false;
  }
  if (S_ISDIR(info.st_mode)) {
    why = "it is a folder, not a file";
    return false;
  }
  return true;
}
