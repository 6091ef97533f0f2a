// The rename workflow of the main window: start-up, Search, Random, Run and
// Express, over one RenameJob, told to a RenameView; and around them the
// preview of what Run will do, the journal of the last Run and its Undo. A
// window owns one of these by value and routes its buttons here.
#pragma once

#include "platform/folder.h"
#include "platform/folder_watch.h"
#include "platform/pause.h"
#include "platform/random.h"
#include "rename/rename_job.h"
#include "rename/rename_method.h"
#include "rename/rename_view.h"
#include "settings/ini_settings.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// Where the workflow takes its random numbers, pauses, time, folders and
// settings file from. What is left empty is the real thing.
struct WorkflowServices {
  platform::RandomSource* random = nullptr;
  platform::Pauser* pauser = nullptr;
  platform::FolderOpener openFolder;
  // The program's own path, beside which the settings file lies; unset: the
  // running program's; empty: unknown, and there is no settings file.
  std::optional<std::string> executablePath;
  platform::Clock* clock = nullptr;
};

class RenameWorkflow {
 public:
  explicit RenameWorkflow(RenameView& view, WorkflowServices services = {});
  ~RenameWorkflow();
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
  // Lists the folder's matching files, leaving out the program's own files
  // when it is the program's folder. Returns why the folder could not be read.
  platform::Error ScanFolder(const std::string& folder);
  // Appends a row to the Old list.
  void AddOldEntry(std::string name);

  // Random: proposes new names by the checked method, and marks the rows
  // that will fail or lose part of their name. True when the New list was
  // filled.
  bool OnRandom();
  bool GenerateNewNames(RenameMethod method);

  // Run: renames every listed file after a question. Express: Search, Random
  // and Run behind one question, for the Replace method only.
  void OnRun();
  void RenameAll(bool confirm);
  void OnExpress();

  // Gives the files of the last Run their old names back, after a question.
  void OnUndo();
  bool UndoAvailable() const { return undoAvailable_; }

  // Called now and then by the window: when the searched folder changed
  // since it was last looked at, the marks of a proposal on screen are
  // worked out again.
  void RefreshPreview();

  const RenameJob& job() const { return job_; }
  const CIniSettings& settings() const { return settings_; }
  // The journal of the last Run; empty when there is no settings folder.
  const std::string& journalPath() const { return journalPath_; }

 private:
  class Progress;

  std::unique_ptr<platform::Folder> OpenFolder(const std::string& path);
  void UpdatePreview(platform::Folder& folder);
  // True when the searched folder may have changed since it was last looked
  // at; its listing is then forgotten.
  bool NoticeChanges();
  void StopWatching();
  RunResult RunWithProgress(const RenameJob& job, platform::Folder& folder);
  void ShowOutcome(const RenameJob& job, const RunResult& result, const char* doneText);
  void SetUndoAvailable(bool available);

  RenameView& view_;
  std::unique_ptr<platform::RandomSource> ownRandom_;
  std::unique_ptr<platform::Pauser> ownPauser_;
  std::unique_ptr<platform::Clock> ownClock_;
  platform::RandomSource& random_;
  platform::Pauser& pauser_;
  platform::Clock& clock_;
  platform::FolderOpener openFolder_;
  std::optional<std::string> executablePath_;

  RenameJob job_;
  CIniSettings settings_;
  std::string storedFolder_;
  std::string storedExtension_;
  int storedMethod_ = -1;

  // The program's folder and the names of its own files there (the program,
  // its settings file, its journal), which Search never lists.
  std::string ownFolder_;
  std::vector<std::string> ownNames_;
  std::string journalPath_;
  bool undoAvailable_ = false;
  // Watches the searched folder from Search until Run.
  std::unique_ptr<platform::FolderWatch> watch_;
  bool previewShown_ = false;  // a proposal with its marks is on screen
};
