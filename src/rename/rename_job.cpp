#include "rename/rename_job.h"

#include "platform/bytes.h"
#include "platform/case_fold.h"
#include "rename/other_systems_files.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// A hash of a name's bytes, eight at a time.
std::uint64_t HashBytes(const std::string& name) {
  std::uint64_t hash = 14695981039346656037ull ^ name.size();
  const char* bytes = name.data();
  std::size_t left = name.size();
  while (left > 0) {
    std::uint64_t word = 0;
    const std::size_t n = left < 8 ? left : 8;
    std::memcpy(&word, bytes, n);
    hash = (hash ^ word) * 0x9e3779b97f4a7c15ull;
    hash ^= hash >> 29;
    bytes += n;
    left -= n;
  }
  return hash;
}

constexpr std::uint32_t kNoGroup = static_cast<std::uint32_t>(-1);

}  // namespace

namespace {

// The digits a name starts with, up to six, and their value.
struct LeadingNumber {
  std::size_t digits = 0;
  std::size_t number = 0;
};
LeadingNumber ReadLeadingNumber(const std::string& name) {
  LeadingNumber lead;
  while (lead.digits < name.size() && lead.digits < 6 && name[lead.digits] >= '0' && name[lead.digits] <= '9') {
    lead.number = lead.number * 10 + static_cast<std::size_t>(name[lead.digits++] - '0');
  }
  return lead;
}

}  // namespace

// The proposed names, each distinct one numbered as a group, and for every
// row the group of its old name when some row proposes that name too. On a
// volume that ignores letter case, names are one when their folded forms
// are. Worked out once a proposal is made, so that Preview and Run only
// read small arrays, Run between its system calls.
//
// Add and Replace give every row its own number: each new name is a group
// of its own, and a name can only be a new one when it starts with that
// row's number, so the numbers find them without a hash of every name.
struct NameGroups {
  bool folded = false;
  bool numbered = false;
  std::vector<std::uint32_t> groupOfNew;  // per row
  std::vector<std::uint32_t> groupOfOld;  // per row; kNoGroup when no row proposes it
  std::uint32_t groups = 0;

  // Numbered: the row of each number.
  std::vector<std::uint32_t> rowOfNumber;
  // Otherwise: a hash table of the proposed names (their folded forms).
  std::vector<std::string> newKeys;  // per row, when folded
  struct Slot {
    std::uint64_t hash;
    std::uint32_t row;  // a row proposing the name; kNoGroup: an empty slot
    std::uint32_t group;
  };
  std::vector<Slot> slots;
  std::size_t mask = 0;

  const std::string& KeyOfRow(const std::vector<RenameRow>& rows, std::size_t row) const {
    return folded ? newKeys[row] : rows[row].newName;
  }
  // The slot of a name's key: the group's, or the empty one where it would go.
  std::size_t Find(const std::vector<RenameRow>& rows, const std::string& key,
                   std::uint64_t hash) const {
    std::size_t i = hash & mask;
    while (slots[i].row != kNoGroup &&
           !(slots[i].hash == hash && KeyOfRow(rows, slots[i].row) == key)) {
      i = (i + 1) & mask;
    }
    return i;
  }
  bool Same(const std::string& a, const std::string& b) const {
    return folded ? platform::FoldCase(a) == platform::FoldCase(b) : a == b;
  }
  // The group of the proposed name that `name` is on this volume; kNoGroup
  // when no row proposes it.
  std::uint32_t GroupOf(const std::vector<RenameRow>& rows, const std::string& name) const {
    if (numbered) {
      const LeadingNumber lead = ReadLeadingNumber(name);
      if (lead.digits < 4 || lead.digits >= name.size() || name[lead.digits] != '_' ||
          lead.number >= rowOfNumber.size()) {
        return kNoGroup;
      }
      const std::size_t number = lead.number;
      const std::uint32_t row = rowOfNumber[number];
      return row != kNoGroup && Same(rows[row].newName, name) ? row : kNoGroup;
    }
    if (!folded) return slots[Find(rows, name, HashBytes(name))].group;
    const std::string key = platform::FoldCase(name);
    return slots[Find(rows, key, HashBytes(key))].group;
  }
};

