#include "platform/folder_watch.h"

#include <cerrno>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

namespace platform {

struct FolderWatch::Handle {
  int fd = -1;
  int watch = -1;
  ~Handle() {
    if (fd >= 0) close(fd);
  }
  // Reads every waiting event; true when one of them is of the folder
  // watched now (or the queue overflowed). Events of a folder watched
  // before, and the notice that its watch ended, do not count.
  bool Drain() {
    bool changed = false;
    alignas(struct inotify_event) char buffer[4096];
    for (;;) {
      const ssize_t got = read(fd, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return changed;  // EAGAIN: nothing more is waiting
      for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
        struct inotify_event event;
        std::memcpy(&event, buffer + at, sizeof event);
        if ((event.mask & IN_Q_OVERFLOW) != 0) changed = true;
        if (event.wd == watch && watch >= 0 && (event.mask & IN_IGNORED) == 0) changed = true;
        at += static_cast<ssize_t>(sizeof event + event.len);
      }
    }
  }
};

FolderWatch::FolderWatch() : handle_(std::make_unique<Handle>()) {}

FolderWatch::~FolderWatch() = default;

void FolderWatch::Watch(const std::string& path) {
  Stop();
  if (path.empty()) return;
  if (handle_->fd < 0) handle_->fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (handle_->fd < 0) return;
  const uint32_t events = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF |
                          IN_MOVE_SELF | IN_ONLYDIR;
  handle_->watch = inotify_add_watch(handle_->fd, (path + "/").c_str(), events);
  // What an earlier folder left waiting is not this folder's change.
  handle_->Drain();
}

void FolderWatch::Stop() {
  if (handle_->fd < 0 || handle_->watch < 0) return;
  inotify_rm_watch(handle_->fd, handle_->watch);
  handle_->watch = -1;
}

bool FolderWatch::Changed() {
  if (handle_->fd < 0 || handle_->watch < 0) return false;
  return handle_->Drain();
}

}  // namespace platform
