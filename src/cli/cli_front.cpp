#include "cli/cli_front.h"

#include "platform/bytes.h"
#include "platform/console.h"
#include "platform/pause.h"
#include "rename/other_systems_files.h"
#include "rename/rename_view.h"
#include "rename/workflow.h"
#include "shell/texts.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>

#ifndef TARVELLO_VERSION
#define TARVELLO_VERSION "unknown"
#endif

namespace cli {

namespace {

const char kUsage[] =
    "usage: tarvello-cli add|replace|delete FOLDER [-e EXT] [-y] [-n] [--order auto|always|never]\n"
    "       tarvello-cli undo [-y]\n"
    "       tarvello-cli clean FOLDER [-r] [-y] [-n]\n"
    "\n"
    "  add       put a random number in front of every name (0042_song.mp3)\n"
    "  replace   give numbered names new numbers\n"
    "  delete    take the numbers off again\n"
    "  undo      give the files of the last Run their old names back\n"
    "  clean     remove the files Macs and Windows keep beside the music (._ files,\n"
    "            .DS_Store, Thumbs.db, desktop.ini), which players list as songs;\n"
    "            only files of those names, never a folder; cannot be undone\n"
    "\n"
    "  -e, --ext EXT    the files whose last three letters are EXT, letter case aside\n"
    "                   (default mp3; --ext \"\" takes every file)\n"
    "  -r, --recursive  clean: every folder under FOLDER too (not the systems' own\n"
    "                   folders, no links)\n"
    "  -y, --yes        rename without asking\n"
    "  -n, --dry-run    show the new names and change nothing\n"
    "  --order ORDER    put the folder's entries in the new order on the disk too, for\n"
    "                   players that play in that order: auto (on FAT and exFAT),\n"
    "                   always, never\n"
    "  -h, --help       this text\n"
    "  --version        the program's version\n"
    "\n"
    "The proposal is shown first, then asked for on a terminal; without a\n"
    "terminal nothing is renamed unless --yes is given. A file is never\n"
    "replaced. Exit status: 0 all renamed, 1 some failed, 2 nothing done.\n";

// What Search leaves out, after "N files are left out".
constexpr char kLeftOutWords[] =
    " left out, the files Macs and Windows keep beside the music (._ files, .DS_Store, Thumbs.db, desktop.ini)";

// Failed rows named one by one; the rest are counted.
constexpr std::size_t kNamedFailures = 20;
// The old names of the proposal are padded to at most this many columns.
constexpr std::size_t kWidestColumn = 40;

struct Options {
  std::string command;
  std::string folder;
  std::string extension = "mp3";
  bool yes = false;
  bool dryRun = false;
  bool recursive = false;
  OrderPolicy order = OrderPolicy::kAuto;
};

enum class Parsed { kCommand, kHelp, kVersion, kError };

// Reads the arguments; a usage error is said in one line.
Parsed Parse(const std::vector<std::string>& arguments, Options* options) {
  CLI::App app("tarvello-cli", "tarvello-cli");
  app.set_help_flag();
  bool help = false, version = false;
  app.add_flag("-h,--help", help);
  app.add_flag("--version", version);
  app.add_flag("-y,--yes", options->yes);
  app.add_flag("-n,--dry-run", options->dryRun);
  app.add_flag("-r,--recursive", options->recursive);
  app.add_option("-e,--ext", options->extension);
  std::string order = "auto";
  app.add_option("--order", order)->check(CLI::IsMember({"auto", "always", "never"}));
  std::vector<std::string> words;
  app.add_option("words", words);
  app.allow_extras(false);
  // The parser takes the arguments last first, without the program's name.
  // "--ext=" is an empty filter, which the parser would take as no value.
  std::vector<std::string> reversed;
  for (std::size_t i = arguments.size(); i > 1; --i) {
    if (arguments[i - 1] == "--ext=") {
      reversed.push_back(std::string());
      reversed.push_back("--ext");
    } else {
      reversed.push_back(arguments[i - 1]);
    }
  }
  std::string problem;
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& error) {
    problem = error.what();
  }
  if (problem.empty() && help) return Parsed::kHelp;
  if (problem.empty() && version) return Parsed::kVersion;
  if (problem.empty()) {
    options->order = order == "always" ? OrderPolicy::kAlways : order == "never" ? OrderPolicy::kNever : OrderPolicy::kAuto;
    const std::string command = words.empty() ? std::string() : words[0];
    const bool renames = command == "add" || command == "replace" || command == "delete" || command == "clean";
    if (words.empty()) {
      problem = "no command given";
    } else if (!renames && command != "undo") {
      problem = "unknown command " + command;
    } else if (renames && words.size() != 2) {
      problem = command + " takes one folder";
    } else if (!renames && words.size() != 1) {
      problem = "undo takes no folder";
    } else if (options->recursive && command != "clean") {
      problem = "--recursive is for clean only";
    } else {
      options->command = command;
      if (renames) options->folder = words[1];
      return Parsed::kCommand;
    }
  }
  platform::Write(platform::Stream::kError, "tarvello-cli: " + problem + " (try --help)\n");
  return Parsed::kError;
}

void Say(const std::string& text) { platform::Write(platform::Stream::kError, text + "\n"); }

std::string Files(std::size_t count) { return std::to_string(count) + (count == 1 ? " file" : " files"); }
std::string FilesAre(std::size_t count) { return Files(count) + (count == 1 ? " is" : " are"); }

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

// Why a Run would go without a journal, naming the journal that cannot be
// written.
std::string NoJournalWords(const Question& question) {
  if (question.noJournal != Question::NoJournal::kNotWritten) return shell::NoJournalText(question);
  return "its journal " + platform::DisplayUtf8(question.journal, true) + " cannot be written (" +
         shell::ErrorText(question.error) + ")";
}

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
  const std::optional<Message>& lastMessage() const { return lastMessage_; }

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
    std::string progress;
    if (state.sessionRunning) {
      const Busy& busy = state.busy;
      progress = std::string(busy.kind == Busy::Kind::kOrdering ? "ordering on the disk " : "renaming ") +
                 std::to_string(busy.done) + " / " + std::to_string(busy.total);
    }
    if (progress == progress_) return;
    // One line, written over: a pipe gets none of it.
    const std::size_t blank = progress_.size() > progress.size() ? progress_.size() - progress.size() : 0;
    platform::Write(platform::Stream::kError, "\r" + progress + std::string(blank, ' ') + (progress.empty() ? "\r" : ""));
    progress_ = progress;
  }
  void PaintNow() override {}
  bool Ask(const Question& question) override {
    switch (question.kind) {
      // Asked already, with the proposal in view.
      case Question::Kind::kRun: return true;
      case Question::Kind::kRunWithoutJournal:
        if (options_.yes) {
          Say("tarvello-cli: this run cannot be undone: " + NoJournalWords(question));
          return true;
        }
        Say("This run cannot be undone: " + NoJournalWords(question) + ".");
        return Answer("rename the files anyway?");
      case Question::Kind::kUndo:
        if (options_.yes) return true;
        return Answer("give " + Files(question.count) + " in " + platform::DisplayUtf8(question.folder, true) +
                      " their old names back?");
      case Question::Kind::kExpress:
      case Question::Kind::kUndoCutShort:
      case Question::Kind::kClean: break;
    }
    // Never asked here: the command line has neither Express nor a timer,
    // and cleans by itself, showing the names first.
    return false;
  }
  void Tell(const Message& message) override {
    lastMessage_ = message;
    switch (message.kind) {
      case Message::Kind::kNothingToUndo: return;  // said by the caller
      case Message::Kind::kAnotherCopyAtWork:
        Say("tarvello-cli: another copy of the program, from the same place, is renaming files right now");
        return;
      case Message::Kind::kJournalUnreadable:
        Say("tarvello-cli: the journal " + platform::DisplayUtf8(message.folder, true) + " cannot be read (" +
            shell::ErrorText(message.error) + ")");
        return;
      case Message::Kind::kJournalUnusable:
        Say("tarvello-cli: the journal " + platform::DisplayUtf8(message.folder, true) + " cannot be used: " +
            shell::JournalProblemText(message.journalProblem));
        return;
      case Message::Kind::kEarlierJournalStays:
        Say("tarvello-cli: the journal " + platform::DisplayUtf8(message.folder, true) +
            " of an earlier run can neither be replaced nor removed (" + shell::ErrorText(message.error) +
            "): undo would take back that run instead of this one");
        return;
      case Message::Kind::kLastRunNotOver:
      case Message::Kind::kUndoFilesWaiting:
        Say(shell::WaitingText(*message.wayBack));
        return;
      case Message::Kind::kUndoFolderNotOpened:
        Say("tarvello-cli: the folder of the last run cannot be opened (" + shell::ErrorText(message.error) +
            "): " + platform::DisplayUtf8(message.folder, true));
        return;
      case Message::Kind::kUndoOtherFolder:
        Say("tarvello-cli: the folder of the last run is not the one that is there now: " +
            platform::DisplayUtf8(message.folder, true));
        return;
      case Message::Kind::kTooManyFiles:
        Say("tarvello-cli: " + std::to_string(message.count) + " files match, and at most " +
            std::to_string(message.limit) + " can be numbered at a time: choose a narrower --ext");
        return;
      case Message::Kind::kAbout:
      case Message::Kind::kChooseMethod:
      case Message::Kind::kRandomFirst:  // the command line always has both
      case Message::Kind::kNothingToClean:
      case Message::Kind::kCleaned: return;
    }
  }
  void Report(const SessionReport&) override {}
  bool PickFolder(std::string*) override { return false; }

 private:
  bool Answer(const std::string& prompt) {
    if (Confirmed(prompt)) return true;
    refused_ = true;
    return false;
  }

  const Options& options_;
  const RenameWorkflow* workflow_ = nullptr;
  std::string folder_;
  std::string extension_;
  RenameMethod method_ = RenameMethod::kNone;
  std::string progress_;
  bool refused_ = false;
  std::optional<Message> lastMessage_;
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
  if (waiting) Say(shell::WaitingText(outcome.order.wayBack));
  if (outcome.journal.kind == JournalOutcome::Kind::kIncomplete) {
    Say("the journal could not record " + journalWhat + " (" + shell::ErrorText(outcome.journal.error) + ")" +
        journalThen);
  }
  return waiting;
}

