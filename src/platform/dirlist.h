// Directory listing in the order the file system yields the entries.
#pragma once

#include <functional>
#include <string>

namespace platform {

// Calls onFile with the name of every entry of the folder at `path` that is
// neither "." nor ".." nor a directory. A symbolic link that points to a
// directory counts as a directory; every other link (a dangling one too) is
// listed as it stands. Hidden files are listed. Names are handed on exactly
// as the file system spells them. Nothing is sorted.
// Returns 0, or the errno that stopped the listing (the folder could not be
// opened or read).
int ListFiles(const std::string& path,
              const std::function<void(const std::string& name)>& onFile);

}  // namespace platform
