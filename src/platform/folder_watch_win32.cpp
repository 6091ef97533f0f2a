#include "platform/folder_watch.h"

#include "platform/win32_support.h"

#include <windows.h>

namespace platform {

struct FolderWatch::Handle {
  HANDLE change = INVALID_HANDLE_VALUE;
  void Close() {
    if (change != INVALID_HANDLE_VALUE) FindCloseChangeNotification(change);
    change = INVALID_HANDLE_VALUE;
  }
  ~Handle() { Close(); }
};

FolderWatch::FolderWatch() : handle_(std::make_unique<Handle>()) {}

FolderWatch::~FolderWatch() = default;

void FolderWatch::Watch(const std::string& path) {
  Stop();
  std::wstring wide;
  if (path.empty() || !LongWidePath(path + "\\", &wide)) return;
  handle_->change = FindFirstChangeNotificationW(
      wide.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME);
}

void FolderWatch::Stop() { handle_->Close(); }

bool FolderWatch::Changed() {
  if (handle_->change == INVALID_HANDLE_VALUE) return false;
  bool changed = false;
  while (WaitForSingleObject(handle_->change, 0) == WAIT_OBJECT_0) {
    changed = true;
    if (!FindNextChangeNotification(handle_->change)) break;
  }
  return changed;
}

}  // namespace platform
