// Search, Random, Run and Express on real temporary folders, with the window
// in memory.
#include "rename/workflow.h"
#include "rename/other_systems_files.h"

#include "platform/bytes.h"
#include "platform/path.h"
#include "headless_program.h"
#include "shell/shell.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <functional>
#include <map>
#include <random>
#include <set>
#ifndef _WIN32
#include <unistd.h>
#endif

using testing_support::Exists;
using testing_support::HardLink;
using testing_support::RemovePath;
using testing_support::NewNames;
using testing_support::OldNames;
using testing_support::ListNames;
using testing_support::MakeDir;
using testing_support::ReadFile;
using testing_support::RecordingPauser;
using testing_support::TempDir;
using testing_support::TestRandom;
using testing_support::WriteFile;

namespace {

class Workflow : public ::testing::Test, protected testing_support::HeadlessProgram {
 protected:
  Workflow() { workflow.Start(); }

  // Each file holds its own name, so that contents tell where a file went.
  void Files(const std::vector<std::string>& names) {
    for (const std::string& name : names) WriteFile(music + "/" + name, name);
  }
  void Search(const std::string& folder, const std::string& filter = "mp3") {
    view.folder = folder;
    view.extension = filter;
    Do(Command::kSearch);
  }
  void Search() { Search(music); }
  // The folder's files listed in the order given.
  void ListInOrder(const std::vector<std::string>& names) {
    listOrder = names;
    Search(music, "");
  }
  std::vector<std::string> OldNames() const { return testing_support::OldNames(job()); }
  std::vector<std::string> NewNames() const { return testing_support::NewNames(job()); }
  // Random, again and again, until the proposal is one that `wanted` takes.
  template <class Wanted>
  void RandomUntil(Wanted wanted) {
    for (int tries = 0; tries < 1000; ++tries) {
      ASSERT_TRUE(Do(Command::kRandom));
      if (wanted(NewNames())) return;
    }
    FAIL() << "no such proposal in 1000 tries";
  }
  static std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
  }
  // Every file's content against its current name.
  std::map<std::string, std::string> Contents() const {
    std::map<std::string, std::string> contents;
    for (const std::string& name : ListNames(music)) contents[name] = ReadFile(music + "/" + name);
    return contents;
  }
};

}  // namespace

