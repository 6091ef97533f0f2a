// Around Run: the marks of what it will do, its journal and Undo, and a long
// Run that shows its progress and can be stopped.
#include "rename/workflow.h"

#include "platform/bytes.h"
#include "rename/journal.h"
#include "headless_program.h"
#include "test_folders.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>

using testing_support::Exists;
using testing_support::FakeClock;
using testing_support::ListNames;
using testing_support::ReadFile;
using testing_support::RemovePath;
using testing_support::RenamePath;
using testing_support::WriteFile;

namespace {

class AroundRun : public ::testing::Test, protected testing_support::HeadlessProgram {
 protected:
  explicit AroundRun(platform::FolderOpener opener = {}) : HeadlessProgram(std::move(opener)) {
    workflow.InitRenameState();
  }
  // Each file holds its own name, so that contents tell where a file went.
  void Files(const std::vector<std::string>& names) {
    for (const std::string& name : names) WriteFile(music + "/" + name, name);
  }
  void Propose(RenameMethod method, const std::vector<std::string>& rows) {
    // The rows in the order given, from the searched folder.
    view.folder = music;
    workflow.OnSearch();
    workflow.InitRenameState();
    for (const std::string& name : rows) workflow.AddOldEntry(name);
    view.checked = method;
    ASSERT_TRUE(workflow.OnRandom());
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
  const std::string journal = root / "tarvello.journal";
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
  EXPECT_EQ(view.status, "3 will fail, 2 lose text");

  // In the other order an earlier row frees the name first.
  Propose(RenameMethod::kDelete, {"song.mp3", "0001_song.mp3"});
  EXPECT_EQ(job().forecast(0), RowForecast::kLosesText);
  EXPECT_EQ(job().forecast(1), RowForecast::kFine);
  EXPECT_EQ(view.status, "1 lose text");

  // What the preview said is what Run does.
  workflow.OnRun();
  EXPECT_EQ(view.status, "COMPLETE!!");
  EXPECT_EQ(ReadFile(music + "/song.mp3"), "0001_song.mp3");
  EXPECT_EQ(ReadFile(music + "/mp3"), "song.mp3");
}

TEST_F(AroundRun, ANumberedFolderHasNoMarksAndAChangedFolderIsLookedAtAgain) {
  const std::vector<std::string> names = {"0001_a.mp3", "0002_b.mp3", "0003_c.mp3"};
  Files(names);
  view.folder = music;
  workflow.OnSearch();
  view.checked = RenameMethod::kReplace;
  // A proposal with a name that no listed file has.
  std::string free;
  for (int tries = 0; tries < 100 && free.empty(); ++tries) {
    ASSERT_TRUE(workflow.OnRandom());
    for (std::size_t i = 0; i < 3; ++i) {
      const std::string& target = job().row(i).newName;
      if (std::find(names.begin(), names.end(), target) == names.end()) free = target;
    }
  }
  ASSERT_FALSE(free.empty());
  EXPECT_EQ(view.status, "");
  EXPECT_EQ(job().forecastCounts().willFail + job().forecastCounts().losesText, 0u);
  // Another program takes that name.
  WriteFile(music + "/" + free, "intruder");
  const int redraws = view.rowsChanged;
  workflow.RefreshPreview();
  EXPECT_GT(view.rowsChanged, redraws);
  EXPECT_EQ(view.status, "1 will fail");
  // Nothing changed since: nothing is looked at again.
  const int again = view.rowsChanged;
  workflow.RefreshPreview();
  EXPECT_EQ(view.rowsChanged, again);
}

TEST_F(AroundRun, AFolderChangedBetweenSearchAndRandomIsLookedAtAgain) {
  Files({"0001_a.mp3"});
  view.folder = music;
  workflow.OnSearch();
  // Another program takes the only name Delete can give, after the Search.
  Files({"a.mp3"});
  view.extension = "mp3";
  view.checked = RenameMethod::kDelete;
  ASSERT_TRUE(workflow.OnRandom());
  EXPECT_EQ(job().forecast(0), RowForecast::kTaken);
  EXPECT_EQ(view.status, "1 will fail");
}

// A volume that ignores letter case (FAT, exFAT, NTFS as Windows mounts
// them): a name is there when any spelling of it is.
class OnACaseBlindVolume : public AroundRun {
 protected:
  class CaseBlindFolder : public platform::Folder {
   public:
    using platform::Folder::Folder;
    platform::Presence Has(const std::string& name) override {
      bool found = false;
      ListAllNames([&](const std::string& other) {
        found = found || platform::EqualsNoCase(other, name);
      });
      return found ? platform::Presence::kPresent : platform::Presence::kAbsent;
    }
  };
  OnACaseBlindVolume()
      : AroundRun([](const std::string& path) -> std::unique_ptr<platform::Folder> {
          return std::make_unique<CaseBlindFolder>(path);
        }) {}
};

TEST_F(OnACaseBlindVolume, ANameTakenInOtherLettersIsMarked) {
  // Letters that differ past the first eight bytes, and in the first eight.
  Files({"0001_Blue in Green.mp3", "BLUE IN GREEN.MP3", "0002_so what.mp3", "SO WHAT.mp3"});
  Propose(RenameMethod::kDelete, {"0001_Blue in Green.mp3", "0002_so what.mp3"});
  EXPECT_EQ(job().forecast(0), RowForecast::kTaken);
  EXPECT_EQ(job().forecast(1), RowForecast::kTaken);
  EXPECT_EQ(view.status, "2 will fail");
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
    workflow.OnSearch();
    view.checked = method;
    ASSERT_TRUE(workflow.OnRandom());
    workflow.OnRun();
    ASSERT_EQ(view.status, "COMPLETE!!");
    ASSERT_NE(Contents(), Originals(names));
    EXPECT_TRUE(view.undoEnabled);

    view.questions.clear();
    workflow.OnUndo();
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.questions[0].caption, "Undo");
    EXPECT_NE(view.questions[0].text.find("5 files in\n" + music + "\n"), std::string::npos)
        << view.questions[0].text;
    EXPECT_EQ(view.status, "UNDONE");
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(Contents(), Originals(names));
    // Spent: a second Undo has nothing to do.
    EXPECT_FALSE(view.undoEnabled);
    EXPECT_FALSE(workflow.UndoAvailable());
    workflow.OnUndo();
    EXPECT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(Contents(), Originals(names));
  }
}

