#include "cli/cli_front.h"

#include "platform/bytes.h"
#include "platform/console.h"
#include "platform/pause.h"
#include "rename/rename_view.h"
#include "rename/run_report.h"
#include "rename/workflow.h"

#include <optional>

namespace cli {

namespace {

const char kUsage[] =
    "usage: tarvello-cli add|replace|delete FOLDER [--ext EXT] [--yes] [--dry-run]\n"
    "                    [--order=auto|always|never]\n"
    "       tarvello-cli undo [--yes]\n"
    "\n"
    "  add       put a random number in front of every name (0042_song.mp3)\n"
    "  replace   give numbered names new numbers\n"
    "  delete    take the numbers off again\n"
    "  undo      give the files of the last Run their old names back\n"
    "\n"
    "  --ext EXT   the files whose names end in EXT, letter case aside\n"
    "              (the last three letters; default mp3; --ext \"\" takes every file)\n"
    "  --yes       rename without asking\n"
    "  --dry-run   show the new names and change nothing\n"
    "  --order=    put the folder's entries in the new order on the disk too, for\n"
    "              players that play in that order: auto (on FAT and exFAT), always,\n"
    "              never\n"
    "\n"
    "The proposal is shown first, then asked for on a terminal; without a\n"
    "terminal nothing is renamed unless --yes is given. A file is never\n"
    "replaced. Exit status: 0 all renamed, 1 some failed, 2 nothing done.\n";

// The Run's own question, which the command line has asked already.
const char kRunQuestion[] = "파일 이름을 바꾸시겠습니까?";

struct Options {
  std::string command;
  std::string folder;
  std::string extension = "mp3";
  bool yes = false;
  bool dryRun = false;
  OrderPolicy order = OrderPolicy::kAuto;
};

// Why the arguments are no command; empty when they are one.
std::string Parse(const std::vector<std::string>& arguments, Options* options) {
  std::vector<std::string> words;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--yes") {
      options->yes = true;
    } else if (argument == "--dry-run") {
      options->dryRun = true;
    } else if (argument == "--ext") {
      if (++i == arguments.size()) return "--ext needs a value";
      options->extension = arguments[i];
    } else if (argument.rfind("--ext=", 0) == 0) {
      options->extension = argument.substr(6);
    } else if (argument.rfind("--order=", 0) == 0) {
      const std::string order = argument.substr(8);
      if (order == "auto") {
        options->order = OrderPolicy::kAuto;
      } else if (order == "always") {
        options->order = OrderPolicy::kAlways;
      } else if (order == "never") {
        options->order = OrderPolicy::kNever;
      } else {
        return "--order takes auto, always or never";
      }
    } else if (argument.size() > 1 && argument[0] == '-' && argument != "--") {
      return "unknown option " + argument;
    } else {
      words.push_back(argument);
    }
  }
  if (words.empty()) return "no command given";
  options->command = words[0];
  const bool renames = words[0] == "add" || words[0] == "replace" || words[0] == "delete";
  if (!renames && words[0] != "undo") return "unknown command " + words[0];
  if (renames && words.size() != 2) return words[0] + " takes one folder";
  if (!renames && words.size() != 1) return "undo takes no folder";
  if (renames) options->folder = words[1];
  return std::string();
}

void Say(const std::string& text) { platform::Write(platform::Stream::kError, text + "\n"); }

// A yes or no from the user on a terminal; no when there is none.
bool Confirmed(const std::string& prompt) {
  if (!platform::IsTerminal(platform::Stream::kIn)) return false;
  platform::Write(platform::Stream::kError, prompt + " [y/N] ");
  std::string answer;
  if (!platform::ReadLine(&answer)) return false;
  return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
}

class NoPause : public platform::Pauser {
 public:
  void Pause(int) override {}
};

// The command line as a front: the folder, the filter and the method come
// from the arguments, questions go to the terminal, messages to standard
// error, and a long Run's progress to a terminal.
class CommandLineView : public RenameView {
 public:
  explicit CommandLineView(const Options& options) : options_(options) {}
  void Attach(const RenameWorkflow& workflow) { workflow_ = &workflow; }
  // The arguments take the boxes' place once the workflow has started.
  void TakeArguments(RenameMethod method) {
    folder_ = options_.folder;
    extension_ = options_.extension;
    method_ = method;
  }
  bool refused() const { return refused_; }

