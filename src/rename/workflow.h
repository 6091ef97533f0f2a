// The rename workflow of the main window: start-up, Search, Random, Run and
// Express, over one RenameJob, told to a RenameView. A window owns one of
// these by value and routes its buttons here.
#pragma once

#include "platform/folder.h"
#include "platform/pause.h"
#include "platform/random.h"
#include "rename/rename_job.h"
#include "rename/rename_method.h"
#include "rename/rename_view.h"
#include "settings/ini_settings.h"

#include <memory>
#include <optional>
#include <string>

// Where the workflow takes its random numbers, pauses, folders and settings
// file from. What is left empty is the real thing.
struct WorkflowServices {
  platform::RandomSource* random = nullptr;
  platform::Pauser* pauser = nullptr;
  platform::FolderOpener openFolder;
  // The program's own path, beside which the settings file lies; unset: the
  // running program's; empty: unknown, and there is no settings file.
  std::optional<std::string> executablePath;
};

class RenameWorkflow {
 public:
  explicit RenameWorkflow(RenameView& view, WorkflowServices services = {});
  RenameWorkflow(const RenameWorkflow&) = delete;
  RenameWorkflow& operator=(const RenameWorkflow&) = delete;

  // The start-up step: seeds the generator, reads the settings, fills the
  // boxes and radio buttons, hides the busy text, disables Random and Run.
  void InitRenameState();
  void LoadSettings();

  // The checked radio button, remembered as the job's method.
  RenameMethod ReadMethod();
  void CheckMethod(RenameMethod method);
  void EnableActions(bool random, bool run);

  // Search: lists the matching files of the folder in the box, remembering
  // the folder and the filter in the settings file.
  void OnSearch();
  void ScanFolder(const std::string& folder);
  // Appends a row to the Old list.
  void AddOldEntry(std::string name);

  // Random: proposes new names by the checked method. True when the New list
  // was filled.
  bool OnRandom();
  bool GenerateNewNames(RenameMethod method);

  // Run: renames every listed file after a question. Express: Search, Random
  // and Run behind one question, for the Replace method only.
  void OnRun();
  void RenameAll(bool confirm);
  void OnExpress();

  const RenameJob& job() const { return job_; }
  const CIniSettings& settings() const { return settings_; }

 private:
  std::unique_ptr<platform::Folder> OpenFolder(const std::string& path);

  RenameView& view_;
  std::unique_ptr<platform::RandomSource> ownRandom_;
  std::unique_ptr<platform::Pauser> ownPauser_;
  platform::RandomSource& random_;
  platform::Pauser& pauser_;
  platform::FolderOpener openFolder_;
  std::optional<std::string> executablePath_;

  RenameJob job_;
  CIniSettings settings_;
  std::string storedFolder_;
  std::string storedExtension_;
  int storedMethod_ = -1;
};
