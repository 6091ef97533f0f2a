// The order step against the placement rules of Linux's vfat and exFAT and
// of Windows' FAT driver, on a model volume: in a folder and at the root,
// with a messy history, the renamed files end in name order on the disk and
// nothing is lost; a Run killed at any point is undone completely.
#include "rename/workflow.h"

#include "platform/path.h"

#include "faults.h"
#include "headless_program.h"
#include "volume_model.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <set>

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

// The folder to order on a model stick: "Music", made, or the root.
std::string MusicFolder(VolumeModel& volume, bool atRoot = false) {
  if (atRoot) return volume.root();
  const std::string folder = platform::JoinPath(volume.root(), "Music");
  volume.MakeFolder(folder);
  return folder;
}

// The program started, with the proposal for the folder by the method.
void Propose(testing_support::HeadlessProgram& program, const std::string& folder,
             RenameMethod method = RenameMethod::kAdd) {
  program.workflow.Start();
  program.view.folder = folder;
  program.view.checked = method;
  program.Do(Command::kSearch);
  ASSERT_TRUE(program.Do(Command::kRandom));
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
          const int flushed = volume->flushes;
          program.Do(Command::kRun);
          ASSERT_TRUE(Complete(program.view.status));
          EXPECT_FALSE(program.workflow.lastOrderProblem().any())
              << shell::OrderProblemText(program.workflow.lastOrderProblem());
          const std::vector<std::string> listing = volume->Listing(folder);
          EXPECT_TRUE(InOrder(listing) || method == RenameMethod::kDelete);
          // About two operations a file for a sibling, a small multiple in place.
          const std::size_t count = program.job().newCount();
          EXPECT_LE(program.workflow.lastOrderOperations(), (atRoot ? 8 : 2) * (count + 3) + 64);
          // One flush of the stick every 16 moves, and one at each turn.
          EXPECT_LE(volume->flushes - flushed, static_cast<int>((atRoot ? 2 : 1) * (count + 8) / 16 + 5));
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
      killedOrdering += doomed->workflow.state().busy.kind == Busy::Kind::kOrdering;
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
  // A file held open by a player: the Run renames in place and says why
  // the order was not made. Esc while a Run on a stick renames into the
  // new order: every file keeps its old name.
  for (const bool held : {true, false}) {
    SCOPED_TRACE(held ? "a file held open" : "stopped");
    std::mt19937 rng(3);
    const std::shared_ptr<VolumeModel> volume = VolumeModel::Make(VolumeModel::Rule::kLinuxVfat);
    const std::string folder = MusicFolder(*volume);
    const auto files = MessyFolder(*volume, folder, rng, 80);
    if (held) volume->held = "cover.jpg";
    testing_support::HeadlessProgram program(volume->Opener(), folder, false);
    volume->onOperation = [&] { program.clock.now += 10; };
    Propose(program, folder);
    program.view.stopAfter = held ? -1 : 2;
    program.Do(Command::kRun);
    const StatusLine& said = program.view.status;
    const std::size_t count = program.job().newCount();
    if (held) {
      ASSERT_EQ(said.kind, StatusLine::Kind::kNotOrdered);
      EXPECT_EQ(said.order.kind, OrderProblem::Kind::kNotMoved);
      EXPECT_EQ(said.order.name, "cover.jpg");
      EXPECT_EQ(said.order.error.code, platform::ErrorCode::kBusy);
      EXPECT_EQ(program.view.messages.size(), 1u);
    } else {
      EXPECT_TRUE(Stopped(said, 0, count));
      EXPECT_EQ(volume->Files(), files);
    }
    std::size_t numbered = 0;
    for (const std::string& name : volume->Listing(folder)) numbered += name.size() > 4 && name[4] == '_';
    EXPECT_EQ(numbered, held ? count : 0u);
    NothingLeftBehind(*volume, folder);
    EXPECT_TRUE(program.view.undoEnabled);
  }
}

