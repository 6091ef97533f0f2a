// Nothing is ever lost: many random jobs on real folders, with faults
// injected between Random and Run, on the kernel's no-replace rename and on
// the fallback; and a whole job on a real case-insensitive NTFS volume.
#include "rename/rename_state.h"

#include "platform/bytes.h"
#include "platform/norename.h"
#include "rename/control_ids.h"
#include "headless_program.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

class FallbackGuard {
 public:
  explicit FallbackGuard(bool force) { platform::ForceRenameFallback(force); }
  ~FallbackGuard() { platform::ForceRenameFallback(false); }
};

// A file name of one of the kinds that make renaming hard.
std::string RandomName(std::mt19937& rng, int serial) {
  const std::string n = std::to_string(serial);
  switch (std::uniform_int_distribution<int>(0, 11)(rng)) {
    case 0: return "track" + n + ".mp3";
    case 1: {  // already numbered, with numbers that other files will draw
      char prefix[8];
      std::snprintf(prefix, sizeof prefix, "%04d_", std::uniform_int_distribution<int>(1, 6)(rng));
      return prefix + std::string("x") + n + ".mp3";
    }
    case 2: {  // the same name after different prefixes
      char prefix[8];
      std::snprintf(prefix, sizeof prefix, "%04d_", std::uniform_int_distribution<int>(1, 9)(rng));
      return prefix + std::string("dup.mp3");
    }
    case 3: return std::uniform_int_distribution<int>(0, 1)(rng) ? "dup.mp3" : "x" + n + ".mp3";
    case 4: {  // 251 to 255 bytes: numbering makes them too long
      const int length = std::uniform_int_distribution<int>(251, 255)(rng);
      std::string name = n + "_";
      name += std::string(static_cast<std::size_t>(length) - name.size() - 4, 'L');
      return name + ".mp3";
    }
    case 5: return std::string("\xff\xfe") + n + ".mp3";
    case 6: return " sp " + n + " .mp3";
    case 7: return "-" + n + ".mp3";
    case 8: return "nl\n" + n + ".mp3";
    case 9: {
      static const char* const shortNames[] = {"a.mp3", "mp3", "p3", "ab.mp3", "0001_"};
      return shortNames[std::uniform_int_distribution<int>(0, 4)(rng)];
    }
    case 10: return "노래" + n + ".mp3";
    default: return "other" + n + ".txt";
  }
}

struct Outcome {
  std::string report;
  std::string status;
};

