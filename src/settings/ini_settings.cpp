#include "settings/ini_settings.h"

#include "platform/file.h"
#include "platform/path.h"
#include "platform/text_file.h"
#include "settings/profile_text.h"

#include <climits>

void CIniSettings::SetPath(const std::string& folder) { folder_ = platform::JoinPath(folder, ""); }

void CIniSettings::SetFileName(const std::string& name) { path_ = folder_ + name; }

void CIniSettings::SetSection(const std::string& section) { section_ = section; }

namespace {

// A key read from the file; false when the file cannot be read or the
// section or key is absent.
bool ReadKey(const std::string& path, const std::string& section, const std::string& key,
             std::string* value) {
  std::string bytes;
  if (platform::ReadWholeFile(path, &bytes).failed()) return false;
  const platform::DecodedText decoded = platform::DecodeTextFile(bytes);
  if (decoded.encoding == platform::TextEncoding::kForeign) return false;
  return settings::ProfileLookup(decoded.text, section, key, value);
}

}  // namespace

std::string CIniSettings::GetString(const std::string& key, const std::string& def) const {
  std::string value;
  if (path_.empty()) return def;
  return ReadKey(path_, section_, key, &value) ? value : def;
}

int CIniSettings::GetInt(const std::string& key, int def) const {
  std::string value;
  if (path_.empty()) return def;
  return ReadKey(path_, section_, key, &value) ? ParseDecimalLikeAtoi(value) : def;
}

int CIniSettings::WriteString(const std::string& key, const std::string& value) {
  if (path_.empty()) return 0;
  std::string bytes;
  const platform::Error read = platform::ReadWholeFile(path_, &bytes);
  // A file that is there but cannot be read is never overwritten.
  if (read.failed() && read.code != platform::ErrorCode::kNotFound) return 0;
  const bool exists = !read.failed();
  const platform::DecodedText decoded = platform::DecodeTextFile(bytes);
  // A file in an encoding the profile functions do not read is left alone,
  // and so is one whose text would not come back to the same bytes.
  std::string again;
  if (decoded.encoding == platform::TextEncoding::kForeign ||
      (exists && (!platform::EncodeTextFile(decoded.text, decoded.encoding, &again) || again != bytes))) {
    return 0;
  }
  std::string updated = decoded.text;
  if (!settings::ProfileUpdate(&updated, section_, key, value, platform::NewFileLineEnd())) return 0;
  if (exists && updated == decoded.text) return 1;
  std::string out;
  if (!platform::EncodeTextFile(updated, decoded.encoding, &out)) {
    // A character the ANSI code page cannot hold: the file becomes UTF-16LE,
    // Windows' own way, which its ANSI profile functions read too. Never "?".
    if (decoded.encoding != platform::TextEncoding::kEightBit ||
        !platform::EncodeTextFile(updated, platform::TextEncoding::kUtf16Le, &out)) {
      return 0;
    }
  }
  return platform::ReplaceFileContents(path_, out).failed() ? 0 : 1;
}

int CIniSettings::WriteInt(const std::string& key, int value) {
  return WriteString(key, std::to_string(value));
}

int ParseDecimalLikeAtoi(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  long long magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > static_cast<long long>(INT_MAX) + 1) {
      magnitude = static_cast<long long>(INT_MAX) + 1;
    }
  }
  long long result = negative ? -magnitude : magnitude;
  if (result > INT_MAX) return INT_MAX;
  if (result < INT_MIN) return INT_MIN;
  return static_cast<int>(result);
}
