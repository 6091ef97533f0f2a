#include "platform/text_file.h"

#include "platform/wtf8.h"

namespace platform {

// The 8-bit half, which differs from system to system.
bool DecodeEightBit(const std::string& bytes, std::string* text);
bool EncodeEightBit(const std::string& text, std::string* bytes);

namespace {

const char kUtf16LeMark[] = "\xFF\xFE";
const char kUtf16BeMark[] = "\xFE\xFF";

}  // namespace

DecodedText DecodeTextFile(const std::string& bytes) {
  DecodedText decoded;
  if (bytes.compare(0, 2, kUtf16BeMark) == 0) {
    decoded.encoding = TextEncoding::kForeign;
    return decoded;
  }
  if (bytes.compare(0, 2, kUtf16LeMark) == 0) {
    if (bytes.size() % 2 != 0) {
      decoded.encoding = TextEncoding::kForeign;  // cut short: not to be touched
      return decoded;
    }
    std::u16string units;
    units.reserve(bytes.size() / 2 - 1);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    decoded.encoding = TextEncoding::kUtf16Le;
    decoded.text = Wtf8FromUtf16(units);
    return decoded;
  }
  if (!DecodeEightBit(bytes, &decoded.text)) decoded.encoding = TextEncoding::kForeign;
  return decoded;
}

bool EncodeTextFile(const std::string& text, TextEncoding encoding, std::string* bytes) {
  switch (encoding) {
    case TextEncoding::kEightBit:
      return EncodeEightBit(text, bytes);
    case TextEncoding::kUtf16Le: {
      std::u16string units;
      if (!Utf16FromWtf8(text, &units)) return false;
      std::string out = kUtf16LeMark;
      out.reserve(2 + units.size() * 2);
      for (const char16_t unit : units) {
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
      }
      bytes->swap(out);
      return true;
    }
    case TextEncoding::kForeign:
      return false;
  }
  return false;
}

}  // namespace platform