// The rows that failed on standard error (the first ones by name, those a
// stop left only counted), then the summary; the exit status.
int Report(const RenameJob& job, const RunResult& result, const char* done) {
  std::size_t named = 0, notReached = 0;
  for (const RowFailure& failure : result.failures) {
    if (failure.outcome == RowOutcome::kNotRun) {
      ++notReached;
    } else if (named++ < kNamedFailures) {
      Say(platform::DisplayUtf8(job.row(failure.row).oldName, true) + ": " + shell::FailureText(failure));
    }
  }
  if (named > kNamedFailures) Say("... and " + std::to_string(named - kNamedFailures) + " more failed");
  std::size_t renamed = 0, kept = 0;
  for (const RowOutcome outcome : result.outcomes) {
    renamed += outcome == RowOutcome::kRenamed;
    kept += outcome == RowOutcome::kSameName;
  }
  std::string summary = std::to_string(renamed) + " of " + Files(result.outcomes.size()) + " " + done;
  if (kept > 0) summary += ", " + std::to_string(kept) + " kept their names";
  if (named > 0) summary += ", " + std::to_string(named) + " failed";
  if (result.stopped) summary += " (stopped: " + std::to_string(notReached) + " not reached)";
  Say("tarvello-cli: " + summary);
  return result.failures.empty() ? kAllDone : kSomeFailed;
}

