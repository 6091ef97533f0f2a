// Around Run: the marks of what it will do, its journal and Undo, and a long
// Run that shows its progress and can be stopped.
#include "rename/workflow.h"

#include "platform/bytes.h"
#include "platform/file.h"
#include "platform/lock.h"
#include "rename/journal.h"
#include "headless_program.h"
#include "test_folders.h"

#include <algorithm>
#include <future>
#include <thread>
#include <tuple>
#include <gtest/gtest.h>
#include <map>
#include <set>
#ifndef _WIN32
#include <sys/stat.h>
#endif

using testing_support::Exists;
using testing_support::FakeClock;
using testing_support::ListNames;
using testing_support::ReadFile;
using testing_support::RemovePath;
using testing_support::RenamePath;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

class AroundRun : public ::testing::Test, protected testing_support::HeadlessProgram {
 protected:
  explicit AroundRun(platform::FolderOpener opener = {}) : HeadlessProgram(std::move(opener)) {
    workflow.Start();
  }
  // Each file holds its own name, so that contents tell where a file went.
  void Files(const std::vector<std::string>& names) {
    for (const std::string& name : names) WriteFile(music + "/" + name, name);
  }
  void Propose(RenameMethod method, const std::vector<std::string>& rows) {
    // The rows in the order given, from the searched folder.
    listOrder = rows;
    view.folder = music;
    view.extension = "";
    Do(Command::kSearch);
    view.checked = method;
    ASSERT_TRUE(Do(Command::kRandom));
  }
  // The folder's watch is looked at again once the preview's time has come.
  void Tick() {
    clock.now += 500;
    Do(Command::kTick);
  }
  std::map<std::string, std::string> Contents() const {
    std::map<std::string, std::string> contents;
    for (const std::string& name : ListNames(music)) contents[name] = ReadFile(music + "/" + name);
    return contents;
  }
  // Every file back under the name it had, holding what it held.
  std::map<std::string, std::string> Originals(const std::vector<std::string>& names) const {
    std::map<std::string, std::string> contents;
    for (const std::string& name : names) contents[name] = name;
    return contents;
  }
};

}  // namespace

TEST_F(AroundRun, PreviewMarksWhatRunWillDoInRowOrder) {
  Files({"0001_song.mp3", "song.mp3", "0002_tunes.ogg", "x.mp3", "tunes.ogg"});
  // Delete, row by row:
  Propose(RenameMethod::kDelete,
          {"0001_song.mp3",    // -> "song.mp3", freed by the next row only after: taken
           "song.mp3",         // -> "mp3": cuts "song." from the real name
           "0002_tunes.ogg",   // -> "tunes.ogg", freed by the last row later: taken
           "x.mp3",            // -> "": will fail
           "tunes.ogg"});      // -> ".ogg": cuts "tunes"
  std::vector<RowForecast> forecast;
  for (std::size_t i = 0; i < 5; ++i) forecast.push_back(job().forecast(i));
  EXPECT_EQ(forecast, (std::vector<RowForecast>{RowForecast::kTaken, RowForecast::kLosesText,
                                                RowForecast::kTaken, RowForecast::kEmptyName,
                                                RowForecast::kLosesText}));
  EXPECT_TRUE(Marked(view.status, 3, 2));

  // In the other order an earlier row frees the name first.
  Propose(RenameMethod::kDelete, {"song.mp3", "0001_song.mp3"});
  EXPECT_EQ(job().forecast(0), RowForecast::kLosesText);
  EXPECT_EQ(job().forecast(1), RowForecast::kFine);
  EXPECT_TRUE(Marked(view.status, 0, 1));

  // What the preview said is what Run does.
  Do(Command::kRun);
  EXPECT_TRUE(Complete(view.status));
  EXPECT_EQ(ReadFile(music + "/song.mp3"), "0001_song.mp3");
  EXPECT_EQ(ReadFile(music + "/mp3"), "song.mp3");
}

TEST_F(AroundRun, ANumberedFolderHasNoMarksAndAChangedFolderIsLookedAtAgain) {
  const std::vector<std::string> names = {"0001_a.mp3", "0002_b.mp3", "0003_c.mp3"};
  Files(names);
  view.folder = music;
  Do(Command::kSearch);
  view.checked = RenameMethod::kReplace;
  // A proposal with a name that no listed file has.
  std::string free;
  for (int tries = 0; tries < 100 && free.empty(); ++tries) {
    ASSERT_TRUE(Do(Command::kRandom));
    for (std::size_t i = 0; i < 3; ++i) {
      const std::string& target = job().row(i).newName;
      if (std::find(names.begin(), names.end(), target) == names.end()) free = target;
    }
  }
  ASSERT_FALSE(free.empty());
  EXPECT_EQ(view.status.kind, StatusLine::Kind::kNone);
  EXPECT_EQ(job().forecastCounts().willFail + job().forecastCounts().losesText, 0u);
  // Another program takes that name.
  WriteFile(music + "/" + free, "intruder");
  const int redraws = view.rowsChanged;
  Tick();
  EXPECT_GT(view.rowsChanged, redraws);
  EXPECT_TRUE(Marked(view.status, 1, 0));
  // Nothing changed since: nothing is looked at again.
  const int again = view.rowsChanged;
  Tick();
  EXPECT_EQ(view.rowsChanged, again);
}

