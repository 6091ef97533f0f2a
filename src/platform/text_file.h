// How a small text file's bytes stand for its text (the settings file): the
// text the program works on is its own bytes (WTF-8 on Windows), whatever the
// file holds.
#pragma once

#include <string>

namespace platform {

enum class TextEncoding {
  kEightBit,  // 8-bit text: the program's own bytes on Linux, the system's
              // ANSI code page on Windows
  kUtf16Le,   // UTF-16LE after its byte-order mark (Notepad's "Unicode")
  kForeign,   // UTF-16BE and the like: neither read nor written
};

struct DecodedText {
  TextEncoding encoding = TextEncoding::kEightBit;
  std::string text;  // empty for a foreign file
};

// The file's text, and how it is spelled.
DecodedText DecodeTextFile(const std::string& bytes);

// The text spelled as `encoding` asks. False when it cannot be: a character
// the ANSI code page does not hold, or a foreign encoding.
bool EncodeTextFile(const std::string& text, TextEncoding encoding, std::string* bytes);

// The line end of a text file the program starts: "\r\n" on Windows, "\n"
// elsewhere.
const char* NewFileLineEnd();

}  // namespace platform
