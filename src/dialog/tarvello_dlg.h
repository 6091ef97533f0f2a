// The main dialog: the program's only window. It owns the rename workflow,
// builds its controls from the control table, routes the buttons to the
// workflow and shows the workflow's job as a RenameView.
#pragma once

#include "rename/rename_view.h"
#include "rename/workflow.h"

#include <wx/dialog.h>
#include <wx/iconbndl.h>
#include <wx/timer.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
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
  };

  explicit CTarvelloDlg(wxWindow* parent);
  CTarvelloDlg(wxWindow* parent, Options options);
  ~CTarvelloDlg() override;

  // Button handlers.
  void OnAbout();
  void OnSelectFolder();
  void OnSearch();
  void OnRandom();
  void OnRun();
  void OnExpress();
  void OnUndo();
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
  void SetActionsEnabled(bool random, bool run) override;
  void RowsChanged() override;
  void SetStatus(const std::string& text) override;
  void ShowBusy(const std::string& text) override;
  void HideBusy() override;
  bool ShowProgress(const std::string& text) override;
  void EnableUndo(bool enable) override;
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  void ShowMessage(const std::string& text) override;

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
  void CreateControls();
  bool OnInitDialog();
  std::string EditText(int id);
  void SetEditText(int id, const std::string& text);
  void CenterStatusText();
  // Moves the focus on from a control, as the Tab key would.
  void MoveFocusOnFrom(wxWindow* from);
  void ShowOverlay(bool show);
  // While a long Run shows its progress the window takes no input but Esc:
  // its controls are disabled and given back as they were afterwards.
  void EnterBusy();
  void LeaveBusy();
  // Serves the window (painting, and Esc) while a long Run goes on.
  void ServeWindow();
  void OnButton(wxCommandEvent& event);
  void OnPreviewTimer(wxTimerEvent& event);
  void OnCharHook(wxKeyEvent& event);
  void OnContextMenu(wxContextMenuEvent& event);
  void OnClose(wxCloseEvent& event);
  void OnPaint(wxPaintEvent& event);

  FolderPicker m_folderPicker;
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

  // The exact bytes behind an edit box's text, kept as long as the user has
  // not changed what is shown.
  struct EditBytes {
    std::string bytes;
    wxString shown;
  };
  std::map<int, EditBytes> m_editTexts;
  wxRect m_statusArea;

  // A workflow step is under way (a question of its may be open): the
  // preview timer waits.
  bool m_inStep = false;
  // A long Run shows its progress.
  bool m_busy = false;
  bool m_stopRequested = false;
  std::map<wxWindow*, bool> m_enabledBeforeBusy;
  wxWindow* m_focusBeforeBusy = nullptr;
  bool m_undoEnabled = false;
  // Looks now and then whether the searched folder changed under a proposal.
  wxTimer m_previewTimer;

  wxDECLARE_EVENT_TABLE();
};
