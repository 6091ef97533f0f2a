#include "rename/workflow.h"

#include "rename/other_systems_files.h"

#include "platform/bytes.h"
#include "platform/exepath.h"
#include "platform/file.h"
#include "platform/path.h"
#include "settings/settings_path.h"

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

StatusLine::Rows CountRows(const RunResult& result) {
  StatusLine::Rows rows;
  rows.total = result.outcomes.size();
  for (const RowOutcome outcome : result.outcomes) {
    rows.renamed += outcome == RowOutcome::kRenamed || outcome == RowOutcome::kSameName;
  }
  rows.failed = result.failures.size();
  rows.stopped = result.stopped;
  return rows;
}

StatusLine OfKind(StatusLine::Kind kind) {
  StatusLine status;
  status.kind = kind;
  return status;
}

Message Says(Message::Kind kind) {
  Message message;
  message.kind = kind;
  return message;
}

Busy BusyOf(Busy::Kind kind) {
  Busy busy;
  busy.kind = kind;
  return busy;
}

// Sets a flag for as long as it lives and then gives it back its old value:
// a command is under way.
class ScopedFlag {
 public:
  explicit ScopedFlag(bool& flag) : flag_(flag), outer_(flag) { flag_ = true; }
  ~ScopedFlag() { flag_ = outer_; }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;

 private:
  bool& flag_;
  bool outer_;
};

template <class T, class Default>
std::unique_ptr<T> OwnUnless(T* given) {
  return given != nullptr ? nullptr : std::make_unique<Default>();
}
}  // namespace

// Why a folder lists nothing.
StatusLine FolderProblem(const std::string& folder, const platform::Error& error) {
  StatusLine status;
  status.kind = StatusLine::Kind::kFolderProblem;
  status.error = error;
  using Problem = StatusLine::FolderProblem;
  if (folder.empty()) {
    status.folderProblem = Problem::kNoFolder;
  } else if (folder.find_first_of("\r\n") != std::string::npos) {
    status.folderProblem = Problem::kLineBreak;
  } else {
    switch (error.code) {
      case platform::ErrorCode::kNotFound: status.folderProblem = Problem::kNotFound; break;
      case platform::ErrorCode::kAccess: status.folderProblem = Problem::kNoAccess; break;
      case platform::ErrorCode::kNotFolder: status.folderProblem = Problem::kNotFolder; break;
      default: status.folderProblem = Problem::kOther; break;
    }
  }
  return status;
}

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
  journal_.Read(JournalRows::kCheck);
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
    case Command::kClean:
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
  const ScopedFlag step(inCommand_);
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
    case Command::kClean: return OnClean();
    case Command::kAbout:
      view_.Tell(Says(Message::Kind::kAbout));
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
  const ScopedFlag step(inCommand_);
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
    Question question;
    question.kind = Question::Kind::kUndoCutShort;
    if (view_.Ask(question)) {
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
  SetBusy(Busy(), false);
  CheckMethod(job_.method());
  EnableActions(false, false);
  SetStatus(StatusLine());
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
  SetStatus(StatusLine());
  EnableActions(false, false);
  job_.Clear();
  view_.RowsChanged();
  job_.SetFolder(view_.FolderText());
  const std::string typedFilter = view_.ExtensionText();

  settings_.SetSection(kSection);
  settings_.WriteString("Folder", job_.folder());
  settings_.WriteString("File", typedFilter);

  job_.SetFilter(typedFilter);

  SetBusy(BusyOf(Busy::Kind::kSearching), true);
  pauser_.Pause(kSearchPauseMs);

  // Changes to the folder from here on are noticed: the marks of a proposal
  // follow them, and a listing they made stale is not used.
  watch_.Watch(job_.folder());
  watching_ = true;
  const platform::Error scanned = ScanFolder(job_.folder());
  view_.RowsChanged();

  SetBusy(BusyOf(Busy::Kind::kSearchDone), true);
  pauser_.Pause(kSearchPauseMs);
  SetBusy(Busy(), false);

  if (job_.oldCount() > 0) EnableActions(true, false);
  // No message box, but a word on why nothing is listed.
  if (scanned.failed()) {
    SetStatus(FolderProblem(job_.folder(), scanned));
  } else if (job_.leftOutCount() > 0) {
    StatusLine status = OfKind(StatusLine::Kind::kLeftOut);
    status.leftOut = job_.leftOutCount();
    SetStatus(status);
  }
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
      view_.Tell(Says(Message::Kind::kChooseMethod));
      return false;
    case ProposeRefusal::kTooManyFiles: {
      // The numbers are drawn from 15 bits and the table holds 32766 of them.
      Message message = Says(Message::Kind::kTooManyFiles);
      message.count = job_.oldCount();
      message.limit = RenameJob::kMaxNumberedFiles;
      view_.Tell(message);
      return false;
    }
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
  StatusLine status;
  status.forecast = job_.forecastCounts();
  if (status.forecast.willFail > 0 || status.forecast.losesText > 0 || status.forecast.numberedAgain > 0) {
    status.kind = StatusLine::Kind::kForecast;
  }
  SetStatus(status);
}