namespace {

std::shared_ptr<const NameGroups> GroupNames(const std::vector<RenameRow>& rows, std::size_t count,
                                             bool folded, bool numbered) {
  auto result = std::make_shared<NameGroups>();
  result->folded = folded;
  result->numbered = numbered;
  result->groupOfNew.resize(count);
  if (numbered) {
    result->rowOfNumber.assign(count + 1, kNoGroup);
    for (std::size_t row = 0; row < count; ++row) {
      std::uint32_t number = 0;
      for (const char c : rows[row].newName) {
        if (c < '0' || c > '9') break;
        number = number * 10 + static_cast<std::uint32_t>(c - '0');
      }
      if (number < result->rowOfNumber.size()) result->rowOfNumber[number] = static_cast<std::uint32_t>(row);
      result->groupOfNew[row] = static_cast<std::uint32_t>(row);
    }
    result->groups = static_cast<std::uint32_t>(count);
  } else {
    if (folded) {
      result->newKeys.reserve(count);
      for (std::size_t row = 0; row < count; ++row) {
        result->newKeys.push_back(platform::FoldCase(rows[row].newName));
      }
    }
    std::size_t capacity = 16;
    while (capacity < 2 * count) capacity *= 2;
    std::vector<NameGroups::Slot>& slots = result->slots;
    slots.assign(capacity, NameGroups::Slot{0, kNoGroup, kNoGroup});
    result->mask = capacity - 1;
    for (std::size_t row = 0; row < count; ++row) {
      const std::string& key = result->KeyOfRow(rows, row);
      const std::uint64_t hash = HashBytes(key);
      const std::size_t i = result->Find(rows, key, hash);
      if (slots[i].row == kNoGroup) {
        slots[i] = NameGroups::Slot{hash, static_cast<std::uint32_t>(row), result->groups++};
      }
      result->groupOfNew[row] = slots[i].group;
    }
  }
  result->groupOfOld.resize(count);
  for (std::size_t row = 0; row < count; ++row) {
    result->groupOfOld[row] = result->GroupOf(rows, rows[row].oldName);
  }
  return result;
}

RowOutcome OutcomeOf(const platform::Error& error) {
  switch (error.code) {
    case platform::ErrorCode::kNone: return RowOutcome::kRenamed;
    case platform::ErrorCode::kExists: return RowOutcome::kNameTaken;
    case platform::ErrorCode::kNotFound: return RowOutcome::kFileGone;
    default: return RowOutcome::kError;
  }
}

}  // namespace

bool ForecastFails(RowForecast forecast) {
  return forecast == RowForecast::kTaken || forecast == RowForecast::kEmptyName ||
         forecast == RowForecast::kBadName;
}

void RenameJob::SetFilter(const std::string& filter) { filter_ = platform::UpperBytes(filter); }

const NameGroups& RenameJob::Groups(bool folded) const {
  // Worked out anew when the proposal or the volume's rule changed.
  const bool numbered = MethodNumbers(proposedMethod_);
  if (!groups_ || groups_->folded != folded) groups_ = GroupNames(rows_, newCount(), folded, numbered);
  return *groups_;
}

void RenameJob::Clear() {
  // The array is kept for the next Search, which most often lists the same
  // folder again: growing it anew costs more than the listing.
  rows_.clear();
  ForgetListing();
  proposed_ = false;
  groups_.reset();
  std::vector<RowForecast>().swap(forecast_);
}

bool RenameJob::Matches(const std::string& name) const {
  if (filter_.empty()) return true;
  // Upper-casing touches single bytes only, so the last three bytes of the
  // upper-cased name are the upper-cased last three bytes.
  const std::size_t tail = std::min<std::size_t>(name.size(), 3);
  if (tail != filter_.size()) return false;
  return platform::EqualsNoCase(std::string_view(name).substr(name.size() - tail), filter_);
}