TEST_F(Workflow, SearchListsMatchingFilesOnly) {
  Files({"a.mp3", "b.MP3", "c.txt", "songmp3", "x.mp3a", ".hidden.mp3", "mp3"});
  MakeDir(music + "/d.mp3");
  std::vector<std::string> mp3 = {".hidden.mp3", "a.mp3", "b.MP3", "mp3", "songmp3"};
  std::vector<std::string> all = {".hidden.mp3", "a.mp3", "b.MP3", "c.txt", "mp3", "songmp3", "x.mp3a"};
#ifndef _WIN32
  // A link to a folder is a folder; a dangling link is a file.
  ASSERT_EQ(symlink("d.mp3", (music + "/dirlink.mp3").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", (music + "/dangling.mp3").c_str()), 0);
  mp3 = Sorted({".hidden.mp3", "a.mp3", "b.MP3", "dangling.mp3", "mp3", "songmp3"});
  all = Sorted({".hidden.mp3", "a.mp3", "b.MP3", "c.txt", "dangling.mp3", "mp3", "songmp3", "x.mp3a"});
#endif

  for (const std::string filter : {"mp3", "MP3", "Mp3"}) {
    Search(music, filter);
    EXPECT_EQ(Sorted(OldNames()), mp3) << filter;
    EXPECT_EQ(job().oldCount(), mp3.size());
    EXPECT_EQ(job().filter(), "MP3");
    EXPECT_TRUE(view.randomEnabled);
    EXPECT_FALSE(view.runEnabled);
    // The filter is stored as typed.
    EXPECT_EQ(Ini(), "[Config]\nFolder=" + music + "\nFile=" + filter + "\n");
  }

  Search(music, "");
  EXPECT_EQ(Sorted(OldNames()), all);
  EXPECT_EQ(Ini(), "[Config]\nFolder=" + music + "\nFile=\n");

  for (const std::string filter : {"jpeg", ".mp3", "p3"}) {
    Search(music, filter);
    EXPECT_TRUE(OldNames().empty()) << filter;
    EXPECT_FALSE(view.randomEnabled);
  }
  // A one- or two-byte filter matches names that are exactly that text.
  Files({"mp", "xmp"});
  Search(music, "mp");
  EXPECT_EQ(OldNames(), std::vector<std::string>{"mp"});
  EXPECT_TRUE(view.messages.empty());
}

TEST_F(Workflow, SearchShowsTheBusyTextAroundTwoPauses) {
  Files({"a.mp3"});
  view.busyLog.clear();
  Search();
  EXPECT_EQ(view.busyLog, (std::vector<std::string>{"show:searching...", "show:done", "hide"}));
  EXPECT_EQ(pauser.pauses, (std::vector<int>{500, 500}));
  EXPECT_FALSE(view.busyShown);
}

TEST_F(Workflow, ASecondSearchStartsAfresh) {
  Files({"a.mp3", "b.mp3"});
  Search();
  view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(Do(Command::kRandom));
  Do(Command::kRun);
  ASSERT_TRUE(Complete(view.status));

  Files({"c.mp3"});
  Search();
  EXPECT_EQ(job().oldCount(), 3u);
  EXPECT_TRUE(NewNames().empty());
  EXPECT_EQ(job().newCount(), 0u);
  EXPECT_EQ(view.status.kind, StatusLine::Kind::kNone);
  EXPECT_FALSE(view.runEnabled);
}

TEST_F(Workflow, SearchOfAMissingFolderListsNothingAndSaysNothing) {
  Search(root / "missing");
  EXPECT_TRUE(OldNames().empty());
  EXPECT_FALSE(view.randomEnabled);
  EXPECT_TRUE(view.messages.empty());
  EXPECT_EQ(pauser.pauses.size(), 2u);
  EXPECT_EQ(Ini(), "[Config]\nFolder=" + root / "missing" + "\nFile=mp3\n");
}

TEST_F(Workflow, AnEmptyFolderBoxListsNothing) {
  // Not the root folder, not the working folder: with an empty filter and
  // one Yes, that would rename system files.
  Search("", "");
  EXPECT_EQ(job().oldCount(), 0u);
  EXPECT_FALSE(view.randomEnabled);
  EXPECT_EQ(Ini(), "[Config]\nFolder=\nFile=\n");
}

// Every numbered proposal is a permutation of 1 to N, each number on the
// name that Add keeps whole and Replace cuts by exactly five bytes; Delete
// cuts the five bytes and numbers nothing.
TEST_F(Workflow, NumbersArePermutationsAndCutsAreFiveBytes) {
  const std::size_t limit = RenameJob::kMaxNumberedFiles;
  for (const std::size_t count : {std::size_t{1}, std::size_t{2}, std::size_t{10},
                                  std::size_t{1000}, limit}) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < count; ++i) {
      // Long, short and multi-byte names: the cut counts bytes.
      names.push_back(i % 3 == 0 ? "f" + std::to_string(i) : i % 3 == 1 ? "노래" + std::to_string(i) : "ab");
    }
    for (const RenameMethod method : {RenameMethod::kAdd, RenameMethod::kReplace, RenameMethod::kDelete}) {
      SCOPED_TRACE(std::to_string(count) + " rows, method " + std::to_string(StoredMethod(method)));
      RenameJob rows;
      for (const std::string& name : names) rows.AddRow(name);
      // The first row takes what the first draw gives by `% count + 1`,
      // also for the draws near the top of their 15 bits.
      const int firstDraw = 32767 - static_cast<int>(count % 7);
      random.script = {firstDraw};
      ASSERT_EQ(rows.Propose(method, random), ProposeRefusal::kNone);
      const std::vector<std::string> proposed = testing_support::NewNames(rows);
      ASSERT_EQ(proposed.size(), count);
      if (method != RenameMethod::kDelete) {
        EXPECT_EQ(std::stoul(proposed[0]), static_cast<std::size_t>(firstDraw) % count + 1) << proposed[0];
      }
      std::vector<bool> seen(count + 1, false);
      for (std::size_t i = 0; i < count; ++i) {
        const std::string cut = names[i].size() <= 5 ? std::string() : names[i].substr(5);
        if (method == RenameMethod::kDelete) {
          ASSERT_EQ(proposed[i], cut);
          continue;
        }
        const std::size_t underscore = proposed[i].find('_');
        ASSERT_TRUE(underscore >= 4 && underscore <= 5) << proposed[i];
        const std::size_t number = std::stoul(proposed[i].substr(0, underscore));
        ASSERT_TRUE(number >= 1 && number <= count) << proposed[i];
        ASSERT_FALSE(seen[number]) << proposed[i];
        seen[number] = true;
        ASSERT_EQ(proposed[i].substr(underscore + 1),
                  method == RenameMethod::kAdd ? names[i] : cut);
      }
    }
  }
}

