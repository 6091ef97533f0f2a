// The About box, on dialog template 100: the icon, the program's name and
// version, a copyright notice and an OK button.
#pragma once

#include <windows.h>

class CAboutDlg {
 public:
  explicit CAboutDlg(HWND parent = nullptr) : parent_(parent) {}
  INT_PTR DoModal();

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  HWND parent_;
};
