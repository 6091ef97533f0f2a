// One settings file, one section, string and integer keys.
#pragma once

#include <string>

class CIniSettings {
 public:
  CIniSettings() = default;
  virtual ~CIniSettings() = default;

  // The folder that holds the file; the path separator is appended.
  void SetPath(const std::string& folder);
  // The file's name inside that folder; SetPath comes first.
  void SetFileName(const std::string& name);
  void SetSection(const std::string& section);

  // The key's value, read back whole, or def when the file, the section or
  // the key is absent. A key that is present with an empty value gives "".
  std::string GetString(const std::string& key, const std::string& def) const;
  // The key's value read as atoi reads it ("12abc" gives 12, "abc" and ""
  // give 0; out-of-range numbers are clamped), or def when the key is absent.
  int GetInt(const std::string& key, int def) const;

  // 1 on success, 0 on failure; the file is never left half-written.
  int WriteString(const std::string& key, const std::string& value);
  int WriteInt(const std::string& key, int value);

  // The settings file's full path; empty when there is no file, and then
  // every read gives its default and every write fails.
  const std::string& path() const { return path_; }

 private:
  std::string folder_;
  std::string path_;
  std::string section_;
};

// atoi's reading of a decimal integer, clamped to the int range.
int ParseDecimalLikeAtoi(const std::string& text);
