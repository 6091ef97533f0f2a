#include "dialog/tarvello_dlg.h"

#include "dialog/about_dlg.h"
#include "dialog/app_icon.h"
#include "dialog/control_table.h"
#include "dialog/name_list.h"
#include "dialog/overlay.h"
#include "platform/bytes.h"
#include "resource.h"
#include "shell/shell.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/dirdlg.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace {

// The method radio buttons, in the order of kMethods.
constexpr std::array<int, 3> kMethodRadioIds = {IDC_ADD, IDC_REPLACE, IDC_DELETE};

wxString ToScreen(const std::string& bytes, bool visibleControls) {
  return wxString::FromUTF8(platform::DisplayUtf8(bytes, visibleControls));
}

// A radio button that Tab never reaches; the arrow keys and the mouse still do.
class CMethodRadio : public wxRadioButton {
 public:
  using wxRadioButton::wxRadioButton;
  bool AcceptsFocusFromKeyboard() const override { return false; }
};

// The window menu's Close item; its own command is the system's SC_CLOSE.
constexpr int kMenuClose = wxID_CLOSE;
// The window menu's Undo item.
constexpr int kMenuUndo = wxID_UNDO;
// How often the folder under a proposal is looked at.
constexpr int kPreviewIntervalMs = 500;


}  // namespace

wxBEGIN_EVENT_TABLE(CTarvelloDlg, wxDialog)
  EVT_PAINT(CTarvelloDlg::OnPaint)
  EVT_BUTTON(IDC_ABOUT, CTarvelloDlg::OnButton)
  EVT_BUTTON(IDC_SELECT, CTarvelloDlg::OnButton)
  EVT_BUTTON(IDC_RANDOM, CTarvelloDlg::OnButton)
  EVT_BUTTON(IDC_RUN, CTarvelloDlg::OnButton)
  EVT_BUTTON(IDC_SEARCH, CTarvelloDlg::OnButton)
  EVT_BUTTON(IDC_EXPRESS, CTarvelloDlg::OnButton)
  EVT_CHAR_HOOK(CTarvelloDlg::OnCharHook)
  EVT_CONTEXT_MENU(CTarvelloDlg::OnContextMenu)
  EVT_CLOSE(CTarvelloDlg::OnClose)
wxEND_EVENT_TABLE()

CTarvelloDlg::CTarvelloDlg(wxWindow* parent) : CTarvelloDlg(parent, Options()) {}

