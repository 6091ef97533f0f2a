#include "rename/workflow.h"

#include "platform/bytes.h"
#include "platform/exepath.h"
#include "platform/file.h"
#include "platform/path.h"
#include "rename/journal.h"
#include "rename/run_report.h"
#include "settings/settings_path.h"

#include <utility>

namespace {
const char kSection[] = "Config";
constexpr int kSearchPauseMs = 500;
// A Run shows its progress once it has lasted this long, and then repaints
// it at most this often.
constexpr std::int64_t kProgressDelayMs = 500;
constexpr std::int64_t kProgressIntervalMs = 100;

// Why a folder lists nothing, in a few words for the status line.
std::string FolderProblem(const std::string& folder, const platform::Error& error) {
  if (folder.empty()) return "no folder chosen";
  if (folder.find_first_of("\r\n") != std::string::npos) return "line break in the path";
  switch (error.code) {
    case platform::ErrorCode::kNotFound: return "folder not found";
    case platform::ErrorCode::kAccess: return "no access";
    case platform::ErrorCode::kNotFolder: return "not a folder";
    default: return error.words;
  }
}

template <class T, class Default>
std::unique_ptr<T> OwnUnless(T* given) {
  return given != nullptr ? nullptr : std::make_unique<Default>();
}
}  // namespace

RenameWorkflow::RenameWorkflow(RenameView& view, WorkflowServices services)
    : view_(view),
      ownRandom_(OwnUnless<platform::RandomSource, platform::ClockRandom>(services.random)),
      ownPauser_(OwnUnless<platform::Pauser, platform::SleepPauser>(services.pauser)),
      ownClock_(OwnUnless<platform::Clock, platform::SteadyClock>(services.clock)),
      random_(services.random != nullptr ? *services.random : *ownRandom_),
      pauser_(services.pauser != nullptr ? *services.pauser : *ownPauser_),
      clock_(services.clock != nullptr ? *services.clock : *ownClock_),
      openFolder_(services.openFolder ? std::move(services.openFolder)
                                      : platform::FolderOpener(platform::OpenSystemFolder)),
      executablePath_(std::move(services.executablePath)) {}

RenameWorkflow::~RenameWorkflow() = default;

// Shows a long Run's progress and passes on the user's request to stop.
class RenameWorkflow::Progress : public RunObserver {
 public:
  Progress(RenameView& view, platform::Clock& clock)
      : view_(view), clock_(clock), start_(clock.NowMs()) {}
  bool Continue(std::size_t done, std::size_t total) override {
    const std::int64_t now = clock_.NowMs();
    if (!shown_ && now - start_ < kProgressDelayMs) return true;
    if (shown_ && now - lastShown_ < kProgressIntervalMs && done < total) return true;
    shown_ = true;
    lastShown_ = now;
    return view_.ShowProgress("renaming... " + std::to_string(done) + " / " +
                              std::to_string(total));
  }
  bool shown() const { return shown_; }

 private:
  RenameView& view_;
  platform::Clock& clock_;
  std::int64_t start_;
  std::int64_t lastShown_ = 0;
  bool shown_ = false;
};

void RenameWorkflow::InitRenameState() {
  random_.SeedFromClock();
  LoadSettings();
  job_.SetFolder(storedFolder_);
  job_.SetMethod(MethodFromStored(storedMethod_));
  view_.SetFolderText(storedFolder_);
  view_.SetExtensionText(storedExtension_);
  job_.Clear();
  view_.RowsChanged();
  view_.HideBusy();
  CheckMethod(job_.method());
  EnableActions(false, false);
  view_.SetStatus("");
  // A journal left by an earlier Run, even one cut short, can be undone.
  std::string journal;
  Journal parsed;
  std::string problem;
  SetUndoAvailable(!journalPath_.empty() && !platform::ReadWholeFile(journalPath_, &journal).failed() &&
                   !(ParseJournal(journal, &parsed, &problem) && parsed.spent));
}

void RenameWorkflow::LoadSettings() {
  if (!executablePath_) executablePath_ = platform::ExecutablePath();
  // Where the program cannot tell its own place there is no settings file:
  // the defaults at start and no writes, never a file in the working folder.
  if (!executablePath_->empty()) {
    const SettingsLocation location = SettingsLocationFor(*executablePath_);
    settings_.SetPath(location.folder);
    settings_.SetFileName(location.fileName);
    journalPath_ = platform::JoinPath(location.folder, location.journalName);
    ownFolder_ = location.folder;
    ownNames_ = {platform::SplitPath(*executablePath_).name, location.fileName, location.journalName};
  }
  settings_.SetSection(kSection);
  storedFolder_ = settings_.GetString("Folder", "");
  storedExtension_ = settings_.GetString("File", "mp3");
  storedMethod_ = settings_.GetInt("Method", StoredMethod(RenameMethod::kNone));
}

