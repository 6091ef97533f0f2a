// Inside the Windows half of the platform layer only: names between WTF-8
// and the system's UTF-16, Windows error codes, long paths.
#pragma once

#include "platform/error.h"

#include <string>

namespace platform {

// WTF-8 to UTF-16; false when the bytes are no name (a character cut short).
bool WideFromWtf8(const std::string& text, std::wstring* wide);
std::string Wtf8FromWide(const wchar_t* text, std::size_t length);
inline std::string Wtf8FromWide(const std::wstring& text) {
  return Wtf8FromWide(text.data(), text.size());
}

// A GetLastError() value as an Error.
Error ErrorFromWin32(unsigned long code);

// The full path of `path` (WTF-8) in the form that lifts the 260-character
// limit ("\\?\C:\..." or "\\?\UNC\server\share\..."); false when the path
// cannot be told.
bool LongWidePath(const std::string& path, std::wstring* wide);

}  // namespace platform
