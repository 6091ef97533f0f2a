#include "platform/exepath.h"
#include "platform/file.h"
#include "platform/text_file.h"
#include "settings/ini_settings.h"
#include "settings/settings_path.h"

#include "test_support.h"

#include <climits>
#include <filesystem>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

using testing_support::Exists;
using testing_support::ListNames;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

TEST(SettingsLocation, BesideTheExecutableNamedAfterIt) {
  auto at = [](const std::string& exe) {
    SettingsLocation l = SettingsLocationFor(exe);
    return l.folder + "|" + l.fileName + "|" + l.journalName;
  };
#ifdef _WIN32
  EXPECT_EQ(at("D:\\Tools\\Tarvello.exe"), "D:\\Tools|Tarvello.ini|Tarvello.journal");
  // A program at the root of a drive lies in "D:\", not in "D:" (the
  // current folder of drive D).
  EXPECT_EQ(at("D:\\x.exe"), "D:\\|x.ini|x.journal");
  EXPECT_EQ(at("C:\\Program Files\\my.tool.exe"), "C:\\Program Files|my.tool.ini|my.tool.journal");
  EXPECT_EQ(at("C:/v1.2/tarvello.exe"), "C:/v1.2|tarvello.ini|tarvello.journal");
  // In the root of a drive the file is "D:\x.ini", with one separator.
  CIniSettings settings;
  SettingsLocation root = SettingsLocationFor("D:\\x.exe");
  settings.SetPath(root.folder);
  settings.SetFileName(root.fileName);
  EXPECT_EQ(settings.path(), "D:\\x.ini");
#else
  EXPECT_EQ(at("/opt/tools/my.tool"), "/opt/tools|my.ini|my.journal");
  EXPECT_EQ(at("/opt/tools/my.tool.bin"), "/opt/tools|my.tool.ini|my.tool.journal");
  EXPECT_EQ(at("/opt/tools/tarvello"), "/opt/tools|tarvello.ini|tarvello.journal");
  EXPECT_EQ(at("/tarvello"), "/|tarvello.ini|tarvello.journal");
  EXPECT_EQ(at("/opt/v1.2/tarvello"), "/opt/v1.2|tarvello.ini|tarvello.journal");
  EXPECT_EQ(at("/opt/.tarvello"), "/opt|.tarvello.ini|.tarvello.journal");
  // At the root the file is "/tarvello.ini", with one separator.
  CIniSettings settings;
  SettingsLocation root = SettingsLocationFor("/tarvello");
  settings.SetPath(root.folder);
  settings.SetFileName(root.fileName);
  EXPECT_EQ(settings.path(), "/tarvello.ini");
#endif
}

TEST(SettingsInt, ReadsLikeAtoi) {
  EXPECT_EQ(ParseDecimalLikeAtoi("2"), 2);
  EXPECT_EQ(ParseDecimalLikeAtoi("12abc"), 12);
  EXPECT_EQ(ParseDecimalLikeAtoi("abc"), 0);
  EXPECT_EQ(ParseDecimalLikeAtoi(""), 0);
  EXPECT_EQ(ParseDecimalLikeAtoi("  -1"), -1);
  EXPECT_EQ(ParseDecimalLikeAtoi("+7x"), 7);
  EXPECT_EQ(ParseDecimalLikeAtoi("- 1"), 0);
  EXPECT_EQ(ParseDecimalLikeAtoi("99999999999999999999"), INT_MAX);
  EXPECT_EQ(ParseDecimalLikeAtoi("-99999999999999999999"), INT_MIN);
}

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    settings.SetPath(dir.path());
    settings.SetFileName("tarvello.ini");
    settings.SetSection("Config");
  }
  TempDir dir;
  CIniSettings settings;
};

TEST_F(SettingsFile, AbsentGivesDefaultsPresentGivesTheValue) {
  EXPECT_EQ(settings.path(), dir / "tarvello.ini");
  EXPECT_EQ(settings.GetString("File", "mp3"), "mp3");
  EXPECT_EQ(settings.GetInt("Method", -1), -1);
  EXPECT_FALSE(Exists(settings.path()));

  WriteFile(settings.path(), "[Config]\nFile=\nMethod=\nFolder=12abc\n");
  EXPECT_EQ(settings.GetString("File", "mp3"), "");
  EXPECT_EQ(settings.GetInt("Method", -1), 0);
  EXPECT_EQ(settings.GetInt("Folder", -1), 12);
}

TEST_F(SettingsFile, LongValuesComeBackWhole) {
  const std::string folder = "/home/someone/Music/" + std::string(50, 'x');
  ASSERT_EQ(folder.size(), 70u);
  EXPECT_EQ(settings.WriteString("Folder", folder), 1);
  EXPECT_EQ(settings.GetString("Folder", ""), folder);
  const std::string longer = "/" + std::string(4000, 'y');
  EXPECT_EQ(settings.WriteString("Folder", longer), 1);
  EXPECT_EQ(settings.GetString("Folder", ""), longer);
}

