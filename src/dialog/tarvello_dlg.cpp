#include "dialog/tarvello_dlg.h"

#include "app/about_dlg.h"
#include "app/app_icon.h"
#include "app/credits.h"
#include "dialog/control_table.h"
#include "dialog/name_list.h"
#include "dialog/overlay.h"
#include "platform/bytes.h"
#include "platform/exepath.h"
#include "rename/control_ids.h"

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

// The program's title, which captions its plain message boxes.
const char kAppTitle[] = "Tarvello";

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
    : m_ownRandom(options.random ? nullptr : new platform::ClockRandom()),
      m_ownPauser(options.pauser ? nullptr : new platform::SleepPauser()),
      m_options(std::move(options)),
      m_state(*this, m_options.random ? *m_options.random : *m_ownRandom,
              m_options.pauser ? *m_options.pauser : *m_ownPauser,
              m_options.executablePath.empty() ? platform::ExecutablePath()
                                               : m_options.executablePath) {
  if (!m_options.folderPicker) m_options.folderPicker = &CTarvelloDlg::PickFolderWithDialog;
  Create(parent, wxID_ANY, kAppTitle, wxDefaultPosition, wxDefaultSize,
         wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
  m_icons = TarvelloIcons();
  CreateControls();
  OnInitDialog();
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
                                       id == IDC_ADD ? wxRB_GROUP : 0);
        if (id == IDC_ADD) m_addRadio = radio;
        if (id == IDC_REPLACE) m_replaceRadio = radio;
        if (id == IDC_DELETE) {
          m_deleteRadio = radio;
          // The group's hidden fourth member: a radio group always has one
          // member checked, and this one stands for "none of the three".
          m_noneRadio = new CMethodRadio(this, wxID_ANY, wxString(), pos, wxSize(0, 0));
          m_noneRadio->Hide();
        }
        control = radio;
        break;
      }
      case ControlKind::List: {
        auto* list = new CNameList(this, id, pos, size);
        (id == IDC_OLD_LIST ? m_oldList : m_newList) = list;
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
    if (id == IDC_RANDOM) m_randomButton = static_cast<wxButton*>(control);
    if (id == IDC_RUN) m_runButton = static_cast<wxButton*>(control);
  }
  SetClientSize(ConvertDialogToPixels(wxSize(kDialogWidthDu, kDialogHeightDu)));
}

bool CTarvelloDlg::OnInitDialog() {
  SetIcons(m_icons);
  m_state.InitRenameState();
  FindWindow(IDC_ABOUT)->SetFocus();
  return true;
}

// ---------------------------------------------------------------------------
// Buttons and the window menu

void CTarvelloDlg::OnButton(wxCommandEvent& event) {
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

void CTarvelloDlg::OnAbout() { ShowMessage(CreditsText()); }

void CTarvelloDlg::OnSelectFolder() {
  std::string path;
  if (!m_options.folderPicker(this, &path)) return;
  SetDlgItemText(IDC_FOLDER, path);
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

void CTarvelloDlg::OnSearch() {
  m_state.OnSearch();
  SyncLists();
}

void CTarvelloDlg::OnRandom() {
  m_state.OnRandom();
  SyncLists();
}

void CTarvelloDlg::OnRun() {
  m_state.OnRun();
  SyncLists();
}

void CTarvelloDlg::OnExpress() {
  m_state.OnExpress();
  SyncLists();
}

void CTarvelloDlg::OnSysCommand(unsigned id, long) {
  if ((id & 0xFFF0) == kIdmAboutBox) {
    CAboutDlg about(this);
    about.ShowModal();
    return;
  }
  // The default handling: of the window commands, only Close means
  // anything to this window.
  if ((id & 0xFFF0) == kScClose) EndDialogWith(wxID_CANCEL);
}

std::unique_ptr<wxMenu> CTarvelloDlg::CreateWindowMenu() {
  auto menu = std::make_unique<wxMenu>();
  menu->Append(static_cast<int>(kIdmAboutBox), wxString::FromUTF8("Tarvello 정보(&A)..."));
  menu->AppendSeparator();
  menu->Append(kMenuClose, "&Close");
  return menu;
}

void CTarvelloDlg::ShowWindowMenu(const wxPoint& position) {
  std::unique_ptr<wxMenu> menu = CreateWindowMenu();
  const int choice = GetPopupMenuSelectionFromUser(*menu, position);
  if (choice == static_cast<int>(kIdmAboutBox)) OnSysCommand(kIdmAboutBox, 0);
  if (choice == kMenuClose) OnSysCommand(kScClose, 0);
}

void CTarvelloDlg::OnContextMenu(wxContextMenuEvent& event) {
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
    ShowWindowMenu(wxPoint(0, 0));
    return;
  }
  event.Skip();
}

void CTarvelloDlg::OnClose(wxCloseEvent&) { EndDialogWith(wxID_CANCEL); }

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
  dc.DrawIcon(icon, MinimizedIconPosition(client.x, client.y, icon.GetWidth(), icon.GetHeight()));
}

