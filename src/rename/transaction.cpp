#include "rename/transaction.h"

#include "platform/path.h"

namespace {

// The temporary names' token: four letters or digits.
std::string DrawToken(platform::RandomSource& random) {
  std::string token;
  for (int i = 0; i < 4; ++i) token += "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[random.Next15() % 36];
  return token;
}

bool IsFatFamily(platform::FileSystem system) {
  return system == platform::FileSystem::kFat || system == platform::FileSystem::kExfat;
}

// The stages each stage may move on to.
bool MayMove(Transaction::Kind kind, Stage from, Stage to) {
  const bool run = kind == Transaction::Kind::kRun;
  switch (from) {
    case Stage::kPlan: return to == Stage::kJournalled || (!run && to == Stage::kWayBack);
    case Stage::kWayBack: return !run && to == Stage::kJournalled;
    case Stage::kJournalled: return to == Stage::kRenaming;
    case Stage::kRenaming: return to == Stage::kDone || (run && to == Stage::kOrdering);
    case Stage::kOrdering: return run && to == Stage::kDone;
    case Stage::kDone: return false;
  }
  return false;
}

}  // namespace

Transaction::Transaction(Kind kind, const RenameJob* runJob, RunJournal& journal, platform::FolderOpener open)
    : kind_(kind), runJob_(runJob), journal_(journal), open_(std::move(open)) {}

Transaction::~Transaction() = default;

std::unique_ptr<Transaction> Transaction::ForRun(const RenameJob& job, RunJournal& journal, RunSetup setup) {
  std::unique_ptr<Transaction> run(new Transaction(Kind::kRun, &job, journal, setup.open));
  run->folder_ = run->open_(setup.folder);
  run->setup_ = std::move(setup);
  return run;
}

std::unique_ptr<Transaction> Transaction::ForUndo(RunJournal& journal, platform::FolderOpener open) {
  std::unique_ptr<Transaction> undo(new Transaction(Kind::kUndo, nullptr, journal, std::move(open)));
  undo->folder_ = undo->open_(journal.contents().folder);
  return undo;
}

void Transaction::Enter(Stage next) {
  if (!MayMove(kind_, stage_, next)) return;
  stage_ = next;
  switch (next) {
    case Stage::kPlan:
    case Stage::kWayBack:
      return;
    case Stage::kJournalled:
      // An Undo says which rows it sets out to give back before the first:
      // cut short, the next one goes by the disk for them.
      if (kind_ == Kind::kUndo) undoingRecorded_ = Record(journal_.RecordUndoing(undoPlan_.journalRows));
      return;
    case Stage::kRenaming:
      renames_ = std::make_unique<RunSession>(job(), *folder_);
      return;
    case Stage::kOrdering:
      EnterOrdering();
      return;
    case Stage::kDone:
      EnterDone();
      return;
  }
}

platform::Error Transaction::WriteJournal() {
  if (kind_ != Kind::kRun || stage_ != Stage::kPlan) return platform::OtherError("not now");
  if (setup_.folder.empty()) return platform::MakeError(platform::ErrorCode::kNotFound);
  const platform::Error written = journal_.Begin(setup_.folder, folder_->Id(), *runJob_);
  if (written.failed()) return written;
  journalled_ = true;
  Enter(Stage::kJournalled);
  return written;
}

platform::Error Transaction::GoWithoutJournal() {
  if (kind_ != Kind::kRun || stage_ != Stage::kPlan) return platform::OtherError("not now");
  const platform::Error forgotten = journal_.Forget();
  if (forgotten.failed()) return forgotten;
  outcome_.journal.kind = JournalOutcome::Kind::kNone;
  Enter(Stage::kJournalled);
  return forgotten;
}

Transaction::UndoRefusal Transaction::PlanUndo() {
  const Journal& journal = journal_.contents();
  if (journal_.OrderOpen()) {
    Enter(Stage::kWayBack);
    // The folder may come back to its place only now.
    folder_.reset();
    const WayBackResult back = FinishOpenOrder(journal_, open_);
    if (!back.complete) {
      outcome_.order.kind = OrderOutcome::Kind::kStranded;
      outcome_.order.wayBack = back;
      // The names go back only where it is known which files wait outside.
      if (!back.folderAt.empty()) return UndoRefusal::kFilesWaiting;
      for (const Stranded& stranded : back.stranded) {
        if (!stranded.listed) return UndoRefusal::kFilesWaiting;
        waiting_.insert(stranded.names.begin(), stranded.names.end());
      }
    }
    folder_ = open_(journal.folder);
  }
  if (!folder_->isOpen()) return UndoRefusal::kFolderNotOpened;
  // Another folder under the same name (the folder was moved away and a
  // new one made) never took part. A volume mounted anew may number its
  // folders anew: only the same device can tell; and an order step gives
  // the folder's name to a new folder of its own.
  const std::optional<platform::FileId> id = folder_->Id();
  if (!journal.order && journal.folderId && id && id->device == journal.folderId->device &&
      id->node != journal.folderId->node) {
    return UndoRefusal::kOtherFolder;
  }
  undoPlan_ = ::PlanUndo(journal, *folder_, waiting_);
  undoJob_.SetFolder(journal.folder);
  undoJob_.LoadProposal(undoPlan_.renames);
  return UndoRefusal::kNone;
}

void Transaction::Begin() {
  if (kind_ == Kind::kUndo) Enter(Stage::kJournalled);
  Enter(Stage::kRenaming);
}

