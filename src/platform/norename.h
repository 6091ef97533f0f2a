// Renaming that never replaces an existing file.
#pragma once

#include <string>

namespace platform {

// Renames `from` to `to`, both relative to the directory `dirFd` (or to the
// working directory for AT_FDCWD). Returns 0 on success or an errno value.
// An existing target is never replaced: EEXIST means the name is taken,
// also when the target is the source itself or another hard link to it.
int RenameNoReplace(int dirFd, const std::string& from, const std::string& to);

// For tests: make RenameNoReplace take the path used on file systems that do
// not support an atomic no-replace rename, even where the kernel offers one.
void ForceRenameFallback(bool force);

// A short description of a rename's errno in plain words.
std::string RenameErrorText(int error);

}  // namespace platform
