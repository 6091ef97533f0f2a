// Paths as the system spells them: the separator between a folder and a name.
#pragma once

#include <string>
#include <string_view>

namespace platform {

struct PathParts {
  std::string folder;  // everything before the last separator; a root keeps its separator
  std::string name;    // everything after it
  bool hasFolder = false;  // false when the path holds no separator at all
};

// Splits a path at its last separator. A file at the root of the system or of a drive
// lies in the root itself ("/tarvello" in "/", "D:\tarvello.exe" in "D:\"), never in ""
// or "D:", which Windows reads as the current folder of drive D.
PathParts SplitPath(const std::string& path);

// The folder, one separator, the name: nothing else is added or removed,
// except that a folder that ends in a separator (a root) gets no second one.
std::string JoinPath(const std::string& folder, const std::string& name);

// Whether `name` stands for an entry of a folder and for nothing else: not
// empty, not "." or "..", no separator, no NUL (on Windows no colon either,
// which would name a drive or a stream).
bool IsPlainName(std::string_view name);

// Whether the path starts from a root rather than from the working folder.
bool IsAbsolutePath(const std::string& path);

// The path as a full path from a root, against the working folder as it is
// now; nothing else is resolved on POSIX systems, Windows resolves "." and
// "..". Empty when the working folder cannot be told.
std::string AbsolutePath(const std::string& path);

// The one spelling of a folder's path that the Run, its journal and its
// order step go by: a full path from a root, with no "." or ".." in it and
// no separator at its end (but for a root's own), and with links followed
// to the folder they stand for. A folder that cannot be reached is spelled
// from the words alone. Empty when the working folder cannot be told.
std::string NormalFolderPath(const std::string& path);

}  // namespace platform
