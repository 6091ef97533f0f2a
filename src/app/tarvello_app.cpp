#include "app/tarvello_app.h"

#include "dialog/tarvello_dlg.h"

bool CTarvelloApp::OnInit() {
  SetAppName("tarvello");
  SetAppDisplayName("Tarvello");
  return true;
}

int CTarvelloApp::OnRun() {
  InitInstance();
  return 0;
}

bool CTarvelloApp::InitInstance() {
  CTarvelloDlg dialog(nullptr);
  SetTopWindow(&dialog);
  dialog.ShowModal();
  SetTopWindow(nullptr);
  return false;
}
