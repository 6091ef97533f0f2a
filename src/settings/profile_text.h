// Private-profile ("INI") text: the rules of reading and writing it.
//
// The text is made of "[section]" header lines and "key=value" lines. Section
// and key names match without regard to ASCII letter case; white space around
// names and values is ignored; a line whose first visible character is ";" is
// a comment; lines end in LF or CRLF; a UTF-8 byte-order mark is skipped. A
// value enclosed in double quotes is read without them, so a value with blanks
// at either end can be stored and read back whole. When a section or key
// occurs more than once, the first occurrence is the one read and written.
#pragma once

#include <string>
#include <vector>

namespace settings {

// The value of key in section, or false when the section or key is absent.
bool ProfileLookup(const std::string& text, const std::string& section,
                   const std::string& key, std::string* value);

// Sets key in section to value: the key's line is rewritten in place, or the
// key is added at the end of its section, or the section is added at the end
// of the text. Every other line stays byte for byte as it was. Returns false,
// leaving the text as it was, when the names or the value cannot be stored in
// this format (a line break anywhere, "=" in the key, "]" in the section...).
bool ProfileUpdate(std::string* text, const std::string& section,
                   const std::string& key, const std::string& value);

struct ProfileEntry {
  std::string section;
  std::string key;
  std::string value;
};

// Every key line that stands inside a section, in text order.
std::vector<ProfileEntry> ProfileEntries(const std::string& text);

}  // namespace settings
