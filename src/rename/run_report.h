// What the user is told after a Run: the status line and, when rows failed,
// a message naming them.
#pragma once

#include "rename/order_step.h"
#include "rename/rename_job.h"

#include <string>

// `done` ("COMPLETE!!") when every row was renamed, "N of M failed" when
// some failed, "stopped: N of M renamed" when the user stopped the Run.
std::string RunStatusText(const RunResult& result, const std::string& done);

// A file name as the report shows it: rendered for the screen and, when
// long, shortened in the middle ("LLLL…LLL.mp3").
std::string ReportedName(const std::string& name);

// The message naming the rows that failed, "old  ->  new: why", the first
// dozen of them and a count of the rest; empty when none failed.
std::string RunFailureReport(const RenameJob& job, const RunResult& result);

// Where the entries of an order step that could not all go back wait, and
// that Undo (or the next start) brings them back: empty when none wait.
std::string WaitingReport(const WayBackResult& wayBack);
// How many entries wait outside the folder (at least one when the way back
// could not tell).
std::size_t WaitingCount(const WayBackResult& wayBack);