// ---------------------------------------------------------------------------
// DialogControls

CNameList* CTarvelloDlg::list(int id) {
  return id == IDC_OLD_LIST ? m_oldList : id == IDC_NEW_LIST ? m_newList : nullptr;
}

void CTarvelloDlg::SyncLists() {
  m_oldList->SyncRowCount();
  m_newList->SyncRowCount();
}

void CTarvelloDlg::SetDlgItemText(int id, const std::string& text) {
  switch (id) {
    case IDC_FOLDER:
    case IDC_EXTENSION: {
      EditText& edit = m_editTexts[id];
      edit.bytes = text;
      edit.shown = ToScreen(text, true);
      static_cast<wxTextCtrl*>(FindWindow(id))->ChangeValue(edit.shown);
      break;
    }
    case IDC_STATUS:
      FindWindow(id)->SetLabel(ToScreen(text, true));
      CenterStatusText();
      break;
    case IDC_OVERLAY:
      SyncLists();
      m_overlay->SetLabel(ToScreen(text, true));
      m_overlay->PaintNow();
      break;
    default:
      if (wxWindow* control = FindWindow(id)) control->SetLabel(ToScreen(text, true));
      break;
  }
}

void CTarvelloDlg::CenterStatusText() {
  // The status line is centred both ways in its area.
  wxWindow* status = FindWindow(IDC_STATUS);
  const int height = std::min(status->GetBestSize().y, m_statusArea.height);
  status->SetSize(m_statusArea.x, m_statusArea.y + (m_statusArea.height - height) / 2,
                  m_statusArea.width, height);
}

std::string CTarvelloDlg::GetDlgItemText(int id) {
  auto* edit = dynamic_cast<wxTextCtrl*>(FindWindow(id));
  if (edit == nullptr) return std::string();
  const wxString value = edit->GetValue();
  auto known = m_editTexts.find(id);
  if (known != m_editTexts.end() && known->second.shown == value) return known->second.bytes;
  const wxScopedCharBuffer utf8 = value.utf8_str();
  return std::string(utf8.data(), utf8.length());
}

void CTarvelloDlg::EnableItem(int id, bool enable) {
  if (wxWindow* control = FindWindow(id)) control->Enable(enable);
}

void CTarvelloDlg::ShowItem(int id, bool show) {
  wxWindow* control = FindWindow(id);
  if (control == nullptr) return;
  if (id == IDC_OVERLAY) SyncLists();
  control->Show(show);
  if (id == IDC_OVERLAY) {
    // Labels are drawn on the dialog itself, over any sibling window; the
    // ones the overlay lies on (the arrow between the lists) give way to it.
    for (wxWindow* child : GetChildren()) {
      if (dynamic_cast<wxStaticText*>(child) && child->GetRect().Intersects(control->GetRect())) {
        child->Show(!show);
      }
    }
    if (show) m_overlay->PaintNow();
  }
}

bool CTarvelloDlg::GetCheck(int id) {
  auto* radio = dynamic_cast<wxRadioButton*>(FindWindow(id));
  return radio != nullptr && radio->GetValue();
}

void CTarvelloDlg::SetCheck(int id, bool checked) {
  auto* radio = dynamic_cast<wxRadioButton*>(FindWindow(id));
  if (radio == nullptr) return;
  if (checked) {
    radio->SetValue(true);
  } else if (radio->GetValue()) {
    m_noneRadio->SetValue(true);
  }
}

void CTarvelloDlg::ListClear(int id) { list(id)->Clear(); }

void CTarvelloDlg::ListAppend(int id, const std::string& number, const std::string& name) {
  list(id)->Append(number, name);
}

const std::string& CTarvelloDlg::ListGetName(int id, int row) {
  return list(id)->Name(static_cast<std::size_t>(row));
}

bool CTarvelloDlg::AskYesNo(const std::string& text, const std::string& caption) {
  SyncLists();
  wxMessageDialog question(this, ToScreen(text, false), ToScreen(caption, false),
                           wxYES_NO | wxICON_QUESTION);
  return question.ShowModal() == wxID_YES;
}

void CTarvelloDlg::ShowMessage(const std::string& text) {
  SyncLists();
  wxMessageDialog message(this, ToScreen(text, false), kAppTitle, wxOK);
  message.ShowModal();
}
