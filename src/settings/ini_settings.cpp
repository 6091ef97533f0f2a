#include "settings/ini_settings.h"

#include "platform/profile.h"

#include <climits>

void CIniSettings::SetPath(const std::string& folder) { folder_ = folder + "/"; }

void CIniSettings::SetFileName(const std::string& name) { path_ = folder_ + name; }

void CIniSettings::SetSection(const std::string& section) { section_ = section; }

std::string CIniSettings::GetString(const std::string& key, const std::string& def) const {
  std::string value;
  if (platform::ReadProfileString(path_, section_, key, &value)) return value;
  return def;
}

int CIniSettings::GetInt(const std::string& key, int def) const {
  std::string value;
  if (platform::ReadProfileString(path_, section_, key, &value)) {
    return ParseDecimalLikeAtoi(value);
  }
  return def;
}

int CIniSettings::WriteString(const std::string& key, const std::string& value) {
  return platform::WriteProfileString(path_, section_, key, value) ? 1 : 0;
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
