#include "platform/case_fold.h"

#include "platform/bytes.h"

#include <locale.h>
#include <wctype.h>

namespace platform {

namespace {

// The C library's Unicode case table; none where the system has no UTF-8
// locale, and then only ASCII letters fold.
locale_t UnicodeLocale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return locale;
}

// One UTF-8 (or WTF-8) sequence at `at`: its code point and length; 0 for
// a byte that starts no sequence.
std::size_t Decode(const std::string& s, std::size_t at, char32_t* cp) {
  const unsigned char b0 = static_cast<unsigned char>(s[at]);
  std::size_t length = b0 >= 0xF0 && b0 <= 0xF4 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC2 ? 2 : 0;
  if (b0 >= 0xF5 || length == 0 || at + length > s.size()) return 0;
  char32_t value = b0 & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char b = static_cast<unsigned char>(s[at + i]);
    if ((b & 0xC0) != 0x80) return 0;
    value = (value << 6) | (b & 0x3F);
  }
  if ((length == 3 && value < 0x800) || (length == 4 && (value < 0x10000 || value > 0x10FFFF))) {
    return 0;
  }
  *cp = value;
  return length;
}

}  // namespace

std::string FoldCase(const std::string& name) {
  std::string folded;
  folded.reserve(name.size());
  const locale_t locale = UnicodeLocale();
  for (std::size_t at = 0; at < name.size();) {
    const unsigned char b = static_cast<unsigned char>(name[at]);
    if (b < 0x80) {
      folded += b >= 'a' && b <= 'z' ? static_cast<char>(b - 32) : static_cast<char>(b);
      ++at;
      continue;
    }
    char32_t cp = 0;
    const std::size_t length = Decode(name, at, &cp);
    if (length == 0 || locale == static_cast<locale_t>(0)) {
      folded += name[at];
      ++at;
      continue;
    }
    const wint_t upper = towupper_l(static_cast<wint_t>(cp), locale);
    // A lone surrogate (WTF-8) has no case.
    if (cp >= 0xD800 && cp <= 0xDFFF) {
      folded.append(name, at, length);
    } else {
      AppendUtf8(&folded, static_cast<char32_t>(upper));
    }
    at += length;
  }
  return folded;
}

}  // namespace platform
