#include "rename/rename_state.h"

#include "platform/bytes.h"
#include "platform/dirlist.h"
#include "platform/norename.h"
#include "rename/control_ids.h"
#include "settings/settings_path.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {
const char kSection[] = "Config";
constexpr int kSearchPauseMs = 500;
// The number prefix "0042_" that Replace and Delete take off.
constexpr std::size_t kPrefixLength = 5;
// Failed rows named in the report; the rest are counted.
constexpr std::size_t kReportedRows = 12;

std::uint64_t NameHash(const std::string& name) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (const char c : name) {
    hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  }
  return hash;
}

// The names a Run has given so far, kept as rows of the New list in a flat
// table of hashes that is sized once: remembering a name costs no allocation.
class GivenNames {
 public:
  explicit GivenNames(int rows) {
    std::size_t capacity = 16;
    while (capacity < 2 * static_cast<std::size_t>(rows)) capacity *= 2;
    slots_.assign(capacity, Slot{0, -1});
    mask_ = capacity - 1;
  }
  void Add(std::uint64_t hash, int row) {
    std::size_t i = hash & mask_;
    while (slots_[i].row >= 0) i = (i + 1) & mask_;
    slots_[i] = Slot{hash, row};
  }
  // `given(row)` tells whether the name given at that row is the one sought.
  template <class Given>
  bool Contains(std::uint64_t hash, Given given) const {
    for (std::size_t i = hash & mask_; slots_[i].row >= 0; i = (i + 1) & mask_) {
      if (slots_[i].hash == hash && given(slots_[i].row)) return true;
    }
    return false;
  }

 private:
  struct Slot {
    std::uint64_t hash;
    int row;  // -1: empty
  };
  std::vector<Slot> slots_;
  std::size_t mask_ = 0;
};
}

CRenameState::CRenameState(DialogControls& controls, platform::RandomSource& random,
                           platform::Pauser& pauser, std::string executablePath)
    : controls_(controls),
      random_(random),
      pauser_(pauser),
      executablePath_(std::move(executablePath)) {}

void CRenameState::InitRenameState() {
  random_.SeedFromClock();
  LoadSettings();
  folder_ = storedFolder_;
  extensionFilter_ = storedExtension_;
  method_ = storedMethod_;
  controls_.SetDlgItemText(IDC_FOLDER, folder_);
  controls_.SetDlgItemText(IDC_EXTENSION, extensionFilter_);
  oldCount_ = 0;
  newCount_ = 0;
  controls_.ListClear(IDC_OLD_LIST);
  controls_.ListClear(IDC_NEW_LIST);
  controls_.ShowItem(IDC_OVERLAY, false);
  controls_.SetDlgItemText(IDC_OVERLAY, "");
  CheckMethod(method_);
  EnableActions(false, false);
  controls_.SetDlgItemText(IDC_STATUS, "");
}

void CRenameState::LoadSettings() {
  const SettingsLocation location = SettingsLocationFor(executablePath_);
  settings_.SetPath(location.folder);
  settings_.SetFileName(location.fileName);
  settings_.SetSection(kSection);
  storedFolder_ = settings_.GetString("Folder", "");
  storedExtension_ = settings_.GetString("File", "mp3");
  storedMethod_ = settings_.GetInt("Method", kMethodNone);
}

RenameMethod CRenameState::ReadMethod() {
  if (controls_.GetCheck(IDC_ADD)) {
    method_ = kMethodAdd;
  } else if (controls_.GetCheck(IDC_REPLACE)) {
    method_ = kMethodReplace;
  } else if (controls_.GetCheck(IDC_DELETE)) {
    method_ = kMethodDelete;
  } else {
    method_ = kMethodNone;
  }
  return method_;
}

void CRenameState::CheckMethod(RenameMethod method) {
  controls_.SetCheck(IDC_ADD, false);
  controls_.SetCheck(IDC_REPLACE, false);
  controls_.SetCheck(IDC_DELETE, false);
  switch (method) {
    case kMethodAdd: controls_.SetCheck(IDC_ADD, true); break;
    case kMethodReplace: controls_.SetCheck(IDC_REPLACE, true); break;
    case kMethodDelete: controls_.SetCheck(IDC_DELETE, true); break;
    default: break;  // none checked
  }
}

void CRenameState::EnableActions(bool random, bool run) {
  controls_.EnableItem(IDC_RANDOM, random);
  controls_.EnableItem(IDC_RUN, run);
}

void CRenameState::AddOldEntry(std::string name) {
  controls_.ListAppend(IDC_OLD_LIST, std::to_string(oldCount_ + 1), name);
  ++oldCount_;
}

void CRenameState::OnSearch() {
  controls_.SetDlgItemText(IDC_STATUS, "");
  EnableActions(false, false);
  controls_.ListClear(IDC_OLD_LIST);
  controls_.ListClear(IDC_NEW_LIST);
  folder_ = controls_.GetDlgItemText(IDC_FOLDER);
  extensionFilter_ = controls_.GetDlgItemText(IDC_EXTENSION);

  settings_.SetSection(kSection);
  settings_.WriteString("Folder", folder_);
  settings_.WriteString("File", extensionFilter_);

  oldCount_ = 0;
  newCount_ = 0;
  extensionFilter_ = platform::UpperBytes(extensionFilter_);

  controls_.SetDlgItemText(IDC_OVERLAY, "searching...");
  controls_.ShowItem(IDC_OVERLAY, true);
  pauser_.Pause(kSearchPauseMs);

  ScanFolder(folder_);

  controls_.SetDlgItemText(IDC_OVERLAY, "done");
  pauser_.Pause(kSearchPauseMs);
  controls_.ShowItem(IDC_OVERLAY, false);

  if (oldCount_ > 0) EnableActions(true, false);
}

