#include "rename/rename_state.h"

#include "rename/control_ids.h"
#include "settings/settings_path.h"

#include <utility>

namespace {
const char kSection[] = "Config";
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

void CRenameState::AddOldEntry(const std::string& name) {
  controls_.ListAppend(IDC_OLD_LIST, std::to_string(oldCount_ + 1), name);
  ++oldCount_;
}
