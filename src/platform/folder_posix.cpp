#include "platform/folder.h"

#include "platform/path.h"
#include "platform/posix_error.h"
#include "platform/windows_names.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace platform {

struct SystemFolder::Handle {
  int fd = -1;
  ~Handle() {
    if (fd >= 0) close(fd);
  }
};

SystemFolder::SystemFolder(const std::string& path) : path_(path), handle_(std::make_unique<Handle>()) {
  // No path names no folder: not the root, not the working folder.
  if (path.empty()) {
    openError_ = MakeError(ErrorCode::kNotFound);
    return;
  }
  // The folder text plus one separator, nothing added or removed besides.
  handle_->fd = open((path + "/").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle_->fd < 0) {
    openError_ = ErrorFromErrno(errno);
    return;
  }
  struct statfs volume;
  if (fstatfs(handle_->fd, &volume) == 0) {
    nameMax_ = static_cast<std::size_t>(volume.f_namelen);
    switch (static_cast<unsigned long>(volume.f_type)) {
      case 0x4d44: fileSystem_ = FileSystem::kFat; break;          // msdos, vfat
      case 0x2011BAB0: fileSystem_ = FileSystem::kExfat; break;    // exfat
      case 0x5346544e:                                             // ntfs
      case 0x7366746e: fileSystem_ = FileSystem::kNtfs; break;     // ntfs3
      default: break;
    }
  }
}

SystemFolder::~SystemFolder() = default;

namespace {

// What an entry is: a file, a folder, or a link that leads to a folder
// (which counts as one).
enum class EntryKind { kFile, kFolder, kLinkToFolder };

EntryKind KindOfEntry(int dirFd, const struct dirent* entry) {
  unsigned char type = entry->d_type;
  struct stat st;
  if (type == DT_UNKNOWN) {
    if (fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) return EntryKind::kFile;
    if (S_ISDIR(st.st_mode)) return EntryKind::kFolder;
    if (!S_ISLNK(st.st_mode)) return EntryKind::kFile;
    type = DT_LNK;
  }
  if (type == DT_DIR) return EntryKind::kFolder;
  if (type == DT_LNK && fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode)) {
    return EntryKind::kLinkToFolder;
  }
  return EntryKind::kFile;
}

bool FlagUnsupported(int error) {
  return error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP;
}

}  // namespace