TEST_F(SettingsFile, ALineBreakInAValueIsRefusedAndTheFileKept) {
  ASSERT_EQ(settings.WriteString("Folder", "/music"), 1);
  ASSERT_EQ(settings.WriteInt("Method", 2), 1);
  const std::string before = ReadFile(settings.path());
  EXPECT_EQ(settings.WriteString("Folder", "/music\n[Config]\nMethod=1"), 0);
  EXPECT_EQ(ReadFile(settings.path()), before);
  EXPECT_EQ(settings.GetInt("Method", -1), 2);
}

TEST_F(SettingsFile, WritesKeepUnrelatedLinesAndSections) {
  WriteFile(settings.path(),
            "; my notes\n[Other]\nFolder=keep\n\n[config]\nfile=ogg\nExtra=1\n[Tail]\nX=y\n");
  EXPECT_EQ(settings.WriteString("File", "mp3"), 1);
  EXPECT_EQ(settings.WriteInt("Method", 1), 1);
  EXPECT_EQ(ReadFile(settings.path()),
            "; my notes\n[Other]\nFolder=keep\n\n[config]\nfile=mp3\nExtra=1\nMethod=1\n"
            "[Tail]\nX=y\n");
}

TEST_F(SettingsFile, ReadingNeverCreatesAndWritingLeavesNoTemporaryFile) {
  EXPECT_EQ(settings.GetString("Folder", "?"), "?");
  EXPECT_FALSE(Exists(settings.path()));
  ASSERT_EQ(settings.WriteString("Folder", "/music"), 1);
  ASSERT_EQ(settings.WriteString("File", "mp3"), 1);
  // A new file has the system's line ends.
  const std::string eol = platform::NewFileLineEnd();
  EXPECT_EQ(ReadFile(settings.path()), "[Config]" + eol + "Folder=/music" + eol + "File=mp3" + eol);
  EXPECT_EQ(ListNames(dir.path()), std::vector<std::string>{"tarvello.ini"});
}

TEST_F(SettingsFile, WhatCannotBeReadIsNeitherReadNorOverwritten) {
  // A folder where the file should be.
  testing_support::MakeDir(settings.path());
  EXPECT_EQ(settings.GetString("File", "?"), "?");
  EXPECT_EQ(settings.WriteString("File", "mp3"), 0);
  // A folder that does not exist.
  CIniSettings nowhere;
  nowhere.SetPath(dir / "none");
  nowhere.SetFileName("t.ini");
  nowhere.SetSection("Config");
  EXPECT_EQ(nowhere.WriteString("File", "mp3"), 0);
  EXPECT_FALSE(Exists(dir / "none"));
}