TEST(OrderStep, ASlowRunWritesTheStickToTheDiskEveryTwentySeconds) {
  // A stick that takes a second a rename: in place or into the new order,
  // the Run flushes on the way every twenty seconds, and not more often.
  for (const OrderPolicy order : {OrderPolicy::kNever, OrderPolicy::kAuto}) {
    std::mt19937 rng(9);
    const std::shared_ptr<VolumeModel> volume = VolumeModel::Make(VolumeModel::Rule::kLinuxExfat);
    const std::string folder = MusicFolder(*volume);
    MessyFolder(*volume, folder, rng, 100);
    testing_support::HeadlessProgram program(volume->Opener(), folder, false, order);
    Propose(program, folder);
    volume->onOperation = [&] { program.clock.now += 1000; };
    const std::int64_t start = program.clock.now;
    const int flushed = volume->flushes;
    program.Do(Command::kRun);
    ASSERT_TRUE(Complete(program.view.status));
    const std::int64_t seconds = (program.clock.now - start) / 1000;
    EXPECT_GE(volume->flushes - flushed, seconds / 20);
    EXPECT_LE(volume->flushes - flushed, seconds / 20 + 3);
  }
}

TEST(OrderStep, TheFolderAsTypedOrWithALongNameIsOrderedItself) {
  // A separator or a dot at the end of the folder typed, or a name that
  // leaves no room for the temporary names beside it (255 characters):
  // the folder itself is ordered, without moving anything twice.
  const std::string sep = testing_support::TempDir::kSeparator;
  const std::string longName(238, 'L');
  for (const std::string& typed : {"Music" + sep, "Music" + sep + ".", "." + sep + "Music", longName}) {
    SCOPED_TRACE(typed);
    std::mt19937 rng(5);
    const std::shared_ptr<VolumeModel> volume = VolumeModel::Make(VolumeModel::Rule::kLinuxVfat);
    const std::string folder = platform::JoinPath(volume->root(), typed == longName ? longName : "Music");
    volume->MakeFolder(folder);
    const auto files = MessyFolder(*volume, folder, rng, 30);
    testing_support::HeadlessProgram program(volume->Opener(), folder, false);
    program.workflow.Start();
    program.view.folder = volume->root() + sep + typed;
    program.view.checked = RenameMethod::kAdd;
    program.Do(Command::kSearch);
    ASSERT_TRUE(program.Do(Command::kRandom));
    program.Do(Command::kRun);
    EXPECT_TRUE(Complete(program.view.status));
    EXPECT_FALSE(program.workflow.lastOrderProblem().any());
    EXPECT_TRUE(InOrder(volume->Listing(folder)));
    NothingLeftBehind(*volume, folder);
    program.Do(Command::kUndo);
    EXPECT_EQ(volume->Files(), files);
  }
}

TEST(OrderStep, AFileWhoseNameCameBackWaitsWhereItIsSaidAndUndoFinishesLater) {
  // Stopped while a player writes a new cover.jpg, and a new file under a
  // track's new name, into the folder: what cannot go back waits in the
  // temporary folder, told with its place. Undo gives back the other names
  // and says what still waits; once the newcomers are gone, Undo brings the
  // rest. In a folder the tracks go back under their old names, which are
  // free; at the root they come back renamed, and the track's cannot.
  for (const bool atRoot : {false, true}) {
    SCOPED_TRACE(atRoot ? "root" : "folder");
    std::mt19937 rng(11);
    const std::shared_ptr<VolumeModel> volume = VolumeModel::Make(VolumeModel::Rule::kLinuxVfat);
    const std::string folder = MusicFolder(*volume, atRoot);
    const auto files = MessyFolder(*volume, folder, rng, 120);
    testing_support::HeadlessProgram program(volume->Opener(), folder, false);
    volume->onOperation = [&] { program.clock.now += 10; };
    Propose(program, folder);
    const std::string track = program.job().row(0).newName;
    program.workflow.Do(Command::kRun);
    const auto outside = [&](const std::string& name) {
      const std::vector<std::string> listing = volume->Listing(folder);
      return std::find(listing.begin(), listing.end(), name) == listing.end();
    };
    while (program.workflow.state().sessionRunning && !(outside("cover.jpg") && outside(track))) {
      program.workflow.Do(Command::kTick);
    }
    ASSERT_TRUE(program.workflow.state().sessionRunning);
    volume->WriteFile(platform::JoinPath(folder, "cover.jpg"), "newcomer");
    volume->WriteFile(platform::JoinPath(folder, track), "another newcomer");
    program.workflow.Do(Command::kStop);
    const std::string& report = program.view.messages.back();
    EXPECT_NE(report.find("Waiting in " + (atRoot ? platform::JoinPath(folder, "TVT") : folder + ".tarvello-")),
              std::string::npos) << report;
    EXPECT_NE(report.find("\ncover.jpg"), std::string::npos) << report;
    EXPECT_EQ(report.find("\n" + track) != std::string::npos, atRoot) << report;

    program.Do(Command::kUndo);
    EXPECT_EQ(program.view.status.kind, StatusLine::Kind::kStillWaiting);
    EXPECT_EQ(program.view.status.waiting, atRoot ? 2u : 1u);
    EXPECT_TRUE(program.view.undoEnabled);
    volume->RemoveFile(platform::JoinPath(folder, "cover.jpg"));
    volume->RemoveFile(platform::JoinPath(folder, track));
    program.Do(Command::kUndo);
    EXPECT_TRUE(Undone(program.view.status));
    EXPECT_FALSE(program.view.undoEnabled);
    EXPECT_EQ(volume->Files(), files);
    NothingLeftBehind(*volume, folder);
  }
}