namespace {

// Calls onEntry with every entry but "." and ".." of the open folder, or
// with those after the position `after` (the file system's own offset in
// the folder, as d_off gives it).
Error ForEachEntry(int folderFd, const std::function<void(const struct dirent*)>& onEntry,
                   std::uint64_t after = 0) {
  const int fd = dup(folderFd);
  if (fd < 0) return ErrorFromErrno(errno);
  DIR* dir = fdopendir(fd);
  if (dir == nullptr) {
    const int error = errno;
    close(fd);
    return ErrorFromErrno(error);
  }
  if (after != 0) {
    seekdir(dir, static_cast<long>(after));
  } else {
    rewinddir(dir);
  }
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

Error SystemFolder::List(const std::function<void(std::string name)>& onFile,
                   const std::function<void(std::string name, bool linked)>& onFolder) {
  if (!isOpen()) return openError_;
  const int fd = handle_->fd;
  return ForEachEntry(fd, [&](const struct dirent* entry) {
    const EntryKind kind = KindOfEntry(fd, entry);
    if (kind == EntryKind::kFile) {
      onFile(std::string(entry->d_name));
    } else if (onFolder) {
      onFolder(std::string(entry->d_name), kind == EntryKind::kLinkToFolder);
    }
  });
}

Error SystemFolder::ListAllNames(const std::function<void(const std::string& name)>& onName) {
  if (!isOpen()) return openError_;
  std::string name;  // one buffer for every name
  return ForEachEntry(handle_->fd, [&](const struct dirent* entry) {
    name.assign(entry->d_name);
    onName(name);
  });
}

Error SystemFolder::AtomicRenameNoReplace(const std::string& from, const std::string& to) {
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

Error SystemFolder::RenameNoReplace(const std::string& from, const std::string& to) {
  if (!isOpen()) return openError_;
  // A stick's names follow Windows' rules, which the driver does not keep.
  if (fileSystem_ != FileSystem::kOther || IgnoresCase()) {
    Error bad = WindowsNameError(to);
    if (bad.failed()) return bad;
  }
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

Presence SystemFolder::Has(const std::string& name) {
  if (!isOpen()) return Presence::kUnknown;
  struct stat st;
  if (fstatat(handle_->fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return Presence::kPresent;
  return errno == ENOENT ? Presence::kAbsent : Presence::kUnknown;
}

bool SystemFolder::CanHoldName(const std::string& name) {
  if (!IsPlainName(name)) return false;
  // Linux's vfat quietly drops a final dot or blank, and Windows cannot
  // open a file called "nul.mp3": a stick's names follow Windows' rules
  // (their length in UTF-16 among them), and so do those of any volume
  // that ignores case as Windows does.
  if (fileSystem_ != FileSystem::kOther || IgnoresCase()) return WindowsCanHoldName(name);
  return nameMax_ == 0 || name.size() <= nameMax_;
}

namespace {

// The name with its ASCII letters in the other case; itself when it has none.
std::string FlipCase(const std::string& name) {
  std::string flipped = name;
  for (char& c : flipped) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return flipped;
}

// File systems that always tell letter case apart, unless a folder of theirs
// is marked to ignore it (ext4's casefold).
bool AlwaysKeepsCase(unsigned long type) {
  switch (type) {
    case 0x01021994:  // tmpfs
    case 0xEF53:      // ext2, ext3, ext4
    case 0x58465342:  // xfs
    case 0x9123683E:  // btrfs
    case 0x794c7630:  // overlay
      return true;
    default:
      return false;
  }
}

}  // namespace

bool SystemFolder::IgnoresCase() {
  if (ignoresCase_) return *ignoresCase_;
  ignoresCase_ = false;
  if (!isOpen()) return false;
  if (fileSystem_ != FileSystem::kOther) return *(ignoresCase_ = true);
  struct statfs volume;
  if (fstatfs(handle_->fd, &volume) == 0 && AlwaysKeepsCase(static_cast<unsigned long>(volume.f_type))) {
    int flags = 0;
    if (ioctl(handle_->fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & 0x40000000) != 0) {  // FS_CASEFOLD_FL
      ignoresCase_ = true;
    }
    return *ignoresCase_;
  }
  // Another kind (a FUSE mount such as exfat-fuse or ntfs-3g, a network
  // share): the folder is asked one of its names in other letters. Found as
  // another name of the same file, or as a name the folder does not list,
  // the volume ignores case.
  std::string probe;
  bool probeListed = false;
  ListAllNames([&](const std::string& name) {
    if (probe.empty() && FlipCase(name) != name) probe = name;
  });
  if (probe.empty()) return false;
  const std::string flipped = FlipCase(probe);
  struct stat original, other;
  if (fstatat(handle_->fd, flipped.c_str(), &other, AT_SYMLINK_NOFOLLOW) != 0) return false;
  if (fstatat(handle_->fd, probe.c_str(), &original, AT_SYMLINK_NOFOLLOW) == 0 &&
      original.st_ino == other.st_ino && original.st_dev == other.st_dev) {
    return *(ignoresCase_ = true);
  }
  ListAllNames([&](const std::string& name) { probeListed = probeListed || name == flipped; });
  ignoresCase_ = !probeListed;
  return *ignoresCase_;
}

std::optional<FileId> SystemFolder::Id() const {
  struct stat st;
  if (!isOpen() || fstat(handle_->fd, &st) != 0) return std::nullopt;
  return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

Error SystemFolder::ListEntries(const std::function<void(const FolderEntry& entry)>& onEntry,
                          std::uint64_t after) {
  if (!isOpen()) return openError_;
  const int fd = handle_->fd;
  FolderEntry entry;
  return ForEachEntry(fd, [&](const struct dirent* found) {
    entry.name.assign(found->d_name);
    entry.folder = KindOfEntry(fd, found) != EntryKind::kFile;
    entry.next = static_cast<std::uint64_t>(found->d_off);
    onEntry(entry);
  }, after);
}

Error SystemFolder::MoveTo(const std::string& name, Folder& target, const std::string& newName) {
  if (!isOpen()) return openError_;
  auto* const into = dynamic_cast<SystemFolder*>(&target);
  if (into == nullptr) return MakeError(ErrorCode::kUnsupported);
  if (!into->isOpen()) return into->openError_;
  if (fileSystem_ != FileSystem::kOther || IgnoresCase()) {
    Error bad = WindowsNameError(newName);
    if (bad.failed()) return bad;
  }
#ifdef SYS_renameat2
  if (syscall(SYS_renameat2, handle_->fd, name.c_str(), into->handle_->fd, newName.c_str(),
              RENAME_NOREPLACE) == 0) {
    return Error{};
  }
  if (!FlagUnsupported(errno)) return ErrorFromErrno(errno);
#endif
  struct stat st;
  if (fstatat(into->handle_->fd, newName.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    return MakeError(ErrorCode::kExists);
  }
  if (errno != ENOENT) return ErrorFromErrno(errno);
  if (renameat(handle_->fd, name.c_str(), into->handle_->fd, newName.c_str()) == 0) return Error{};
  return ErrorFromErrno(errno);
}

Error SystemFolder::MakeFolder(const std::string& name) {
  if (!isOpen()) return openError_;
  if (mkdirat(handle_->fd, name.c_str(), 0777) == 0) return Error{};
  return ErrorFromErrno(errno);
}

Error SystemFolder::RemoveEmptyFolder(const std::string& name) {
  if (!isOpen()) return openError_;
  if (unlinkat(handle_->fd, name.c_str(), AT_REMOVEDIR) == 0) return Error{};
  return ErrorFromErrno(errno);
}

Error SystemFolder::MakeEmptyFile(const std::string& name) {
  if (!isOpen()) return openError_;
  const int fd = openat(handle_->fd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) return ErrorFromErrno(errno);
  close(fd);
  return Error{};
}

Error SystemFolder::RemoveEmptyFile(const std::string& name) {
  if (!isOpen()) return openError_;
  struct stat st;
  if (fstatat(handle_->fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return ErrorFromErrno(errno);
  if (!S_ISREG(st.st_mode) || st.st_size != 0) return OtherError("not an empty file");
  if (unlinkat(handle_->fd, name.c_str(), 0) == 0) return Error{};
  return ErrorFromErrno(errno);
}

Error SystemFolder::RemoveFile(const std::string& name) {
  if (!isOpen()) return openError_;
  struct stat st;
  if (fstatat(handle_->fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return ErrorFromErrno(errno);
  if (S_ISDIR(st.st_mode)) return OtherError("a folder");
  // Without AT_REMOVEDIR a folder that took the name since is refused too.
  if (unlinkat(handle_->fd, name.c_str(), 0) == 0) return Error{};
  return ErrorFromErrno(errno);
}

Error SystemFolder::Flush() {
  if (!isOpen()) return openError_;
  // Linux's vfat writes a renamed or moved file's new entry without its
  // first cluster and size, which follow when the file itself is written
  // back: flushing the folder alone can leave the old entry deleted and
  // the new one empty on the disk. On the FAT family the whole volume
  // goes to the disk (it is one stick, and what the program changed).
  const int done = IsFatFamily(fileSystem_) ? syncfs(handle_->fd) : fsync(handle_->fd);
  if (done == 0) return Error{};
  return ErrorFromErrno(errno);
}

bool SystemFolder::FlushCoversVolume() { return IsFatFamily(fileSystem_); }

bool SystemFolder::IsVolumeRoot() {
  if (!isOpen()) return false;
  struct stat self, parent;
  if (fstat(handle_->fd, &self) != 0 || fstatat(handle_->fd, "..", &parent, 0) != 0) return false;
  return self.st_dev != parent.st_dev || self.st_ino == parent.st_ino;
}

FolderLooks SystemFolder::Looks() {
  FolderLooks looks;
  struct stat st;
  if (!isOpen() || fstat(handle_->fd, &st) != 0) return looks;
  looks.known = true;
  looks.accessed[0] = st.st_atim.tv_sec;
  looks.accessed[1] = st.st_atim.tv_nsec;
  looks.modified[0] = st.st_mtim.tv_sec;
  looks.modified[1] = st.st_mtim.tv_nsec;
  looks.mode = st.st_mode & 07777;
  looks.owner = st.st_uid;
  looks.group = st.st_gid;
  looks.hasOwner = true;
  // A FAT folder's attributes (hidden, system, archive).
  __u32 attributes = 0;
  if (ioctl(handle_->fd, FAT_IOCTL_GET_ATTRIBUTES, &attributes) == 0) {
    looks.attributes = attributes;
    looks.hasAttributes = true;
  }
  return looks;
}

Error SystemFolder::SetLooks(const FolderLooks& looks) {
  if (!isOpen()) return openError_;
  if (!looks.known) return Error{};
  if (looks.hasAttributes) {
    __u32 attributes = looks.attributes;
    ioctl(handle_->fd, FAT_IOCTL_SET_ATTRIBUTES, &attributes);
  }
  fchmod(handle_->fd, static_cast<mode_t>(looks.mode));
  struct timespec times[2];
  times[0].tv_sec = static_cast<time_t>(looks.accessed[0]);
  times[0].tv_nsec = static_cast<long>(looks.accessed[1]);
  times[1].tv_sec = static_cast<time_t>(looks.modified[0]);
  times[1].tv_nsec = static_cast<long>(looks.modified[1]);
  if (futimens(handle_->fd, times) != 0) return ErrorFromErrno(errno);
  return Error{};
}

Error SystemFolder::CarryOwner(const FolderLooks& looks) {
  if (!isOpen()) return openError_;
  struct stat st;
  if (!looks.hasOwner) return Error{};
  if (fstat(handle_->fd, &st) != 0) return ErrorFromErrno(errno);
  if (st.st_uid == looks.owner && st.st_gid == looks.group) return Error{};
  if (fchown(handle_->fd, static_cast<uid_t>(looks.owner), static_cast<gid_t>(looks.group)) != 0) {
    return ErrorFromErrno(errno);
  }
  return Error{};
}

std::optional<FileId> IdOfPath(const std::string& path) {
  struct stat st;
  if (path.empty() || stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::unique_ptr<Folder> OpenSystemFolder(const std::string& path) {
  return std::make_unique<SystemFolder>(path);
}

}  // namespace platform
