// What the rename workflow needs from the main dialog's window. The real
// window implements it with widgets; tests use CMemoryControls.
//
// Every text is a byte string and comes back exactly as it was given: a list
// row hands back the very bytes it was appended with, whatever the screen
// shows of them.
#pragma once

#include <string>

class DialogControls {
 public:
  virtual ~DialogControls() = default;

  // Edit boxes (IDC_FOLDER, IDC_EXTENSION), the status line (IDC_STATUS) and
  // the progress overlay (IDC_OVERLAY). A new overlay text is painted at
  // once, since the workflow pauses right afterwards without serving the
  // window.
  virtual void SetDlgItemText(int id, const std::string& text) = 0;
  virtual std::string GetDlgItemText(int id) = 0;

  // Enables or disables a button (IDC_RANDOM, IDC_RUN).
  virtual void EnableItem(int id, bool enable) = 0;
  // Shows or hides the progress overlay, painting at once.
  virtual void ShowItem(int id, bool show) = 0;

  // The radio buttons IDC_ADD, IDC_REPLACE, IDC_DELETE. Clearing the checked
  // one leaves none checked.
  virtual bool GetCheck(int id) = 0;
  virtual void SetCheck(int id, bool checked) = 0;

  // The two lists, IDC_OLD_LIST and IDC_NEW_LIST: column 0 holds the row's
  // number text, column 1 a file name.
  virtual void ListClear(int id) = 0;
  virtual void ListAppend(int id, const std::string& number, const std::string& name) = 0;
  virtual const std::string& ListGetName(int id, int row) = 0;

  // A Yes/No question owned by the dialog; true for Yes.
  virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
  // A message with an OK button, owned by the main window and captioned with
  // the program's title.
  virtual void ShowMessage(const std::string& text) = 0;
};
