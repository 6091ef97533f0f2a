#include "win32/tarvello_dlg.h"

#include "resource.h"
#include "shell/shell.h"
#include "shell/texts.h"
#include "button_commands.h"
#include "shell/window_rules.h"
#include "win32/about_dlg.h"
#include "win32/text.h"

#include <commctrl.h>
#include <shlobj.h>

#include <array>

namespace {

// The method radio buttons, in the order of kMethods.
constexpr std::array<int, 3> kMethodRadioIds = {IDC_ADD, IDC_REPLACE, IDC_DELETE};

// The timer that ticks the workflow: now and then for the preview, as
// often as the system allows while a long Run goes on.
constexpr UINT_PTR kTickTimer = 1;
// Messages the dialog sends itself: a folder to search once it shows, and a
// look at where the keyboard went when the window got active again.
constexpr UINT kOpenFolderMessage = WM_APP + 1;
constexpr UINT kCheckFocusMessage = WM_APP + 2;

// The dialog that runs now; the keyboard filter reaches it here.
CTarvelloDlg* g_running = nullptr;

bool IsClass(HWND window, const wchar_t* name) {
  wchar_t className[32] = {};
  GetClassNameW(window, className, 32);
  return lstrcmpiW(className, name) == 0;
}

}  // namespace

CTarvelloDlg::CTarvelloDlg(HWND parent, WorkflowServices services, std::string openFolder)
    : parent_(parent),
      icon_(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      openFolder_(std::move(openFolder)),
      workflow_(*this, std::move(services)),
      oldList_(workflow_, ListSide::kOld),
      newList_(workflow_, ListSide::kNew) {}

CTarvelloDlg::~CTarvelloDlg() = default;

INT_PTR CTarvelloDlg::DoModal() {
  // Ctrl+Z reaches the dialog through a filter of its modal loop's keys.
  const HHOOK filter = SetWindowsHookExW(WH_MSGFILTER, &CTarvelloDlg::KeyFilter, nullptr,
                                         GetCurrentThreadId());
  CTarvelloDlg* const outer = g_running;
  g_running = this;
  const INT_PTR result =
      DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TARVELLO_DIALOG), parent_,
                      &CTarvelloDlg::DialogProc, reinterpret_cast<LPARAM>(this));
  g_running = outer;
  if (filter != nullptr) UnhookWindowsHookEx(filter);
  return result;
}

LRESULT CALLBACK CTarvelloDlg::KeyFilter(int code, WPARAM wParam, LPARAM lParam) {
  if (code == MSGF_DIALOGBOX && g_running != nullptr && g_running->hwnd_ != nullptr) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    const HWND dialog = g_running->hwnd_;
    const bool controlOnly = GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_MENU) >= 0;
    if (msg->message == WM_KEYDOWN && msg->wParam == 'Z' && GetAncestor(msg->hwnd, GA_ROOT) == dialog &&
        shell::ActionOfKey(shell::Key::kZ, controlOnly, false, IsClass(msg->hwnd, L"Edit"),
                           g_running->workflow_.state()) == shell::KeyAction::kUndo) {
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDM_UNDO, 0), 0);
      return TRUE;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

INT_PTR CALLBACK CTarvelloDlg::DialogProc(HWND dialog, UINT message, WPARAM wParam,
                                          LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<CTarvelloDlg*>(lParam);
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    self->hwnd_ = dialog;
    return self->OnInitDialog();
  }
  auto* self = reinterpret_cast<CTarvelloDlg*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (self == nullptr) return FALSE;
  const INT_PTR handled = self->OnMessage(message, wParam, lParam);
  if (message == WM_NCDESTROY) self->hwnd_ = nullptr;
  return handled;
}

INT_PTR CTarvelloDlg::Result(LRESULT result) {
  SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
  return TRUE;
}

