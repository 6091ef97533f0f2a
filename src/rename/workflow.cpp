#include "rename/workflow.h"

#include "platform/bytes.h"
#include "platform/exepath.h"
#include "platform/file.h"
#include "platform/path.h"
#include "rename/run_report.h"
#include "settings/settings_path.h"
#include "shell/shell.h"

#include <utility>

namespace {
const char kSection[] = "Config";
constexpr int kSearchPauseMs = 500;
// A Run goes on without serving the front for this long, as a short Run
// always did; a longer one then shows its progress and goes on in steps of
// a few milliseconds, repainting its progress at most every 100 ms.
constexpr std::int64_t kProgressDelayMs = 500;
constexpr std::int64_t kProgressIntervalMs = 100;
constexpr std::int64_t kStepMs = 20;
// How often the folder under a proposal is looked at.
constexpr int kPreviewIntervalMs = 500;

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

const char kLockedText[] =
    "Another Tarvello started from the same place is renaming files right now.\n\n"
    "Try again when it has finished. Nothing was changed.";
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
      executablePath_(std::move(services.executablePath)),
      useSettings_(services.useSettings),
      orderPolicy_(services.order),
      journal_(services.journalFiles != nullptr ? *services.journalFiles : JournalFiles::System()) {}

RenameWorkflow::~RenameWorkflow() = default;

// ---------------------------------------------------------------------------
// Commands

void RenameWorkflow::Start() {
  InitRenameState();
  // A journal left by an earlier Run, even one cut short, can be undone.
  journal_.Read();
  journal_.Tidy();
  // An order step cut short (a kill, a pulled stick) left entries outside
  // their folder: they go back now, unless another copy is at work.
  if (journal_.OrderOpen() && journal_.Lock()) {
    FinishOpenOrder(journal_, openFolder_);
    journal_.Unlock();
  }
  state_.cutShortRunFound = offerRecovery_ = journal_.CutShort();
  SetUndoAvailable(journal_.found() == RunJournal::Found::kUnusable || journal_.Undoable());
}

bool RenameWorkflow::Can(Command command) const {
  if (inCommand_) return false;
  if (session_) return command == Command::kStop || command == Command::kTick;
  switch (command) {
    case Command::kRandom: return state_.randomEnabled;
    case Command::kRun: return state_.runEnabled;
    case Command::kUndo: return state_.undoPossible;
    case Command::kStop: return false;
    case Command::kSearch:
    case Command::kSelectFolder:
    case Command::kExpress:
    case Command::kAbout:
    case Command::kTick:
      return true;
  }
  return false;
}

bool RenameWorkflow::Do(Command command) {
  if (!Can(command)) return false;
  const shell::ScopedFlag step(inCommand_);
  switch (command) {
    case Command::kSearch:
      OnSearch();
      return true;
    case Command::kSelectFolder: {
      std::string path;
      if (!view_.PickFolder(&path)) return false;
      view_.SetFolderText(path);
      OnSearch();
      return true;
    }
    case Command::kRandom: return OnRandom();
    case Command::kRun: return OnRun();
    case Command::kExpress: return OnExpress();
    case Command::kUndo: return OnUndo();
    case Command::kAbout:
      view_.ShowMessage(shell::CreditsText());
      return true;
    case Command::kStop:
      session_->Stop();
      EndSession();
      return true;
    case Command::kTick: return OnTick();
  }
  return false;
}

bool RenameWorkflow::SelectFolder(const std::string& folder) {
  if (!Can(Command::kSelectFolder)) return false;
  const shell::ScopedFlag step(inCommand_);
  view_.SetFolderText(folder);
  OnSearch();
  return true;
}

int RenameWorkflow::TickIntervalMs() const { return session_ ? 0 : kPreviewIntervalMs; }

bool RenameWorkflow::OnTick() {
  const std::int64_t now = clock_.NowMs();
  if (session_) {
    StepSession(now + kStepMs);
    if (session_ && clock_.NowMs() - lastShownMs_ >= kProgressIntervalMs) ShowProgress();
    return true;
  }
  if (offerRecovery_) {
    offerRecovery_ = false;
    if (view_.AskYesNo("The last Run was cut short: the program ended, or the disk went away, "
                       "before it had finished.\n\nGive its files their old names back now?",
                       "Undo")) {
      return OnUndo(false);
    }
    return true;
  }
  if (!previewShown_ || now < nextPreviewMs_) return false;
  nextPreviewMs_ = now + kPreviewIntervalMs;
  RefreshPreview();
  return true;
}

// ---------------------------------------------------------------------------
// The steps

void RenameWorkflow::InitRenameState() {
  random_.SeedFromClock();
  LoadSettings();
  job_.SetFolder(storedFolder_);
  job_.SetMethod(MethodFromStored(storedMethod_));
  view_.SetFolderText(storedFolder_);
  view_.SetExtensionText(storedExtension_);
  job_.Clear();
  view_.RowsChanged();
  SetOverlay("", false);
  CheckMethod(job_.method());
  EnableActions(false, false);
  SetStatus("");
}

void RenameWorkflow::LoadSettings() {
  if (!executablePath_) executablePath_ = platform::ExecutablePath();
  // Where the program cannot tell its own place there is no settings file:
  // the defaults at start and no writes, never a file in the working folder.
  if (!executablePath_->empty()) {
    const SettingsLocation location = SettingsLocationFor(*executablePath_);
    if (useSettings_) {
      settings_.SetPath(location.folder);
      settings_.SetFileName(location.fileName);
    }
    journal_.SetPath(platform::JoinPath(location.folder, location.journalName));
    own_ = OwnFiles(location.folder,
                    {platform::SplitPath(*executablePath_).name, location.fileName, location.journalName});
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

void RenameWorkflow::EnableActions(bool random, bool run) {
  state_.randomEnabled = random;
  state_.runEnabled = run;
  view_.StateChanged();
}

void RenameWorkflow::OnSearch() {
  StopWatching();
  SetStatus("");
  EnableActions(false, false);
  job_.Clear();
  view_.RowsChanged();
  job_.SetFolder(view_.FolderText());
  const std::string typedFilter = view_.ExtensionText();

  settings_.SetSection(kSection);
  settings_.WriteString("Folder", job_.folder());
  settings_.WriteString("File", typedFilter);

  job_.SetFilter(typedFilter);

  SetOverlay("searching...", true);
  pauser_.Pause(kSearchPauseMs);

  // Changes to the folder from here on are noticed: the marks of a proposal
  // follow them, and a listing they made stale is not used.
  watch_ = std::make_unique<platform::FolderWatch>(job_.folder());
  const platform::Error scanned = ScanFolder(job_.folder());
  view_.RowsChanged();

  SetOverlay("done", true);
  pauser_.Pause(kSearchPauseMs);
  SetOverlay("", false);

  if (job_.oldCount() > 0) EnableActions(true, false);
  // No message box, but a word on why nothing is listed.
  if (scanned.failed()) SetStatus(FolderProblem(job_.folder(), scanned));
}

platform::Error RenameWorkflow::ScanFolder(const std::string& folder) {
  // A folder that cannot be read lists nothing.
  const std::unique_ptr<platform::Folder> opened = OpenFolder(folder);
  const OwnFiles::In own = own_.InFolder(*opened);
  return job_.Scan(*opened, [&](std::string& name) {
    if (own.Has(name)) return false;
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
  nextPreviewMs_ = clock_.NowMs() + kPreviewIntervalMs;
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
  SetStatus(status);
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

bool RenameWorkflow::OnRun() { return RenameAll(true); }

bool RenameWorkflow::RenameAll(bool confirm) {
  if (job_.newCount() == 0) {
    view_.ShowMessage("random 실행 필요!!");
    return false;
  }
  if (confirm && !view_.AskYesNo("파일 이름을 바꾸시겠습니까?", "확인")) return false;

  // Two copies of the program never write one journal at once.
  if (!journal_.Lock()) {
    view_.ShowMessage(kLockedText);
    return false;
  }
  // The journal as it is now, under the lock. Files an order step of the
  // last Run left outside their folder go back before this Run may
  // replace its journal.
  journal_.Read();
  const WayBackResult back = FinishOpenOrder(journal_, openFolder_);
  if (!back.complete) {
    journal_.Unlock();
    view_.ShowMessage("The last Run is not over: " + WaitingReport(back) + "\n\nNothing was changed.");
    return false;
  }
  // The folder of the last Search, as the system spells it; every rename
  // happens inside it, and the journal and the order step go by it.
  const std::string full = platform::NormalFolderPath(job_.folder());
  RunSetup setup;
  setup.folder = full.empty() ? job_.folder() : full;
  setup.order = orderPolicy_;
  setup.open = openFolder_;
  setup.random = &random_;
  setup.own = &own_;
  std::unique_ptr<Transaction> run = Transaction::ForRun(job_, journal_, std::move(setup));
  if (!JournalRun(*run, !full.empty())) {
    journal_.Unlock();
    return false;
  }
  state_.cutShortRunFound = false;
  // Search's listing serves the Run while the folder has not changed since;
  // then it, the marks and the watch are done with.
  NoticeChanges();
  run->Begin();
  StopWatching();
  BeginSession(std::move(run));
  return true;
}

bool RenameWorkflow::JournalRun(Transaction& run, bool fullPathKnown) {
  // The journal goes to the disk first, so that even a Run cut short can be
  // undone; the user hears of it first when it cannot.
  platform::Error written = platform::MakeError(platform::ErrorCode::kNotFound);
  if (journal_.kept() && fullPathKnown) written = run.WriteJournal();
  if (!written.failed()) return true;
  const std::string why = !journal_.kept() ? "the program cannot tell where it lies, so it keeps no journal"
                          : !fullPathKnown ? "the folder's full path cannot be told"
                                           : "its journal cannot be written (" + written.words + ")";
  if (!view_.AskYesNo("This Run cannot be undone: " + why + ".\n\nRename the files anyway?", "확인")) return false;
  // The journal of an earlier Run must never be taken for this one.
  state_.cutShortRunFound = false;
  const platform::Error forgotten = run.GoWithoutJournal();
  if (forgotten.failed()) {
    view_.ShowMessage("The journal of an earlier Run can neither be replaced nor removed (" + forgotten.words +
                      "): Undo would take back that Run instead of this one.\n\nNothing was changed.");
    return false;
  }
  if (journal_.kept()) SetUndoAvailable(false);
  return true;
}

bool RenameWorkflow::OnExpress() {
  if (ReadMethod() != RenameMethod::kReplace) return false;
  if (!view_.AskYesNo("sure?\n\n[Search] - [Random] - [Run]", "Replace")) return false;
  OnSearch();
  if (job_.oldCount() == 0 || !OnRandom()) return false;
  // Express re-shuffles a numbered folder. A proposal that would cut real
  // names stays on screen, marked, for the user to look at and Run.
  if (job_.CutsText()) {
    SetStatus("Express stopped: names without numbers");
    return false;
  }
  return RenameAll(false);
}

bool RenameWorkflow::OnUndo(bool ask) {
  offerRecovery_ = false;
  // Two copies of the program never write one journal at once; the
  // journal is read under the lock.
  if (!journal_.Lock()) {
    view_.ShowMessage(kLockedText);
    return false;
  }
  const auto refuse = [&](const std::string& message, bool nothingToUndo) {
    journal_.Unlock();
    if (nothingToUndo) SetUndoAvailable(false);
    view_.ShowMessage(message);
    return false;
  };
  switch (journal_.Read()) {
    case RunJournal::Found::kNothing: return refuse("There is no Run to undo.", true);
    case RunJournal::Found::kUnreadable:
      return refuse("The journal of the last Run cannot be read (" + journal_.readError().words +
                        ").\n\nNothing was changed.",
                    false);
    case RunJournal::Found::kUnusable:
      return refuse("The journal of the last Run cannot be used: " + journal_.problem() +
                        ".\n\nNothing was changed.",
                    false);
    case RunJournal::Found::kUsable: break;
  }
  if (journal_.contents().spent) return refuse("There is no Run to undo.", true);
  const std::string& folder = journal_.contents().folder;
  std::unique_ptr<Transaction> undo = Transaction::ForUndo(journal_, openFolder_);
  switch (undo->PlanUndo()) {
    case Transaction::UndoRefusal::kNone: break;
    case Transaction::UndoRefusal::kFilesWaiting:
      return refuse(WaitingReport(undo->outcome().order.wayBack) + "\n\nNothing else was changed.", false);
    case Transaction::UndoRefusal::kFolderNotOpened:
      return refuse("The folder of the last Run cannot be opened (" + undo->folder().openError().words +
                        "):\n" + folder + "\n\nNothing was changed.",
                    false);
    case Transaction::UndoRefusal::kOtherFolder:
      return refuse("The folder of the last Run is not the one that is there now:\n" + folder +
                        "\n\nNothing was changed.",
                    false);
  }
  const std::size_t count = undo->undoPlan().renames.size();
  if (ask && count > 0 && !view_.AskYesNo("Undo the last Run?\n\n" + std::to_string(count) +
                                 (count == 1 ? " file in\n" : " files in\n") + folder +
                                 "\nget back the names they had.",
                             "Undo")) {
    journal_.Unlock();
    return false;
  }
  StopWatching();
  state_.cutShortRunFound = false;
  undo->Begin();
  BeginSession(std::move(undo));
  return true;
}

// ---------------------------------------------------------------------------
// Sessions

void RenameWorkflow::BeginSession(std::unique_ptr<Transaction> session) {
  session_ = std::move(session);
  const std::int64_t start = clock_.NowMs();
  StepSession(start + kProgressDelayMs);
  if (!session_) return;
  // Long: the rest goes on in steps, the front serving its user between them.
  state_.sessionRunning = true;
  ShowProgress();
}

void RenameWorkflow::ShowProgress() {
  lastShownMs_ = clock_.NowMs();
  SetOverlay(std::string(session_->stage() == Stage::kOrdering ? "ordering... " : "renaming... ") +
                 std::to_string(session_->stepsDone()) + " / " + std::to_string(session_->stepsTotal()),
             false);
}

void RenameWorkflow::StepSession(std::int64_t untilMs) {
  const Stage before = session_->stage();
  if (!session_->Step(clock_, untilMs)) {
    EndSession();
    return;
  }
  // The order step began: the progress says so at once.
  if (session_->stage() != before && state_.sessionRunning) ShowProgress();
}

void RenameWorkflow::EndSession() {
  const std::unique_ptr<Transaction> session = std::move(session_);
  journal_.Unlock();
  lastOutcome_ = session->outcome();
  lastUndo_.reset();
  if (state_.sessionRunning) {
    state_.sessionRunning = false;
    SetOverlay("", false);
  }
  if (session->kind() == Transaction::Kind::kRun) {
    EndRun(*session);
  } else {
    EndUndo(*session);
  }
}

namespace {

// What the user hears of a journal that could not record everything.
std::string JournalWords(const JournalOutcome& journal, const char* what) {
  if (journal.kind != JournalOutcome::Kind::kIncomplete) return std::string();
  return std::string("The journal could not record ") + what + " (" +
         (journal.error.words.empty() ? std::string("failed") : journal.error.words) + ").";
}

void AddParagraph(std::string* text, const std::string& paragraph) {
  if (paragraph.empty()) return;
  if (!text->empty()) *text += "\n\n";
  *text += paragraph;
}

}  // namespace

void RenameWorkflow::EndRun(const Transaction& run) {
  const TransactionOutcome& outcome = run.outcome();
  const RunResult& result = outcome.rows;
  const OrderOutcome& order = outcome.order;
  const bool unordered = order.kind == OrderOutcome::Kind::kNotOrdered || order.kind == OrderOutcome::Kind::kStranded;
  const std::string unorderedText = unordered ? "renamed, but not put in order on the disk: " + order.why : "";
  SetStatus(result.failures.empty() && unordered ? unorderedText : RunStatusText(result, "COMPLETE!!"));
  EnableActions(false, false);
  settings_.SetSection(kSection);
  settings_.WriteInt("Method", StoredMethod(job_.method()));
  if (outcome.journal.kind != JournalOutcome::Kind::kNone) SetUndoAvailable(journal_.Undoable());
  std::string report = RunFailureReport(job_, result);
  AddParagraph(&report, unorderedText);
  AddParagraph(&report, WaitingReport(order.wayBack));
  const std::string journal = JournalWords(outcome.journal, "all of this Run");
  if (!journal.empty()) {
    AddParagraph(&report, journal + " Undo can still give every renamed file its old name back: where "
                                    "the journal cannot tell, it goes by the names on the disk.");
  }
  if (!report.empty()) view_.ShowReport(report);
}

void RenameWorkflow::EndUndo(const Transaction& undo) {
  const TransactionOutcome& outcome = undo.outcome();
  const RunResult& result = outcome.rows;
  const bool waiting = outcome.order.kind == OrderOutcome::Kind::kStranded;
  const bool left = journal_.Undoable();
  SetStatus(waiting && result.failures.empty() && !result.stopped
                ? std::to_string(WaitingCount(outcome.order.wayBack)) + " still wait outside the folder"
                : RunStatusText(result, "UNDONE"));
  EnableActions(false, false);
  SetUndoAvailable(left);
  std::string report = RunFailureReport(undo.job(), result);
  if (left && !report.empty()) report += "\n\nUndo again to give the rest their names back.";
  AddParagraph(&report, WaitingReport(outcome.order.wayBack));
  AddParagraph(&report, JournalWords(outcome.journal, "what this Undo gave back"));
  lastUndo_ = std::make_unique<RenameJob>(undo.job());
  if (!report.empty()) view_.ShowReport(report);
}

// ---------------------------------------------------------------------------
// Helpers

void RenameWorkflow::SetStatus(const std::string& text) {
  state_.status = text;
  view_.StateChanged();
}

void RenameWorkflow::SetOverlay(const std::string& text, bool paintNow) {
  state_.overlay = text;
  view_.StateChanged();
  if (paintNow) view_.PaintNow();
}

void RenameWorkflow::StopWatching() {
  watch_.reset();
  previewShown_ = false;
  job_.ForgetListing();
}

void RenameWorkflow::SetUndoAvailable(bool available) {
  state_.undoPossible = available;
  view_.StateChanged();
}

std::unique_ptr<platform::Folder> RenameWorkflow::OpenFolder(const std::string& path) {
  return openFolder_(path);
}