// The marks follow the folder of the last Search only: what another
// program does in the folder searched before, or what a Run did there, is
// no change to look at.
TEST_F(AroundRun, OnlyTheFolderOfTheLastSearchIsWatched) {
  const std::string other = music + "-other";
  testing_support::MakeDir(other);
  WriteFile(other + "/x.mp3", "x");
  Files({"a.mp3", "b.mp3"});
  Propose(RenameMethod::kAdd, {"a.mp3", "b.mp3"});
  Do(Command::kRun);
  ASSERT_TRUE(Complete(view.status));
  view.folder = other;
  listOrder = {"x.mp3"};
  Do(Command::kSearch);
  ASSERT_TRUE(Do(Command::kRandom));
  const int redraws = view.rowsChanged;
  WriteFile(music + "/c.mp3", "c");
  Tick();
  EXPECT_EQ(view.rowsChanged, redraws);
  WriteFile(other + "/y.mp3", "y");
  Tick();
  EXPECT_GT(view.rowsChanged, redraws);
}

TEST_F(AroundRun, AFolderChangedBetweenSearchAndRandomIsLookedAtAgain) {
  Files({"0001_a.mp3"});
  view.folder = music;
  Do(Command::kSearch);
  // Another program takes the only name Delete can give, after the Search.
  Files({"a.mp3"});
  view.extension = "mp3";
  view.checked = RenameMethod::kDelete;
  ASSERT_TRUE(Do(Command::kRandom));
  EXPECT_EQ(job().forecast(0), RowForecast::kTaken);
  EXPECT_TRUE(Marked(view.status, 1, 0));
}

// A volume that ignores letter case (FAT, exFAT, NTFS as Windows mounts
// them): a name is there when any spelling of it is.
class OnACaseBlindVolume : public AroundRun {
 protected:
  class CaseBlindFolder : public testing_support::OrderedFolder {
   public:
    using testing_support::OrderedFolder::OrderedFolder;
    bool IgnoresCase() override { return true; }
  };
  OnACaseBlindVolume()
      : AroundRun([this](const std::string& path) -> std::unique_ptr<platform::Folder> {
          return std::make_unique<CaseBlindFolder>(path, listOrder);
        }) {}
};

TEST_F(OnACaseBlindVolume, ANameTakenInOtherLettersIsMarked) {
  // Letters that differ past the first eight bytes, and in the first eight.
  Files({"0001_Blue in Green.mp3", "BLUE IN GREEN.MP3", "0002_so what.mp3", "SO WHAT.mp3"});
  Propose(RenameMethod::kDelete, {"0001_Blue in Green.mp3", "0002_so what.mp3"});
  EXPECT_EQ(job().forecast(0), RowForecast::kTaken);
  EXPECT_EQ(job().forecast(1), RowForecast::kTaken);
  EXPECT_TRUE(Marked(view.status, 2, 0));
}

TEST_F(AroundRun, UndoGivesBackTheNamesOfAnAddAndOfAReplace) {
#ifdef _WIN32
  const std::vector<std::string> names = {"a.mp3", "b.mp3", "0007_c.mp3", "0008_노래.mp3",
                                          "\xF0\x9F\x8E\xB5.mp3"};
#else
  // Names with a line break and bytes that are no UTF-8 come back exactly.
  const std::vector<std::string> names = {"a.mp3", "b.mp3", "0007_c.mp3", "line\nbreak.mp3",
                                          std::string("\xff\xfe.mp3")};
#endif
  Files(names);
  EXPECT_FALSE(view.undoEnabled);
  for (const RenameMethod method : {RenameMethod::kAdd, RenameMethod::kReplace}) {
    view.folder = music;
    Do(Command::kSearch);
    view.checked = method;
    ASSERT_TRUE(Do(Command::kRandom));
    Do(Command::kRun);
    ASSERT_TRUE(Complete(view.status));
    ASSERT_NE(Contents(), Originals(names));
    EXPECT_TRUE(view.undoEnabled);

    view.questions.clear();
    Do(Command::kUndo);
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.questions[0].kind, Question::Kind::kUndo);
    EXPECT_EQ(view.questions[0].count, 5u);
    EXPECT_EQ(view.questions[0].folder, music);
    EXPECT_TRUE(Undone(view.status));
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(Contents(), Originals(names));
    // Spent: a second Undo has nothing to do.
    EXPECT_FALSE(view.undoEnabled);
    EXPECT_FALSE(workflow.state().undoPossible);
    Do(Command::kUndo);
    EXPECT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(Contents(), Originals(names));
  }
}