void CRenameState::ScanFolder(std::string folder) {
  // The folder text plus one separator, nothing added or removed besides:
  // an empty folder box lists "/". A folder that cannot be read lists nothing.
  platform::ListFiles(folder + "/", [this](const std::string& name) {
    // Upper-casing touches single bytes only, so the last three bytes of
    // the upper-cased name are the upper-cased last three bytes.
    if (extensionFilter_.empty() ||
        platform::UpperBytes(platform::LastBytes(name, 3)) == extensionFilter_) {
      AddOldEntry(name);
    }
  });
}

bool CRenameState::OnRandom() {
  if (oldCount_ == 0) return false;
  return GenerateNewNames(ReadMethod());
}

bool CRenameState::GenerateNewNames(RenameMethod method) {
  if (method != kMethodAdd && method != kMethodReplace && method != kMethodDelete) {
    controls_.ShowMessage("method 선택 필요!!");
    return false;
  }
  const bool numbered = method != kMethodDelete;
  if (numbered && oldCount_ > kMaxNumberedFiles) {
    // The numbers are drawn from 15 bits and the table holds 32766 of them.
    controls_.ShowMessage("Too many files: Random can number at most " +
                          std::to_string(kMaxNumberedFiles) + " files at a time, and " +
                          std::to_string(oldCount_) +
                          " are listed.\n\nChoose a narrower extension or a smaller folder.");
    return false;
  }

  controls_.ListClear(IDC_NEW_LIST);
  newCount_ = 0;
  if (numbered) std::fill(usedNumbers_.begin(), usedNumbers_.begin() + oldCount_ + 1, 0);

  for (int row = 0; row < oldCount_; ++row) {
    int number = 0;
    if (numbered) {
      do {
        number = random_.Next15() % oldCount_ + 1;
      } while (usedNumbers_[static_cast<std::size_t>(number)] != 0);
      usedNumbers_[static_cast<std::size_t>(number)] = 1;
    }
    std::string name = controls_.ListGetName(IDC_OLD_LIST, row);
    if (method != kMethodAdd) name = platform::DropFirstBytes(name, kPrefixLength);
    controls_.ListAppend(IDC_NEW_LIST, std::to_string(newCount_ + 1),
                         numbered ? platform::FormatNumbered(number, name) : name);
    ++newCount_;
  }
  EnableActions(true, true);
  return true;
}

void CRenameState::OnRun() { RenameAll(true); }

void CRenameState::RenameAll(bool confirm) {
  if (newCount_ == 0) {
    controls_.ShowMessage("random 실행 필요!!");
    return;
  }
  if (confirm && !controls_.AskYesNo("파일 이름을 바꾸시겠습니까?", "확인")) return;

  // The folder of the last Search, opened once; every rename happens inside it.
  const int folderFd = open((folder_ + "/").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const int folderError = folderFd < 0 ? errno : 0;
  std::vector<FailedRow> failures;
  // Names this Run has given. A listed name among them means the listed file
  // went away (another program deleted it) and an earlier row took its name:
  // renaming it again would move the wrong file.
  GivenNames given(newCount_);
  for (int row = 0; row < newCount_; ++row) {
    const std::string& from = controls_.ListGetName(IDC_OLD_LIST, row);
    const std::string& to = controls_.ListGetName(IDC_NEW_LIST, row);
    // A file that keeps its name (Replace drew its own number) is done.
    if (from == to) continue;
    int error;
    if (to.empty()) {
      error = 0;
    } else if (folderFd < 0) {
      error = folderError;
    } else if (given.Contains(NameHash(from), [&](int givenRow) {
                 return controls_.ListGetName(IDC_NEW_LIST, givenRow) == from;
               })) {
      error = ENOENT;
    } else {
      error = platform::RenameNoReplace(folderFd, from, to);
      if (error == 0) {
        given.Add(NameHash(to), row);
        continue;
      }
    }
    failures.push_back({row, error});
  }
  if (folderFd >= 0) close(folderFd);

  controls_.SetDlgItemText(IDC_STATUS,
                           failures.empty() ? std::string("COMPLETE!!")
                                            : std::to_string(failures.size()) + " of " +
                                                  std::to_string(newCount_) + " failed");
  EnableActions(false, false);
  settings_.SetSection(kSection);
  settings_.WriteInt("Method", method_);
  if (!failures.empty()) controls_.ShowMessage(FailureReport(failures));
}

std::string CRenameState::FailureReport(const std::vector<FailedRow>& failures) {
  std::string report = std::to_string(failures.size()) + " of " + std::to_string(newCount_) +
                       (newCount_ == 1 ? " file" : " files") +
                       " could not be renamed:\n";
  std::size_t shown = 0;
  for (const FailedRow& failure : failures) {
    if (shown == kReportedRows) break;
    ++shown;
    const std::string reason =
        failure.error == 0 ? "the new name is empty" : platform::RenameErrorText(failure.error);
    report += "\n" + platform::DisplayUtf8(controls_.ListGetName(IDC_OLD_LIST, failure.row), true) +
              "  ->  " +
              platform::DisplayUtf8(controls_.ListGetName(IDC_NEW_LIST, failure.row), true) +
              ": " + reason;
  }
  if (shown < failures.size()) {
    report += "\n... and " + std::to_string(failures.size() - shown) + " more.";
  }
  return report;
}

void CRenameState::OnExpress() {
  if (ReadMethod() != kMethodReplace) return;
  if (!controls_.AskYesNo("sure?\n\n[Search] - [Random] - [Run]", "Replace")) return;
  OnSearch();
  if (oldCount_ != 0 && OnRandom()) RenameAll(false);
}