// One random job with random faults; every check of a lost file is made here.
void RunTrial(unsigned seed, bool fallback) {
  SCOPED_TRACE("seed " + std::to_string(seed) + (fallback ? " (fallback)" : ""));
  std::mt19937 rng(seed);
  FallbackGuard guard(fallback);
  testing_support::HeadlessProgram program;
  const std::string& music = program.music;
  CMemoryControls& controls = program.controls;
  CRenameState& state = program.state;

  // Files with unique contents, so a content tells which file it is.
  std::map<std::string, std::string> contentOf;  // original name -> content
  const int files = std::uniform_int_distribution<int>(1, 30)(rng);
  for (int i = 0; i < files; ++i) {
    const std::string name = RandomName(rng, i);
    if (contentOf.count(name)) continue;
    contentOf[name] = "content " + std::to_string(i);
    WriteFile(music + "/" + name, contentOf[name]);
  }

  program.random.script = {static_cast<int>(seed & 0x7FFF)};
  state.InitRenameState();
  controls.SetDlgItemText(IDC_FOLDER, music);
  controls.SetDlgItemText(IDC_EXTENSION, std::uniform_int_distribution<int>(0, 3)(rng) ? "mp3" : "");
  state.OnSearch();
  if (state.oldCount() == 0) return;
  const int method = std::uniform_int_distribution<int>(0, 2)(rng);
  controls.ClickRadio(method == 0 ? IDC_ADD : method == 1 ? IDC_REPLACE : IDC_DELETE);
  ASSERT_TRUE(state.OnRandom());
  const std::vector<std::string> oldNames = controls.Names(IDC_OLD_LIST);
  const std::vector<std::string> newNames = controls.Names(IDC_NEW_LIST);

  // Faults between Random and Run.
  std::set<int> removed;
  std::multiset<std::string> expected;
  for (const auto& entry : contentOf) expected.insert(entry.second);
  const int faults = std::uniform_int_distribution<int>(0, 3)(rng);
  bool readOnlyFolder = false;
  for (int f = 0; f < faults; ++f) {
    const int row = std::uniform_int_distribution<int>(0, state.oldCount() - 1)(rng);
    const std::string& oldName = oldNames[static_cast<std::size_t>(row)];
    const std::string& newName = newNames[static_cast<std::size_t>(row)];
    switch (std::uniform_int_distribution<int>(0, 3)(rng)) {
      case 0:  // another program deletes a listed file
        if (!removed.count(row) && unlink((music + "/" + oldName).c_str()) == 0) {
          removed.insert(row);
          expected.erase(expected.find(contentOf[oldName]));
        }
        break;
      case 1:  // another program creates a proposed name
        if (!newName.empty() && newName.size() <= 255 && !Exists(music + "/" + newName)) {
          WriteFile(music + "/" + newName, "intruder " + std::to_string(f));
          expected.insert("intruder " + std::to_string(f));
        }
        break;
      case 2:  // a file nobody may read
        chmod((music + "/" + oldName).c_str(), 0);
        break;
      case 3:  // a folder nobody may change (root may anyway); made so last
        readOnlyFolder = true;
        break;
    }
  }
  if (readOnlyFolder) chmod(music.c_str(), 0555);
  // What the folder holds before Run, name by name.
  const std::vector<std::string> before = ListNames(music);

  state.OnRun();
  chmod(music.c_str(), 0755);
  for (const std::string& name : ListNames(music)) chmod((music + "/" + name).c_str(), 0644);

  // 1. No content is lost or doubled: nothing was replaced.
  std::multiset<std::string> contents;
  std::map<std::string, std::string> nameOfContent;
  for (const std::string& name : ListNames(music)) {
    const std::string content = ReadFile(music + "/" + name);
    contents.insert(content);
    nameOfContent[content] = name;
  }
  ASSERT_EQ(contents, expected);

  // 2. Every listed file is under its old name or its proposed one, and the
  //    rows that failed are exactly the rows whose file kept its old name.
  std::vector<int> failed;
  for (int row = 0; row < state.oldCount(); ++row) {
    const std::string& oldName = oldNames[static_cast<std::size_t>(row)];
    const std::string& newName = newNames[static_cast<std::size_t>(row)];
    if (removed.count(row)) {
      if (oldName != newName) failed.push_back(row);
      continue;
    }
    const std::string& now = nameOfContent[contentOf[oldName]];
    ASSERT_TRUE(now == oldName || now == newName)
        << "row " << row << ": " << oldName << " is now " << now << ", proposed " << newName;
    if (oldName != newName && now == oldName) failed.push_back(row);
  }
  // Files that were not listed did not move.
  for (const auto& [name, content] : contentOf) {
    if (std::find(oldNames.begin(), oldNames.end(), name) == oldNames.end()) {
      ASSERT_EQ(nameOfContent[content], name);
    }
  }

  // 3. The report names exactly the failed rows, in row order.
  const std::string status = controls.GetDlgItemText(IDC_STATUS);
  if (failed.empty()) {
    EXPECT_EQ(status, "COMPLETE!!");
    EXPECT_TRUE(controls.messages.empty());
    return;
  }
  EXPECT_EQ(status, std::to_string(failed.size()) + " of " + std::to_string(state.oldCount()) +
                        " failed");
  ASSERT_EQ(controls.messages.size(), 1u);
  const std::string& report = controls.messages[0];
  std::size_t pos = report.find("\n\n");
  ASSERT_NE(pos, std::string::npos);
  pos += 2;
  const std::size_t named = std::min<std::size_t>(failed.size(), 12);
  for (std::size_t i = 0; i < named; ++i) {
    const int row = failed[i];
    const std::string& oldName = oldNames[static_cast<std::size_t>(row)];
    const std::string& newName = newNames[static_cast<std::size_t>(row)];
    const std::string line = platform::DisplayUtf8(oldName, true) + "  ->  " +
                             platform::DisplayUtf8(newName, true) + ": ";
    ASSERT_EQ(report.compare(pos, line.size(), line), 0) << "expected line: " << line << "\n"
                                                         << report;
    const std::size_t end = report.find('\n', pos);
    const std::string reason = report.substr(pos + line.size(), end - pos - line.size());
    // The reason is one of those that apply (a gone file whose name is
    // taken too may be told either way).
    std::set<std::string> reasons;
    if (newName.empty()) {
      reasons = {"the new name is empty"};
    } else {
      if (removed.count(row)) reasons.insert("the file is gone");
      if (newName.size() > 255) reasons.insert("the name is too long");
      // Taken before Run, or by an earlier row of this Run.
      if (std::find(before.begin(), before.end(), newName) != before.end() ||
          std::count(newNames.begin(), newNames.end(), newName) > 1) {
        reasons.insert("the name is taken");
      }
      if (readOnlyFolder) reasons.clear();  // root may, others get "no permission"
    }
    if (!reasons.empty()) {
      EXPECT_TRUE(reasons.count(reason)) << "row " << row << ": " << reason;
    }
    pos = end == std::string::npos ? report.size() : end + 1;
  }
  if (failed.size() > named) {
    EXPECT_EQ(report.substr(pos), "... and " + std::to_string(failed.size() - named) + " more.");
  } else {
    EXPECT_EQ(pos, report.size());
  }
}

}  // namespace