TEST_F(AroundRun, UndoAfterExpressAndAfterARestart) {
  const std::vector<std::string> names = {"0001_a.mp3", "0002_b.mp3", "0003_c.mp3"};
  Files(names);
  view.folder = music;
  view.checked = RenameMethod::kReplace;
  Do(Command::kExpress);
  ASSERT_TRUE(Complete(view.status));
  // Whatever Express drew, the journal holds it.
  ASSERT_TRUE(Exists(journal));

  // A new start of the program finds the journal.
  std::unique_ptr<testing_support::MemoryProgram> restarted = Restarted();
  testing_support::MemoryView& later = restarted->view;
  EXPECT_TRUE(later.undoEnabled);
  restarted->Do(Command::kUndo);
  EXPECT_TRUE(Undone(later.status));
  EXPECT_EQ(Contents(), Originals(names));
  EXPECT_FALSE(Exists(journal));
}

TEST_F(AroundRun, WhatAnUndoCouldNotGiveBackAnotherUndoDoes) {
  Files({"a.mp3", "b.mp3"});
  view.folder = music;
  Do(Command::kSearch);
  view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(Do(Command::kRandom));
  Do(Command::kRun);
  // Another file takes the name "a.mp3" before the Undo.
  WriteFile(music + "/a.mp3", "newcomer");
  Do(Command::kUndo);
  EXPECT_TRUE(Failed(view.status, 1, 2));
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_NE(view.messages[0].find("  ->  a.mp3: the name is taken"), std::string::npos)
      << view.messages[0];
  EXPECT_NE(view.messages[0].find("Undo again"), std::string::npos);
  auto contents = Contents();
  EXPECT_EQ(contents.size(), 3u);
  EXPECT_EQ(contents.at("a.mp3"), "newcomer");
  EXPECT_EQ(contents.at("b.mp3"), "b.mp3");
  // The rest stays undoable, after a restart too.
  EXPECT_TRUE(workflow.state().undoPossible);
  testing_support::RemovePath(music + "/a.mp3");
  std::unique_ptr<testing_support::MemoryProgram> restarted = Restarted();
  EXPECT_TRUE(restarted->view.undoEnabled);
  restarted->Do(Command::kUndo);
  EXPECT_EQ(restarted->view.questions.at(0).count, 1u);
  EXPECT_TRUE(Undone(restarted->view.status));
  EXPECT_EQ(Contents(), Originals({"a.mp3", "b.mp3"}));
  EXPECT_FALSE(restarted->view.undoEnabled);
  EXPECT_FALSE(Exists(journal));
}

TEST_F(AroundRun, AJournalThatCannotBeUsedChangesNothing) {
  Files({"a.mp3", "b.mp3"});
  view.folder = music;
  Do(Command::kSearch);
  view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(Do(Command::kRandom));
  Do(Command::kRun);
  const auto renamed = Contents();
  const std::string whole = ReadFile(journal);

  // A journal no Run wrote, whose Undo would fetch a file from next door.
  testing_support::MakeDir(root / "outside");
  WriteFile(root / "outside/y.mp3", "outside");
  RenameJob reaching;
  reaching.LoadProposal({{"y.mp3", ".." + std::string(TempDir::kSeparator) + "outside/y.mp3"}});
  RunResult renamedIt;
  renamedIt.outcomes = {RowOutcome::kRenamed};
  const std::string outside = JournalStart(music, std::nullopt, reaching) + JournalResult(renamedIt);
  const std::vector<std::pair<std::string, JournalProblem>> cases = {
      {whole.substr(0, whole.find("ready")), JournalProblem::kDamaged},
      {"not a journal at all", JournalProblem::kNotOurs},
      {outside, JournalProblem::kNamesOutside},
  };
  for (const auto& [text, problem] : cases) {
    WriteFile(journal, text);
    std::unique_ptr<testing_support::MemoryProgram> restarted = Restarted();
    testing_support::MemoryView& later = restarted->view;
    later.answers = {true};
    restarted->Do(Command::kUndo);
    EXPECT_TRUE(later.questions.empty()) << text;
    EXPECT_EQ(later.told, std::vector<Message::Kind>{Message::Kind::kJournalUnusable}) << text;
    EXPECT_EQ(restarted->workflow.lastOutcome(), nullptr);
    EXPECT_EQ(Contents(), renamed);
    EXPECT_EQ(ReadFile(journal), text);
  }

  EXPECT_EQ(ReadFile(root / "outside/y.mp3"), "outside");

  // A last record cut short by a full disk or a pulled stick costs only
  // itself: Undo goes by the rest, and by the disk where they cannot tell.
  for (const std::string& torn : {whole.substr(0, whole.size() - 3), whole + "undoing 2\n1"}) {
    WriteFile(journal, torn);
    std::unique_ptr<testing_support::MemoryProgram> restarted = Restarted();
    restarted->Do(Command::kUndo);
    EXPECT_TRUE(Undone(restarted->view.status));
    EXPECT_EQ(Contents(), Originals({"a.mp3", "b.mp3"}));
    for (const auto& [name, content] : renamed) RenamePath(music + "/" + content, music + "/" + name);
  }

  // The folder of the last Run is gone, or another one has its name.
  WriteFile(journal, whole);
  RenamePath(music, root / "moved");
  Do(Command::kUndo);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_NE(view.messages[0].find(music), std::string::npos);
  EXPECT_NE(view.messages[0].find("Nothing was changed."), std::string::npos);
  testing_support::MakeDir(music);
  for (const auto& [name, content] : renamed) WriteFile(music + "/" + name, content);
  Do(Command::kUndo);
  ASSERT_EQ(view.messages.size(), 2u);
  EXPECT_NE(view.messages[1].find("is not the one that is there now"), std::string::npos);
  EXPECT_EQ(Contents(), renamed);
  EXPECT_EQ(ReadFile(journal), whole);
  view.messages.clear();

  // Written anew since it was last read (by another copy): read again.
  WriteFile(journal, whole + JournalSpent());
  Do(Command::kUndo);
  EXPECT_EQ(view.told.back(), Message::Kind::kNothingToUndo);
  EXPECT_FALSE(view.undoEnabled);

  // No journal at all.
  RemovePath(journal);
  Do(Command::kUndo);
  EXPECT_EQ(view.messages.back(), "There is no Run to undo.");
  EXPECT_FALSE(view.undoEnabled);
}

