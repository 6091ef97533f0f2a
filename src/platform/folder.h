// One folder of the file system, opened by its path: its files listed in the
// file system's own order, renamed without ever replacing a file, and asked
// whether a name is there. File names are byte strings, handed on exactly as
// the system spells them.
#pragma once

#include "platform/error.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace platform {

// Which file or folder a name stands for, whatever the spelling of the path.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t node = 0;
  bool operator==(const FileId& other) const {
    return device == other.device && node == other.node;
  }
  bool operator!=(const FileId& other) const { return !(*this == other); }
};

// Whether a name is present in a folder.
enum class Presence { kPresent, kAbsent, kUnknown };

// The kinds of volume whose rules the program follows: the FAT family and
// NTFS, as USB sticks and players have them, and everything else.
enum class FileSystem { kOther, kFat, kExfat, kNtfs };
// FAT and exFAT: the sticks' file systems, which keep no journal of their
// own and whose players play in the order of the directory entries.
inline bool IsFatFamily(FileSystem system) { return system == FileSystem::kFat || system == FileSystem::kExfat; }

// A folder's times and attributes, as far as the system tells them.
struct FolderLooks {
  bool known = false;
  std::int64_t accessed[2] = {0, 0};  // seconds and nanoseconds (or a Windows FILETIME)
  std::int64_t modified[2] = {0, 0};
  std::int64_t created[2] = {0, 0};
  std::uint32_t attributes = 0;       // FAT's or Windows' attribute bits
  std::uint32_t mode = 0;             // POSIX permission bits
  bool hasAttributes = false;
  // Who owns it, where the system tells (POSIX user and group).
  std::uint32_t owner = 0, group = 0;
  bool hasOwner = false;
};

// One entry of a folder as the listing yields it.
struct FolderEntry {
  std::string name;
  bool folder = false;
  // Where a listing goes on after this entry (ListEntries' `after`).
  std::uint64_t next = 0;
};

// A folder as the program works on it: the interface the core and its
// tests share. SystemFolder is the system's; tests bring models of volumes
// and folders that fail on purpose.
class Folder {
 public:
  virtual ~Folder() = default;

  // Why the folder could not be opened; kNone when it is open.
  virtual const Error& openError() const = 0;
  bool isOpen() const { return !openError().failed(); }
  virtual const std::string& path() const = 0;
  // The kind of volume the folder lies on.
  virtual FileSystem fileSystem() const = 0;

  // Calls onFile with every entry that is neither "." nor ".." nor a folder
  // (a link to a folder counts as one), in the order the system yields them,
  // and onFolder, when given, with the folders: `linked` when the entry is a
  // link or junction that stands for a folder elsewhere. Hidden files and
  // other links are listed. Nothing is sorted.
  virtual Error List(const std::function<void(std::string name)>& onFile,
                     const std::function<void(std::string name, bool linked)>& onFolder = {}) = 0;
  // Every name in the folder but "." and "..", folders too: the names a
  // rename may not take. (The name passed lives only for the call.)
  virtual Error ListAllNames(const std::function<void(const std::string& name)>& onName) = 0;

  // Renames `from` to `to` inside this folder. An existing `to` is never
  // replaced (kExists), also when it is `from` itself, another link to the
  // same file, or, on a file system that ignores letter case, the same name
  // in other letters.
  virtual Error RenameNoReplace(const std::string& from, const std::string& to) = 0;

  // Whether an entry of that name is there (without following a link).
  virtual Presence Has(const std::string& name) = 0;

  // Whether a file could bear this name here at all: not longer than the
  // volume takes; on Windows, and on a FAT, exFAT or NTFS volume or any
  // other that ignores letter case, only a name Windows can hold (no
  // character cut in two, none it forbids, no device name such as NUL).
  virtual bool CanHoldName(const std::string& name) = 0;

  // Whether the volume takes two names that differ only in letter case for
  // one (Windows always; FAT, exFAT and NTFS; a folder that answers a name
  // in other letters): then FoldCase tells which names are one.
  virtual bool IgnoresCase() = 0;

  // The folder's own identity, when the system tells it.
  virtual std::optional<FileId> Id() const = 0;