INT_PTR CTarvelloDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      // Buttons (and Enter and Esc, as IDOK and IDCANCEL) click; the edit
      // boxes' own notifications change nothing.
      if (HIWORD(wParam) == BN_CLICKED) OnCommand(LOWORD(wParam));
      return TRUE;
    case WM_SYSCOMMAND:
      if (workflow_.state().sessionRunning) return TRUE;
      return OnSysCommand(static_cast<UINT>(wParam)) ? TRUE : FALSE;
    case WM_PAINT:
      return OnPaint() ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
      return Result(reinterpret_cast<LRESULT>(icon_));
    case WM_NOTIFY:
      return Result(OnNotify(reinterpret_cast<const NMHDR*>(lParam)));
    case WM_CONTEXTMENU:
      OnContextMenu(reinterpret_cast<HWND>(wParam), lParam);
      return TRUE;
    case WM_INITMENU:
      // The window menu opens (from the title bar, Alt+Space or the
      // keyboard): its entries as the workflow takes commands now.
      if (reinterpret_cast<HMENU>(wParam) == GetSystemMenu(hwnd_, FALSE)) UpdateWindowMenu();
      return FALSE;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return TRUE;
    case WM_TIMER:
      if (wParam == kTickTimer) {
        workflow_.Do(Command::kTick);
        SyncTimer();
      }
      return TRUE;
    case WM_ACTIVATE:
      // Back from another window (a question box): the keyboard goes on from
      // the control that had it, if that can no longer take it.
      if (LOWORD(wParam) != WA_INACTIVE) PostMessageW(hwnd_, kCheckFocusMessage, 0, 0);
      return FALSE;
    case kCheckFocusMessage:
      MoveFocusOnFrom(GetFocus());
      return TRUE;
    case kOpenFolderMessage:
      workflow_.SelectFolder(openFolder_);
      SyncTimer();
      return TRUE;
    case WM_DESTROY:
      KillTimer(hwnd_, kTickTimer);
      return FALSE;
    default:
      return FALSE;
  }
}

BOOL CTarvelloDlg::OnInitDialog() {
  // The window menu ends with a separator, Undo of the last Run, the
  // removal of the other systems' files and the About entry.
  if (HMENU menu = GetSystemMenu(hwnd_, FALSE)) {
    wchar_t about[128] = {};
    if (LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX, about, 128) > 0) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      AppendMenuW(menu, MF_STRING | MF_GRAYED, IDM_UNDO,
                  win32::ToScreen(shell::kUndoMenuText, false).c_str());
      AppendMenuW(menu, MF_STRING, IDM_CLEAN, win32::ToScreen(shell::kCleanMenuText, false).c_str());
      AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, about);
    }
  }
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  oldList_.Attach(GetDlgItem(hwnd_, IDC_OLD_LIST));
  newList_.Attach(GetDlgItem(hwnd_, IDC_NEW_LIST));
  workflow_.Start();
  SyncTimer();
  // A folder dropped on the window is searched as one picked with select.
  DragAcceptFiles(hwnd_, TRUE);
  if (!openFolder_.empty()) PostMessageW(hwnd_, kOpenFolderMessage, 0, 0);
  // The dialog manager gives the focus to the first tab stop, "About".
  return TRUE;
}

void CTarvelloDlg::Do(Command command) {
  workflow_.Do(command);
  SyncTimer();
}

void CTarvelloDlg::SyncTimer() {
  // At once while a long Run goes on (the system's shortest timer), and for
  // the preview now and then otherwise.
  const int ticks = workflow_.TickIntervalMs();
  const UINT interval = ticks > 0 ? static_cast<UINT>(ticks) : USER_TIMER_MINIMUM;
  if (interval == timerInterval_) return;
  timerInterval_ = interval;
  SetTimer(hwnd_, kTickTimer, interval, nullptr);
}

void CTarvelloDlg::OnCommand(int id) {
  if (id == IDOK || id == IDCANCEL) {
    // Esc (and the Close box) come as IDCANCEL, Enter as IDOK.
    const shell::Key key = id == IDCANCEL ? shell::Key::kEscape : shell::Key::kOther;
    switch (shell::ActionOfKey(key, false, true, false, workflow_.state())) {
      case shell::KeyAction::kStop: Do(Command::kStop); return;
      case shell::KeyAction::kSwallow: return;
      default: break;
    }
    // Nothing is saved at closing.
    if (workflow_.idle()) EndDialog(hwnd_, id);
    return;
  }
  if (id == IDM_UNDO) {
    Do(Command::kUndo);
  } else if (const std::optional<Command> command = CommandOfButton(id)) {
    Do(*command);
  }
}

bool CTarvelloDlg::OnSysCommand(UINT id) {
  if ((id & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg about(hwnd_);
    about.DoModal();
    return true;
  }
  if ((id & 0xFFF0) == IDM_UNDO) {
    Do(Command::kUndo);
    return true;
  }
  if ((id & 0xFFF0) == IDM_CLEAN) {
    Do(Command::kClean);
    return true;
  }
  return false;  // the default handling: Move, Close and the rest
}

bool CTarvelloDlg::OnPaint() {
  if (!IsIconic(hwnd_)) return false;
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(hwnd_, &paint);
  SendMessageW(hwnd_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  GetClientRect(hwnd_, &client);
  const shell::Point at =
      shell::MinimizedIconPosition(client.right - client.left, client.bottom - client.top,
                                   GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
  DrawIcon(dc, at.x, at.y, icon_);
  EndPaint(hwnd_, &paint);
  return true;
}

LRESULT CTarvelloDlg::OnNotify(const NMHDR* header) {
  CNameListView* list = header->hwndFrom == oldList_.hwnd()   ? &oldList_
                        : header->hwndFrom == newList_.hwnd() ? &newList_
                                                              : nullptr;
  if (list == nullptr) return 0;
  switch (header->code) {
    case LVN_GETDISPINFOW:
      list->OnGetDispInfo(reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(header)));
      return 0;
    case NM_CUSTOMDRAW:
      return list->OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(header)));
    case LVN_GETINFOTIPW:
      list->OnGetInfoTip(reinterpret_cast<NMLVGETINFOTIPW*>(const_cast<NMHDR*>(header)));
      return 0;
    default:
      return 0;
  }
}

