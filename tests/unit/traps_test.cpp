// Traps a user falls into: Express on names without numbers, the program's
// own folder, a report too wide to read, and a folder that lists nothing.
#include "rename/workflow.h"

#include "headless_program.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

using testing_support::ListNames;
using testing_support::MakeDir;
using testing_support::ReadFile;
using testing_support::RunningAsRoot;
using testing_support::WriteFile;

namespace {

class Traps : public ::testing::Test, protected testing_support::HeadlessProgram {
 protected:
  Traps() { workflow.Start(); }
  void Files(const std::string& folder, const std::vector<std::string>& names) {
    for (const std::string& name : names) WriteFile(folder + "/" + name, name);
  }
  void Search(const std::string& folder, const std::string& filter = "mp3") {
    view.folder = folder;
    view.extension = filter;
    Do(Command::kSearch);
  }
};

}  // namespace

TEST_F(Traps, ExpressStopsBeforeCuttingRealNames) {
  const std::vector<std::string> names = {"0001_a.mp3", "Blue in Green.mp3", "ab노래.mp3"};
  Files(music, names);
  view.folder = music;
  view.checked = RenameMethod::kReplace;
  Do(Command::kExpress);
  // Nothing renamed, no Method written; the proposal stays on screen,
  // marked, and the status line says why.
  EXPECT_EQ(ListNames(music), (std::vector<std::string>{"0001_a.mp3", "Blue in Green.mp3", "ab노래.mp3"}));
  EXPECT_EQ(Ini().find("Method"), std::string::npos);
  EXPECT_EQ(view.status.kind, StatusLine::Kind::kExpressStopped);
  EXPECT_EQ(job().newCount(), 3u);
  EXPECT_EQ(job().forecastCounts().losesText, 2u);
  EXPECT_TRUE(view.runEnabled);
  EXPECT_EQ(view.questions.size(), 1u);
  // The user may still Run it.
  Do(Command::kRun);
  EXPECT_TRUE(Complete(view.status));
  EXPECT_EQ(ListNames(music).size(), 3u);
}

TEST_F(Traps, ACutThroughACharacterIsMarkedAndReportedWhereNamesAreUtf16) {
  // Delete cuts five bytes: through the second character of "노래.mp3".
  Files(music, {"노래.mp3"});
  Search(music);
  view.checked = RenameMethod::kDelete;
  ASSERT_TRUE(Do(Command::kRandom));
  ASSERT_EQ(job().row(0).newName, "\x98.mp3");
#ifdef _WIN32
  // Windows cannot name a file so: the row is marked and fails, whole.
  EXPECT_EQ(job().forecast(0), RowForecast::kBadName);
  Do(Command::kRun);
  EXPECT_TRUE(Failed(view.status, 1, 1));
  EXPECT_EQ(ListNames(music), std::vector<std::string>{"노래.mp3"});
#else
  // On Linux names are bytes: it loses text, and Run does as it was told.
  EXPECT_EQ(job().forecast(0), RowForecast::kLosesText);
  Do(Command::kRun);
  EXPECT_TRUE(Complete(view.status));
  EXPECT_EQ(ListNames(music), std::vector<std::string>{"\x98.mp3"});
#endif
}

TEST_F(Traps, TheProgramsOwnFilesAreNeverListed) {
  // A portable install on the stick, next to the music.
  const std::string stick = root / "stick";
  MakeDir(stick);
  Files(stick, {"tarvello", "tarvello.ini", "tarvello.journal", "a.mp3", "b.mp3"});
  services.executablePath = stick + "/tarvello";
  testing_support::MemoryProgram portable(services);
  testing_support::MemoryView& portableView = portable.view;
  portable.workflow.Start();
  portableView.folder = stick;
  portableView.extension = "";
  portable.Do(Command::kSearch);
  EXPECT_EQ(testing_support::OldNames(portable.workflow.job()).size(), 2u);
  portableView.checked = RenameMethod::kAdd;
  ASSERT_TRUE(portable.Do(Command::kRandom));
  portable.Do(Command::kRun);
  // The program, its settings and its journal keep their names; the
  // settings file still holds the folder and the filter.
  const std::vector<std::string> after = ListNames(stick);
  for (const char* own : {"tarvello", "tarvello.journal"}) {
    EXPECT_NE(std::find(after.begin(), after.end(), own), after.end()) << own;
  }
  EXPECT_NE(ReadFile(stick + "/tarvello.ini").find("Folder=" + stick), std::string::npos);

  // Elsewhere, files of those names are listed like any other.
  Files(music, {"tarvello", "tarvello.ini"});
  Search(music, "");
  EXPECT_EQ(job().oldCount(), 2u);
}