platform::Error RenameJob::Scan(platform::Folder& folder,
                                const std::function<bool(std::string& name)>& onMatch) {
  std::vector<std::string>().swap(otherNames_);
  leftOut_ = 0;
  const auto other = [this](std::string name) { otherNames_.push_back(std::move(name)); };
  // The matching names are gathered first, so that the rows grow once.
  std::vector<std::string> matching;
  matching.reserve(rows_.capacity());  // most often the folder listed last time
  const platform::Error error = folder.List(
      [&](std::string name) {
        if (!Matches(name)) {
          other(std::move(name));
        } else if (OtherSystemsFileOf(name) != OtherSystemsFile::kNone) {
          ++leftOut_;
          other(std::move(name));
        } else {
          matching.push_back(std::move(name));
        }
      },
      [&](std::string name, bool) { other(std::move(name)); });
  rows_.reserve(rows_.size() + matching.size());
  for (std::string& name : matching) {
    if (!onMatch(name)) other(std::move(name));
  }
  listingCurrent_ = !error.failed();
  return error;
}

void RenameJob::ForgetListing() {
  listingCurrent_ = false;
  std::vector<std::string>().swap(otherNames_);
}

void RenameJob::AddRow(std::string oldName) {
  rows_.push_back(RenameRow{std::move(oldName), std::string()});
}

void RenameJob::LoadProposal(std::vector<RenameRow> rows) {
  rows_ = std::move(rows);
  ForgetListing();
  forecast_.clear();
  groups_.reset();
  proposed_ = true;
  proposedMethod_ = RenameMethod::kNone;
}

std::size_t NumberPrefixLength(const std::string& name) {
  // Four digits for the numbers Add writes up to 9999 ("0042_"), five for
  // those from 10000 up to the most it draws ("12345_").
  const LeadingNumber lead = ReadLeadingNumber(name);
  if (lead.digits >= name.size() || name[lead.digits] != '_') return 0;
  if (lead.digits == 4) return 5;
  if (lead.digits == 5 && name[0] != '0' && lead.number <= RenameJob::kMaxNumberedFiles) return 6;
  return 0;
}

namespace {

// What Replace and Delete leave of a name: all but its number prefix, or
// else all but its first five bytes, whatever they are.
std::string_view WithoutPrefix(const std::string& name) {
  const std::size_t prefix = NumberPrefixLength(name);
  const std::size_t cut = prefix > 0 ? prefix : RenameJob::kPrefixLength;
  return name.size() <= cut ? std::string_view() : std::string_view(name).substr(cut);
}

}  // namespace

ProposeRefusal RenameJob::Propose(RenameMethod method, platform::RandomSource& random) {
  if (!MethodNumbers(method) && !MethodCuts(method)) return ProposeRefusal::kNoMethod;
  const bool numbered = MethodNumbers(method);
  const std::size_t count = rows_.size();
  if (numbered && count > kMaxNumberedFiles) return ProposeRefusal::kTooManyFiles;

  proposed_ = false;
  forecast_.clear();
  groups_.reset();
  if (numbered) {
    usedNumbers_.resize(kNumberTableSize);
    std::fill(usedNumbers_.begin(), usedNumbers_.begin() + static_cast<std::ptrdiff_t>(count) + 1, 0);
  }
  // A draw's remainder by the count, by one multiplication instead of a
  // division: for draws and counts below 2^16 the 32-bit reciprocal gives
  // exactly what `%` gives. Most of a long list's draws hit a number taken.
  const std::uint32_t modulus = static_cast<std::uint32_t>(std::max<std::size_t>(count, 1));
  const std::uint64_t reciprocal = (std::uint64_t{1} << 32) / modulus + 1;
  for (RenameRow& row : rows_) {
    if (numbered) {
      std::uint32_t number;
      do {
        const std::uint32_t draw = static_cast<std::uint32_t>(random.Next15()) & 0x7FFF;
        const auto quotient = static_cast<std::uint32_t>((draw * reciprocal) >> 32);
        number = draw - quotient * modulus + 1;
      } while (usedNumbers_[number] != 0);
      usedNumbers_[number] = 1;
      row.newName = platform::FormatNumbered(
          static_cast<int>(number), MethodCuts(method) ? WithoutPrefix(row.oldName) : std::string_view(row.oldName));
    } else {
      row.newName = std::string(WithoutPrefix(row.oldName));
    }
  }
  proposed_ = true;
  proposedMethod_ = method;
  return ProposeRefusal::kNone;
}

