// The folders under a chosen one, for the work that takes subfolders too.
#pragma once

#include "platform/folder.h"

#include <functional>
#include <string>
#include <string_view>

// One folder of a tree: its path below the chosen folder ("" for the chosen
// folder itself, then names joined by the separator) and its full path.
struct TreeFolder {
  std::string relative;
  std::string path;
  // A name in this folder, as a path below the chosen folder.
  std::string Below(const std::string& name) const;
};

// Whether a folder of this name is one that systems keep for themselves
// (System Volume Information, $RECYCLE.BIN, .Trashes, .Spotlight-V100,
// .fseventsd, .TemporaryItems), letter case aside: never entered.
bool IsSystemsOwnFolder(std::string_view name);

// Tells the walk of a subfolder the visitor's listing found: `linked` when
// the listing says it is a link or junction.
using SubfolderFound = std::function<void(std::string name, bool linked)>;
// Gets each folder of the tree opened (or not: openError says why), lists it
// once, and tells the walk its subfolders.
using TreeVisitor = std::function<void(const TreeFolder& at, platform::Folder& folder, const SubfolderFound& found)>;

// Visits the chosen folder and then, depth first, the subfolders of each
// folder in the byte order of their names. Never entered: links and
// junctions, the systems' own folders, a folder on another volume than its
// parent, and a folder visited before under another path (a loop).
void WalkTree(const std::string& root, const platform::FolderOpener& open, const TreeVisitor& visit);
