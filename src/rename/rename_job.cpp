#include "rename/rename_job.h"

#include "platform/bytes.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// A hash of the name's bytes with ASCII letters upper-cased: names that
// differ only in letter case hash alike. Eight bytes at a time, each word's
// lower-case letters folded at once, then multiplied in.
std::uint64_t FoldedHash(const std::string& name) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  const auto fold = [](std::uint64_t word) {
    const std::uint64_t low7 = word & (0x7f * kOnes);
    const std::uint64_t atLeastA = low7 + (0x80 - 'a') * kOnes;  // top bit: >= 'a'
    const std::uint64_t aboveZ = low7 + (0x7f - 'z') * kOnes;    // top bit: > 'z'
    const std::uint64_t lower = atLeastA & ~aboveZ & ~word & (0x80 * kOnes);
    return word ^ (lower >> 2);  // 0x20 off each lower-case letter
  };
  std::uint64_t hash = 14695981039346656037ull ^ name.size();
  const char* bytes = name.data();
  std::size_t left = name.size();
  while (left > 0) {
    std::uint64_t word = 0;
    const std::size_t n = left < 8 ? left : 8;
    std::memcpy(&word, bytes, n);
    hash = (hash ^ fold(word)) * 0x9e3779b97f4a7c15ull;
    hash ^= hash >> 29;
    bytes += n;
    left -= n;
  }
  return hash;
}

constexpr std::uint32_t kNoGroup = static_cast<std::uint32_t>(-1);

}  // namespace

// The proposed names, each distinct one numbered as a group, and for every
// row the group of its old name when some row proposes that name too. Worked
// out once a proposal is made, so that Preview and Run only read small
// arrays, Run between its system calls.
struct NameGroups {
  std::vector<std::uint32_t> groupOfNew;  // per row
  std::vector<std::uint32_t> groupOfOld;  // per row; kNoGroup when no row proposes it
  std::vector<std::uint64_t> hashOfOld;   // per row: FoldedHash of its old name
  std::uint32_t groups = 0;

  struct Slot {
    std::uint64_t hash;
    std::uint32_t row;  // a row proposing the name; kNoGroup: an empty slot
    std::uint32_t group;
  };
  std::vector<Slot> slots;
  std::size_t mask = 0;

  // Calls onMatch(group, exactly) for every proposed name that is `name`,
  // byte for byte or in other letters.
  template <class OnMatch>
  void Match(const std::deque<RenameRow>& rows, const std::string& name, OnMatch onMatch) const {
    MatchHashed(rows, name, FoldedHash(name), onMatch);
  }
  template <class OnMatch>
  void MatchHashed(const std::deque<RenameRow>& rows, const std::string& name, std::uint64_t hash,
                   OnMatch onMatch) const {
    for (std::size_t i = hash & mask; slots[i].row != kNoGroup; i = (i + 1) & mask) {
      if (slots[i].hash != hash) continue;
      const std::string& proposed = rows[slots[i].row].newName;
      if (proposed == name) {
        onMatch(slots[i].group, true);
      } else if (platform::EqualsNoCase(proposed, name)) {
        onMatch(slots[i].group, false);
      }
    }
  }
};

