#include "platform/win32_support.h"

#include "platform/wtf8.h"

#include <windows.h>

namespace platform {

bool WideFromWtf8(const std::string& text, std::wstring* wide) {
  std::u16string utf16;
  if (!Utf16FromWtf8(text, &utf16)) return false;
  wide->assign(utf16.begin(), utf16.end());
  return true;
}

std::string Wtf8FromWide(const wchar_t* text, std::size_t length) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wide characters");
  return Wtf8FromUtf16(reinterpret_cast<const char16_t*>(text), length);
}

Error ErrorFromWin32(unsigned long code) {
  switch (code) {
    case ERROR_SUCCESS: return Error{};
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS: return MakeError(ErrorCode::kExists);
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_DRIVE: return MakeError(ErrorCode::kNotFound);
    case ERROR_DIRECTORY: return MakeError(ErrorCode::kNotFolder);
    case ERROR_ACCESS_DENIED: return MakeError(ErrorCode::kAccess);
    case ERROR_WRITE_PROTECT: return MakeError(ErrorCode::kReadOnly);
    case ERROR_FILENAME_EXCED_RANGE: return MakeError(ErrorCode::kNameTooLong);
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME: return MakeError(ErrorCode::kBadName);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return MakeError(ErrorCode::kBusy);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return MakeError(ErrorCode::kNoSpace);
    case ERROR_NOT_SUPPORTED: return MakeError(ErrorCode::kUnsupported);
    default: break;
  }
  wchar_t* words = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&words), 0, nullptr);
  std::string text = length > 0 ? Wtf8FromWide(words, length) : "error " + std::to_string(code);
  if (words != nullptr) LocalFree(words);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' ||
                           text.back() == '.')) {
    text.pop_back();
  }
  return OtherError(text);
}

bool LongWidePath(const std::string& path, std::wstring* wide) {
  std::wstring given;
  if (path.empty() || !WideFromWtf8(path, &given)) return false;
  if (given.rfind(L"\\\\?\\", 0) == 0) {
    *wide = given;
    return true;
  }
  // The system's own reading of the path: the working folder for a relative
  // one, separators made backslashes, "." and ".." resolved.
  DWORD size = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
  if (size == 0) return false;
  std::wstring full(size, L'\0');
  size = GetFullPathNameW(given.c_str(), size, &full[0], nullptr);
  if (size == 0 || size >= full.size()) return false;
  full.resize(size);
  if (full.rfind(L"\\\\", 0) == 0) {
    *wide = L"\\\\?\\UNC\\" + full.substr(2);
  } else {
    *wide = L"\\\\?\\" + full;
  }
  return true;
}

}  // namespace platform