void CTarvelloDlg::OnContextMenu(HWND source, LPARAM position) {
  // The window menu offers the workflow's commands: none while it takes none.
  if (!workflow_.idle()) return;
  if (position == -1) {
    // From the keyboard (Shift+F10, the Menu key): below the control with
    // the focus, as menus opened from the keyboard open. The edit boxes
    // open their own menu and never get here.
    HWND control = GetFocus();
    while (control != nullptr && GetParent(control) != hwnd_) control = GetParent(control);
    RECT rect;
    if (control == nullptr || !GetWindowRect(control, &rect)) GetWindowRect(hwnd_, &rect);
    ShowWindowMenu(POINT{rect.left, control != nullptr ? rect.bottom : rect.top});
    return;
  }
  // A right click on the dialog's own background, labels and frames.
  const bool background = source == hwnd_ || IsClass(source, L"Static") ||
                          (IsClass(source, L"Button") &&
                           (GetWindowLongW(source, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX);
  if (background) {
    ShowWindowMenu(POINT{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))});
  }
}

void CTarvelloDlg::OnDropFiles(HDROP drop) {
  const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  std::wstring path(length + 1, L'\0');
  if (length > 0 && DragQueryFileW(drop, 0, &path[0], length + 1) == length) {
    path.resize(length);
    workflow_.SelectFolder(win32::FromScreen(path));
    SyncTimer();
  }
  DragFinish(drop);
}

void CTarvelloDlg::ShowWindowMenu(POINT at) {
  const HMENU menu = GetSystemMenu(hwnd_, FALSE);
  if (menu == nullptr) return;
  UpdateWindowMenu();
  const UINT command =
      static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON,
                                       at.x, at.y, 0, hwnd_, nullptr));
  if (command != 0) SendMessageW(hwnd_, WM_SYSCOMMAND, command, 0);
}

bool CTarvelloDlg::PickFolder(std::string* path) {
  wchar_t displayName[MAX_PATH] = {};
  BROWSEINFOW browse{};
  browse.hwndOwner = hwnd_;
  browse.pszDisplayName = displayName;
  const std::wstring title = win32::ToScreen(shell::kFolderPickerTitle, false);
  browse.lpszTitle = title.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
  if (chosen == nullptr) return false;  // cancelled: nothing changes
  wchar_t chosenPath[MAX_PATH] = {};
  SHGetPathFromIDListW(chosen, chosenPath);
  CoTaskMemFree(chosen);
  *path = win32::FromScreen(chosenPath);
  return true;
}

// ---------------------------------------------------------------------------
// RenameView

std::string CTarvelloDlg::EditText(int id) {
  const HWND edit = GetDlgItem(hwnd_, id);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(edit, &text[0], static_cast<int>(text.size()))));
  return editTexts_[id].Bytes(win32::FromScreen(text));
}

void CTarvelloDlg::SetEditText(int id, const std::string& text) {
  SetDlgItemTextW(hwnd_, id, win32::ToScreen(editTexts_[id].Show(text), false).c_str());
}

std::string CTarvelloDlg::FolderText() { return EditText(IDC_FOLDER); }
void CTarvelloDlg::SetFolderText(const std::string& text) { SetEditText(IDC_FOLDER, text); }
std::string CTarvelloDlg::ExtensionText() { return EditText(IDC_EXTENSION); }
void CTarvelloDlg::SetExtensionText(const std::string& text) { SetEditText(IDC_EXTENSION, text); }

RenameMethod CTarvelloDlg::CheckedMethod() {
  for (std::size_t i = 0; i < kMethods.size(); ++i) {
    if (IsDlgButtonChecked(hwnd_, kMethodRadioIds[i]) == BST_CHECKED) return kMethods[i].method;
  }
  return RenameMethod::kNone;
}

void CTarvelloDlg::SetCheckedMethod(RenameMethod method) {
  for (std::size_t i = 0; i < kMethods.size(); ++i) {
    CheckDlgButton(hwnd_, kMethodRadioIds[i], BST_UNCHECKED);
  }
  for (std::size_t i = 0; i < kMethods.size(); ++i) {
    if (kMethods[i].method == method) CheckDlgButton(hwnd_, kMethodRadioIds[i], BST_CHECKED);
  }
}

