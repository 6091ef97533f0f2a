// Faults injected into the directory and journal operations of a Run, as a
// failing disk or a pulled stick has them: every operation is counted, the
// one numbered `at` fails, and when the fault is lasting every later one
// fails too. Folders and the journal's file operations share one count.
#pragma once

#include "platform/folder.h"
#include "rename/run_journal.h"

#include <memory>
#include <string>

namespace testing_support {

struct FaultPlan {
  enum class Kind {
    kIo,       // an input/output error
    kNoSpace,  // the disk is full; a journal record is written half
    kAccess,   // no permission
    kGone,     // the entry is not found
  };
  long at = 0;  // 1-based; 0: no fault
  bool lasting = false;
  Kind kind = Kind::kIo;
  long count = 0;   // operations so far
  long failed = 0;  // operations failed so far

  // Counts an operation; the error it fails with, or none.
  platform::Error Next();
  void Clear() { at = 0; }
};

const char* FaultName(FaultPlan::Kind kind);

// The folders `inner` opens, failing as the plan says (opening included).
platform::FolderOpener FaultyFolders(platform::FolderOpener inner, FaultPlan& plan);

// The system's journal file operations, failing as the plan says.
class FaultyJournalFiles : public JournalFiles {
 public:
  explicit FaultyJournalFiles(FaultPlan& plan) : plan_(plan) {}
  platform::Error Read(const std::string& path, std::string* text) override;
  platform::Error Replace(const std::string& path, const std::string& text) override;
  platform::Error Append(const std::string& path, const std::string& text) override;
  platform::Error CutTo(const std::string& path, std::uint64_t size) override;
  platform::Error Remove(const std::string& path) override;

 private:
  FaultPlan& plan_;
};

}  // namespace testing_support
