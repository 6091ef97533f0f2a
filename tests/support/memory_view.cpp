#include "memory_view.h"

namespace testing_support {

void MemoryView::StateChanged() {
  if (workflow_ == nullptr) return;
  const WorkflowState& state = workflow_->state();
  randomEnabled = state.randomEnabled;
  runEnabled = state.runEnabled;
  status = state.status;
  undoEnabled = state.undoPossible;
  const std::string overlay = shell::BusyText(state.busy);
  if (overlay != overlay_) {
    if (overlay.empty()) {
      busyLog.push_back("hide");
    } else if (state.sessionRunning) {
      progress.push_back(overlay);
    } else {
      busyLog.push_back("show:" + overlay);
    }
    overlay_ = overlay;
  }
  busyShown = !overlay.empty();
}

bool MemoryView::Do(Command command) {
  const bool done = workflow_->Do(command);
  while (workflow_->state().sessionRunning) {
    const bool stop = stopAfter >= 0 && static_cast<int>(progress.size()) >= stopAfter;
    workflow_->Do(stop ? Command::kStop : Command::kTick);
  }
  return done;
}

MemoryProgram::MemoryProgram(WorkflowServices services) : workflow(view, std::move(services)) {
  view.Attach(workflow);
}

std::vector<std::string> OldNames(const RenameJob& job) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < job.oldCount(); ++i) names.push_back(job.row(i).oldName);
  return names;
}

std::vector<std::string> NewNames(const RenameJob& job) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < job.newCount(); ++i) names.push_back(job.row(i).newName);
  return names;
}

}  // namespace testing_support
