#include "win32/tarvello_app.h"

#include "win32/tarvello_dlg.h"
#include "win32/text.h"

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <string>

bool CTarvelloApp::InitInstance() {
  // The list views of the templates, and the shell's folder picker.
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  const HRESULT ole = OleInitialize(nullptr);
  // "tarvello.exe FOLDER": a folder dropped on the program's icon, "Send
  // to", "Open with": that folder, searched.
  std::string folder;
  int argc = 0;
  if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
    if (argc > 1) folder = win32::FromScreen(argv[1]);
    LocalFree(argv);
  }
  {
    CTarvelloDlg dialog(nullptr, WorkflowServices{}, folder);
    dialog.DoModal();
  }
  if (SUCCEEDED(ole)) OleUninitialize();
  return false;
}
