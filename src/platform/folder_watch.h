// Tells whether the entries of a folder have changed, without waiting: a
// window asks now and then and looks again only when something changed.
#pragma once

#include <memory>
#include <string>

namespace platform {

class FolderWatch {
 public:
  // Watches the folder at `path`; a folder that cannot be watched never
  // reports a change.
  explicit FolderWatch(const std::string& path);
  ~FolderWatch();
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  // True when a name was added, removed or renamed in the folder since the
  // watch began or since the last call that returned true.
  bool Changed();

 private:
  struct Handle;
  std::unique_ptr<Handle> handle_;
};

}  // namespace platform
