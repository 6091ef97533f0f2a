// Folders for the workflow that behave as a test needs.
#pragma once

#include "platform/folder.h"

namespace testing_support {

// A folder whose file system, as far as renaming goes, has no atomic
// no-replace rename: every rename takes the check-then-rename road.
class FallbackFolder : public platform::Folder {
 public:
  using platform::Folder::Folder;

 protected:
  platform::Error AtomicRenameNoReplace(const std::string&, const std::string&) override {
    return platform::MakeError(platform::ErrorCode::kUnsupported);
  }
};

// The system's folders, or fallback ones.
platform::FolderOpener SystemOrFallbackFolders(bool fallback);

}  // namespace testing_support
