// Tells whether the entries of a folder have changed, without waiting: a
// window asks now and then and looks again only when something changed.
#pragma once

#include <memory>
#include <string>

namespace platform {

class FolderWatch {
 public:
  FolderWatch();
  ~FolderWatch();
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  // Watches the folder at `path` from now on, instead of any folder before;
  // a folder that cannot be watched never reports a change.
  void Watch(const std::string& path);
  // Watches nothing until the next Watch. Cheap: the means of watching are
  // kept for the next folder (on Linux, giving them back waits for the
  // kernel's next grace period, several milliseconds).
  void Stop();

  // True when a name was added, removed or renamed in the watched folder
  // since the watch began or since the last call that returned true.
  bool Changed();

 private:
  struct Handle;
  std::unique_ptr<Handle> handle_;
};

}  // namespace platform