#ifdef _WIN32
TEST_F(Traps, AProgramAtTheRootOfADriveNeverListsItsOwnFiles) {
  // Drive T: (the test's wine prefix has one), started with another folder
  // of that drive as the working folder: "T:" alone names that folder,
  // "T:\\" the root where the program lies.
  if (GetFileAttributesW(L"T:\\") == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no drive T:";
  CreateDirectoryW(L"T:\\music", nullptr);
  wchar_t before[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, before);
  ASSERT_TRUE(SetCurrentDirectoryW(L"T:\\music"));
  Files("T:", {"tarvello.exe", "tarvello.ini", "a.mp3"});
  services.executablePath = "T:\\tarvello.exe";
  testing_support::MemoryProgram program(services);
  program.workflow.Start();
  program.view.folder = "T:\\";
  program.view.extension = "";
  program.Do(Command::kSearch);
  EXPECT_EQ(testing_support::OldNames(program.workflow.job()), std::vector<std::string>{"a.mp3"});
  SetCurrentDirectoryW(before);
  for (const char* name : {"T:\\tarvello.exe", "T:\\tarvello.ini", "T:\\a.mp3", "T:\\music"}) {
    std::error_code error;
    std::filesystem::remove(name, error);
  }
}
#endif

TEST_F(Traps, TheReportShortensLongNamesInTheMiddle) {
  const std::string longName = std::string(247, 'L') + "_end.mp3";  // 255 bytes
  ASSERT_EQ(longName.size(), 255u);
  Files(music, {longName});
  Search(music);
  view.checked = RenameMethod::kAdd;
  ASSERT_TRUE(Do(Command::kRandom));  // 260 bytes: too long for the file system
  Do(Command::kRun);
  ASSERT_EQ(view.messages.size(), 1u);
  const std::string& report = view.messages[0];
  const std::string line = report.substr(report.rfind('\n') + 1);
  EXPECT_NE(line.find("LLL\xE2\x80\xA6"), std::string::npos) << line;
  EXPECT_NE(line.find("L_end.mp3  ->  "), std::string::npos) << line;
  EXPECT_NE(line.find(": the name is too long"), std::string::npos) << line;
  EXPECT_LT(line.size(), 130u);
}

TEST_F(Traps, AFolderThatListsNothingSaysWhyInTheStatusLine) {
  WriteFile(root / "file", "x");
  using Problem = StatusLine::FolderProblem;
  const std::vector<std::pair<std::string, Problem>> cases = {
      {"", Problem::kNoFolder},
      {root / "missing", Problem::kNotFound},
      {music + "\n", Problem::kLineBreak},
      {root / "file", Problem::kNotFolder},
  };
  for (const auto& [folder, problem] : cases) {
    Search(folder);
    EXPECT_EQ(view.status.kind, StatusLine::Kind::kFolderProblem) << folder;
    EXPECT_EQ(view.status.folderProblem, problem) << folder;
    EXPECT_TRUE(view.messages.empty());
  }
  // An empty folder that can be read says nothing.
  Search(music);
  EXPECT_EQ(view.status.kind, StatusLine::Kind::kNone);
}

#ifndef _WIN32
TEST_F(Traps, AFolderWithoutAccessSaysSo) {
  if (RunningAsRoot()) GTEST_SKIP() << "root may read any folder; run again unprivileged";
  MakeDir(root / "locked");
  ASSERT_EQ(chmod((root / "locked").c_str(), 0), 0);
  Search(root / "locked");
  chmod((root / "locked").c_str(), 0755);
  EXPECT_EQ(view.status.folderProblem, StatusLine::FolderProblem::kNoAccess);
}
#endif