// Writing never changes who may write the settings file.
TEST_F(SettingsFile, AReadOnlyFileStaysAsItIs) {
  WriteFile(settings.path(), "[Config]\nFile=mp3\n");
  namespace fs = std::filesystem;
  const fs::perms readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
  fs::permissions(testing_support::PathOf(settings.path()), readOnly, fs::perm_options::replace);
  EXPECT_EQ(settings.WriteString("File", "ogg"), 0);
  EXPECT_EQ(settings.WriteInt("Method", 1), 0);
  EXPECT_EQ(ReadFile(settings.path()), "[Config]\nFile=mp3\n");
  EXPECT_EQ(fs::status(testing_support::PathOf(settings.path())).permissions() & fs::perms::owner_write,
            fs::perms::none);
  fs::permissions(testing_support::PathOf(settings.path()), fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(SettingsFile, AHardLinkedFileStaysOneFile) {
  WriteFile(settings.path(), "[Config]\nFile=mp3\n");
  testing_support::HardLink(settings.path(), dir / "shared.ini");
  if (std::filesystem::hard_link_count(testing_support::PathOf(settings.path())) < 2) {
    GTEST_SKIP() << "this system does not count the names of a file (wine)";
  }
  EXPECT_EQ(settings.WriteString("File", "ogg"), 1);
  EXPECT_EQ(ReadFile(dir / "shared.ini"), "[Config]\nFile=ogg\n");
  EXPECT_EQ(std::filesystem::hard_link_count(testing_support::PathOf(settings.path())), 2u);
}

#ifndef _WIN32
// Permissions and links as POSIX systems have them.

TEST_F(SettingsFile, ReadOnlyFolderFailsQuietly) {
  if (testing_support::RunningAsRoot()) GTEST_SKIP() << "root writes into read-only folders";
  ASSERT_EQ(chmod(dir.path().c_str(), 0555), 0);
  EXPECT_EQ(settings.WriteString("Folder", "/x"), 0);
  EXPECT_FALSE(Exists(settings.path()));
}

TEST_F(SettingsFile, WritingKeepsTheFileMode) {
  ASSERT_EQ(settings.WriteString("File", "mp3"), 1);
  ASSERT_EQ(chmod(settings.path().c_str(), 0640), 0);
  ASSERT_EQ(settings.WriteString("File", "ogg"), 1);
  struct stat st;
  ASSERT_EQ(stat(settings.path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(SettingsFile, AFileTheUserMayWriteInAFolderTheUserMayNotIsWrittenInPlace) {
  if (testing_support::RunningAsRoot()) GTEST_SKIP() << "root writes into read-only folders";
  ASSERT_EQ(settings.WriteString("File", "mp3"), 1);
  struct stat before;
  ASSERT_EQ(stat(settings.path().c_str(), &before), 0);
  ASSERT_EQ(chmod(dir.path().c_str(), 0555), 0);
  EXPECT_EQ(settings.WriteString("Folder", "/a/much/longer/folder/than/before"), 1);
  EXPECT_EQ(settings.WriteString("File", "o"), 1);  // shorter: the old tail is cut
  chmod(dir.path().c_str(), 0755);
  EXPECT_EQ(ReadFile(settings.path()), "[Config]\nFile=o\nFolder=/a/much/longer/folder/than/before\n");
  struct stat after;
  ASSERT_EQ(stat(settings.path().c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(ListNames(dir.path()), std::vector<std::string>{"tarvello.ini"});
}

TEST_F(SettingsFile, ALinkUnderItsNameIsNeverWrittenThrough) {
  // A link would send the program's writes to whatever it names.
  const std::string real = dir / "real.ini";
  WriteFile(real, "[Config]\nFile=mp3\n");
  for (const char* target : {"real.ini", "elsewhere.ini"}) {
    SCOPED_TRACE(target);
    testing_support::RemoveIfThere(settings.path());
    ASSERT_EQ(symlink(target, settings.path().c_str()), 0);
    EXPECT_EQ(settings.WriteString("File", "ogg"), 0);
    struct stat st;
    ASSERT_EQ(lstat(settings.path().c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadFile(real), "[Config]\nFile=mp3\n");
    EXPECT_FALSE(Exists(dir / "elsewhere.ini"));
    EXPECT_TRUE(platform::AppendToFile(settings.path(), "x").failed());
  }
  EXPECT_EQ(ReadFile(real), "[Config]\nFile=mp3\n");
}

TEST(ProgramPath, FoundFromTheCommandLineAsAShellFindsIt) {
  TempDir dir;
  testing_support::MakeDir(dir / "bin");
  WriteFile(dir / "bin/tool", "#!/bin/sh\n");
  ASSERT_EQ(chmod((dir / "bin/tool").c_str(), 0755), 0);
  WriteFile(dir / "plain", "not a program");
  const std::string search = dir / "empty:" + dir / "bin";
  EXPECT_EQ(platform::ProgramPathFromArgv0("tool", search), dir / "bin/tool");
  EXPECT_EQ(platform::ProgramPathFromArgv0(dir / "bin/tool", ""), dir / "bin/tool");
  EXPECT_EQ(platform::ProgramPathFromArgv0("plain", dir.path()), "");  // not executable
  EXPECT_EQ(platform::ProgramPathFromArgv0("missing", search), "");
  EXPECT_EQ(platform::ProgramPathFromArgv0("", search), "");
}
#endif  // !_WIN32

namespace {

std::string Utf16Le(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

}  // namespace

TEST_F(SettingsFile, ANotepadUnicodeFileIsReadAndStaysUnicode) {
  WriteFile(settings.path(), Utf16Le(u"[Config]\r\nFolder=D:\\\uC74C\uC545\r\nFile=mp3\r\n"));
  EXPECT_EQ(settings.GetString("Folder", "?"), "D:\\음악");
  ASSERT_EQ(settings.WriteInt("Method", 2), 1);
  EXPECT_EQ(ReadFile(settings.path()),
            Utf16Le(u"[Config]\r\nFolder=D:\\\uC74C\uC545\r\nFile=mp3\r\nMethod=2\r\n"));
  EXPECT_EQ(settings.GetInt("Method", -1), 2);
}

TEST_F(SettingsFile, ABigEndianFileIsNeitherReadNorChanged) {
  static const char kBytes[] = "\xFE\xFF\0[\0C\0o\0n\0f\0i\0g\0]\0\r\0\n\0A\0=\0\x31";
  const std::string bigEndian(kBytes, sizeof kBytes - 1);
  WriteFile(settings.path(), bigEndian);
  EXPECT_EQ(settings.GetString("A", "?"), "?");
  EXPECT_EQ(settings.WriteString("A", "2"), 0);
  EXPECT_EQ(ReadFile(settings.path()), bigEndian);
}

#ifdef _WIN32
TEST_F(SettingsFile, AValueTheAnsiCodePageCannotHoldMakesTheFileUnicode) {
  // Never "?": the file becomes UTF-16LE, which the ANSI profile functions
  // read too.
  WriteFile(settings.path(), "[Config]\r\nFile=mp3\r\n");
  ASSERT_EQ(settings.WriteString("Folder", "D:\\\xF0\x9F\x8E\xB5"), 1);
  EXPECT_EQ(ReadFile(settings.path()).compare(0, 2, "\xFF\xFE"), 0);
  EXPECT_EQ(settings.GetString("Folder", "?"), "D:\\\xF0\x9F\x8E\xB5");
  EXPECT_EQ(settings.GetString("File", "?"), "mp3");
}
#endif
