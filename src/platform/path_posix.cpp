#include "platform/path.h"

namespace platform {

PathParts SplitPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return PathParts{std::string(), path, false};
  return PathParts{path.substr(0, slash), path.substr(slash + 1), true};
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder + "/" + name;
}

}  // namespace platform
