// Nothing is ever lost: many random jobs on real folders, with faults
// injected between Random and Run, on the kernel's no-replace rename and on
// the fallback; and a whole job on a real case-insensitive NTFS volume.
#include "rename/workflow.h"

#include "platform/bytes.h"
#include "platform/wtf8.h"
#include "rename/journal.h"
#include "platform/case_fold.h"
#include "headless_program.h"
#include "test_folders.h"
#ifndef _WIN32
#include "test_volumes.h"
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>
#ifndef _WIN32
#include <sys/stat.h>
#endif

using testing_support::Exists;
using testing_support::ListNames;
using testing_support::MakeDir;
using testing_support::ReadFile;
using testing_support::RecordingPauser;
using testing_support::RemovePath;
using testing_support::RunningAsRoot;
using testing_support::TempDir;
using testing_support::TestRandom;
using testing_support::WriteFile;

namespace {

// How the trials' folder takes names: as POSIX file systems do, or as
// Windows and sticks do (letter case ignored, no bytes that are no UTF-8).
struct TrialVolume {
  bool windowsNames = false;
  bool ignoresCase = false;
};

// A word in a random mix of letter cases ("dup", "Dup", "DUP", "ärger",
// "ÄRGER") where the volume ignores case and they are one name; elsewhere
// the same word every time, so that names meet byte for byte.
std::string AnyCase(std::mt19937& rng, const char* lower, const char* upper,
                    const TrialVolume& volume) {
  if (!volume.ignoresCase) return lower;
  switch (std::uniform_int_distribution<int>(0, 2)(rng)) {
    case 0: return lower;
    case 1: return upper;
    default: return std::string(upper, 1) + (lower + 1);
  }
}

// A file name of one of the kinds that make renaming hard.
std::string RandomName(std::mt19937& rng, int serial, const TrialVolume& volume) {
  const std::string n = std::to_string(serial);
  switch (std::uniform_int_distribution<int>(0, 11)(rng)) {
    case 0: return "track" + n + ".mp3";
    case 1: {  // already numbered, with numbers that other files will draw
      char prefix[8];
      std::snprintf(prefix, sizeof prefix, "%04d_", std::uniform_int_distribution<int>(1, 6)(rng));
      return prefix + std::string("x") + n + ".mp3";
    }
    case 2: {  // the same name after different prefixes, in any case
      char prefix[8];
      std::snprintf(prefix, sizeof prefix, "%04d_", std::uniform_int_distribution<int>(1, 9)(rng));
      return prefix + AnyCase(rng, "dup", "DUP", volume) + ".mp3";
    }
    case 3:
      return std::uniform_int_distribution<int>(0, 2)(rng) ? AnyCase(rng, "dup", "DUP", volume) + ".mp3"
                                                           : "x" + n + ".mp3";
    case 4: {  // 251 to 255 bytes: numbering makes them too long
      const int length = std::uniform_int_distribution<int>(251, 255)(rng);
      std::string name = n + "_";
      name += std::string(static_cast<std::size_t>(length) - name.size() - 4, 'L');
      return name + ".mp3";
    }
    case 5:
      if (volume.windowsNames) return "\xF0\x9F\x8E\xB5" + n + "\xEB\x85\xB8.mp3";
      return std::string("\xff\xfe") + n + ".mp3";  // no UTF-8
    case 6: return " sp " + n + " .mp3";
    case 7: return "-" + n + ".mp3";
    case 8:
      if (volume.windowsNames) return "semi;colon," + n + ".mp3";
      return "nl\n" + n + ".mp3";
    case 9: {
      static const char* const shortNames[] = {"a.mp3", "mp3", "p3", "ab.mp3", "0001_"};
      return shortNames[std::uniform_int_distribution<int>(0, 4)(rng)];
    }
    case 10: {  // Korean, or a letter whose case goes beyond ASCII
      char prefix[8];
      std::snprintf(prefix, sizeof prefix, "%04d_", std::uniform_int_distribution<int>(1, 9)(rng));
      switch (std::uniform_int_distribution<int>(0, 2)(rng)) {
        case 0: return "노래" + n + ".mp3";
        case 1: return prefix + AnyCase(rng, "\xC3\xA4rger", "\xC3\x84RGER", volume) + ".mp3";
        default: return AnyCase(rng, "\xC3\xA4rger", "\xC3\x84RGER", volume) + ".mp3";
      }
    }
    default: return "other" + n + ".txt";
  }
}

// Trials in which a vanished file's name was taken by an earlier row.
int g_takenByAnEarlierRow = 0;

namespace fs = std::filesystem;
constexpr fs::perms kReadOnlyFolder = fs::perms::owner_read | fs::perms::owner_exec |
                                      fs::perms::group_read | fs::perms::group_exec |
                                      fs::perms::others_read | fs::perms::others_exec;
constexpr fs::perms kWritableFolder = kReadOnlyFolder | fs::perms::owner_write;
constexpr fs::perms kWritableFile = fs::perms::owner_read | fs::perms::owner_write |
                                    fs::perms::group_read | fs::perms::others_read;

// Whether a file may bear the name: where Windows' rules hold, whether the
// bytes are WTF-8 (a five-byte cut through a Korean name is not).
bool IsName(const std::string& name, const TrialVolume& volume) {
  std::u16string wide;
  return !volume.windowsNames || platform::Utf16FromWtf8(name, &wide);
}

#ifdef _WIN32
const TrialVolume kSystemVolume{true, true};
#else
const TrialVolume kSystemVolume{false, false};
#endif


// One random job with random faults; every check of a lost file is made
// here. The folder to rename in is made in `musicFolder` (empty: beside the
// program) and removed afterwards.
void RunTrial(unsigned seed, bool fallback, const TrialVolume& volume = kSystemVolume,
              const std::string& musicFolder = {}, OrderPolicy order = OrderPolicy::kAuto) {
  SCOPED_TRACE("seed " + std::to_string(seed) + (fallback ? " (fallback)" : ""));
  std::mt19937 rng(seed);
  testing_support::HeadlessProgram program(testing_support::SystemOrFallbackFolders(fallback),
                                           musicFolder, true, order);
  struct RemoveAfter {
    std::string path;
    ~RemoveAfter() {
      std::error_code error;
      if (!path.empty()) std::filesystem::remove_all(testing_support::PathOf(path), error);
    }
  } removeAfter{musicFolder};
  // Names as the volume compares them.
  const auto key = [&](const std::string& name) {
    return volume.ignoresCase ? platform::FoldCase(name) : name;
  };
  const std::string& music = program.music;
  testing_support::MemoryView& view = program.view;
  RenameWorkflow& workflow = program.workflow;
  const RenameJob& job = program.job();

  // Files with unique contents, so a content tells which file it is.
  std::map<std::string, std::string> contentOf;  // original name -> content
  const int files = std::uniform_int_distribution<int>(1, 30)(rng);
  for (int i = 0; i < files; ++i) {
    const std::string name = RandomName(rng, i, volume);
    // On a volume that ignores case "DUP.mp3" is "dup.mp3" and is there.
    if (contentOf.count(name) || Exists(music + "/" + name)) continue;
    contentOf[name] = "content " + std::to_string(i);
    WriteFile(music + "/" + name, contentOf[name]);
  }

  program.random.script = {static_cast<int>(seed & 0x7FFF)};
  workflow.Start();
  view.folder = music;
  view.extension = std::uniform_int_distribution<int>(0, 3)(rng) ? "mp3" : "";
  program.Do(Command::kSearch);
  if (job.oldCount() == 0) return;
  view.checked = kMethods[std::uniform_int_distribution<std::size_t>(0, 2)(rng)].method;
  ASSERT_TRUE(program.Do(Command::kRandom));
  const std::vector<std::string> oldNames = testing_support::OldNames(job);
  const std::vector<std::string> newNames = testing_support::NewNames(job);
  const int rows = static_cast<int>(job.oldCount());

  // Faults between Random and Run.
  std::set<int> removed;
  std::multiset<std::string> expected;
  for (const auto& entry : contentOf) expected.insert(entry.second);
  const int faults = std::uniform_int_distribution<int>(0, 3)(rng);
  bool readOnlyFolder = false;
  for (int f = 0; f < faults; ++f) {
    int row = std::uniform_int_distribution<int>(0, rows - 1)(rng);
    int kind = std::uniform_int_distribution<int>(0, 4)(rng);
    // A FUSE volume keeps no permissions.
    if (volume.ignoresCase && !volume.windowsNames && (kind == 2 || kind == 3)) kind = 0;
    if (kind == 4) {
      // A listed file vanishes whose name an earlier row is to take: a Run
      // that went by names alone would move the earlier row's file twice.
      row = -1;
      for (int later = 1; later < rows && row < 0; ++later) {
        for (int earlier = 0; earlier < later; ++earlier) {
          if (key(newNames[static_cast<std::size_t>(earlier)]) == key(oldNames[static_cast<std::size_t>(later)]) &&
              oldNames[static_cast<std::size_t>(earlier)] != newNames[static_cast<std::size_t>(earlier)]) {
            row = later;
            break;
          }
        }
      }
      if (row < 0) continue;
      ++g_takenByAnEarlierRow;
    }
    const std::string& oldName = oldNames[static_cast<std::size_t>(row)];
    const std::string& newName = newNames[static_cast<std::size_t>(row)];
    switch (kind) {
      case 0:  // another program deletes a listed file
      case 4:
        if (!removed.count(row) && testing_support::RemoveIfThere(music + "/" + oldName)) {
          removed.insert(row);
          expected.erase(expected.find(contentOf[oldName]));
        }
        break;
      case 1:  // another program creates a proposed name
        if (!newName.empty() && newName.size() <= 255 && IsName(newName, volume) &&
            !Exists(music + "/" + newName)) {
          WriteFile(music + "/" + newName, "intruder " + std::to_string(f));
          expected.insert("intruder " + std::to_string(f));
        }
        break;
      case 2:  // a file nobody may read
        testing_support::SetPermissions(music + "/" + oldName, std::filesystem::perms::none);
        break;
      case 3:  // a folder nobody may change (root may anyway); made so last
        readOnlyFolder = true;
        break;
    }
  }
  if (readOnlyFolder) testing_support::SetPermissions(music, kReadOnlyFolder);
  // What the folder holds before Run, name by name.
  const std::vector<std::string> before = ListNames(music);

  program.Do(Command::kRun);
  testing_support::SetPermissions(music, kWritableFolder);
  for (const std::string& name : ListNames(music)) testing_support::SetPermissions(music + "/" + name, kWritableFile);

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
  for (int row = 0; row < rows; ++row) {
    const std::string& oldName = oldNames[static_cast<std::size_t>(row)];
    const std::string& newName = newNames[static_cast<std::size_t>(row)];
    if (removed.count(row)) {
      failed.push_back(row);  // gone, also when its proposal was its own name
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

  // 3. The report names exactly the failed rows, in row order. (A Run that
  //    puts the files in order on a disk that does not keep it says so.)
  const StatusLine& status = view.status;
  const std::string unordered = "renamed, but not put in order on the disk: ";
  if (failed.empty()) {
    if (status.kind == StatusLine::Kind::kNotOrdered && order == OrderPolicy::kAlways) return;
    EXPECT_TRUE(Complete(status));
    EXPECT_TRUE(view.messages.empty());
    return;
  }
  EXPECT_TRUE(Failed(status, failed.size(), rows));
  ASSERT_EQ(view.messages.size(), 1u);
  std::string report = view.messages[0];
  const std::size_t orderWords = report.find("\n\n" + unordered);
  if (orderWords != std::string::npos && order == OrderPolicy::kAlways) report.erase(orderWords);
  std::size_t pos = report.find("\n\n");
  ASSERT_NE(pos, std::string::npos);
  pos += 2;
  // The report names the first rows and counts the rest.
  std::size_t named = static_cast<std::size_t>(std::count(report.begin() + static_cast<long>(pos), report.end(), '\n')) + 1;
  if (report.find("\n... and ") != std::string::npos) --named;
  ASSERT_LE(named, failed.size());
  for (std::size_t i = 0; i < named; ++i) {
    const int row = failed[i];
    const std::string& oldName = oldNames[static_cast<std::size_t>(row)];
    const std::string& newName = newNames[static_cast<std::size_t>(row)];
    const std::string line = shell::ReportedName(oldName) + "  ->  " + shell::ReportedName(newName) + ": ";
    ASSERT_EQ(report.compare(pos, line.size(), line), 0) << "expected line: " << line << "\n"
                                                         << report;
    const std::size_t end = report.find('\n', pos);
    const std::string reason = report.substr(pos + line.size(), end - pos - line.size());
    // The reason is one of those that apply (a gone file whose name is
    // taken too, or empty, may be told either way).
    std::set<std::string> reasons;
    if (newName.empty()) {
      reasons = {"the new name is empty"};
      if (removed.count(row)) reasons.insert("the file is gone");
    } else if (!IsName(newName, volume)) {
      reasons = {"the new name would cut a character in two"};
      if (removed.count(row)) reasons.insert("the file is gone");
    } else {
      if (removed.count(row)) reasons.insert("the file is gone");
      if (newName.size() > 255) reasons.insert("the name is too long");
      // Taken before Run, or by an earlier row of this Run.
      const std::string target = key(newName);
      std::size_t sameNames = 0;
      for (const std::string& proposed : newNames) sameNames += key(proposed) == target;
      if (sameNames > 1 || std::any_of(before.begin(), before.end(), [&](const std::string& name) {
            return key(name) == target;
          })) {
        reasons.insert("the name is taken");
      }
      // A listed file whose name an earlier row took on this volume is
      // gone as far as the Run can tell.
      for (int earlier = 0; earlier < row; ++earlier) {
        if (key(newNames[static_cast<std::size_t>(earlier)]) == key(oldName)) {
          reasons.insert("the file is gone");
        }
      }
      if (readOnlyFolder) reasons.clear();  // root may, others get "no permission"
    }
    if (!reasons.empty()) {
      EXPECT_TRUE(reasons.count(reason)) << "row " << row << " (" << oldName << " -> " << newName << "): " << reason;
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
  g_takenByAnEarlierRow = 0;
  for (unsigned seed = 1; seed <= 300; ++seed) {
    RunTrial(seed, false);
    if (HasFatalFailure()) return;
  }
  // The trials did meet the case of a vanished file whose name an earlier
  // row takes.
  EXPECT_GE(g_takenByAnEarlierRow, 10);
}

TEST(NoLoss, RandomJobsRenamedStraightIntoTheirOrderDoWhatTheRenamesInPlaceDo) {
  // The Run that renames into a new folder in the order of the new names
  // renames and fails the same rows as renames in place, row by row.
  g_takenByAnEarlierRow = 0;
  for (unsigned seed = 3001; seed <= 3200; ++seed) {
    RunTrial(seed, false, kSystemVolume, {}, OrderPolicy::kAlways);
    if (HasFatalFailure()) return;
  }
}

TEST(NoLoss, RandomJobsOnTheFallbackRenameLoseNothing) {
  g_takenByAnEarlierRow = 0;
  for (unsigned seed = 1001; seed <= 1300; ++seed) {
    RunTrial(seed, true);
    if (HasFatalFailure()) return;
  }
  EXPECT_GE(g_takenByAnEarlierRow, 10);
}

#ifndef _WIN32
TEST(NoLoss, FaultsThatNeedAnOrdinaryUser) {
  if (RunningAsRoot()) {
    GTEST_SKIP() << "root may read and change anything; the test command runs this "
                    "again as an unprivileged user";
  }
  // A folder nobody may change: every rename fails, every file stays.
  testing_support::HeadlessProgram program;
  const std::string& music = program.music;
  WriteFile(music + "/a.mp3", "a");
  WriteFile(music + "/b.mp3", "b");
  program.workflow.Start();
  program.view.folder = music;
  program.Do(Command::kSearch);
  program.view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(program.Do(Command::kRandom));
  ASSERT_EQ(chmod(music.c_str(), 0555), 0);
  program.Do(Command::kRun);
  chmod(music.c_str(), 0755);
  EXPECT_EQ(ListNames(music), (std::vector<std::string>{"a.mp3", "b.mp3"}));
  EXPECT_TRUE(Failed(program.view.status, 2, 2));
  ASSERT_EQ(program.view.messages.size(), 1u);
  EXPECT_NE(program.view.messages[0].find(": no permission"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Real case-insensitive file systems without RENAME_NOREPLACE, as players'
// USB sticks are: NTFS through lowntfs-3g, exFAT through exfat-fuse.

TEST(NoLossOnExfat, RandomJobsWithNamesInEveryCaseLoseNothing) {
  TempDir dir;
  testing_support::TestVolume volume(dir, testing_support::TestVolume::Kind::kExfat);
  if (!volume.reason.empty()) GTEST_SKIP() << "no exFAT volume: " << volume.reason;
  const TrialVolume exfat{true, true};
  for (unsigned seed = 2001; seed <= 2150; ++seed) {
    RunTrial(seed, false, exfat, volume.mountPoint + "/music" + std::to_string(seed));
    if (HasFatalFailure()) return;
  }
}

TEST(NoLossOnExfat, TheProgramStartedInOtherLettersIsNeverMoved) {
  // A stick that ignores letter case, the program on it started as
  // "TARVELLO-CLI": its files are its own all the same, and the order step
  // moves neither the program nor its journal.
  TempDir dir;
  testing_support::TestVolume volume(dir, testing_support::TestVolume::Kind::kExfat);
  if (!volume.reason.empty()) GTEST_SKIP() << "no exFAT volume: " << volume.reason;
  const std::string stick = volume.mountPoint;
  WriteFile(stick + "/tarvello-cli", "the program");
  WriteFile(stick + "/tarvello-cli.journal", "an old journal");
  std::map<std::string, std::string> tracks;
  for (int i = 0; i < 12; ++i) {
    const std::string name = "track " + std::to_string(i) + ".mp3";
    WriteFile(stick + "/" + name, name);
    tracks[name] = name;
  }
  TestRandom random;
  RecordingPauser pauser;
  WorkflowServices services{&random, &pauser, {}, stick + "/TARVELLO-CLI"};
  services.useSettings = false;
  services.order = OrderPolicy::kAlways;
  testing_support::MemoryProgram program(services);
  program.workflow.Start();
  program.view.folder = stick;
  program.view.extension = "";
  program.view.checked = RenameMethod::kAdd;
  program.Do(Command::kSearch);
  EXPECT_EQ(program.workflow.job().oldCount(), 12u);
  ASSERT_TRUE(program.Do(Command::kRandom));
  program.Do(Command::kRun);
  Journal journal;
  JournalProblem problem = JournalProblem::kNone;
  ASSERT_TRUE(ParseJournal(ReadFile(stick + "/tarvello-cli.journal"), &journal, &problem));
  ASSERT_TRUE(journal.order != nullptr);
  for (const std::string& moved : journal.order->moves) EXPECT_EQ(moved.find("tarvello"), std::string::npos);
  EXPECT_EQ(ReadFile(stick + "/tarvello-cli"), "the program");
  program.Do(Command::kUndo);
  EXPECT_TRUE(Undone(program.view.status));
  for (const auto& [name, content] : tracks) EXPECT_EQ(ReadFile(stick + "/" + name), content);
}

TEST(NoLossOnNtfs, CaseInsensitiveTargetsAreTakenAndNothingIsLost) {
  TempDir dir;
  testing_support::TestVolume volume(dir, testing_support::TestVolume::Kind::kNtfs);
  if (!volume.reason.empty()) GTEST_SKIP() << "no NTFS volume: " << volume.reason;
  const std::string music = volume.mountPoint + "/music";
  MakeDir(music);

  for (bool fallback : {false, true}) {
    SCOPED_TRACE(fallback ? "fallback forced" : "kernel first");
    for (const std::string& name : ListNames(music)) RemovePath(music + "/" + name);
    for (const char* name : {"0042_song.mp3", "a.mp3", "b.mp3", "0007_c.mp3"}) {
      WriteFile(music + "/" + name, name);
    }
    TestRandom random;
    RecordingPauser pauser;
    testing_support::MemoryProgram program(WorkflowServices{
        &random, &pauser, testing_support::SystemOrFallbackFolders(fallback), dir / "tarvello"});
    testing_support::MemoryView& view = program.view;
    RenameWorkflow& workflow = program.workflow;
    workflow.Start();
    view.folder = music;
    program.Do(Command::kSearch);
    ASSERT_EQ(workflow.job().oldCount(), 4u);
    view.checked = RenameMethod::kDelete;
    ASSERT_TRUE(program.Do(Command::kRandom));
    // "SONG.mp3" appears before Run: on this volume it is the name "song.mp3".
    WriteFile(music + "/SONG.mp3", "SONG");
    program.Do(Command::kRun);

    std::map<std::string, std::string> found;
    for (const std::string& name : ListNames(music)) found[ReadFile(music + "/" + name)] = name;
    ASSERT_EQ(found.size(), 5u) << "a file was lost";
    EXPECT_EQ(found["SONG"].size(), 8u);               // song.mp3, in whatever case
    EXPECT_EQ(found["0042_song.mp3"], "0042_song.mp3");  // could not take it
    EXPECT_EQ(found["0007_c.mp3"], "c.mp3");
    EXPECT_EQ(found["a.mp3"], "a.mp3");                  // its Delete name is empty
    EXPECT_TRUE(Failed(view.status, 3, 4));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_NE(view.messages[0].find("0042_song.mp3  ->  song.mp3: the name is taken"),
              std::string::npos);

    // And a whole Add job on the same volume.
    view.checked = RenameMethod::kAdd;
    program.Do(Command::kSearch);
    ASSERT_TRUE(program.Do(Command::kRandom));
    program.Do(Command::kRun);
    EXPECT_TRUE(Complete(view.status));
    std::set<std::string> contents;
    for (const std::string& name : ListNames(music)) {
      contents.insert(ReadFile(music + "/" + name));
      EXPECT_EQ(name[4], '_') << name;
    }
    EXPECT_EQ(contents, (std::set<std::string>{"SONG", "0042_song.mp3", "a.mp3", "b.mp3",
                                               "0007_c.mp3"}));
  }
}
#endif  // !_WIN32
