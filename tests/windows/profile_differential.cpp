// The settings file against the Windows profile functions themselves (wine's,
// run by this program under wine): over a corpus of odd files, in every line
// end and encoding, what GetPrivateProfileString reads we must read; what we
// write, GetPrivateProfileString must read back; what
// WritePrivateProfileString writes, we must read.
//
// Wine is not Windows in a few places, and there we follow Windows: the
// corpus files named "wine-*" hold those cases, and their differences are
// counted as known, not as failures.
//
// Usage: profile_differential CORPUS_FOLDER   (exit status 1 on an unknown
// difference)
#include "platform/wtf8.h"
#include "settings/ini_settings.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const kSections[] = {"Config", "config", "CONFIG", "Other", "Second", "설정",
                                 "Con]fig", "Con", "", " Config "};
const char* const kKeys[] = {"Folder", "File", "Method", "folder", "Extra", "key with space", "Key"};
// The keys looked at again after a write: a smaller set, as every look
// reads the file anew.
const char* const kSectionsAfterWrite[] = {"Config", "Other", "Second", "설정", "Con"};
const char* const kKeysAfterWrite[] = {"Folder", "File", "Method", "Extra"};
const char kAbsent[] = "<absent>";

std::wstring Wide(const std::string& utf8) {
  std::u16string utf16;
  platform::Utf16FromWtf8(utf8, &utf16);
  return std::wstring(utf16.begin(), utf16.end());
}

std::string Utf8(const std::wstring& wide) {
  return platform::Wtf8FromUtf16(reinterpret_cast<const char16_t*>(wide.data()), wide.size());
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// The text in the system's ANSI code page; false when a character is not
// in it.
bool Ansi(const std::string& utf8, std::string* ansi) {
  const std::wstring wide = Wide(utf8);
  if (wide.empty()) {
    ansi->clear();
    return true;
  }
  BOOL lost = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                                       static_cast<int>(wide.size()), nullptr, 0, nullptr, &lost);
  if (lost || size <= 0) return false;
  ansi->assign(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                      &(*ansi)[0], size, nullptr, &lost);
  return !lost;
}

