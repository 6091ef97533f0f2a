// Settings files as users, editors and accidents leave them: the program
// starts with the readable values or the defaults, renames nothing by itself,
// and never crashes or hangs.
#include "rename/workflow.h"

#include "headless_program.h"

#include <gtest/gtest.h>
#include <random>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

using testing_support::Exists;
using testing_support::ListNames;
using testing_support::MakeDir;
using testing_support::ReadFile;
using testing_support::RecordingPauser;
using testing_support::RunningAsRoot;
using testing_support::TempDir;
using testing_support::TestRandom;
using testing_support::WriteFile;

namespace {

struct Started {
  std::string folder;
  std::string extension;
  RenameMethod method;
};

class MalformedSettings : public ::testing::Test, protected testing_support::HeadlessProgram {
 protected:
  MalformedSettings() { WriteFile(music + "/a.mp3", "a"); }
  Started Start() {
    workflow.Start();
    // Starting shows no message, asks nothing and renames nothing.
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(view.questions.empty());
    EXPECT_EQ(ListNames(music), std::vector<std::string>{"a.mp3"});
    return {view.folder, view.extension, job().method()};
  }
};

}  // namespace

TEST_F(MalformedSettings, ReadableValuesAreTakenTheRestIsDefault) {
  constexpr RenameMethod kNone = RenameMethod::kNone, kAdd = RenameMethod::kAdd,
                         kReplace = RenameMethod::kReplace, kDelete = RenameMethod::kDelete;
  const std::string megabyte(1 << 20, 'x');
  struct Case {
    std::string text;
    std::string folder, extension;
    RenameMethod method;
  };
  const std::vector<Case> cases = {
      {"[Config]\nFolder=/m\nFile=ogg", "/m", "ogg", kNone},  // no final newline
      // Windows reads a UTF-8 byte-order mark as part of the first line.
      {"\xEF\xBB\xBF[Config]\r\nMethod=2\r\n", "", "mp3", kNone},
      {"[Config]\rMethod=2\rFolder=/cr", "/cr", "mp3", kDelete},
      {std::string("[Config]\nFile=m\0p3\nMethod=1\n", 28), "", std::string("m\0p3", 4), kReplace},
      {"[Config]\nFolder=" + megabyte + "\nMethod=0\n", megabyte, "mp3", kAdd},
      // Only a section's first block counts.
      {"[Config]\nFile=one\nFile=two\n[Config]\nFile=three\nMethod=2\n", "", "one", kNone},
      {"Folder=/outside\nMethod=1\n[Other]\nFolder=/other\n", "", "mp3", kNone},
      {"[Konfig]\nFolder=/k\n", "", "mp3", kNone},
      {"[Config\nFolder=/unclosed\n", "/unclosed", "mp3", kNone},
      {"[Config]\nMethod=99999999999999\n", "", "mp3", kNone},
      {"", "", "mp3", kNone},
  };
  for (const Case& c : cases) {
    WriteFile(ini, c.text);
    const Started started = Start();
    EXPECT_EQ(started.folder, c.folder) << c.text.substr(0, 60);
    EXPECT_EQ(started.extension, c.extension) << c.text.substr(0, 60);
    EXPECT_EQ(started.method, c.method) << c.text.substr(0, 60);
    EXPECT_EQ(view.checked, c.method) << c.text.substr(0, 60);
  }
}

TEST_F(MalformedSettings, GarbageNeverCrashesAndSearchKeepsIt) {
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    std::string garbage(std::uniform_int_distribution<int>(0, 2000)(rng), '\0');
    for (char& c : garbage) {
      // Mostly the bytes that mean something in the format, some of anything.
      static const char meaningful[] = "[]=;\r\n \t\"ConfigFolderMethod";
      c = std::uniform_int_distribution<int>(0, 3)(rng)
              ? meaningful[std::uniform_int_distribution<int>(0, sizeof meaningful - 2)(rng)]
              : static_cast<char>(std::uniform_int_distribution<int>(0, 255)(rng));
    }
    WriteFile(ini, garbage);
    Start();
    view.folder = music;
    view.extension = "mp3";
    Do(Command::kSearch);
    ASSERT_EQ(job().oldCount(), 1u);
    // The garbage is still there, with the two keys readable from it.
    const std::string after = ReadFile(ini);
    const CIniSettings& settings = workflow.settings();
    EXPECT_EQ(settings.GetString("Folder", "?"), music) << round;
    EXPECT_EQ(settings.GetString("File", "?"), "mp3") << round;
    EXPECT_GE(after.size(), garbage.size());
  }
}

