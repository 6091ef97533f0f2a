// The main dialog on the Win32 dialog manager, built from dialog template
// 102: the program's only window. It owns the rename workflow, routes the
// buttons to it and shows the workflow's job as a RenameView.
#pragma once

#include "rename/rename_view.h"
#include "rename/workflow.h"
#include "win32/list_view.h"

#include <windows.h>

#include <map>
#include <string>

class CTarvelloDlg : public RenameView {
 public:
  explicit CTarvelloDlg(HWND parent, WorkflowServices services = {});
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
  void SetActionsEnabled(bool random, bool run) override;
  void RowsChanged() override;
  void SetStatus(const std::string& text) override;
  void ShowBusy(const std::string& text) override;
  void HideBusy() override;
  bool ShowProgress(const std::string& text) override;
  void EnableUndo(bool enable) override;
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  void ShowMessage(const std::string& text) override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK KeyFilter(int code, WPARAM wParam, LPARAM lParam);
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  BOOL OnInitDialog();
  void OnCommand(int id);
  bool OnSysCommand(UINT id);
  bool OnPaint();
  LRESULT OnNotify(const NMHDR* header);
  void OnContextMenu(HWND source, LPARAM position);
  void OnAbout();
  void OnSelectFolder();
  void OnUndo();
  // Sets the result of a message that has one.
  INT_PTR Result(LRESULT result);

  std::string EditText(int id);
  void SetEditText(int id, const std::string& text);
  void ShowOverlay(bool show);
  // The window menu, opened at a point of the screen.
  void ShowWindowMenu(POINT at);

  HWND parent_;
  HWND hwnd_ = nullptr;
  HICON icon_ = nullptr;
  RenameWorkflow workflow_;
  CNameListView oldList_;
  CNameListView newList_;

  // The exact bytes behind an edit box's text, kept as long as the user has
  // not changed what is shown.
  struct EditBytes {
    std::string bytes;
    std::wstring shown;
  };
  std::map<int, EditBytes> editTexts_;

  // A workflow step is under way (a question of its may be open): the
  // preview timer waits.
  bool inStep_ = false;
  // A long Run shows its progress: the window takes no input but Esc.
  bool busy_ = false;
  bool stopRequested_ = false;
  bool undoEnabled_ = false;
};
