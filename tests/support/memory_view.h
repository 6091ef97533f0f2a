// A RenameView kept in memory: the window of the headless tests and the
// benchmarks. Questions are answered from a queue (Yes when it is empty), and
// every question, message and busy text is recorded.
#pragma once

#include "rename/rename_job.h"
#include "rename/rename_view.h"

#include <deque>
#include <string>
#include <vector>

namespace testing_support {

class MemoryView : public RenameView {
 public:
  struct Question {
    std::string text;
    std::string caption;
  };

  std::string FolderText() override { return folder; }
  void SetFolderText(const std::string& text) override { folder = text; }
  std::string ExtensionText() override { return extension; }
  void SetExtensionText(const std::string& text) override { extension = text; }
  RenameMethod CheckedMethod() override { return checked; }
  void SetCheckedMethod(RenameMethod method) override { checked = method; }
  void SetActionsEnabled(bool random, bool run) override {
    randomEnabled = random;
    runEnabled = run;
  }
  void RowsChanged() override { ++rowsChanged; }
  void SetStatus(const std::string& text) override { status = text; }
  void ShowBusy(const std::string& text) override {
    busyShown = true;
    busyLog.push_back("show:" + text);
  }
  void HideBusy() override {
    busyShown = false;
    busyLog.push_back("hide");
  }
  bool ShowProgress(const std::string& text) override {
    busyShown = true;
    progress.push_back(text);
    return stopAfter < 0 || static_cast<int>(progress.size()) < stopAfter;
  }
  void EnableUndo(bool enable) override { undoEnabled = enable; }
  bool AskYesNo(const std::string& text, const std::string& caption) override {
    questions.push_back({text, caption});
    if (answers.empty()) return true;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }

  std::string folder;
  std::string extension;
  RenameMethod checked = RenameMethod::kNone;
  bool randomEnabled = true;
  bool runEnabled = true;
  int rowsChanged = 0;
  std::string status = "<unset>";
  bool busyShown = true;
  std::vector<std::string> busyLog;  // "show:text" and "hide", in order
  std::vector<std::string> progress; // every progress text shown
  int stopAfter = -1;                // Esc after that many progress texts; -1: never
  bool undoEnabled = false;
  std::deque<bool> answers;          // the next answers to AskYesNo
  std::vector<Question> questions;   // every question asked
  std::vector<std::string> messages; // every OK message shown
};

// The names of the Old list and of the New list.
std::vector<std::string> OldNames(const RenameJob& job);
std::vector<std::string> NewNames(const RenameJob& job);

}  // namespace testing_support
