// The rules of the volumes players read: letter case ignored beyond ASCII,
// the names Windows can hold, and number prefixes past 9999.
#include "rename/workflow.h"

#include "platform/case_fold.h"
#include "platform/windows_names.h"
#include "headless_program.h"
#include "test_folders.h"
#ifndef _WIN32
#include "test_volumes.h"
#endif

#include <gtest/gtest.h>
#include <map>
#include <memory>

using testing_support::ListNames;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

TEST(VolumeRules, NamesAsWindowsAndTheStickSeeThem) {
  // Folded alike: one name on a volume that ignores case.
  const std::vector<std::pair<std::string, std::string>> same = {
      {"dup.mp3", "DUP.MP3"}, {"\xC3\xA4rger.mp3", "\xC3\x84RGER.mp3"},  // ärger, ÄRGER
      {"\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89"},                          // été, ÉTÉ
      {"\xD0\xB4\xD0\xBE\xD0\xBC", "\xD0\x94\xD0\x9E\xD0\x9C"}};           // дом, ДОМ
  for (const auto& [a, b] : same) EXPECT_EQ(platform::FoldCase(a), platform::FoldCase(b)) << a;
  // Kept apart: other letters, Korean, and bytes that are no UTF-8.
  EXPECT_NE(platform::FoldCase("\xC3\xA4"), platform::FoldCase("a"));
  EXPECT_EQ(platform::FoldCase("노래.mp3"), "노래.MP3");
  EXPECT_EQ(platform::FoldCase(std::string("\xff\xfe.mp3")), std::string("\xff\xfe.MP3"));
  EXPECT_EQ(platform::FoldCase("i"), "I");  // no Turkish dotted capital

  const std::map<std::string, bool> holds = {
      {"song.mp3", true}, {" lead.mp3", true}, {"CONSOLE.mp3", true}, {"com10.mp3", true},
      {"노래.mp3", true}, {std::string(255, 'x'), true}, {std::string(256, 'x'), false},
      {"CON", false}, {"nul.mp3", false}, {"Aux.tar.gz", false}, {"COM1", false},
      {"lpt9.mp3", false}, {"com\xC2\xB9.mp3", false}, {"PRN .txt", false},
      {"song.", false}, {"song ", false}, {"a:b", false}, {"a?b", false}, {"a\x01", false},
      {"\xEB\x85", false}, {"", false}};
  for (const auto& [name, expected] : holds) {
    EXPECT_EQ(platform::WindowsCanHoldName(name), expected) << "\"" << name << "\"";
  }
}

TEST(VolumeRules, ReplaceAndDeleteTakeOffTheWholeNumberPrefix) {
  // old name, what Delete leaves, what Replace keeps after its new number.
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"0042_song.mp3", "song.mp3"}, {"10000_x.mp3", "x.mp3"}, {"32766_x.mp3", "x.mp3"},
      {"0001_", ""},
      // No prefix of ours: five bytes go, as always.
      {"32767_x.mp3", "_x.mp3"}, {"01234_x.mp3", "_x.mp3"}, {"123456_x", "6_x"},
      {"abcdefg.mp3", "fg.mp3"}, {"123_x.mp3", ".mp3"}, {"a.mp3", ""}};
  for (const RenameMethod method : {RenameMethod::kDelete, RenameMethod::kReplace}) {
    RenameJob job;
    for (const auto& entry : cases) job.AddRow(entry.first);
    testing_support::TestRandom random;
    ASSERT_EQ(job.Propose(method, random), ProposeRefusal::kNone);
    for (std::size_t row = 0; row < cases.size(); ++row) {
      const std::string& name = job.row(row).newName;
      const std::string rest = method == RenameMethod::kDelete ? name : name.substr(name.find('_') + 1);
      EXPECT_EQ(rest, cases[row].second) << cases[row].first;
    }
  }
}