TEST(NoLoss, RandomJobsWithFaultsLoseNothing) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    RunTrial(seed, false);
    if (HasFatalFailure()) return;
  }
}

TEST(NoLoss, RandomJobsOnTheFallbackRenameLoseNothing) {
  for (unsigned seed = 1001; seed <= 1300; ++seed) {
    RunTrial(seed, true);
    if (HasFatalFailure()) return;
  }
}

TEST(NoLoss, FaultsThatNeedAnOrdinaryUser) {
  if (RunningAsRoot()) {
    GTEST_SKIP() << "root may read and change anything; the test command runs this "
                    "again as an unprivileged user";
  }
  // A folder nobody may change: every rename fails, every file stays.
  testing_support::HeadlessProgram program;
  const std::string& music = program.music;
  CMemoryControls& controls = program.controls;
  CRenameState& state = program.state;
  WriteFile(music + "/a.mp3", "a");
  WriteFile(music + "/b.mp3", "b");
  state.InitRenameState();
  controls.SetDlgItemText(IDC_FOLDER, music);
  state.OnSearch();
  controls.ClickRadio(IDC_ADD);
  ASSERT_TRUE(state.OnRandom());
  ASSERT_EQ(chmod(music.c_str(), 0555), 0);
  state.OnRun();
  chmod(music.c_str(), 0755);
  EXPECT_EQ(ListNames(music), (std::vector<std::string>{"a.mp3", "b.mp3"}));
  EXPECT_EQ(controls.GetDlgItemText(IDC_STATUS), "2 of 2 failed");
  ASSERT_EQ(controls.messages.size(), 1u);
  EXPECT_NE(controls.messages[0].find(": no permission"), std::string::npos);
}

// ---------------------------------------------------------------------------
// A real case-insensitive file system without RENAME_NOREPLACE: an NTFS image
// mounted with lowntfs-3g, as players' USB sticks are.