TEST_F(AroundRun, ARunThatCannotBeUndoneIsAskedForAndNeverTakesAnOlderJournal) {
  Files({"a.mp3", "b.mp3"});
  view.folder = music;
  const auto runAdd = [&] {
    Do(Command::kSearch);
    view.checked = RenameMethod::kAdd;
    ASSERT_TRUE(Do(Command::kRandom));
    Do(Command::kRun);
  };
  runAdd();
  ASSERT_TRUE(view.undoEnabled);
  const std::string older = ReadFile(journal);
  const auto before = Contents();
#ifndef _WIN32
  // A journal nobody may write: the user hears of it before any rename.
  ASSERT_EQ(chmod(journal.c_str(), 0444), 0);
  view.questions.clear();
  view.answers = {true, false};
  runAdd();
  ASSERT_EQ(view.questions.size(), 2u);
  EXPECT_EQ(view.questions[1].kind, Question::Kind::kRunWithoutJournal);
  EXPECT_EQ(view.questions[1].noJournal, Question::NoJournal::kNotWritten);
  EXPECT_EQ(Contents(), before);
  EXPECT_EQ(ReadFile(journal), older);
  EXPECT_TRUE(view.undoEnabled);
  // Answered Yes: renamed, and the older journal is gone with its Undo.
  view.answers = {true, true};
  runAdd();
  EXPECT_TRUE(Complete(view.status));
  EXPECT_NE(Contents(), before);
  EXPECT_FALSE(Exists(journal));
  EXPECT_FALSE(view.undoEnabled);
  EXPECT_FALSE(Restarted()->view.undoEnabled);
  WriteFile(journal, older);
#endif
  // An older journal that can be neither replaced nor removed: no Run.
  const auto now = Contents();
  RemovePath(journal);
  testing_support::MakeDir(journal);
  view.messages.clear();
  runAdd();
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_NE(view.messages[0].find("can neither be replaced nor removed"), std::string::npos)
      << view.messages[0];
  EXPECT_EQ(Contents(), now);
}

TEST_F(AroundRun, AFolderTypedRelativeIsUndoneWhereverTheProgramStarts) {
  Files({"a.mp3", "b.mp3"});
  {
    testing_support::WorkingFolder inRoot(root.path());
    view.folder = "music";
    Do(Command::kSearch);
    view.checked = RenameMethod::kAdd;
    ASSERT_TRUE(Do(Command::kRandom));
    Do(Command::kRun);
  }
  const auto renamed = Contents();
  // Started elsewhere, where a folder of that name holds the same names.
  const std::string elsewhere = root / "elsewhere";
  testing_support::MakeDir(elsewhere);
  testing_support::MakeDir(elsewhere + "/music");
  for (const auto& entry : renamed) WriteFile(elsewhere + "/music/" + entry.first, "decoy");
  testing_support::WorkingFolder inElsewhere(elsewhere);
  std::unique_ptr<testing_support::MemoryProgram> restarted = Restarted();
  restarted->Do(Command::kUndo);
  EXPECT_TRUE(Undone(restarted->view.status));
  EXPECT_EQ(Contents(), Originals({"a.mp3", "b.mp3"}));
  EXPECT_EQ(ListNames(elsewhere + "/music").size(), 2u);
  for (const auto& entry : renamed) EXPECT_EQ(ReadFile(elsewhere + "/music/" + entry.first), "decoy");
}

