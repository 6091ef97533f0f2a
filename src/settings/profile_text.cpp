#include "settings/profile_text.h"

#include "platform/bytes.h"

#include <cstring>

namespace settings {

using platform::EqualsNoCase;

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

enum class LineKind { Blank, Comment, Section, Key };

struct Line {
  std::size_t next = 0;        // where the following line starts
  std::size_t contentEnd = 0;  // end of the line before its CR LF, LF or CR
  bool hasNewline = false;
  LineKind kind = LineKind::Blank;
  std::string name;                   // section name or key
  bool hasValue = false;              // for keys: an "=" follows the name
  std::size_t nameEnd = 0;            // for keys: the end of the name, blanks included
  std::size_t valueStart = 0;         // for keys: just after the "="
  std::string value;                  // for keys: trimmed and unquoted
};

std::string Trimmed(const std::string& text, std::size_t begin, std::size_t end) {
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

// A value enclosed in a pair of the same quotes, double or single, is read
// without them, as Windows reads it.
bool Enclosed(const std::string& value) {
  return value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front();
}

std::string Unquoted(std::string value) {
  return Enclosed(value) ? value.substr(1, value.size() - 2) : value;
}

// The first `c` in text[from, end), or end: a search never runs past the
// line, so reading a file costs time in proportion to its size.
std::size_t FindInLine(const std::string& text, char c, std::size_t from, std::size_t end) {
  if (from >= end) return end;
  const void* found = std::memchr(text.data() + from, c, end - from);
  return found == nullptr ? end : static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
}

// Reads the line starting at pos. CR LF, LF and a lone CR all end a line.
Line ReadLine(const std::string& text, std::size_t pos) {
  Line line;
  const std::size_t begin = pos;
  const std::size_t end = text.find_first_of("\r\n", begin);
  if (end == std::string::npos) {
    line.next = text.size();
    line.contentEnd = text.size();
  } else {
    line.contentEnd = end;
    line.next = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    line.hasNewline = true;
  }

  std::size_t p = begin;
  while (p < line.contentEnd && IsBlank(text[p])) ++p;
  if (p == line.contentEnd) {
    line.kind = LineKind::Blank;
  } else if (text[p] == ';') {
    line.kind = LineKind::Comment;
  } else if (text[p] == '[') {
    const std::size_t close = FindInLine(text, ']', p + 1, line.contentEnd);
    line.kind = LineKind::Section;
    line.name = Trimmed(text, p + 1, close);
  } else {
    // A line without "=" is a key without a value, which reads as absent.
    const std::size_t equals = FindInLine(text, '=', p, line.contentEnd);
    line.kind = LineKind::Key;
    line.name = Trimmed(text, p, equals);
    line.nameEnd = equals;
    if (equals < line.contentEnd) {
      line.hasValue = true;
      line.valueStart = equals + 1;
      line.value = Unquoted(Trimmed(text, equals + 1, line.contentEnd));
    }
  }
  return line;
}

bool HasLineBreak(const std::string& s) {
  return s.find_first_of("\r\n") != std::string::npos;
}

bool CanStore(const std::string& section, const std::string& key, const std::string& value) {
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) return false;
  // A section without a name is where keys before the first header belong:
  // a "[]" header written for it would never be read.
  if (section.empty() || section.find(']') != std::string::npos) return false;
  if (IsBlank(section.front()) || IsBlank(section.back())) return false;
  if (key.empty() || key.find('=') != std::string::npos) return false;
  if (IsBlank(key.front()) || IsBlank(key.back())) return false;
  if (key.front() == '[' || key.front() == ';') return false;
  return true;
}

// A value with blanks at either end, or one that reads as enclosed in
// quotes, is written inside double quotes, so that it is read back whole.
std::string EncodedValue(const std::string& value) {
  if (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) || Enclosed(value))) {
    return '"' + value + '"';
  }
  return value;
}