int NothingDone(const std::string& why) {
  Say("tarvello-cli: " + why);
  return kNothingDone;
}

std::string NotConfirmed(const char* what) {
  return platform::IsTerminal(platform::Stream::kIn)
             ? std::string("not confirmed: nothing was ") + what
             : std::string("not confirmed: no terminal to ask on; give --yes to go on without a question");
}

int Undo(RenameWorkflow& workflow, const CommandLineView& view) {
  if (!workflow.Can(Command::kUndo)) return NothingDone("there is no run to undo");
  if (!workflow.Do(Command::kUndo)) {
    const bool nothing = view.lastMessage() && view.lastMessage()->kind == Message::Kind::kNothingToUndo;
    return NothingDone(view.refused() ? NotConfirmed("changed")
                       : nothing      ? "there is no run to undo"
                                      : "nothing was changed");
  }
  Finish(workflow);
  const bool waiting = ReportLeftovers(*workflow.lastOutcome(), "what this undo gave back", "");
  const int status = Report(workflow.lastSessionJob(), *workflow.lastResult(), "got their names back");
  return waiting ? kSomeFailed : status;
}

// What a row's mark means, in a few words after it.
const char* MarkWords(RowForecast forecast) {
  switch (forecast) {
    case RowForecast::kFine: return nullptr;
    case RowForecast::kSameName: return "keeps its name";
    case RowForecast::kTaken: return "will fail: the name is taken";
    case RowForecast::kEmptyName: return "will fail: the new name is empty";
    case RowForecast::kBadName: return "will fail: no file can have this name here";
    case RowForecast::kLosesText: return "loses text: its first five characters are no number";
    case RowForecast::kNumberedAgain: return "numbered already";
  }
  return nullptr;
}