TEST_F(AroundRun, TwoProgramsNeverWriteOneJournalAtOnce) {
  Files({"a.mp3"});
  view.folder = music;
  Do(Command::kSearch);
  view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(Do(Command::kRandom));
  // Another copy of the program, started from the same place, is renaming:
  // the command line, whose journal has a name of its own.
  std::promise<void> taken, done;
  std::thread other([&] {
    auto lock = platform::ExclusiveLock::TryTake(root / "tarvello-cli.journal");
    taken.set_value();
    done.get_future().wait();
  });
  taken.get_future().wait();
  Do(Command::kRun);
  done.set_value();
  other.join();
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].rfind("Another Tarvello", 0), 0u) << view.messages[0];
  EXPECT_EQ(Contents(), Originals({"a.mp3"}));
  EXPECT_FALSE(Exists(journal));
  // Once it has finished, the Run goes.
  Do(Command::kRun);
  EXPECT_TRUE(Complete(view.status));
}

TEST_F(AroundRun, AStartTidiesWhatAKillLeftAndNoRunGoesWhileFilesWaitOutside) {
  Files({"a.mp3", "b.mp3", "cover.jpg"});
  view.folder = music;
  view.extension = "mp3";
  Do(Command::kSearch);
  view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(Do(Command::kRandom));
  Do(Command::kRun);
  // A kill while the journal was being replaced left its temporary copy;
  // and an order step cut short left a file beside the folder, whose name
  // another file took in the folder meanwhile.
#ifdef _WIN32
  const std::string leftover = root / "tarvello.journal.4242.123456.tmp";
#else
  const std::string leftover = root / ".tarvello.journal.Ab12Z9";
#endif
  const std::string unrelated = root / ".tarvello.journal.notes";
  WriteFile(leftover, "half a journal");
  WriteFile(unrelated, "mine");
  OrderPlan plan;
  plan.folder = music;
  plan.token = "AB12";
  plan.moves = {"cover.jpg"};
  ASSERT_FALSE(platform::AppendToFile(journal, JournalOrder(plan)).failed());
  const std::string beside = music + ".tarvello-AB12";
  testing_support::MakeDir(beside);
  RenamePath(music + "/cover.jpg", beside + "/cover.jpg");
  WriteFile(music + "/cover.jpg", "newcomer");

  std::unique_ptr<testing_support::MemoryProgram> restarted = Restarted();
  EXPECT_FALSE(Exists(leftover));
  EXPECT_TRUE(Exists(unrelated));
  EXPECT_TRUE(restarted->workflow.state().cutShortRunFound);
  // The way back cannot finish: no new Run may take the journal's place.
  restarted->view.folder = music;
  restarted->Do(Command::kSearch);
  restarted->view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(restarted->Do(Command::kRandom));
  const auto before = Contents();
  restarted->Do(Command::kRun);
  ASSERT_EQ(restarted->view.messages.size(), 1u);
  EXPECT_NE(restarted->view.messages[0].find("Waiting in " + beside + ":\ncover.jpg"), std::string::npos)
      << restarted->view.messages[0];
  EXPECT_EQ(Contents(), before);
  // Once the newcomer is gone, the next Run brings the cover home first.
  RemovePath(music + "/cover.jpg");
  restarted->Do(Command::kRun);
  EXPECT_TRUE(Complete(restarted->view.status));
  EXPECT_EQ(ReadFile(music + "/cover.jpg"), "cover.jpg");
  EXPECT_FALSE(Exists(beside));
}

// A disk that renames a file and then reports an error anyway.
class ErrorAfterRename : public AroundRun {
 protected:
  class Folder : public platform::SystemFolder {
   public:
    using platform::SystemFolder::SystemFolder;
    platform::Error RenameNoReplace(const std::string& from, const std::string& to) override {
      platform::Error error = platform::SystemFolder::RenameNoReplace(from, to);
      if (!error.failed() && from == "b.mp3") return platform::OtherError("input/output error");
      return error;
    }
  };
  ErrorAfterRename()
      : AroundRun([](const std::string& path) -> std::unique_ptr<platform::Folder> {
          return std::make_unique<Folder>(path);
        }) {}
};

TEST_F(ErrorAfterRename, UndoGoesByWhatIsOnDiskForARowThatFailedOddly) {
  Files({"a.mp3", "b.mp3", "c.mp3"});
  view.folder = music;
  Do(Command::kSearch);
  view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(Do(Command::kRandom));
  Do(Command::kRun);
  EXPECT_TRUE(Failed(view.status, 1, 3));
  EXPECT_FALSE(Exists(music + "/b.mp3"));  // renamed all the same
  Do(Command::kUndo);
  EXPECT_EQ(view.questions.back().count, 3u);
  EXPECT_TRUE(Undone(view.status));
  EXPECT_EQ(Contents(), Originals({"a.mp3", "b.mp3", "c.mp3"}));
}