CTarvelloDlg::CTarvelloDlg(wxWindow* parent, Options options)
    : m_folderPicker(options.folderPicker ? std::move(options.folderPicker)
                                          : FolderPicker(&CTarvelloDlg::PickFolderWithDialog)),
      m_workflow(*this, std::move(options.services)) {
  Create(parent, wxID_ANY, shell::kAppTitle, wxDefaultPosition, wxDefaultSize,
         wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
  m_icons = TarvelloIcons();
  CreateControls();
  OnInitDialog();
  m_previewTimer.Bind(wxEVT_TIMER, &CTarvelloDlg::OnPreviewTimer, this);
  m_previewTimer.Start(kPreviewIntervalMs);
}

CTarvelloDlg::~CTarvelloDlg() = default;

void CTarvelloDlg::CreateControls() {
  for (const ControlEntry& entry : kMainDialogControls) {
    const wxPoint pos = ConvertDialogToPixels(wxPoint(entry.x, entry.y));
    const wxSize size = ConvertDialogToPixels(wxSize(entry.width, entry.height));
    const wxWindowID id = entry.id < 0 ? wxID_ANY : entry.id;
    const wxString caption = wxString::FromUTF8(entry.caption);
    wxWindow* control = nullptr;
    switch (entry.kind) {
      case ControlKind::PushButton:
        control = new wxButton(this, id, caption, pos, size);
        break;
      case ControlKind::Static:
        if (entry.styles & kStyleCentered) {
          m_statusArea = wxRect(pos, size);
          control = new wxStaticText(this, id, caption, pos, size,
                                     wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
        } else {
          control = new wxStaticText(this, id, caption, pos, size, wxST_NO_AUTORESIZE);
        }
        break;
      case ControlKind::Edit:
        control = new wxTextCtrl(this, id, caption, pos, size, wxTE_LEFT | wxBORDER_THEME);
        break;
      case ControlKind::Radio: {
        auto* radio = new CMethodRadio(this, id, caption, pos, size,
                                       id == kMethodRadioIds[0] ? wxRB_GROUP : 0);
        for (std::size_t i = 0; i < kMethods.size(); ++i) {
          if (id == kMethodRadioIds[i]) m_methodRadios[i] = radio;
        }
        if (id == kMethodRadioIds.back()) {
          // The group's hidden fourth member: a radio group always has one
          // member checked, and this one stands for "none of the three".
          m_noneRadio = new CMethodRadio(this, wxID_ANY, wxString(), pos, wxSize(0, 0));
          m_noneRadio->Hide();
        }
        control = radio;
        break;
      }
      case ControlKind::List: {
        const bool old = id == IDC_OLD_LIST;
        auto* list = new CNameList(this, id, pos, size, m_workflow.job(),
                                   old ? CNameList::Side::kOld : CNameList::Side::kNew);
        (old ? m_oldList : m_newList) = list;
        control = list;
        break;
      }
      case ControlKind::GroupBox:
        control = new wxStaticBox(this, id, caption, pos, size);
        break;
      case ControlKind::Overlay:
        m_overlay = new COverlay(this, id, pos, size);
        m_overlay->SetLabel(caption);
        control = m_overlay;
        break;
    }
    if (entry.styles & kStyleDisabled) control->Disable();
  }
  SetClientSize(ConvertDialogToPixels(wxSize(kDialogWidthDu, kDialogHeightDu)));
}

bool CTarvelloDlg::OnInitDialog() {
  SetIcons(m_icons);
  m_workflow.InitRenameState();
  FindWindow(IDC_ABOUT)->SetFocus();
  return true;
}

// ---------------------------------------------------------------------------
// Buttons and the window menu

void CTarvelloDlg::OnButton(wxCommandEvent& event) {
  if (m_busy || m_inStep) return;
  const shell::ScopedFlag step(m_inStep);
  switch (event.GetId()) {
    case IDC_ABOUT: OnAbout(); break;
    case IDC_SELECT: OnSelectFolder(); break;
    case IDC_RANDOM: OnRandom(); break;
    case IDC_RUN: OnRun(); break;
    case IDC_SEARCH: OnSearch(); break;
    case IDC_EXPRESS: OnExpress(); break;
    default: event.Skip(); break;
  }
}

void CTarvelloDlg::OnAbout() { ShowMessage(shell::CreditsText()); }

void CTarvelloDlg::OnSelectFolder() {
  std::string path;
  if (!m_folderPicker(this, &path)) return;
  SetFolderText(path);
  OnSearch();
}

bool CTarvelloDlg::PickFolderWithDialog(wxWindow* parent, std::string* path) {
  // No folder is pre-selected: the picker opens where the toolkit starts it.
  wxDirDialog dialog(parent, "Please select folder", wxEmptyString,
                     wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
  if (dialog.ShowModal() != wxID_OK) return false;
  const wxCharBuffer bytes = dialog.GetPath().fn_str();
  *path = std::string(bytes.data(), bytes.length());
  return true;
}

void CTarvelloDlg::OnSearch() { m_workflow.OnSearch(); }

void CTarvelloDlg::OnRandom() { m_workflow.OnRandom(); }

void CTarvelloDlg::OnRun() { m_workflow.OnRun(); }

void CTarvelloDlg::OnExpress() { m_workflow.OnExpress(); }

void CTarvelloDlg::OnUndo() {
  if (m_busy) return;
  const shell::ScopedFlag step(m_inStep);
  m_workflow.OnUndo();
}

void CTarvelloDlg::OnPreviewTimer(wxTimerEvent&) {
  if (m_busy || m_inStep || !IsShown()) return;
  const shell::ScopedFlag step(m_inStep);
  m_workflow.RefreshPreview();
}

void CTarvelloDlg::OnSysCommand(unsigned id, long) {
  if ((id & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg about(this);
    about.ShowModal();
    return;
  }
  // The default handling: of the window commands, only Close means
  // anything to this window.
  if ((id & 0xFFF0) == kScClose) EndDialogWith(wxID_CANCEL);
}

std::unique_ptr<wxMenu> CTarvelloDlg::CreateWindowMenu() {
  // As the system menu of a Windows dialog: its own Close, then the entry
  // the program appends after a separator.
  auto menu = std::make_unique<wxMenu>();
  menu->Append(kMenuClose, "&Close");
  menu->AppendSeparator();
  menu->Append(kMenuUndo, shell::kUndoMenuText);
  menu->Enable(kMenuUndo, m_undoEnabled);
  menu->Append(IDM_ABOUTBOX, wxString::FromUTF8(shell::kAboutMenuText));
  return menu;
}

void CTarvelloDlg::ShowWindowMenu(const wxPoint& position) {
  std::unique_ptr<wxMenu> menu = CreateWindowMenu();
  const int choice = GetPopupMenuSelectionFromUser(*menu, position);
  if (choice == IDM_ABOUTBOX) OnSysCommand(IDM_ABOUTBOX, 0);
  if (choice == kMenuUndo) OnUndo();
  if (choice == kMenuClose) OnSysCommand(kScClose, 0);
}

wxPoint CTarvelloDlg::KeyboardMenuPosition() {
  // Below the control with the focus, as menus opened from the keyboard
  // open; the window's corner when no control has it.
  wxWindow* control = FindFocus();
  while (control != nullptr && control->GetParent() != this) control = control->GetParent();
  if (control == nullptr) return wxPoint(0, 0);
  const wxRect rect = control->GetRect();
  return wxPoint(rect.GetLeft(), rect.GetBottom() + 1);
}

void CTarvelloDlg::OnContextMenu(wxContextMenuEvent& event) {
  if (m_busy) return;
  // Only the dialog's own background (labels and frames included) opens the
  // window menu; the edit boxes keep their own.
  wxWindow* source = dynamic_cast<wxWindow*>(event.GetEventObject());
  const bool background = source == this || dynamic_cast<wxStaticText*>(source) ||
                          dynamic_cast<wxStaticBox*>(source);
  if (!background) {
    event.Skip();
    return;
  }
  wxPoint position = event.GetPosition();
  ShowWindowMenu(position == wxDefaultPosition ? wxDefaultPosition : ScreenToClient(position));
}

void CTarvelloDlg::OnCharHook(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  const int modifiers = event.GetModifiers();
  if (m_busy) {
    // A long Run takes no input but Esc, which stops it.
    if (key == WXK_ESCAPE) m_stopRequested = true;
    return;
  }
  if (key == 'Z' && modifiers == wxMOD_CONTROL &&
      dynamic_cast<wxTextCtrl*>(FindFocus()) == nullptr) {
    // Outside the edit boxes, which undo their own typing.
    if (m_undoEnabled && !m_inStep) OnUndo();
    return;
  }
  if (key == WXK_ESCAPE && modifiers == wxMOD_NONE) {
    EndDialogWith(wxID_CANCEL);
    return;
  }
  if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && modifiers == wxMOD_NONE) {
    // Enter presses the focused push button; anywhere else it ends the
    // dialog as OK (there is no default button).
    if (auto* button = dynamic_cast<wxButton*>(FindFocus())) {
      if (button->GetParent() == this && button->IsEnabled()) {
        wxCommandEvent click(wxEVT_BUTTON, button->GetId());
        click.SetEventObject(button);
        button->ProcessWindowEvent(click);
        return;
      }
    }
    EndDialogWith(wxID_OK);
    return;
  }
  if (key == WXK_MENU || key == WXK_WINDOWS_MENU ||
      (key == WXK_F10 && modifiers == wxMOD_SHIFT)) {
    // An edit box opens its own menu (cut, copy, paste) for these keys.
    if (dynamic_cast<wxTextCtrl*>(FindFocus()) != nullptr) {
      event.Skip();
      return;
    }
    ShowWindowMenu(KeyboardMenuPosition());
    return;
  }
  event.Skip();
}

void CTarvelloDlg::OnClose(wxCloseEvent& event) {
  if (m_busy && event.CanVeto()) {
    event.Veto();
    return;
  }
  EndDialogWith(wxID_CANCEL);
}

void CTarvelloDlg::EndDialogWith(int code) {
  if (IsModal()) {
    EndModal(code);
  } else {
    SetReturnCode(code);
    Hide();
  }
}

void CTarvelloDlg::OnPaint(wxPaintEvent& event) {
  if (!IsIconized()) {
    event.Skip();
    return;
  }
  wxPaintDC dc(this);
  const wxIcon icon = m_icons.GetIcon(wxSize(32, 32));
  const wxSize client = GetClientSize();
  const shell::Point at =
      shell::MinimizedIconPosition(client.x, client.y, icon.GetWidth(), icon.GetHeight());
  dc.DrawIcon(icon, at.x, at.y);
}

// ---------------------------------------------------------------------------
// RenameView

std::string CTarvelloDlg::EditText(int id) {
  auto* edit = static_cast<wxTextCtrl*>(FindWindow(id));
  const wxString value = edit->GetValue();
  auto known = m_editTexts.find(id);
  if (known != m_editTexts.end() && known->second.shown == value) return known->second.bytes;
  const wxScopedCharBuffer utf8 = value.utf8_str();
  return std::string(utf8.data(), utf8.length());
}

void CTarvelloDlg::SetEditText(int id, const std::string& text) {
  EditBytes& edit = m_editTexts[id];
  edit.bytes = text;
  edit.shown = ToScreen(text, true);
  static_cast<wxTextCtrl*>(FindWindow(id))->ChangeValue(edit.shown);
}

std::string CTarvelloDlg::FolderText() { return EditText(IDC_FOLDER); }
void CTarvelloDlg::SetFolderText(const std::string& text) { SetEditText(IDC_FOLDER, text); }
std::string CTarvelloDlg::ExtensionText() { return EditText(IDC_EXTENSION); }
void CTarvelloDlg::SetExtensionText(const std::string& text) { SetEditText(IDC_EXTENSION, text); }

RenameMethod CTarvelloDlg::CheckedMethod() {
  for (std::size_t i = 0; i < kMethods.size(); ++i) {
    if (m_methodRadios[i]->GetValue()) return kMethods[i].method;
  }
  return RenameMethod::kNone;
}

void CTarvelloDlg::SetCheckedMethod(RenameMethod method) {
  for (std::size_t i = 0; i < kMethods.size(); ++i) {
    if (kMethods[i].method == method) {
      m_methodRadios[i]->SetValue(true);
      return;
    }
  }
  m_noneRadio->SetValue(true);
}

void CTarvelloDlg::SetActionsEnabled(bool random, bool run) {
  wxWindow* const focus = FindFocus();
  wxWindow* const randomButton = FindWindow(IDC_RANDOM);
  wxWindow* const runButton = FindWindow(IDC_RUN);
  randomButton->Enable(random);
  runButton->Enable(run);
  // A disabled button keeps no focus: the keyboard would belong to nobody.
  if ((focus == randomButton && !random) || (focus == runButton && !run)) MoveFocusOnFrom(focus);
}

void CTarvelloDlg::MoveFocusOnFrom(wxWindow* from) {
  // As the Tab key would: the next control after it that takes the keyboard.
  const wxWindowList& children = GetChildren();
  wxWindowList::compatibility_iterator start = children.Find(from);
  if (!start) return;
  for (wxWindowList::compatibility_iterator node = start->GetNext(); node != start;
       node = node ? node->GetNext() : children.GetFirst()) {
    if (!node) continue;
    wxWindow* child = node->GetData();
    if (child->IsShown() && child->IsEnabled() && child->AcceptsFocusFromKeyboard()) {
      child->SetFocus();
      return;
    }
  }
}

void CTarvelloDlg::RowsChanged() {
  m_oldList->RowsChanged();
  m_newList->RowsChanged();
}

void CTarvelloDlg::SetStatus(const std::string& text) {
  FindWindow(IDC_STATUS)->SetLabel(ToScreen(text, true));
  CenterStatusText();
}

void CTarvelloDlg::CenterStatusText() {
  // The status line is centred both ways in its area.
  wxWindow* status = FindWindow(IDC_STATUS);
  const int height = std::min(status->GetBestSize().y, m_statusArea.height);
  status->SetSize(m_statusArea.x, m_statusArea.y + (m_statusArea.height - height) / 2,
                  m_statusArea.width, height);
}

void CTarvelloDlg::ShowBusy(const std::string& text) {
  m_overlay->SetLabel(ToScreen(text, true));
  ShowOverlay(true);
  m_overlay->PaintNow();
}

void CTarvelloDlg::HideBusy() {
  ShowOverlay(false);
  m_overlay->SetLabel(wxString());
  if (m_busy) LeaveBusy();
}

bool CTarvelloDlg::ShowProgress(const std::string& text) {
  if (!m_busy) EnterBusy();
  m_overlay->SetLabel(ToScreen(text, true));
  ShowOverlay(true);
  m_overlay->PaintNow();
  ServeWindow();
  return !m_stopRequested;
}

void CTarvelloDlg::EnterBusy() {
  m_busy = true;
  m_stopRequested = false;
  m_focusBeforeBusy = FindFocus();
  m_enabledBeforeBusy.clear();
  for (wxWindow* child : GetChildren()) {
    if (child == m_overlay) continue;
    m_enabledBeforeBusy[child] = child->IsThisEnabled();
    child->Disable();
  }
  // The keys come to the overlay, for Esc.
  m_overlay->Enable();
  m_overlay->TakeKeys(true);
  m_overlay->SetFocus();
}

void CTarvelloDlg::LeaveBusy() {
  m_overlay->TakeKeys(false);
  m_overlay->Disable();
  for (const auto& [child, enabled] : m_enabledBeforeBusy) child->Enable(enabled);
  m_enabledBeforeBusy.clear();
  m_busy = false;
  if (m_focusBeforeBusy != nullptr && m_focusBeforeBusy->IsEnabled()) m_focusBeforeBusy->SetFocus();
  m_focusBeforeBusy = nullptr;
}

void CTarvelloDlg::ServeWindow() { YieldForEvents(wxEVT_CATEGORY_ALL); }

void CTarvelloDlg::EnableUndo(bool enable) { m_undoEnabled = enable; }

void CTarvelloDlg::ShowOverlay(bool show) {
  if (m_overlay->IsShown() == show) return;
  m_overlay->Show(show);
  // Labels are drawn on the dialog itself, over any sibling window; the
  // ones the overlay lies on (the arrow between the lists) give way to it.
  for (wxWindow* child : GetChildren()) {
    if (dynamic_cast<wxStaticText*>(child) && child->GetRect().Intersects(m_overlay->GetRect())) {
      child->Show(!show);
    }
  }
}

bool CTarvelloDlg::AskYesNo(const std::string& text, const std::string& caption) {
  wxMessageDialog question(this, ToScreen(text, false), ToScreen(caption, false),
                           wxYES_NO | wxICON_QUESTION);
  return question.ShowModal() == wxID_YES;
}

void CTarvelloDlg::ShowMessage(const std::string& text) {
  wxMessageDialog message(this, ToScreen(text, false), shell::kAppTitle, wxOK);
  message.ShowModal();
}