TEST_F(AroundRun, UndoAfterExpressAndAfterARestart) {
  const std::vector<std::string> names = {"0001_a.mp3", "0002_b.mp3", "0003_c.mp3"};
  Files(names);
  view.folder = music;
  view.checked = RenameMethod::kReplace;
  workflow.OnExpress();
  ASSERT_EQ(view.status, "COMPLETE!!");
  // Whatever Express drew, the journal holds it.
  ASSERT_TRUE(Exists(journal));

  // A new start of the program finds the journal.
  testing_support::MemoryView later;
  RenameWorkflow restarted(later, services);
  restarted.InitRenameState();
  EXPECT_TRUE(later.undoEnabled);
  restarted.OnUndo();
  EXPECT_EQ(later.status, "UNDONE");
  EXPECT_EQ(Contents(), Originals(names));
  EXPECT_FALSE(Exists(journal));
}

TEST_F(AroundRun, AFileThatTookAnOldNameMeanwhileIsReportedAndBothAreKept) {
  Files({"a.mp3", "b.mp3"});
  view.folder = music;
  workflow.OnSearch();
  view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(workflow.OnRandom());
  workflow.OnRun();
  // Another file takes the name "a.mp3" before the Undo.
  WriteFile(music + "/a.mp3", "newcomer");
  workflow.OnUndo();
  EXPECT_EQ(view.status, "1 of 2 failed");
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_NE(view.messages[0].find("  ->  a.mp3: the name is taken"), std::string::npos)
      << view.messages[0];
  const auto contents = Contents();
  EXPECT_EQ(contents.size(), 3u);
  EXPECT_EQ(contents.at("a.mp3"), "newcomer");
  EXPECT_EQ(contents.at("b.mp3"), "b.mp3");
  EXPECT_FALSE(workflow.UndoAvailable());
}

TEST_F(AroundRun, AJournalThatCannotBeUsedChangesNothing) {
  Files({"a.mp3", "b.mp3"});
  view.folder = music;
  workflow.OnSearch();
  view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(workflow.OnRandom());
  workflow.OnRun();
  const auto renamed = Contents();
  const std::string whole = ReadFile(journal);

  const std::vector<std::pair<std::string, std::string>> cases = {
      {whole.substr(0, whole.find("ready")), "cut short"},
      {whole.substr(0, whole.size() - 3), "damaged"},
      {"not a journal at all", "not a journal"},
      {whole + "trailing garbage", "damaged"},
  };
  for (const auto& [text, words] : cases) {
    WriteFile(journal, text);
    testing_support::MemoryView later;
    RenameWorkflow restarted(later, services);
    restarted.InitRenameState();
    later.answers = {true};
    restarted.OnUndo();
    EXPECT_TRUE(later.questions.empty()) << words;
    ASSERT_EQ(later.messages.size(), 1u) << words;
    EXPECT_NE(later.messages[0].find("Nothing was changed."), std::string::npos);
    EXPECT_NE(later.messages[0].find(words), std::string::npos) << later.messages[0];
    EXPECT_EQ(Contents(), renamed);
    EXPECT_EQ(ReadFile(journal), text);
  }

  // The folder of the last Run is gone.
  WriteFile(journal, whole);
  RenamePath(music, root / "moved");
  workflow.OnUndo();
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_NE(view.messages[0].find(music), std::string::npos);
  EXPECT_NE(view.messages[0].find("Nothing was changed."), std::string::npos);
  EXPECT_EQ(ReadFile(journal), whole);

  // No journal at all.
  RemovePath(journal);
  workflow.OnUndo();
  EXPECT_EQ(view.messages.back(), "There is no Run to undo.");
  EXPECT_FALSE(view.undoEnabled);
}