// The root of a FAT12 or FAT16 stick has a fixed number of slots, and the
// driver makes a name's new entry before it frees the old one. Nearly
// full, the root has no room for the holder folder, the place holders that
// fill holes, or a longer name, and a full one not even for a rename back:
// wherever the room runs out, every file keeps its content, no place holder
// or holder is left behind, what failed is said, and once there is room
// again Undo gives back every name.
TEST(OrderStep, AFullFat16RootLosesNothingAndIsUndoneOnceThereIsRoom) {
  for (int trial = 0; trial < 80; ++trial) {
    const std::size_t spare = static_cast<std::size_t>(trial / 2);
    const VolumeModel::Rule rule = trial % 2 == 0 ? VolumeModel::Rule::kLinuxVfat : VolumeModel::Rule::kWindowsFat;
    SCOPED_TRACE(std::to_string(spare) + " slots spare, rule " + std::to_string(trial % 2));
    std::mt19937 rng(static_cast<unsigned>(spare) + 5);
    const std::shared_ptr<VolumeModel> volume = VolumeModel::Make(rule);
    const std::string root = MusicFolder(*volume, true);
    const auto files = MessyFolder(*volume, root, rng, 60);
    const auto contents = [&] {
      std::multiset<std::string> all;
      for (const auto& [path, content] : volume->Files()) all.insert(content);
      return all;
    };
    const std::multiset<std::string> before = contents();
    const std::vector<int>& slots = volume->dirs.front().slot;
    std::size_t used = slots.size();
    while (used > 0 && slots[used - 1] < 0) --used;
    volume->rootSlots = used + spare;
    testing_support::HeadlessProgram program(volume->Opener(), root, false);
    volume->onOperation = [&] { program.clock.now += 10; };
    Propose(program, root);
    program.Do(Command::kRun);
    const StatusLine& said = program.view.status;
    EXPECT_TRUE(said.kind == StatusLine::Kind::kRunEnded || said.kind == StatusLine::Kind::kNotOrdered)
        << shell::StatusText(said);
    NothingLeftBehind(*volume, root);
    EXPECT_EQ(contents(), before);
    program.Do(Command::kUndo);
    EXPECT_EQ(contents(), before);
    if (!Undone(program.view.status)) {
      EXPECT_TRUE(program.view.status.rows.failed > 0 || program.view.status.kind == StatusLine::Kind::kStillWaiting)
          << shell::StatusText(program.view.status);
      volume->rootSlots = 0;  // room made on the stick
      program.Do(Command::kUndo);
    }
    EXPECT_TRUE(Undone(program.view.status)) << shell::StatusText(program.view.status);
    EXPECT_EQ(volume->Files(), files);
  }
}