RenameMethod RenameWorkflow::ReadMethod() {
  job_.SetMethod(view_.CheckedMethod());
  return job_.method();
}

void RenameWorkflow::CheckMethod(RenameMethod method) { view_.SetCheckedMethod(method); }

void RenameWorkflow::EnableActions(bool random, bool run) { view_.SetActionsEnabled(random, run); }

void RenameWorkflow::OnSearch() {
  StopWatching();
  view_.SetStatus("");
  EnableActions(false, false);
  job_.Clear();
  view_.RowsChanged();
  job_.SetFolder(view_.FolderText());
  const std::string typedFilter = view_.ExtensionText();

  settings_.SetSection(kSection);
  settings_.WriteString("Folder", job_.folder());
  settings_.WriteString("File", typedFilter);

  job_.SetFilter(typedFilter);

  view_.ShowBusy("searching...");
  pauser_.Pause(kSearchPauseMs);

  // Changes to the folder from here on are noticed: the marks of a proposal
  // follow them, and a listing they made stale is not used.
  watch_ = std::make_unique<platform::FolderWatch>(job_.folder());
  const platform::Error scanned = ScanFolder(job_.folder());
  view_.RowsChanged();

  view_.ShowBusy("done");
  pauser_.Pause(kSearchPauseMs);
  view_.HideBusy();

  if (job_.oldCount() > 0) EnableActions(true, false);
  // No message box, but a word on why nothing is listed.
  if (scanned.failed()) view_.SetStatus(FolderProblem(job_.folder(), scanned));
}

platform::Error RenameWorkflow::ScanFolder(const std::string& folder) {
  // A folder that cannot be read lists nothing.
  const std::unique_ptr<platform::Folder> opened = OpenFolder(folder);
  const std::optional<platform::FileId> id = opened->Id();
  const bool ownFolder = id && !ownFolder_.empty() && id == platform::IdOfPath(ownFolder_);
  return job_.Scan(*opened, [&](std::string& name) {
    if (ownFolder) {
      for (const std::string& own : ownNames_) {
        if (platform::EqualsNoCase(name, own)) return false;
      }
    }
    AddOldEntry(std::move(name));
    return true;
  });
}

void RenameWorkflow::AddOldEntry(std::string name) { job_.AddRow(std::move(name)); }

bool RenameWorkflow::OnRandom() {
  if (job_.oldCount() == 0) return false;
  return GenerateNewNames(ReadMethod());
}

bool RenameWorkflow::GenerateNewNames(RenameMethod method) {
  switch (job_.Propose(method, random_)) {
    case ProposeRefusal::kNoMethod:
      view_.ShowMessage("method 선택 필요!!");
      return false;
    case ProposeRefusal::kTooManyFiles:
      // The numbers are drawn from 15 bits and the table holds 32766 of them.
      view_.ShowMessage("Too many files: Random can number at most " +
                        std::to_string(RenameJob::kMaxNumberedFiles) + " files at a time, and " +
                        std::to_string(job_.oldCount()) +
                        " are listed.\n\nChoose a narrower extension or a smaller folder.");
      return false;
    case ProposeRefusal::kNone:
      break;
  }
  // The marks of what Run will do, kept up to date while the proposal shows.
  NoticeChanges();
  const std::unique_ptr<platform::Folder> folder = OpenFolder(job_.folder());
  UpdatePreview(*folder);
  previewShown_ = true;
  view_.RowsChanged();
  EnableActions(true, true);
  return true;
}

void RenameWorkflow::UpdatePreview(platform::Folder& folder) {
  job_.Preview(folder);
  const ForecastCounts counts = job_.forecastCounts();
  std::string status;
  if (counts.willFail > 0) status = std::to_string(counts.willFail) + " will fail";
  if (counts.losesText > 0) {
    if (!status.empty()) status += ", ";
    status += std::to_string(counts.losesText) + " lose text";
  }
  view_.SetStatus(status);
}

bool RenameWorkflow::NoticeChanges() {
  if (watch_ && !watch_->Changed()) return false;
  job_.ForgetListing();
  return true;
}

void RenameWorkflow::RefreshPreview() {
  if (!NoticeChanges() || !previewShown_) return;
  const std::unique_ptr<platform::Folder> folder = OpenFolder(job_.folder());
  UpdatePreview(*folder);
  view_.RowsChanged();
}

void RenameWorkflow::OnRun() { RenameAll(true); }

