#include "platform/wtf8.h"

#include "platform/bytes.h"

namespace platform {

std::string Wtf8FromUtf16(const char16_t* text, std::size_t length) {
  std::string out;
  out.reserve(length * 3 / 2);
  for (std::size_t i = 0; i < length; ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    AppendUtf8(&out, cp);  // a lone surrogate in its three-byte form
  }
  return out;
}

bool Utf16FromWtf8(const std::string& text, std::u16string* out) {
  std::u16string result;
  result.reserve(text.size());
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  bool lastWasLead = false;  // the previous character was a lone lead surrogate
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char b0 = byte(i);
    std::size_t length;
    char32_t cp;
    unsigned char lo = 0x80, hi = 0xBF;  // the second byte's range
    if (b0 < 0x80) {
      length = 1;
      cp = b0;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
      length = 2;
      cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      length = 3;
      cp = b0 & 0x0F;
      if (b0 == 0xE0) lo = 0xA0;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      length = 4;
      cp = b0 & 0x07;
      if (b0 == 0xF0) lo = 0x90;
      if (b0 == 0xF4) hi = 0x8F;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    if (length > 1 && (byte(i + 1) < lo || byte(i + 1) > hi)) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((byte(i + k) & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    const bool lead = cp >= 0xD800 && cp <= 0xDBFF;
    const bool trail = cp >= 0xDC00 && cp <= 0xDFFF;
    // A pair of surrogates has one spelling only: the four-byte one.
    if (trail && lastWasLead) return false;
    lastWasLead = lead;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      result += static_cast<char16_t>(0xD800 + (cp >> 10));
      result += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      result += static_cast<char16_t>(cp);
    }
    i += length;
  }
  out->swap(result);
  return true;
}

}  // namespace platform