// A fault at any one directory or journal operation of a Run with the order
// step, in a folder (sibling) and at the root (in place): an I/O error, a
// full disk (a journal record written half), no permission, an entry not
// found; once, or lasting as on a pulled stick. Whatever the program says
// after the Run holds on the disk: files outside their folder wait exactly
// where it says. Then the next start, the fault gone, brings every file
// back into its folder, and Undo gives back every name.
TEST(OrderStep, AFaultAtAnyOperationStrandsNothingUntoldAndNothingForGood) {
  using testing_support::FaultPlan;
  int trials = 0, strandedTrials = 0, refusedTrials = 0;
  for (const bool atRoot : {false, true}) {
    long operations = 0;
    for (long at = 0; at <= operations; ++at) {
      for (const FaultPlan::Kind kind : {FaultPlan::Kind::kIo, FaultPlan::Kind::kNoSpace,
                                         FaultPlan::Kind::kAccess, FaultPlan::Kind::kGone}) {
        for (const bool lasting : {false, true}) {
          if (at == 0 && (kind != FaultPlan::Kind::kIo || lasting)) continue;
          SCOPED_TRACE(std::string(atRoot ? "root" : "folder") + ", operation " + std::to_string(at) + ", " +
                       FaultName(kind) + (lasting ? ", lasting" : ", once"));
          std::mt19937 rng(7);
          const std::shared_ptr<VolumeModel> volume =
              VolumeModel::Make(atRoot ? VolumeModel::Rule::kLinuxExfat : VolumeModel::Rule::kLinuxVfat);
          const std::string folder = MusicFolder(*volume, atRoot);
          const auto files = MessyFolder(*volume, folder, rng, 10);
          FaultPlan plan;
          testing_support::FaultyJournalFiles journalFiles(plan);
          testing_support::HeadlessProgram program(testing_support::FaultyFolders(volume->Opener(), plan),
                                                   folder, false);
          program.services.journalFiles = &journalFiles;
          testing_support::MemoryProgram run(program.services);
          run.workflow.Start();
          run.view.folder = folder;
          run.view.checked = RenameMethod::kAdd;
          run.Do(Command::kSearch);
          ASSERT_TRUE(run.Do(Command::kRandom));
          std::map<std::string, std::string> newNameOf;
          for (std::size_t i = 0; i < run.workflow.job().newCount(); ++i) {
            newNameOf[run.workflow.job().row(i).oldName] = run.workflow.job().row(i).newName;
          }
          plan.count = 0;
          plan.at = at;
          plan.kind = kind;
          plan.lasting = lasting;
          run.Do(Command::kRun);
          plan.Clear();
          if (at == 0) {
            operations = plan.count;
            ASSERT_TRUE(Complete(run.view.status));
          }
          ++trials;
          const TransactionOutcome* outcome = run.workflow.lastOutcome();
          refusedTrials += outcome == nullptr;
          const bool stranded = outcome != nullptr && outcome->order.kind == OrderOutcome::Kind::kStranded;
          strandedTrials += stranded;
          if (stranded) {
            EXPECT_NE(run.view.messages.back().find("Waiting in "), std::string::npos) << run.view.messages.back();
          }
          // Where every file is: in its folder under its old or new name,
          // or, when the program said so, in a place it named.
          const auto checkEveryFile = [&](bool mayWait) {
            std::map<std::string, std::string> where;
            for (const auto& [path, content] : volume->Files()) where[content] = path;
            ASSERT_EQ(where.size(), files.size()) << "a file was lost";
            for (const auto& [path, content] : files) {
              const std::string& now = where.at(content);
              const platform::PathParts was = platform::SplitPath(path), is = platform::SplitPath(now);
              if (is.folder == was.folder) {
                const auto proposed = newNameOf.find(was.name);
                EXPECT_TRUE(is.name == was.name || (proposed != newNameOf.end() && is.name == proposed->second))
                    << path << " is " << now;
                continue;
              }
              bool told = false;
              for (const Stranded& place : outcome->order.wayBack.stranded) {
                told = told || now.rfind(platform::JoinPath(place.place, ""), 0) == 0;
              }
              const std::string& folderAt = outcome->order.wayBack.folderAt;
              told = told || (!folderAt.empty() && now.rfind(platform::JoinPath(folderAt, ""), 0) == 0);
              EXPECT_TRUE(mayWait && told) << path << " waits untold in " << now;
            }
          };
          checkEveryFile(stranded);
          if (!stranded) NothingLeftBehind(*volume, folder);
          // The fault is gone: the next start brings everything back, and
          // Undo every name, unless the Run went without a journal.
          std::unique_ptr<testing_support::MemoryProgram> later = program.Restarted();
          checkEveryFile(false);
          NothingLeftBehind(*volume, folder);
          if (outcome != nullptr && outcome->journal.kind == JournalOutcome::Kind::kNone) continue;
          if (later->workflow.Can(Command::kUndo)) later->Do(Command::kUndo);
          EXPECT_EQ(volume->Files(), files) << later->view.status;
          if (HasFailure()) return;
        }
      }
    }
    EXPECT_GT(operations, 30);
  }
  std::printf("[ trials   ] %d faults injected, %d left files outside their folder, %d refused the Run\n", trials,
              strandedTrials, refusedTrials);
  EXPECT_GT(strandedTrials, 20);
}
