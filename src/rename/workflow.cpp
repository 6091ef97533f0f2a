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

// A Run's or an Undo's renames, going on in steps, with what its end needs.
class RenameWorkflow::Session {
 public:
  enum class Kind { kRun, kUndo };
  Session(Kind kind, std::unique_ptr<platform::Folder> folder,
          std::unique_ptr<platform::ExclusiveLock> lock)
      : kind(kind), folder(std::move(folder)), lock(std::move(lock)) {}

  const Kind kind;
  std::unique_ptr<platform::Folder> folder;
  // Held while the journal is being written to.
  std::unique_ptr<platform::ExclusiveLock> lock;
  bool journaled = false;
  // An Undo's renames, as a job of their own, and where they came from.
  RenameJob undoJob;
  UndoPlan plan;
  std::size_t journalRows = 0;
  std::unique_ptr<RunSession> renames;
  // The order step after a Run's renames, or why there is none.
  std::unique_ptr<OrderPlan> orderPlan;
  std::unique_ptr<OrderSession> order;
  std::string orderProblem;
  bool resultJournaled = false;
  std::int64_t lastShownMs = 0;

  const RenameJob& job(const RenameJob& run) const { return kind == Kind::kRun ? run : undoJob; }
};

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
      orderPolicy_(services.order) {}

RenameWorkflow::~RenameWorkflow() = default;

// ---------------------------------------------------------------------------
// Commands

