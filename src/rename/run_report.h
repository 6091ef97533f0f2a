// What the user is told after a Run: the status line and, when rows failed,
// a message naming them.
#pragma once

#include "rename/rename_job.h"

#include <string>

// "COMPLETE!!" when every row was renamed, "N of M failed" otherwise.
std::string RunStatusText(const RunResult& result);

// The message naming the rows that failed, "old  ->  new: why", the first
// dozen of them and a count of the rest; empty when none failed.
std::string RunFailureReport(const RenameJob& job, const RunResult& result);