// The proposal, as the New list shows it, in columns: the number with its
// mark, the old name, the new name, and what a mark means.
void ShowProposal(const RenameWorkflow& workflow) {
  const std::size_t rows = workflow.job().newCount();
  std::vector<std::size_t> oldColumns(rows);
  std::size_t widest = 0, bytes = 0;
  for (std::size_t row = 0; row < rows; ++row) {
    const RenameRow& names = workflow.job().row(row);
    oldColumns[row] = platform::NameColumns(names.oldName);
    widest = std::max(widest, oldColumns[row]);
    bytes += names.oldName.size() + names.newName.size();
  }
  widest = std::min(widest, kWidestColumn);
  const std::size_t numberWidth = std::to_string(rows).size() + 1;
  std::string shown;
  shown.reserve(bytes + rows * (widest / 2 + 32));
  char number[24];
  for (std::size_t row = 0; row < rows; ++row) {
    const RowForecast forecast = workflow.job().forecast(row);
    const char* mark = RowMark(RoleOf(forecast));
    const std::size_t digits = static_cast<std::size_t>(std::to_chars(number, number + sizeof number, row + 1).ptr - number);
    const std::size_t numberColumns = digits + (*mark != '\0' ? 1 : 0);
    shown.append(numberWidth > numberColumns ? numberWidth - numberColumns : 0, ' ');
    shown += mark;
    shown.append(number, digits);
    shown += "  ";
    platform::AppendDisplayUtf8(&shown, workflow.job().row(row).oldName, true);
    shown.append(widest > oldColumns[row] ? widest - oldColumns[row] : 0, ' ');
    shown += "  ->  ";
    platform::AppendDisplayUtf8(&shown, workflow.job().row(row).newName, true);
    if (const char* words = MarkWords(forecast)) {
      shown += "   (";
      shown += words;
      shown += ")";
    }
    shown += '\n';
  }
  platform::Write(platform::Stream::kOut, shown);
}

// What the marks of the proposal add up to, and what to do about them.
void SayForecast(const ForecastCounts& counts) {
  if (counts.willFail > 0) Say("tarvello-cli: " + Files(counts.willFail) + " will fail (marked x)");
  if (counts.losesText > 0) {
    Say("tarvello-cli: " + Files(counts.losesText) + " would lose text (marked !): their names have no number");
  }
  if (counts.numberedAgain > 0) {
    Say("tarvello-cli: " + FilesAre(counts.numberedAgain) +
        " numbered already (marked #): add gives them a second number; \"replace\" gives them a new one");
  }
}

// Why a Search listed nothing.
std::string NoMatch(const RenameWorkflow& workflow, const Options& options) {
  const StatusLine& status = workflow.state().status;
  const std::string folder = platform::DisplayUtf8(options.folder, true) + ": ";
  if (status.kind == StatusLine::Kind::kFolderProblem) return folder + shell::StatusText(status);
  const std::string& ext = options.extension;
  const std::size_t leftOut = workflow.job().leftOutCount();
  if (leftOut > 0) {
    return folder + "no file to number: " + FilesAre(leftOut) + kLeftOutWords;
  }
  if (ext.size() > 3) {
    return folder + "no file ends in \"" + platform::DisplayUtf8(ext, true) +
           "\": the filter compares the last three letters of a name (--ext " +
           platform::DisplayUtf8(ext.substr(ext.size() - 3), true) + ")";
  }
  if (ext.empty()) return folder + "no file in the folder";
  return folder + "no file ends in \"" + platform::DisplayUtf8(ext, true) + "\"";
}