TEST(VolumeRules, ThirtyThousandFilesComeBackByteForByte) {
#ifdef _WIN32
  GTEST_SKIP() << "wine looks for every new name by reading the whole folder, so 30,000 renames "
                  "take hours there; the numbering is the same code on both systems";
#endif
  // Add numbers them up to 30000; Replace twice and Delete leave no "_" or
  // digit behind.
  testing_support::HeadlessProgram program;
  std::vector<std::string> names;
  for (int i = 0; i < 30000; ++i) {
    names.push_back("t" + std::to_string(i) + (i % 3 == 0 ? "_x.mp3" : ".mp3"));
    WriteFile(program.music + "/" + names.back(), "");
  }
  std::sort(names.begin(), names.end());
  program.workflow.Start();
  program.view.folder = program.music;
  for (const RenameMethod method :
       {RenameMethod::kAdd, RenameMethod::kReplace, RenameMethod::kReplace, RenameMethod::kDelete}) {
    program.Do(Command::kSearch);
    program.view.checked = method;
    ASSERT_TRUE(program.Do(Command::kRandom));
    // A numbered folder: nothing cut from its real names.
    EXPECT_EQ(program.job().CutsText(), false) << "a numbered folder loses nothing";
    program.Do(Command::kRun);
    ASSERT_TRUE(Complete(program.view.status));
  }
  EXPECT_EQ(ListNames(program.music), names);
}

// ---------------------------------------------------------------------------
// A folder on a volume that ignores letter case: exFAT through exfat-fuse,
// or any folder on Windows.

namespace {

class CaseBlindFolder : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    music_ = dir_ / "music";
#else
    volume_ = std::make_unique<testing_support::TestVolume>(dir_, testing_support::TestVolume::Kind::kExfat);
    if (!volume_->reason.empty()) {
      GTEST_SKIP() << "no exFAT volume: " << volume_->reason;
    }
    music_ = volume_->mountPoint + "/music";
#endif
  }
  // The program, listing the folder in the order given.
  std::unique_ptr<testing_support::HeadlessProgram> Program(const std::vector<std::string>& files) {
    auto program = std::make_unique<testing_support::HeadlessProgram>(
        testing_support::OrderedFolders(files), music_);
    for (const std::string& name : files) WriteFile(music_ + "/" + name, name);
    program->workflow.Start();
    program->view.folder = music_;
    program->view.extension = "";
    program->Do(Command::kSearch);
    return program;
  }

  TempDir dir_;
  std::string music_;
#ifndef _WIN32
  std::unique_ptr<testing_support::TestVolume> volume_;
#endif
};

}  // namespace

TEST_F(CaseBlindFolder, AFileIsNeverMovedTwiceWhenItsNameCameBackInOtherLetters) {
  auto program = Program({"0001_Dup.mp3", "dup.mp3"});
  program->view.checked = RenameMethod::kDelete;
  ASSERT_TRUE(program->Do(Command::kRandom));
  ASSERT_EQ(testing_support::NewNames(program->job()), (std::vector<std::string>{"Dup.mp3", "p3"}));
  // Another program deletes dup.mp3: after row 1, "dup.mp3" is the file
  // that row 1 renamed.
  testing_support::RemovePath(music_ + "/dup.mp3");
  program->Do(Command::kRun);
  EXPECT_EQ(ListNames(music_), std::vector<std::string>{"Dup.mp3"});
  EXPECT_EQ(ReadFile(music_ + "/Dup.mp3"), "0001_Dup.mp3");
  EXPECT_TRUE(Failed(program->view.status, 1, 2));
  ASSERT_EQ(program->view.messages.size(), 1u);
  EXPECT_NE(program->view.messages[0].find("dup.mp3  ->  p3: the file is gone"), std::string::npos)
      << program->view.messages[0];
}

TEST_F(CaseBlindFolder, ThePreviewSeesClashesBeyondAsciiAndNamesNoPlayerCanOpen) {
  auto program = Program({"0001_\xC3\x84rger.mp3", "\xC3\xA4rger.mp3", "0002_nul.mp3"});
  program->view.checked = RenameMethod::kDelete;
  ASSERT_TRUE(program->Do(Command::kRandom));
  const RenameJob& job = program->job();
  EXPECT_EQ(job.forecast(0), RowForecast::kTaken);      // Ärger.mp3 is ärger.mp3, not yet moved
  EXPECT_EQ(job.forecast(1), RowForecast::kLosesText);  // -> "r.mp3"
  EXPECT_EQ(job.forecast(2), RowForecast::kBadName);    // -> "nul.mp3"
  // What the marks say is what Run does.
  program->Do(Command::kRun);
  EXPECT_TRUE(Failed(program->view.status, 2, 3));
  EXPECT_EQ(ReadFile(music_ + "/r.mp3"), "\xC3\xA4rger.mp3");
  EXPECT_EQ(ReadFile(music_ + "/0001_\xC3\x84rger.mp3"), "0001_\xC3\x84rger.mp3");
  EXPECT_EQ(ReadFile(music_ + "/0002_nul.mp3"), "0002_nul.mp3");
}
