// The main dialog: the program's only window. It owns the rename workflow,
// builds its controls from the control table, hands the buttons and keys to
// the workflow as commands and draws the workflow's state and rows as a
// RenameView. It keeps no rule of its own.
#pragma once

#include "rename/rename_view.h"
#include "rename/workflow.h"
#include "shell/edit_memo.h"

#include <wx/dialog.h>
#include <wx/iconbndl.h>
#include <wx/timer.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

class CNameList;
class COverlay;
class wxMenu;
class wxRadioButton;

// Asks the user for a folder; true with the folder's full path, false when
// the user cancels.
using FolderPicker = std::function<bool(wxWindow* parent, std::string* path)>;

// The window command that closes the window, as the system menu sends it.
constexpr unsigned kScClose = 0xF060;

class CTarvelloDlg : public wxDialog, public RenameView {
 public:
  // Where the dialog takes its random numbers, pauses, folders, settings file
  // and folder picker from; the defaults are the real ones.
  struct Options {
    WorkflowServices services;
    FolderPicker folderPicker;  // empty: the toolkit's folder dialog
    // A folder to search as soon as the window shows (given on the command
    // line); empty: none.
    std::string openFolder;
  };

  explicit CTarvelloDlg(wxWindow* parent);
  CTarvelloDlg(wxWindow* parent, Options options);
  ~CTarvelloDlg() override;

  // A command of the window menu: the About box for 0x0010 to 0x001F,
  // the default handling (Close, for one) for the rest.
  void OnSysCommand(unsigned id, long lParam);

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

  RenameWorkflow& workflow() { return m_workflow; }
  CNameList* oldList() { return m_oldList; }
  CNameList* newList() { return m_newList; }
  COverlay* overlay() { return m_overlay; }
  // The menu opened by a right click on the background, Shift+F10 or the
  // Menu key.
  std::unique_ptr<wxMenu> CreateWindowMenu();
  void ShowWindowMenu(const wxPoint& position);
  // Where a window menu opened from the keyboard goes: below the focused
  // control, in the dialog's client coordinates.
  wxPoint KeyboardMenuPosition();
  // Ends the dialog with the code given, modal or not.
  void EndDialogWith(int code);

  // The folder picker that the toolkit offers.
  static bool PickFolderWithDialog(wxWindow* parent, std::string* path);

 private:
  // A message box with an OK button, captioned with the program's title.
  void ShowText(const std::string& text);
  void CreateControls();
  bool OnInitDialog();
  // Hands a command to the workflow, when it can be done now.
  void Do(Command command);
  std::string EditText(int id);
  void SetEditText(int id, const std::string& text);
  void CenterStatusText();
  // The control that has the keyboard, or had it last while another window
  // (a question box) had it.
  wxWindow* KeyboardOwner();
  // Moves the focus on from a control, as the Tab key would, when it cannot
  // take the keyboard.
  void MoveFocusOnFrom(wxWindow* from);
  void ShowOverlay(bool show);
  // While a long Run goes on the window takes no input but Esc: its
  // controls are disabled, and given back as they were afterwards.
  void LockInput();
  void UnlockInput();
  void SyncTimer();
  void OnButton(wxCommandEvent& event);
  void OnTimer(wxTimerEvent& event);
  void OnCharHook(wxKeyEvent& event);
  void OnChildFocus(wxChildFocusEvent& event);
  void OnActivate(wxActivateEvent& event);
  void OnContextMenu(wxContextMenuEvent& event);
  void OnClose(wxCloseEvent& event);
  void OnPaint(wxPaintEvent& event);
  void OnDropFiles(wxDropFilesEvent& event);

  FolderPicker m_folderPicker;
  std::string m_openFolder;
  // The rename workflow, with the job and the settings object.
  RenameWorkflow m_workflow;

  COverlay* m_overlay = nullptr;
  // Add, Replace, Delete, in the order of kMethods.
  std::array<wxRadioButton*, 3> m_methodRadios{};
  // A hidden member of the radio group, checked when none of the three is.
  wxRadioButton* m_noneRadio = nullptr;
  CNameList* m_newList = nullptr;
  CNameList* m_oldList = nullptr;

  wxIconBundle m_icons;
  std::map<int, shell::EditMemo> m_editTexts;
  wxRect m_statusArea;
  // The control that had the keyboard last.
  wxWindow* m_lastFocus = nullptr;

  // While the input is locked: which controls were enabled, and where the
  // keyboard was.
  struct Locked {
    std::map<wxWindow*, bool> enabled;
    wxWindow* focus = nullptr;
  };
  std::optional<Locked> m_locked;
  // Ticks the workflow: now and then for the preview, at once while a long
  // Run goes on.
  wxTimer m_timer;
  int m_timerInterval = -1;

  wxDECLARE_EVENT_TABLE();
};