bool RenameWorkflow::NoticeChanges() {
  if (watching_ && !watch_.Changed()) return false;
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
    view_.Tell(Says(Message::Kind::kRandomFirst));
    return false;
  }
  Question question;
  question.kind = Question::Kind::kRun;
  question.count = job_.newCount();
  question.folder = job_.folder();
  if (confirm && !view_.Ask(question)) return false;

  // Two copies of the program never write one journal at once.
  if (!journal_.Lock()) return Refuse(Says(Message::Kind::kAnotherCopyAtWork));
  // The journal as it is now, under the lock. Files an order step of the
  // last Run left outside their folder go back before this Run may
  // replace its journal.
  journal_.Read(JournalRows::kCheck);
  const WayBackResult back = FinishOpenOrder(journal_, openFolder_);
  if (!back.complete) {
    journal_.Unlock();
    Message message = Says(Message::Kind::kLastRunNotOver);
    message.wayBack = &back;
    return Refuse(message);
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
  Question question;
  question.kind = Question::Kind::kRunWithoutJournal;
  question.noJournal = !journal_.kept() ? Question::NoJournal::kNoPlace
                       : !fullPathKnown ? Question::NoJournal::kNoFullPath
                                        : Question::NoJournal::kNotWritten;
  question.error = written;
  question.journal = journal_.path();
  question.count = job_.newCount();
  question.folder = job_.folder();
  if (!view_.Ask(question)) return false;
  // The journal of an earlier Run must never be taken for this one.
  state_.cutShortRunFound = false;
  const platform::Error forgotten = run.GoWithoutJournal();
  if (forgotten.failed()) {
    Message message = Says(Message::Kind::kEarlierJournalStays);
    message.error = forgotten;
    message.folder = journal_.path();
    return Refuse(message);
  }
  if (journal_.kept()) SetUndoAvailable(false);
  return true;
}

bool RenameWorkflow::OnExpress() {
  if (ReadMethod() != RenameMethod::kReplace) return false;
  Question question;
  question.kind = Question::Kind::kExpress;
  if (!view_.Ask(question)) return false;
  OnSearch();
  if (job_.oldCount() == 0 || !OnRandom()) return false;
  // Express re-shuffles a numbered folder. A proposal that would cut real
  // names stays on screen, marked, for the user to look at and Run.
  if (job_.CutsText()) {
    SetStatus(OfKind(StatusLine::Kind::kExpressStopped));
    return false;
  }
  return RenameAll(false);
}

bool RenameWorkflow::OnClean() {
  const std::string folderText = view_.FolderText();
  const std::unique_ptr<platform::Folder> folder = OpenFolder(folderText);
  const CleanPlan plan = PlanClean(*folder);
  if (folderText.empty() || plan.listError.failed()) {
    SetStatus(FolderProblem(folderText, plan.listError));
    return false;
  }
  if (plan.names.empty()) {
    Message message = Says(Message::Kind::kNothingToClean);
    message.folder = folderText;
    return Refuse(message);
  }
  Question question;
  question.kind = Question::Kind::kClean;
  question.count = plan.names.size();
  question.folder = folderText;
  question.cleanCounts = plan.counts;
  if (!view_.Ask(question)) return false;
  const CleanResult result = Clean(*folder, plan);
  Message message = Says(Message::Kind::kCleaned);
  message.count = result.removed;
  message.limit = plan.names.size();
  message.failed = result.failures.size();
  message.folder = folderText;
  if (!result.failures.empty()) message.error = result.failures.front().error;
  // The listing of that folder, and what it left out, are out of date.
  if (job_.folder() == folderText) OnSearch();
  view_.Tell(message);
  return result.removed > 0;
}

