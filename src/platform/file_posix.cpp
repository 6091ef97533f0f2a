#include "platform/file.h"

#include "platform/path.h"
#include "platform/posix_error.h"

#include <cctype>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// Closes a descriptor on every way out.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  // Closes now, reporting a failure of the close itself.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

Error ReadOpenFile(int fd, std::string* content) {
  struct stat st;
  if (fstat(fd, &st) != 0) return ErrorFromErrno(errno);
  if (S_ISDIR(st.st_mode)) return MakeError(ErrorCode::kNotFolder);
  if (!S_ISREG(st.st_mode) || static_cast<std::size_t>(st.st_size) > kMaxSmallFileSize) {
    return OtherError("not a settings file");
  }
  std::string text;
  text.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      return ErrorFromErrno(errno);
    }
    if (got == 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
    if (text.size() > kMaxSmallFileSize) return OtherError("not a settings file");
  }
  content->swap(text);
  return Error{};
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t put = write(fd, text.data() + done, text.size() - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(put);
  }
  return true;
}

}  // namespace

Error ReadWholeFile(const std::string& path, std::string* content) {
  // O_NONBLOCK: a FIFO planted under the name must not hang the program.
  Fd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) return ErrorFromErrno(errno);
  return ReadOpenFile(fd.get(), content);
}

namespace {

// Writes the content over the file's own bytes and then cuts it to length:
// no moment without the file, but no protection against a crash midway.
Error WriteInPlace(const std::string& target, const std::string& content) {
  Fd fd(open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
  if (fd.get() < 0) return ErrorFromErrno(errno);
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t put = pwrite(fd.get(), content.data() + done, content.size() - done,
                               static_cast<off_t>(done));
    if (put < 0) {
      if (errno == EINTR) continue;
      return ErrorFromErrno(errno);
    }
    done += static_cast<std::size_t>(put);
  }
  if (ftruncate(fd.get(), static_cast<off_t>(content.size())) != 0 || fsync(fd.get()) != 0) {
    return ErrorFromErrno(errno);
  }
  if (!fd.Close()) return ErrorFromErrno(errno);
  return Error{};
}

}  // namespace

namespace {

// Flushes a folder's entries to the disk, so that a file just created or
// renamed there is found after a power cut.
void FlushFolder(const std::string& folder) {
  Fd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) fsync(fd.get());
}

}  // namespace

Error ReplaceFileContents(const std::string& path, const std::string& content) {
  // A symbolic link under the program's own name would send its writes
  // wherever the link points: it is refused, and left as it is.
  struct stat info;
  const bool exists = lstat(path.c_str(), &info) == 0;
  if (!exists && errno != ENOENT) return ErrorFromErrno(errno);
  if (exists) {
    if (S_ISLNK(info.st_mode)) return OtherError("it is a link to another file");
    // Never clobber what is not a plain file (a folder, a pipe...), and keep
    // a file that nobody may write as it is: its owner pinned it so.
    if (!S_ISREG(info.st_mode)) return OtherError("not a regular file");
    if ((info.st_mode & 0222) == 0) return MakeError(ErrorCode::kReadOnly);
    if (access(path.c_str(), W_OK) != 0) return ErrorFromErrno(errno);
    // A file with other names (hard links) stays one file under all of them.
    if (info.st_nlink > 1) return WriteInPlace(path, content);
  }

  mode_t mode;
  if (exists) {
    mode = info.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }

  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string temp = JoinPath(folder, "." + base + ".XXXXXX");
  Fd fd(mkostemp(&temp[0], O_CLOEXEC));
  if (fd.get() < 0) {
    // A file the user may write in a folder the user may not (a shared
    // install folder with a settings file of one's own): written in place,
    // as Windows' own profile functions write it.
    if (exists) return WriteInPlace(path, content);
    return ErrorFromErrno(errno);
  }
  bool ok = WriteAll(fd.get(), content) && fchmod(fd.get(), mode) == 0 && fsync(fd.get()) == 0;
  int error = ok ? 0 : errno;
  if (!fd.Close() && ok) {
    ok = false;
    error = errno;
  }
  if (ok && rename(temp.c_str(), path.c_str()) == 0) {
    FlushFolder(folder);
    return Error{};
  }
  if (ok) error = errno;
  unlink(temp.c_str());
  return ErrorFromErrno(error);
}

Error AppendToFile(const std::string& path, const std::string& content) {
  Fd fd(open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
  if (fd.get() < 0) return errno == ELOOP ? OtherError("it is a link to another file") : ErrorFromErrno(errno);
  struct stat st;
  if (fstat(fd.get(), &st) != 0) return ErrorFromErrno(errno);
  if (!S_ISREG(st.st_mode)) return OtherError("not a regular file");
  if (!WriteAll(fd.get(), content) || fsync(fd.get()) != 0) {
    // Half a record is worse than none: what was written goes again.
    const int error = errno;
    if (ftruncate(fd.get(), st.st_size) == 0) fsync(fd.get());
    return ErrorFromErrno(error);
  }
  if (!fd.Close()) return ErrorFromErrno(errno);
  return Error{};
}

Error CutFile(const std::string& path, std::uint64_t size) {
  Fd fd(open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
  if (fd.get() < 0) return ErrorFromErrno(errno);
  if (ftruncate(fd.get(), static_cast<off_t>(size)) != 0 || fsync(fd.get()) != 0) return ErrorFromErrno(errno);
  if (!fd.Close()) return ErrorFromErrno(errno);
  return Error{};
}

void RemoveReplaceLeftovers(const std::string& path) {
  // ReplaceFileContents' temporary files: "." + the name + "." + six
  // letters or digits (mkostemp's).
  const PathParts parts = SplitPath(path);
  const std::string prefix = "." + parts.name + ".";
  DIR* dir = opendir(parts.hasFolder ? parts.folder.c_str() : ".");
  if (dir == nullptr) return;
  std::vector<std::string> leftovers;
  while (const struct dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
    bool temporary = true;
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
      temporary = temporary && std::isalnum(static_cast<unsigned char>(name[i]));
    }
    if (temporary) leftovers.push_back(name);
  }
  const int folder = dirfd(dir);
  for (const std::string& name : leftovers) {
    struct stat st;
    if (fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)) {
      unlinkat(folder, name.c_str(), 0);
    }
  }
  closedir(dir);
}

void FailWritesPastSizeLimit() { signal(SIGXFSZ, SIG_IGN); }

Error RemoveFile(const std::string& path) {
  if (unlink(path.c_str()) == 0) return Error{};
  return ErrorFromErrno(errno);
}

}  // namespace platform
