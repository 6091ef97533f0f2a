#include "platform/lock.h"

#include "platform/path.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

// The lock is taken on the folder that holds the file: a folder stays the
// same while files in it are replaced, and locking it makes no file.
struct ExclusiveLock::Handle {
  int fd = -1;
  ~Handle() {
    if (fd >= 0) close(fd);  // lets the lock go
  }
};

ExclusiveLock::~ExclusiveLock() = default;

std::unique_ptr<ExclusiveLock> ExclusiveLock::TryTake(const std::string& path) {
  const PathParts parts = SplitPath(path);
  const std::string folder = parts.hasFolder ? parts.folder : ".";
  auto handle = std::make_unique<Handle>();
  handle->fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle->fd >= 0 && flock(handle->fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    return nullptr;
  }
  std::unique_ptr<ExclusiveLock> lock(new ExclusiveLock());
  lock->handle_ = std::move(handle);
  return lock;
}

}  // namespace platform