bool RenameWorkflow::OnUndo(bool ask) {
  offerRecovery_ = false;
  // Two copies of the program never write one journal at once; the
  // journal is read under the lock.
  if (!journal_.Lock()) return Refuse(Says(Message::Kind::kAnotherCopyAtWork));
  const auto refuse = [&](Message message) {
    journal_.Unlock();
    if (message.kind == Message::Kind::kNothingToUndo) SetUndoAvailable(false);
    return Refuse(message);
  };
  Message message;
  switch (journal_.Read()) {
    case RunJournal::Found::kNothing: return refuse(Says(Message::Kind::kNothingToUndo));
    case RunJournal::Found::kUnreadable:
      message = Says(Message::Kind::kJournalUnreadable);
      message.error = journal_.readError();
      message.folder = journal_.path();
      return refuse(message);
    case RunJournal::Found::kUnusable:
      message = Says(Message::Kind::kJournalUnusable);
      message.journalProblem = journal_.problem();
      message.folder = journal_.path();
      return refuse(message);
    case RunJournal::Found::kUsable: break;
  }
  if (journal_.contents().spent) return refuse(Says(Message::Kind::kNothingToUndo));
  message.folder = journal_.contents().folder;
  std::unique_ptr<Transaction> undo = Transaction::ForUndo(journal_, openFolder_);
  switch (undo->PlanUndo()) {
    case Transaction::UndoRefusal::kNone: break;
    case Transaction::UndoRefusal::kFilesWaiting:
      message.kind = Message::Kind::kUndoFilesWaiting;
      message.wayBack = &undo->outcome().order.wayBack;
      return refuse(message);
    case Transaction::UndoRefusal::kFolderNotOpened:
      message.kind = Message::Kind::kUndoFolderNotOpened;
      message.error = undo->folder().openError();
      return refuse(message);
    case Transaction::UndoRefusal::kOtherFolder:
      message.kind = Message::Kind::kUndoOtherFolder;
      return refuse(message);
  }
  Question question;
  question.kind = Question::Kind::kUndo;
  question.count = undo->undoPlan().renames.size();
  question.folder = journal_.contents().folder;
  if (ask && question.count > 0 && !view_.Ask(question)) {
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
  Busy busy = BusyOf(session_->stage() == Stage::kOrdering ? Busy::Kind::kOrdering : Busy::Kind::kRenaming);
  busy.done = session_->stepsDone();
  busy.total = session_->stepsTotal();
  SetBusy(busy, false);
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
    SetBusy(Busy(), false);
  }
  if (session->kind() == Transaction::Kind::kRun) {
    EndRun(*session);
  } else {
    EndUndo(*session);
  }
}

void RenameWorkflow::EndRun(const Transaction& run) {
  const TransactionOutcome& outcome = run.outcome();
  const OrderOutcome& order = outcome.order;
  const bool unordered = order.kind == OrderOutcome::Kind::kNotOrdered || order.kind == OrderOutcome::Kind::kStranded;
  StatusLine status = OfKind(StatusLine::Kind::kRunEnded);
  status.rows = CountRows(outcome.rows);
  if (status.rows.complete() && unordered) {
    status.kind = StatusLine::Kind::kNotOrdered;
    status.order = order.why;
  }
  SetStatus(status);
  EnableActions(false, false);
  settings_.SetSection(kSection);
  settings_.WriteInt("Method", StoredMethod(job_.method()));
  if (outcome.journal.kind != JournalOutcome::Kind::kNone) SetUndoAvailable(journal_.Undoable());
  SessionReport report;
  report.job = &job_;
  report.outcome = &outcome;
  view_.Report(report);
}

void RenameWorkflow::EndUndo(const Transaction& undo) {
  const TransactionOutcome& outcome = undo.outcome();
  const bool waiting = outcome.order.kind == OrderOutcome::Kind::kStranded;
  const bool left = journal_.Undoable();
  StatusLine status = OfKind(StatusLine::Kind::kUndoEnded);
  status.rows = CountRows(outcome.rows);
  if (waiting && status.rows.complete()) {
    status.kind = StatusLine::Kind::kStillWaiting;
    status.waiting = outcome.order.wayBack.waiting();
  }
  SetStatus(status);
  EnableActions(false, false);
  SetUndoAvailable(left);
  lastUndo_ = std::make_unique<RenameJob>(undo.job());
  SessionReport report;
  report.undo = true;
  report.job = lastUndo_.get();
  report.outcome = &outcome;
  report.undoLeft = left;
  view_.Report(report);
}

// ---------------------------------------------------------------------------
// Helpers

void RenameWorkflow::SetStatus(const StatusLine& status) {
  state_.status = status;
  view_.StateChanged();
}

void RenameWorkflow::SetBusy(const Busy& busy, bool paintNow) {
  state_.busy = busy;
  view_.StateChanged();
  if (paintNow) view_.PaintNow();
}

bool RenameWorkflow::Refuse(const Message& message) {
  view_.Tell(message);
  return false;
}

void RenameWorkflow::StopWatching() {
  watch_.Stop();
  watching_ = false;
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