TEST_F(Workflow, RandomAgainDrawsAnotherOrder) {
  std::vector<std::string> names;
  for (int i = 0; i < 20; ++i) names.push_back("t" + std::to_string(i));
  Files(names);
  ListInOrder(names);
  view.checked = RenameMethod::kAdd;
  const int seeds = random.seeds;
  ASSERT_TRUE(Do(Command::kRandom));
  const std::vector<std::string> first = NewNames();
  ASSERT_TRUE(Do(Command::kRandom));
  EXPECT_NE(NewNames(), first);
  EXPECT_EQ(random.seeds, seeds);
}

TEST_F(Workflow, ShortNamesLoseWhatTheyHave) {
  // One file: the number is 1 whatever is drawn.
  const std::vector<std::tuple<RenameMethod, std::string, std::string>> cases = {
      {RenameMethod::kDelete, "0042_song.mp3", "song.mp3"},
      {RenameMethod::kDelete, "abc.mp3", "p3"},
      {RenameMethod::kDelete, "a.mp3", ""},
      {RenameMethod::kReplace, "0042_song.mp3", "0001_song.mp3"},
      {RenameMethod::kReplace, "abcdefg.mp3", "0001_fg.mp3"},
      {RenameMethod::kReplace, "a.mp3", "0001_"},
      {RenameMethod::kAdd, "a.mp3", "0001_a.mp3"},
  };
  for (const auto& [method, old, expected] : cases) {
    RenameJob rows;
    rows.AddRow(old);
    ASSERT_EQ(rows.Propose(method, random), ProposeRefusal::kNone);
    EXPECT_EQ(testing_support::NewNames(rows), std::vector<std::string>{expected}) << old;
  }
}

TEST_F(Workflow, RandomWithoutAMethodChangesNothing) {
  Files({"a.mp3"});
  Search();
  view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(Do(Command::kRandom));
  const std::vector<std::string> proposal = NewNames();
  view.checked = RenameMethod::kNone;
  EXPECT_FALSE(Do(Command::kRandom));
  EXPECT_EQ(view.told, std::vector<Message::Kind>{Message::Kind::kChooseMethod});
  EXPECT_EQ(NewNames(), proposal);
  EXPECT_TRUE(view.runEnabled);
  EXPECT_EQ(job().method(), RenameMethod::kNone);
}

TEST_F(Workflow, RunRenamesEveryFileAndRemembersTheMethod) {
  Files({"a.mp3", "b.mp3"});
  Search();
  view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(Do(Command::kRandom));
  // The method is the one read by Random, not the one checked now.
  view.checked = RenameMethod::kReplace;
  Do(Command::kRun);

  ASSERT_EQ(view.questions.size(), 1u);
  EXPECT_EQ(view.questions[0].kind, Question::Kind::kRun);
  const std::vector<std::string> names = Sorted(NewNames());
  EXPECT_TRUE((names == std::vector<std::string>{"0001_a.mp3", "0002_b.mp3"} ||
               names == std::vector<std::string>{"0001_b.mp3", "0002_a.mp3"}));
  EXPECT_EQ(ListNames(music), names);
  for (const auto& [name, content] : Contents()) EXPECT_EQ(name.substr(5), content);
  EXPECT_TRUE(Complete(view.status));
  EXPECT_FALSE(view.randomEnabled);
  EXPECT_FALSE(view.runEnabled);
  EXPECT_EQ(Ini(), "[Config]\nFolder=" + music + "\nFile=mp3\nMethod=0\n");
  EXPECT_TRUE(view.messages.empty());
  // The lists are not refreshed until the next Search.
  EXPECT_EQ(Sorted(OldNames()), (std::vector<std::string>{"a.mp3", "b.mp3"}));
}