namespace {

std::shared_ptr<const NameGroups> GroupNames(const std::deque<RenameRow>& rows, std::size_t count) {
  auto result = std::make_shared<NameGroups>();
  result->groupOfNew.resize(count);
  result->groupOfOld.assign(count, kNoGroup);
  std::size_t capacity = 16;
  while (capacity < 2 * count) capacity *= 2;
  std::vector<NameGroups::Slot>& slots = result->slots;
  slots.assign(capacity, NameGroups::Slot{0, kNoGroup, kNoGroup});
  const std::size_t mask = result->mask = capacity - 1;
  const auto find = [&](const std::string& name, std::uint64_t hash) {
    std::size_t i = hash & mask;
    while (slots[i].row != kNoGroup &&
           !(slots[i].hash == hash && rows[slots[i].row].newName == name)) {
      i = (i + 1) & mask;
    }
    return i;
  };
  for (std::size_t row = 0; row < count; ++row) {
    const std::uint64_t hash = FoldedHash(rows[row].newName);
    const std::size_t i = find(rows[row].newName, hash);
    if (slots[i].row == kNoGroup) {
      slots[i] = NameGroups::Slot{hash, static_cast<std::uint32_t>(row), result->groups++};
    }
    result->groupOfNew[row] = slots[i].group;
  }
  result->hashOfOld.resize(count);
  for (std::size_t row = 0; row < count; ++row) {
    const std::uint64_t hash = result->hashOfOld[row] = FoldedHash(rows[row].oldName);
    result->groupOfOld[row] = slots[find(rows[row].oldName, hash)].group;
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

std::string FailureWords(const RowFailure& failure) {
  switch (failure.outcome) {
    case RowOutcome::kNotRun: return "not renamed: stopped";
    case RowOutcome::kNameTaken: return "the name is taken";
    case RowOutcome::kFileGone: return "the file is gone";
    case RowOutcome::kEmptyName: return "the new name is empty";
    case RowOutcome::kRenamed:
    case RowOutcome::kSameName: return "";
    case RowOutcome::kError: break;
  }
  return failure.error.words.empty() ? std::string("failed") : failure.error.words;
}

std::string ForecastWords(RowForecast forecast) {
  switch (forecast) {
    case RowForecast::kFine: return "";
    case RowForecast::kSameName: return "keeps its name: nothing to do";
    case RowForecast::kTaken: return "will fail: the new name is taken";
    case RowForecast::kEmptyName: return "will fail: the new name is empty";
    case RowForecast::kBadName: return "will fail: no file can have this name here";
    case RowForecast::kLosesText: return "loses part of its name: the first five characters are no number";
  }
  return "";
}

bool ForecastFails(RowForecast forecast) {
  return forecast == RowForecast::kTaken || forecast == RowForecast::kEmptyName ||
         forecast == RowForecast::kBadName;
}

void RenameJob::SetFilter(const std::string& filter) { filter_ = platform::UpperBytes(filter); }

const NameGroups& RenameJob::Groups() const {
  if (!groups_) groups_ = GroupNames(rows_, newCount());
  return *groups_;
}

void RenameJob::Clear() {
  std::deque<RenameRow>().swap(rows_);  // gives the memory back
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
  return platform::EqualsNoCase(name.substr(name.size() - tail), filter_);
}

platform::Error RenameJob::Scan(platform::Folder& folder,
                                const std::function<bool(std::string& name)>& onMatch) {
  std::vector<std::string>().swap(otherNames_);
  const auto other = [this](std::string name) { otherNames_.push_back(std::move(name)); };
  const platform::Error error = folder.List(
      [&](std::string name) {
        if (!Matches(name) || !onMatch(name)) other(std::move(name));
      },
      other);
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

void RenameJob::LoadProposal(std::deque<RenameRow> rows) {
  rows_ = std::move(rows);
  ForgetListing();
  forecast_.clear();
  groups_.reset();
  proposed_ = true;
  proposedMethod_ = RenameMethod::kNone;
}

ProposeRefusal RenameJob::Propose(RenameMethod method, platform::RandomSource& random) {
  if (method != RenameMethod::kAdd && method != RenameMethod::kReplace &&
      method != RenameMethod::kDelete) {
    return ProposeRefusal::kNoMethod;
  }
  const bool numbered = method != RenameMethod::kDelete;
  const std::size_t count = rows_.size();
  if (numbered && count > kMaxNumberedFiles) return ProposeRefusal::kTooManyFiles;

  proposed_ = false;
  forecast_.clear();
  groups_.reset();
  if (numbered) {
    usedNumbers_.resize(kNumberTableSize);
    std::fill(usedNumbers_.begin(), usedNumbers_.begin() + static_cast<std::ptrdiff_t>(count) + 1, 0);
  }
  const int modulus = static_cast<int>(count);
  for (RenameRow& row : rows_) {
    if (numbered) {
      int number;
      do {
        number = random.Next15() % modulus + 1;
      } while (usedNumbers_[static_cast<std::size_t>(number)] != 0);
      usedNumbers_[static_cast<std::size_t>(number)] = 1;
      row.newName = method == RenameMethod::kAdd
                        ? platform::FormatNumbered(number, row.oldName)
                        : platform::FormatNumbered(
                              number, platform::DropFirstBytes(row.oldName, kPrefixLength));
    } else {
      row.newName = platform::DropFirstBytes(row.oldName, kPrefixLength);
    }
  }
  proposed_ = true;
  proposedMethod_ = method;
  return ProposeRefusal::kNone;
}

namespace {

// Whether a name starts with a number prefix "dddd_" as Add writes it.
bool HasNumberPrefix(const std::string& name) {
  if (name.size() < RenameJob::kPrefixLength) return false;
  for (std::size_t i = 0; i + 1 < RenameJob::kPrefixLength; ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
  }
  return name[RenameJob::kPrefixLength - 1] == '_';
}

}  // namespace

void RenameJob::Preview(platform::Folder& folder) {
  const std::size_t total = newCount();
  forecast_.assign(total, RowForecast::kFine);
  if (total == 0) return;
  const NameGroups& names = Groups();
  // What the Run will have made of each proposed name by the time it gets
  // to a row: there, free, or there in other letters (taken on a file
  // system that ignores letter case, free on one that does not: the folder
  // itself is asked about those), or not known.
  enum class State : std::uint8_t { kUnknown, kPresent, kAbsent, kOtherCase };
  std::vector<State> state(names.groups, State::kAbsent);
  const auto mark = [&](std::uint32_t group, bool exactly) {
    if (exactly) {
      state[group] = State::kPresent;
    } else if (state[group] == State::kAbsent) {
      state[group] = State::kOtherCase;
    }
  };
  const auto present = [&](const std::string& name) { names.Match(rows_, name, mark); };
  bool listed = true;
  if (listingCurrent_) {
    // The folder as Search listed it: the rows' files and the other names.
    for (std::size_t row = 0; row < total; ++row) {
      names.MatchHashed(rows_, rows_[row].oldName, names.hashOfOld[row], mark);
    }
    for (const std::string& name : otherNames_) present(name);
  } else {
    listed = !folder.ListAllNames(present).failed();
  }
  if (!listed) std::fill(state.begin(), state.end(), State::kUnknown);
  const bool cuts = proposedMethod_ == RenameMethod::kReplace || proposedMethod_ == RenameMethod::kDelete;
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
      State& target = state[names.groupOfNew[row]];
      if (target == State::kUnknown || target == State::kOtherCase) {
        target = folder.Has(r.newName) == platform::Presence::kPresent ? State::kPresent
                                                                        : State::kAbsent;
      }
      if (target == State::kPresent) {
        forecast = RowForecast::kTaken;
      } else {
        target = State::kPresent;
        if (names.groupOfOld[row] != kNoGroup) state[names.groupOfOld[row]] = State::kAbsent;
      }
    }
    if (forecast == RowForecast::kFine && cuts && !HasNumberPrefix(r.oldName)) {
      forecast = RowForecast::kLosesText;
    }
    forecast_[row] = forecast;
  }
}

bool RenameJob::CutsText() const {
  if (proposedMethod_ != RenameMethod::kReplace && proposedMethod_ != RenameMethod::kDelete) return false;
  for (std::size_t row = 0; row < newCount(); ++row) {
    if (!HasNumberPrefix(rows_[row].oldName)) return true;
  }
  return false;
}

ForecastCounts RenameJob::forecastCounts() const {
  ForecastCounts counts;
  for (const RowForecast forecast : forecast_) {
    if (ForecastFails(forecast)) ++counts.willFail;
    if (forecast == RowForecast::kLosesText) ++counts.losesText;
  }
  return counts;
}

RunResult RenameJob::Run(platform::Folder& folder, RunObserver* observer) const {
  const std::size_t total = newCount();
  RunResult result;
  result.outcomes.assign(total, RowOutcome::kNotRun);
  // Which names this Run has given. A listed name among them means the listed
  // file went away (another program deleted it) and an earlier row took its
  // name: renaming it again would move the wrong file.
  const NameGroups& names = Groups();
  std::vector<std::uint8_t> given(names.groups, 0);
  std::size_t row = 0;
  while (row < total) {
    const std::string& from = rows_[row].oldName;
    const std::string& to = rows_[row].newName;
    RowOutcome outcome = RowOutcome::kError;
    platform::Error error;
    if (names.groupOfOld[row] != kNoGroup && given[names.groupOfOld[row]] != 0) {
      outcome = RowOutcome::kFileGone;
    } else if (from == to) {
      // Replace drew the file's own number: nothing to rename, as long as the
      // file is still there.
      switch (folder.Has(from)) {
        case platform::Presence::kPresent: outcome = RowOutcome::kSameName; break;
        case platform::Presence::kAbsent: outcome = RowOutcome::kFileGone; break;
        case platform::Presence::kUnknown:
          outcome = RowOutcome::kError;
          error = folder.isOpen() ? platform::OtherError("the file cannot be checked")
                                  : folder.openError();
          break;
      }
    } else if (to.empty()) {
      outcome = RowOutcome::kEmptyName;
    } else {
      error = folder.RenameNoReplace(from, to);
      outcome = OutcomeOf(error);
      if (outcome == RowOutcome::kRenamed) given[names.groupOfNew[row]] = 1;
    }
    result.outcomes[row] = outcome;
    if (outcome != RowOutcome::kRenamed && outcome != RowOutcome::kSameName) {
      result.failures.push_back(RowFailure{row, outcome, std::move(error)});
    }
    ++row;
    if (observer != nullptr && !observer->Continue(row, total) && row < total) {
      result.stopped = true;
      break;
    }
  }
  result.done = row;
  for (; row < total; ++row) {
    result.failures.push_back(RowFailure{row, RowOutcome::kNotRun, platform::Error{}});
  }
  return result;
}
