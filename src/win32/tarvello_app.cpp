#include "win32/tarvello_app.h"

#include "win32/tarvello_dlg.h"

#include <commctrl.h>
#include <ole2.h>

bool CTarvelloApp::InitInstance() {
  // The list views of the templates, and the shell's folder picker.
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  const HRESULT ole = OleInitialize(nullptr);
  {
    CTarvelloDlg dialog(nullptr);
    dialog.DoModal();
  }
  if (SUCCEEDED(ole)) OleUninitialize();
  return false;
}