TEST(JournalText, KeepsEveryByteOfEveryName) {
  RenameJob job;
  job.LoadProposal({{"a.mp3", "0001_a.mp3"},
                    {"line\nbreak", ""},
                    {std::string("\xff\0x", 3), "ready\n"},
                    {"same", "same"}});
  const std::string folder = "/music/with\nnewline";
  Journal journal;
  std::string problem;
  RunResult result;
  result.outcomes = {RowOutcome::kRenamed, RowOutcome::kEmptyName, RowOutcome::kRenamed,
                     RowOutcome::kSameName};
  const std::string text = JournalStart(folder, job) + JournalResult(result);
  ASSERT_TRUE(ParseJournal(text, &journal, &problem)) << problem;
  EXPECT_EQ(journal.folder, folder);
  ASSERT_EQ(journal.rows.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(journal.rows[i].oldName, job.row(i).oldName);
    EXPECT_EQ(journal.rows[i].newName, job.row(i).newName);
  }
  EXPECT_TRUE(journal.finished);
  EXPECT_EQ(journal.renamed, (std::vector<bool>{true, false, true, false}));
  EXPECT_FALSE(journal.spent);
  ASSERT_TRUE(ParseJournal(text + JournalSpent(), &journal, &problem));
  EXPECT_TRUE(journal.spent);
  // Every shorter text is refused or is the journal without its record.
  for (std::size_t cut = 0; cut < text.size(); ++cut) {
    Journal partial;
    if (ParseJournal(text.substr(0, cut), &partial, &problem)) {
      EXPECT_FALSE(partial.finished);
      EXPECT_EQ(partial.rows.size(), 4u);
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
  workflow.OnSearch();
  view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(workflow.OnRandom());
  view.stopAfter = 3;  // Esc while the third progress text shows
  workflow.OnRun();

  // Shown after half a second, then once for every 100 ms at most: the
  // renames that took 5 x 100 ms, 6 x 100 ms, 7 x 100 ms.
  EXPECT_EQ(view.progress,
            (std::vector<std::string>{"renaming... 5 / 40", "renaming... 6 / 40", "renaming... 7 / 40"}));
  EXPECT_FALSE(view.busyShown);
  EXPECT_EQ(view.status, "stopped: 7 of 40 renamed");
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_NE(view.messages[0].find("33 of 40 files could not be renamed"), std::string::npos);
  EXPECT_NE(view.messages[0].find(": not renamed: stopped"), std::string::npos);
  std::size_t numbered = 0;
  for (const std::string& name : ListNames(music)) numbered += name[4] == '_';
  EXPECT_EQ(numbered, 7u);
  EXPECT_NE(ReadFile(root / "tarvello.ini").find("Method=0"), std::string::npos);

  // Undo takes back what was done, and shows its progress too.
  view.stopAfter = -1;
  view.progress.clear();
  view.messages.clear();
  workflow.OnUndo();
  EXPECT_NE(view.questions.back().text.find("7 files in"), std::string::npos);
  EXPECT_EQ(view.status, "UNDONE");
  EXPECT_TRUE(view.messages.empty());
  EXPECT_EQ(view.progress, (std::vector<std::string>{"renaming... 5 / 7", "renaming... 6 / 7",
                                                     "renaming... 7 / 7"}));
  EXPECT_EQ(Contents(), Originals(names));
}

TEST_F(LongRun, ARunCutShortIsUndoneByWhatIsOnDisk) {
  const std::vector<std::string> names = {"a.mp3", "b.mp3", "c.mp3", "d.mp3"};
  Files(names);
  view.folder = music;
  workflow.OnSearch();
  view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(workflow.OnRandom());
  // The program dies after two renames: its journal has no record of them.
  const std::string start = JournalStart(music, job());
  WriteFile(journal, start);
  for (std::size_t i = 0; i < 2; ++i) {
    RenamePath(music + "/" + job().row(i).oldName, music + "/" + job().row(i).newName);
  }
  testing_support::MemoryView later;
  RenameWorkflow restarted(later, services);
  restarted.InitRenameState();
  EXPECT_TRUE(later.undoEnabled);
  restarted.OnUndo();
  ASSERT_EQ(later.questions.size(), 1u);
  EXPECT_NE(later.questions[0].text.find("2 files in"), std::string::npos);
  EXPECT_EQ(later.status, "UNDONE");
  EXPECT_EQ(Contents(), Originals(names));
}