TEST(UndoPlan, GoesByTheJournalAndWhereItCannotTellByTheDisk) {
  TempDir dir;
  // Each row: the journal's mark, whether an Undo gave it back, and which
  // of its names are on disk; whether it goes back.
  struct Row {
    RunMark mark;
    bool undone;
    bool newThere, oldThere;
    bool goes;
  };
  const std::vector<Row> rows = {
      {RunMark::kRenamed, false, true, false, true},
      {RunMark::kRenamed, false, false, false, true},  // gone: the Undo says so
      {RunMark::kNotRenamed, false, true, false, false},
      {RunMark::kUnsure, false, true, false, true},
      {RunMark::kUnsure, false, false, true, false},
      {RunMark::kUnsure, false, true, true, false},
      {RunMark::kRenamed, true, true, false, false},
  };
  Journal journal;
  journal.folder = dir.path();
  journal.finished = true;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::string old = "old" + std::to_string(i), proposed = "new" + std::to_string(i);
    journal.rows.push_back({old, proposed});
    journal.renamed.push_back(rows[i].mark);
    journal.undone.push_back(rows[i].undone);
    if (rows[i].newThere) WriteFile(dir / proposed, "");
    if (rows[i].oldThere) WriteFile(dir / old, "");
  }
  // A proposal of the name itself, and an empty one, have nothing to undo.
  journal.rows.push_back({"same", "same"});
  journal.rows.push_back({"short", ""});
  journal.renamed.insert(journal.renamed.end(), 2, RunMark::kRenamed);
  journal.undone.insert(journal.undone.end(), 2, false);
  platform::SystemFolder folder(dir.path());
  std::vector<std::size_t> expected;
  for (std::size_t i = rows.size(); i-- > 0;) {
    if (rows[i].goes) expected.push_back(i);
  }
  UndoPlan plan = PlanUndo(journal, folder);
  EXPECT_EQ(plan.journalRows, expected);
  ASSERT_FALSE(plan.renames.empty());
  EXPECT_EQ(plan.renames.front().oldName, "new3");
  EXPECT_EQ(plan.renames.front().newName, "old3");
  // A Run cut short left no record: every row goes by the disk.
  journal.finished = false;
  journal.renamed.clear();
  plan = PlanUndo(journal, folder);
  EXPECT_EQ(plan.journalRows, (std::vector<std::size_t>{3, 2, 0}));
}

