#include "platform/profile.h"

#include "platform/bytes.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Files larger than this are not taken for settings files: they read as
// absent and are never rewritten.
constexpr off_t kMaxProfileSize = 64 * 1024 * 1024;

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
    std::size_t close = text.find(']', p + 1);
    if (close == std::string::npos || close > line.contentEnd) close = line.contentEnd;
    line.kind = LineKind::Section;
    line.name = Trimmed(text, p + 1, close);
  } else {
    std::size_t equals = text.find('=', p);
    if (equals != std::string::npos && equals < line.contentEnd) {
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

// Reads a whole file; false when it cannot be read (errno tells why).
bool ReadWholeFile(const std::string& path, std::string* text, struct stat* info) {
  // O_NONBLOCK: a FIFO planted under the settings name must not hang the program.
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) != 0) {
    int error = errno;
    close(fd);
    errno = error;
    return false;
  }
  if (!S_ISREG(st.st_mode) || st.st_size > kMaxProfileSize) {
    close(fd);
    errno = EINVAL;
    return false;
  }
  std::string content;
  char buffer[65536];
  for (;;) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      int error = errno;
      close(fd);
      errno = error;
      return false;
    }
    if (got == 0) break;
    content.append(buffer, static_cast<std::size_t>(got));
    if (static_cast<off_t>(content.size()) > kMaxProfileSize) {
      close(fd);
      errno = EINVAL;
      return false;
    }
  }
  close(fd);
  text->swap(content);
  if (info != nullptr) *info = st;
  return true;
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t put = write(fd, text.data() + done, text.size() - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(put);
  }
  return true;
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

bool ReadProfileString(const std::string& path, const std::string& section,
                       const std::string& key, std::string* value) {
  std::string text;
  if (!ReadWholeFile(path, &text, nullptr)) return false;
  return ProfileLookup(text, section, key, value);
}

bool WriteProfileString(const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value) {
  // Write through a symbolic link to the file it names, not over the link.
  std::string target = path;
  struct stat linkInfo;
  if (lstat(path.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode)) {
    if (char* resolved = realpath(path.c_str(), nullptr)) {
      target = resolved;
      std::free(resolved);
    }
  }

  std::string text;
  struct stat info;
  bool exists = ReadWholeFile(target, &text, &info);
  if (!exists && errno != ENOENT) return false;  // never clobber what we cannot read
  std::string updated = text;
  if (!ProfileUpdate(&updated, section, key, value)) return false;
  if (exists && updated == text) return true;

  mode_t mode;
  if (exists) {
    mode = info.st_mode & 07777;
  } else {
    mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }

  std::size_t slash = target.rfind('/');
  std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
  std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  std::string temp = folder + "/." + base + ".XXXXXX";
  int fd = mkostemp(&temp[0], O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, updated) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
  ok = (close(fd) == 0) && ok;
  if (ok && rename(temp.c_str(), target.c_str()) == 0) return true;
  unlink(temp.c_str());
  return false;
}

}  // namespace platform
