#include "platform/path.h"

namespace platform {

PathParts SplitPath(const std::string& path) {
  // Both separators count; a byte below 0x80 is never part of a longer
  // character in the program's names, so no separator is found inside one.
  const std::size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return PathParts{std::string(), path, false};
  return PathParts{path.substr(0, slash), path.substr(slash + 1), true};
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder + "\\" + name;
}

}  // namespace platform
