#include "rename/run_report.h"

#include "platform/bytes.h"

namespace {
// Failed rows named in the report; the rest are counted.
constexpr std::size_t kReportedRows = 12;
// A name in the report is shortened in the middle to this many characters,
// so that the message fits on the screen.
constexpr std::size_t kReportedNameLength = 40;
}  // namespace

std::string ReportedName(const std::string& name) {
  return platform::ShortenMiddle(platform::DisplayUtf8(name, true), kReportedNameLength);
}

std::string RunStatusText(const RunResult& result, const std::string& done) {
  const std::string total = std::to_string(result.outcomes.size());
  if (result.stopped) {
    std::size_t renamed = 0;
    for (const RowOutcome outcome : result.outcomes) {
      if (outcome == RowOutcome::kRenamed || outcome == RowOutcome::kSameName) ++renamed;
    }
    return "stopped: " + std::to_string(renamed) + " of " + total + " renamed";
  }
  if (result.failures.empty()) return done;
  return std::to_string(result.failures.size()) + " of " + total + " failed";
}

std::string RunFailureReport(const RenameJob& job, const RunResult& result) {
  if (result.failures.empty()) return std::string();
  const std::size_t total = result.outcomes.size();
  std::string report = std::to_string(result.failures.size()) + " of " + std::to_string(total) +
                       (total == 1 ? " file" : " files") + " could not be renamed:\n";
  std::size_t shown = 0;
  for (const RowFailure& failure : result.failures) {
    if (shown == kReportedRows) break;
    ++shown;
    const RenameRow& row = job.row(failure.row);
    report += "\n" + ReportedName(row.oldName) + "  ->  " + ReportedName(row.newName) + ": " +
              FailureWords(failure);
  }
  if (shown < result.failures.size()) {
    report += "\n... and " + std::to_string(result.failures.size() - shown) + " more.";
  }
  return report;
}

std::size_t WaitingCount(const WayBackResult& wayBack) {
  std::size_t count = 0;
  for (const Stranded& stranded : wayBack.stranded) count += stranded.listed ? stranded.names.size() : 1;
  return count == 0 && !wayBack.complete ? 1 : count;
}

std::string WaitingReport(const WayBackResult& wayBack) {
  if (wayBack.complete) return std::string();
  std::string report = "Not every file is back in its folder";
  if (wayBack.error.failed()) report += " (" + (wayBack.error.words.empty() ? std::string("failed") : wayBack.error.words) + ")";
  report += ".";
  if (!wayBack.folderAt.empty()) {
    report += "\n\nThe folder itself is now:\n" + platform::DisplayUtf8(wayBack.folderAt, true);
  }
  for (const Stranded& stranded : wayBack.stranded) {
    report += "\n\nWaiting in " + platform::DisplayUtf8(stranded.place, true) + ":";
    if (!stranded.listed) {
      report += "\n(what it holds cannot be read now)";
      continue;
    }
    std::size_t shown = 0;
    for (const std::string& name : stranded.names) {
      if (shown++ == kReportedRows) {
        report += "\n... and " + std::to_string(stranded.names.size() - kReportedRows) + " more.";
        break;
      }
      report += "\n" + ReportedName(name);
    }
  }
  report += "\n\nUndo, or the next start of the program, brings them back once the disk lets it.";
  return report;
}