void RenameWorkflow::Start() {
  InitRenameState();
  // A journal left by an earlier Run, even one cut short, can be undone.
  std::string journal;
  Journal parsed;
  std::string problem;
  const bool read = !journalPath_.empty() && !platform::ReadWholeFile(journalPath_, &journal).failed();
  const bool whole = read && ParseJournal(journal, &parsed, &problem);
  state_.cutShortRunFound = offerRecovery_ =
      whole && !parsed.spent && (!parsed.finished || (parsed.order && !parsed.orderEnded));
  SetUndoAvailable(read && !(whole && parsed.spent));
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
      if (session_->order) {
        session_->order->Stop();
      } else {
        session_->renames->Stop();
      }
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
    if (session_ && clock_.NowMs() - session_->lastShownMs >= kProgressIntervalMs) ShowProgress();
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

  // The folder of the last Search; every rename happens inside it. Two
  // copies of the program never write one journal at once.
  std::unique_ptr<platform::ExclusiveLock> lock;
  if (!journalPath_.empty() && !(lock = platform::ExclusiveLock::TryTake(journalPath_))) {
    view_.ShowMessage(kLockedText);
    return false;
  }
  auto session = std::make_unique<Session>(Session::Kind::kRun, OpenFolder(job_.folder()),
                                           std::move(lock));
  // The journal goes to the disk first, so that even a Run cut short can be
  // undone; the user hears of it first when it cannot.
  std::string full = platform::AbsolutePath(job_.folder());
  platform::Error written = platform::MakeError(platform::ErrorCode::kNotFound);
  if (!journalPath_.empty() && !full.empty()) {
    written = platform::ReplaceFileContents(journalPath_,
                                            JournalStart(full, session->folder->Id(), job_));
  }
  session->journaled = !written.failed();
  if (session->journaled) state_.cutShortRunFound = false;
  if (!session->journaled) {
    const std::string why =
        journalPath_.empty() ? "the program cannot tell where it lies, so it keeps no journal"
        : full.empty()       ? "the folder's full path cannot be told"
                             : "its journal cannot be written (" + written.words + ")";
    if (!view_.AskYesNo("This Run cannot be undone: " + why + ".\n\nRename the files anyway?",
                        "확인")) {
      return false;
    }
    // The journal of an earlier Run must never be taken for this one.
    state_.cutShortRunFound = false;
    if (!journalPath_.empty()) {
      const platform::Error removed = platform::RemoveFile(journalPath_);
      if (removed.failed() && removed.code != platform::ErrorCode::kNotFound &&
          platform::AppendToFile(journalPath_, JournalSpent()).failed()) {
        view_.ShowMessage("The journal of an earlier Run can neither be replaced nor removed (" +
                          removed.words +
                          "): Undo would take back that Run instead of this one.\n\n"
                          "Nothing was changed.");
        return false;
      }
      SetUndoAvailable(false);
    }
  }
  // The listing and the marks are done with once the files are renamed.
  StopWatching();
  session->renames = std::make_unique<RunSession>(job_, *session->folder);
  BeginSession(std::move(session));
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
  std::string text;
  const platform::Error read = platform::ReadWholeFile(journalPath_, &text);
  if (read.code == platform::ErrorCode::kNotFound) {
    SetUndoAvailable(false);
    view_.ShowMessage("There is no Run to undo.");
    return false;
  }
  Journal journal;
  std::string problem;
  if (read.failed()) {
    view_.ShowMessage("The journal of the last Run cannot be read (" + read.words +
                      ").\n\nNothing was changed.");
    return false;
  }
  if (!ParseJournal(text, &journal, &problem)) {
    view_.ShowMessage("The journal of the last Run cannot be used: " + problem +
                      ".\n\nNothing was changed.");
    return false;
  }
  if (journal.spent) {
    SetUndoAvailable(false);
    view_.ShowMessage("There is no Run to undo.");
    return false;
  }
  std::unique_ptr<platform::ExclusiveLock> lock = platform::ExclusiveLock::TryTake(journalPath_);
  if (!lock) {
    view_.ShowMessage(kLockedText);
    return false;
  }
  // An order step cut short: every file goes back into its folder first.
  if (journal.order && !journal.orderEnded) {
    const platform::Error recovered = RecoverOrder(*journal.order, openFolder_);
    if (recovered.failed()) {
      view_.ShowMessage("The files of the last Run cannot all be put back into their folder (" +
                        recovered.words + "):\n" + journal.folder + "\n\nNothing else was changed.");
      return false;
    }
    platform::AppendToFile(journalPath_, JournalOrdered());
  }
  std::unique_ptr<platform::Folder> folder = OpenFolder(journal.folder);
  if (!folder->isOpen()) {
    view_.ShowMessage("The folder of the last Run cannot be opened (" +
                      folder->openError().words + "):\n" + journal.folder +
                      "\n\nNothing was changed.");
    return false;
  }
  // Another folder under the same name (the folder was moved away and a new
  // one made) never took part. A volume mounted anew may number its
  // folders anew: only the same device can tell; and an order step gives
  // the folder's name to a new folder of its own.
  const std::optional<platform::FileId> id = folder->Id();
  if (!journal.order && journal.folderId && id && id->device == journal.folderId->device &&
      id->node != journal.folderId->node) {
    view_.ShowMessage("The folder of the last Run is not the one that is there now:\n" +
                      journal.folder + "\n\nNothing was changed.");
    return false;
  }
  auto session = std::make_unique<Session>(Session::Kind::kUndo, std::move(folder), std::move(lock));
  session->plan = PlanUndo(journal, *session->folder);
  session->journalRows = journal.rows.size();
  const std::size_t count = session->plan.renames.size();
  if (ask && !view_.AskYesNo("Undo the last Run?\n\n" + std::to_string(count) +
                                 (count == 1 ? " file in\n" : " files in\n") + journal.folder +
                                 "\nget back the names they had.",
                             "Undo")) {
    return false;
  }
  StopWatching();
  state_.cutShortRunFound = false;
  session->undoJob.SetFolder(journal.folder);
  session->undoJob.LoadProposal(session->plan.renames);
  session->renames = std::make_unique<RunSession>(session->undoJob, *session->folder);
  BeginSession(std::move(session));
  return true;
}

// ---------------------------------------------------------------------------
// Sessions

void RenameWorkflow::BeginSession(std::unique_ptr<Session> session) {
  session_ = std::move(session);
  const std::int64_t start = clock_.NowMs();
  StepSession(start + kProgressDelayMs);
  if (!session_) return;
  // Long: the rest goes on in steps, the front serving its user between them.
  state_.sessionRunning = true;
  ShowProgress();
}

void RenameWorkflow::ShowProgress() {
  session_->lastShownMs = clock_.NowMs();
  if (session_->order) {
    SetOverlay("ordering... " + std::to_string(session_->order->movesDone()) + " / " +
                   std::to_string(session_->order->movesTotal()),
               false);
  } else {
    SetOverlay("renaming... " + std::to_string(session_->renames->rowsDone()) + " / " +
                   std::to_string(session_->renames->total()),
               false);
  }
}

void RenameWorkflow::StepSession(std::int64_t untilMs) {
  if (!session_->order) {
    if (session_->renames->Step(clock_, untilMs)) return;
    // What the renames did goes to the journal before anything else moves.
    if (session_->kind == Session::Kind::kRun && session_->journaled) {
      platform::AppendToFile(journalPath_, JournalResult(session_->renames->result()));
      session_->resultJournaled = true;
    }
    BeginOrder();
    if (!session_->order) {
      EndSession();
      return;
    }
  }
  if (session_->order->Step(clock_, untilMs)) return;
  EndSession();
}

