#include "shell/texts.h"

#include "platform/bytes.h"
#include "shell/shell.h"

namespace shell {

namespace {
// Failed rows named in the report; the rest are counted.
constexpr std::size_t kReportedRows = 12;
// A name in the report is shortened in the middle to this many characters,
// so that the message fits on the screen.
constexpr std::size_t kReportedNameLength = 40;

const char kNothingChanged[] = "\n\nNothing was changed.";

std::string Count(std::size_t n) { return std::to_string(n); }

void AddParagraph(std::string* text, const std::string& paragraph) {
  if (paragraph.empty()) return;
  if (!text->empty()) *text += "\n\n";
  *text += paragraph;
}

// "COMPLETE!!" or "UNDONE" when every row was done, "N of M failed" when
// some failed, "stopped: N of M renamed" when the user stopped.
std::string RowsText(const StatusLine::Rows& rows, const char* done) {
  if (rows.stopped) return "stopped: " + Count(rows.renamed) + " of " + Count(rows.total) + " renamed";
  if (rows.failed == 0) return done;
  return Count(rows.failed) + " of " + Count(rows.total) + " failed";
}

// The rows that failed, "old  ->  new: why", the first dozen of them and a
// count of the rest; empty when none failed.
std::string FailureReport(const RenameJob& job, const RunResult& result) {
  if (result.failures.empty()) return std::string();
  const std::size_t total = result.outcomes.size();
  std::string report = Count(result.failures.size()) + " of " + Count(total) + (total == 1 ? " file" : " files") +
                       " could not be renamed:\n";
  std::size_t shown = 0;
  for (const RowFailure& failure : result.failures) {
    if (shown == kReportedRows) break;
    ++shown;
    const RenameRow& row = job.row(failure.row);
    report += "\n" + ReportedName(row.oldName) + "  ->  " + ReportedName(row.newName) + ": " + FailureText(failure);
  }
  if (shown < result.failures.size()) report += "\n... and " + Count(result.failures.size() - shown) + " more.";
  return report;
}

// What the user hears of a journal that could not record everything.
std::string JournalText(const JournalOutcome& journal, const char* what) {
  if (journal.kind != JournalOutcome::Kind::kIncomplete) return std::string();
  return std::string("The journal could not record ") + what + " (" + ErrorText(journal.error) + ").";
}

}  // namespace

std::string NoJournalText(const Question& question) {
  switch (question.noJournal) {
    case Question::NoJournal::kNoPlace: return "the program cannot tell where it lies, so it keeps no journal";
    case Question::NoJournal::kNoFullPath: return "the folder's full path cannot be told";
    case Question::NoJournal::kNotWritten: break;
  }
  return "its journal cannot be written (" + question.error.words + ")";
}

std::string CleanKindsText(const std::array<std::size_t, kOtherSystemsFileKinds>& counts) {
  static const char* const kKinds[kOtherSystemsFileKinds] = {"._ file", ".DS_Store", "Thumbs.db", "desktop.ini"};
  std::string words;
  for (std::size_t kind = 0; kind < kOtherSystemsFileKinds; ++kind) {
    if (counts[kind] == 0) continue;
    if (!words.empty()) words += ", ";
    words += Count(counts[kind]) + " " + kKinds[kind];
    if (kind == static_cast<std::size_t>(OtherSystemsFile::kAppleDouble) && counts[kind] != 1) words += "s";
  }
  return words;
}

std::string ErrorText(const platform::Error& error) {
  return error.words.empty() ? std::string("failed") : error.words;
}

std::string ReportedName(const std::string& name) {
  return platform::ShortenMiddle(platform::DisplayUtf8(name, true), kReportedNameLength);
}

QuestionWords WordsOf(const Question& question) {
  switch (question.kind) {
    case Question::Kind::kRun: return {"파일 이름을 바꾸시겠습니까?", "확인"};
    case Question::Kind::kExpress: return {"sure?\n\n[Search] - [Random] - [Run]", "Replace"};
    case Question::Kind::kRunWithoutJournal:
      return {"This Run cannot be undone: " + NoJournalText(question) + ".\n\nRename the files anyway?", "확인"};
    case Question::Kind::kUndo:
      return {"Undo the last Run?\n\n" + Count(question.count) + (question.count == 1 ? " file in\n" : " files in\n") +
                  question.folder + "\nget back the names they had.",
              "Undo"};
    case Question::Kind::kUndoCutShort:
      return {"The last Run was cut short: the program ended, or the disk went away, before it had "
              "finished.\n\nGive its files their old names back now?",
              "Undo"};
    case Question::Kind::kClean:
      return {"Remove " + Count(question.count) + (question.count == 1 ? " file" : " files") +
                  " that Macs and Windows keep beside the music (" + CleanKindsText(question.cleanCounts) +
                  ") from\n" + platform::DisplayUtf8(question.folder, true) +
                  "?\n\nPlayers list them as songs. Folders are never removed.\nThis cannot be undone.",
              "Remove"};
  }
  return {};
}

std::string WordsOf(const Message& message) {
  switch (message.kind) {
    case Message::Kind::kAbout: return CreditsText();
    case Message::Kind::kChooseMethod: return "method 선택 필요!!";
    case Message::Kind::kRandomFirst: return "random 실행 필요!!";
    case Message::Kind::kTooManyFiles:
      return "Too many files: Random can number at most " + Count(message.limit) + " files at a time, and " +
             Count(message.count) + " are listed.\n\nChoose a narrower extension or a smaller folder.";
    case Message::Kind::kAnotherCopyAtWork:
      return "Another Tarvello started from the same place is renaming files right now.\n\n"
             "Try again when it has finished. Nothing was changed.";
    case Message::Kind::kLastRunNotOver:
      return "The last Run is not over: " + WaitingText(*message.wayBack) + kNothingChanged;
    case Message::Kind::kEarlierJournalStays:
      return "The journal of an earlier Run can neither be replaced nor removed (" + message.error.words +
             "): Undo would take back that Run instead of this one." + kNothingChanged;
    case Message::Kind::kNothingToUndo: return "There is no Run to undo.";
    case Message::Kind::kJournalUnreadable:
      return "The journal of the last Run cannot be read (" + message.error.words + ")." + kNothingChanged;
    case Message::Kind::kJournalUnusable:
      return "The journal of the last Run cannot be used: " + JournalProblemText(message.journalProblem) + "." +
             kNothingChanged;
    case Message::Kind::kUndoFilesWaiting: return WaitingText(*message.wayBack) + "\n\nNothing else was changed.";
    case Message::Kind::kUndoFolderNotOpened:
      return "The folder of the last Run cannot be opened (" + message.error.words + "):\n" + message.folder +
             kNothingChanged;
    case Message::Kind::kUndoOtherFolder:
      return "The folder of the last Run is not the one that is there now:\n" + message.folder + kNothingChanged;
    case Message::Kind::kNothingToClean:
      return "No ._ file, .DS_Store, Thumbs.db or desktop.ini in\n" + platform::DisplayUtf8(message.folder, true) +
             ".";
    case Message::Kind::kCleaned: {
      std::string text = Count(message.count) + " of " + Count(message.limit) +
                         (message.limit == 1 ? " file" : " files") + " removed.";
      if (message.failed > 0) {
        text += "\n\n" + Count(message.failed) + " could not be removed (" + ErrorText(message.error) + ").";
      }
      return text;
    }
  }
  return std::string();
}

std::string StatusText(const StatusLine& status) {
  switch (status.kind) {
    case StatusLine::Kind::kNone: return std::string();
    case StatusLine::Kind::kFolderProblem:
      switch (status.folderProblem) {
        case StatusLine::FolderProblem::kNoFolder: return "no folder chosen";
        case StatusLine::FolderProblem::kLineBreak: return "line break in the path";
        case StatusLine::FolderProblem::kNotFound: return "folder not found";
        case StatusLine::FolderProblem::kNoAccess: return "no access";
        case StatusLine::FolderProblem::kNotFolder: return "not a folder";
        case StatusLine::FolderProblem::kOther: return status.error.words;
      }
      return std::string();
    case StatusLine::Kind::kForecast: {
      std::string text;
      if (status.forecast.willFail > 0) text = Count(status.forecast.willFail) + " will fail";
      if (status.forecast.losesText > 0) {
        if (!text.empty()) text += ", ";
        text += Count(status.forecast.losesText) + " lose text";
      }
      if (status.forecast.numberedAgain > 0) {
        if (!text.empty()) text += ", ";
        text += Count(status.forecast.numberedAgain) + " numbered already";
      }
      return text;
    }
    case StatusLine::Kind::kExpressStopped: return "Express stopped: names without numbers";
    case StatusLine::Kind::kRunEnded: return RowsText(status.rows, "COMPLETE!!");
    case StatusLine::Kind::kUndoEnded: return RowsText(status.rows, "UNDONE");
    case StatusLine::Kind::kNotOrdered:
      return "renamed, but not put in order on the disk: " + OrderProblemText(status.order);
    case StatusLine::Kind::kStillWaiting: return Count(status.waiting) + " still wait outside the folder";
    case StatusLine::Kind::kLeftOut: return Count(status.leftOut) + " left out: Mac or Windows files";
  }
  return std::string();
}

std::string BusyText(const Busy& busy) {
  switch (busy.kind) {
    case Busy::Kind::kNone: return std::string();
    case Busy::Kind::kSearching: return "searching...";
    case Busy::Kind::kSearchDone: return "done";
    case Busy::Kind::kRenaming: return "renaming... " + Count(busy.done) + " / " + Count(busy.total);
    case Busy::Kind::kOrdering: return "ordering... " + Count(busy.done) + " / " + Count(busy.total);
  }
  return std::string();
}

std::string ReportText(const SessionReport& report) {
  const TransactionOutcome& outcome = *report.outcome;
  std::string text = FailureReport(*report.job, outcome.rows);
  if (report.undo) {
    if (report.undoLeft && !text.empty()) text += "\n\nUndo again to give the rest their names back.";
    AddParagraph(&text, WaitingText(outcome.order.wayBack));
    AddParagraph(&text, JournalText(outcome.journal, "what this Undo gave back"));
    return text;
  }
  const OrderOutcome::Kind order = outcome.order.kind;
  if (order == OrderOutcome::Kind::kNotOrdered || order == OrderOutcome::Kind::kStranded) {
    AddParagraph(&text, "renamed, but not put in order on the disk: " + OrderProblemText(outcome.order.why));
  }
  AddParagraph(&text, WaitingText(outcome.order.wayBack));
  const std::string journal = JournalText(outcome.journal, "all of this Run");
  if (!journal.empty()) {
    AddParagraph(&text, journal + " Undo can still give every renamed file its old name back: where the "
                                  "journal cannot tell, it goes by the names on the disk.");
  }
  return text;
}

std::string TipText(RowForecast forecast) {
  switch (forecast) {
    case RowForecast::kFine: return "";
    case RowForecast::kSameName: return "keeps its name: nothing to do";
    case RowForecast::kTaken: return "will fail: the new name is taken";
    case RowForecast::kEmptyName: return "will fail: the new name is empty";
    case RowForecast::kBadName: return "will fail: no file can have this name here";
    case RowForecast::kLosesText: return "loses part of its name: the first five characters are no number";
    case RowForecast::kNumberedAgain: return "numbered already: Add puts a second number in front, Replace a new one";
  }
  return "";
}

std::string FailureText(const RowFailure& failure) {
  switch (failure.outcome) {
    case RowOutcome::kNotRun: return "not renamed: stopped";
    case RowOutcome::kNameTaken: return "the name is taken";
    case RowOutcome::kFileGone: return "the file is gone";
    case RowOutcome::kEmptyName: return "the new name is empty";
    case RowOutcome::kRenamed:
    case RowOutcome::kSameName: return "";
    case RowOutcome::kError: break;
  }
  return ErrorText(failure.error);
}

std::string OrderProblemText(const OrderProblem& problem) {
  const std::string error = " (" + ErrorText(problem.error) + ")";
  const std::string name = "\"" + problem.name + "\"";
  using Kind = OrderProblem::Kind;
  switch (problem.kind) {
    case Kind::kNone: return std::string();
    case Kind::kFolderNotOpened: return "the folder cannot be opened" + error;
    case Kind::kFolderNotRead: return "the folder cannot be read" + error;
    case Kind::kOwnerNotKept: return "the folder's owner cannot be kept" + error;
    case Kind::kFolderNotRenamed: return "the folder cannot take another name" + error;
    case Kind::kNewFolderNotNamed: return "the new folder cannot take the folder's name" + error;
    case Kind::kOrderRefused: return "the disk would not take the files in order";
    case Kind::kNotMovedBack: return name + " cannot be moved back" + error;
    case Kind::kNotMoved: return name + " cannot be moved" + error;
    case Kind::kNoPlaceHolder: return "no place holder can be made" + error;
    case Kind::kNoFolderBeside: return "no folder can be made beside it" + error;
    case Kind::kNoFolderInside: return "no folder can be made in it" + error;
    case Kind::kStopped: return "stopped";
    case Kind::kOrderNotKept: return "the disk did not keep the order";
    case Kind::kNotAllBack: return "not every entry is back in the folder" + error;
    case Kind::kNoJournal: return "without a journal no file is moved";
    case Kind::kJournalNotWritten: return "its journal cannot be written (" + problem.error.words + ")";
  }
  return std::string();
}

std::string JournalProblemText(JournalProblem problem) {
  switch (problem) {
    case JournalProblem::kNone: return std::string();
    case JournalProblem::kNotOurs: return "it is not a journal of this program";
    case JournalProblem::kDamaged: return "it is cut short or damaged";
    case JournalProblem::kFolderNotFull: return "its folder is not a full path";
    case JournalProblem::kNamesOutside: return "it names files outside its folder";
  }
  return std::string();
}

std::string WaitingText(const WayBackResult& wayBack) {
  if (wayBack.complete) return std::string();
  std::string report = "Not every file is back in its folder";
  if (wayBack.error.failed()) {
    report += " (" + ErrorText(wayBack.error) + ")";
  } else if (wayBack.left == WayBackResult::Left::kTemporaryFolder) {
    report += " (the temporary folder is still there)";
  } else if (wayBack.left == WayBackResult::Left::kPlaceHolder) {
    report += " (a place holder is still there)";
  }
  report += ".";
  if (!wayBack.folderAt.empty()) {
    report += "\n\nThe folder itself is now:\n" + platform::DisplayUtf8(wayBack.folderAt, true);
  }
  for (const Stranded& stranded : wayBack.stranded) {
    report += "\n\nWaiting in " + platform::DisplayUtf8(stranded.place, true) + ":";
    if (!stranded.listed) {
      report += "\n(what it holds cannot be read now)";
      continue;
    }
    std::size_t shown = 0;
    for (const std::string& name : stranded.names) {
      if (shown++ == kReportedRows) {
        report += "\n... and " + Count(stranded.names.size() - kReportedRows) + " more.";
        break;
      }
      report += "\n" + ReportedName(name);
    }
  }
  report += "\n\nUndo, or the next start of the program, brings them back once the disk lets it.";
  return report;
}

}  // namespace shell
