// A folder of the real file system, as the program uses it on every system:
// its files listed, renamed without replacing, asked whether a name is there.
#include "platform/folder.h"

#include "test_folders.h"
#include "test_support.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

using platform::ErrorCode;
using testing_support::ListNames;
using testing_support::MakeDir;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

// Runs each test twice: with the system's one-step no-replace rename and
// with the look-then-rename used where a file system has none.
class AnyFolder : public ::testing::TestWithParam<bool> {
 protected:
  AnyFolder() : folder(testing_support::SystemOrFallbackFolders(GetParam())(dir.path())) {}
  ErrorCode Rename(const std::string& from, const std::string& to) {
    return folder->RenameNoReplace(from, to).code;
  }
  std::vector<std::string> Listed() {
    std::vector<std::string> names;
    EXPECT_FALSE(folder->List([&](std::string name) { names.push_back(name); }).failed());
    std::sort(names.begin(), names.end());
    return names;
  }
  TempDir dir;
  std::unique_ptr<platform::Folder> folder;
};

}  // namespace

TEST_P(AnyFolder, ListsFilesButNoFolders) {
  WriteFile(dir / "a.mp3", "a");
  WriteFile(dir / ".hidden", "h");
  WriteFile(dir / "노래.mp3", "k");
  MakeDir(dir / "sub.mp3");
  EXPECT_EQ(Listed(), (std::vector<std::string>{".hidden", "a.mp3", "노래.mp3"}));
  EXPECT_EQ(folder->Has("sub.mp3"), platform::Presence::kPresent);
  EXPECT_EQ(folder->Has("노래.mp3"), platform::Presence::kPresent);
  EXPECT_EQ(folder->Has("b.mp3"), platform::Presence::kAbsent);
}

TEST_P(AnyFolder, RenamesIntoAFreeNameAndNeverOverAnother) {
  WriteFile(dir / "a.mp3", "A");
  WriteFile(dir / "b.mp3", "B");
  EXPECT_EQ(Rename("a.mp3", "b.mp3"), ErrorCode::kExists);
  EXPECT_EQ(Rename("a.mp3", "a.mp3"), ErrorCode::kExists);
  EXPECT_EQ(Rename("a.mp3", "0001_a.mp3"), ErrorCode::kNone);
  EXPECT_EQ(Rename("gone.mp3", "x.mp3"), ErrorCode::kNotFound);
  EXPECT_EQ(ListNames(dir.path()), (std::vector<std::string>{"0001_a.mp3", "b.mp3"}));
  EXPECT_EQ(ReadFile(dir / "0001_a.mp3"), "A");
  EXPECT_EQ(ReadFile(dir / "b.mp3"), "B");
}

INSTANTIATE_TEST_SUITE_P(OneStepAndLookFirst, AnyFolder, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "LookFirst" : "OneStep"; });

TEST(Folder, WhatCannotBeOpenedSaysWhy) {
  TempDir dir;
  WriteFile(dir / "file", "x");
  EXPECT_EQ(platform::SystemFolder(dir / "missing").openError().code, ErrorCode::kNotFound);
  EXPECT_EQ(platform::SystemFolder(dir / "file").openError().code, ErrorCode::kNotFolder);
  EXPECT_EQ(platform::SystemFolder("").openError().code, ErrorCode::kNotFound);
  platform::SystemFolder missing(dir / "missing");
  EXPECT_TRUE(missing.List([](std::string) { ADD_FAILURE(); }).failed());
  EXPECT_EQ(missing.RenameNoReplace("a", "b").code, ErrorCode::kNotFound);
}

TEST(Folder, KnowsItselfWhateverThePathsSpelling) {
  TempDir dir;
  MakeDir(dir / "music");
  platform::SystemFolder folder(dir / "music");
  ASSERT_TRUE(folder.Id().has_value());
  EXPECT_EQ(folder.Id(), platform::IdOfPath(dir / "music"));
  EXPECT_EQ(folder.Id(), platform::IdOfPath(dir / "music" + TempDir::kSeparator + "." ));
  EXPECT_NE(folder.Id(), platform::IdOfPath(dir.path()));
}

#ifdef _WIN32
TEST(WindowsFolder, LetterCaseNeverLetsANameBeTakenTwice) {
  // "SONG.mp3" and "song.mp3" are one name here.
  TempDir dir;
  WriteFile(dir / "SONG.mp3", "SONG");
  WriteFile(dir / "0042_song.mp3", "song");
  platform::SystemFolder folder(dir.path());
  EXPECT_EQ(folder.Has("song.mp3"), platform::Presence::kPresent);
  EXPECT_EQ(folder.RenameNoReplace("0042_song.mp3", "song.mp3").code, ErrorCode::kExists);
  EXPECT_EQ(ReadFile(dir / "SONG.mp3"), "SONG");
  EXPECT_EQ(ReadFile(dir / "0042_song.mp3"), "song");
}

TEST(WindowsFolder, ANameCutThroughACharacterIsRefusedNotMangled) {
  TempDir dir;
  WriteFile(dir / "노래.mp3", "k");
  platform::SystemFolder folder(dir.path());
  // Delete's five-byte cut of "노래.mp3" leaves half a character.
  const platform::Error error = folder.RenameNoReplace("노래.mp3", "\x98.mp3");
  EXPECT_EQ(error.code, ErrorCode::kOther);
  EXPECT_NE(error.words.find("character"), std::string::npos);
  EXPECT_EQ(ListNames(dir.path()), std::vector<std::string>{"노래.mp3"});
}
#endif
