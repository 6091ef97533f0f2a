// A lock that one running program holds and every other one is refused:
// two copies of the program started from the same place must not write one
// journal at once. The system lets it go when the program ends, even by a
// crash.
#pragma once

#include <memory>
#include <string>

namespace platform {

class ExclusiveLock {
 public:
  ~ExclusiveLock();
  ExclusiveLock(const ExclusiveLock&) = delete;
  ExclusiveLock& operator=(const ExclusiveLock&) = delete;

  // The lock of the folder that holds a file (the journal); none when
  // another program holds it. No file is made for it: on POSIX systems it
  // is the folder's own lock, on Windows a mutex named after its path. Where the
  // system has no lock to give (a folder that cannot be opened), the lock
  // is given without holding anything.
  static std::unique_ptr<ExclusiveLock> TryTake(const std::string& path);

 private:
  ExclusiveLock() = default;
  struct Handle;
  std::unique_ptr<Handle> handle_;
};

}  // namespace platform
