#include "platform/text_file.h"

namespace platform {

// File names and settings are bytes here: 8-bit text is taken as it is.
bool DecodeEightBit(const std::string& bytes, std::string* text) {
  *text = bytes;
  return true;
}

bool EncodeEightBit(const std::string& text, std::string* bytes) {
  *bytes = text;
  return true;
}

const char* NewFileLineEnd() { return "\n"; }

}  // namespace platform