TEST_F(Workflow, RunAnsweredNoChangesNothing) {
  Files({"a.mp3", "b.mp3"});
  Search();
  view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(Do(Command::kRandom));
  const std::string ini = Ini();
  view.answers = {false};
  Do(Command::kRun);
  EXPECT_EQ(ListNames(music), (std::vector<std::string>{"a.mp3", "b.mp3"}));
  EXPECT_EQ(Ini(), ini);
  EXPECT_EQ(view.status.kind, StatusLine::Kind::kNone);
  EXPECT_TRUE(view.randomEnabled);
  EXPECT_TRUE(view.runEnabled);
}

TEST_F(Workflow, RunWithoutAProposalIsNotPossible) {
  EXPECT_FALSE(workflow.Can(Command::kRun));
  EXPECT_FALSE(Do(Command::kRun));
  EXPECT_TRUE(view.messages.empty());
  EXPECT_TRUE(view.questions.empty());
  EXPECT_EQ(Ini(), "<none>");
}

TEST_F(Workflow, RunRenamesInTheFolderOfTheLastSearch) {
  Files({"a.mp3"});
  MakeDir(root / "other");
  WriteFile(root / "other/a.mp3", "other");
  Search();
  view.folder = root / "other";
  view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(Do(Command::kRandom));
  Do(Command::kRun);
  EXPECT_EQ(ListNames(music), std::vector<std::string>{"0001_a.mp3"});
  EXPECT_EQ(ListNames(root / "other"), std::vector<std::string>{"a.mp3"});
}

TEST_F(Workflow, ASwapFailsBothWaysAndIsReported) {
  Files({"0001_x.mp3", "0002_x.mp3"});
  Search();
  const std::vector<std::string> old = OldNames();
  // Each row draws the other file's number.
  view.checked = RenameMethod::kReplace;
  RandomUntil([&](const std::vector<std::string>& proposed) {
    return proposed == std::vector<std::string>{old[1], old[0]};
  });
  Do(Command::kRun);

  EXPECT_EQ(Contents(), (std::map<std::string, std::string>{{"0001_x.mp3", "0001_x.mp3"},
                                                            {"0002_x.mp3", "0002_x.mp3"}}));
  EXPECT_TRUE(Failed(view.status, 2, 2));
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0],
            "2 of 2 files could not be renamed:\n\n" + old[0] + "  ->  " + old[1] +
                ": the name is taken\n" + old[1] + "  ->  " + old[0] + ": the name is taken");
  // The rest goes on as after any Run.
  EXPECT_FALSE(view.runEnabled);
  EXPECT_EQ(Ini(), "[Config]\nFolder=" + music + "\nFile=mp3\nMethod=1\n");
}

TEST_F(Workflow, AFileThatKeepsItsNumberIsNotAFailure) {
  Files({"0001_a.mp3", "0002_b.mp3", "0003_c.mp3"});
  Search();
  const std::vector<std::string> old = OldNames();
  // Row 0 keeps its own number; rows 1 and 2 take the other two.
  view.checked = RenameMethod::kReplace;
  RandomUntil([&](const std::vector<std::string>& proposed) { return proposed[0] == old[0]; });
  Do(Command::kRun);
  EXPECT_TRUE(Complete(view.status));
  EXPECT_TRUE(view.messages.empty());
  // Three files, three contents, each under its proposed name or its old one.
  const auto after = Contents();
  EXPECT_EQ(after.size(), 3u);
  std::set<std::string> contents;
  for (const auto& entry : after) contents.insert(entry.second);
  EXPECT_EQ(contents, (std::set<std::string>{"0001_a.mp3", "0002_b.mp3", "0003_c.mp3"}));
}

TEST_F(Workflow, AFileThatKeptItsNumberButVanishedIsReportedGone) {
  Files({"0001_a.mp3", "0002_b.mp3", "0003_c.mp3"});
  Search();
  const std::vector<std::string> old = OldNames();
  view.checked = RenameMethod::kReplace;
  RandomUntil([&](const std::vector<std::string>& proposed) { return proposed[0] == old[0]; });
  // Another program deletes that file before Run.
  RemovePath(music + "/" + old[0]);
  Do(Command::kRun);
  EXPECT_TRUE(Failed(view.status, 1, 3));
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_NE(view.messages[0].find(old[0] + "  ->  " + old[0] + ": the file is gone"),
            std::string::npos)
      << view.messages[0];
}