void RenameJob::Preview(platform::Folder& folder) { forecast_ = Forecast(folder, nullptr); }

std::vector<RowForecast> RenameJob::Predict(platform::Folder& folder, const std::vector<std::string>* names) const {
  return Forecast(folder, names);
}

std::vector<RowForecast> RenameJob::Forecast(platform::Folder& folder, const std::vector<std::string>* names) const {
  const std::size_t total = newCount();
  std::vector<RowForecast> forecasts(total, RowForecast::kFine);
  if (total == 0) return forecasts;
  const NameGroups& groups = Groups(folder.IgnoresCase());
  // What the Run will have made of each proposed name by the time it gets
  // to a row: there, free, or not known (the folder is then asked).
  enum class State : std::uint8_t { kUnknown, kPresent, kAbsent };
  std::vector<State> state(groups.groups, State::kAbsent);
  const auto present = [&](const std::string& name) {
    const std::uint32_t group = groups.GroupOf(rows_, name);
    if (group != kNoGroup) state[group] = State::kPresent;
  };
  bool listed = true;
  if (names != nullptr) {
    for (const std::string& name : *names) present(name);
  } else if (listingCurrent_) {
    // The folder as Search listed it: the rows' files and the other names.
    for (std::size_t row = 0; row < total; ++row) {
      if (groups.groupOfOld[row] != kNoGroup) state[groups.groupOfOld[row]] = State::kPresent;
    }
    for (const std::string& name : otherNames_) present(name);
  } else {
    listed = !folder.ListAllNames(present).failed();
  }
  if (!listed) std::fill(state.begin(), state.end(), State::kUnknown);
  const bool cuts = MethodCuts(proposedMethod_);
  const bool addsOnly = MethodNumbers(proposedMethod_) && !cuts;
  for (std::size_t row = 0; row < total; ++row) {
    const RenameRow& r = rows_[row];
    RowForecast forecast = RowForecast::kFine;
    if (r.newName == r.oldName) {
      forecast = RowForecast::kSameName;
    } else if (r.newName.empty()) {
      forecast = RowForecast::kEmptyName;
    } else if (!folder.CanHoldName(r.newName)) {
      forecast = RowForecast::kBadName;
    } else {
      State& target = state[groups.groupOfNew[row]];
      if (target == State::kUnknown) {
        target = folder.Has(r.newName) == platform::Presence::kPresent ? State::kPresent
                                                                        : State::kAbsent;
      }
      if (target == State::kPresent) {
        forecast = RowForecast::kTaken;
      } else {
        target = State::kPresent;
        if (groups.groupOfOld[row] != kNoGroup) state[groups.groupOfOld[row]] = State::kAbsent;
      }
    }
    if (forecast == RowForecast::kFine && cuts && NumberPrefixLength(r.oldName) == 0) {
      forecast = RowForecast::kLosesText;
    }
    if (forecast == RowForecast::kFine && addsOnly && NumberPrefixLength(r.oldName) > 0) {
      forecast = RowForecast::kNumberedAgain;
    }
    forecasts[row] = forecast;
  }
  return forecasts;
}

bool RenameJob::CutsText() const {
  if (!MethodCuts(proposedMethod_)) return false;
  for (std::size_t row = 0; row < newCount(); ++row) {
    if (NumberPrefixLength(rows_[row].oldName) == 0) return true;
  }
  return false;
}

ForecastCounts RenameJob::forecastCounts() const {
  ForecastCounts counts;
  for (const RowForecast forecast : forecast_) {
    if (ForecastFails(forecast)) ++counts.willFail;
    if (forecast == RowForecast::kLosesText) ++counts.losesText;
    if (forecast == RowForecast::kNumberedAgain) ++counts.numberedAgain;
  }
  return counts;
}

RunResult RenameJob::Run(platform::Folder& folder) const {
  RunSession session(*this, folder);
  session.Finish();
  return session.result();
}

