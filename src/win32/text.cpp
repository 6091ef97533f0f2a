#include "win32/text.h"

#include "platform/bytes.h"
#include "platform/wtf8.h"

namespace win32 {

std::wstring ToScreen(const std::string& bytes, bool visibleControls) {
  std::u16string utf16;
  if (visibleControls || !platform::Utf16FromWtf8(bytes, &utf16)) {
    platform::Utf16FromWtf8(platform::DisplayUtf8(bytes, visibleControls), &utf16);
  }
  return std::wstring(utf16.begin(), utf16.end());
}

std::string FromScreen(const std::wstring& text) {
  return platform::Wtf8FromUtf16(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

}  // namespace win32