namespace {

bool RunCommand(const std::vector<std::string>& argv) {
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool OnPath(const std::string& program) {
  return RunCommand({"sh", "-c", "command -v " + program});
}

class NtfsVolume {
 public:
  // Empty reason: mounted at mountPoint.
  explicit NtfsVolume(const TempDir& dir) : mountPoint(dir / "volume") {
    if (!RunningAsRoot()) {
      reason = "mounting needs root";
      return;
    }
    const int fuse = open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fuse < 0) {
      reason = "/dev/fuse cannot be opened: " + std::string(std::strerror(errno));
      return;
    }
    close(fuse);
    if (!OnPath("mkntfs") || !OnPath("lowntfs-3g")) {
      reason = "mkntfs or lowntfs-3g is missing (Debian package ntfs-3g)";
      return;
    }
    const std::string image = dir / "ntfs.img";
    MakeDir(mountPoint);
    if (truncate(image.c_str(), 0) != 0) WriteFile(image, "");
    if (truncate(image.c_str(), 16 << 20) != 0 ||
        !RunCommand({"mkntfs", "-F", "-Q", "-q", image})) {
      reason = "mkntfs failed";
      return;
    }
    if (!RunCommand({"lowntfs-3g", "-o", "ignore_case", image, mountPoint})) {
      reason = "lowntfs-3g could not mount the image";
      return;
    }
    mounted_ = true;
  }
  ~NtfsVolume() {
    if (mounted_ && !RunCommand({"umount", mountPoint})) {
      RunCommand({"fusermount3", "-u", mountPoint}) || RunCommand({"fusermount", "-u", mountPoint});
    }
  }
  std::string mountPoint;
  std::string reason;

 private:
  bool mounted_ = false;
};

}  // namespace

TEST(NoLossOnNtfs, CaseInsensitiveTargetsAreTakenAndNothingIsLost) {
  TempDir dir;
  NtfsVolume volume(dir);
  if (!volume.reason.empty()) GTEST_SKIP() << "no NTFS volume: " << volume.reason;
  const std::string music = volume.mountPoint + "/music";
  MakeDir(music);

  for (bool fallback : {false, true}) {
    SCOPED_TRACE(fallback ? "fallback forced" : "kernel first");
    FallbackGuard guard(fallback);
    for (const std::string& name : ListNames(music)) unlink((music + "/" + name).c_str());
    for (const char* name : {"0042_song.mp3", "a.mp3", "b.mp3", "0007_c.mp3"}) {
      WriteFile(music + "/" + name, name);
    }
    CMemoryControls controls;
    TestRandom random;
    RecordingPauser pauser;
    CRenameState state(controls, random, pauser, dir / "tarvello");
    state.InitRenameState();
    controls.SetDlgItemText(IDC_FOLDER, music);
    state.OnSearch();
    ASSERT_EQ(state.oldCount(), 4);
    controls.ClickRadio(IDC_DELETE);
    ASSERT_TRUE(state.OnRandom());
    // "SONG.mp3" appears before Run: on this volume it is the name "song.mp3".
    WriteFile(music + "/SONG.mp3", "SONG");
    state.OnRun();

    std::map<std::string, std::string> found;
    for (const std::string& name : ListNames(music)) found[ReadFile(music + "/" + name)] = name;
    ASSERT_EQ(found.size(), 5u) << "a file was lost";
    EXPECT_EQ(found["SONG"].size(), 8u);               // song.mp3, in whatever case
    EXPECT_EQ(found["0042_song.mp3"], "0042_song.mp3");  // could not take it
    EXPECT_EQ(found["0007_c.mp3"], "c.mp3");
    EXPECT_EQ(found["a.mp3"], "a.mp3");                  // its Delete name is empty
    EXPECT_EQ(controls.GetDlgItemText(IDC_STATUS), "3 of 4 failed");
    ASSERT_EQ(controls.messages.size(), 1u);
    EXPECT_NE(controls.messages[0].find("0042_song.mp3  ->  song.mp3: the name is taken"),
              std::string::npos);

    // And a whole Add job on the same volume.
    controls.ClickRadio(IDC_ADD);
    state.OnSearch();
    ASSERT_TRUE(state.OnRandom());
    state.OnRun();
    EXPECT_EQ(controls.GetDlgItemText(IDC_STATUS), "COMPLETE!!");
    std::set<std::string> contents;
    for (const std::string& name : ListNames(music)) {
      contents.insert(ReadFile(music + "/" + name));
      EXPECT_EQ(name[4], '_') << name;
    }
    EXPECT_EQ(contents, (std::set<std::string>{"SONG", "0042_song.mp3", "a.mp3", "b.mp3",
                                               "0007_c.mp3"}));
  }
}
