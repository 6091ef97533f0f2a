// The journal of the last Run: the folder and every row's old and new name,
// written and flushed to the disk before the first rename, then a record of
// each stage of the Run and of every Undo. Undo reads it back, even after a
// restart or a pulled stick, and plans from it and from what is on disk.
//
// The file is text with counted byte strings, so that names keep every byte
// (line breaks and invalid UTF-8 included):
//   Tarvello journal 3
//   folder <bytes>           then the folder's full path and a line feed
//   id <device> <node>       the folder's identity, when the system tells it
//   rows <count>
//   <old bytes> <new bytes>  then both names' bytes and a line feed, per row
//   ready                    the journal is whole; renaming may begin
// and then the records, each added whole after the head above:
//   result <count>           after the Run: per row '1' renamed, '0' not,
//                            '?' failed in a way that may have renamed it
//   order <s|i> <token> <moves> <ordered>
//                            before the order step's first move: its method
//                            (sibling folder or in place), the token of its
//                            temporary names, and then each move's name as
//                            <length>, a line feed, the bytes, a line feed
//   order d <token> <moves> <ordered>
//                            before the first rename of a Run that renames
//                            straight into a sibling folder: the first
//                            <ordered> moves as the number of their row (from
//                            its old name to its new one) and a line feed,
//                            the others' names as above
//   ordered                  every entry of the order step is back in the
//                            folder (in order or not), nothing left outside
//   undoing <count>          before an Undo's first rename: per row '1' it
//                            will try to give back, '0' not
//   undone <count>           after it: per row '1' given back, '0' not
//   spent                    nothing is left to undo
// "result" and "order" at most once each and before any Undo, "ordered"
// after "order" (also after Undos, when their way back finished it),
// "undone" after an "undoing", and "spent" last. A record cut short (a full disk, a
// pulled stick) and whatever follows it is no record: the reader stops
// before it, so that it never costs the records before it.
// Journals of the first two versions ("Tarvello journal 1": no id, no '?',
// no Undo records; "2": no "undoing") are read too.
#pragma once

#include "platform/folder.h"
#include "rename/order_step.h"
#include "rename/rename_job.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

// What the journal says a Run did with a row.
enum class RunMark : char {
  kNotRenamed = '0',
  kRenamed = '1',
  kUnsure = '?',  // the rename failed with an error that may not tell the truth
};

// The records that may follow the journal's head, in the order a Run and
// its Undos write them.
enum class JournalRecord : std::uint8_t {
  kReady,  // the head: no record yet
  kResult,
  kOrder,
  kOrdered,
  kUndoing,
  kUndone,
  kSpent,
};

struct Journal;
// Whether `next` may follow the records of `so`. The writer and the reader
// both keep to this.
bool RecordMayFollow(const Journal& so, JournalRecord next);

struct Journal {
  std::string folder;  // a full path
  std::optional<platform::FileId> folderId;
  std::vector<RenameRow> rows;   // in the Run's order, when kept
  std::size_t rowCount = 0;      // how many rows the Run had
  bool rowsKept = true;
  bool finished = false;         // the Run's end was recorded
  std::vector<RunMark> renamed;  // when finished: per row
  std::vector<bool> undone;      // per row: an Undo gave it back
  // Per row: an Undo set out to give it back and did not record what it
  // did (it was cut short): what is on disk tells.
  std::vector<bool> uncertain;
  bool spent = false;            // nothing is left to undo
  // The order step after the Run, when it began, and whether every entry
  // is back in the folder.
  std::shared_ptr<OrderPlan> order;
  bool orderEnded = false;
  // The last record read, and how many bytes of the text the good records
  // take: what follows (a record cut short) is not part of the journal.
  JournalRecord last = JournalRecord::kReady;
  std::uint64_t goodSize = 0;
  bool tornTail = false;
};

// The journal as it is written before the first rename.
std::string JournalStart(const std::string& fullFolder, const std::optional<platform::FileId>& id,
                         const RenameJob& job);
// The records.
std::string JournalResult(const RunResult& result);
std::string JournalOrder(const OrderPlan& plan);
std::string JournalOrdered();
// An Undo's rows (the journal's), those it sets out to give back and those
// it gave back.
std::string JournalUndoing(std::size_t rows, const std::vector<std::size_t>& tried);
std::string JournalUndone(std::size_t rows, const std::vector<std::size_t>& givenBack);
std::string JournalSpent();

// Why a journal cannot be used.
enum class JournalProblem : std::uint8_t {
  kNone,
  kNotOurs,       // it is not a journal of this program
  kDamaged,       // it is cut short or damaged
  kFolderNotFull, // its folder is not a full path
  kNamesOutside,  // it names files outside its folder
};

// Reads a journal. False, with the reason, when the text is not a
// journal whose head is whole (cut short before "ready", or damaged), or
// not one this program could have written: a folder that is no full path,
// or a name that would reach outside the folder ("../x", "/etc/x", "C:x").
// A record that does not read whole ends the journal there (tornTail).
// With kCheck the rows are checked but not kept (their number is), unless an
// order step's record needs them: enough to tell whether a Run was cut short
// and whether there is anything to undo.
enum class JournalRows : std::uint8_t { kKeep, kCheck };
bool ParseJournal(const std::string& text, Journal* journal, JournalProblem* problem,
                  JournalRows keep = JournalRows::kKeep);

// The renames that give the files of a journal's Run their old names back:
// from the last row to the first, each from its new name to its old one.
// Rows the Run did not rename, rows an Undo already gave back, and rows
// whose file waits outside the folder (`waiting`, by new name) are left
// out. Where the journal cannot tell (the Run or an Undo was cut short, or
// a rename failed with an error that may have taken effect), what is on
// disk decides: a row goes back when its new name is there and its old one
// is not.
struct UndoPlan {
  std::vector<RenameRow> renames;         // {from: new name, to: old name}
  std::vector<std::size_t> journalRows;  // each rename's row in the journal
};
UndoPlan PlanUndo(const Journal& journal, platform::Folder& folder,
                  const std::unordered_set<std::string>& waiting = {});

// The journal's rows that an Undo's session gave back, or that can never go
// back (the file is gone): the rest stay for the next Undo.
std::vector<std::size_t> RowsDoneWith(const UndoPlan& plan, const RunResult& result);