TEST_F(Workflow, AnExistingFileIsNeverReplaced) {
  Files({"0001_song.mp3", "a.mp3"});
  Search();
  view.checked = RenameMethod::kDelete;
  ASSERT_TRUE(Do(Command::kRandom));
  // Another program creates the target between Random and Run.
  Files({"song.mp3"});
  Do(Command::kRun);
  // 0001_song.mp3 cannot become song.mp3; a.mp3 cannot become "".
  EXPECT_EQ(Contents(), (std::map<std::string, std::string>{{"0001_song.mp3", "0001_song.mp3"},
                                                            {"song.mp3", "song.mp3"},
                                                            {"a.mp3", "a.mp3"}}));
  EXPECT_TRUE(Failed(view.status, 2, 2));
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_NE(view.messages[0].find("0001_song.mp3  ->  song.mp3: the name is taken"),
            std::string::npos);
  EXPECT_NE(view.messages[0].find("a.mp3  ->  : the new name is empty"), std::string::npos);
}

TEST_F(Workflow, AHardLinkToTheSameFileIsATakenName) {
  Files({"a.mp3"});
  Search();
  view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(Do(Command::kRandom));
  HardLink(music + "/a.mp3", music + "/0001_a.mp3");
  Do(Command::kRun);
  EXPECT_EQ(ListNames(music), (std::vector<std::string>{"0001_a.mp3", "a.mp3"}));
  EXPECT_TRUE(Failed(view.status, 1, 1));
}

TEST_F(Workflow, NamesStayByteExactFromListingToRename) {
  std::vector<std::string> odd = {"-rf .mp3", " lead.mp3", "노래.mp3", "\xF0\x9F\x8E\xB5.mp3"};
#ifndef _WIN32
  // Bytes that are no UTF-8, and a line break: names on Linux, not on Windows.
  odd.push_back(std::string("\xff\xfe bad.mp3"));
  odd.push_back("line\nbreak.mp3");
#endif
  Files(odd);
  Search();
  EXPECT_EQ(Sorted(OldNames()), Sorted(odd));
  view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(Do(Command::kRandom));
  Do(Command::kRun);
  EXPECT_TRUE(Complete(view.status));
  for (const auto& [name, content] : Contents()) {
    EXPECT_EQ(name.substr(5), content);
    EXPECT_EQ(name[4], '_');
  }
  EXPECT_EQ(Contents().size(), odd.size());
}

TEST_F(Workflow, TheFailureReportIsCutToAReadableLength) {
  std::vector<std::string> names;
  for (int i = 0; i < 20; ++i) names.push_back("abcde" + std::to_string(i));
  Files(names);
  Search(music, "");
  view.checked = RenameMethod::kDelete;
  ASSERT_TRUE(Do(Command::kRandom));
  // Every target is taken: each file's Delete name already exists.
  for (const std::string& target : NewNames()) WriteFile(music + "/" + target, "taken");
  Do(Command::kRun);
  EXPECT_TRUE(Failed(view.status, 20, 20));
  ASSERT_EQ(view.messages.size(), 1u);
  // Some rows are named, one a line, and the rest counted.
  const std::string& report = view.messages[0];
  const long named = std::count(report.begin(), report.end(), '\n') - 2;
  EXPECT_GT(named, 0);
  EXPECT_LT(named, 20);
  EXPECT_NE(report.find("\n... and " + std::to_string(20 - named) + " more."), std::string::npos);
}

TEST_F(Workflow, MethodWrittenIsTheOneReadLast) {
  Files({"a.mp3"});
  Search();
  view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(Do(Command::kRandom));
  view.checked = RenameMethod::kDelete;
  Do(Command::kExpress);  // not Replace: nothing visible, but the method is read
  EXPECT_TRUE(view.questions.empty());
  Do(Command::kRun);
  EXPECT_EQ(Ini(), "[Config]\nFolder=" + music + "\nFile=mp3\nMethod=2\n");
}

