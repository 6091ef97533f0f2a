// The state of one rename job and the operations on it. The main dialog owns
// one of these by value; it reaches the window only through DialogControls.
#pragma once

#include "platform/random.h"
#include "rename/dialog_controls.h"
#include "settings/ini_settings.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// 0 Add, 1 Replace, 2 Delete, -1 none selected.
using RenameMethod = std::int32_t;
constexpr RenameMethod kMethodNone = -1;
constexpr RenameMethod kMethodAdd = 0;
constexpr RenameMethod kMethodReplace = 1;
constexpr RenameMethod kMethodDelete = 2;

// The used-number table holds numbers 0 to 32766; 0 is never handed out.
constexpr int kUsedNumberEntries = 32767;
constexpr int kMaxNumberedFiles = kUsedNumberEntries - 1;

class CRenameState {
 public:
  // executablePath: where the program runs from; the settings file lies
  // beside it.
  CRenameState(DialogControls& controls, platform::RandomSource& random,
               platform::Pauser& pauser, std::string executablePath);

  // The start-up step: seeds the generator, reads the settings, fills the
  // boxes and radio buttons, hides the overlay, disables Random and Run.
  void InitRenameState();
  void LoadSettings();

  RenameMethod ReadMethod();
  void CheckMethod(RenameMethod method);
  void EnableActions(bool random, bool run);

  // Search: lists the matching files of the folder in the box, remembering
  // the folder and the filter in the settings file.
  void OnSearch();
  void ScanFolder(std::string folder);
  // Appends a row to the Old list.
  void AddOldEntry(std::string name);

  // Random: proposes new names by the checked method. Returns true when the
  // New list was filled.
  bool OnRandom();
  bool GenerateNewNames(RenameMethod method);

  // Run: renames every listed file after a question; Express: Search, Random
  // and Run behind one question, for the Replace method only.
  void OnRun();
  void RenameAll(bool confirm);
  void OnExpress();

  const std::string& folder() const { return folder_; }
  const std::string& extensionFilter() const { return extensionFilter_; }
  RenameMethod method() const { return method_; }
  int oldCount() const { return oldCount_; }
  int newCount() const { return newCount_; }
  const CIniSettings& settings() const { return settings_; }
  const std::string& storedFolder() const { return storedFolder_; }
  const std::string& storedExtension() const { return storedExtension_; }
  RenameMethod storedMethod() const { return storedMethod_; }

 private:
  std::string folder_;
  std::string extensionFilter_;
  RenameMethod method_ = kMethodNone;
  std::int32_t oldCount_ = 0;
  std::int32_t newCount_ = 0;
  std::array<std::int32_t, kUsedNumberEntries> usedNumbers_{};
  CIniSettings settings_;
  std::string storedFolder_;
  std::string storedExtension_;
  RenameMethod storedMethod_ = kMethodNone;

  struct FailedRow {
    int row;
    int error;  // an errno value, or 0 for an empty new name
  };
  std::string FailureReport(const std::vector<FailedRow>& failures);

  DialogControls& controls_;
  platform::RandomSource& random_;
  platform::Pauser& pauser_;
  std::string executablePath_;
};