TEST(JournalText, KeepsEveryByteAndRefusesWhatNoRunWrote) {
  RenameJob job;
  job.LoadProposal({{"a.mp3", "0001_a.mp3"},
                    {"line\nbreak", ""},
                    {std::string("\xff\x01x", 3), "ready\n"},
                    {"same", "same"}});
#ifdef _WIN32
  const std::string folder = "C:\\music\\with\nnewline";
#else
  const std::string folder = "/music/with\nnewline";
#endif
  Journal journal;
  JournalProblem problem = JournalProblem::kNone;
  RunResult result;
  result.outcomes = {RowOutcome::kRenamed, RowOutcome::kEmptyName, RowOutcome::kError,
                     RowOutcome::kSameName};
  const std::string start = JournalStart(folder, platform::FileId{7, 42}, job);
  const std::string text = start + JournalResult(result);
  ASSERT_TRUE(ParseJournal(text, &journal, &problem));
  EXPECT_EQ(journal.folder, folder);
  ASSERT_TRUE(journal.folderId.has_value());
  EXPECT_EQ(journal.folderId->node, 42u);
  ASSERT_EQ(journal.rows.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(journal.rows[i].oldName, job.row(i).oldName);
    EXPECT_EQ(journal.rows[i].newName, job.row(i).newName);
  }
  EXPECT_TRUE(journal.finished);
  EXPECT_EQ(journal.renamed, (std::vector<RunMark>{RunMark::kRenamed, RunMark::kNotRenamed,
                                                   RunMark::kUnsure, RunMark::kNotRenamed}));
  EXPECT_FALSE(journal.spent);
  // Two Undos, each giving some back; then nothing left. An Undo cut short
  // leaves its rows to the disk.
  const std::string undone = text + JournalUndoing(4, {0, 2}) + JournalUndone(4, {0}) +
                             JournalUndoing(4, {2}) + JournalUndone(4, {2});
  ASSERT_TRUE(ParseJournal(undone, &journal, &problem));
  EXPECT_EQ(journal.undone, (std::vector<bool>{true, false, true, false}));
  ASSERT_TRUE(ParseJournal(undone + JournalSpent(), &journal, &problem));
  EXPECT_TRUE(journal.spent);
  ASSERT_TRUE(ParseJournal(undone + JournalUndoing(4, {0, 3}), &journal, &problem));
  EXPECT_EQ(journal.uncertain, (std::vector<bool>{true, false, false, true}));
  // The plan of a Run that renames straight into its order names its
  // renamed files by their rows; a row that renames nothing is no plan.
  OrderPlan direct;
  direct.method = OrderMethod::kDirect;
  direct.token = "AB12";
  direct.ordered = 2;
  direct.rows = {0, 3};
  direct.sources = {"a.mp3", "same", "cover.jpg"};
  direct.moves = {"0001_a.mp3", "same", "cover.jpg"};
  ASSERT_TRUE(ParseJournal(start + JournalOrder(direct), &journal, &problem));
  ASSERT_TRUE(journal.order != nullptr);
  EXPECT_EQ(journal.order->method, OrderMethod::kDirect);
  EXPECT_EQ(journal.order->sources, direct.sources);
  EXPECT_EQ(journal.order->moves, direct.moves);
  direct.rows = {0, 1};
  ASSERT_TRUE(ParseJournal(start + JournalOrder(direct), &journal, &problem));
  EXPECT_TRUE(journal.order == nullptr && journal.tornTail);
  // Records out of their order are none (a second result, an Undo's end
  // without its beginning), and neither is anything after them.
  for (const std::string& stray : {JournalResult(result), JournalUndone(4, {1})}) {
    ASSERT_TRUE(ParseJournal(text + stray + JournalSpent(), &journal, &problem));
    EXPECT_TRUE(journal.tornTail);
    EXPECT_FALSE(journal.spent);
    EXPECT_EQ(journal.goodSize, text.size());
  }
  // Every shorter text is refused (its head is not whole) or reads as its
  // whole records, the one cut short left out.
  // Read without its rows, it tells the same.
  for (std::size_t cut = 0; cut < undone.size(); ++cut) {
    Journal partial, checked;
    JournalProblem checkProblem = JournalProblem::kNone;
    const bool good = ParseJournal(undone.substr(0, cut), &partial, &problem);
    ASSERT_EQ(ParseJournal(undone.substr(0, cut), &checked, &checkProblem, JournalRows::kCheck), good);
    if (!good) {
      EXPECT_LT(cut, start.size());
      EXPECT_EQ(checkProblem, problem);
      continue;
    }
    EXPECT_TRUE(checked.rows.empty());
    EXPECT_EQ(checked.rowCount, 4u);
    EXPECT_EQ(std::tie(checked.finished, checked.renamed, checked.undone, checked.uncertain, checked.goodSize),
              std::tie(partial.finished, partial.renamed, partial.undone, partial.uncertain, partial.goodSize));
    EXPECT_EQ(partial.rows.size(), 4u);
    EXPECT_EQ(partial.finished, cut >= text.size());
    EXPECT_EQ(partial.tornTail, partial.goodSize != cut);
    EXPECT_EQ(ParseJournal(undone.substr(0, partial.goodSize), &journal, &problem), true);
    EXPECT_FALSE(journal.tornTail);
  }
  // The first version's journals are read too.
  std::string first = start;
  first.replace(0, first.find('\n'), "Tarvello journal 1");
  first.erase(first.find("id 7 42\n"), 8);
  ASSERT_TRUE(ParseJournal(first + "result 4\n1000\n", &journal, &problem));
  EXPECT_EQ(journal.renamed[0], RunMark::kRenamed);
  EXPECT_FALSE(journal.folderId.has_value());

  // What no Run of the program writes sends an Undo elsewhere: refused.
  const auto journalOf = [](const std::string& folderPath, const std::string& oldName,
                            const std::string& newName) {
    RenameJob one;
    one.LoadProposal({{oldName, newName}});
    return JournalStart(folderPath, std::nullopt, one);
  };
  const std::vector<std::pair<std::string, JournalProblem>> refused = {
      {journalOf("music", "a.mp3", "b.mp3"), JournalProblem::kFolderNotFull},
      {journalOf(folder, "../outside/x.mp3", "x.mp3"), JournalProblem::kNamesOutside},
      {journalOf(folder, "x.mp3", "/etc/x.mp3"), JournalProblem::kNamesOutside},
      {journalOf(folder, "..", "x"), JournalProblem::kNamesOutside},
#ifdef _WIN32
      {journalOf(folder, "x.mp3", "C:x.mp3"), JournalProblem::kNamesOutside},
      {journalOf(folder, "..\\x.mp3", "x.mp3"), JournalProblem::kNamesOutside},
#endif
  };
  for (const auto& [bad, words] : refused) {
    for (const JournalRows rows : {JournalRows::kKeep, JournalRows::kCheck}) {
      EXPECT_FALSE(ParseJournal(bad, &journal, &problem, rows));
      EXPECT_EQ(problem, words);
    }
  }
}

