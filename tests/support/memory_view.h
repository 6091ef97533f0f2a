// A RenameView kept in memory: the front of the headless tests and the
// benchmarks. Questions are answered from a queue (Yes when it is empty), the
// folder picker from `picked`, and every question, message, busy text and
// progress text is recorded. It draws the state of the workflow it is
// attached to.
#pragma once

#include "rename/rename_job.h"
#include "rename/rename_view.h"
#include "rename/workflow.h"

#include <deque>
#include <functional>
#include <optional>
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
  void RowsChanged() override { ++rowsChanged; }
  void StateChanged() override;
  void PaintNow() override { ++paints; }
  bool AskYesNo(const std::string& text, const std::string& caption) override {
    questions.push_back({text, caption});
    if (whileAsked) whileAsked();
    if (answers.empty()) return true;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  bool PickFolder(std::string* path) override {
    ++pickerCalls;
    if (!picked) return false;
    *path = *picked;
    return true;
  }

  // Draws this workflow's state from now on.
  void Attach(RenameWorkflow& workflow) { workflow_ = &workflow; }
  // Carries a command out, and a long Run or Undo that it starts to its
  // end, stopping it once `stopAfter` progress texts were shown.
  bool Do(Command command);

  std::string folder;
  std::string extension;
  RenameMethod checked = RenameMethod::kNone;
  bool randomEnabled = true;
  bool runEnabled = true;
  int rowsChanged = 0;
  std::string status = "<unset>";
  bool busyShown = true;
  int paints = 0;
  std::vector<std::string> busyLog;  // "show:text" and "hide", in order
  std::vector<std::string> progress; // every progress text shown
  int stopAfter = -1;                // Esc after that many progress texts; -1: never
  bool undoEnabled = false;
  std::deque<bool> answers;          // the next answers to AskYesNo
  std::vector<Question> questions;   // every question asked
  std::vector<std::string> messages; // every OK message shown
  std::optional<std::string> picked; // what the folder picker answers; none: Cancel
  int pickerCalls = 0;
  std::function<void()> whileAsked;  // called while a question is open

 private:
  std::string overlay_;
  RenameWorkflow* workflow_ = nullptr;
};

// A workflow with its front in memory.
struct MemoryProgram {
  explicit MemoryProgram(WorkflowServices services);
  MemoryView view;
  RenameWorkflow workflow;
  bool Do(Command command) { return view.Do(command); }
};

// The names of the Old list and of the New list.
std::vector<std::string> OldNames(const RenameJob& job);
std::vector<std::string> NewNames(const RenameJob& job);

}  // namespace testing_support