TEST_F(Workflow, ExpressOnlyForReplaceAndBehindOneQuestion) {
  Files({"0007_a.mp3", "0008_b.mp3", "0009_c.mp3"});
  for (RenameMethod method : {RenameMethod::kAdd, RenameMethod::kDelete}) {
    view.checked = method;
    Do(Command::kExpress);
  }
  view.checked = RenameMethod::kNone;
  Do(Command::kExpress);
  EXPECT_TRUE(view.questions.empty());
  EXPECT_EQ(Ini(), "<none>");

  view.checked = RenameMethod::kReplace;
  view.folder = music;
  view.answers = {false};
  Do(Command::kExpress);
  EXPECT_EQ(view.questions.size(), 1u);
  EXPECT_EQ(Ini(), "<none>");

  Do(Command::kExpress);
  ASSERT_EQ(view.questions.size(), 2u);
  EXPECT_EQ(view.questions[1].kind, Question::Kind::kExpress);
  EXPECT_TRUE(Complete(view.status));
  std::set<std::string> prefixes;
  for (const auto& [name, content] : Contents()) {
    prefixes.insert(name.substr(0, 5));
    EXPECT_EQ(name.substr(5), content.substr(5));
  }
  EXPECT_EQ(prefixes, (std::set<std::string>{"0001_", "0002_", "0003_"}));
  EXPECT_EQ(Ini(), "[Config]\nFolder=" + music + "\nFile=mp3\nMethod=1\n");
}

TEST_F(Workflow, ExpressOnAnEmptyFolderSearchesButWritesNoMethod) {
  view.checked = RenameMethod::kReplace;
  view.folder = music;
  Do(Command::kExpress);
  EXPECT_EQ(view.questions.size(), 1u);
  EXPECT_EQ(pauser.pauses.size(), 2u);
  EXPECT_TRUE(view.messages.empty());
  EXPECT_EQ(Ini(), "[Config]\nFolder=" + music + "\nFile=mp3\n");
}

TEST_F(Workflow, MoreFilesThanNumbersAreRefusedWithNothingChanged) {
  const std::size_t tooMany = RenameJob::kMaxNumberedFiles + 1;
#ifndef _WIN32
  for (std::size_t i = 0; i < tooMany; ++i) {
    WriteFile(music + "/" + std::to_string(i) + ".mp3", "");
  }
  view.checked = RenameMethod::kReplace;
  view.folder = music;
  Do(Command::kExpress);
  EXPECT_EQ(job().oldCount(), tooMany);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.told.back(), Message::Kind::kTooManyFiles);
  EXPECT_TRUE(NewNames().empty());
  EXPECT_FALSE(view.runEnabled);
  EXPECT_EQ(Ini(), "[Config]\nFolder=" + music + "\nFile=mp3\n");
  EXPECT_EQ(ListNames(music).size(), tooMany);
  view.messages.clear();
  view.checked = RenameMethod::kAdd;
  EXPECT_FALSE(Do(Command::kRandom));
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.told.back(), Message::Kind::kTooManyFiles);
  EXPECT_TRUE(NewNames().empty());
  // Delete draws no numbers, so it is not limited.
  view.checked = RenameMethod::kDelete;
  EXPECT_TRUE(Do(Command::kRandom));
  EXPECT_EQ(job().newCount(), tooMany);
#else
  // Making 32767 files takes minutes under wine: the rows alone.
  RenameJob rows;
  for (std::size_t i = 0; i < tooMany; ++i) rows.AddRow(std::to_string(i) + ".mp3");
  EXPECT_EQ(rows.Propose(RenameMethod::kAdd, random), ProposeRefusal::kTooManyFiles);
  EXPECT_EQ(rows.newCount(), 0u);
  EXPECT_EQ(rows.Propose(RenameMethod::kDelete, random), ProposeRefusal::kNone);
#endif
}

TEST_F(Workflow, AFileNeverMovesTwiceWhenAListedFileVanishes) {
  Files({"0001_dup.mp3", "dup.mp3"});
  // The rows in this order: the first takes the second's name.
  ListInOrder({"0001_dup.mp3", "dup.mp3"});
  view.checked = RenameMethod::kDelete;
  ASSERT_TRUE(Do(Command::kRandom));
  ASSERT_EQ(NewNames(), (std::vector<std::string>{"dup.mp3", "p3"}));
  // Another program deletes dup.mp3 before Run.
  RemovePath(music + "/dup.mp3");
  Do(Command::kRun);
  EXPECT_EQ(Contents(), (std::map<std::string, std::string>{{"dup.mp3", "0001_dup.mp3"}}));
  EXPECT_TRUE(Failed(view.status, 1, 2));
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_NE(view.messages[0].find("dup.mp3  ->  p3: the file is gone"), std::string::npos);
}

