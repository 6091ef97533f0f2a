// Search, Random, Run and Express on real temporary folders, with the window
// in memory.
#include "rename/rename_state.h"

#include "platform/bytes.h"
#include "rename/control_ids.h"
#include "headless_program.h"

#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

using testing_support::Exists;
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
  Workflow() { state.InitRenameState(); }

  // Each file holds its own name, so that contents tell where a file went.
  void Files(const std::vector<std::string>& names) {
    for (const std::string& name : names) WriteFile(music + "/" + name, name);
  }
  void Search(const std::string& folder, const std::string& filter = "mp3") {
    controls.SetDlgItemText(IDC_FOLDER, folder);
    controls.SetDlgItemText(IDC_EXTENSION, filter);
    state.OnSearch();
  }
  void Search() { Search(music); }
  std::vector<std::string> OldNames() const { return controls.Names(IDC_OLD_LIST); }
  std::vector<std::string> NewNames() const { return controls.Names(IDC_NEW_LIST); }
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
  // The number texts of a list, which must count 1, 2, 3...
  static bool NumberedInOrder(const std::vector<CMemoryControls::Row>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].number != std::to_string(i + 1)) return false;
    }
    return true;
  }
};

}  // namespace

TEST_F(Workflow, SearchListsMatchingFilesOnly) {
  Files({"a.mp3", "b.MP3", "c.txt", "songmp3", "x.mp3a", ".hidden.mp3", "mp3"});
  MakeDir(music + "/d.mp3");
  ASSERT_EQ(symlink("d.mp3", (music + "/dirlink.mp3").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", (music + "/dangling.mp3").c_str()), 0);

  const std::vector<std::string> mp3 = {".hidden.mp3", "a.mp3",   "b.MP3",
                                        "dangling.mp3", "mp3",    "songmp3"};
  for (const std::string filter : {"mp3", "MP3", "Mp3"}) {
    Search(music, filter);
    EXPECT_EQ(Sorted(OldNames()), mp3) << filter;
    EXPECT_TRUE(NumberedInOrder(controls.List(IDC_OLD_LIST)));
    EXPECT_EQ(state.oldCount(), 6);
    EXPECT_EQ(state.extensionFilter(), "MP3");
    EXPECT_TRUE(controls.IsEnabled(IDC_RANDOM));
    EXPECT_FALSE(controls.IsEnabled(IDC_RUN));
    // The filter is stored as typed.
    EXPECT_EQ(Ini(), "[Config]\nFolder=" + music + "\nFile=" + filter + "\n");
  }

  Search(music, "");
  EXPECT_EQ(Sorted(OldNames()),
            (std::vector<std::string>{".hidden.mp3", "a.mp3", "b.MP3", "c.txt", "dangling.mp3",
                                      "mp3", "songmp3", "x.mp3a"}));
  EXPECT_EQ(Ini(), "[Config]\nFolder=" + music + "\nFile=\n");

  for (const std::string filter : {"jpeg", ".mp3", "p3"}) {
    Search(music, filter);
    EXPECT_TRUE(OldNames().empty()) << filter;
    EXPECT_FALSE(controls.IsEnabled(IDC_RANDOM));
  }
  // A one- or two-byte filter matches names that are exactly that text.
  Files({"mp", "xmp"});
  Search(music, "mp");
  EXPECT_EQ(OldNames(), std::vector<std::string>{"mp"});
  EXPECT_TRUE(controls.messages.empty());
}

TEST_F(Workflow, SearchShowsTheOverlayAroundTwoPauses) {
  Files({"a.mp3"});
  Search();
  EXPECT_EQ(controls.overlayLog,
            (std::vector<std::string>{"hide", "text:", "text:searching...", "show", "text:done",
                                      "hide"}));
  EXPECT_EQ(pauser.pauses, (std::vector<int>{500, 500}));
  EXPECT_FALSE(controls.IsShown(IDC_OVERLAY));
}

TEST_F(Workflow, ASecondSearchStartsAfresh) {
  Files({"a.mp3", "b.mp3"});
  Search();
  controls.ClickRadio(IDC_ADD);
  ASSERT_TRUE(state.OnRandom());
  state.OnRun();
  ASSERT_EQ(controls.GetDlgItemText(IDC_STATUS), "COMPLETE!!");

  Files({"c.mp3"});
  Search();
  EXPECT_EQ(state.oldCount(), 3);
  EXPECT_TRUE(NumberedInOrder(controls.List(IDC_OLD_LIST)));
  EXPECT_TRUE(NewNames().empty());
  EXPECT_EQ(state.newCount(), 0);
  EXPECT_EQ(controls.GetDlgItemText(IDC_STATUS), "");
  EXPECT_FALSE(controls.IsEnabled(IDC_RUN));
}

TEST_F(Workflow, SearchOfAMissingFolderListsNothingAndSaysNothing) {
  Search(root / "missing");
  EXPECT_TRUE(OldNames().empty());
  EXPECT_FALSE(controls.IsEnabled(IDC_RANDOM));
  EXPECT_TRUE(controls.messages.empty());
  EXPECT_EQ(pauser.pauses.size(), 2u);
  EXPECT_EQ(Ini(), "[Config]\nFolder=" + root / "missing" + "\nFile=mp3\n");
}

TEST_F(Workflow, AnEmptyFolderBoxListsTheRoot) {
  Search("", "");
  std::size_t rootFiles = 0;
  for (const std::string& name : ListNames("/")) {
    struct stat st;
    if (stat(("/" + name).c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) ++rootFiles;
  }
  EXPECT_EQ(static_cast<std::size_t>(state.oldCount()), rootFiles);
  EXPECT_EQ(Ini(), "[Config]\nFolder=\nFile=\n");
}

TEST_F(Workflow, RandomDrawsAPermutationByRejection) {
  Files({"a.mp3", "b.mp3", "c.mp3"});
  Search(music, "");
  // r mod 3 + 1: 5 gives 3; 2 gives 3 again (drawn anew); 7 gives 2;
  // 4 gives 2 again; 0 gives 1.
  random.script = {5, 2, 7, 4, 0};
  controls.ClickRadio(IDC_ADD);
  ASSERT_TRUE(state.OnRandom());
  const std::vector<std::string> old = OldNames();
  EXPECT_EQ(NewNames(), (std::vector<std::string>{"0003_" + old[0], "0002_" + old[1],
                                                  "0001_" + old[2]}));
  EXPECT_TRUE(NumberedInOrder(controls.List(IDC_NEW_LIST)));
  EXPECT_EQ(state.newCount(), 3);
  EXPECT_TRUE(controls.IsEnabled(IDC_RANDOM));
  EXPECT_TRUE(controls.IsEnabled(IDC_RUN));
}

TEST_F(Workflow, RandomNumbersEveryFileOnceUpToTheLimit) {
  for (int count : {1, 2, 10, 1000, kMaxNumberedFiles}) {
    controls.ListClear(IDC_OLD_LIST);
    state.InitRenameState();
    for (int i = 0; i < count; ++i) state.AddOldEntry("f" + std::to_string(i));
    controls.ClickRadio(IDC_ADD);
    const long drawsBefore = random.draws;
    ASSERT_TRUE(state.OnRandom());
    std::vector<bool> seen(static_cast<std::size_t>(count) + 1, false);
    const std::vector<std::string> names = NewNames();
    ASSERT_EQ(names.size(), static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
      const std::string& name = names[static_cast<std::size_t>(i)];
      const std::size_t underscore = name.find('_');
      ASSERT_NE(underscore, std::string::npos);
      ASSERT_GE(underscore, 4u);
      const int number = std::stoi(name.substr(0, underscore));
      ASSERT_TRUE(number >= 1 && number <= count) << name;
      ASSERT_FALSE(seen[static_cast<std::size_t>(number)]) << name;
      seen[static_cast<std::size_t>(number)] = true;
      ASSERT_EQ(name.substr(underscore + 1), "f" + std::to_string(i));
    }
    // A second pass draws on from the same sequence, without a new seed.
    const std::vector<std::string> first = names;
    const int seeds = random.seeds;
    const long drawsAfterFirst = random.draws;
    ASSERT_TRUE(state.OnRandom());
    EXPECT_EQ(random.seeds, seeds);
    EXPECT_GE(drawsAfterFirst - drawsBefore, count);
    EXPECT_GE(random.draws - drawsAfterFirst, count);
    if (count >= 10) {
      EXPECT_NE(NewNames(), first);
    }
  }
}

TEST_F(Workflow, ReplaceAndDeleteTakeOffExactlyFiveBytes) {
  const std::vector<std::pair<std::string, std::string>> deletes = {
      {"0042_song.mp3", "song.mp3"}, {"abc.mp3", "p3"}, {"a.mp3", ""}, {"노래.mp3", "\x98.mp3"}};  // bytes, not characters
  for (const auto& [old, expected] : deletes) {
    state.InitRenameState();
    state.AddOldEntry(old);
    EXPECT_TRUE(state.GenerateNewNames(kMethodDelete));
    EXPECT_EQ(NewNames(), std::vector<std::string>{expected}) << old;
  }
  const std::vector<std::pair<std::string, std::string>> replaces = {
      {"0042_song.mp3", "0001_song.mp3"}, {"abcdefg.mp3", "0001_fg.mp3"}, {"a.mp3", "0001_"}};
  for (const auto& [old, expected] : replaces) {
    state.InitRenameState();
    state.AddOldEntry(old);
    EXPECT_TRUE(state.GenerateNewNames(kMethodReplace));
    EXPECT_EQ(NewNames(), std::vector<std::string>{expected}) << old;
  }
}

TEST_F(Workflow, RandomWithoutAMethodChangesNothing) {
  Files({"a.mp3"});
  Search();
  controls.ClickRadio(IDC_ADD);
  ASSERT_TRUE(state.OnRandom());
  const std::vector<std::string> proposal = NewNames();
  state.CheckMethod(kMethodNone);
  EXPECT_FALSE(state.OnRandom());
  EXPECT_EQ(controls.messages, std::vector<std::string>{"method 선택 필요!!"});
  EXPECT_EQ(NewNames(), proposal);
  EXPECT_TRUE(controls.IsEnabled(IDC_RUN));
  EXPECT_EQ(state.method(), kMethodNone);
}

TEST_F(Workflow, RunRenamesEveryFileAndRemembersTheMethod) {
  Files({"a.mp3", "b.mp3"});
  Search();
  controls.ClickRadio(IDC_ADD);
  ASSERT_TRUE(state.OnRandom());
  // The method is the one read by Random, not the one checked now.
  controls.ClickRadio(IDC_REPLACE);
  state.OnRun();

  ASSERT_EQ(controls.questions.size(), 1u);
  EXPECT_EQ(controls.questions[0].text, "파일 이름을 바꾸시겠습니까?");
  EXPECT_EQ(controls.questions[0].caption, "확인");
  const std::vector<std::string> names = Sorted(NewNames());
  EXPECT_TRUE((names == std::vector<std::string>{"0001_a.mp3", "0002_b.mp3"} ||
               names == std::vector<std::string>{"0001_b.mp3", "0002_a.mp3"}));
  EXPECT_EQ(ListNames(music), names);
  for (const auto& [name, content] : Contents()) EXPECT_EQ(name.substr(5), content);
  EXPECT_EQ(controls.GetDlgItemText(IDC_STATUS), "COMPLETE!!");
  EXPECT_FALSE(controls.IsEnabled(IDC_RANDOM));
  EXPECT_FALSE(controls.IsEnabled(IDC_RUN));
  EXPECT_EQ(Ini(), "[Config]\nFolder=" + music + "\nFile=mp3\nMethod=0\n");
  EXPECT_TRUE(controls.messages.empty());
  // The lists are not refreshed until the next Search.
  EXPECT_EQ(Sorted(OldNames()), (std::vector<std::string>{"a.mp3", "b.mp3"}));
}

TEST_F(Workflow, RunAnsweredNoChangesNothing) {
  Files({"a.mp3", "b.mp3"});
  Search();
  controls.ClickRadio(IDC_ADD);
  ASSERT_TRUE(state.OnRandom());
  const std::string ini = Ini();
  controls.answers = {false};
  state.OnRun();
  EXPECT_EQ(ListNames(music), (std::vector<std::string>{"a.mp3", "b.mp3"}));
  EXPECT_EQ(Ini(), ini);
  EXPECT_EQ(controls.GetDlgItemText(IDC_STATUS), "");
  EXPECT_TRUE(controls.IsEnabled(IDC_RANDOM));
  EXPECT_TRUE(controls.IsEnabled(IDC_RUN));
}

TEST_F(Workflow, RunWithoutAProposalAsksForRandom) {
  state.OnRun();
  EXPECT_EQ(controls.messages, std::vector<std::string>{"random 실행 필요!!"});
  EXPECT_TRUE(controls.questions.empty());
  EXPECT_EQ(Ini(), "<none>");
}

TEST_F(Workflow, RunRenamesInTheFolderOfTheLastSearch) {
  Files({"a.mp3"});
  MakeDir(root / "other");
  WriteFile(root / "other/a.mp3", "other");
  Search();
  controls.SetDlgItemText(IDC_FOLDER, root / "other");
  controls.ClickRadio(IDC_ADD);
  ASSERT_TRUE(state.OnRandom());
  state.OnRun();
  EXPECT_EQ(ListNames(music), std::vector<std::string>{"0001_a.mp3"});
  EXPECT_EQ(ListNames(root / "other"), std::vector<std::string>{"a.mp3"});
}

TEST_F(Workflow, ASwapFailsBothWaysAndIsReported) {
  Files({"0001_x.mp3", "0002_x.mp3"});
  Search();
  const std::vector<std::string> old = OldNames();
  // r mod 2 + 1: each row draws the other file's number.
  random.script = old[0] == "0001_x.mp3" ? std::deque<int>{1, 0} : std::deque<int>{0, 1};
  controls.ClickRadio(IDC_REPLACE);
  ASSERT_TRUE(state.OnRandom());
  ASSERT_EQ(NewNames(), (std::vector<std::string>{old[1], old[0]}));
  state.OnRun();

  EXPECT_EQ(Contents(), (std::map<std::string, std::string>{{"0001_x.mp3", "0001_x.mp3"},
                                                            {"0002_x.mp3", "0002_x.mp3"}}));
  EXPECT_EQ(controls.GetDlgItemText(IDC_STATUS), "2 of 2 failed");
  ASSERT_EQ(controls.messages.size(), 1u);
  EXPECT_EQ(controls.messages[0],
            "2 of 2 files could not be renamed:\n\n" + old[0] + "  ->  " + old[1] +
                ": the name is taken\n" + old[1] + "  ->  " + old[0] + ": the name is taken");
  // The rest goes on as after any Run.
  EXPECT_FALSE(controls.IsEnabled(IDC_RUN));
  EXPECT_EQ(Ini(), "[Config]\nFolder=" + music + "\nFile=mp3\nMethod=1\n");
}

TEST_F(Workflow, AFileThatKeepsItsNumberIsNotAFailure) {
  Files({"0001_a.mp3", "0002_b.mp3", "0003_c.mp3"});
  Search();
  const std::vector<std::string> old = OldNames();
  // Row 0 keeps its own number; rows 1 and 2 take the other two.
  const int own = std::stoi(old[0].substr(0, 4));
  random.script = {own - 1};
  controls.ClickRadio(IDC_REPLACE);
  ASSERT_TRUE(state.OnRandom());
  ASSERT_EQ(NewNames()[0], old[0]);
  const auto before = Contents();
  state.OnRun();
  EXPECT_EQ(controls.GetDlgItemText(IDC_STATUS), "COMPLETE!!");
  EXPECT_TRUE(controls.messages.empty());
  // Three files, three contents, each under its proposed name or its old one.
  const auto after = Contents();
  EXPECT_EQ(after.size(), 3u);
  std::set<std::string> contents;
  for (const auto& entry : after) contents.insert(entry.second);
  EXPECT_EQ(contents, (std::set<std::string>{"0001_a.mp3", "0002_b.mp3", "0003_c.mp3"}));
}

TEST_F(Workflow, AnExistingFileIsNeverReplaced) {
  Files({"0001_song.mp3", "a.mp3"});
  Search();
  controls.ClickRadio(IDC_DELETE);
  ASSERT_TRUE(state.OnRandom());
  // Another program creates the target between Random and Run.
  Files({"song.mp3"});
  state.OnRun();
  // 0001_song.mp3 cannot become song.mp3; a.mp3 cannot become "".
  EXPECT_EQ(Contents(), (std::map<std::string, std::string>{{"0001_song.mp3", "0001_song.mp3"},
                                                            {"song.mp3", "song.mp3"},
                                                            {"a.mp3", "a.mp3"}}));
  EXPECT_EQ(controls.GetDlgItemText(IDC_STATUS), "2 of 2 failed");
  ASSERT_EQ(controls.messages.size(), 1u);
  EXPECT_NE(controls.messages[0].find("0001_song.mp3  ->  song.mp3: the name is taken"),
            std::string::npos);
  EXPECT_NE(controls.messages[0].find("a.mp3  ->  : the new name is empty"), std::string::npos);
}

TEST_F(Workflow, AHardLinkToTheSameFileIsATakenName) {
  Files({"a.mp3"});
  Search();
  controls.ClickRadio(IDC_ADD);
  ASSERT_TRUE(state.OnRandom());
  ASSERT_EQ(link((music + "/a.mp3").c_str(), (music + "/0001_a.mp3").c_str()), 0);
  state.OnRun();
  EXPECT_EQ(ListNames(music), (std::vector<std::string>{"0001_a.mp3", "a.mp3"}));
  EXPECT_NE(controls.GetDlgItemText(IDC_STATUS), "COMPLETE!!");
}

TEST_F(Workflow, NamesStayByteExactFromListingToRename) {
  const std::vector<std::string> odd = {std::string("\xff\xfe bad.mp3"), "-rf .mp3",
                                        "line\nbreak.mp3", " lead.mp3", "노래.mp3"};
  Files(odd);
  Search();
  EXPECT_EQ(Sorted(OldNames()), Sorted(odd));
  controls.ClickRadio(IDC_ADD);
  ASSERT_TRUE(state.OnRandom());
  state.OnRun();
  EXPECT_EQ(controls.GetDlgItemText(IDC_STATUS), "COMPLETE!!");
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
  controls.ClickRadio(IDC_DELETE);
  ASSERT_TRUE(state.OnRandom());
  // Every target is taken: each file's Delete name already exists.
  for (const std::string& target : NewNames()) WriteFile(music + "/" + target, "taken");
  state.OnRun();
  EXPECT_EQ(controls.GetDlgItemText(IDC_STATUS), "20 of 20 failed");
  ASSERT_EQ(controls.messages.size(), 1u);
  const std::string& report = controls.messages[0];
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 2 + 12);
  EXPECT_NE(report.find("... and 8 more."), std::string::npos);
}

TEST_F(Workflow, MethodWrittenIsTheOneReadLast) {
  Files({"a.mp3"});
  Search();
  controls.ClickRadio(IDC_ADD);
  ASSERT_TRUE(state.OnRandom());
  controls.ClickRadio(IDC_DELETE);
  state.OnExpress();  // not Replace: nothing visible, but the method is read
  EXPECT_TRUE(controls.questions.empty());
  state.OnRun();
  EXPECT_EQ(Ini(), "[Config]\nFolder=" + music + "\nFile=mp3\nMethod=2\n");
}

TEST_F(Workflow, ExpressOnlyForReplaceAndBehindOneQuestion) {
  Files({"0007_a.mp3", "0008_b.mp3", "0009_c.mp3"});
  for (int method : {IDC_ADD, IDC_DELETE}) {
    controls.ClickRadio(method);
    state.OnExpress();
  }
  state.CheckMethod(kMethodNone);
  state.OnExpress();
  EXPECT_TRUE(controls.questions.empty());
  EXPECT_EQ(Ini(), "<none>");

  controls.ClickRadio(IDC_REPLACE);
  controls.SetDlgItemText(IDC_FOLDER, music);
  controls.answers = {false};
  state.OnExpress();
  EXPECT_EQ(controls.questions.size(), 1u);
  EXPECT_EQ(Ini(), "<none>");

  state.OnExpress();
  ASSERT_EQ(controls.questions.size(), 2u);
  EXPECT_EQ(controls.questions[1].text, "sure?\n\n[Search] - [Random] - [Run]");
  EXPECT_EQ(controls.questions[1].caption, "Replace");
  EXPECT_EQ(controls.GetDlgItemText(IDC_STATUS), "COMPLETE!!");
  std::set<std::string> prefixes;
  for (const auto& [name, content] : Contents()) {
    prefixes.insert(name.substr(0, 5));
    EXPECT_EQ(name.substr(5), content.substr(5));
  }
  EXPECT_EQ(prefixes, (std::set<std::string>{"0001_", "0002_", "0003_"}));
  EXPECT_EQ(Ini(), "[Config]\nFolder=" + music + "\nFile=mp3\nMethod=1\n");
}

TEST_F(Workflow, ExpressOnAnEmptyFolderSearchesButWritesNoMethod) {
  controls.ClickRadio(IDC_REPLACE);
  controls.SetDlgItemText(IDC_FOLDER, music);
  state.OnExpress();
  EXPECT_EQ(controls.questions.size(), 1u);
  EXPECT_EQ(pauser.pauses.size(), 2u);
  EXPECT_TRUE(controls.messages.empty());
  EXPECT_EQ(Ini(), "[Config]\nFolder=" + music + "\nFile=mp3\n");
}

TEST_F(Workflow, MoreFilesThanNumbersAreRefusedWithNothingChanged) {
  for (int i = 0; i <= kMaxNumberedFiles; ++i) {
    const int fd = open((music + "/" + std::to_string(i) + ".mp3").c_str(),
                        O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    close(fd);
  }
  controls.ClickRadio(IDC_REPLACE);
  controls.SetDlgItemText(IDC_FOLDER, music);
  state.OnExpress();
  EXPECT_EQ(state.oldCount(), kMaxNumberedFiles + 1);
  ASSERT_EQ(controls.messages.size(), 1u);
  EXPECT_NE(controls.messages[0].find("at most 32766 files"), std::string::npos);
  EXPECT_TRUE(NewNames().empty());
  EXPECT_FALSE(controls.IsEnabled(IDC_RUN));
  EXPECT_EQ(Ini(), "[Config]\nFolder=" + music + "\nFile=mp3\n");

  controls.ClickRadio(IDC_ADD);
  EXPECT_FALSE(state.OnRandom());
  EXPECT_EQ(controls.messages.size(), 2u);
  EXPECT_TRUE(NewNames().empty());
  EXPECT_EQ(ListNames(music).size(), static_cast<std::size_t>(kMaxNumberedFiles + 1));
  // Delete draws no numbers, so it is not limited.
  controls.ClickRadio(IDC_DELETE);
  EXPECT_TRUE(state.OnRandom());
  EXPECT_EQ(state.newCount(), kMaxNumberedFiles + 1);
}

TEST_F(Workflow, AFileNeverMovesTwiceWhenAListedFileVanishes) {
  Files({"0001_dup.mp3", "dup.mp3"});
  Search();
  // The rows in this order: the first takes the second's name.
  state.InitRenameState();
  state.AddOldEntry("0001_dup.mp3");
  state.AddOldEntry("dup.mp3");
  controls.ClickRadio(IDC_DELETE);
  ASSERT_TRUE(state.OnRandom());
  ASSERT_EQ(NewNames(), (std::vector<std::string>{"dup.mp3", "p3"}));
  // Another program deletes dup.mp3 before Run.
  ASSERT_EQ(unlink((music + "/dup.mp3").c_str()), 0);
  state.OnRun();
  EXPECT_EQ(Contents(), (std::map<std::string, std::string>{{"dup.mp3", "0001_dup.mp3"}}));
  EXPECT_EQ(controls.GetDlgItemText(IDC_STATUS), "1 of 2 failed");
  ASSERT_EQ(controls.messages.size(), 1u);
  EXPECT_NE(controls.messages[0].find("dup.mp3  ->  p3: the file is gone"), std::string::npos);
}
