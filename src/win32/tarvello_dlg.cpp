#include "win32/tarvello_dlg.h"

#include "resource.h"
#include "shell/shell.h"
#include "win32/about_dlg.h"
#include "win32/text.h"

#include <commctrl.h>
#include <shlobj.h>

#include <array>

namespace {

// The method radio buttons, in the order of kMethods.
constexpr std::array<int, 3> kMethodRadioIds = {IDC_ADD, IDC_REPLACE, IDC_DELETE};

// The timer that looks now and then at the folder under a proposal.
constexpr UINT_PTR kPreviewTimer = 1;
constexpr UINT kPreviewIntervalMs = 500;

// The dialog that runs now; the keyboard filter reaches it here.
CTarvelloDlg* g_running = nullptr;


bool IsClass(HWND window, const wchar_t* name) {
  wchar_t className[32] = {};
  GetClassNameW(window, className, 32);
  return lstrcmpiW(className, name) == 0;
}

bool IsUserInput(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) || message == WM_CONTEXTMENU;
}

}  // namespace

CTarvelloDlg::CTarvelloDlg(HWND parent, WorkflowServices services)
    : parent_(parent),
      icon_(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      workflow_(*this, std::move(services)),
      oldList_(workflow_.job(), CNameListView::Side::kOld),
      newList_(workflow_.job(), CNameListView::Side::kNew) {}

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
    if (msg->message == WM_KEYDOWN && msg->wParam == 'Z' && GetKeyState(VK_CONTROL) < 0 &&
        GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_MENU) >= 0 &&
        GetAncestor(msg->hwnd, GA_ROOT) == dialog && !IsClass(msg->hwnd, L"Edit")) {
      // Outside the edit boxes, which undo their own typing.
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
      if (busy_) return TRUE;
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
    case WM_TIMER:
      if (wParam == kPreviewTimer && !busy_ && !inStep_) {
        const shell::ScopedFlag step(inStep_);
        workflow_.RefreshPreview();
      }
      return TRUE;
    case WM_DESTROY:
      KillTimer(hwnd_, kPreviewTimer);
      return FALSE;
    default:
      return FALSE;
  }
}

BOOL CTarvelloDlg::OnInitDialog() {
  // The window menu ends with a separator, Undo of the last Run and the
  // About entry.
  if (HMENU menu = GetSystemMenu(hwnd_, FALSE)) {
    wchar_t about[128] = {};
    if (LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX, about, 128) > 0) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      AppendMenuW(menu, MF_STRING | MF_GRAYED, IDM_UNDO,
                  win32::ToScreen(shell::kUndoMenuText, false).c_str());
      AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, about);
    }
  }
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  oldList_.Attach(GetDlgItem(hwnd_, IDC_OLD_LIST));
  newList_.Attach(GetDlgItem(hwnd_, IDC_NEW_LIST));
  workflow_.InitRenameState();
  SetTimer(hwnd_, kPreviewTimer, kPreviewIntervalMs, nullptr);
  // The dialog manager gives the focus to the first tab stop, "About".
  return TRUE;
}

void CTarvelloDlg::OnCommand(int id) {
  if (busy_ || inStep_) return;
  const shell::ScopedFlag step(inStep_);
  switch (id) {
    case IDOK:
    case IDCANCEL:
      // Nothing is saved at closing.
      EndDialog(hwnd_, id);
      break;
    case IDC_ABOUT: OnAbout(); break;
    case IDC_SELECT: OnSelectFolder(); break;
    case IDC_SEARCH: workflow_.OnSearch(); break;
    case IDC_RANDOM: workflow_.OnRandom(); break;
    case IDC_RUN: workflow_.OnRun(); break;
    case IDC_EXPRESS: workflow_.OnExpress(); break;
    case IDM_UNDO: OnUndo(); break;
    default: break;
  }
}

