#include "platform/path.h"

#include "platform/win32_support.h"

#include <windows.h>

#include <vector>

namespace platform {

namespace {
bool IsSeparator(char c) { return c == '\\' || c == '/'; }
}  // namespace

PathParts SplitPath(const std::string& path) {
  // Both separators count; a byte below 0x80 is never part of a longer
  // character in the program's names, so no separator is found inside one.
  const std::size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return PathParts{std::string(), path, false};
  std::string folder = path.substr(0, slash);
  // "D:" alone is the current folder of drive D, and "" the current drive's
  // one: a root keeps its separator.
  if (folder.empty() || folder.back() == ':') folder += path[slash];
  return PathParts{folder, path.substr(slash + 1), true};
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && IsSeparator(folder.back())) return folder + name;
  return folder + "\\" + name;
}

bool IsPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("\\/:\0", 4)) == std::string_view::npos;
}

bool IsAbsolutePath(const std::string& path) {
  // "C:\x" and "\\server\share\x"; "C:x" and "\x" hang on a current folder.
  if (path.size() >= 3 && path[1] == ':' && IsSeparator(path[2])) return true;
  return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

std::string AbsolutePath(const std::string& path) {
  std::wstring wide;
  if (!WideFromWtf8(path.empty() ? std::string(".") : path, &wide)) return std::string();
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()),
                                          buffer.data(), nullptr);
    if (length == 0) return std::string();
    if (length < buffer.size()) return Wtf8FromWide(buffer.data(), length);
    buffer.resize(length + 1);
  }
}

std::string NormalFolderPath(const std::string& path) {
  if (path.empty()) return std::string();
  // "." and "..", the other separator and a final separator go by the
  // system's own rule for full paths.
  std::string full = AbsolutePath(path);
  if (full.empty()) return full;
  // A link or junction stands for the folder it points to.
  std::wstring wide;
  if (LongWidePath(full, &wide)) {
    const HANDLE folder = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder != INVALID_HANDLE_VALUE) {
      std::vector<wchar_t> buffer(MAX_PATH);
      DWORD length = GetFinalPathNameByHandleW(folder, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
      if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = GetFinalPathNameByHandleW(folder, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
      }
      CloseHandle(folder);
      if (length > 0 && length < buffer.size()) {
        std::wstring final(buffer.data(), length);
        if (final.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
          final = L"\\" + final.substr(7);
        } else if (final.compare(0, 4, L"\\\\?\\") == 0) {
          final = final.substr(4);
        }
        full = Wtf8FromWide(final.data(), final.size());
      }
    }
  }
  // No separator at the end, but for a drive's root.
  while (full.size() > 3 && IsSeparator(full.back()) && !(full.size() >= 2 && full[full.size() - 2] == ':')) {
    full.pop_back();
  }
  return full;
}

}  // namespace platform
