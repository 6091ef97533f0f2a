#include "dialog/tarvello_dlg.h"

#include "dialog/about_dlg.h"
#include "dialog/app_icon.h"
#include "dialog/control_table.h"
#include "dialog/name_list.h"
#include "dialog/overlay.h"
#include "shell/texts.h"
#include "button_commands.h"
#include "shell/window_rules.h"
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
// The window menu's item that removes the other systems' files.
constexpr int kMenuClean = wxID_CLEAR;


}  // namespace

wxBEGIN_EVENT_TABLE(CTarvelloDlg, wxDialog)
  EVT_PAINT(CTarvelloDlg::OnPaint)
  EVT_BUTTON(wxID_ANY, CTarvelloDlg::OnButton)
  EVT_CHAR_HOOK(CTarvelloDlg::OnCharHook)
  EVT_CHILD_FOCUS(CTarvelloDlg::OnChildFocus)
  EVT_ACTIVATE(CTarvelloDlg::OnActivate)
  EVT_CONTEXT_MENU(CTarvelloDlg::OnContextMenu)
  EVT_CLOSE(CTarvelloDlg::OnClose)
  EVT_DROP_FILES(CTarvelloDlg::OnDropFiles)
wxEND_EVENT_TABLE()

CTarvelloDlg::CTarvelloDlg(wxWindow* parent) : CTarvelloDlg(parent, Options()) {}

