// The rename workflow of every front: start-up, Search, Random, Run, Express
// and Undo over one RenameJob, told to a RenameView. A front hands it
// commands, asks it what is possible now (Can), and draws its state and
// rows; the rules live here once. Around the steps: the preview of what Run
// will do, the journal of the last Run and its Undo, and long Runs and
// Undos as sessions that a front's timer steps on.
#pragma once

#include "platform/folder.h"
#include "platform/folder_watch.h"
#include "platform/pause.h"
#include "platform/random.h"
#include "rename/own_files.h"
#include "rename/rename_job.h"
#include "rename/rename_method.h"
#include "rename/rename_view.h"
#include "rename/row_model.h"
#include "rename/run_journal.h"
#include "rename/transaction.h"
#include "settings/ini_settings.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// What a front can ask the workflow to do.
enum class Command {
  kSearch,        // list the folder in the folder box
  kSelectFolder,  // pick a folder, put it in the folder box and Search
  kRandom,        // propose new names by the checked method
  kRun,           // rename, after a question
  kExpress,       // Search, Random and Run behind one question (Replace only)
  kUndo,          // give the files of the last Run their old names back
  kClean,         // remove the other systems' files of the folder in the folder box, after a question
  kAbout,         // the credits (possible whenever the workflow is idle)
  kStop,          // end a long Run or Undo between two renames (Esc)
  kTick,          // the front's timer: a long Run's next step, the preview's look
};

// What the status line says.
struct StatusLine {
  enum class Kind : std::uint8_t {
    kNone,
    kFolderProblem,   // Search lists nothing: folderProblem (and error) say why
    kForecast,        // a proposal: forecast.willFail rows will fail, forecast.losesText lose text
    kExpressStopped,  // Express stopped: names without numbers
    kRunEnded,        // rows: complete, stopped, or some failed
    kUndoEnded,       // rows: the same, for an Undo
    kNotOrdered,      // every row renamed, but not in order on the disk: order says why
    kStillWaiting,    // an Undo gave every name back, but `waiting` entries wait outside
    kLeftOut,         // Search left out `leftOut` files of other systems (._ files, .DS_Store...)
  };
  enum class FolderProblem : std::uint8_t { kNoFolder, kLineBreak, kNotFound, kNoAccess, kNotFolder, kOther };
  // What a Run or an Undo did with its rows.
  struct Rows {
    std::size_t total = 0;
    std::size_t renamed = 0;  // renamed, or kept the name they were to have
    std::size_t failed = 0;
    bool stopped = false;
    bool complete() const { return failed == 0 && !stopped; }
  };
  Kind kind = Kind::kNone;
  FolderProblem folderProblem = FolderProblem::kNoFolder;
  platform::Error error;
  ForecastCounts forecast;
  Rows rows;
  OrderProblem order;
  std::size_t waiting = 0;
  std::size_t leftOut = 0;
};

// A folder that lists nothing, and why.
StatusLine FolderProblem(const std::string& folder, const platform::Error& error);

// What stands over the lists: the busy kind of a Search, or a long Run's
// or Undo's progress.
struct Busy {
  enum class Kind : std::uint8_t { kNone, kSearching, kSearchDone, kRenaming, kOrdering };
  Kind kind = Kind::kNone;
  std::size_t done = 0;
  std::size_t total = 0;
};

// What a front draws: one snapshot of the workflow's state.
struct WorkflowState {
  bool randomEnabled = false;
  bool runEnabled = false;
  bool undoPossible = false;
  StatusLine status;
  Busy busy;
  // A long Run or Undo goes on: the front takes no input but Stop.
  bool sessionRunning = false;
  // The journal of a Run that was cut short (a crash, a pulled disk) was
  // found at start and has not been undone.
  bool cutShortRunFound = false;
};

// Where the workflow takes its random numbers, pauses, time, folders and
// settings file from. What is left empty is the real thing.
struct WorkflowServices {
  platform::RandomSource* random = nullptr;
  platform::Pauser* pauser = nullptr;
  platform::FolderOpener openFolder;
  // The program's own path, beside which the settings file and the journal
  // lie; unset: the running program's; empty: unknown, and there are none.
  std::optional<std::string> executablePath;
  platform::Clock* clock = nullptr;
  // False: no settings file is read or written (the command line).
  bool useSettings = true;
  OrderPolicy order = OrderPolicy::kAuto;
  // The journal's file operations; unset: the system's.
  JournalFiles* journalFiles = nullptr;
};

class RenameWorkflow {
 public:
  explicit RenameWorkflow(RenameView& view, WorkflowServices services = {});
  ~RenameWorkflow();
  RenameWorkflow(const RenameWorkflow&) = delete;
  RenameWorkflow& operator=(const RenameWorkflow&) = delete;

  // The start-up step: seeds the generator, reads the settings, fills the
  // boxes and radio buttons, disables Random and Run, and finds the journal
  // of an earlier Run; an order step of it that was cut short goes back
  // into its folder at once.
  void Start();