  std::string FolderText() override { return folder_; }
  void SetFolderText(const std::string& text) override { folder_ = text; }
  std::string ExtensionText() override { return extension_; }
  void SetExtensionText(const std::string& text) override { extension_ = text; }
  RenameMethod CheckedMethod() override { return method_; }
  void SetCheckedMethod(RenameMethod method) override { method_ = method; }
  void RowsChanged() override {}
  void StateChanged() override {
    if (workflow_ == nullptr || !platform::IsTerminal(platform::Stream::kError)) return;
    const WorkflowState& state = workflow_->state();
    const std::string progress = state.sessionRunning ? state.overlay : std::string();
    if (progress == progress_) return;
    // One line, written over: a pipe gets none of it.
    platform::Write(platform::Stream::kError,
                    "\r" + progress + std::string(progress_.size() > progress.size()
                                                      ? progress_.size() - progress.size()
                                                      : 0,
                                                  ' ') +
                        (progress.empty() ? "\r" : ""));
    progress_ = progress;
  }
  void PaintNow() override {}
  bool AskYesNo(const std::string& text, const std::string&) override {
    if (text == kRunQuestion) return true;
    Say(text);
    if (options_.yes) return true;
    if (Confirmed("")) return true;
    refused_ = true;
    return false;
  }
  void ShowMessage(const std::string& text) override { Say(text); }
  void ShowReport(const std::string&) override {}
  bool PickFolder(std::string*) override { return false; }

 private:
  const Options& options_;
  const RenameWorkflow* workflow_ = nullptr;
  std::string folder_;
  std::string extension_;
  RenameMethod method_ = RenameMethod::kNone;
  std::string progress_;
  bool refused_ = false;
};

// Steps a long Run or Undo to its end; Ctrl+C stops it between two renames.
void Finish(RenameWorkflow& workflow) {
  while (workflow.state().sessionRunning) {
    workflow.Do(platform::TakeInterrupt() ? Command::kStop : Command::kTick);
  }
}

// What the order step and the journal left undone, on standard error;
// whether files wait outside their folder.
bool ReportLeftovers(const TransactionOutcome& outcome, const std::string& journalWhat,
                     const std::string& journalThen) {
  const bool waiting = outcome.order.kind == OrderOutcome::Kind::kStranded;
  if (waiting) Say(WaitingReport(outcome.order.wayBack));
  if (outcome.journal.kind == JournalOutcome::Kind::kIncomplete) {
    Say("the journal could not record " + journalWhat + " (" + outcome.journal.error.words + ")" + journalThen);
  }
  return waiting;
}

// Every failed row on standard error, then the summary; the exit status.
int Report(const RenameJob& job, const RunResult& result, const char* done) {
  for (const RowFailure& failure : result.failures) {
    Say(platform::DisplayUtf8(job.row(failure.row).oldName, true) + ": " + FailureWords(failure));
  }
  std::size_t renamed = 0, kept = 0;
  for (const RowOutcome outcome : result.outcomes) {
    renamed += outcome == RowOutcome::kRenamed;
    kept += outcome == RowOutcome::kSameName;
  }
  std::string summary = std::to_string(renamed) + " of " + std::to_string(result.outcomes.size()) +
                        " files " + done;
  if (kept > 0) summary += ", " + std::to_string(kept) + " kept their names";
  if (!result.failures.empty()) summary += ", " + std::to_string(result.failures.size()) + " failed";
  if (result.stopped) summary += " (stopped)";
  Say("tarvello-cli: " + summary);
  return result.failures.empty() ? kAllDone : kSomeFailed;
}

int NothingDone(const std::string& why) {
  Say("tarvello-cli: " + why);
  return kNothingDone;
}

}  // namespace

