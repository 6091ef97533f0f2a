// The words of both windows for what the workflow tells them: its
// questions, messages, status line, busy and progress texts, the report
// after a Run or an Undo and the tips of the rows. The program's own texts
// stand here once, exactly as the windows show them.
#pragma once

#include "rename/row_model.h"
#include "rename/workflow.h"

#include <string>

namespace shell {

struct QuestionWords {
  std::string text;
  std::string caption;
};
QuestionWords WordsOf(const Question& question);
// A message box's text.
std::string WordsOf(const Message& message);
std::string StatusText(const StatusLine& status);
// What stands over the lists; empty: nothing.
std::string BusyText(const Busy& busy);
// The message after a Run or an Undo: the rows that failed, what the order
// step and the journal could not do; empty when all went well.
std::string ReportText(const SessionReport& report);
// A row's tip: what the Run will do with it, when not the plain thing.
std::string TipText(RowForecast forecast);

// The parts, which the command line words alike.
// Why a row was not renamed.
std::string FailureText(const RowFailure& failure);
// Why a Run would go without a journal (kRunWithoutJournal).
std::string NoJournalText(const Question& question);
// Why the entries do not stand in order on the disk.
std::string OrderProblemText(const OrderProblem& problem);
// Why a journal cannot be used.
std::string JournalProblemText(JournalProblem problem);
// Where the entries of an order step that could not all go back wait, and
// that Undo (or the next start) brings them back: empty when none wait.
std::string WaitingText(const WayBackResult& wayBack);
// A file name as a report shows it: rendered for the screen and, when
// long, shortened in the middle ("LLLL…LLL.mp3").
std::string ReportedName(const std::string& name);
// "2 ._ files, 1 Thumbs.db": what a clean finds, kind by kind.
std::string CleanKindsText(const std::array<std::size_t, kOtherSystemsFileKinds>& counts);
// An error's words, or "failed" when it has none.
std::string ErrorText(const platform::Error& error);

}  // namespace shell
