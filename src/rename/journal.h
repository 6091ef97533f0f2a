// The journal of the last Run: the folder and every row's old and new name,
// written and flushed to the disk before the first rename, then which rows
// were renamed. Undo reads it back, even after a restart, and goes by it.
//
// The file is text with counted byte strings, so that names keep every byte
// (line breaks and invalid UTF-8 included):
//   Tarvello journal 1
//   folder <bytes>           then the folder's bytes and a line feed
//   rows <count>
//   <old bytes> <new bytes>  then both names' bytes and a line feed, per row
//   ready                    the journal is whole; renaming may begin
//   result <count>           after the Run: one '1' (renamed) or '0' per row
//   spent                    after an Undo: nothing is left to undo
#pragma once

#include "rename/rename_job.h"

#include <string>
#include <vector>

struct Journal {
  std::string folder;
  std::vector<RenameRow> rows;  // in the Run's order
  bool finished = false;        // the Run's end was recorded
  std::vector<bool> renamed;    // when finished: which rows were renamed
  bool spent = false;           // an Undo has used it up
};

// The journal as it is written before the first rename.
std::string JournalStart(const std::string& folder, const RenameJob& job);
// What is added after the Run.
std::string JournalResult(const RunResult& result);
// What is added when an Undo has used the journal up.
std::string JournalSpent();

// Reads a journal. False, with the reason in words, when the text is not a
// whole journal (cut short before "ready", or damaged).
bool ParseJournal(const std::string& text, Journal* journal, std::string* problem);
