// The folder on a POSIX file system: links, and the order of the listing.
#include "platform/folder.h"
#include "platform/path.h"

#include "headless_program.h"
#include "test_folders.h"
#include "test_support.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using platform::ErrorCode;
using testing_support::ListNames;
using testing_support::MakeDir;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

std::vector<std::string> Listed(platform::Folder& folder, ErrorCode* error = nullptr) {
  std::vector<std::string> names;
  const platform::Error result = folder.List([&](const std::string& name) { names.push_back(name); });
  if (error) *error = result.code;
  return names;
}

// Runs each test twice: with the kernel's atomic no-replace rename and with
// the check-then-rename used where a file system lacks it.
class NoReplace : public ::testing::TestWithParam<bool> {
 protected:
  NoReplace() : folder(testing_support::SystemOrFallbackFolders(GetParam())(dir.path())) {}
  ErrorCode Rename(const std::string& from, const std::string& to) {
    return folder->RenameNoReplace(from, to).code;
  }
  TempDir dir;
  std::unique_ptr<platform::Folder> folder;
};

}  // namespace

TEST(PosixFolder, ListsFilesAndLinksButNoFoldersInFileSystemOrder) {
  TempDir dir;
  WriteFile(dir / "a.mp3", "a");
  WriteFile(dir / ".hidden", "h");
  WriteFile(dir / std::string("\xff name\n"), "x");
  MakeDir(dir / "sub.mp3");
  ASSERT_EQ(symlink("sub.mp3", (dir / "dirlink").c_str()), 0);
  ASSERT_EQ(symlink("a.mp3", (dir / "filelink").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", (dir / "dangling").c_str()), 0);

  // The order is the file system's own, as readdir yields it.
  std::vector<std::string> expected;
  DIR* raw = opendir(dir.path().c_str());
  while (const dirent* e = readdir(raw)) {
    std::string name = e->d_name;
    if (name != "." && name != ".." && name != "sub.mp3" && name != "dirlink") {
      expected.push_back(name);
    }
  }
  closedir(raw);
  platform::SystemFolder folder(dir.path());
  ErrorCode error = ErrorCode::kOther;
  EXPECT_EQ(Listed(folder, &error), expected);
  EXPECT_EQ(error, ErrorCode::kNone);
  EXPECT_EQ(expected.size(), 5u);
  EXPECT_EQ(folder.Has("a.mp3"), platform::Presence::kPresent);
  EXPECT_EQ(folder.Has("dangling"), platform::Presence::kPresent);
  EXPECT_EQ(folder.Has("b.mp3"), platform::Presence::kAbsent);
}

TEST_P(NoReplace, NeverReplacesAnExistingName) {
  WriteFile(dir / "a.mp3", "A");
  WriteFile(dir / "b.mp3", "B");
  ASSERT_EQ(symlink("nowhere", (dir / "link").c_str()), 0);
  ASSERT_EQ(link((dir / "a.mp3").c_str(), (dir / "hard.mp3").c_str()), 0);

  EXPECT_EQ(Rename("a.mp3", "b.mp3"), ErrorCode::kExists);
  EXPECT_EQ(Rename("a.mp3", "link"), ErrorCode::kExists);      // a dangling link is a name too
  EXPECT_EQ(Rename("a.mp3", "hard.mp3"), ErrorCode::kExists);  // a hard link to the same file
  EXPECT_EQ(Rename("a.mp3", "a.mp3"), ErrorCode::kExists);
  EXPECT_EQ(ReadFile(dir / "a.mp3"), "A");
  EXPECT_EQ(ReadFile(dir / "b.mp3"), "B");
  EXPECT_EQ(ReadFile(dir / "hard.mp3"), "A");
  EXPECT_EQ(ListNames(dir.path()), (std::vector<std::string>{"a.mp3", "b.mp3", "hard.mp3", "link"}));
}

INSTANTIATE_TEST_SUITE_P(AtomicAndFallback, NoReplace, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Fallback" : "Atomic"; });

TEST(PosixFolder, OnePathSpellingFollowsLinksAndDropsDotsAndSeparators) {
  TempDir dir;
  MakeDir(dir / "real");
  MakeDir(dir / "real/Music");
  ASSERT_EQ(symlink("real/Music", (dir / "Link").c_str()), 0);
  const std::string music = platform::NormalFolderPath(dir / "real/Music");
  ASSERT_EQ(music.back(), 'c');
  for (const std::string& typed : {dir / "real/Music/", dir / "real/Music/.", dir / "real/./Music",
                                   dir / "real/Music/../Music", dir / "Link", dir / "Link/"}) {
    EXPECT_EQ(platform::NormalFolderPath(typed), music) << typed;
  }
  testing_support::WorkingFolder inMusic(dir / "real/Music");
  EXPECT_EQ(platform::NormalFolderPath("."), music);
  // A folder that is not there is spelled from the words alone.
  EXPECT_EQ(platform::NormalFolderPath("/no/such/./folder/"), "/no/such/folder");
  EXPECT_EQ(platform::NormalFolderPath("/no/such/../folder"), "/no/folder");
}

TEST(PosixFolder, TheOrderStepKeepsTheFoldersOwner) {
  if (!testing_support::RunningAsRoot()) GTEST_SKIP() << "only root can give a folder to another user";
  testing_support::HeadlessProgram program;
  for (int i = 0; i < 20; ++i) WriteFile(program.music + "/track" + std::to_string(i) + ".mp3", "x");
  ASSERT_EQ(chown(program.music.c_str(), 65534, 65534), 0);
  WorkflowServices services = program.services;
  services.order = OrderPolicy::kAlways;
  testing_support::MemoryProgram ordered(services);
  ordered.workflow.Start();
  ordered.view.folder = program.music;
  ordered.view.checked = RenameMethod::kAdd;
  ordered.Do(Command::kSearch);
  ASSERT_TRUE(ordered.Do(Command::kRandom));
  ordered.Do(Command::kRun);
  ASSERT_NE(ordered.workflow.lastOrderOperations(), 0u) << shell::StatusText(ordered.view.status);
  struct stat st;
  ASSERT_EQ(stat(program.music.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_EQ(st.st_gid, 65534u);
}