int Rename(RenameWorkflow& workflow, CommandLineView& view, const Options& options) {
  if (workflow.state().cutShortRunFound) {
    return NothingDone("the last run was cut short: \"tarvello-cli undo\" gives its files their names back first");
  }
  const RenameMethod method = options.command == "add"       ? RenameMethod::kAdd
                              : options.command == "replace" ? RenameMethod::kReplace
                                                             : RenameMethod::kDelete;
  view.TakeArguments(method);
  workflow.Do(Command::kSearch);
  if (workflow.job().oldCount() == 0) return NothingDone(NoMatch(workflow, options));
  if (!workflow.Do(Command::kRandom)) return NothingDone("nothing was changed");
  ShowProposal(workflow);
  SayForecast(workflow.job().forecastCounts());
  if (const std::size_t leftOut = workflow.job().leftOutCount()) {
    Say("tarvello-cli: " + FilesAre(leftOut) + kLeftOutWords);
  }
  const std::size_t count = workflow.job().newCount();
  if (options.dryRun) {
    Say("tarvello-cli: dry run: nothing was renamed");
    return kAllDone;
  }
  if (!options.yes && !Confirmed("rename " + Files(count) + "?")) return NothingDone(NotConfirmed("renamed"));
  if (!workflow.Do(Command::kRun)) return NothingDone(view.refused() ? NotConfirmed("renamed") : "nothing was renamed");
  Finish(workflow);
  const TransactionOutcome& outcome = *workflow.lastOutcome();
  if (outcome.order.why.any()) {
    Say("renamed, but not put in order on the disk: " + shell::OrderProblemText(outcome.order.why));
  }
  const bool waiting = ReportLeftovers(outcome, "all of this run",
                                       ": undo still gives every file its old name back, by the names on the disk");
  const int status = Report(workflow.lastSessionJob(), outcome.rows, "renamed");
  return waiting ? kSomeFailed : status;
}

int CleanFolder(const Options& options) {
  const std::string shownFolder = platform::DisplayUtf8(options.folder, true);
  const std::vector<FolderCleanPlan> plans =
      PlanTreeClean(options.folder, platform::OpenSystemFolder, options.recursive);
  const CleanPlan& top = plans.front().plan;
  if (top.listError.failed()) {
    return NothingDone(shownFolder + ": " + shell::StatusText(FolderProblem(options.folder, top.listError)));
  }
  // Each name with its folder below the chosen one; the folders that could
  // not be read are named.
  std::string shown;
  std::size_t files = 0;
  std::array<std::size_t, kOtherSystemsFileKinds> counts{};
  for (const FolderCleanPlan& folder : plans) {
    if (folder.plan.listError.failed()) {
      Say(platform::DisplayUtf8(folder.at.relative, true) + ": not read (" +
          shell::ErrorText(folder.plan.listError) + ")");
    }
    for (const std::string& name : folder.plan.names) {
      platform::AppendDisplayUtf8(&shown, folder.at.Below(name), true);
      shown += '\n';
    }
    files += folder.plan.names.size();
    for (std::size_t kind = 0; kind < counts.size(); ++kind) counts[kind] += folder.plan.counts[kind];
  }
  if (files == 0) return NothingDone(shownFolder + ": no ._ file, .DS_Store, Thumbs.db or desktop.ini");
  platform::Write(platform::Stream::kOut, shown);
  Say("tarvello-cli: " + Files(files) + " of Macs and Windows: " + shell::CleanKindsText(counts));
  if (options.dryRun) {
    Say("tarvello-cli: dry run: nothing was removed");
    return kAllDone;
  }
  if (!options.yes && !Confirmed("remove " + Files(files) + "? This cannot be undone.")) {
    return NothingDone(NotConfirmed("removed"));
  }
  std::size_t removed = 0, failed = 0;
  for (const FolderCleanPlan& folder : plans) {
    if (folder.plan.names.empty()) continue;
    const CleanResult result = Clean(*platform::OpenSystemFolder(folder.at.path), folder.plan);
    removed += result.removed;
    for (const CleanFailure& failure : result.failures) {
      if (failed++ >= kNamedFailures) continue;
      Say(platform::DisplayUtf8(folder.at.Below(failure.name), true) + ": " + shell::ErrorText(failure.error));
    }
  }
  if (failed > kNamedFailures) Say("... and " + std::to_string(failed - kNamedFailures) + " more failed");
  std::string summary = std::to_string(removed) + " of " + Files(files) + " removed";
  if (failed > 0) summary += ", " + std::to_string(failed) + " failed";
  Say("tarvello-cli: " + summary);
  return failed == 0 ? kAllDone : kSomeFailed;
}

}  // namespace

int Run(const std::vector<std::string>& arguments, const std::string& executablePath) {
  Options options;
  switch (Parse(arguments, &options)) {
    case Parsed::kHelp: platform::Write(platform::Stream::kOut, kUsage); return kAllDone;
    case Parsed::kVersion: platform::Write(platform::Stream::kOut, "tarvello-cli " TARVELLO_VERSION "\n"); return kAllDone;
    case Parsed::kError: return kNothingDone;
    case Parsed::kCommand: break;
  }
  // Renames nothing: neither the journal nor the last Run is its business.
  if (options.command == "clean") return CleanFolder(options);
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
