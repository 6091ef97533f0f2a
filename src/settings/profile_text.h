// Private-profile ("INI") text: the rules of reading and writing it, as
// Windows' own profile functions read it.
//
// The text is made of "[section]" header lines and "key=value" lines. A
// section name ends at the first "]" (or at the line's end); section and key
// names match without regard to ASCII letter case; white space around names
// and values is ignored, also around the names asked for; a line whose first
// visible character is ";" is a comment; CR LF, LF and a lone CR all end a
// line; a UTF-8 byte-order mark is not skipped (Windows reads it as part of
// the first line). A value enclosed in a pair of double or single quotes is
// read without them, so a value with blanks at either end can be stored and
// read back whole. When a section occurs more than once, only its first
// block is read and written; when a key occurs more than once, its first
// line.
#pragma once

#include <string>
#include <vector>

namespace settings {

// The value of key in section, or false when the section or key is absent.
bool ProfileLookup(const std::string& text, const std::string& section,
                   const std::string& key, std::string* value);

// Sets key in section to value: the key's line is rewritten in place, or the
// key is added after the last key of its section, or the section is added at
// the end of the text. Every other line stays byte for byte as it was. Returns false,
// leaving the text as it was, when the names or the value cannot be stored in
// this format (a line break anywhere, "=" in the key, "]" in the section or
// no section name at all...).
// A key added to a text without line ends (an empty one) ends with
// `newTextLineEnd`; otherwise the text's own line end is used.
bool ProfileUpdate(std::string* text, const std::string& section, const std::string& key,
                   const std::string& value, const std::string& newTextLineEnd = "\n");

struct ProfileEntry {
  std::string section;
  std::string key;
  std::string value;
};

// The keys a lookup finds, in text order: the first line of each key, when
// it has a value, in the first block of each named section. (For tests: it
// looks at every earlier name again.)
std::vector<ProfileEntry> ProfileEntries(const std::string& text);

}  // namespace settings