  // Whether the command would do anything now. Nothing is possible while a
  // command is under way (a question of its may be open), and only Stop and
  // Tick while a long Run or Undo goes on.
  bool Can(Command command) const;
  // No command is under way, nor a long Run or Undo.
  bool idle() const { return !inCommand_ && !session_; }
  // Carries the command out when it can; true when it was done (a question
  // answered No, a refusal, or a Tick with nothing to do give false).
  bool Do(Command command);
  // Select with the folder chosen already (given on the command line,
  // dropped on the window): into the folder box, then Search.
  bool SelectFolder(const std::string& folder);

  const WorkflowState& state() const { return state_; }
  // How soon the front's timer should tick again: at once while a long Run
  // goes on, and now and then for the preview otherwise.
  int TickIntervalMs() const;

  // The rows as the lists show them.
  std::size_t RowCount(ListSide side) const { return ShownRowCount(job_, side); }
  ShownRow Row(ListSide side, std::size_t row) const { return ShowRow(job_, side, row); }
  const RenameJob& job() const { return job_; }
  // What the last Run or Undo did: its rows, its order step, its journal;
  // none before the first.
  const TransactionOutcome* lastOutcome() const { return lastOutcome_ ? &*lastOutcome_ : nullptr; }
  const RunResult* lastResult() const { return lastOutcome_ ? &lastOutcome_->rows : nullptr; }
  // The rows of the last Run (the job's) or Undo (its renames back).
  const RenameJob& lastSessionJob() const { return lastUndo_ ? *lastUndo_ : job_; }
  // Why the last Run's files do not stand in the new order on the disk;
  // none when they do or when no order step was wanted. And how many
  // directory operations its order step took.
  OrderProblem lastOrderProblem() const { return lastOutcome_ ? lastOutcome_->order.why : OrderProblem(); }
  std::size_t lastOrderOperations() const { return lastOutcome_ ? lastOutcome_->order.operations : 0; }

  const CIniSettings& settings() const { return settings_; }
  // The journal of the last Run; empty when there is no settings folder.
  const std::string& journalPath() const { return journal_.path(); }

 private:

  // The steps, in the order of their effects.
  void InitRenameState();
  void LoadSettings();
  RenameMethod ReadMethod();
  void CheckMethod(RenameMethod method);
  void EnableActions(bool random, bool run);
  void OnSearch();
  platform::Error ScanFolder(const std::string& folder);
  void AddOldEntry(std::string name);
  bool OnRandom();
  bool GenerateNewNames(RenameMethod method);
  bool OnRun();
  bool RenameAll(bool confirm);
  // The Run's journal before its first rename, or the user's word to go
  // without one; false: nothing may be renamed.
  bool JournalRun(Transaction& run, bool fullPathKnown);
  bool OnExpress();
  // Without `ask`, the files go back without a question (the user was
  // asked already).
  bool OnUndo(bool ask = true);
  bool OnClean();
  // Refuses a command with a message; Undo's refusals also say whether
  // there is nothing to undo at all.
  bool Refuse(const Message& message);
  bool OnTick();

  void SetStatus(const StatusLine& status);
  void SetBusy(const Busy& busy, bool paintNow);
  std::unique_ptr<platform::Folder> OpenFolder(const std::string& path);
  void UpdatePreview(platform::Folder& folder);
  // True when the searched folder may have changed since it was last looked
  // at; its listing is then forgotten.
  bool NoticeChanges();
  void RefreshPreview();
  void StopWatching();
  void SetUndoAvailable(bool available);
  // A Run or an Undo, stepped until done.
  void BeginSession(std::unique_ptr<Transaction> session);
  void StepSession(std::int64_t untilMs);
  void EndSession();
  void EndRun(const Transaction& run);
  void EndUndo(const Transaction& undo);
  void ShowProgress();

  RenameView& view_;
  std::unique_ptr<platform::RandomSource> ownRandom_;
  std::unique_ptr<platform::Pauser> ownPauser_;
  std::unique_ptr<platform::Clock> ownClock_;
  platform::RandomSource& random_;
  platform::Pauser& pauser_;
  platform::Clock& clock_;
  platform::FolderOpener openFolder_;
  std::optional<std::string> executablePath_;
  bool useSettings_;

  RenameJob job_;
  CIniSettings settings_;
  std::string storedFolder_;
  std::string storedExtension_;
  int storedMethod_ = -1;

  WorkflowState state_;
  // A command is under way.
  bool inCommand_ = false;
  std::unique_ptr<Transaction> session_;
  std::int64_t lastShownMs_ = 0;
  std::optional<TransactionOutcome> lastOutcome_;
  std::unique_ptr<RenameJob> lastUndo_;
  OrderPolicy orderPolicy_;

  // The program's own files (the program, its settings file, its
  // journal), which Search never lists and the order step never moves.
  OwnFiles own_;
  RunJournal journal_;
  // The first Tick offers to undo a Run that was cut short.
  bool offerRecovery_ = false;
  // Watches the searched folder from Search until Run.
  platform::FolderWatch watch_;
  bool watching_ = false;
  bool previewShown_ = false;  // a proposal with its marks is on screen
  std::int64_t nextPreviewMs_ = 0;
};
