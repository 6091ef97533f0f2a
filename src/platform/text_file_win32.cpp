#include "platform/text_file.h"

#include "platform/win32_support.h"

#include <windows.h>

namespace platform {

// 8-bit text is in the system's ANSI code page, as the profile functions
// read and write it (code page 949 on a Korean system).
bool DecodeEightBit(const std::string& bytes, std::string* text) {
  if (bytes.empty()) {
    text->clear();
    return true;
  }
  const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                                         nullptr, 0);
  if (length <= 0) return false;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0], length);
  *text = Wtf8FromWide(wide);
  return true;
}

bool EncodeEightBit(const std::string& text, std::string* bytes) {
  std::wstring wide;
  if (!WideFromWtf8(text, &wide)) return false;
  if (wide.empty()) {
    bytes->clear();
    return true;
  }
  // A character the code page lacks must never become "?".
  const UINT codePage = GetACP();
  const bool utf8 = codePage == CP_UTF8;
  BOOL lost = FALSE;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL* lostFlag = utf8 ? nullptr : &lost;
  const int length = WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, lostFlag);
  if (length <= 0 || lost) return false;
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), &out[0], length,
                      nullptr, lostFlag);
  if (lost) return false;
  bytes->swap(out);
  return true;
}

const char* NewFileLineEnd() { return "\r\n"; }

}  // namespace platform
