// tarvello-cli: the command line over the same workflow as the windows, for
// scripts and for users who fill a stick from a terminal.
//
//   tarvello-cli add|replace|delete FOLDER [--ext EXT] [--yes] [--dry-run]
//   tarvello-cli undo [--yes]
//
// It shows the proposal, asks on a terminal, renames without ever replacing
// a file, prints every row that failed on standard error and a summary
// last. Exit status: 0 when every row was renamed or kept its name, 1 when
// some failed, 2 when nothing was done.
#pragma once

#include <string>
#include <vector>

namespace cli {

constexpr int kAllDone = 0;
constexpr int kSomeFailed = 1;
constexpr int kNothingDone = 2;

// Runs the command line `arguments` (the program's own name first) as the
// program at `executablePath`, beside which its journal lies.
int Run(const std::vector<std::string>& arguments, const std::string& executablePath);

}  // namespace cli
