#include "settings/profile_text.h"

#include "platform/bytes.h"

#include <cstring>

namespace settings {

using platform::EqualsNoCase;

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

enum class LineKind { Blank, Comment, Section, Key, Other };

struct Line {
  std::size_t next = 0;        // where the following line starts
  std::size_t contentEnd = 0;  // end of the line before its CR LF / LF
  bool hasNewline = false;
  LineKind kind = LineKind::Other;
  std::string name;                   // section name or key
  std::size_t valueStart = 0;         // for keys: just after the "="
  std::string value;                  // for keys: trimmed and unquoted
};

std::string Trimmed(const std::string& text, std::size_t begin, std::size_t end) {
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string Unquoted(std::string value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// The first `c` in text[from, end), or end: a search never runs past the
// line, so reading a file costs time in proportion to its size.
std::size_t FindInLine(const std::string& text, char c, std::size_t from, std::size_t end) {
  if (from >= end) return end;
  const void* found = std::memchr(text.data() + from, c, end - from);
  return found == nullptr ? end : static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
}

// Reads the line starting at pos.
Line ReadLine(const std::string& text, std::size_t pos) {
  Line line;
  std::size_t begin = pos;
  if (pos == 0 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) begin = 3;
  std::size_t newline = text.find('\n', begin);
  if (newline == std::string::npos) {
    line.next = text.size();
    line.contentEnd = text.size();
  } else {
    line.next = newline + 1;
    line.contentEnd = newline;
    line.hasNewline = true;
  }
  if (line.contentEnd > begin && text[line.contentEnd - 1] == '\r') --line.contentEnd;

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
    const std::size_t equals = FindInLine(text, '=', p, line.contentEnd);
    if (equals < line.contentEnd) {
      line.kind = LineKind::Key;
      line.name = Trimmed(text, p, equals);
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
  if (section.find(']') != std::string::npos) return false;
  if (!section.empty() && (IsBlank(section.front()) || IsBlank(section.back()))) return false;
  if (key.empty() || key.find('=') != std::string::npos) return false;
  if (IsBlank(key.front()) || IsBlank(key.back())) return false;
  if (key.front() == '[' || key.front() == ';') return false;
  return true;
}

std::string EncodedValue(const std::string& value) {
  if (!value.empty() &&
      (IsBlank(value.front()) || IsBlank(value.back()) ||
       (value.size() >= 2 && value.front() == '"' && value.back() == '"'))) {
    return '"' + value + '"';
  }
  return value;
}

std::string LineEnding(const std::string& text) {
  std::size_t newline = text.find('\n');
  if (newline != std::string::npos && newline > 0 && text[newline - 1] == '\r') return "\r\n";
  return "\n";
}

}  // namespace

bool ProfileLookup(const std::string& text, const std::string& section,
                   const std::string& key, std::string* value) {
  bool inSection = false;
  for (std::size_t pos = 0; pos < text.size();) {
    Line line = ReadLine(text, pos);
    if (line.kind == LineKind::Section) {
      inSection = EqualsNoCase(line.name, section);
    } else if (inSection && line.kind == LineKind::Key && EqualsNoCase(line.name, key)) {
      *value = line.value;
      return true;
    }
    pos = line.next;
  }
  return false;
}

bool ProfileUpdate(std::string* text, const std::string& section,
                   const std::string& key, const std::string& value) {
  if (!CanStore(section, key, value)) return false;
  const std::string encoded = EncodedValue(value);
  const std::string eol = LineEnding(*text);

  bool inSection = false;
  bool sectionSeen = false;     // the first block of the section has been met
  bool inFirstBlock = false;
  std::size_t insertAfter = 0;  // the line after which a new key goes
  bool insertAfterHasNewline = true;
  for (std::size_t pos = 0; pos < text->size();) {
    Line line = ReadLine(*text, pos);
    if (line.kind == LineKind::Section) {
      inSection = EqualsNoCase(line.name, section);
      inFirstBlock = inSection && !sectionSeen;
      if (inFirstBlock) {
        sectionSeen = true;
        insertAfter = line.next;
        insertAfterHasNewline = line.hasNewline;
      }
    } else if (inSection && line.kind == LineKind::Key) {
      if (EqualsNoCase(line.name, key)) {
        text->replace(line.valueStart, line.contentEnd - line.valueStart, encoded);
        return true;
      }
      if (inFirstBlock) {
        insertAfter = line.next;
        insertAfterHasNewline = line.hasNewline;
      }
    }
    pos = line.next;
  }

  const std::string keyLine = key + "=" + encoded + eol;
  if (sectionSeen) {
    text->insert(insertAfter, insertAfterHasNewline ? keyLine : eol + keyLine);
  } else {
    if (!text->empty() && text->back() != '\n') *text += eol;
    *text += "[" + section + "]" + eol + keyLine;
  }
  return true;
}

std::vector<ProfileEntry> ProfileEntries(const std::string& text) {
  std::vector<ProfileEntry> entries;
  bool haveSection = false;
  std::string section;
  for (std::size_t pos = 0; pos < text.size();) {
    Line line = ReadLine(text, pos);
    if (line.kind == LineKind::Section) {
      haveSection = true;
      section = line.name;
    } else if (haveSection && line.kind == LineKind::Key) {
      entries.push_back({section, line.name, line.value});
    }
    pos = line.next;
  }
  return entries;
}

}  // namespace settings
