// The journal of the last Run: the folder and every row's old and new name,
// written and flushed to the disk before the first rename, then what the
// Run did and what each Undo gave back. Undo reads it back, even after a
// restart, and plans from it and from what is on disk.
//
// The file is text with counted byte strings, so that names keep every byte
// (line breaks and invalid UTF-8 included):
//   Tarvello journal 2
//   folder <bytes>           then the folder's full path and a line feed
//   id <device> <node>       the folder's identity, when the system tells it
//   rows <count>
//   <old bytes> <new bytes>  then both names' bytes and a line feed, per row
//   ready                    the journal is whole; renaming may begin
//   result <count>           after the Run: per row '1' renamed, '0' not,
//                            '?' failed in a way that may have renamed it
//   order <s|i> <token> <moves> <ordered>
//                            before the order step's first move: its method
//                            (sibling folder or in place), the token of its
//                            temporary names, and then each move's name as
//                            <length>, a line feed, the bytes, a line feed
//   ordered                  the order step has ended, all entries in place
//   undone <count>           after an Undo: per row '1' given back, '0' not
//   spent                    nothing is left to undo
// Journals of the first version ("Tarvello journal 1": no id, no '?', no
// undone) are read too.
#pragma once

#include "platform/folder.h"
#include "rename/order_step.h"
#include "rename/rename_job.h"

#include <memory>

#include <optional>
#include <string>
#include <vector>

// What the journal says a Run did with a row.
enum class RunMark : char {
  kNotRenamed = '0',
  kRenamed = '1',
  kUnsure = '?',  // the rename failed with an error that may not tell the truth
};

struct Journal {
  std::string folder;  // a full path
  std::optional<platform::FileId> folderId;
  std::vector<RenameRow> rows;   // in the Run's order
  bool finished = false;         // the Run's end was recorded
  std::vector<RunMark> renamed;  // when finished: per row
  std::vector<bool> undone;      // per row: an Undo gave it back
  bool spent = false;            // nothing is left to undo
  // The order step after the Run, when it began, and whether it ended.
  std::shared_ptr<OrderPlan> order;
  bool orderEnded = false;
};

// The journal as it is written before the first rename.
std::string JournalStart(const std::string& fullFolder, const std::optional<platform::FileId>& id,
                         const RenameJob& job);
// What is added after the Run.
std::string JournalResult(const RunResult& result);
// What is added before the order step's first move, and when it has ended.
std::string JournalOrder(const OrderPlan& plan);
std::string JournalOrdered();
// What is added after an Undo: the journal's rows it gave back.
std::string JournalUndone(std::size_t rows, const std::vector<std::size_t>& givenBack);
// What is added when nothing is left to undo.
std::string JournalSpent();

// Reads a journal. False, with the reason in words, when the text is not a
// whole journal (cut short before "ready", or damaged), or not one this
// program could have written: a folder that is no full path, or a name
// that would reach outside the folder ("../x", "/etc/x", "C:x").
bool ParseJournal(const std::string& text, Journal* journal, std::string* problem);

// The renames that give the files of a journal's Run their old names back:
// from the last row to the first, each from its new name to its old one.
// Rows the Run did not rename, and rows an Undo already gave back, are left
// out. Where the journal cannot tell (the Run was cut short, or its rename
// failed with an error that may have taken effect), what is on disk decides:
// a row goes back when its new name is there and its old one is not.
struct UndoPlan {
  std::vector<RenameRow> renames;         // {from: new name, to: old name}
  std::vector<std::size_t> journalRows;  // each rename's row in the journal
};
UndoPlan PlanUndo(const Journal& journal, platform::Folder& folder);

// The journal's rows that an Undo's session gave back, or that can never go
// back (the file is gone): the rest stay for the next Undo.
std::vector<std::size_t> RowsDoneWith(const UndoPlan& plan, const RunResult& result);
