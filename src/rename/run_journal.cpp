#include "rename/run_journal.h"

#include "platform/file.h"

platform::Error JournalFiles::Read(const std::string& path, std::string* text) {
  return platform::ReadWholeFile(path, text);
}

platform::Error JournalFiles::Replace(const std::string& path, const std::string& text) {
  return platform::ReplaceFileContents(path, text);
}

platform::Error JournalFiles::Append(const std::string& path, const std::string& text) {
  return platform::AppendToFile(path, text);
}

platform::Error JournalFiles::CutTo(const std::string& path, std::uint64_t size) {
  return platform::CutFile(path, size);
}

platform::Error JournalFiles::Remove(const std::string& path) { return platform::RemoveFile(path); }

void JournalFiles::RemoveLeftovers(const std::string& path) { platform::RemoveReplaceLeftovers(path); }

std::unique_ptr<platform::ExclusiveLock> JournalFiles::Lock(const std::string& path) {
  return platform::ExclusiveLock::TryTake(path);
}

JournalFiles& JournalFiles::System() {
  static JournalFiles system;
  return system;
}

bool RunJournal::Lock() {
  if (!kept() || lock_) return true;
  lock_ = files_.Lock(path_);
  return lock_ != nullptr;
}

RunJournal::Found RunJournal::Read(JournalRows rows) {
  readError_ = platform::Error{};
  std::string text;
  if (kept()) readError_ = files_.Read(path_, &text);
  // Read again, as it was read last and written since by nobody: what was
  // made of it then holds (a long journal is not read twice for nothing).
  if (kept() && !readError_.failed() && readBack_ && text == *readBack_ &&
      (rows == JournalRows::kCheck || found_ != Found::kUsable || contents_.rowsKept)) {
    return found_;
  }
  readBack_.reset();
  contents_ = Journal{};
  problem_ = JournalProblem::kNone;
  size_ = 0;
  cutPending_ = false;
  if (!kept() || readError_.code == platform::ErrorCode::kNotFound) return found_ = Found::kNothing;
  if (readError_.failed()) return found_ = Found::kUnreadable;
  const bool parsed = ParseJournal(text, &contents_, &problem_, rows);
  readBack_ = std::move(text);
  if (!parsed) return found_ = Found::kUnusable;
  size_ = contents_.goodSize;
  cutPending_ = contents_.tornTail;
  return found_ = Found::kUsable;
}

bool RunJournal::CutShort() const {
  return found_ == Found::kUsable && !contents_.spent && (!contents_.finished || OrderOpen());
}

bool RunJournal::OrderOpen() const {
  return found_ == Found::kUsable && !contents_.spent && contents_.order && !contents_.orderEnded;
}

bool RunJournal::Undoable() const { return found_ == Found::kUsable && !contents_.spent; }

platform::Error RunJournal::Begin(const std::string& fullFolder, const std::optional<platform::FileId>& id,
                                  const RenameJob& job) {
  if (!kept()) return platform::MakeError(platform::ErrorCode::kNotFound);
  readBack_.reset();
  const std::string text = JournalStart(fullFolder, id, job);
  const platform::Error written = files_.Replace(path_, text);
  if (written.failed()) return written;
  // The rows stay with the job: only a journal read back holds them.
  contents_ = Journal{};
  contents_.folder = fullFolder;
  contents_.folderId = id;
  contents_.rowCount = job.newCount();
  contents_.rowsKept = false;
  contents_.goodSize = size_ = text.size();
  cutPending_ = false;
  found_ = Found::kUsable;
  return platform::Error{};
}

platform::Error RunJournal::Forget() {
  if (!kept()) return platform::Error{};
  readBack_.reset();
  const platform::Error removed = files_.Remove(path_);
  found_ = Found::kNothing;
  contents_ = Journal{};
  if (!removed.failed() || removed.code == platform::ErrorCode::kNotFound) return platform::Error{};
  // Whatever it holds, it is no Run to undo any more.
  if (!files_.Append(path_, JournalSpent()).failed()) return platform::Error{};
  return removed;
}

platform::Error RunJournal::Add(JournalRecord record, const std::string& text) {
  if (!kept()) return platform::MakeError(platform::ErrorCode::kNotFound);
  if (found_ != Found::kUsable || !RecordMayFollow(contents_, record)) {
    return platform::MakeError(platform::ErrorCode::kOther);
  }
  readBack_.reset();
  // What a failed append left goes first: a record after it would not be
  // read.
  if (cutPending_) {
    const platform::Error cut = files_.CutTo(path_, size_);
    if (cut.failed()) return cut;
    cutPending_ = false;
  }
  const platform::Error added = files_.Append(path_, text);
  if (added.failed()) {
    cutPending_ = files_.CutTo(path_, size_).failed();
    return added;
  }
  size_ += text.size();
  contents_.goodSize = size_;
  contents_.last = record;
  return platform::Error{};
}

platform::Error RunJournal::RecordResult(const RunResult& result) {
  const platform::Error added = Add(JournalRecord::kResult, JournalResult(result));
  if (!added.failed()) contents_.finished = true;
  return added;
}

platform::Error RunJournal::RecordOrder(const OrderPlan& plan) {
  const platform::Error added = Add(JournalRecord::kOrder, JournalOrder(plan));
  if (!added.failed()) contents_.order = std::make_shared<OrderPlan>(plan);
  return added;
}

platform::Error RunJournal::RecordOrderEnded() {
  const platform::Error added = Add(JournalRecord::kOrdered, JournalOrdered());
  if (!added.failed()) contents_.orderEnded = true;
  return added;
}

platform::Error RunJournal::RecordUndoing(const std::vector<std::size_t>& rows) {
  return Add(JournalRecord::kUndoing, JournalUndoing(contents_.rows.size(), rows));
}

platform::Error RunJournal::RecordUndone(const std::vector<std::size_t>& rows) {
  const platform::Error added = Add(JournalRecord::kUndone, JournalUndone(contents_.rows.size(), rows));
  if (added.failed()) return added;
  for (const std::size_t row : rows) {
    if (row < contents_.undone.size()) contents_.undone[row] = true;
  }
  contents_.uncertain.assign(contents_.rows.size(), false);
  return added;
}

platform::Error RunJournal::Spend() {
  if (!kept()) return platform::Error{};
  readBack_.reset();
  const platform::Error removed = files_.Remove(path_);
  if (!removed.failed() || removed.code == platform::ErrorCode::kNotFound) {
    found_ = Found::kNothing;
    contents_ = Journal{};
    return platform::Error{};
  }
  const platform::Error added = Add(JournalRecord::kSpent, JournalSpent());
  if (!added.failed()) contents_.spent = true;
  return added;
}

void RunJournal::Tidy() {
  if (!kept()) return;
  // A copy of the program at work may be replacing the journal right now.
  std::unique_ptr<platform::ExclusiveLock> held = locked() ? nullptr : files_.Lock(path_);
  if (!locked() && !held) return;
  files_.RemoveLeftovers(path_);
}
