#include "rename/rename_state.h"

#include "rename/control_ids.h"
#include "headless_program.h"

#include <gtest/gtest.h>

using testing_support::Exists;
using testing_support::RecordingPauser;
using testing_support::TestRandom;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

// A program "installed" in a temporary folder, with its window in memory.
class StartUp : public ::testing::Test, protected testing_support::HeadlessProgram {
 protected:
  void Start() { state.InitRenameState(); }
  std::vector<bool> Checks() {
    return {controls.GetCheck(IDC_ADD), controls.GetCheck(IDC_REPLACE),
            controls.GetCheck(IDC_DELETE)};
  }
};

}  // namespace

TEST_F(StartUp, FirstStartShowsDefaultsAndCreatesNoFile) {
  controls.SetDlgItemText(IDC_STATUS, "leftover");
  Start();
  EXPECT_EQ(random.seeds, 1);
  EXPECT_EQ(state.settings().path(), ini);
  EXPECT_EQ(controls.GetDlgItemText(IDC_FOLDER), "");
  EXPECT_EQ(controls.GetDlgItemText(IDC_EXTENSION), "mp3");
  EXPECT_EQ(state.method(), kMethodNone);
  EXPECT_EQ(Checks(), (std::vector<bool>{false, false, false}));
  EXPECT_FALSE(controls.IsEnabled(IDC_RANDOM));
  EXPECT_FALSE(controls.IsEnabled(IDC_RUN));
  EXPECT_FALSE(controls.IsShown(IDC_OVERLAY));
  EXPECT_EQ(controls.GetDlgItemText(IDC_OVERLAY), "");
  EXPECT_EQ(controls.GetDlgItemText(IDC_STATUS), "");
  EXPECT_EQ(state.oldCount(), 0);
  EXPECT_EQ(state.newCount(), 0);
  EXPECT_FALSE(Exists(ini));
  EXPECT_TRUE(controls.messages.empty());
  EXPECT_TRUE(pauser.pauses.empty());
}

TEST_F(StartUp, StoredMethodChecksItsButtonOrNone) {
  const std::vector<std::pair<std::string, std::vector<bool>>> cases = {
      {"Method=0", {true, false, false}},  {"Method=1", {false, true, false}},
      {"Method=2", {false, false, true}},  {"Method=7", {false, false, false}},
      {"Method=-1", {false, false, false}}, {"Method=", {true, false, false}},
      {"Method=abc", {true, false, false}},
  };
  for (const auto& [line, checks] : cases) {
    WriteFile(ini, "[Config]\n" + line + "\n");
    controls.ClickRadio(IDC_DELETE);  // whatever was checked before
    Start();
    EXPECT_EQ(Checks(), checks) << line;
  }
}

TEST_F(StartUp, StoredValuesFillTheBoxesAsTheyStand) {
  const std::string folder = root.path() + "/" + std::string(70, 'f');
  WriteFile(ini, "[Config]\r\nFolder=" + folder + "\r\nFile=\r\n");
  Start();
  EXPECT_EQ(controls.GetDlgItemText(IDC_FOLDER), folder);
  EXPECT_EQ(state.folder(), folder);
  EXPECT_EQ(controls.GetDlgItemText(IDC_EXTENSION), "");
  EXPECT_EQ(state.extensionFilter(), "");

  WriteFile(ini, "\xEF\xBB\xBF[Config]\nFile=Mp3\n");
  Start();
  // The filter keeps its letter case until a Search upper-cases it.
  EXPECT_EQ(state.extensionFilter(), "Mp3");
  EXPECT_EQ(controls.GetDlgItemText(IDC_FOLDER), "");
}

TEST_F(StartUp, ReadMethodTakesTheFirstCheckedAndStoresIt) {
  Start();
  EXPECT_EQ(state.ReadMethod(), kMethodNone);
  controls.ClickRadio(IDC_REPLACE);
  EXPECT_EQ(state.ReadMethod(), kMethodReplace);
  EXPECT_EQ(state.method(), kMethodReplace);
  state.CheckMethod(kMethodDelete);
  EXPECT_EQ(state.ReadMethod(), kMethodDelete);
  state.CheckMethod(5);
  EXPECT_EQ(state.ReadMethod(), kMethodNone);
}
