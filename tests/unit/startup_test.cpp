// The program's start: what the settings file gives the window.
#include "rename/workflow.h"

#include "headless_program.h"

#include <gtest/gtest.h>

using testing_support::Exists;
using testing_support::WriteFile;

namespace {

// A program "installed" in a temporary folder, with its window in memory.
class StartUp : public ::testing::Test, protected testing_support::HeadlessProgram {
 protected:
  void Start() { workflow.Start(); }
};

}  // namespace

TEST_F(StartUp, FirstStartShowsDefaultsAndCreatesNoFile) {
  Start();
  EXPECT_EQ(random.seeds, 1);
  EXPECT_EQ(workflow.settings().path(), ini);
  EXPECT_EQ(view.folder, "");
  EXPECT_EQ(view.extension, "mp3");
  EXPECT_EQ(job().method(), RenameMethod::kNone);
  EXPECT_EQ(view.checked, RenameMethod::kNone);
  EXPECT_FALSE(view.randomEnabled);
  EXPECT_FALSE(view.runEnabled);
  EXPECT_FALSE(view.busyShown);
  EXPECT_EQ(view.status.kind, StatusLine::Kind::kNone);
  EXPECT_EQ(job().oldCount(), 0u);
  EXPECT_EQ(job().newCount(), 0u);
  EXPECT_FALSE(Exists(ini));
  EXPECT_TRUE(view.messages.empty());
  EXPECT_TRUE(pauser.pauses.empty());
}

TEST_F(StartUp, StoredMethodChecksItsButtonOrNone) {
  const std::vector<std::pair<std::string, RenameMethod>> cases = {
      {"Method=0", RenameMethod::kAdd},     {"Method=1", RenameMethod::kReplace},
      {"Method=2", RenameMethod::kDelete},  {"Method=7", RenameMethod::kNone},
      {"Method=-1", RenameMethod::kNone},   {"Method=", RenameMethod::kAdd},
      {"Method=abc", RenameMethod::kAdd},   {"Method=12abc", RenameMethod::kNone},
  };
  for (const auto& [line, checked] : cases) {
    WriteFile(ini, "[Config]\n" + line + "\n");
    view.checked = RenameMethod::kDelete;  // whatever was checked before
    Start();
    EXPECT_EQ(view.checked, checked) << line;
  }
}

TEST_F(StartUp, StoredValuesFillTheBoxesAsTheyStand) {
  const std::string folder = root.path() + "/" + std::string(70, 'f');
  WriteFile(ini, "[Config]\r\nFolder=" + folder + "\r\nFile=\r\n");
  Start();
  EXPECT_EQ(view.folder, folder);
  EXPECT_EQ(job().folder(), folder);
  EXPECT_EQ(view.extension, "");

  WriteFile(ini, "[Config]\rFile=Mp3\r");
  Start();
  EXPECT_EQ(view.extension, "Mp3");
  EXPECT_EQ(view.folder, "");
}

TEST(StartUpWithoutItsOwnPath, UsesNoSettingsFileAtAll) {
  // A program that cannot tell where it lies reads the defaults and writes
  // nothing: never a settings file in whatever folder it was started from.
  testing_support::TempDir work;
  testing_support::MakeDir(work / "music");
  WriteFile(work / "music/a.mp3", "a");
  WriteFile(work / ".ini", "[Config]\nFile=ogg\n");
  testing_support::WorkingFolder inWork(work.path());
  testing_support::TestRandom random;
  testing_support::RecordingPauser pauser;
  testing_support::MemoryProgram program(WorkflowServices{&random, &pauser, {}, std::string()});
  testing_support::MemoryView& view = program.view;
  program.workflow.Start();
  EXPECT_EQ(view.extension, "mp3");
  EXPECT_EQ(program.workflow.settings().path(), "");
  view.folder = work / "music";
  program.Do(Command::kSearch);
  view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(program.Do(Command::kRandom));
  // Without a journal the user is asked first.
  program.Do(Command::kRun);
  ASSERT_EQ(view.questions.size(), 2u);
  EXPECT_EQ(view.questions[1].kind, Question::Kind::kRunWithoutJournal);
  EXPECT_EQ(view.questions[1].noJournal, Question::NoJournal::kNoPlace);
  EXPECT_TRUE(Complete(view.status));
  EXPECT_EQ(testing_support::ListNames(work.path()), (std::vector<std::string>{".ini", "music"}));
  EXPECT_EQ(testing_support::ReadFile(work / ".ini"), "[Config]\nFile=ogg\n");
}
