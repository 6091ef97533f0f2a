// The files other systems keep beside the music: never numbered, and
// removed on request, since they make players list every song twice.
#pragma once

#include "platform/folder.h"
#include "rename/folder_tree.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// What such a file is, by its name alone (letter case aside). Numbering
// would only break them: Search never lists them.
enum class OtherSystemsFile : std::size_t {
  kAppleDouble,    // "._song.mp3": a Mac's resource fork of "song.mp3"
  kFinderInfo,     // ".DS_Store": a Mac's view of the folder
  kThumbnails,     // "Thumbs.db": Windows' picture cache
  kFolderSettings, // "desktop.ini": Windows' folder settings
  kNone,
};
constexpr std::size_t kOtherSystemsFileKinds = static_cast<std::size_t>(OtherSystemsFile::kNone);

OtherSystemsFile OtherSystemsFileOf(std::string_view name);

// The other systems' files of one folder, found by a listing: files only,
// never a folder, whatever its name. A folder not opened or not read has
// its error in listError.
struct CleanPlan {
  std::vector<std::string> names;
  std::array<std::size_t, kOtherSystemsFileKinds> counts{};  // by kind
  platform::Error listError;
};
// The listing's folders go to onFolder, when given.
CleanPlan PlanClean(platform::Folder& folder, const SubfolderFound& onFolder = {});

// The plans of a folder and, with `subfolders`, of every folder under it
// (see WalkTree): the chosen folder's first, always; of the others only
// those with files to remove or an error.
struct FolderCleanPlan {
  TreeFolder at;
  CleanPlan plan;
};
std::vector<FolderCleanPlan> PlanTreeClean(const std::string& root, const platform::FolderOpener& open,
                                           bool subfolders);

// Removes the plan's files, one by one; a name that is a folder by now, or
// is gone, is not removed.
struct CleanFailure {
  std::string name;
  platform::Error error;
};
struct CleanResult {
  std::size_t removed = 0;
  std::vector<CleanFailure> failures;
};
CleanResult Clean(platform::Folder& folder, const CleanPlan& plan);