  // Every entry but "." and "..", files and folders, in the order the
  // volume keeps them; with `after` (an entry's `next`), only the entries
  // that stand after that one.
  virtual Error ListEntries(const std::function<void(const FolderEntry& entry)>& onEntry,
                            std::uint64_t after = 0) = 0;
  // Moves the entry `name` (a file or a folder) into `target`, which lies
  // on the same volume and was opened the same way, as `newName`; never
  // replaces an entry there.
  virtual Error MoveTo(const std::string& name, Folder& target, const std::string& newName) = 0;
  virtual Error MakeFolder(const std::string& name) = 0;
  virtual Error RemoveEmptyFolder(const std::string& name) = 0;
  // An empty file under a name that is free (kExists otherwise), and its
  // removal, which refuses a file that is not empty.
  virtual Error MakeEmptyFile(const std::string& name) = 0;
  virtual Error RemoveEmptyFile(const std::string& name) = 0;
  // Removes the file `name`, whatever it holds; never a folder.
  virtual Error RemoveFile(const std::string& name) = 0;
  // Whether the folder is the root of its volume (a mount point, "D:\").
  virtual bool IsVolumeRoot() = 0;
  // Writes the folder's entries to the disk now (where the system can), so
  // that what was moved into it is there before what was moved out of
  // another folder. On FAT and exFAT the entries of the files renamed or
  // moved in it go too, whole.
  virtual Error Flush() = 0;
  // Whether Flush writes the whole volume (FAT and exFAT): then one flush
  // serves every folder of it.
  virtual bool FlushCoversVolume() = 0;
  // The folder's times and attributes, and giving it those of another one
  // (as far as the system lets them be set).
  virtual FolderLooks Looks() = 0;
  virtual Error SetLooks(const FolderLooks& looks) = 0;
  // Gives the folder the owner and group of `looks` where they differ; an
  // error when the system does not let them be given.
  virtual Error CarryOwner(const FolderLooks& looks) = 0;
};

// A folder of the system's, opened by its path.
class SystemFolder : public Folder {
 public:
  // Opens the folder at `path` exactly as given; the path separator is put
  // between it and the names. An empty path opens nothing (kNotFound).
  explicit SystemFolder(const std::string& path);
  ~SystemFolder() override;
  SystemFolder(const SystemFolder&) = delete;
  SystemFolder& operator=(const SystemFolder&) = delete;

  const Error& openError() const override { return openError_; }
  const std::string& path() const override { return path_; }
  FileSystem fileSystem() const override { return fileSystem_; }
  Error List(const std::function<void(std::string name)>& onFile,
             const std::function<void(std::string name, bool linked)>& onFolder = {}) override;
  Error ListAllNames(const std::function<void(const std::string& name)>& onName) override;
  Error RenameNoReplace(const std::string& from, const std::string& to) override;
  Presence Has(const std::string& name) override;
  bool CanHoldName(const std::string& name) override;
  bool IgnoresCase() override;
  std::optional<FileId> Id() const override;
  Error ListEntries(const std::function<void(const FolderEntry& entry)>& onEntry,
                    std::uint64_t after = 0) override;
  // `target` is a SystemFolder too (kUnsupported otherwise).
  Error MoveTo(const std::string& name, Folder& target, const std::string& newName) override;
  Error MakeFolder(const std::string& name) override;
  Error RemoveEmptyFolder(const std::string& name) override;
  Error MakeEmptyFile(const std::string& name) override;
  Error RemoveEmptyFile(const std::string& name) override;
  Error RemoveFile(const std::string& name) override;
  bool IsVolumeRoot() override;
  Error Flush() override;
  bool FlushCoversVolume() override;
  FolderLooks Looks() override;
  Error SetLooks(const FolderLooks& looks) override;
  Error CarryOwner(const FolderLooks& looks) override;

 protected:
  // The system's own rename that refuses an existing target in one step;
  // kUnsupported where the file system has none, and RenameNoReplace then
  // checks for the target first.
  virtual Error AtomicRenameNoReplace(const std::string& from, const std::string& to);

 private:
  struct Handle;
  std::string path_;
  Error openError_;
  std::unique_ptr<Handle> handle_;
  FileSystem fileSystem_ = FileSystem::kOther;
  // Whether IgnoresCase has been worked out, and its answer.
  std::optional<bool> ignoresCase_;
  // The longest name the volume takes, in bytes; 0: not told.
  std::size_t nameMax_ = 0;
};

// The identity of the file or folder at a path (a final link followed).
std::optional<FileId> IdOfPath(const std::string& path);

// Opens folders for the workflow; tests hand in folders of their own.
using FolderOpener = std::function<std::unique_ptr<Folder>(const std::string& path)>;
std::unique_ptr<Folder> OpenSystemFolder(const std::string& path);

}  // namespace platform
