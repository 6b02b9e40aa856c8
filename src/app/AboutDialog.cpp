#include "app/AboutDialog.h"

#include <wx/button.h>
#include <wx/fontenum.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include <algorithm>

#include "Resources.h"
#include "app/AppImages.h"

namespace {

// The dialog's font face, or the Japanese Gothic face that stands in for it
// where it is not installed.
wxString DialogFontFace() {
  const wxString face = wxString::FromUTF8(res::kAboutFontFace);
  return wxFontEnumerator::IsValidFacename(face) ? face : wxString("IPAGothic");
}

}  // namespace

CAboutDialog::CAboutDialog(wxWindow* parent)
    : wxDialog(parent, res::IDD_ABOUTBOX, wxString::FromUTF8(res::kAboutCaption),
               wxDefaultPosition, wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
  // Dialog units follow the font, so it is set before anything is placed.
  SetFont(wxFont(wxFontInfo(res::kAboutFontPoints).FaceName(DialogFontFace())));
  auto place = [this](const res::DialogRect& r) {
    return wxRect(ConvertDialogToPixels(wxPoint(r.x, r.y)),
                  ConvertDialogToPixels(wxSize(r.width, r.height)));
  };

  const wxRect iconRect = place(res::kAboutIcon);
  new wxStaticBitmap(this, wxID_STATIC,
                     ApplicationIconBitmap(std::min(iconRect.width, iconRect.height)),
                     iconRect.GetPosition(), iconRect.GetSize());
  for (const auto& [text, rect] : {std::pair{res::kAboutVersionText, res::kAboutVersionLine},
                                   std::pair{res::kAboutSecondText, res::kAboutSecondLine}}) {
    const wxRect r = place(rect);
    new wxStaticText(this, wxID_STATIC, wxString::FromUTF8(text), r.GetPosition(), r.GetSize(),
                     wxST_NO_AUTORESIZE);
  }
  const wxRect okRect = place(res::kAboutOkButton);
  auto* ok = new wxButton(this, wxID_OK, "OK", okRect.GetPosition(), okRect.GetSize());
  ok->SetDefault();
  SetClientSize(ConvertDialogToPixels(wxSize(res::kAboutWidth, res::kAboutHeight)));
  CentreOnParent();
}