bool Transaction::Step(platform::Clock& clock, std::int64_t untilMs) {
  // Nothing goes on before Begin: there is nothing to step.
  if (stage_ != Stage::kRenaming && stage_ != Stage::kOrdering) return false;
  if (stage_ == Stage::kRenaming) {
    if (renames_->Step(clock, untilMs)) return true;
    Enter(kind_ == Kind::kRun ? Stage::kOrdering : Stage::kDone);
  }
  if (stage_ == Stage::kOrdering) {
    if (order_->Step(clock, untilMs)) return true;
    Enter(Stage::kDone);
  }
  return stage_ != Stage::kDone;
}

void Transaction::Stop() {
  if (stage_ == Stage::kRenaming) {
    renames_->Stop();
    Enter(Stage::kDone);
  } else if (stage_ == Stage::kOrdering) {
    order_->Stop();
    Enter(Stage::kDone);
  }
}

std::size_t Transaction::stepsDone() const {
  if (order_) return order_->movesDone();
  return renames_ ? renames_->rowsDone() : 0;
}

std::size_t Transaction::stepsTotal() const {
  if (order_) return order_->movesTotal();
  return renames_ ? renames_->total() : 0;
}

bool Transaction::Record(const platform::Error& added) {
  if (!added.failed()) return true;
  if (outcome_.journal.kind == JournalOutcome::Kind::kKept) {
    outcome_.journal.kind = JournalOutcome::Kind::kIncomplete;
    outcome_.journal.error = added;
  }
  return false;
}

void Transaction::RecordRenames() {
  if (renamesRecorded_ || !journalled_) return;
  renamesRecorded_ = true;
  Record(journal_.RecordResult(renames_->result()));
}

void Transaction::EnterOrdering() {
  // What the renames did goes to the journal before anything else moves.
  RecordRenames();
  const RunResult& result = renames_->result();
  OrderOutcome& order = outcome_.order;
  const bool wanted =
      !result.stopped && setup_.order != OrderPolicy::kNever &&
      (setup_.order == OrderPolicy::kAlways || IsFatFamily(folder_->fileSystem()));
  std::vector<std::string> renamed;
  for (std::size_t row = 0; wanted && row < result.outcomes.size(); ++row) {
    if (result.outcomes[row] == RowOutcome::kRenamed || result.outcomes[row] == RowOutcome::kSameName) {
      renamed.push_back(runJob_->row(row).newName);
    }
  }
  if (renamed.empty()) {
    Enter(Stage::kDone);
    return;
  }
  order.kind = OrderOutcome::Kind::kNotOrdered;
  if (!journalled_) {
    order.why = "without a journal no file is moved";
  } else if (outcome_.journal.kind == JournalOutcome::Kind::kIncomplete) {
    order.why = "its journal cannot be written (" + outcome_.journal.error.words + ")";
  } else {
    const OwnFiles::In own = setup_.own ? setup_.own->InFolder(*folder_) : OwnFiles::In();
    OrderDecision decision =
        PlanOrder(setup_.folder, std::move(renamed), DrawToken(*setup_.random),
                  [&own](const std::string& name) { return own.Has(name); }, open_);
    order.why = decision.problem;
    if (!decision.plan) {
      if (order.why.empty()) order.kind = OrderOutcome::Kind::kInOrder;
    } else if (!Record(journal_.RecordOrder(*decision.plan))) {
      // The whole plan is on the disk before the first move, or nothing moves.
      order.why = "its journal cannot be written (" + outcome_.journal.error.words + ")";
    } else {
      // What the program holds of the folder goes first: a folder held
      // open cannot be moved.
      folder_.reset();
      orderPlan_ = std::move(decision.plan);
      order_ = std::make_unique<OrderSession>(*orderPlan_, open_);
      return;
    }
  }
  Enter(Stage::kDone);
}

void Transaction::EnterDone() {
  outcome_.rows = renames_ ? renames_->result() : RunResult{};
  if (kind_ == Kind::kRun) {
    if (renames_) RecordRenames();
    if (!order_) return;
    OrderOutcome& order = outcome_.order;
    order.operations = order_->operations();
    order.wayBack = order_->wayBack();
    order.why = order_->problem();
    if (!order.wayBack.complete) {
      // The plan stays open in the journal: the next start or Undo goes on
      // with the way back.
      order.kind = OrderOutcome::Kind::kStranded;
      return;
    }
    Record(journal_.RecordOrderEnded());
    order.kind = order.why.empty() ? OrderOutcome::Kind::kInOrder : OrderOutcome::Kind::kNotOrdered;
    return;
  }
  // What was not given back stays in the journal for the next Undo.
  const std::vector<std::size_t> done = RowsDoneWith(undoPlan_, outcome_.rows);
  const bool left = done.size() < undoPlan_.renames.size() || !waiting_.empty() || journal_.OrderOpen();
  if (left) {
    if (!undoingRecorded_) undoingRecorded_ = Record(journal_.RecordUndoing(undoPlan_.journalRows));
    Record(journal_.RecordUndone(done));
  } else {
    Record(journal_.Spend());
  }
}

WayBackResult FinishOpenOrder(RunJournal& journal, const platform::FolderOpener& open) {
  if (!journal.OrderOpen()) return WayBackResult{};
  WayBackResult back = WayBack(*journal.contents().order, open);
  if (back.complete) {
    const platform::Error recorded = journal.RecordOrderEnded();
    if (recorded.failed()) back.error = recorded;
  }
  return back;
}