void CTarvelloDlg::StateChanged() {
  const WorkflowState& state = workflow_.state();
  if (state.sessionRunning && !locked_) LockInput();
  if (!state.sessionRunning && locked_) UnlockInput();
  if (!locked_) {
    const HWND focus = GetFocus();
    EnableWindow(GetDlgItem(hwnd_, IDC_RANDOM), state.randomEnabled ? TRUE : FALSE);
    EnableWindow(GetDlgItem(hwnd_, IDC_RUN), state.runEnabled ? TRUE : FALSE);
    // A disabled button keeps no keyboard: it would belong to nobody.
    MoveFocusOnFrom(focus);
  }
  SetDlgItemTextW(hwnd_, IDC_STATUS, win32::ToScreen(shell::StatusText(state.status), true).c_str());
  const std::string busy = shell::BusyText(state.busy);
  if (!busy.empty()) {
    SetDlgItemTextW(hwnd_, IDC_OVERLAY, win32::ToScreen(busy, true).c_str());
    ShowOverlay(true);
  } else {
    ShowOverlay(false);
    SetDlgItemTextW(hwnd_, IDC_OVERLAY, L"");
  }
}

void CTarvelloDlg::UpdateWindowMenu() {
  // Asked when the menu opens, not as the state changes: while a command
  // is at work (the state changes then) the workflow takes no other.
  if (HMENU menu = GetSystemMenu(hwnd_, FALSE)) {
    EnableMenuItem(menu, IDM_UNDO,
                   MF_BYCOMMAND | (workflow_.Can(Command::kUndo) ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(menu, IDM_CLEAN,
                   MF_BYCOMMAND | (workflow_.Can(Command::kClean) ? MF_ENABLED : MF_GRAYED));
  }
}

void CTarvelloDlg::PaintNow() {
  RedrawWindow(GetDlgItem(hwnd_, IDC_OVERLAY), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CTarvelloDlg::MoveFocusOnFrom(HWND from) {
  if (from != nullptr && IsWindowEnabled(from) && IsWindowVisible(from)) return;
  if (from == nullptr && GetActiveWindow() != hwnd_) return;
  const HWND next = GetNextDlgTabItem(hwnd_, from, FALSE);
  if (next != nullptr && next != from) SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
}

void CTarvelloDlg::RowsChanged() {
  oldList_.RowsChanged();
  newList_.RowsChanged();
}

void CTarvelloDlg::LockInput() {
  Locked locked;
  locked.focus = GetFocus();
  const HWND overlay = GetDlgItem(hwnd_, IDC_OVERLAY);
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (child == overlay) continue;
    locked.enabled[child] = IsWindowEnabled(child) != FALSE;
    EnableWindow(child, FALSE);
  }
  locked_ = std::move(locked);
  // Esc comes to the dialog itself, as IDCANCEL.
  SetFocus(hwnd_);
}

void CTarvelloDlg::UnlockInput() {
  for (const auto& [child, enabled] : locked_->enabled) EnableWindow(child, enabled ? TRUE : FALSE);
  const HWND focus = locked_->focus;
  locked_.reset();
  if (focus != nullptr && IsWindowEnabled(focus)) {
    SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
  }
}

void CTarvelloDlg::ShowOverlay(bool show) {
  const HWND overlay = GetDlgItem(hwnd_, IDC_OVERLAY);
  if ((IsWindowVisible(overlay) != FALSE) == show) {
    if (show) RedrawWindow(overlay, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    return;
  }
  const auto rectOf = [](HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return shell::Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
  };
  // Labels under the overlay (the arrow between the lists) give way to it.
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (child != overlay && IsClass(child, L"Static") && shell::GivesWayToOverlay(rectOf(child), rectOf(overlay))) {
      ShowWindow(child, show ? SW_HIDE : SW_SHOWNA);
    }
  }
  if (show) {
    SetWindowPos(overlay, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    RedrawWindow(overlay, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  } else {
    ShowWindow(overlay, SW_HIDE);
  }
}

bool CTarvelloDlg::Ask(const Question& question) {
  const shell::QuestionWords words = shell::WordsOf(question);
  return MessageBoxW(hwnd_, win32::ToScreen(words.text, false).c_str(),
                     win32::ToScreen(words.caption, false).c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CTarvelloDlg::Tell(const Message& message) { ShowText(shell::WordsOf(message)); }

void CTarvelloDlg::Report(const SessionReport& report) {
  const std::string text = shell::ReportText(report);
  if (!text.empty()) ShowText(text);
}

void CTarvelloDlg::ShowText(const std::string& text) {
  MessageBoxW(hwnd_, win32::ToScreen(text, false).c_str(),
              win32::ToScreen(shell::kAppTitle, false).c_str(), MB_OK);
}
