// The order step against the placement rules of Linux's vfat and exFAT and
// of Windows' FAT driver, on a model volume: in a folder and at the root,
// with a messy history, the renamed files end in name order on the disk and
// nothing is lost; a Run killed at any point is undone completely.
#include "rename/workflow.h"

#include "platform/path.h"

#include "headless_program.h"
#include "volume_model.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

using testing_support::VolumeModel;

namespace {

const char* RuleName(VolumeModel::Rule rule) {
  switch (rule) {
    case VolumeModel::Rule::kLinuxVfat: return "Linux vfat";
    case VolumeModel::Rule::kLinuxExfat: return "Linux exFAT";
    case VolumeModel::Rule::kWindowsFat: return "Windows FAT";
  }
  return "";
}

// A folder as users leave them: tracks of every length copied in, a cover,
// a folder of extras, some tracks deleted and others added later.
std::map<std::string, std::string> MessyFolder(VolumeModel& volume, const std::string& folder,
                                               std::mt19937& rng, int tracks) {
  std::map<std::string, std::string> files;
  const auto add = [&](const std::string& name) {
    const std::string path = platform::JoinPath(folder, name);
    volume.WriteFile(path, "content of " + name);
    files[path] = "content of " + name;
  };
  for (int i = 0; i < tracks; ++i) {
    add("track" + std::to_string(i) + " " + std::string(std::uniform_int_distribution<int>(0, 40)(rng), 'x') +
        (i % 7 == 3 ? " 노래" : "") + ".mp3");
    if (i == tracks / 4) add("cover.jpg");
    if (i == tracks / 3) {
      volume.MakeFolder(platform::JoinPath(folder, "Bonus"));
      add("Bonus" + std::string(testing_support::TempDir::kSeparator) + "extra.mp3");
    }
  }
  for (auto it = files.begin(); it != files.end();) {
    if (it->first.find("track") != std::string::npos && std::uniform_int_distribution<int>(0, 3)(rng) == 0) {
      volume.RemoveFile(it->first);
      it = files.erase(it);
    } else {
      ++it;
    }
  }
  for (int i = 0; i < tracks / 5; ++i) add("new" + std::to_string(i) + std::string(i % 30, 'y') + ".mp3");
  return files;
}

// Whether the numbered names stand in their byte order on the "disk".
bool InOrder(const std::vector<std::string>& listing) {
  std::string last;
  for (const std::string& name : listing) {
    if (name.size() < 5 || name[4] != '_') continue;
    if (name < last) return false;
    last = name;
  }
  return true;
}

// Nothing the order step makes is left behind, in the folder or beside it.
void NothingLeftBehind(const VolumeModel& volume, const std::string& folder) {
  for (const std::string& where : {folder, platform::SplitPath(folder).folder}) {
    for (const std::string& name : volume.Listing(where)) {
      EXPECT_EQ(name.find(".tarvello-"), std::string::npos) << name;
      EXPECT_NE(name.rfind("TVT", 0), 0u) << name;
      EXPECT_FALSE(name[0] == 'Z' && (name.size() == 8 || name[8] == '-')) << name;
    }
  }
}

}  // namespace

TEST(OrderStep, EveryRuleLeavesTheRenamedFilesInNameOrderOnTheDisk) {
  for (const VolumeModel::Rule rule :
       {VolumeModel::Rule::kLinuxVfat, VolumeModel::Rule::kLinuxExfat, VolumeModel::Rule::kWindowsFat}) {
    for (const bool atRoot : {false, true}) {
      for (int seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE(std::string(RuleName(rule)) + (atRoot ? ", root" : ", a folder") + ", seed " +
                     std::to_string(seed));
        std::mt19937 rng(seed);
        const std::shared_ptr<VolumeModel> volume = VolumeModel::Make(rule);
        const std::string folder = atRoot ? volume->root() : platform::JoinPath(volume->root(), "Music");
        if (!atRoot) volume->MakeFolder(folder);
        volume->MakeFolder(platform::JoinPath(volume->root(), "Other"));
        const auto files = MessyFolder(*volume, folder, rng, 40 + seed * 5);
        testing_support::HeadlessProgram program(volume->Opener(), folder, false);
        program.workflow.Start();
        program.view.folder = folder;
        for (const RenameMethod method : {RenameMethod::kAdd, RenameMethod::kReplace, RenameMethod::kDelete}) {
          program.view.checked = method;
          program.Do(Command::kSearch);
          ASSERT_TRUE(program.Do(Command::kRandom));
          program.Do(Command::kRun);
          ASSERT_EQ(program.view.status, "COMPLETE!!");
          EXPECT_TRUE(program.workflow.lastOrderProblem().empty()) << program.workflow.lastOrderProblem();
          const std::vector<std::string> listing = volume->Listing(folder);
          EXPECT_TRUE(InOrder(listing) || method == RenameMethod::kDelete);
          // About two operations a file for a sibling, a small multiple in place.
          const std::size_t count = program.job().newCount();
          EXPECT_LE(program.workflow.lastOrderOperations(), (atRoot ? 8 : 2) * (count + 3) + 64);
          NothingLeftBehind(*volume, folder);
        }
        // Add, Replace and Delete: every file back under its first name.
        EXPECT_EQ(volume->Files(), files);
        const std::vector<std::string> listing = volume->Listing(folder);
        EXPECT_NE(std::find(listing.begin(), listing.end(), "Bonus"), listing.end());
        // Delete gives back names without numbers: their order is the names'.
        std::vector<std::string> tracks;
        for (const std::string& name : listing) {
          if (name.size() > 4 && name.compare(name.size() - 4, 4, ".mp3") == 0) tracks.push_back(name);
        }
        EXPECT_TRUE(std::is_sorted(tracks.begin(), tracks.end()));
      }
    }
  }
}