TEST_F(Workflow, EachCommandIsPossibleExactlyWhenTheWindowOffersIt) {
  using Commands = std::set<Command>;
  const auto possible = [&] {
    Commands can;
    for (const Command command : {Command::kSearch, Command::kSelectFolder, Command::kRandom,
                                  Command::kRun, Command::kExpress, Command::kUndo, Command::kClean,
                                  Command::kAbout, Command::kStop, Command::kTick}) {
      if (workflow.Can(command)) can.insert(command);
    }
    return can;
  };
  // Idle, these are always possible.
  const Commands always = {Command::kSearch, Command::kSelectFolder, Command::kExpress, Command::kClean,
                           Command::kAbout, Command::kTick};
  const auto with = [&](Commands more) {
    more.insert(always.begin(), always.end());
    return more;
  };
  EXPECT_EQ(possible(), always);
  EXPECT_TRUE(workflow.idle());
  Files({"a.mp3"});
  Search();
  EXPECT_EQ(possible(), with({Command::kRandom}));
  view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(Do(Command::kRandom));
  EXPECT_EQ(possible(), with({Command::kRandom, Command::kRun}));
  // While a question is open nothing else can start: no command, no tick.
  std::optional<Commands> whileAsked;
  bool idleWhileAsked = true;
  view.whileAsked = [&] {
    whileAsked = possible();
    idleWhileAsked = workflow.idle();
  };
  Do(Command::kRun);
  EXPECT_EQ(whileAsked, Commands());
  EXPECT_FALSE(idleWhileAsked);
  EXPECT_EQ(possible(), with({Command::kUndo}));
  EXPECT_FALSE(Do(Command::kRun));
  EXPECT_EQ(workflow.TickIntervalMs(), 500);

  // Select asks for a folder, then searches it; Cancel changes nothing.
  view.whileAsked = nullptr;
  const std::string ini = Ini();
  EXPECT_FALSE(Do(Command::kSelectFolder));
  EXPECT_EQ(Ini(), ini);
  MakeDir(root / "other");
  WriteFile(root / "other/x.mp3", "x");
  view.picked = root / "other";
  EXPECT_TRUE(Do(Command::kSelectFolder));
  EXPECT_EQ(view.folder, root / "other");
  EXPECT_EQ(OldNames(), std::vector<std::string>{"x.mp3"});
  EXPECT_EQ(view.pickerCalls, 2);
  // About shows the credits.
  view.told.clear();
  EXPECT_TRUE(Do(Command::kAbout));
  EXPECT_EQ(view.told, std::vector<Message::Kind>{Message::Kind::kAbout});
}

