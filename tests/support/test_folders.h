// Folders for the workflow that behave as a test needs.
#pragma once

#include "platform/folder.h"
#include "test_support.h"

#include <vector>

namespace testing_support {

// A folder whose file system, as far as renaming goes, has no atomic
// no-replace rename: every rename takes the check-then-rename road.
class FallbackFolder : public platform::SystemFolder {
 public:
  using platform::SystemFolder::SystemFolder;

 protected:
  platform::Error AtomicRenameNoReplace(const std::string&, const std::string&) override {
    return platform::MakeError(platform::ErrorCode::kUnsupported);
  }
};

// A folder on a slow disk: every rename takes `delayMs` of the clock's time
// (a fake clock: the test does not sleep).
class SlowFolder : public platform::SystemFolder {
 public:
  SlowFolder(const std::string& path, FakeClock& clock, int delayMs)
      : platform::SystemFolder(path), clock_(clock), delayMs_(delayMs) {}
  platform::Error RenameNoReplace(const std::string& from, const std::string& to) override {
    clock_.now += delayMs_;
    return platform::SystemFolder::RenameNoReplace(from, to);
  }

 private:
  FakeClock& clock_;
  int delayMs_;
};

// A folder that lists the files a test gives, in the order given: the test
// decides which rows there are and which comes first. Its other entries
// are told as folders: names that are there, but no rows.
class OrderedFolder : public platform::SystemFolder {
 public:
  OrderedFolder(const std::string& path, std::vector<std::string> order)
      : platform::SystemFolder(path), order_(std::move(order)) {}
  platform::Error List(const std::function<void(std::string name)>& onFile,
                       const std::function<void(std::string name, bool linked)>& onFolder) override;

 private:
  std::vector<std::string> order_;
};

// The system's folders, or fallback ones.
platform::FolderOpener SystemOrFallbackFolders(bool fallback);
// Folders that list in the order given.
platform::FolderOpener OrderedFolders(std::vector<std::string> order);

}  // namespace testing_support
