#include "test_folders.h"

#include <algorithm>

namespace testing_support {

platform::FolderOpener SystemOrFallbackFolders(bool fallback) {
  if (!fallback) return platform::OpenSystemFolder;
  return [](const std::string& path) -> std::unique_ptr<platform::Folder> {
    return std::make_unique<FallbackFolder>(path);
  };
}

platform::Error OrderedFolder::List(const std::function<void(std::string name)>& onFile,
                                   const std::function<void(std::string name, bool linked)>& onFolder) {
  std::vector<std::string> files;
  const platform::Error error = platform::SystemFolder::List(
      [&](std::string name) { files.push_back(std::move(name)); },
      [&](std::string name, bool linked) {
        if (onFolder) onFolder(std::move(name), linked);
      });
  for (const std::string& name : order_) {
    if (std::find(files.begin(), files.end(), name) != files.end()) onFile(name);
  }
  for (std::string& name : files) {
    if (onFolder && std::find(order_.begin(), order_.end(), name) == order_.end()) onFolder(std::move(name), true);
  }
  return error;
}

platform::FolderOpener OrderedFolders(std::vector<std::string> order) {
  return [order](const std::string& path) -> std::unique_ptr<platform::Folder> {
    return std::make_unique<OrderedFolder>(path, order);
  };
}

}  // namespace testing_support