namespace {

int Undo(RenameWorkflow& workflow, const CommandLineView& view) {
  if (!workflow.Can(Command::kUndo)) return NothingDone("there is no Run to undo");
  if (!workflow.Do(Command::kUndo)) {
    return NothingDone(view.refused() ? "not confirmed: nothing was changed" : "nothing was changed");
  }
  Finish(workflow);
  const bool waiting = ReportLeftovers(*workflow.lastOutcome(), "what this undo gave back", "");
  const int status = Report(workflow.lastSessionJob(), *workflow.lastResult(), "got their names back");
  return waiting ? kSomeFailed : status;
}

// The proposal, as the New list shows it.
void ShowProposal(const RenameWorkflow& workflow) {
  std::string shown;
  for (std::size_t row = 0; row < workflow.job().newCount(); ++row) {
    const ShownRow old = workflow.Row(ListSide::kOld, row);
    const ShownRow proposed = workflow.Row(ListSide::kNew, row);
    shown += (proposed.number.size() > old.number.size() ? proposed.number : " " + proposed.number) +
             "  " + old.name + "  ->  " + proposed.name;
    if (!proposed.tip.empty()) shown += "   (" + proposed.tip + ")";
    shown += "\n";
  }
  platform::Write(platform::Stream::kOut, shown);
  if (!workflow.state().status.empty()) Say(workflow.state().status);
}

int Rename(RenameWorkflow& workflow, CommandLineView& view, const Options& options) {
  if (workflow.state().cutShortRunFound) {
    return NothingDone("the last Run was cut short: \"tarvello-cli undo\" gives its files their "
                       "names back first");
  }
  const RenameMethod method = options.command == "add"       ? RenameMethod::kAdd
                              : options.command == "replace" ? RenameMethod::kReplace
                                                             : RenameMethod::kDelete;
  view.TakeArguments(method);
  workflow.Do(Command::kSearch);
  if (workflow.job().oldCount() == 0) {
    const std::string& why = workflow.state().status;
    return NothingDone(options.folder + ": " + (why.empty() ? "no file matches" : why));
  }
  if (!workflow.Do(Command::kRandom)) return NothingDone("nothing was changed");
  ShowProposal(workflow);
  const std::size_t count = workflow.job().newCount();
  if (options.dryRun) {
    Say("tarvello-cli: dry run: nothing was renamed");
    return kAllDone;
  }
  if (!options.yes && !Confirmed("rename " + std::to_string(count) + (count == 1 ? " file?" : " files?"))) {
    return NothingDone(platform::IsTerminal(platform::Stream::kIn)
                           ? "not confirmed: nothing was renamed"
                           : "not confirmed: no terminal to ask on, and no --yes");
  }
  if (!workflow.Do(Command::kRun)) {
    return NothingDone(view.refused() ? "not confirmed: nothing was renamed" : "nothing was renamed");
  }
  Finish(workflow);
  const TransactionOutcome& outcome = *workflow.lastOutcome();
  if (!outcome.order.why.empty()) Say("renamed, but not put in order on the disk: " + outcome.order.why);
  const bool waiting = ReportLeftovers(outcome, "all of this run",
                                       ": undo still gives every file its old name back, by the names on the disk");
  const int status = Report(workflow.lastSessionJob(), outcome.rows, "renamed");
  return waiting ? kSomeFailed : status;
}

}  // namespace

int Run(const std::vector<std::string>& arguments, const std::string& executablePath) {
  Options options;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == "--help" || arguments[i] == "-h") {
      platform::Write(platform::Stream::kOut, kUsage);
      return kAllDone;
    }
  }
  const std::string problem = Parse(arguments, &options);
  if (!problem.empty()) {
    platform::Write(platform::Stream::kError, "tarvello-cli: " + problem + "\n\n" + kUsage);
    return kNothingDone;
  }

  CommandLineView view(options);
  NoPause noPause;
  WorkflowServices services;
  services.pauser = &noPause;
  services.executablePath = executablePath;
  services.useSettings = false;
  services.order = options.order;
  RenameWorkflow workflow(view, services);
  view.Attach(workflow);
  workflow.Start();
  platform::CatchInterrupts();
  return options.command == "undo" ? Undo(workflow, view) : Rename(workflow, view, options);
}

}  // namespace cli
