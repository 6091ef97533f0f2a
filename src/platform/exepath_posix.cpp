#include "platform/exepath.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string Resolved(const std::string& path) {
  char* real = realpath(path.c_str(), nullptr);
  if (real == nullptr) return std::string();
  std::string result(real);
  std::free(real);
  return result;
}

}  // namespace

std::string ProgramPathFromArgv0(const std::string& argv0, const std::string& searchPath) {
  if (argv0.empty()) return std::string();
  if (argv0.find('/') != std::string::npos) {
    return IsExecutableFile(argv0) ? Resolved(argv0) : std::string();
  }
  std::size_t start = 0;
  for (;;) {
    const std::size_t colon = searchPath.find(':', start);
    std::string folder = searchPath.substr(start, colon == std::string::npos ? std::string::npos
                                                                             : colon - start);
    if (folder.empty()) folder = ".";  // an empty entry is the working folder
    const std::string candidate = folder + "/" + argv0;
    if (IsExecutableFile(candidate)) return Resolved(candidate);
    if (colon == std::string::npos) return std::string();
    start = colon + 1;
  }
}

std::string ExecutablePath(const std::string& argv0) {
  std::vector<char> buffer(512);
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) break;
    if (static_cast<std::size_t>(length) < buffer.size()) {
      return std::string(buffer.data(), static_cast<std::size_t>(length));
    }
    buffer.resize(buffer.size() * 2);
  }
  const char* path = std::getenv("PATH");
  return ProgramPathFromArgv0(argv0, path != nullptr ? path : "");
}

}  // namespace platform
