// The one owner of the journal file: its path, the lock that keeps two
// copies of the program from writing it at once, and every write to it.
// Each record goes on whole or not at all, and only in the order a Run and
// its Undos go (see journal.h); it answers whether a Run was cut short and
// whether there is anything for Undo to take back.
#pragma once

#include "platform/error.h"
#include "platform/lock.h"
#include "rename/journal.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The file operations the journal needs. The real ones are the system's;
// a test fails any of them at will.
class JournalFiles {
 public:
  virtual ~JournalFiles() = default;
  virtual platform::Error Read(const std::string& path, std::string* text);
  // The whole file, atomically: the old content or the new one.
  virtual platform::Error Replace(const std::string& path, const std::string& text);
  // Adds to the end and flushes; on failure what it added is cut back as
  // far as the disk lets it.
  virtual platform::Error Append(const std::string& path, const std::string& text);
  // Cuts the file back to `size` bytes.
  virtual platform::Error CutTo(const std::string& path, std::uint64_t size);
  virtual platform::Error Remove(const std::string& path);
  // Removes what a Replace cut short left beside the file.
  virtual void RemoveLeftovers(const std::string& path);
  virtual std::unique_ptr<platform::ExclusiveLock> Lock(const std::string& path);

  // The system's own.
  static JournalFiles& System();
};

class RunJournal {
 public:
  explicit RunJournal(JournalFiles& files = JournalFiles::System()) : files_(files) {}

  // Where the journal lies; empty: the program keeps none.
  void SetPath(std::string path) {
    path_ = std::move(path);
    readBack_.reset();
  }
  const std::string& path() const { return path_; }
  bool kept() const { return !path_.empty(); }

  // The lock of the journal's place, held from the start of a Run or an
  // Undo to its end. False when another program holds it.
  bool Lock();
  void Unlock() { lock_.reset(); }
  bool locked() const { return lock_ != nullptr; }

  // Reads what is on the disk now; with kCheck, without keeping the rows
  // where nothing needs them (see ParseJournal).
  enum class Found : std::uint8_t {
    kNothing,     // no journal: no Run to undo
    kUnreadable,  // it cannot be read: readError() says why
    kUnusable,    // no journal of this program, or damaged: problem() says why
    kUsable,
  };
  Found Read(JournalRows rows = JournalRows::kKeep);
  Found found() const { return found_; }
  const Journal& contents() const { return contents_; }
  const platform::Error& readError() const { return readError_; }
  JournalProblem problem() const { return problem_; }
  // What was read, and what was written since: whether a Run was cut short
  // before its end was recorded, or in its order step; whether its order
  // step is open (entries may wait outside their folder); whether Undo has
  // anything to take back.
  bool CutShort() const;
  bool OrderOpen() const;
  bool Undoable() const;

  // A new Run's journal, in place of any other: the head, flushed to the
  // disk before the first rename.
  platform::Error Begin(const std::string& fullFolder, const std::optional<platform::FileId>& id,
                        const RenameJob& job);
  // A Run without a journal: the journal of an earlier Run is removed (or
  // marked spent), so that Undo never takes that Run back instead.
  platform::Error Forget();
  platform::Error RecordResult(const RunResult& result);
  platform::Error RecordOrder(const OrderPlan& plan);
  platform::Error RecordOrderEnded();
  platform::Error RecordUndoing(const std::vector<std::size_t>& rows);
  platform::Error RecordUndone(const std::vector<std::size_t>& rows);
  // Nothing is left to undo: removed, or marked spent.
  platform::Error Spend();

  // What a Replace cut short by a kill left beside the journal goes, when
  // no other copy of the program is at work.
  void Tidy();

 private:
  platform::Error Add(JournalRecord record, const std::string& text);

  JournalFiles& files_;
  std::string path_;
  std::unique_ptr<platform::ExclusiveLock> lock_;
  Found found_ = Found::kNothing;
  Journal contents_;
  // The text contents_ was read from, while the program has not written
  // the journal since.
  std::optional<std::string> readBack_;
  platform::Error readError_;
  JournalProblem problem_ = JournalProblem::kNone;
  // The bytes of the good records; a failed append may have left more,
  // which goes before the next one.
  std::uint64_t size_ = 0;
  bool cutPending_ = false;
};