TEST_F(MalformedSettings, ALargeFileIsReadAndWrittenInOnePass) {
  // 24 MiB of short lines without "=" or "]" before the section (notes, a
  // pasted log). A reader that looked for "=" or "]" to the end of the text
  // from every line would take hours here; the test's time limit stops it.
  std::string text;
  text.reserve(25 << 20);
  while (text.size() < (24u << 20)) text += "notes\r\n";
  text += "[Config]\r\nFolder=" + music + "\r\nFile=mp3\r\nMethod=2\r\n";
  WriteFile(ini, text);
  const Started started = Start();
  EXPECT_EQ(started.folder, music);
  EXPECT_EQ(started.method, RenameMethod::kDelete);
  view.extension = "MP3";
  Do(Command::kSearch);
  EXPECT_EQ(job().oldCount(), 1u);
  const std::string after = ReadFile(ini);
  EXPECT_EQ(after.size(), text.size());
  EXPECT_EQ(after.compare(0, 24u << 20, text, 0, 24u << 20), 0);
  EXPECT_NE(after.find("\r\nFile=MP3\r\n"), std::string::npos);
}

#ifndef _WIN32
// Pipes and permissions as POSIX systems have them.

TEST_F(MalformedSettings, WhatIsNotAFileReadsAsAbsentAndIsNeverReplaced) {
  ASSERT_EQ(mkfifo(ini.c_str(), 0644), 0);  // would block a plain open
  Started started = Start();
  EXPECT_EQ(started.extension, "mp3");
  view.folder = music;
  Do(Command::kSearch);
  struct stat st;
  ASSERT_EQ(lstat(ini.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));

  ASSERT_EQ(unlink(ini.c_str()), 0);
  MakeDir(ini);
  started = Start();
  EXPECT_EQ(started.method, RenameMethod::kNone);
  view.folder = music;
  Do(Command::kSearch);
  EXPECT_EQ(job().oldCount(), 1u);
}

TEST_F(MalformedSettings, AnUnreadableFileIsNeitherReadNorOverwritten) {
  if (RunningAsRoot()) GTEST_SKIP() << "root reads every file; run again unprivileged";
  WriteFile(ini, "[Config]\nFolder=/secret\nMethod=2\n");
  ASSERT_EQ(chmod(ini.c_str(), 0200), 0);
  const Started started = Start();
  EXPECT_EQ(started.folder, "");
  EXPECT_EQ(started.method, RenameMethod::kNone);
  view.folder = music;
  Do(Command::kSearch);
  EXPECT_EQ(job().oldCount(), 1u);
  chmod(ini.c_str(), 0600);
  EXPECT_EQ(ReadFile(ini), "[Config]\nFolder=/secret\nMethod=2\n");
}

TEST_F(MalformedSettings, AReadOnlySettingsFolderChangesNothingAndSaysNothing) {
  if (RunningAsRoot()) GTEST_SKIP() << "root writes into read-only folders; run again unprivileged";
  WriteFile(ini, "[Config]\nFolder=" + music + "\nFile=mp3\nMethod=1\n");
  ASSERT_EQ(chmod(root.path().c_str(), 0555), 0);
  const Started started = Start();
  EXPECT_EQ(started.folder, music);
  EXPECT_EQ(started.method, RenameMethod::kReplace);
  Do(Command::kSearch);
  ASSERT_TRUE(Do(Command::kRandom));
  Do(Command::kRun);
  chmod(root.path().c_str(), 0755);
  EXPECT_TRUE(Complete(view.status));
  EXPECT_TRUE(view.messages.empty());
  EXPECT_EQ(ReadFile(ini), "[Config]\nFolder=" + music + "\nFile=mp3\nMethod=1\n");
  EXPECT_EQ(ListNames(root.path()), (std::vector<std::string>{"music", "tarvello.ini"}));
}
#endif  // !_WIN32
