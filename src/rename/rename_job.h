// One rename job: the folder, the extension filter, the method, and the rows
// of old and new names. The job owns the names, byte for byte as the folder
// listing gave them; the windows only show them. Its steps return plain
// results: what happened to every row.
#pragma once

#include "platform/error.h"
#include "platform/folder.h"
#include "platform/pause.h"
#include "platform/random.h"
#include "rename/flush_schedule.h"
#include "rename/rename_method.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct RenameRow {
  std::string oldName;
  std::string newName;  // empty until a proposal
};

// What a Run did with one row.
enum class RowOutcome : std::uint8_t {
  kNotRun,     // a stopped Run did not reach it
  kRenamed,
  kSameName,   // the proposal is the old name: nothing to do
  kNameTaken,
  kFileGone,
  kEmptyName,
  kError,      // anything else; the error's words say what
};

struct RowFailure {
  std::size_t row;
  RowOutcome outcome;
  platform::Error error;  // the system's answer, for kError
};

struct RunResult {
  std::vector<RowOutcome> outcomes;  // one per row
  std::vector<RowFailure> failures;  // every row that was not renamed, in row order
  std::size_t done = 0;              // rows handled before the Run ended
  bool stopped = false;              // ended early at the observer's request
};

// What a Run is expected to do with a row, against the folder as it is.
enum class RowForecast : std::uint8_t {
  kFine,
  kSameName,   // the proposal is the old name: nothing to do
  kTaken,      // will fail: the new name is taken by a file that stays
  kEmptyName,  // will fail: the new name is empty
  kBadName,    // will fail: no file can bear the new name here
  kLosesText,  // Replace or Delete cuts five bytes that are not a number
               // prefix: the file loses part of its real name
  kNumberedAgain,  // Add puts a second number in front of a number prefix
                   // (Replace gives it a new one instead)
};

// The length of the number prefix Add writes at the start of a name, "0042_"
// or, from 10000 up, "12345_"; 0 when the name has none. Replace and Delete
// take that prefix off, and five bytes of a name without one.
std::size_t NumberPrefixLength(const std::string& name);

bool ForecastFails(RowForecast forecast);

struct ForecastCounts {
  std::size_t willFail = 0;
  std::size_t losesText = 0;
  std::size_t numberedAgain = 0;
};

// Why a proposal was not made.
enum class ProposeRefusal { kNone, kNoMethod, kTooManyFiles };

struct NameGroups;
class RenameJob;

// A Run that goes a few rows at a time: each step renames rows in row order
// until its time is up, never replacing a file, so that a window serves its
// user between two steps; a stop ends it between two renames. The job and
// the folder must outlive it, and the job must not change meanwhile.
class RunSession {
 public:
  RunSession(const RenameJob& job, platform::Folder& folder);
  ~RunSession();
  RunSession(const RunSession&) = delete;
  RunSession& operator=(const RunSession&) = delete;

  // Renames at least one row, and more while `clock` has not passed
  // `untilMs`. False once every row is done.
  bool Step(platform::Clock& clock, std::int64_t untilMs);
  // Renames every row that is left.
  void Finish();
  // Ends the Run before its next rename: the rows left are not renamed.
  void Stop();
  bool done() const { return row_ == total_; }
  std::size_t rowsDone() const { return row_; }
  std::size_t total() const { return total_; }
  // What became of every row; whole once done.
  const RunResult& result() const { return result_; }

 private:
  void RunRow();
  const RenameJob& job_;
  platform::Folder& folder_;
  // What a rename needs of its row, in one array: after every system call
  // each page the Run touches costs again.
  struct Cell {
    std::uint32_t groupOfOld;  // the group of the old name among the proposals
    std::uint32_t groupOfNew;
    std::uint8_t given;        // indexed by group: this Run gave that name
    RowOutcome outcome;
  };
  std::vector<Cell> cells_;
  void Collect();
  RunResult result_;
  std::size_t row_ = 0;
  std::size_t total_;
  // Rows renamed between two looks at the clock.
  std::size_t stride_ = 1;
  // Whether the Run writes its renames to the disk on the way (a stick).
  bool flushOnTheWay_ = false;
  FlushSchedule flushes_;
};

class RenameJob {
 public:
  // Numbers are drawn from 15 bits into a table of numbers 0 to 32766, of
  // which 0 is never handed out.
  static constexpr int kNumberTableSize = 32767;
  static constexpr std::size_t kMaxNumberedFiles = kNumberTableSize - 1;
  // What Replace and Delete take off a name without a number prefix.
  static constexpr std::size_t kPrefixLength = 5;

