#include "test_folders.h"

namespace testing_support {

platform::FolderOpener SystemOrFallbackFolders(bool fallback) {
  if (!fallback) return platform::OpenSystemFolder;
  return [](const std::string& path) -> std::unique_ptr<platform::Folder> {
    return std::make_unique<FallbackFolder>(path);
  };
}

}  // namespace testing_support
