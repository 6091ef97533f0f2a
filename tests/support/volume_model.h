// A FAT or exFAT volume in memory that places directory entries as a
// driver does, behind platform::Folder: the order step can then be tried
// against every placement rule, Windows' included, without a real volume.
//   Linux vfat:   a new entry takes the first run of free slots from the
//                 start; a rename adds the new entry, then frees the old.
//   Linux exFAT:  first fit too; a rename stays in place when the new name
//                 needs no more slots.
//   Windows FAT:  appends while the folder's clusters have room, then reuses
//                 freed slots from the lowest one freed; a rename stays in
//                 place when the slot count is the same.
// Slots per name: FAT ceil(length / 13) + 1 (an upper-case 8.3 name one),
// exFAT 2 + ceil(length / 15). Names are compared without letter case.
#pragma once

#include "platform/folder.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace testing_support {

class VolumeModel : public std::enable_shared_from_this<VolumeModel> {
 public:
  enum class Rule { kLinuxVfat, kLinuxExfat, kWindowsFat };
  static std::shared_ptr<VolumeModel> Make(Rule rule, std::size_t clusterSlots = 128);

  // The volume's root folder: "/vol", or "V:\\vol" on Windows.
  const std::string& root() const { return root_; }
  // Folders of this volume; any other path opens nothing.
  platform::FolderOpener Opener();
  // Each directory operation (a rename, a move, a folder or a file made or
  // removed) calls this first, so that a test can make time pass.
  std::function<void()> onOperation;
  // A name held open by another program: it cannot be moved.
  std::string held;
  // How often a folder of the volume was flushed to the disk.
  int flushes = 0;
  // FAT12 and FAT16 give the root a fixed number of slots (512 as a rule):
  // past it, no entry is made there (kNoSpace). 0: it grows as any folder.
  std::size_t rootSlots = 0;

  // Test helpers; paths are the model's own.
  // False when its parent has no room left (the root of FAT12 and FAT16).
  bool MakeFolder(const std::string& path);
  void WriteFile(const std::string& path, const std::string& content);
  void RemoveFile(const std::string& path);
  std::string ReadFile(const std::string& path) const;
  // The names of a folder in the order of their slots, folders too.
  std::vector<std::string> Listing(const std::string& path) const;
  // Every file under the root, path -> content.
  std::map<std::string, std::string> Files() const;

  struct Entry {
    std::string name;
    std::size_t start = 0, slots = 0;
    int folder = -1;  // the folder it is, or -1 for a file
    std::string content;
  };
  struct Dir {
    std::vector<int> slot;  // -1 never used, -2 freed, else the entry's index
    std::vector<Entry> entries;
    std::vector<bool> live;
    std::size_t unused = 0, hint = 0;  // Windows' two hints
    platform::FolderLooks looks;
  };

  Rule rule() const { return rule_; }
  // The directory at a path, or -1.
  int Find(const std::string& path) const;
  int Lookup(int dir, const std::string& name) const;
  std::size_t SlotsFor(const std::string& name) const;
  // False when the folder has no room left for it.
  bool Add(int dir, Entry entry);
  void Free(int dir, int entry);
  // Renames inside one folder, as the driver does.
  bool Rename(int dir, int entry, const std::string& to);
  std::vector<Dir> dirs;

 private:
  explicit VolumeModel(Rule rule, std::size_t clusterSlots);
  // Where `slots` free slots are taken; kNoRoom past the root's slots.
  static constexpr std::size_t kNoRoom = static_cast<std::size_t>(-1);
  std::size_t Allocate(Dir& dir, std::size_t slots);
  std::size_t Place(Dir& dir, std::size_t slots);
  // An empty folder whose first `own` slots hold the volume's or the
  // folder's own entries.
  Dir NewDir(std::size_t own) const;
  Rule rule_;
  std::size_t clusterSlots_;
  std::string root_;
};

}  // namespace testing_support
