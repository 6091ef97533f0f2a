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

bool IsPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string("\\/:\0", 4)) == std::string::npos;
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

}  // namespace platform
