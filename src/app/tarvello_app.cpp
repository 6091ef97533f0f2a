#include "app/tarvello_app.h"

#include "dialog/tarvello_dlg.h"
#include "platform/exepath.h"
#include "platform/file.h"

bool CTarvelloApp::OnInit() {
  // A full disk or a file size limit is reported, not a reason to die half way.
  platform::FailWritesPastSizeLimit();
  SetAppName("tarvello");
  SetAppDisplayName("Tarvello");
  return true;
}

int CTarvelloApp::OnRun() {
  InitInstance();
  return 0;
}

bool CTarvelloApp::InitInstance() {
  CTarvelloDlg::Options options;
  // The settings file lies beside the program; its command line helps find
  // it where the system cannot tell.
  const wxCharBuffer argv0 = argc > 0 ? argv[0].fn_str() : wxCharBuffer("");
  options.services.executablePath = platform::ExecutablePath(std::string(argv0.data(), argv0.length()));
  // "tarvello FOLDER" (a file manager's "Open with"): that folder, searched.
  if (argc > 1) {
    const wxCharBuffer folder = argv[1].fn_str();
    options.openFolder = std::string(folder.data(), folder.length());
  }
  CTarvelloDlg dialog(nullptr, std::move(options));
  SetTopWindow(&dialog);
  dialog.ShowModal();
  SetTopWindow(nullptr);
  return false;
}