bool CTarvelloDlg::OnSysCommand(UINT id) {
  if ((id & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg about(hwnd_);
    about.DoModal();
    return true;
  }
  if ((id & 0xFFF0) == IDM_UNDO) {
    if (!inStep_) {
      const shell::ScopedFlag step(inStep_);
      OnUndo();
    }
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
  if (busy_ || inStep_) return;
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

void CTarvelloDlg::ShowWindowMenu(POINT at) {
  const HMENU menu = GetSystemMenu(hwnd_, FALSE);
  if (menu == nullptr) return;
  const UINT command =
      static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON,
                                       at.x, at.y, 0, hwnd_, nullptr));
  if (command != 0) SendMessageW(hwnd_, WM_SYSCOMMAND, command, 0);
}

void CTarvelloDlg::OnAbout() { ShowMessage(shell::CreditsText()); }

void CTarvelloDlg::OnSelectFolder() {
  wchar_t displayName[MAX_PATH] = {};
  BROWSEINFOW browse{};
  browse.hwndOwner = hwnd_;
  browse.pszDisplayName = displayName;
  browse.lpszTitle = L"Please select folder";
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
  if (chosen == nullptr) return;  // cancelled: nothing changes
  wchar_t path[MAX_PATH] = {};
  SHGetPathFromIDListW(chosen, path);
  CoTaskMemFree(chosen);
  SetFolderText(win32::FromScreen(path));
  workflow_.OnSearch();
}

void CTarvelloDlg::OnUndo() {
  if (busy_ || !undoEnabled_) return;
  workflow_.OnUndo();
}

// ---------------------------------------------------------------------------
// RenameView

std::string CTarvelloDlg::EditText(int id) {
  const HWND edit = GetDlgItem(hwnd_, id);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(edit, &text[0], static_cast<int>(text.size()))));
  auto known = editTexts_.find(id);
  if (known != editTexts_.end() && known->second.shown == text) return known->second.bytes;
  return win32::FromScreen(text);
}

void CTarvelloDlg::SetEditText(int id, const std::string& text) {
  EditBytes& edit = editTexts_[id];
  edit.bytes = text;
  edit.shown = win32::ToScreen(text, true);
  SetDlgItemTextW(hwnd_, id, edit.shown.c_str());
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

void CTarvelloDlg::SetActionsEnabled(bool random, bool run) {
  const HWND focus = GetFocus();
  const HWND randomButton = GetDlgItem(hwnd_, IDC_RANDOM);
  const HWND runButton = GetDlgItem(hwnd_, IDC_RUN);
  // A disabled button keeps no focus: it moves on as Tab would first, so
  // that the keyboard does not end up belonging to nobody.
  if ((focus == randomButton && !random) || (focus == runButton && !run)) {
    HWND next = focus;
    do {
      next = GetNextDlgTabItem(hwnd_, next, FALSE);
    } while (next != nullptr && next != focus &&
             ((next == randomButton && !random) || (next == runButton && !run)));
    if (next != nullptr && next != focus) {
      SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
    }
  }
  EnableWindow(randomButton, random ? TRUE : FALSE);
  EnableWindow(runButton, run ? TRUE : FALSE);
}

void CTarvelloDlg::RowsChanged() {
  oldList_.RowsChanged();
  newList_.RowsChanged();
}

void CTarvelloDlg::SetStatus(const std::string& text) {
  SetDlgItemTextW(hwnd_, IDC_STATUS, win32::ToScreen(text, true).c_str());
}

void CTarvelloDlg::ShowOverlay(bool show) {
  const HWND overlay = GetDlgItem(hwnd_, IDC_OVERLAY);
  RECT overlayRect;
  GetWindowRect(overlay, &overlayRect);
  // Labels under the overlay (the arrow between the lists) give way to it.
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT rect, overlap;
    if (child != overlay && IsClass(child, L"Static") && GetWindowRect(child, &rect) &&
        IntersectRect(&overlap, &rect, &overlayRect)) {
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

void CTarvelloDlg::ShowBusy(const std::string& text) {
  SetDlgItemTextW(hwnd_, IDC_OVERLAY, win32::ToScreen(text, true).c_str());
  ShowOverlay(true);
}

void CTarvelloDlg::HideBusy() {
  ShowOverlay(false);
  SetDlgItemTextW(hwnd_, IDC_OVERLAY, L"");
  busy_ = false;
  stopRequested_ = false;
}

bool CTarvelloDlg::ShowProgress(const std::string& text) {
  busy_ = true;
  ShowBusy(text);
  // Serve the window: paint and the like go on; of the user's input only
  // Esc counts, as a request to stop.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (IsUserInput(msg.message)) {
      if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) stopRequested_ = true;
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return !stopRequested_;
}

void CTarvelloDlg::EnableUndo(bool enable) {
  undoEnabled_ = enable;
  if (HMENU menu = GetSystemMenu(hwnd_, FALSE)) {
    EnableMenuItem(menu, IDM_UNDO, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
  }
}

bool CTarvelloDlg::AskYesNo(const std::string& text, const std::string& caption) {
  return MessageBoxW(hwnd_, win32::ToScreen(text, false).c_str(),
                     win32::ToScreen(caption, false).c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CTarvelloDlg::ShowMessage(const std::string& text) {
  MessageBoxW(hwnd_, win32::ToScreen(text, false).c_str(),
              win32::ToScreen(shell::kAppTitle, false).c_str(), MB_OK);
}
