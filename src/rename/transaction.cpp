#include "rename/transaction.h"

#include "platform/path.h"

#include <algorithm>
#include <string_view>

namespace {

// The temporary names' token: four letters or digits.
std::string DrawToken(platform::RandomSource& random) {
  std::string token;
  for (std::size_t i = 0; i < kTokenLength; ++i) token += kTokenAlphabet[random.Next15() % 36];
  return token;
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
      // On a stick, a Run renames straight into the order it will stand in
      // where it can.
      if (kind_ == Kind::kRun && PlanDirect()) return;
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
  if (kind_ != Kind::kRun || stage_ != Stage::kPlan) return platform::MakeError(platform::ErrorCode::kBusy);
  if (setup_.folder.empty()) return platform::MakeError(platform::ErrorCode::kNotFound);
  const platform::Error written = journal_.Begin(setup_.folder, folder_->Id(), *runJob_);
  if (written.failed()) return written;
  journalled_ = true;
  Enter(Stage::kJournalled);
  return written;
}

platform::Error Transaction::GoWithoutJournal() {
  if (kind_ != Kind::kRun || stage_ != Stage::kPlan) return platform::MakeError(platform::ErrorCode::kBusy);
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
  if (stage_ == Stage::kRenaming && direct_) {
    if (order_->Step(clock, untilMs)) return true;
    EndDirect(false);
  }
  if (stage_ == Stage::kRenaming) {
    if (renames_->Step(clock, untilMs)) return true;
    outcome_.rows = renames_->result();
    // After a pass straight into the sibling that gave up, no second try.
    Enter(kind_ == Kind::kRun && outcome_.order.kind == OrderOutcome::Kind::kNone ? Stage::kOrdering
                                                                                   : Stage::kDone);
  }
  if (stage_ == Stage::kOrdering) {
    if (order_->Step(clock, untilMs)) return true;
    Enter(Stage::kDone);
  }
  return stage_ != Stage::kDone;
}

void Transaction::Stop() {
  if (stage_ == Stage::kRenaming && direct_) {
    order_->Stop();
    EndDirect(true);
    if (stage_ == Stage::kDone) return;
  }
  if (stage_ == Stage::kRenaming) {
    renames_->Stop();
    outcome_.rows = renames_->result();
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
  Record(journal_.RecordResult(outcome_.rows));
}

bool Transaction::OrderWanted(platform::Folder& folder) const {
  return setup_.order != OrderPolicy::kNever &&
         (setup_.order == OrderPolicy::kAlways || platform::IsFatFamily(folder.fileSystem()));
}

bool Transaction::DirectPossible(std::string* token) {
  // Only with the journal, in a folder that can swap with a sibling (not a
  // volume's root, not the program's own folder, a name that leaves room
  // for the temporary names beside it).
  if (!journalled_ || !OrderWanted(*folder_) || folder_->IsVolumeRoot()) return false;
  if (setup_.own && setup_.own->InFolder(*folder_).any()) return false;
  const platform::PathParts parts = platform::SplitPath(setup_.folder);
  *token = DrawToken(*setup_.random);
  const std::unique_ptr<platform::Folder> parent = open_(parts.folder);
  return parent->isOpen() && parent->CanHoldName(SiblingFolderName(parts.name, *token)) &&
         parent->CanHoldName(FormerFolderName(parts.name, *token));
}

std::unique_ptr<OrderPlan> Transaction::DirectPlan(const std::string& token) {
  // The folder's names: Search's listing while nothing changed since, or
  // a listing now. A name the listing missed stays in the folder, and goes
  // along once the folders have swapped.
  const std::vector<std::string>* listed = runJob_->OtherListedNames();
  std::vector<std::string> names;
  if (listed == nullptr &&
      folder_->ListEntries([&](const platform::FolderEntry& entry) { names.push_back(entry.name); }).failed()) {
    return nullptr;
  }
  // Which rows a Run in place would rename, row by row, as the preview
  // said: those go to the sibling under their new names, in their order;
  // every other entry (the rows that would fail among them) goes along
  // under its own name.
  forecasts_ = runJob_->Predict(*folder_, listed == nullptr ? &names : nullptr);
  std::vector<std::pair<std::string_view, std::size_t>> renamed;
  std::vector<std::string> others;
  for (std::size_t row = 0; row < forecasts_.size(); ++row) {
    // A name the disk cannot take is told by the disk itself, in place.
    if (forecasts_[row] == RowForecast::kBadName) return nullptr;
    if (ForecastFails(forecasts_[row])) {
      others.push_back(runJob_->row(row).oldName);
    } else {
      renamed.emplace_back(runJob_->row(row).newName, row);
    }
  }
  if (renamed.empty()) return nullptr;
  if (listed != nullptr) {
    others.insert(others.end(), listed->begin(), listed->end());
  } else {
    // From a listing now: its names but those of the renamed rows' files.
    std::unordered_set<std::string_view> leaving;
    for (const auto& [name, row] : renamed) leaving.insert(runJob_->row(row).oldName);
    others.clear();
    for (std::string& name : names) {
      if (leaving.count(name) == 0) others.push_back(std::move(name));
    }
  }
  std::sort(renamed.begin(), renamed.end());
  auto plan = std::make_unique<OrderPlan>();
  plan->method = OrderMethod::kDirect;
  plan->folder = setup_.folder;
  plan->token = token;
  plan->ordered = renamed.size();
  plan->sources.reserve(renamed.size() + others.size());
  plan->moves.reserve(renamed.size() + others.size());
  plan->rows.reserve(renamed.size());
  for (const auto& [name, row] : renamed) {
    plan->sources.push_back(runJob_->row(row).oldName);
    plan->moves.emplace_back(name);
    plan->rows.push_back(row);
  }
  for (const std::string& name : others) {
    plan->sources.push_back(name);
    plan->moves.push_back(name);
  }
  return plan;
}

bool Transaction::PlanDirect() {
  std::string token;
  std::unique_ptr<OrderPlan> plan;
  if (!DirectPossible(&token) || !(plan = DirectPlan(token))) return false;
  // The whole plan is on the disk before the first move; without it the
  // Run goes in place.
  if (!Record(journal_.RecordOrder(*plan))) return false;
  // What the program holds of the folder goes first: a folder held open
  // cannot be moved.
  folder_.reset();
  orderPlan_ = std::move(plan);
  order_ = std::make_unique<OrderSession>(*orderPlan_, open_);
  direct_ = true;
  return true;
}

void Transaction::EndDirect(bool stopped) {
  const OrderSession& pass = *order_;
  const std::size_t total = runJob_->newCount();
  RunResult& rows = outcome_.rows;
  rows.outcomes.assign(total, RowOutcome::kNotRun);
  rows.failures.clear();
  rows.done = total;
  const bool done = pass.swapped() && pass.wayBack().complete;
  if (done) {
    // Every file stands in the new folder, renamed as the preview said.
    for (std::size_t move = 0; move < orderPlan_->rows.size(); ++move) {
      const RenameRow& r = runJob_->row(orderPlan_->rows[move]);
      rows.outcomes[orderPlan_->rows[move]] = pass.gone()[move] ? RowOutcome::kFileGone
                                              : r.oldName == r.newName ? RowOutcome::kSameName
                                                                       : RowOutcome::kRenamed;
    }
    for (std::size_t row = 0; row < total; ++row) {
      if (forecasts_[row] == RowForecast::kTaken) rows.outcomes[row] = RowOutcome::kNameTaken;
      if (forecasts_[row] == RowForecast::kEmptyName) rows.outcomes[row] = RowOutcome::kEmptyName;
    }
  } else if (!pass.wayBack().complete) {
    // Files wait outside the folder, those moved under their new names:
    // nothing more is renamed.
    for (const std::size_t row : orderPlan_->rows) rows.outcomes[row] = RowOutcome::kRenamed;
  }
  if (done || !pass.wayBack().complete || stopped) {
    for (std::size_t row = 0; row < total; ++row) {
      const RowOutcome outcome = rows.outcomes[row];
      if (outcome != RowOutcome::kRenamed && outcome != RowOutcome::kSameName) {
        rows.failures.push_back(RowFailure{row, outcome, platform::Error{}});
      }
    }
    rows.stopped = stopped && !done;
    Enter(Stage::kDone);
    return;
  }
  // Given up before the swap, every file back under its old name: the Run
  // goes on in place, and its files stay where they stand on the disk.
  Record(journal_.RecordOrderEnded());
  outcome_.order.kind = OrderOutcome::Kind::kNotOrdered;
  outcome_.order.why = pass.problem();
  outcome_.order.operations = pass.operations();
  order_.reset();
  direct_ = false;
  rows = RunResult{};
  folder_ = open_(setup_.folder);
  renames_ = std::make_unique<RunSession>(job(), *folder_);
}

void Transaction::EnterOrdering() {
  // What the renames did goes to the journal before anything else moves.
  RecordRenames();
  const RunResult& result = outcome_.rows;
  OrderOutcome& order = outcome_.order;
  const bool wanted = !result.stopped && OrderWanted(*folder_);
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
    order.why.kind = OrderProblem::Kind::kNoJournal;
  } else if (outcome_.journal.kind == JournalOutcome::Kind::kIncomplete) {
    order.why = {OrderProblem::Kind::kJournalNotWritten, outcome_.journal.error, {}};
  } else {
    const OwnFiles::In own = setup_.own ? setup_.own->InFolder(*folder_) : OwnFiles::In();
    OrderDecision decision =
        PlanOrder(setup_.folder, std::move(renamed), DrawToken(*setup_.random),
                  [&own](const std::string& name) { return own.Has(name); }, open_);
    order.why = decision.problem;
    if (!decision.plan) {
      if (!order.why.any()) order.kind = OrderOutcome::Kind::kInOrder;
    } else if (!Record(journal_.RecordOrder(*decision.plan))) {
      // The whole plan is on the disk before the first move, or nothing moves.
      order.why = {OrderProblem::Kind::kJournalNotWritten, outcome_.journal.error, {}};
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
  if (kind_ == Kind::kRun) {
    // A pass straight into the sibling whose files wait outside the folder
    // records no result: the way back gives them their old names.
    if (renames_ || (direct_ && order_->wayBack().complete)) RecordRenames();
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
    order.kind = order.why.any() ? OrderOutcome::Kind::kNotOrdered : OrderOutcome::Kind::kInOrder;
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
