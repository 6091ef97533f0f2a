// The main dialog: the program's only window. It owns the rename state, builds
// its controls from the control table, routes the buttons to the workflow and
// lends the workflow its controls through DialogControls.
#pragma once

#include "platform/random.h"
#include "rename/dialog_controls.h"
#include "rename/rename_state.h"

#include <wx/dialog.h>
#include <wx/iconbndl.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

class CNameList;
class COverlay;
class wxButton;
class wxMenu;
class wxRadioButton;
class wxStaticText;
class wxTextCtrl;

// Asks the user for a folder; true with the folder's full path, false when
// the user cancels.
using FolderPicker = std::function<bool(wxWindow* parent, std::string* path)>;

// The window commands of the dialog's window menu.
constexpr unsigned kIdmAboutBox = 0x0010;
constexpr unsigned kScClose = 0xF060;

class CTarvelloDlg : public wxDialog, public DialogControls {
 public:
  // Where the dialog takes its random numbers, pauses, settings file and
  // folder picker from; the defaults are the real ones.
  struct Options {
    platform::RandomSource* random = nullptr;
    platform::Pauser* pauser = nullptr;
    std::string executablePath;  // empty: the running program's
    FolderPicker folderPicker;   // empty: the toolkit's folder dialog
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
  // A command of the window menu: the About box for 0x0010 to 0x001F,
  // the default handling (Close, for one) for the rest.
  void OnSysCommand(unsigned id, long lParam);

  // DialogControls.
  void SetDlgItemText(int id, const std::string& text) override;
  std::string GetDlgItemText(int id) override;
  void EnableItem(int id, bool enable) override;
  void ShowItem(int id, bool show) override;
  bool GetCheck(int id) override;
  void SetCheck(int id, bool checked) override;
  void ListClear(int id) override;
  void ListAppend(int id, const std::string& number, const std::string& name) override;
  const std::string& ListGetName(int id, int row) override;
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  void ShowMessage(const std::string& text) override;

  CRenameState& state() { return m_state; }
  CNameList* list(int id);
  COverlay* overlay() { return m_overlay; }
  // The menu opened by a right click on the background, Shift+F10 or the
  // Menu key.
  std::unique_ptr<wxMenu> CreateWindowMenu();
  void ShowWindowMenu(const wxPoint& position);
  // Ends the dialog with the code given, modal or not.
  void EndDialogWith(int code);

  // The folder picker that the toolkit offers.
  static bool PickFolderWithDialog(wxWindow* parent, std::string* path);

 private:
  void CreateControls();
  bool OnInitDialog();
  void SyncLists();
  void CenterStatusText();
  void OnButton(wxCommandEvent& event);
  void OnCharHook(wxKeyEvent& event);
  void OnContextMenu(wxContextMenuEvent& event);
  void OnClose(wxCloseEvent& event);
  void OnPaint(wxPaintEvent& event);

  std::unique_ptr<platform::RandomSource> m_ownRandom;
  std::unique_ptr<platform::Pauser> m_ownPauser;
  Options m_options;

  // The rename state, with the settings object.
  CRenameState m_state;

  // Controls the workflow changes often.
  wxButton* m_randomButton = nullptr;
  wxButton* m_runButton = nullptr;
  COverlay* m_overlay = nullptr;
  wxRadioButton* m_addRadio = nullptr;
  wxRadioButton* m_replaceRadio = nullptr;
  wxRadioButton* m_deleteRadio = nullptr;
  // A hidden member of the radio group, checked when none of the three is.
  wxRadioButton* m_noneRadio = nullptr;
  CNameList* m_newList = nullptr;
  CNameList* m_oldList = nullptr;

  wxIconBundle m_icons;

  // The exact bytes behind an edit box's text, kept as long as the user has
  // not changed what is shown.
  struct EditText {
    std::string bytes;
    wxString shown;
  };
  std::map<int, EditText> m_editTexts;
  wxRect m_statusArea;

  wxDECLARE_EVENT_TABLE();
};
