#pragma once

#include <wx/dialog.h>

// The About box, dialog 100: the icon, "Dendrix Version 1.0", a second line
// and an OK button, laid out in dialog units of its 9-point font.
class CAboutDialog : public wxDialog {
 public:
  explicit CAboutDialog(wxWindow* parent);
};
