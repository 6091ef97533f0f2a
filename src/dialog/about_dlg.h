#pragma once

#include <wx/dialog.h>

// The About box: the icon, the program's name and version, a copyright
// notice and an OK button.
class CAboutDlg : public wxDialog {
 public:
  explicit CAboutDlg(wxWindow* parent = nullptr);
};