std::string WithLineEnds(const std::string& text, const std::string& end) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (text[i] == '\n' || text[i] == '\r') {
      out += end;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string Utf16Le(const std::string& utf8) {
  std::u16string utf16;
  platform::Utf16FromWtf8(utf8, &utf16);
  std::string bytes = "\xFF\xFE";
  for (const char16_t unit : utf16) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

struct Variant {
  std::string name;
  std::string bytes;
  bool knownWine;
};

// Every base file as it is, with each line end, in the ANSI code page, and
// as Notepad's "Unicode".
std::vector<Variant> Variants(const fs::path& corpus) {
  std::vector<Variant> variants;
  for (const fs::directory_entry& entry : fs::directory_iterator(corpus)) {
    const std::string name = entry.path().filename().string();
    const std::string bytes = ReadBytes(entry.path());
    const bool known = name.rfind("wine-", 0) == 0;
    variants.push_back({name, bytes, known});
    if (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0) continue;
    for (const auto& [label, end] : {std::pair<const char*, const char*>{"lf", "\n"},
                                     {"crlf", "\r\n"}, {"cr", "\r"}}) {
      const std::string changed = WithLineEnds(bytes, end);
      if (changed != bytes) variants.push_back({name + "." + label, changed, known});
    }
    std::string ansi;
    if (Ansi(bytes, &ansi) && ansi != bytes) variants.push_back({name + ".ansi", ansi, known});
    if (bytes.find('\0') == std::string::npos && name != "wine-utf8-bom.ini") {
      variants.push_back({name + ".utf16", Utf16Le(bytes), known});
    }
  }
  return variants;
}

std::string ApiRead(const fs::path& file, const std::string& section, const std::string& key) {
  std::wstring buffer(65536, L'\0');
  const DWORD length =
      GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(kAbsent).c_str(),
                               &buffer[0], static_cast<DWORD>(buffer.size()), file.wstring().c_str());
  buffer.resize(length);
  return Utf8(buffer);
}

std::string OurRead(const fs::path& file, const std::string& section, const std::string& key) {
  CIniSettings settings;
  settings.SetPath(Utf8(file.parent_path().wstring()));
  settings.SetFileName(Utf8(file.filename().wstring()));
  settings.SetSection(section);
  return settings.GetString(key, kAbsent);
}

int OurWrite(const fs::path& file, const std::string& section, const std::string& key,
             const std::string& value) {
  CIniSettings settings;
  settings.SetPath(Utf8(file.parent_path().wstring()));
  settings.SetFileName(Utf8(file.filename().wstring()));
  settings.SetSection(section);
  return settings.WriteString(key, value);
}

struct Tally {
  int checks = 0;
  int differences = 0;
  int known = 0;
  void Count(bool same, bool knownWine, const std::string& what) {
    ++checks;
    if (same) return;
    if (knownWine) {
      ++known;
      return;
    }
    if (++differences <= 40) std::printf("  differs: %s\n", what.c_str());
  }
};

std::string Show(const std::string& text) {
  std::string shown;
  for (const char c : text) {
    if (c == '\0') {
      shown += "\\0";
    } else if (c == '\r') {
      shown += "\\r";
    } else if (c == '\n') {
      shown += "\\n";
    } else {
      shown += c;
    }
  }
  return "\"" + shown + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: profile_differential CORPUS_FOLDER\n");
    return 2;
  }
  const fs::path corpus = fs::u8path(argv[1]);
  const fs::path work = fs::temp_directory_path() / ("tarvello-profile-" + std::to_string(GetCurrentProcessId()));
  fs::create_directories(work);
  std::printf("ANSI code page %u\n", GetACP());

  const std::vector<Variant> variants = Variants(corpus);
  Tally reads, ourWrites, theirWrites;
  struct Write {
    const char* section;
    const char* key;
    const char* value;
  };
  const Write writes[] = {{"Config", "Folder", "D:\\New"},  {"Config", "Method", "2"},
                          {"Config", "File", " spaced "},   {"Config", "File", "'single'"},
                          {"Other", "Extra", "x"},          {"Brand New", "Key", "v"},
                          {"Config", "Folder", "D:\\음악"}, {"config", "FOLDER", ""}};
  for (const Variant& variant : variants) {
    const fs::path original = work / "original.ini";
    WriteBytes(original, variant.bytes);
    // 1. What the system's functions read, we read.
    for (const char* section : kSections) {
      for (const char* key : kKeys) {
        const std::string theirs = ApiRead(original, section, key);
        const std::string ours = OurRead(original, section, key);
        reads.Count(theirs == ours, variant.knownWine,
                    variant.name + " [" + section + "] " + key + ": system " + Show(theirs) +
                        ", ours " + Show(ours));
      }
    }
    for (const Write& write : writes) {
      // 2. What we write, the system's functions read back, and every other
      // key reads as before.
      const fs::path ours = work / "ours.ini";
      WriteBytes(ours, variant.bytes);
      const std::string what = variant.name + " write [" + write.section + "] " + write.key +
                               "=" + Show(write.value);
      if (OurWrite(ours, write.section, write.key, write.value) != 0) {
        ourWrites.Count(ApiRead(ours, write.section, write.key) == write.value, variant.knownWine,
                        what + ": read back " + Show(ApiRead(ours, write.section, write.key)));
        for (const char* section : kSectionsAfterWrite) {
          for (const char* key : kKeysAfterWrite) {
            if (CompareStringOrdinal(Wide(section).c_str(), -1, Wide(write.section).c_str(), -1, TRUE) == CSTR_EQUAL &&
                CompareStringOrdinal(Wide(key).c_str(), -1, Wide(write.key).c_str(), -1, TRUE) == CSTR_EQUAL) {
              continue;
            }
            const std::string before = ApiRead(original, section, key);
            const std::string after = ApiRead(ours, section, key);
            ourWrites.Count(before == after, variant.knownWine,
                            what + ": [" + section + "] " + key + " was " + Show(before) +
                                ", is " + Show(after));
          }
        }
      } else {
        // A refused write leaves the file as it was.
        ourWrites.Count(ReadBytes(ours) == variant.bytes, variant.knownWine, what + ": refused, file changed");
      }
      // 3. What the system's functions write (the ANSI ones and the wide
      // ones), we read.
      std::string ansiValue, ansiSection, ansiKey;
      const bool ansiOk = Ansi(write.value, &ansiValue) && Ansi(write.section, &ansiSection) &&
                          Ansi(write.key, &ansiKey);
      for (const bool ansiCall : {true, false}) {
        if (ansiCall && !ansiOk) continue;
        const fs::path theirs = work / "theirs.ini";
        WriteBytes(theirs, variant.bytes);
        const bool wrote =
            ansiCall ? WritePrivateProfileStringA(ansiSection.c_str(), ansiKey.c_str(),
                                                  ansiValue.c_str(), theirs.string().c_str()) != 0
                     : WritePrivateProfileStringW(Wide(write.section).c_str(), Wide(write.key).c_str(),
                                                  Wide(write.value).c_str(), theirs.wstring().c_str()) != 0;
        if (!wrote) continue;
        const std::string expected = ApiRead(theirs, write.section, write.key);
        const std::string got = OurRead(theirs, write.section, write.key);
        theirWrites.Count(expected == got, variant.knownWine,
                          what + (ansiCall ? " by the ANSI call" : " by the wide call") +
                              ": it reads " + Show(expected) + ", we read " + Show(got));
      }
    }
  }
  std::error_code ignored;
  fs::remove_all(work, ignored);

  std::printf("%zu files\n", variants.size());
  std::printf("reads:                 %5d checks, %3d differ, %3d known wine differences\n",
              reads.checks, reads.differences, reads.known);
  std::printf("our writes, read back: %5d checks, %3d differ, %3d known wine differences\n",
              ourWrites.checks, ourWrites.differences, ourWrites.known);
  std::printf("their writes, we read: %5d checks, %3d differ, %3d known wine differences\n",
              theirWrites.checks, theirWrites.differences, theirWrites.known);
  return reads.differences + ourWrites.differences + theirWrites.differences == 0 ? 0 : 1;
}