CTarvelloDlg::CTarvelloDlg(wxWindow* parent, Options options)
    : m_folderPicker(options.folderPicker ? std::move(options.folderPicker)
                                          : FolderPicker(&CTarvelloDlg::PickFolderWithDialog)),
      m_openFolder(std::move(options.openFolder)),
      m_workflow(*this, std::move(options.services)) {
  Create(parent, wxID_ANY, shell::kAppTitle, wxDefaultPosition, wxDefaultSize,
         wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
  m_icons = TarvelloIcons();
  CreateControls();
  OnInitDialog();
  m_timer.Bind(wxEVT_TIMER, &CTarvelloDlg::OnTimer, this);
  Bind(wxEVT_IDLE, [this](wxIdleEvent& event) {
    // A long Run goes on whenever the window has nothing else to do:
    // painting and the keyboard come first.
    if (!m_workflow.state().sessionRunning) return;
    m_workflow.Do(Command::kTick);
    if (m_workflow.state().sessionRunning) event.RequestMore();
  });
  SyncTimer();
  // A folder dropped on the window is searched as one picked with select.
  DragAcceptFiles(true);
  if (!m_openFolder.empty()) {
    CallAfter([this] { m_workflow.SelectFolder(m_openFolder); });
  }
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
        auto* list = new CNameList(this, id, pos, size, m_workflow,
                                   old ? ListSide::kOld : ListSide::kNew);
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
  m_workflow.Start();
  FindWindow(IDC_ABOUT)->SetFocus();
  return true;
}

// ---------------------------------------------------------------------------
// Buttons, keys and the window menu: commands for the workflow

void CTarvelloDlg::Do(Command command) {
  m_workflow.Do(command);
  SyncTimer();
}

void CTarvelloDlg::OnButton(wxCommandEvent& event) {
  if (const std::optional<Command> command = CommandOfButton(event.GetId())) {
    Do(*command);
    return;
  }
  event.Skip();
}

bool CTarvelloDlg::PickFolderWithDialog(wxWindow* parent, std::string* path) {
  // No folder is pre-selected: the picker opens where the toolkit starts it.
  wxDirDialog dialog(parent, shell::kFolderPickerTitle, wxEmptyString,
                     wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
  if (dialog.ShowModal() != wxID_OK) return false;
  const wxCharBuffer bytes = dialog.GetPath().fn_str();
  *path = std::string(bytes.data(), bytes.length());
  return true;
}

void CTarvelloDlg::OnTimer(wxTimerEvent&) {
  if (IsShown()) m_workflow.Do(Command::kTick);
  SyncTimer();
}

void CTarvelloDlg::SyncTimer() {
  // The preview's look now and then; a long Run is stepped when idle.
  const int interval = m_workflow.TickIntervalMs();
  if (interval == m_timerInterval) return;
  m_timerInterval = interval;
  if (interval > 0) {
    m_timer.Start(interval);
  } else {
    m_timer.Stop();
  }
}

void CTarvelloDlg::OnDropFiles(wxDropFilesEvent& event) {
  if (event.GetNumberOfFiles() < 1) return;
  const wxCharBuffer bytes = event.GetFiles()[0].fn_str();
  m_workflow.SelectFolder(std::string(bytes.data(), bytes.length()));
  SyncTimer();
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
  // As the system menu of a Windows dialog: its own Close, then the entries
  // the program appends after a separator.
  auto menu = std::make_unique<wxMenu>();
  menu->Append(kMenuClose, "&Close");
  menu->AppendSeparator();
  menu->Append(kMenuUndo, shell::kUndoMenuText);
  menu->Enable(kMenuUndo, m_workflow.Can(Command::kUndo));
  menu->Append(kMenuClean, shell::kCleanMenuText);
  menu->Enable(kMenuClean, m_workflow.Can(Command::kClean));
  menu->Append(IDM_ABOUTBOX, wxString::FromUTF8(shell::kAboutMenuText));
  return menu;
}

void CTarvelloDlg::ShowWindowMenu(const wxPoint& position) {
  std::unique_ptr<wxMenu> menu = CreateWindowMenu();
  const int choice = GetPopupMenuSelectionFromUser(*menu, position);
  if (choice == IDM_ABOUTBOX) OnSysCommand(IDM_ABOUTBOX, 0);
  if (choice == kMenuUndo) Do(Command::kUndo);
  if (choice == kMenuClean) Do(Command::kClean);
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
  // The window menu offers the workflow's commands: none while it takes none.
  if (!m_workflow.idle()) return;
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
  const shell::Key which = key == WXK_ESCAPE ? shell::Key::kEscape : key == 'Z' ? shell::Key::kZ : shell::Key::kOther;
  switch (shell::ActionOfKey(which, modifiers == wxMOD_CONTROL, modifiers == wxMOD_NONE,
                             dynamic_cast<wxTextCtrl*>(FindFocus()) != nullptr, m_workflow.state())) {
    case shell::KeyAction::kSwallow: return;
    case shell::KeyAction::kStop: Do(Command::kStop); return;
    case shell::KeyAction::kUndo: Do(Command::kUndo); return;
    case shell::KeyAction::kClose: EndDialogWith(wxID_CANCEL); return;
    case shell::KeyAction::kDefault: break;
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

void CTarvelloDlg::OnChildFocus(wxChildFocusEvent& event) {
  m_lastFocus = event.GetWindow();
  event.Skip();
}

void CTarvelloDlg::OnActivate(wxActivateEvent& event) {
  event.Skip();
  // Back from another window (a question box): the keyboard goes on from
  // the control that had it, if that can no longer take it.
  if (event.GetActive()) CallAfter([this] { MoveFocusOnFrom(KeyboardOwner()); });
}

void CTarvelloDlg::OnClose(wxCloseEvent& event) {
  if (m_workflow.state().sessionRunning && event.CanVeto()) {
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
  // The buffer may point into the string: both live to the end.
  const wxString value = static_cast<wxTextCtrl*>(FindWindow(id))->GetValue();
  const wxScopedCharBuffer utf8 = value.utf8_str();
  return m_editTexts[id].Bytes(std::string(utf8.data(), utf8.length()));
}

void CTarvelloDlg::SetEditText(int id, const std::string& text) {
  static_cast<wxTextCtrl*>(FindWindow(id))->ChangeValue(wxString::FromUTF8(m_editTexts[id].Show(text)));
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

void CTarvelloDlg::StateChanged() {
  const WorkflowState& state = m_workflow.state();
  if (state.sessionRunning && !m_locked) LockInput();
  if (!state.sessionRunning && m_locked) UnlockInput();
  if (!m_locked) {
    wxWindow* const owner = KeyboardOwner();
    FindWindow(IDC_RANDOM)->Enable(state.randomEnabled);
    FindWindow(IDC_RUN)->Enable(state.runEnabled);
    // A disabled button keeps no keyboard: it would belong to nobody.
    MoveFocusOnFrom(owner);
  }
  const wxString status = ToScreen(shell::StatusText(state.status), true);
  wxWindow* const statusLine = FindWindow(IDC_STATUS);
  if (statusLine->GetLabel() != status) {
    statusLine->SetLabel(status);
    CenterStatusText();
  }
  const std::string busy = shell::BusyText(state.busy);
  const wxString overlay = ToScreen(busy, true);
  if (m_overlay->GetLabel() != overlay) m_overlay->SetLabel(overlay);
  ShowOverlay(!busy.empty());
}

void CTarvelloDlg::PaintNow() { m_overlay->PaintNow(); }

wxWindow* CTarvelloDlg::KeyboardOwner() {
  wxWindow* focus = FindFocus();
  while (focus != nullptr && focus->GetParent() != this) focus = focus->GetParent();
  return focus != nullptr ? focus : m_lastFocus;
}

void CTarvelloDlg::MoveFocusOnFrom(wxWindow* from) {
  if (from == nullptr || (from->IsEnabled() && from->IsShown())) return;
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
      m_lastFocus = child;
      return;
    }
  }
}

void CTarvelloDlg::RowsChanged() {
  m_oldList->RowsChanged();
  m_newList->RowsChanged();
}

void CTarvelloDlg::CenterStatusText() {
  // The status line is centred both ways in its area.
  wxWindow* status = FindWindow(IDC_STATUS);
  const int height = std::min(status->GetBestSize().y, m_statusArea.height);
  status->SetSize(m_statusArea.x, m_statusArea.y + (m_statusArea.height - height) / 2,
                  m_statusArea.width, height);
}

void CTarvelloDlg::LockInput() {
  Locked locked;
  locked.focus = KeyboardOwner();
  for (wxWindow* child : GetChildren()) {
    if (child == m_overlay) continue;
    locked.enabled[child] = child->IsThisEnabled();
    child->Disable();
  }
  m_locked = std::move(locked);
  // The keys come to the overlay, for Esc.
  m_overlay->Enable();
  m_overlay->TakeKeys(true);
  m_overlay->SetFocus();
}

void CTarvelloDlg::UnlockInput() {
  m_overlay->TakeKeys(false);
  m_overlay->Disable();
  for (const auto& [child, enabled] : m_locked->enabled) child->Enable(enabled);
  wxWindow* const focus = m_locked->focus;
  m_locked.reset();
  if (focus != nullptr && focus->IsEnabled()) {
    focus->SetFocus();
    m_lastFocus = focus;
  }
}

void CTarvelloDlg::ShowOverlay(bool show) {
  if (m_overlay->IsShown() == show) return;
  m_overlay->Show(show);
  // Labels are drawn on the dialog itself, over any sibling window; the
  // ones the overlay lies on (the arrow between the lists) give way to it.
  const auto rectOf = [](const wxRect& r) { return shell::Rect{r.x, r.y, r.width, r.height}; };
  for (wxWindow* child : GetChildren()) {
    if (dynamic_cast<wxStaticText*>(child) &&
        shell::GivesWayToOverlay(rectOf(child->GetRect()), rectOf(m_overlay->GetRect()))) {
      child->Show(!show);
    }
  }
}

bool CTarvelloDlg::Ask(const Question& question) {
  const shell::QuestionWords words = shell::WordsOf(question);
  wxMessageDialog box(this, ToScreen(words.text, false), ToScreen(words.caption, false), wxYES_NO | wxICON_QUESTION);
  return box.ShowModal() == wxID_YES;
}

void CTarvelloDlg::Tell(const Message& message) { ShowText(shell::WordsOf(message)); }

void CTarvelloDlg::Report(const SessionReport& report) {
  const std::string text = shell::ReportText(report);
  if (!text.empty()) ShowText(text);
}

void CTarvelloDlg::ShowText(const std::string& text) {
  wxMessageDialog box(this, ToScreen(text, false), shell::kAppTitle, wxOK);
  box.ShowModal();
}

bool CTarvelloDlg::PickFolder(std::string* path) { return m_folderPicker(this, path); }
