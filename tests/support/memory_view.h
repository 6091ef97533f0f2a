// A RenameView kept in memory: the front of the headless tests and the
// benchmarks. Questions are answered from a queue (Yes when it is empty), the
// folder picker from `picked`, and every question, message, busy text and
// progress text is recorded: kinds, and the windows' words where a test
// looks into what a message names. It draws the state of the workflow it is
// attached to.
#pragma once

#include "rename/rename_job.h"
#include "rename/rename_view.h"
#include "rename/workflow.h"
#include "shell/texts.h"

#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace testing_support {

class MemoryView : public RenameView {
 public:
  std::string FolderText() override { return folder; }
  void SetFolderText(const std::string& text) override { folder = text; }
  std::string ExtensionText() override { return extension; }
  void SetExtensionText(const std::string& text) override { extension = text; }
  RenameMethod CheckedMethod() override { return checked; }
  void SetCheckedMethod(RenameMethod method) override { checked = method; }
  void RowsChanged() override { ++rowsChanged; }
  void StateChanged() override;
  void PaintNow() override { ++paints; }
  bool Ask(const Question& question) override {
    questions.push_back(question);
    if (whileAsked) whileAsked();
    if (answers.empty()) return true;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void Tell(const Message& message) override {
    told.push_back(message.kind);
    messages.push_back(shell::WordsOf(message));
  }
  void Report(const SessionReport& report) override {
    const std::string text = shell::ReportText(report);
    if (!text.empty()) messages.push_back(text);
  }
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
  StatusLine status;
  bool busyShown = true;
  int paints = 0;
  std::vector<std::string> busyLog;  // "show:text" and "hide", in order
  std::vector<std::string> progress; // every progress text shown
  int stopAfter = -1;                // Esc after that many progress texts; -1: never
  bool undoEnabled = false;
  std::deque<bool> answers;          // the next answers to Ask
  std::vector<Question> questions;   // every question asked
  std::vector<Message::Kind> told;   // every message's kind
  std::vector<std::string> messages; // every message and report, as a window words it
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

// What a status line says, for the tests' checks: a Run or an Undo that did
// every row, that failed for `failed` of `total`, that was stopped with
// `renamed` of `total` done; a proposal's marks.
inline bool Complete(const StatusLine& s) {
  return s.kind == StatusLine::Kind::kRunEnded && s.rows.complete();
}
inline bool Undone(const StatusLine& s) {
  return s.kind == StatusLine::Kind::kUndoEnded && s.rows.complete();
}
inline bool Ended(const StatusLine& s) {
  return s.kind == StatusLine::Kind::kRunEnded || s.kind == StatusLine::Kind::kUndoEnded;
}
inline bool Failed(const StatusLine& s, std::size_t failed, std::size_t total) {
  return Ended(s) && !s.rows.stopped && s.rows.failed == failed && s.rows.total == total;
}
inline bool Stopped(const StatusLine& s, std::size_t renamed, std::size_t total) {
  return Ended(s) && s.rows.stopped && s.rows.renamed == renamed && s.rows.total == total;
}
inline bool Marked(const StatusLine& s, std::size_t willFail, std::size_t losesText) {
  return s.kind == StatusLine::Kind::kForecast && s.forecast.willFail == willFail &&
         s.forecast.losesText == losesText;
}
// Prints a status line as a window words it, when a check fails.
inline std::ostream& operator<<(std::ostream& out, const StatusLine& s) {
  return out << '"' << shell::StatusText(s) << '"';
}

