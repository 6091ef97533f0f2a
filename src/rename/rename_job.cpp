#include "rename/rename_job.h"

#include "platform/bytes.h"

#include <algorithm>

namespace {

std::uint64_t NameHash(const std::string& name) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (const char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return hash;
}

constexpr std::uint32_t kNoGroup = static_cast<std::uint32_t>(-1);

// The proposed names of a Run, each distinct one numbered as a group, and for
// every row the group of its old name when some row proposes that name too.
// Worked out before the renames, so that the Run itself only reads small
// arrays between its system calls.
struct NameGroups {
  std::vector<std::uint32_t> groupOfNew;  // per row
  std::vector<std::uint32_t> groupOfOld;  // per row; kNoGroup when no row proposes it
  std::uint32_t groups = 0;
};

NameGroups GroupNames(const std::deque<RenameRow>& rows, std::size_t count) {
  NameGroups result;
  result.groupOfNew.resize(count);
  result.groupOfOld.assign(count, kNoGroup);
  std::size_t capacity = 16;
  while (capacity < 2 * count) capacity *= 2;
  struct Slot {
    std::uint64_t hash;
    std::uint32_t row;  // a row proposing the name; kNoGroup: an empty slot
    std::uint32_t group;
  };
  std::vector<Slot> slots(capacity, Slot{0, kNoGroup, kNoGroup});
  const std::size_t mask = capacity - 1;
  const auto find = [&](const std::string& name, std::uint64_t hash) {
    std::size_t i = hash & mask;
    while (slots[i].row != kNoGroup &&
           !(slots[i].hash == hash && rows[slots[i].row].newName == name)) {
      i = (i + 1) & mask;
    }
    return i;
  };
  for (std::size_t row = 0; row < count; ++row) {
    const std::uint64_t hash = NameHash(rows[row].newName);
    const std::size_t i = find(rows[row].newName, hash);
    if (slots[i].row == kNoGroup) {
      slots[i] = Slot{hash, static_cast<std::uint32_t>(row), result.groups++};
    }
    result.groupOfNew[row] = slots[i].group;
  }
  for (std::size_t row = 0; row < count; ++row) {
    result.groupOfOld[row] = slots[find(rows[row].oldName, NameHash(rows[row].oldName))].group;
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

void RenameJob::SetFilter(const std::string& filter) { filter_ = platform::UpperBytes(filter); }

void RenameJob::Clear() {
  std::deque<RenameRow>().swap(rows_);  // gives the memory back
  proposed_ = false;
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
                                const std::function<void(std::string name)>& onMatch) const {
  return folder.List([&](std::string name) {
    if (Matches(name)) onMatch(std::move(name));
  });
}

void RenameJob::AddRow(std::string oldName) {
  rows_.push_back(RenameRow{std::move(oldName), std::string()});
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
  if (numbered) {
    usedNumbers_.resize(kNumberTableSize);
    std::fill(usedNumbers_.begin(), usedNumbers_.begin() + static_cast<std::ptrdiff_t>(count) + 1, 0);
  }
  const int modulus = static_cast<int>(count);
  for (RenameRow& row : rows_) {
    std::string name = method == RenameMethod::kAdd
                           ? row.oldName
                           : platform::DropFirstBytes(row.oldName, kPrefixLength);
    if (numbered) {
      int number;
      do {
        number = random.Next15() % modulus + 1;
      } while (usedNumbers_[static_cast<std::size_t>(number)] != 0);
      usedNumbers_[static_cast<std::size_t>(number)] = 1;
      row.newName = platform::FormatNumbered(number, name);
    } else {
      row.newName = std::move(name);
    }
  }
  proposed_ = true;
  return ProposeRefusal::kNone;
}

RunResult RenameJob::Run(platform::Folder& folder, RunObserver* observer) const {
  const std::size_t total = newCount();
  RunResult result;
  result.outcomes.assign(total, RowOutcome::kNotRun);
  // Which names this Run has given. A listed name among them means the listed
  // file went away (another program deleted it) and an earlier row took its
  // name: renaming it again would move the wrong file.
  const NameGroups names = GroupNames(rows_, total);
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
