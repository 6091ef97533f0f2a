// Windows names are UTF-16 and may hold unpaired surrogates, which no UTF-8
// can carry. Inside the program such names travel as WTF-8: UTF-8 that also
// spells a lone surrogate as its three-byte form. Every UTF-16 name comes
// back exactly from its WTF-8 bytes; valid UTF-16 gives plain UTF-8.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

std::string Wtf8FromUtf16(const char16_t* text, std::size_t length);
inline std::string Wtf8FromUtf16(const std::u16string& text) {
  return Wtf8FromUtf16(text.data(), text.size());
}

// False, with `out` untouched, when the bytes are not WTF-8: invalid UTF-8,
// a character cut short (a five-byte cut through a Korean name, say), or a
// surrogate pair spelled as two three-byte forms.
bool Utf16FromWtf8(const std::string& text, std::u16string* out);

}  // namespace platform
