#include "platform/folder_watch.h"

#include <cerrno>
#include <sys/inotify.h>
#include <unistd.h>

namespace platform {

struct FolderWatch::Handle {
  int fd = -1;
  ~Handle() {
    if (fd >= 0) close(fd);
  }
};

FolderWatch::FolderWatch(const std::string& path) : handle_(std::make_unique<Handle>()) {
  if (path.empty()) return;
  handle_->fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (handle_->fd < 0) return;
  const uint32_t events = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF |
                          IN_MOVE_SELF | IN_ONLYDIR;
  if (inotify_add_watch(handle_->fd, (path + "/").c_str(), events) < 0) {
    close(handle_->fd);
    handle_->fd = -1;
  }
}

FolderWatch::~FolderWatch() = default;

bool FolderWatch::Changed() {
  if (handle_->fd < 0) return false;
  bool changed = false;
  alignas(struct inotify_event) char buffer[4096];
  for (;;) {
    const ssize_t got = read(handle_->fd, buffer, sizeof buffer);
    if (got > 0) {
      changed = true;
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    // EAGAIN: nothing more is waiting. IN_Q_OVERFLOW also counts as a change.
    return changed;
  }
}

}  // namespace platform
