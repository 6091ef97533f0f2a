// The main dialog on the Win32 dialog manager, built from dialog template
// 102: the program's only window. It owns the rename workflow, hands the
// buttons and keys to it as commands and draws its state and rows as a
// RenameView. It keeps no rule of its own.
#pragma once

#include "rename/rename_view.h"
#include "rename/workflow.h"
#include "shell/edit_memo.h"
#include "win32/list_view.h"

#include <windows.h>
#include <shellapi.h>

#include <map>
#include <optional>
#include <string>

class CTarvelloDlg : public RenameView {
 public:
  // `openFolder`: a folder to search as soon as the window shows (given on
  // the command line, dropped on the program's icon); empty: none.
  explicit CTarvelloDlg(HWND parent, WorkflowServices services = {}, std::string openFolder = {});
  ~CTarvelloDlg() override;
  CTarvelloDlg(const CTarvelloDlg&) = delete;
  CTarvelloDlg& operator=(const CTarvelloDlg&) = delete;

  // Runs the dialog; returns IDOK or IDCANCEL as it ended.
  INT_PTR DoModal();

  // RenameView.
  std::string FolderText() override;
  void SetFolderText(const std::string& text) override;
  std::string ExtensionText() override;
  void SetExtensionText(const std::string& text) override;
  RenameMethod CheckedMethod() override;
  void SetCheckedMethod(RenameMethod method) override;
  void RowsChanged() override;
  void StateChanged() override;
  void PaintNow() override;
  bool Ask(const Question& question) override;
  void Tell(const Message& message) override;
  void Report(const SessionReport& report) override;
  bool PickFolder(std::string* path) override;

 private:
  // A message box with an OK button, captioned with the program's title.
  void ShowText(const std::string& text);
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK KeyFilter(int code, WPARAM wParam, LPARAM lParam);
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  BOOL OnInitDialog();
  void OnCommand(int id);
  bool OnSysCommand(UINT id);
  bool OnPaint();
  LRESULT OnNotify(const NMHDR* header);
  void OnContextMenu(HWND source, LPARAM position);
  void OnDropFiles(HDROP drop);
  // Hands a command to the workflow, when it can be done now.
  void Do(Command command);
  // Sets the result of a message that has one.
  INT_PTR Result(LRESULT result);

  std::string EditText(int id);
  void SetEditText(int id, const std::string& text);
  void ShowOverlay(bool show);
  // Moves the keyboard on from a control that cannot take it, as Tab would.
  void MoveFocusOnFrom(HWND from);
  // While a long Run goes on the window takes no input but Esc: its
  // controls are disabled, and given back as they were afterwards.
  void LockInput();
  void UnlockInput();
  void SyncTimer();
  // The window menu, opened at a point of the screen.
  void ShowWindowMenu(POINT at);
  void UpdateWindowMenu();

  HWND parent_;
  HWND hwnd_ = nullptr;
  HICON icon_ = nullptr;
  std::string openFolder_;
  RenameWorkflow workflow_;
  CNameListView oldList_;
  CNameListView newList_;
  std::map<int, shell::EditMemo> editTexts_;

  // While the input is locked: which controls were enabled, and where the
  // keyboard was.
  struct Locked {
    std::map<HWND, bool> enabled;
    HWND focus = nullptr;
  };
  std::optional<Locked> locked_;
  UINT timerInterval_ = 0;
};