void RenameWorkflow::BeginOrder() {
  Session& session = *session_;
  const RunResult& result = session.renames->result();
  if (session.kind != Session::Kind::kRun || result.stopped || orderPolicy_ == OrderPolicy::kNever) {
    return;
  }
  const platform::FileSystem kind = session.folder->fileSystem();
  if (orderPolicy_ == OrderPolicy::kAuto && kind != platform::FileSystem::kFat &&
      kind != platform::FileSystem::kExfat) {
    return;
  }
  std::vector<std::string> renamed;
  for (std::size_t row = 0; row < result.outcomes.size(); ++row) {
    if (result.outcomes[row] == RowOutcome::kRenamed || result.outcomes[row] == RowOutcome::kSameName) {
      renamed.push_back(job_.row(row).newName);
    }
  }
  if (renamed.empty()) return;
  if (!session.journaled) {
    session.orderProblem = "without a journal no file is moved";
    return;
  }
  // The temporary names' token: four letters or digits.
  std::string token;
  for (int i = 0; i < 4; ++i) token += "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[random_.Next15() % 36];
  // The program's own files, when they lie in the folder, stay where they are.
  const std::optional<platform::FileId> id = session.folder->Id();
  const bool programsFolder = id && !ownFolder_.empty() && id == platform::IdOfPath(ownFolder_);
  OrderDecision decision =
      PlanOrder(platform::AbsolutePath(job_.folder()), std::move(renamed), token,
                programsFolder ? ownNames_ : std::vector<std::string>(), openFolder_);
  session.orderProblem = decision.problem;
  if (!decision.plan) return;
  // The whole plan is on the disk before the first move.
  const platform::Error written = platform::AppendToFile(journalPath_, JournalOrder(*decision.plan));
  if (written.failed()) {
    session.orderProblem = "its journal cannot be written (" + written.words + ")";
    return;
  }
  // What the program holds of the folder goes first: a folder held open
  // cannot be moved.
  session.folder.reset();
  session.orderPlan = std::move(decision.plan);
  session.order = std::make_unique<OrderSession>(*session.orderPlan, openFolder_);
  if (state_.sessionRunning) ShowProgress();
}

void RenameWorkflow::EndSession() {
  const std::unique_ptr<Session> session = std::move(session_);
  lastResult_ = session->renames->result();
  const RunResult& result = *lastResult_;
  lastUndo_.reset();
  if (state_.sessionRunning) {
    state_.sessionRunning = false;
    SetOverlay("", false);
  }
  std::string report;
  if (session->kind == Session::Kind::kRun) {
    if (session->journaled && !session->resultJournaled) {
      platform::AppendToFile(journalPath_, JournalResult(result));
    }
    lastOrderOperations_ = 0;
    if (session->order) {
      platform::AppendToFile(journalPath_, JournalOrdered());
      session->orderProblem = session->order->problem();
      lastOrderOperations_ = session->order->operations();
    }
    lastOrderProblem_ = session->orderProblem;
    session->lock.reset();
    const std::string unordered =
        session->orderProblem.empty() ? std::string()
                                      : "renamed, but not put in order on the disk: " + session->orderProblem;
    SetStatus(result.failures.empty() && !unordered.empty() ? unordered
                                                            : RunStatusText(result, "COMPLETE!!"));
    EnableActions(false, false);
    settings_.SetSection(kSection);
    settings_.WriteInt("Method", StoredMethod(job_.method()));
    if (session->journaled) SetUndoAvailable(true);
    report = RunFailureReport(job_, result);
    if (!unordered.empty()) report += (report.empty() ? "" : "\n\n") + unordered;
  } else {
    // What was not given back stays in the journal for the next Undo.
    const std::vector<std::size_t> done = RowsDoneWith(session->plan, result);
    const bool left = done.size() < session->plan.renames.size();
    if (left) {
      platform::AppendToFile(journalPath_, JournalUndone(session->journalRows, done));
    } else if (platform::RemoveFile(journalPath_).failed()) {
      platform::AppendToFile(journalPath_, JournalSpent());
    }
    session->lock.reset();
    SetStatus(RunStatusText(result, "UNDONE"));
    EnableActions(false, false);
    SetUndoAvailable(left);
    report = RunFailureReport(session->undoJob, result);
    if (left && !report.empty()) report += "\n\nUndo again to give the rest their names back.";
    session->renames.reset();
    lastUndo_ = std::make_unique<RenameJob>(std::move(session->undoJob));
  }
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