namespace {

TEST_F(Workflow, TheFilesOfOtherSystemsAreNeverNumbered) {
  // A Mac's AppleDouble files beside the songs, and the folder files of
  // macOS and Windows, in any letter case; "._" alone is just a name.
  Files({"song.mp3", "._song.mp3", ".DS_Store", "thumbs.DB", "Desktop.ini", "._", ".x_song.mp3"});
  Search(music, "");
  EXPECT_EQ(Sorted(OldNames()), (std::vector<std::string>{"._", ".x_song.mp3", "song.mp3"}));
  EXPECT_EQ(view.status.kind, StatusLine::Kind::kLeftOut);
  EXPECT_EQ(view.status.leftOut, 4u);
  // Only those the filter would have taken count.
  Search(music, "mp3");
  EXPECT_EQ(Sorted(OldNames()), (std::vector<std::string>{".x_song.mp3", "song.mp3"}));
  EXPECT_EQ(view.status.leftOut, 1u);
  view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(Do(Command::kRandom));
  Do(Command::kRun);
  EXPECT_TRUE(Complete(view.status));
  for (const char* kept : {"._song.mp3", ".DS_Store", "thumbs.DB", "Desktop.ini", "._"}) {
    EXPECT_EQ(ReadFile(music + "/" + kept), kept);
  }
}

// Clean takes only the other systems' files, and never a folder of such a
// name, nor what a link of such a name leads to; the rest stays byte for
// byte.
TEST_F(Workflow, CleanRemovesTheOtherSystemsFilesAndNothingElse) {
  Files({"song.mp3", "._song.mp3", ".DS_Store", "thumbs.DB", "Desktop.ini", "._", ".x_song.mp3"});
  MakeDir(music + "/._folder");
  WriteFile(music + "/._folder/kept.mp3", "kept");
  std::vector<std::string> kept = {"._", "._folder", ".x_song.mp3", "song.mp3"};
#ifndef _WIN32
  Files({std::string("._\xff\x01song.mp3")});  // bytes that are no UTF-8
  ASSERT_EQ(symlink("._folder", (music + "/._link").c_str()), 0);
  kept.insert(kept.begin() + 2, "._link");
#endif
  const std::unique_ptr<platform::Folder> folder = platform::OpenSystemFolder(music);
  const CleanPlan plan = PlanClean(*folder);
  ASSERT_FALSE(plan.listError.failed());
  const std::size_t appleDouble = plan.names.size() - 3;
  EXPECT_EQ(plan.counts, (std::array<std::size_t, kOtherSystemsFileKinds>{appleDouble, 1, 1, 1}));
  const CleanResult result = Clean(*folder, plan);
  EXPECT_EQ(result.removed, plan.names.size());
  EXPECT_TRUE(result.failures.empty());
  EXPECT_EQ(Sorted(ListNames(music)), kept);
  EXPECT_EQ(ReadFile(music + "/._folder/kept.mp3"), "kept");
  // Names gone since the listing are failures, and nothing else goes.
  const CleanResult again = Clean(*folder, plan);
  EXPECT_EQ(again.removed, 0u);
  EXPECT_EQ(again.failures.size(), plan.names.size());
  EXPECT_EQ(Sorted(ListNames(music)), kept);
}

// A tree of three levels, with Korean names and bytes that are no UTF-8,
// empty folders, the systems' own folders, and links that loop back to the
// top or lead outside: every folder is walked once, parents first and
// siblings in the byte order of their names; clean over it plans the other
// systems' files of those folders and nothing else.
TEST_F(Workflow, ATreeIsWalkedOnceWithoutLinksOrTheSystemsFolders) {
  std::mt19937 random(26);
#ifdef _WIN32
  const std::vector<std::string> names = {"Album", "노래", "b", "Zz 2"};
#else
  const std::vector<std::string> names = {"Album", "노래", "b", "B", "Zz 2", std::string("x\xff\x01", 3)};
#endif
  std::vector<std::string> folders = {""};  // below music, walked order
  std::set<std::string> removable;
  std::function<void(const std::string&, int)> grow = [&](const std::string& at, int level) {
    const std::string path = at.empty() ? music : platform::JoinPath(music, at);
    const auto below = [&](const std::string& name) { return at.empty() ? name : platform::JoinPath(at, name); };
    for (const char* file : {"song.mp3", "._song.mp3", ".DS_Store"}) {
      if (random() % 2 == 0) continue;
      WriteFile(path + "/" + file, file);
      if (OtherSystemsFileOf(file) != OtherSystemsFile::kNone) removable.insert(below(file));
    }
    if (level == 3) return;
    for (const std::string name : {".Trashes", "$Recycle.Bin"}) {
      if (random() % 3 != 0) continue;
      MakeDir(path + "/" + name);
      WriteFile(path + "/" + name + "/._kept", "kept");
    }
#ifndef _WIN32
    ASSERT_EQ(symlink(music.c_str(), (path + "/._loop").c_str()), 0);
#endif
    std::vector<std::string> children;
    for (const std::string& name : names) {
      if (random() % 3 != 0) children.push_back(name);
    }
    std::sort(children.begin(), children.end());
    for (const std::string& name : children) {
      MakeDir(path + "/" + name);
      folders.push_back(below(name));
      grow(below(name), level + 1);
    }
  };
  grow("", 0);
  ASSERT_GT(folders.size(), 10u);
#ifndef _WIN32
  // A link to a folder outside leads nowhere either.
  MakeDir(music + "-outside");
  WriteFile(music + "-outside/._far", "far");
  ASSERT_EQ(symlink((music + "-outside").c_str(), (music + "/away").c_str()), 0);
#endif

  std::vector<std::string> walked;
  WalkTree(music, platform::OpenSystemFolder,
           [&](const TreeFolder& at, platform::Folder& folder, const SubfolderFound& found) {
             walked.push_back(at.relative);
             EXPECT_FALSE(folder.List([](std::string) {}, found).failed());
           });
  EXPECT_EQ(walked, folders);

  const std::vector<FolderCleanPlan> plans = PlanTreeClean(music, platform::OpenSystemFolder, true);
  std::set<std::string> planned;
  for (const FolderCleanPlan& plan : plans) {
    for (const std::string& name : plan.plan.names) planned.insert(plan.at.Below(name));
  }
  EXPECT_EQ(planned, removable);
}

}  // namespace
