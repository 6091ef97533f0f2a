// The directory listing and the no-replace rename on a real file system.
#include "platform/dirlist.h"
#include "platform/norename.h"

#include "test_support.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using testing_support::Exists;
using testing_support::ListNames;
using testing_support::MakeDir;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

std::vector<std::string> Listed(const std::string& path, int* error = nullptr) {
  std::vector<std::string> names;
  int result = platform::ListFiles(path, [&](const std::string& name) { names.push_back(name); });
  if (error) *error = result;
  return names;
}

// Runs each test twice: with the kernel's atomic no-replace rename and with
// the check-then-rename used where a file system lacks it.
class NoReplace : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { platform::ForceRenameFallback(GetParam()); }
  void TearDown() override { platform::ForceRenameFallback(false); }
  int Rename(const std::string& from, const std::string& to) {
    return platform::RenameNoReplace(AT_FDCWD, dir / from, dir / to);
  }
  TempDir dir;
};

}  // namespace

TEST(ListFiles, ListsFilesAndLinksButNoFoldersInFileSystemOrder) {
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
  int error = -1;
  EXPECT_EQ(Listed(dir.path() + "/", &error), expected);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(expected.size(), 5u);

  Listed(dir / "missing/", &error);
  EXPECT_EQ(error, ENOENT);
}

TEST_P(NoReplace, RenamesIntoAFreeName) {
  WriteFile(dir / "a.mp3", "A");
  EXPECT_EQ(Rename("a.mp3", "0001_a.mp3"), 0);
  EXPECT_EQ(ListNames(dir.path()), std::vector<std::string>{"0001_a.mp3"});
  EXPECT_EQ(ReadFile(dir / "0001_a.mp3"), "A");
  EXPECT_EQ(Rename("gone.mp3", "x.mp3"), ENOENT);
}

TEST_P(NoReplace, NeverReplacesAnExistingName) {
  WriteFile(dir / "a.mp3", "A");
  WriteFile(dir / "b.mp3", "B");
  ASSERT_EQ(symlink("nowhere", (dir / "link").c_str()), 0);
  ASSERT_EQ(link((dir / "a.mp3").c_str(), (dir / "hard.mp3").c_str()), 0);

  EXPECT_EQ(Rename("a.mp3", "b.mp3"), EEXIST);
  EXPECT_EQ(Rename("a.mp3", "link"), EEXIST);      // a dangling link is a name too
  EXPECT_EQ(Rename("a.mp3", "hard.mp3"), EEXIST);  // a hard link to the same file
  EXPECT_EQ(Rename("a.mp3", "a.mp3"), EEXIST);
  EXPECT_EQ(ReadFile(dir / "a.mp3"), "A");
  EXPECT_EQ(ReadFile(dir / "b.mp3"), "B");
  EXPECT_EQ(ReadFile(dir / "hard.mp3"), "A");
  EXPECT_EQ(ListNames(dir.path()), (std::vector<std::string>{"a.mp3", "b.mp3", "hard.mp3", "link"}));
}

INSTANTIATE_TEST_SUITE_P(AtomicAndFallback, NoReplace, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Fallback" : "Atomic"; });

TEST(RenameErrorText, SaysWhyInPlainWords) {
  EXPECT_EQ(platform::RenameErrorText(EEXIST), "the name is taken");
  EXPECT_EQ(platform::RenameErrorText(ENOENT), "the file is gone");
  EXPECT_EQ(platform::RenameErrorText(EACCES), "no permission");
  EXPECT_EQ(platform::RenameErrorText(ENAMETOOLONG), "the name is too long");
}