  const std::string& folder() const { return folder_; }
  void SetFolder(std::string folder) { folder_ = std::move(folder); }
  // The filter as it is matched: upper-cased.
  const std::string& filter() const { return filter_; }
  void SetFilter(const std::string& filter);
  RenameMethod method() const { return method_; }
  void SetMethod(RenameMethod method) { method_ = method; }

  // Rows of the Old list, and of the New list (none until a proposal).
  std::size_t oldCount() const { return rows_.size(); }
  std::size_t newCount() const { return proposed_ ? rows_.size() : 0; }
  const RenameRow& row(std::size_t index) const { return rows_[index]; }

  // Both lists emptied.
  void Clear();
  // Whether a file name passes the filter: its last three bytes, upper-cased,
  // are the whole filter; an empty filter passes every name.
  bool Matches(const std::string& name) const;
  // Calls onMatch with every file of the folder that passes the filter, in
  // the folder's own order: it takes the name (and returns true) or leaves
  // it (false). The names not taken are kept, so that a preview needs no
  // second look at the folder. Returns why the folder could not be read.
  platform::Error Scan(platform::Folder& folder,
                       const std::function<bool(std::string& name)>& onMatch);
  // The folder may have changed since Search listed it: a preview looks at
  // it anew.
  void ForgetListing();
  // The names Search listed that are no row's (other files, folders), while
  // the listing is current; none when it is not.
  const std::vector<std::string>* OtherListedNames() const { return listingCurrent_ ? &otherNames_ : nullptr; }
  // How many files the last Scan left out that passed the filter: other
  // systems' files (OtherSystemsFileOf).
  std::size_t leftOutCount() const { return leftOut_; }
  // Appends a row to the Old list.
  void AddRow(std::string oldName);
  // Rows whose new names are given already (an Undo's): the job becomes a
  // proposal of them.
  void LoadProposal(std::vector<RenameRow> rows);

  // Proposes a new name for every row: a random permutation of 1 to the row
  // count for Add and Replace, drawn by rejection from `random`. A refusal
  // changes nothing.
  ProposeRefusal Propose(RenameMethod method, platform::RandomSource& random);

  // Predicts every row's outcome against the folder as it is now, as the
  // Run will go: row by row, so that a name an earlier row frees is free and
  // a name an earlier row takes is taken. The names Search listed serve
  // while they are current, one pass over the folder otherwise, and a lookup
  // only for a name that is there in other letters.
  void Preview(platform::Folder& folder);
  // The same for a Run that decides before its first rename which rows will
  // be renamed: against the names given (every name in the folder as it is
  // now), or without them against Search's listing, which must be current.
  std::vector<RowForecast> Predict(platform::Folder& folder, const std::vector<std::string>* names) const;
  // The row's forecast; kFine before a preview.
  RowForecast forecast(std::size_t row) const {
    return row < forecast_.size() ? forecast_[row] : RowForecast::kFine;
  }
  ForecastCounts forecastCounts() const;
  // Whether the proposal cuts five bytes that are not a number prefix from
  // any row (Replace and Delete on names without numbers).
  bool CutsText() const;

  // Renames every row inside `folder`, in row order, never replacing a file.
  RunResult Run(platform::Folder& folder) const;

 private:
  friend class RunSession;
  std::string folder_;
  std::string filter_;
  RenameMethod method_ = RenameMethod::kNone;
  // One array: a Run walks it between its system calls.
  std::vector<RenameRow> rows_;
  // The folder's names that are no row's (other files, folders), as Search
  // listed them; with the rows' old names, the whole folder while current.
  std::vector<std::string> otherNames_;
  bool listingCurrent_ = false;
  std::size_t leftOut_ = 0;
  bool proposed_ = false;
  RenameMethod proposedMethod_ = RenameMethod::kNone;
  std::vector<RowForecast> forecast_;
  // The forecasts against `names`; without them, against Search's listing
  // while it is current, or a listing of the folder.
  std::vector<RowForecast> Forecast(platform::Folder& folder, const std::vector<std::string>* names) const;
  // The proposal's names in groups, worked out once for Preview and Run.
  const NameGroups& Groups(bool folded) const;
  mutable std::shared_ptr<const NameGroups> groups_;
  std::vector<std::uint8_t> usedNumbers_;
};
