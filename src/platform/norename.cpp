#include "platform/norename.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace platform {

namespace {

std::atomic<bool> g_forceFallback{false};

int AtomicNoReplace(int dirFd, const char* from, const char* to) {
#ifdef SYS_renameat2
  if (syscall(SYS_renameat2, dirFd, from, dirFd, to, RENAME_NOREPLACE) == 0) return 0;
  return errno;
#else
  (void)dirFd; (void)from; (void)to;
  return ENOSYS;
#endif
}

bool FlagUnsupported(int error) {
  return error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP;
}

// For file systems without an atomic no-replace rename (FUSE mounts such as
// ntfs-3g and exfat-fuse answer EINVAL for every free target). The file
// system itself is asked whether the target exists, so that on a
// case-insensitive one "SONG.mp3" takes the name "song.mp3". A window remains
// between this check and the rename in which another program could create the
// target; nothing better is possible without the kernel's help.
int CheckedRename(int dirFd, const char* from, const char* to) {
  struct stat st;
  if (fstatat(dirFd, to, &st, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
  if (errno != ENOENT) return errno;  // cannot tell: treat the name as taken
  if (renameat(dirFd, from, dirFd, to) == 0) return 0;
  return errno;
}

}  // namespace

int RenameNoReplace(int dirFd, const std::string& from, const std::string& to) {
  if (!g_forceFallback.load()) {
    const int error = AtomicNoReplace(dirFd, from.c_str(), to.c_str());
    if (!FlagUnsupported(error)) return error;
    // EINVAL also answers a name that cannot be renamed at all (a folder into
    // itself); the fallback then gets the same answer from renameat.
  }
  return CheckedRename(dirFd, from.c_str(), to.c_str());
}

void ForceRenameFallback(bool force) { g_forceFallback.store(force); }

std::string RenameErrorText(int error) {
  switch (error) {
    case EEXIST:
    case ENOTEMPTY:
      return "the name is taken";
    case ENOENT:
      return "the file is gone";
    case EACCES:
    case EPERM:
      return "no permission";
    case EROFS:
      return "the disk is read-only";
    case ENAMETOOLONG:
      return "the name is too long";
    case EBUSY:
      return "the file is in use";
    case ENOSPC:
      return "the disk is full";
    default:
      return std::strerror(error);
  }
}

}  // namespace platform