// The text's own line end (its first one), or `fallback` for a text that
// has none.
std::string LineEnding(const std::string& text, const std::string& fallback) {
  const std::size_t end = text.find_first_of("\r\n");
  if (end == std::string::npos) return fallback;
  if (text[end] == '\n') return "\n";
  return text.compare(end, 2, "\r\n") == 0 ? "\r\n" : "\r";
}

// A name as asked for, without blanks at its ends, as Windows takes it.
std::string AskedName(const std::string& name) { return Trimmed(name, 0, name.size()); }

}  // namespace

bool ProfileLookup(const std::string& text, const std::string& section,
                   const std::string& key, std::string* value) {
  const std::string sectionName = AskedName(section);
  const std::string keyName = AskedName(key);
  // Only the first block of a section that occurs more than once is read.
  // Keys before the first header make up the section without a name.
  bool inSection = sectionName.empty();
  for (std::size_t pos = 0; pos < text.size();) {
    Line line = ReadLine(text, pos);
    if (line.kind == LineKind::Section) {
      if (inSection) return false;
      inSection = EqualsNoCase(line.name, sectionName);
    } else if (inSection && line.kind == LineKind::Key && EqualsNoCase(line.name, keyName)) {
      if (!line.hasValue) return false;
      *value = line.value;
      return true;
    }
    pos = line.next;
  }
  return false;
}

bool ProfileUpdate(std::string* text, const std::string& section, const std::string& key,
                   const std::string& value, const std::string& newTextLineEnd) {
  if (!CanStore(section, key, value)) return false;
  const std::string encoded = EncodedValue(value);
  const std::string eol = LineEnding(*text, newTextLineEnd);

  // Only the first block of a section that occurs more than once is written.
  bool inSection = false;
  bool sectionSeen = false;
  std::size_t insertAfter = 0;  // the line after which a new key goes
  bool insertAfterHasNewline = true;
  for (std::size_t pos = 0; pos < text->size();) {
    Line line = ReadLine(*text, pos);
    if (line.kind == LineKind::Section) {
      if (inSection) break;
      inSection = EqualsNoCase(line.name, section);
      if (inSection) {
        sectionSeen = true;
        insertAfter = line.next;
        insertAfterHasNewline = line.hasNewline;
      }
    } else if (inSection && line.kind == LineKind::Key) {
      if (EqualsNoCase(line.name, key)) {
        if (line.hasValue) {
          text->replace(line.valueStart, line.contentEnd - line.valueStart, encoded);
        } else {
          text->replace(line.nameEnd, line.contentEnd - line.nameEnd, "=" + encoded);
        }
        return true;
      }
      insertAfter = line.next;
      insertAfterHasNewline = line.hasNewline;
    }
    pos = line.next;
  }

  const std::string keyLine = key + "=" + encoded + eol;
  if (sectionSeen) {
    text->insert(insertAfter, insertAfterHasNewline ? keyLine : eol + keyLine);
  } else {
    if (!text->empty() && text->back() != '\n' && text->back() != '\r') *text += eol;
    *text += "[" + section + "]" + eol + keyLine;
  }
  return true;
}

std::vector<ProfileEntry> ProfileEntries(const std::string& text) {
  std::vector<ProfileEntry> entries;
  std::vector<std::string> sections;  // whose first block has been met
  std::vector<std::string> keys;      // met in this block
  bool firstBlock = false;
  std::string section;
  const auto met = [](const std::vector<std::string>& names, const std::string& name) {
    for (const std::string& earlier : names) {
      if (EqualsNoCase(earlier, name)) return true;
    }
    return false;
  };
  for (std::size_t pos = 0; pos < text.size();) {
    Line line = ReadLine(text, pos);
    if (line.kind == LineKind::Section) {
      section = line.name;
      firstBlock = !met(sections, section);
      sections.push_back(section);
      keys.clear();
    } else if (firstBlock && !section.empty() && line.kind == LineKind::Key) {
      // A key's first line is the one read; without a value it reads as absent.
      if (!met(keys, line.name) && line.hasValue) entries.push_back({section, line.name, line.value});
      keys.push_back(line.name);
    }
    pos = line.next;
  }
  return entries;
}

}  // namespace settings
