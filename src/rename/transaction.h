// A Run, or an Undo, as one journalled transaction: its life in stages that
// are written down in the journal as it goes, one place that moves it from
// one stage to the next, and a typed outcome. Whatever stage it is cut in
// (a stop, a give-up, a kill, a pulled stick, a full disk), the journal and
// the one way back of the order step bring every file back into its folder;
// the order step counts as ended only once they have.
#pragma once

#include "platform/folder.h"
#include "platform/pause.h"
#include "platform/random.h"
#include "rename/journal.h"
#include "rename/order_step.h"
#include "rename/own_files.h"
#include "rename/rename_job.h"
#include "rename/run_journal.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>

// When a Run puts the folder's entries in the order of the new names on the
// disk: on FAT and exFAT volumes, where players play in that order; always
// (tests, other volumes); never.
enum class OrderPolicy { kAuto, kAlways, kNever };

// Where a transaction is.
enum class Stage : std::uint8_t {
  kPlan,        // the rows are known; nothing is on the disk yet
  kWayBack,     // an Undo: an order step that was cut short goes back first
  kJournalled,  // the plan is on the disk (or goes without, as the user chose)
  kRenaming,    // the renames, or an Undo's renames back
  kOrdering,    // the order step moves the entries, and checks the order
  kDone,
};

// What became of the order step.
struct OrderOutcome {
  enum class Kind : std::uint8_t {
    kNone,        // not wanted here, or nothing was renamed
    kInOrder,     // the entries stand in the new order on the disk, checked
    kNotOrdered,  // every entry in its folder, but not in order: why
    kStranded,    // entries wait outside their folder: where (wayBack)
  };
  Kind kind = Kind::kNone;
  OrderProblem why;
  WayBackResult wayBack;
  std::size_t operations = 0;
};

// What became of the journal.
struct JournalOutcome {
  enum class Kind : std::uint8_t {
    kKept,        // every record is on the disk
    kNone,        // the transaction went without a journal, as the user chose
    kIncomplete,  // a record could not be added after the first rename
  };
  Kind kind = Kind::kKept;
  platform::Error error;  // kIncomplete: why the record could not be added
};

struct TransactionOutcome {
  RunResult rows;
  OrderOutcome order;
  JournalOutcome journal;
};

// What a Run needs besides its job.
struct RunSetup {
  std::string folder;  // the full path, as platform::NormalFolderPath spells it
  OrderPolicy order = OrderPolicy::kAuto;
  platform::FolderOpener open;
  platform::RandomSource* random = nullptr;  // for the order step's token
  const OwnFiles* own = nullptr;
};

class Transaction {
 public:
  enum class Kind : std::uint8_t { kRun, kUndo };

  // A Run of the job's proposal. The job and the journal must outlive it.
  static std::unique_ptr<Transaction> ForRun(const RenameJob& job, RunJournal& journal, RunSetup setup);
  // An Undo of the journal's Run; the journal is read and locked.
  static std::unique_ptr<Transaction> ForUndo(RunJournal& journal, platform::FolderOpener open);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  Kind kind() const { return kind_; }
  Stage stage() const { return stage_; }
  // The folder worked in; whether it could be opened.
  platform::Folder& folder() { return *folder_; }

  // A Run: its journal, before the first rename. When it cannot be written
  // the user may choose to go without: then the journal of an earlier Run
  // goes first, so that Undo never takes that Run back instead; an error
  // of that means nothing may be renamed.
  platform::Error WriteJournal();
  platform::Error GoWithoutJournal();

  // An Undo: an order step cut short goes back first, then the renames
  // back are planned; or why nothing can be given back now.
  enum class UndoRefusal : std::uint8_t {
    kNone,
    kFilesWaiting,     // entries wait outside the folder, and which is not known (outcome's wayBack)
    kFolderNotOpened,  // folder().openError() says why
    kOtherFolder,      // another folder has the name of the Run's folder now
  };
  UndoRefusal PlanUndo();
  const UndoPlan& undoPlan() const { return undoPlan_; }

  // The renames begin; then Step goes on until done.
  void Begin();
  // Goes on until the clock passes `untilMs`; false once done.
  bool Step(platform::Clock& clock, std::int64_t untilMs);
  // Ends it between two renames or moves; the order step goes back.
  void Stop();

  // The rows renamed: the Run's job, or the Undo's renames back.
  const RenameJob& job() const { return kind_ == Kind::kRun ? *runJob_ : undoJob_; }
  // Progress: renames, or the order step's moves.
  std::size_t stepsDone() const;
  std::size_t stepsTotal() const;
  const TransactionOutcome& outcome() const { return outcome_; }

 private:
  Transaction(Kind kind, const RenameJob* runJob, RunJournal& journal, platform::FolderOpener open);
  // The one place a transaction moves from one stage to the next, and
  // what entering each stage does.
  void Enter(Stage next);
  void EnterOrdering();
  void EnterDone();
  // The Run's renames, recorded once they are over.
  void RecordRenames();
  // Whether the order step is wanted on this folder's volume.
  bool OrderWanted(platform::Folder& folder) const;
  // A Run that renames straight into a sibling folder in the new order,
  // where it can: planned and journalled before the first rename.
  bool PlanDirect();
  // Whether this folder can have it, and the temporary names' token.
  bool DirectPossible(std::string* token);
  // Its plan, from the rows' forecasts; none when it would rename nothing,
  // or a name could not be had here.
  std::unique_ptr<OrderPlan> DirectPlan(const std::string& token);
  // Its end: renamed and ordered; or given up, every file back, and then
  // renamed in place; or files left outside the folder.
  void EndDirect(bool stopped);
  // A record after the first rename; when it cannot be added, the outcome
  // says so.
  bool Record(const platform::Error& added);

  const Kind kind_;
  Stage stage_ = Stage::kPlan;
  const RenameJob* runJob_;
  RenameJob undoJob_;
  RunJournal& journal_;
  platform::FolderOpener open_;
  RunSetup setup_;
  std::unique_ptr<platform::Folder> folder_;
  bool journalled_ = false;
  // The Run renames straight into the sibling, as each row's forecast
  // says.
  bool direct_ = false;
  std::vector<RowForecast> forecasts_;
  bool renamesRecorded_ = false;
  bool undoingRecorded_ = false;
  UndoPlan undoPlan_;
  std::unordered_set<std::string> waiting_;
  std::unique_ptr<RunSession> renames_;
  std::unique_ptr<OrderPlan> orderPlan_;
  std::unique_ptr<OrderSession> order_;
  TransactionOutcome outcome_;
};

// The order step of the journal's Run, when it was cut short: its one way
// back, and the record of its end once every entry is back. The journal
// must be read and locked.
WayBackResult FinishOpenOrder(RunJournal& journal, const platform::FolderOpener& open);