// Which names this Run has given. A listed name among them (in the volume's
// sense: "dup.mp3" is "Dup.mp3" on a stick) means the listed file went away
// (another program deleted it) and an earlier row took its name: renaming
// it again would move the wrong file.
RunSession::RunSession(const RenameJob& job, platform::Folder& folder)
    : job_(job), folder_(folder), total_(job.newCount()) {
  const NameGroups& names = job.Groups(folder.IgnoresCase());
  cells_.resize(total_);
  for (std::size_t row = 0; row < total_; ++row) {
    cells_[row] = Cell{names.groupOfOld[row], names.groupOfNew[row], 0, RowOutcome::kNotRun};
  }
  // A stick keeps what was renamed a few seconds ago, whole, should it be
  // pulled (see Folder::Flush); other disks write back on their own.
  const platform::FileSystem system = folder.fileSystem();
  flushOnTheWay_ = platform::IsFatFamily(system);
}

RunSession::~RunSession() = default;

void RunSession::RunRow() {
  const std::size_t row = row_;
  Cell& cell = cells_[row];
  const std::string& from = job_.rows_[row].oldName;
  const std::string& to = job_.rows_[row].newName;
  RowOutcome outcome = RowOutcome::kError;
  platform::Error error;
  // A group's flag lies in the cell of its number: there are never more
  // groups than rows.
  if (cell.groupOfOld != kNoGroup && cells_[cell.groupOfOld].given != 0) {
    outcome = RowOutcome::kFileGone;
  } else if (from == to) {
    // Replace drew the file's own number: nothing to rename, as long as the
    // file is still there.
    switch (folder_.Has(from)) {
      case platform::Presence::kPresent: outcome = RowOutcome::kSameName; break;
      case platform::Presence::kAbsent: outcome = RowOutcome::kFileGone; break;
      case platform::Presence::kUnknown:
        outcome = RowOutcome::kError;
        error = folder_.isOpen() ? platform::MakeError(platform::ErrorCode::kOther)
                                 : folder_.openError();
        break;
    }
  } else if (to.empty()) {
    outcome = RowOutcome::kEmptyName;
  } else {
    error = folder_.RenameNoReplace(from, to);
    outcome = OutcomeOf(error);
    if (outcome == RowOutcome::kRenamed) cells_[cell.groupOfNew].given = 1;
  }
  cell.outcome = outcome;
  if (outcome != RowOutcome::kRenamed && outcome != RowOutcome::kSameName) {
    result_.failures.push_back(RowFailure{row, outcome, std::move(error)});
  }
  result_.done = ++row_;
  if (flushOnTheWay_ && row_ == total_) folder_.Flush();
  if (row_ == total_) Collect();
}

void RunSession::Collect() {
  result_.outcomes.resize(total_);
  for (std::size_t row = 0; row < total_; ++row) result_.outcomes[row] = cells_[row].outcome;
}

bool RunSession::Step(platform::Clock& clock, std::int64_t untilMs) {
  // The clock is read about once a millisecond: on some machines reading
  // it costs as much as a rename, while on a slow disk one rename may take
  // longer than a step.
  std::int64_t last = clock.NowMs();
  while (row_ < total_) {
    for (std::size_t i = 0; i < stride_ && row_ < total_; ++i) RunRow();
    const std::int64_t now = clock.NowMs();
    if (flushOnTheWay_ && row_ < total_ && flushes_.Due(now)) {
      folder_.Flush();
      flushes_.Flushed(now);
    }
    if (now >= untilMs) break;
    if (now == last) {
      stride_ = std::min<std::size_t>(stride_ * 2, 256);
    } else if (now - last > 1) {
      stride_ = std::max<std::size_t>(stride_ / 2, 1);
    }
    last = now;
  }
  return row_ < total_;
}

void RunSession::Finish() {
  while (row_ < total_) RunRow();
}

void RunSession::Stop() {
  if (row_ == total_) return;
  if (flushOnTheWay_) folder_.Flush();
  result_.stopped = true;
  for (; row_ < total_; ++row_) {
    result_.failures.push_back(RowFailure{row_, RowOutcome::kNotRun, platform::Error{}});
  }
  Collect();
}