void RenameWorkflow::RenameAll(bool confirm) {
  if (job_.newCount() == 0) {
    view_.ShowMessage("random 실행 필요!!");
    return;
  }
  if (confirm && !view_.AskYesNo("파일 이름을 바꾸시겠습니까?", "확인")) return;
  // The listing and the marks are done with once the files are renamed.
  StopWatching();

  // The folder of the last Search; every rename happens inside it. The
  // journal goes to the disk first, so that even a Run cut short can be
  // undone.
  const std::unique_ptr<platform::Folder> folder = OpenFolder(job_.folder());
  const bool journaled =
      !journalPath_.empty() &&
      !platform::ReplaceFileContents(journalPath_, JournalStart(job_.folder(), job_)).failed();
  const RunResult result = RunWithProgress(job_, *folder);
  if (journaled) platform::AppendToFile(journalPath_, JournalResult(result));

  view_.SetStatus(RunStatusText(result, "COMPLETE!!"));
  EnableActions(false, false);
  settings_.SetSection(kSection);
  settings_.WriteInt("Method", StoredMethod(job_.method()));
  if (journaled) SetUndoAvailable(true);
  if (!result.failures.empty()) view_.ShowMessage(RunFailureReport(job_, result));
}

RunResult RenameWorkflow::RunWithProgress(const RenameJob& job, platform::Folder& folder) {
  Progress progress(view_, clock_);
  RunResult result = job.Run(folder, &progress);
  if (progress.shown()) view_.HideBusy();
  return result;
}

void RenameWorkflow::OnUndo() {
  if (!undoAvailable_) return;
  std::string text;
  const platform::Error read = platform::ReadWholeFile(journalPath_, &text);
  if (read.code == platform::ErrorCode::kNotFound) {
    SetUndoAvailable(false);
    view_.ShowMessage("There is no Run to undo.");
    return;
  }
  Journal journal;
  std::string problem;
  if (read.failed()) {
    view_.ShowMessage("The journal of the last Run cannot be read (" + read.words +
                      ").\n\nNothing was changed.");
    return;
  }
  if (!ParseJournal(text, &journal, &problem)) {
    view_.ShowMessage("The journal of the last Run cannot be used: " + problem +
                      ".\n\nNothing was changed.");
    return;
  }
  if (journal.spent) {
    SetUndoAvailable(false);
    view_.ShowMessage("There is no Run to undo.");
    return;
  }
  const std::unique_ptr<platform::Folder> folder = OpenFolder(journal.folder);
  if (!folder->isOpen()) {
    view_.ShowMessage("The folder of the last Run cannot be opened (" +
                      folder->openError().words + "):\n" + journal.folder +
                      "\n\nNothing was changed.");
    return;
  }

  // Backwards, each file from its new name to its old one. A Run that was
  // cut short left no record of what it did: rows whose new name is not
  // there while their old name is were never renamed.
  std::deque<RenameRow> rows;
  for (std::size_t i = journal.rows.size(); i-- > 0;) {
    const RenameRow& row = journal.rows[i];
    if (row.oldName == row.newName || row.newName.empty()) continue;
    if (journal.finished) {
      if (!journal.renamed[i]) continue;
    } else if (folder->Has(row.newName) == platform::Presence::kAbsent &&
               folder->Has(row.oldName) == platform::Presence::kPresent) {
      continue;
    }
    rows.push_back(RenameRow{row.newName, row.oldName});
  }
  const std::size_t count = rows.size();
  if (!view_.AskYesNo("Undo the last Run?\n\n" + std::to_string(count) +
                          (count == 1 ? " file in\n" : " files in\n") + journal.folder +
                          "\nget back the names they had.",
                      "Undo")) {
    return;
  }
  StopWatching();
  RenameJob undo;
  undo.SetFolder(journal.folder);
  undo.LoadProposal(std::move(rows));
  const RunResult result = RunWithProgress(undo, *folder);
  view_.SetStatus(RunStatusText(result, "UNDONE"));
  EnableActions(false, false);
  // The journal is spent: what could not go back is reported, not retried.
  if (platform::RemoveFile(journalPath_).failed()) {
    platform::AppendToFile(journalPath_, JournalSpent());
  }
  SetUndoAvailable(false);
  if (!result.failures.empty()) view_.ShowMessage(RunFailureReport(undo, result));
}

void RenameWorkflow::StopWatching() {
  watch_.reset();
  previewShown_ = false;
  job_.ForgetListing();
}

void RenameWorkflow::SetUndoAvailable(bool available) {
  undoAvailable_ = available;
  view_.EnableUndo(available);
}

void RenameWorkflow::OnExpress() {
  if (ReadMethod() != RenameMethod::kReplace) return;
  if (!view_.AskYesNo("sure?\n\n[Search] - [Random] - [Run]", "Replace")) return;
  OnSearch();
  if (job_.oldCount() == 0 || !OnRandom()) return;
  // Express re-shuffles a numbered folder. A proposal that would cut real
  // names stays on screen, marked, for the user to look at and Run.
  if (job_.CutsText()) {
    view_.SetStatus("Express stopped: names without numbers");
    return;
  }
  RenameAll(false);
}

std::unique_ptr<platform::Folder> RenameWorkflow::OpenFolder(const std::string& path) {
  return openFolder_(path);
}
