#include "rename/workflow.h"

#include "platform/exepath.h"
#include "rename/run_report.h"
#include "settings/settings_path.h"

#include <utility>

namespace {
const char kSection[] = "Config";
constexpr int kSearchPauseMs = 500;

template <class T, class Default>
std::unique_ptr<T> OwnUnless(T* given) {
  return given != nullptr ? nullptr : std::make_unique<Default>();
}
}  // namespace

RenameWorkflow::RenameWorkflow(RenameView& view, WorkflowServices services)
    : view_(view),
      ownRandom_(OwnUnless<platform::RandomSource, platform::ClockRandom>(services.random)),
      ownPauser_(OwnUnless<platform::Pauser, platform::SleepPauser>(services.pauser)),
      random_(services.random != nullptr ? *services.random : *ownRandom_),
      pauser_(services.pauser != nullptr ? *services.pauser : *ownPauser_),
      openFolder_(services.openFolder ? std::move(services.openFolder)
                                      : platform::FolderOpener(platform::OpenSystemFolder)),
      executablePath_(std::move(services.executablePath)) {}

void RenameWorkflow::InitRenameState() {
  random_.SeedFromClock();
  LoadSettings();
  job_.SetFolder(storedFolder_);
  job_.SetMethod(MethodFromStored(storedMethod_));
  view_.SetFolderText(storedFolder_);
  view_.SetExtensionText(storedExtension_);
  job_.Clear();
  view_.RowsChanged();
  view_.HideBusy();
  CheckMethod(job_.method());
  EnableActions(false, false);
  view_.SetStatus("");
}

void RenameWorkflow::LoadSettings() {
  if (!executablePath_) executablePath_ = platform::ExecutablePath();
  // Where the program cannot tell its own place there is no settings file:
  // the defaults at start and no writes, never a file in the working folder.
  if (!executablePath_->empty()) {
    const SettingsLocation location = SettingsLocationFor(*executablePath_);
    settings_.SetPath(location.folder);
    settings_.SetFileName(location.fileName);
  }
  settings_.SetSection(kSection);
  storedFolder_ = settings_.GetString("Folder", "");
  storedExtension_ = settings_.GetString("File", "mp3");
  storedMethod_ = settings_.GetInt("Method", StoredMethod(RenameMethod::kNone));
}

RenameMethod RenameWorkflow::ReadMethod() {
  job_.SetMethod(view_.CheckedMethod());
  return job_.method();
}

void RenameWorkflow::CheckMethod(RenameMethod method) { view_.SetCheckedMethod(method); }

void RenameWorkflow::EnableActions(bool random, bool run) { view_.SetActionsEnabled(random, run); }

void RenameWorkflow::OnSearch() {
  view_.SetStatus("");
  EnableActions(false, false);
  job_.Clear();
  view_.RowsChanged();
  job_.SetFolder(view_.FolderText());
  const std::string typedFilter = view_.ExtensionText();

  settings_.SetSection(kSection);
  settings_.WriteString("Folder", job_.folder());
  settings_.WriteString("File", typedFilter);

  job_.SetFilter(typedFilter);

  view_.ShowBusy("searching...");
  pauser_.Pause(kSearchPauseMs);

  ScanFolder(job_.folder());
  view_.RowsChanged();

  view_.ShowBusy("done");
  pauser_.Pause(kSearchPauseMs);
  view_.HideBusy();

  if (job_.oldCount() > 0) EnableActions(true, false);
}

void RenameWorkflow::ScanFolder(const std::string& folder) {
  // A folder that cannot be read lists nothing.
  const std::unique_ptr<platform::Folder> opened = OpenFolder(folder);
  job_.Scan(*opened, [this](std::string name) { AddOldEntry(std::move(name)); });
}

void RenameWorkflow::AddOldEntry(std::string name) { job_.AddRow(std::move(name)); }

bool RenameWorkflow::OnRandom() {
  if (job_.oldCount() == 0) return false;
  return GenerateNewNames(ReadMethod());
}

bool RenameWorkflow::GenerateNewNames(RenameMethod method) {
  switch (job_.Propose(method, random_)) {
    case ProposeRefusal::kNoMethod:
      view_.ShowMessage("method 선택 필요!!");
      return false;
    case ProposeRefusal::kTooManyFiles:
      // The numbers are drawn from 15 bits and the table holds 32766 of them.
      view_.ShowMessage("Too many files: Random can number at most " +
                        std::to_string(RenameJob::kMaxNumberedFiles) + " files at a time, and " +
                        std::to_string(job_.oldCount()) +
                        " are listed.\n\nChoose a narrower extension or a smaller folder.");
      return false;
    case ProposeRefusal::kNone:
      break;
  }
  view_.RowsChanged();
  EnableActions(true, true);
  return true;
}

void RenameWorkflow::OnRun() { RenameAll(true); }

void RenameWorkflow::RenameAll(bool confirm) {
  if (job_.newCount() == 0) {
    view_.ShowMessage("random 실행 필요!!");
    return;
  }
  if (confirm && !view_.AskYesNo("파일 이름을 바꾸시겠습니까?", "확인")) return;

  // The folder of the last Search; every rename happens inside it.
  const std::unique_ptr<platform::Folder> folder = OpenFolder(job_.folder());
  const RunResult result = job_.Run(*folder, nullptr);

  view_.SetStatus(RunStatusText(result));
  EnableActions(false, false);
  settings_.SetSection(kSection);
  settings_.WriteInt("Method", StoredMethod(job_.method()));
  if (!result.failures.empty()) view_.ShowMessage(RunFailureReport(job_, result));
}

void RenameWorkflow::OnExpress() {
  if (ReadMethod() != RenameMethod::kReplace) return;
  if (!view_.AskYesNo("sure?\n\n[Search] - [Random] - [Run]", "Replace")) return;
  OnSearch();
  if (job_.oldCount() != 0 && OnRandom()) RenameAll(false);
}

std::unique_ptr<platform::Folder> RenameWorkflow::OpenFolder(const std::string& path) {
  return openFolder_(path);
}
