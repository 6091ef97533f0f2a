#include "platform/lock.h"

#include "platform/path.h"
#include "platform/win32_support.h"

#include <windows.h>

namespace platform {

// A named mutex of the session, named after the full path of the file's
// folder, as the POSIX lock is the folder's: the window and the command
// line started from one folder keep out of each other's way. No file is
// made for it, and the system releases it with the program.
struct ExclusiveLock::Handle {
  HANDLE mutex = nullptr;
  ~Handle() {
    if (mutex != nullptr) {
      ReleaseMutex(mutex);
      CloseHandle(mutex);
    }
  }
};

ExclusiveLock::~ExclusiveLock() = default;

std::unique_ptr<ExclusiveLock> ExclusiveLock::TryTake(const std::string& path) {
  std::unique_ptr<ExclusiveLock> lock(new ExclusiveLock());
  std::wstring full;
  const PathParts parts = SplitPath(path);
  if (!LongWidePath(parts.hasFolder ? parts.folder : std::string("."), &full)) return lock;
  while (!full.empty() && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
  // Named by a hash of the path, whose letter case does not count.
  unsigned long long hash = 14695981039346656037ull;
  for (const wchar_t c : full) hash = (hash ^ static_cast<unsigned>(towupper(c))) * 1099511628211ull;
  wchar_t name[64];
  wsprintfW(name, L"Local\\Tarvello-%08lx%08lx", static_cast<unsigned long>(hash >> 32),
            static_cast<unsigned long>(hash & 0xFFFFFFFFu));
  auto handle = std::make_unique<Handle>();
  handle->mutex = CreateMutexW(nullptr, FALSE, name);
  if (handle->mutex == nullptr) return lock;
  const DWORD waited = WaitForSingleObject(handle->mutex, 0);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    CloseHandle(handle->mutex);
    handle->mutex = nullptr;
    return nullptr;
  }
  lock->handle_ = std::move(handle);
  return lock;
}

}  // namespace platform
