#include "platform/path.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace platform {

PathParts SplitPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return PathParts{std::string(), path, false};
  return PathParts{slash == 0 ? std::string("/") : path.substr(0, slash), path.substr(slash + 1),
                   true};
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

bool IsPlainName(std::string_view name) {
  const bool dots = name.size() <= 2 && name.find_first_not_of('.') == std::string_view::npos;
  return !dots && std::memchr(name.data(), '/', name.size()) == nullptr &&
         std::memchr(name.data(), '\0', name.size()) == nullptr;
}

bool IsAbsolutePath(const std::string& path) { return !path.empty() && path[0] == '/'; }

std::string AbsolutePath(const std::string& path) {
  if (IsAbsolutePath(path)) return path;
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE || buffer.size() > (1u << 20)) return std::string();
    buffer.resize(buffer.size() * 2);
  }
  const std::string cwd(buffer.data());
  return path.empty() ? cwd : JoinPath(cwd, path);
}

std::string NormalFolderPath(const std::string& path) {
  if (path.empty()) return std::string();
  // A link, to the folder or on the way to it, stands for the folder it
  // points to: that folder is the one worked on.
  if (char* real = realpath(path.c_str(), nullptr)) {
    std::string resolved(real);
    std::free(real);
    return resolved;
  }
  const std::string full = AbsolutePath(path);
  if (full.empty()) return full;
  std::vector<std::string> parts;
  std::size_t at = 0;
  while (at <= full.size()) {
    std::size_t end = full.find('/', at);
    if (end == std::string::npos) end = full.size();
    const std::string part = full.substr(at, end - at);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    at = end + 1;
  }
  std::string normal;
  for (const std::string& part : parts) normal += "/" + part;
  return normal.empty() ? std::string("/") : normal;
}

}  // namespace platform
