#include "dialog/about_dlg.h"

#include "dialog/app_icon.h"
#include "shell/shell.h"

#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

namespace {
// Positions and sizes in dialog units.
constexpr int kWidthDu = 235;
constexpr int kHeightDu = 55;
}  // namespace

CAboutDlg::CAboutDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8(shell::kAboutCaption), wxDefaultPosition,
               wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
  auto at = [this](int x, int y) { return ConvertDialogToPixels(wxPoint(x, y)); };
  auto size = [this](int w, int h) { return ConvertDialogToPixels(wxSize(w, h)); };
  const wxIcon icon = TarvelloIcons().GetIcon(wxSize(32, 32));
  new wxStaticBitmap(this, wxID_ANY, icon, at(11, 17), wxSize(32, 32));
  new wxStaticText(this, wxID_ANY, wxString::FromUTF8(shell::kAboutVersion), at(40, 10),
                   size(119, 8), wxST_NO_AUTORESIZE);
  new wxStaticText(this, wxID_ANY, shell::kAboutCopyright, at(40, 25), size(119, 8),
                   wxST_NO_AUTORESIZE);
  wxButton* ok =
      new wxButton(this, wxID_OK, wxString::FromUTF8(shell::kAboutOk), at(178, 7), size(50, 14));
  ok->SetDefault();
  SetAffirmativeId(wxID_OK);
  SetEscapeId(wxID_OK);
  SetClientSize(size(kWidthDu, kHeightDu));
  ok->SetFocus();
}