TEST(OrderStep, ARunKilledAtAnyPointIsUndoneWithEveryFileInItsFolder) {
  int killedOrdering = 0;
  for (unsigned seed = 1; seed <= 45; ++seed) {
    std::mt19937 rng(seed);
    const auto rule = static_cast<VolumeModel::Rule>(seed % 3);
    const bool atRoot = seed % 4 == 0;
    SCOPED_TRACE("seed " + std::to_string(seed) + ", " + RuleName(rule) + (atRoot ? ", root" : ""));
    const std::shared_ptr<VolumeModel> volume = VolumeModel::Make(rule, seed % 2 ? 128 : 16);
    const std::string folder = atRoot ? volume->root() : platform::JoinPath(volume->root(), "Music");
    if (!atRoot) volume->MakeFolder(folder);
    const auto files = MessyFolder(*volume, folder, rng, std::uniform_int_distribution<int>(3, 60)(rng));
    testing_support::HeadlessProgram program(volume->Opener(), folder, false);
    // Every directory operation takes 10 ms: the Run goes in many steps.
    volume->onOperation = [&] { program.clock.now += 10; };
    {
      auto doomed = std::make_unique<testing_support::MemoryProgram>(program.services);
      doomed->workflow.Start();
      doomed->view.folder = folder;
      doomed->view.checked = seed % 5 == 0 ? RenameMethod::kDelete : RenameMethod::kAdd;
      doomed->Do(Command::kSearch);
      ASSERT_TRUE(doomed->Do(Command::kRandom));
      doomed->workflow.Do(Command::kRun);
      // The renames take about as many ticks as half the rows, the moves
      // as many again.
      const int rows = static_cast<int>(doomed->workflow.job().newCount());
      const int ticks = std::uniform_int_distribution<int>(0, rows + 10)(rng);
      for (int i = 0; i < ticks && doomed->workflow.state().sessionRunning; ++i) {
        doomed->workflow.Do(Command::kTick);
      }
      killedOrdering += doomed->workflow.state().overlay.rfind("ordering", 0) == 0;
      // The program dies here, whatever it was doing.
    }
    volume->onOperation = nullptr;
    std::unique_ptr<testing_support::MemoryProgram> restarted = program.Restarted();
    if (restarted->workflow.Can(Command::kUndo)) restarted->Do(Command::kUndo);
    EXPECT_EQ(volume->Files(), files);
    NothingLeftBehind(*volume, folder);
  }
  // The trials did stop Runs in the middle of their order steps.
  EXPECT_GE(killedOrdering, 5);
}

TEST(OrderStep, WhatCannotBeOrderedIsSaidAndLeftAsItWas) {
  // A file held open by a player, and Esc while the entries move.
  for (const bool held : {true, false}) {
    SCOPED_TRACE(held ? "a file held open" : "stopped");
    std::mt19937 rng(3);
    const std::shared_ptr<VolumeModel> volume = VolumeModel::Make(VolumeModel::Rule::kLinuxVfat);
    const std::string folder = platform::JoinPath(volume->root(), "Music");
    volume->MakeFolder(folder);
    MessyFolder(*volume, folder, rng, 40);
    if (held) volume->held = "cover.jpg";
    testing_support::HeadlessProgram program(volume->Opener(), folder, false);
    volume->onOperation = [&] { program.clock.now += 10; };
    program.workflow.Start();
    program.view.folder = folder;
    program.view.checked = RenameMethod::kAdd;
    program.Do(Command::kSearch);
    ASSERT_TRUE(program.Do(Command::kRandom));
    program.view.stopAfter = held ? -1 : 3;
    program.Do(Command::kRun);
    const std::string said = program.view.status;
    EXPECT_EQ(said.rfind("renamed, but not put in order on the disk: ", 0), 0u) << said;
    EXPECT_NE(said.find(held ? "\"cover.jpg\" cannot be moved (the file is in use)" : "stopped"),
              std::string::npos) << said;
    ASSERT_EQ(program.view.messages.size(), 1u);
    EXPECT_EQ(program.view.messages[0], said);
    // Renamed all the same, every entry in the folder, nothing left behind.
    std::size_t numbered = 0;
    for (const std::string& name : volume->Listing(folder)) numbered += name.size() > 4 && name[4] == '_';
    EXPECT_EQ(numbered, program.job().newCount());
    NothingLeftBehind(*volume, folder);
    EXPECT_TRUE(program.view.undoEnabled);
  }
}