// A long Run on a slow disk: every rename takes 100 ms of a fake clock.
class LongRun : public AroundRun {
 protected:
  LongRun()
      : AroundRun([this](const std::string& path) -> std::unique_ptr<platform::Folder> {
          return std::make_unique<testing_support::SlowFolder>(path, clock, 100);
        }) {}
};

TEST_F(LongRun, ShowsItsProgressAndCanBeStoppedAndUndone) {
  std::vector<std::string> names;
  for (int i = 0; i < 40; ++i) names.push_back("t" + std::to_string(100 + i) + ".mp3");
  Files(names);
  view.folder = music;
  Do(Command::kSearch);
  view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(Do(Command::kRandom));
  // Esc while the third progress text shows; meanwhile the window may hand
  // over only Stop and its timer's ticks.
  std::set<std::string> possible;
  workflow.Do(Command::kRun);
  while (workflow.state().sessionRunning) {
    std::string can;
    for (const Command command : {Command::kSearch, Command::kRandom, Command::kRun, Command::kUndo,
                                  Command::kClean, Command::kAbout, Command::kStop, Command::kTick}) {
      can += workflow.Can(command) ? '1' : '0';
    }
    possible.insert(can);
    workflow.Do(view.progress.size() >= 3 ? Command::kStop : Command::kTick);
  }
  EXPECT_EQ(possible, std::set<std::string>{"00000011"});
  EXPECT_EQ(workflow.TickIntervalMs(), 500);

  // Shown after half a second, then once for every 100 ms at most: the
  // renames that took 5 x 100 ms, 6 x 100 ms, 7 x 100 ms.
  EXPECT_EQ(view.progress,
            (std::vector<std::string>{"renaming... 5 / 40", "renaming... 6 / 40", "renaming... 7 / 40"}));
  EXPECT_FALSE(view.busyShown);
  EXPECT_TRUE(Stopped(view.status, 7, 40));
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_NE(view.messages[0].find("33 of 40 files could not be renamed"), std::string::npos);
  EXPECT_NE(view.messages[0].find(": not renamed: stopped"), std::string::npos);
  std::size_t numbered = 0;
  for (const std::string& name : ListNames(music)) numbered += name[4] == '_';
  EXPECT_EQ(numbered, 7u);
  EXPECT_NE(ReadFile(root / "tarvello.ini").find("Method=0"), std::string::npos);

  // Undo takes back what was done, and shows its progress too. Stopped
  // too, it keeps the rest for the next Undo.
  view.stopAfter = 1;
  view.progress.clear();
  view.messages.clear();
  Do(Command::kUndo);
  EXPECT_EQ(view.questions.back().count, 7u);
  EXPECT_EQ(view.progress, std::vector<std::string>{"renaming... 5 / 7"});
  EXPECT_TRUE(Stopped(view.status, 5, 7));
  EXPECT_TRUE(view.undoEnabled);
  view.stopAfter = -1;
  view.messages.clear();
  Do(Command::kUndo);
  EXPECT_EQ(view.questions.back().count, 2u);
  EXPECT_TRUE(Undone(view.status));
  EXPECT_TRUE(view.messages.empty());
  EXPECT_EQ(Contents(), Originals(names));
  EXPECT_FALSE(view.undoEnabled);
}

TEST_F(LongRun, ARunCutShortIsUndoneByWhatIsOnDisk) {
  const std::vector<std::string> names = {"a.mp3", "b.mp3", "c.mp3", "d.mp3"};
  Files(names);
  view.folder = music;
  Do(Command::kSearch);
  view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(Do(Command::kRandom));
  // The program dies after two renames: its journal has no record of them.
  const std::string start = JournalStart(music, std::nullopt, job());
  WriteFile(journal, start);
  for (std::size_t i = 0; i < 2; ++i) {
    RenamePath(music + "/" + job().row(i).oldName, music + "/" + job().row(i).newName);
  }
  // The next start offers to put them back, once the window runs; the
  // answer No keeps the offer in the menu.
  for (const bool yes : {false, true}) {
    std::unique_ptr<testing_support::MemoryProgram> restarted = Restarted();
    testing_support::MemoryView& later = restarted->view;
    EXPECT_TRUE(later.undoEnabled);
    EXPECT_TRUE(restarted->workflow.state().cutShortRunFound);
    later.answers = {yes};
    restarted->Do(Command::kTick);
    ASSERT_EQ(later.questions.size(), 1u);
    EXPECT_EQ(later.questions[0].kind, Question::Kind::kUndoCutShort);
    restarted->Do(Command::kTick);
    EXPECT_EQ(later.questions.size(), 1u) << "asked once";
    if (!yes) continue;
    EXPECT_TRUE(Undone(later.status));
    EXPECT_EQ(Contents(), Originals(names));
    EXPECT_FALSE(restarted->workflow.state().cutShortRunFound);
  }
}
