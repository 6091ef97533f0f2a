// Paths as the system spells them: the separator between a folder and a name.
#pragma once

#include <string>

namespace platform {

struct PathParts {
  std::string folder;  // everything before the last separator ("" at the root)
  std::string name;    // everything after it
  bool hasFolder = false;  // false when the path holds no separator at all
};

// Splits a path at its last separator.
PathParts SplitPath(const std::string& path);

// The folder, one separator, the name: nothing else is added or removed.
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace platform
