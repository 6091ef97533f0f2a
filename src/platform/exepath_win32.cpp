#include "platform/exepath.h"

#include "platform/win32_support.h"

#include <windows.h>

#include <vector>

namespace platform {

std::string ProgramPathFromArgv0(const std::string&, const std::string&) {
  // Windows always tells the program's path; nothing to look for.
  return std::string();
}

std::string ExecutablePath(const std::string&) {
  std::vector<wchar_t> buffer(512);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::string();
    if (length < buffer.size()) return Wtf8FromWide(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace platform
