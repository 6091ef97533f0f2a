#include "platform/folder.h"

#include "platform/posix_error.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace platform {

struct Folder::Handle {
  int fd = -1;
  ~Handle() {
    if (fd >= 0) close(fd);
  }
};

Folder::Folder(const std::string& path) : path_(path), handle_(std::make_unique<Handle>()) {
  // No path names no folder: not the root, not the working folder.
  if (path.empty()) {
    openError_ = MakeError(ErrorCode::kNotFound);
    return;
  }
  // The folder text plus one separator, nothing added or removed besides.
  handle_->fd = open((path + "/").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle_->fd < 0) openError_ = ErrorFromErrno(errno);
}

Folder::~Folder() = default;

namespace {

bool IsFolderEntry(int dirFd, const struct dirent* entry) {
  unsigned char type = entry->d_type;
  struct stat st;
  if (type == DT_UNKNOWN) {
    if (fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
    if (S_ISDIR(st.st_mode)) return true;
    if (!S_ISLNK(st.st_mode)) return false;
    type = DT_LNK;
  }
  if (type == DT_DIR) return true;
  if (type == DT_LNK) {
    // A link counts as a folder when it leads to one.
    return fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
  }
  return false;
}

bool FlagUnsupported(int error) {
  return error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP;
}

}  // namespace

namespace {

// Calls onEntry with every entry but "." and ".." of the open folder.
Error ForEachEntry(int folderFd, const std::function<void(const struct dirent*)>& onEntry) {
  const int fd = dup(folderFd);
  if (fd < 0) return ErrorFromErrno(errno);
  DIR* dir = fdopendir(fd);
  if (dir == nullptr) {
    const int error = errno;
    close(fd);
    return ErrorFromErrno(error);
  }
  rewinddir(dir);
  int error = 0;
  for (;;) {
    errno = 0;
    const struct dirent* entry = readdir(dir);
    if (entry == nullptr) {
      error = errno;
      break;
    }
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    onEntry(entry);
  }
  closedir(dir);
  return ErrorFromErrno(error);
}

}  // namespace

Error Folder::List(const std::function<void(std::string name)>& onFile,
                   const std::function<void(std::string name)>& onFolder) {
  if (!isOpen()) return openError_;
  const int fd = handle_->fd;
  return ForEachEntry(fd, [&](const struct dirent* entry) {
    if (!IsFolderEntry(fd, entry)) {
      onFile(std::string(entry->d_name));
    } else if (onFolder) {
      onFolder(std::string(entry->d_name));
    }
  });
}

Error Folder::ListAllNames(const std::function<void(const std::string& name)>& onName) {
  if (!isOpen()) return openError_;
  std::string name;  // one buffer for every name
  return ForEachEntry(handle_->fd, [&](const struct dirent* entry) {
    name.assign(entry->d_name);
    onName(name);
  });
}

Error Folder::AtomicRenameNoReplace(const std::string& from, const std::string& to) {
#ifdef SYS_renameat2
  if (syscall(SYS_renameat2, handle_->fd, from.c_str(), handle_->fd, to.c_str(),
              RENAME_NOREPLACE) == 0) {
    return Error{};
  }
  const int error = errno;
  // EINVAL also answers a name that cannot be renamed at all (a folder into
  // itself); the check-then-rename below then gets the same answer.
  if (FlagUnsupported(error)) return MakeError(ErrorCode::kUnsupported);
  return ErrorFromErrno(error);
#else
  (void)from;
  (void)to;
  return MakeError(ErrorCode::kUnsupported);
#endif
}

Error Folder::RenameNoReplace(const std::string& from, const std::string& to) {
  if (!isOpen()) return openError_;
  Error atomic = AtomicRenameNoReplace(from, to);
  if (atomic.code != ErrorCode::kUnsupported) return atomic;
  // For file systems without an atomic no-replace rename (FUSE mounts such as
  // ntfs-3g and exfat-fuse answer EINVAL for every free target). The file
  // system itself is asked whether the target exists, so that on a
  // case-insensitive one "SONG.mp3" takes the name "song.mp3". A window
  // remains between this check and the rename in which another program could
  // create the target; nothing better is possible without the kernel's help.
  struct stat st;
  if (fstatat(handle_->fd, to.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    return MakeError(ErrorCode::kExists);
  }
  if (errno != ENOENT) return ErrorFromErrno(errno);  // cannot tell: the name counts as taken
  if (renameat(handle_->fd, from.c_str(), handle_->fd, to.c_str()) == 0) return Error{};
  return ErrorFromErrno(errno);
}

Presence Folder::Has(const std::string& name) {
  if (!isOpen()) return Presence::kUnknown;
  struct stat st;
  if (fstatat(handle_->fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return Presence::kPresent;
  return errno == ENOENT ? Presence::kAbsent : Presence::kUnknown;
}

bool Folder::CanHoldName(const std::string& name) const {
  return !name.empty() && name != "." && name != ".." &&
         std::memchr(name.data(), '/', name.size()) == nullptr &&
         std::memchr(name.data(), '\0', name.size()) == nullptr;
}

std::optional<FileId> Folder::Id() const {
  struct stat st;
  if (!isOpen() || fstat(handle_->fd, &st) != 0) return std::nullopt;
  return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::optional<FileId> IdOfPath(const std::string& path) {
  struct stat st;
  if (path.empty() || stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::unique_ptr<Folder> OpenSystemFolder(const std::string& path) {
  return std::make_unique<Folder>(path);
}

}  // namespace platform
