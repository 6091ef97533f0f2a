#include "platform/bytes.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace platform {

std::string UpperBytes(const std::string& text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

std::string LastBytes(const std::string& text, std::size_t n) {
  return text.size() <= n ? text : text.substr(text.size() - n);
}

std::string DropFirstBytes(const std::string& text, std::size_t n) {
  return text.size() <= n ? std::string() : text.substr(n);
}

std::string FormatNumbered(int number, std::string_view name) {
  // As "%04d_" writes it, without the cost of a format string for every
  // name of a long list.
  char digits[16];
  char* end = digits + sizeof digits;
  char* at = end;
  *--at = '_';
  const bool negative = number < 0;
  unsigned value = negative ? 0u - static_cast<unsigned>(number) : static_cast<unsigned>(number);
  int written = 0;
  do {
    *--at = static_cast<char>('0' + value % 10);
    value /= 10;
    ++written;
  } while (value != 0);
  for (; written < (negative ? 3 : 4); ++written) *--at = '0';
  if (negative) *--at = '-';
  std::string result;
  result.reserve(static_cast<std::size_t>(end - at) + name.size());
  result.append(at, static_cast<std::size_t>(end - at));
  result.append(name.data(), name.size());
  return result;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

void AppendUtf8(std::string* out, char32_t cp) {
  if (cp < 0x80) {
    *out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out += static_cast<char>(0xC0 | (cp >> 6));
    *out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out += static_cast<char>(0xE0 | (cp >> 12));
    *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (cp >> 18));
    *out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

namespace {

// Length of the valid UTF-8 sequence starting at s[i], or 0 if it is not one
// (overlong forms, surrogates and code points above U+10FFFF are invalid).
std::size_t ValidSequenceLength(const std::string& s, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b0 = byte(i);
  std::size_t length;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (b0 < 0x80) return 1;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (i + length > s.size()) return 0;
  if (byte(i + 1) < lo || byte(i + 1) > hi) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  }
  return length;
}

}  // namespace

std::string DisplayUtf8(const std::string& bytes, bool visibleControls) {
  std::string out;
  AppendDisplayUtf8(&out, bytes, visibleControls);
  return out;
}

namespace {

// How many bytes at the start are printable ASCII, which every rendering
// shows as they are: the most of most names. Eight bytes at a time are
// looked at while none of them is special.
std::size_t PlainAsciiPrefix(const std::string& bytes, bool visibleControls) {
  std::size_t i = 0;
  constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
  while (i + 8 <= bytes.size()) {
    std::uint64_t x;
    std::memcpy(&x, bytes.data() + i, 8);
    // A byte from 0x7F up sets its high bit in x or in x + 1 (a carry out
    // of a byte starts at a high bit, which tells already); one below 0x20
    // sets it in (x - 0x20) & ~x.
    const std::uint64_t control = visibleControls ? (x - 0x20 * kOnes) & ~x : 0;
    if (((x | (x + kOnes) | control) & kHighs) != 0) break;
    i += 8;
  }
  while (i < bytes.size()) {
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (b >= 0x80 || b == 0x7F || (visibleControls && b < 0x20)) break;
    ++i;
  }
  return i;
}

}  // namespace

void AppendDisplayUtf8(std::string* to, const std::string& bytes, bool visibleControls) {
  std::string& out = *to;
  std::size_t i = PlainAsciiPrefix(bytes, visibleControls);
  out.append(bytes, 0, i);
  while (i < bytes.size()) {
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    const std::size_t length = ValidSequenceLength(bytes, i);
    if (length == 0) {
      AppendUtf8(&out, 0xFFFD);
      ++i;
    } else if (visibleControls && b < 0x20) {
      AppendUtf8(&out, 0x2400 + b);
      ++i;
    } else if (visibleControls && b == 0x7F) {
      AppendUtf8(&out, 0x2421);
      ++i;
    } else {
      out.append(bytes, i, length);
      i += length;
    }
  }
}

std::size_t DisplayColumns(const std::string& utf8) {
  std::size_t columns = 0;
  const unsigned char* at = reinterpret_cast<const unsigned char*>(utf8.data());
  const unsigned char* const end = at + utf8.size();
  while (at < end) {
    if (*at < 0x80) {
      ++columns;
      ++at;
      continue;
    }
    const unsigned char b = *at;
    std::size_t length = b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    if (length > static_cast<std::size_t>(end - at)) length = static_cast<std::size_t>(end - at);
    char32_t c = b & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (at[k] & 0x3F);
    at += length;
    const bool combining = (c >= 0x0300 && c <= 0x036F) || (c >= 0x1160 && c <= 0x11FF) || c == 0x200B ||
                           (c >= 0xFE00 && c <= 0xFE0F);
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                      (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
                      (c >= 0x20000 && c <= 0x3FFFD);
    columns += combining ? 0 : wide ? 2 : 1;
  }
  return columns;
}

std::size_t NameColumns(const std::string& bytes) {
  if (PlainAsciiPrefix(bytes, true) == bytes.size()) return bytes.size();
  return DisplayColumns(DisplayUtf8(bytes, true));
}

std::string ShortenMiddle(const std::string& utf8, std::size_t maxCharacters) {
  // Where each character starts.
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) starts.push_back(i);
  }
  if (starts.size() <= maxCharacters || maxCharacters < 3) return utf8;
  const std::size_t tail = (maxCharacters - 1) / 2;
  const std::size_t head = maxCharacters - 1 - tail;
  return utf8.substr(0, starts[head]) + "\xE2\x80\xA6" + utf8.substr(starts[starts.size() - tail]);
}

}  // namespace platform
