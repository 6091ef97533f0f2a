#include "platform/dirlist.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace platform {

namespace {

bool IsDirectoryEntry(int dirFd, const struct dirent* entry) {
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
    // A link counts as a directory when it leads to one.
    return fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
  }
  return false;
}

}  // namespace

int ListFiles(const std::string& path,
              const std::function<void(const std::string& name)>& onFile) {
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) return errno;
  const int dirFd = dirfd(dir);
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
    if (IsDirectoryEntry(dirFd, entry)) continue;
    onFile(std::string(name));
  }
  closedir(dir);
  return error;
}

}  // namespace platform
