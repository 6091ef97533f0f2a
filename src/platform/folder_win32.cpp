#include "platform/folder.h"

#include "platform/win32_support.h"
#include "platform/windows_names.h"

#include <windows.h>

namespace platform {

namespace {

class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

std::optional<FileId> IdOfHandle(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return std::nullopt;
  return FileId{info.dwVolumeSerialNumber,
                (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

HANDLE OpenForIdentity(const std::wstring& path) {
  // FILE_FLAG_BACKUP_SEMANTICS opens folders too.
  return CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

Error CutCharacterError() { return OtherError("the new name would cut a character in two"); }

bool IsDots(const wchar_t* name) {
  return (name[0] == L'.' && name[1] == L'\0') ||
         (name[0] == L'.' && name[1] == L'.' && name[2] == L'\0');
}

}  // namespace

struct SystemFolder::Handle {
  std::wstring path;  // the folder's long path, ending in a backslash
  HANDLE folder = INVALID_HANDLE_VALUE;
  ~Handle() {
    if (folder != INVALID_HANDLE_VALUE) CloseHandle(folder);
  }
  // The long path of a name in this folder; false for bytes that are no
  // name (a character cut short).
  bool PathOf(const std::string& name, std::wstring* full) const {
    std::wstring wide;
    if (!WideFromWtf8(name, &wide)) return false;
    *full = path + wide;
    return true;
  }
};

SystemFolder::SystemFolder(const std::string& path) : path_(path), handle_(std::make_unique<Handle>()) {
  // No path names no folder: not the root, not the working folder.
  std::wstring wide;
  if (path.empty() || !LongWidePath(path + "\\", &wide)) {
    openError_ = MakeError(path.empty() ? ErrorCode::kNotFound : ErrorCode::kBadName);
    return;
  }
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    openError_ = ErrorFromWin32(GetLastError());
    // A file under the name, with the separator after it, is not found.
    std::wstring bare;
    if (LongWidePath(path, &bare) && GetFileAttributesW(bare.c_str()) != INVALID_FILE_ATTRIBUTES) {
      openError_ = MakeError(ErrorCode::kNotFolder);
    }
    return;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    openError_ = MakeError(ErrorCode::kNotFolder);
    return;
  }
  if (wide.back() != L'\\') wide += L'\\';
  handle_->path = wide;
  handle_->folder = OpenForIdentity(wide);
  wchar_t root[MAX_PATH + 1] = {};
  wchar_t kind[MAX_PATH + 1] = {};
  if (GetVolumePathNameW(wide.c_str(), root, MAX_PATH) &&
      GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, kind, MAX_PATH)) {
    const std::wstring name(kind);
    if (name == L"FAT" || name == L"FAT12" || name == L"FAT16" || name == L"FAT32") {
      fileSystem_ = FileSystem::kFat;
    } else if (name == L"exFAT") {
      fileSystem_ = FileSystem::kExfat;
    } else if (name == L"NTFS") {
      fileSystem_ = FileSystem::kNtfs;
    }
  }
}

SystemFolder::~SystemFolder() = default;

namespace {

// Calls onEntry with every entry but "." and ".." of the folder.
Error ForEachEntry(const std::wstring& folder,
                   const std::function<void(const WIN32_FIND_DATAW&)>& onEntry) {
  WIN32_FIND_DATAW data;
  const FindHandle find(FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &data,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (find.get() == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND ? Error{} : ErrorFromWin32(error);
  }
  do {
    if (!IsDots(data.cFileName)) onEntry(data);
  } while (FindNextFileW(find.get(), &data));
  const DWORD error = GetLastError();
  return error == ERROR_NO_MORE_FILES ? Error{} : ErrorFromWin32(error);
}

}  // namespace

Error SystemFolder::List(const std::function<void(std::string name)>& onFile,
                   const std::function<void(std::string name, bool linked)>& onFolder) {
  if (!isOpen()) return openError_;
  return ForEachEntry(handle_->path, [&](const WIN32_FIND_DATAW& data) {
    // Folders, and links and junctions that stand for folders, carry the
    // folder attribute.
    std::string name = Wtf8FromWide(data.cFileName, wcslen(data.cFileName));
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      onFile(std::move(name));
    } else if (onFolder) {
      onFolder(std::move(name), (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
    }
  });
}

Error SystemFolder::ListAllNames(const std::function<void(const std::string& name)>& onName) {
  if (!isOpen()) return openError_;
  return ForEachEntry(handle_->path, [&](const WIN32_FIND_DATAW& data) {
    onName(Wtf8FromWide(data.cFileName, wcslen(data.cFileName)));
  });
}

namespace {

// MoveFileExW without MOVEFILE_REPLACE_EXISTING: the system refuses an
// existing target by itself, also one that differs only in letter case.
Error MoveWithoutReplacing(const std::wstring& source, const std::wstring& target,
                           std::size_t targetNameLength) {
  if (MoveFileExW(source.c_str(), target.c_str(), 0)) return Error{};
  const DWORD error = GetLastError();
  if ((error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) &&
      GetFileAttributesW(source.c_str()) != INVALID_FILE_ATTRIBUTES) {
    // The file is there: it is the new name that cannot be.
    return MakeError(targetNameLength > 255 ? ErrorCode::kNameTooLong : ErrorCode::kBadName);
  }
  return ErrorFromWin32(error);
}

}  // namespace

Error SystemFolder::AtomicRenameNoReplace(const std::string& from, const std::string& to) {
  std::wstring source, target;
  if (!handle_->PathOf(from, &source)) return MakeError(ErrorCode::kNotFound);
  // The long paths would let "nul.mp3" or "song." through, which no other
  // program could open again.
  Error bad = WindowsNameError(to);
  if (bad.failed()) return bad;
  if (!handle_->PathOf(to, &target)) return CutCharacterError();
  // Looking first as well keeps a second name of the same file (a hard link,
  // or the name in other letters) from being taken for a free one.
  if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
    return MakeError(ErrorCode::kExists);
  }
  return MoveWithoutReplacing(source, target, target.size() - handle_->path.size());
}

Error SystemFolder::RenameNoReplace(const std::string& from, const std::string& to) {
  if (!isOpen()) return openError_;
  Error atomic = AtomicRenameNoReplace(from, to);
  if (atomic.code != ErrorCode::kUnsupported) return atomic;
  // Where the one-step rename is not to be had: the target is looked up
  // first. A window remains in which another program could create it.
  std::wstring source, target;
  if (!handle_->PathOf(from, &source)) return MakeError(ErrorCode::kNotFound);
  if (!handle_->PathOf(to, &target)) return CutCharacterError();
  switch (Has(to)) {
    case Presence::kPresent: return MakeError(ErrorCode::kExists);
    case Presence::kUnknown: return OtherError("cannot tell whether the name is taken");
    case Presence::kAbsent: break;
  }
  return MoveWithoutReplacing(source, target, target.size() - handle_->path.size());
}

Presence SystemFolder::Has(const std::string& name) {
  if (!isOpen()) return Presence::kUnknown;
  std::wstring full;
  if (!handle_->PathOf(name, &full)) return Presence::kAbsent;  // no such name can be there
  if (GetFileAttributesW(full.c_str()) != INVALID_FILE_ATTRIBUTES) return Presence::kPresent;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Presence::kAbsent
                                                                         : Presence::kUnknown;
}

bool SystemFolder::CanHoldName(const std::string& name) { return WindowsCanHoldName(name); }

bool SystemFolder::IgnoresCase() { return true; }

std::optional<FileId> SystemFolder::Id() const {
  if (!isOpen() || handle_->folder == INVALID_HANDLE_VALUE) return std::nullopt;
  return IdOfHandle(handle_->folder);
}

Error SystemFolder::ListEntries(const std::function<void(const FolderEntry& entry)>& onEntry,
                          std::uint64_t after) {
  if (!isOpen()) return openError_;
  // The system tells no position of its own: an entry's place in the
  // listing stands for it.
  std::uint64_t index = 0;
  FolderEntry entry;
  return ForEachEntry(handle_->path, [&](const WIN32_FIND_DATAW& data) {
    ++index;
    if (index <= after) return;
    entry.name = Wtf8FromWide(data.cFileName, wcslen(data.cFileName));
    entry.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.next = index;
    onEntry(entry);
  });
}

Error SystemFolder::MoveTo(const std::string& name, Folder& target, const std::string& newName) {
  if (!isOpen()) return openError_;
  auto* const into = dynamic_cast<SystemFolder*>(&target);
  if (into == nullptr) return MakeError(ErrorCode::kUnsupported);
  if (!into->isOpen()) return into->openError_;
  Error bad = WindowsNameError(newName);
  if (bad.failed()) return bad;
  std::wstring source, destination;
  if (!handle_->PathOf(name, &source)) return MakeError(ErrorCode::kNotFound);
  if (!into->handle_->PathOf(newName, &destination)) return CutCharacterError();
  if (GetFileAttributesW(destination.c_str()) != INVALID_FILE_ATTRIBUTES) {
    return MakeError(ErrorCode::kExists);
  }
  return MoveWithoutReplacing(source, destination, destination.size() - into->handle_->path.size());
}

Error SystemFolder::MakeFolder(const std::string& name) {
  if (!isOpen()) return openError_;
  std::wstring full;
  if (!handle_->PathOf(name, &full)) return CutCharacterError();
  if (CreateDirectoryW(full.c_str(), nullptr)) return Error{};
  return ErrorFromWin32(GetLastError());
}

Error SystemFolder::RemoveEmptyFolder(const std::string& name) {
  if (!isOpen()) return openError_;
  std::wstring full;
  if (!handle_->PathOf(name, &full)) return MakeError(ErrorCode::kNotFound);
  if (RemoveDirectoryW(full.c_str())) return Error{};
  return ErrorFromWin32(GetLastError());
}

Error SystemFolder::MakeEmptyFile(const std::string& name) {
  if (!isOpen()) return openError_;
  std::wstring full;
  if (!handle_->PathOf(name, &full)) return CutCharacterError();
  const HANDLE file = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ErrorFromWin32(GetLastError());
  CloseHandle(file);
  return Error{};
}

Error SystemFolder::RemoveEmptyFile(const std::string& name) {
  if (!isOpen()) return openError_;
  std::wstring full;
  if (!handle_->PathOf(name, &full)) return MakeError(ErrorCode::kNotFound);
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(full.c_str(), GetFileExInfoStandard, &data)) {
    return ErrorFromWin32(GetLastError());
  }
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || data.nFileSizeLow != 0 ||
      data.nFileSizeHigh != 0) {
    return OtherError("not an empty file");
  }
  if (DeleteFileW(full.c_str())) return Error{};
  return ErrorFromWin32(GetLastError());
}

Error SystemFolder::RemoveFile(const std::string& name) {
  if (!isOpen()) return openError_;
  std::wstring full;
  if (!handle_->PathOf(name, &full)) return MakeError(ErrorCode::kNotFound);
  const DWORD attributes = GetFileAttributesW(full.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return ErrorFromWin32(GetLastError());
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return OtherError("a folder");
  // DeleteFileW never removes a folder, and removes a link, not its target.
  if (DeleteFileW(full.c_str())) return Error{};
  return ErrorFromWin32(GetLastError());
}

Error SystemFolder::Flush() {
  // Windows writes a folder's entries through its own cache; a folder
  // cannot be opened for the flush without write access to it.
  return isOpen() ? Error{} : openError_;
}

bool SystemFolder::FlushCoversVolume() { return false; }

bool SystemFolder::IsVolumeRoot() {
  if (!isOpen()) return false;
  wchar_t root[MAX_PATH + 1] = {};
  if (!GetVolumePathNameW(handle_->path.c_str(), root, MAX_PATH)) return false;
  return lstrcmpiW(root, handle_->path.c_str()) == 0 ||
         lstrcmpiW(root, handle_->path.substr(4).c_str()) == 0;
}

namespace {
void Put(const FILETIME& time, std::int64_t* out) {
  out[0] = (static_cast<std::int64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}
FILETIME Get(const std::int64_t* in) {
  FILETIME time;
  time.dwLowDateTime = static_cast<DWORD>(in[0] & 0xFFFFFFFF);
  time.dwHighDateTime = static_cast<DWORD>(in[0] >> 32);
  return time;
}
}  // namespace

FolderLooks SystemFolder::Looks() {
  FolderLooks looks;
  BY_HANDLE_FILE_INFORMATION info;
  if (!isOpen() || handle_->folder == INVALID_HANDLE_VALUE ||
      !GetFileInformationByHandle(handle_->folder, &info)) {
    return looks;
  }
  looks.known = true;
  Put(info.ftLastAccessTime, looks.accessed);
  Put(info.ftLastWriteTime, looks.modified);
  Put(info.ftCreationTime, looks.created);
  looks.attributes = info.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                              FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
  looks.hasAttributes = true;
  return looks;
}

Error SystemFolder::SetLooks(const FolderLooks& looks) {
  if (!isOpen()) return openError_;
  if (!looks.known) return Error{};
  const HANDLE target = CreateFileW(handle_->path.c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (target == INVALID_HANDLE_VALUE) return ErrorFromWin32(GetLastError());
  const FILETIME created = Get(looks.created), accessed = Get(looks.accessed), modified = Get(looks.modified);
  const BOOL timed = SetFileTime(target, &created, &accessed, &modified);
  const DWORD error = timed ? ERROR_SUCCESS : GetLastError();
  CloseHandle(target);
  if (looks.hasAttributes) {
    SetFileAttributesW(handle_->path.c_str(), looks.attributes | FILE_ATTRIBUTE_DIRECTORY);
  }
  return timed ? Error{} : ErrorFromWin32(error);
}

// A folder made by the program is the user's, as the folder was: there is
// no owner of the POSIX kind to carry.
Error SystemFolder::CarryOwner(const FolderLooks&) { return isOpen() ? Error{} : openError_; }

std::optional<FileId> IdOfPath(const std::string& path) {
  std::wstring wide;
  if (!LongWidePath(path, &wide)) return std::nullopt;
  const HANDLE handle = OpenForIdentity(wide);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  const std::optional<FileId> id = IdOfHandle(handle);
  CloseHandle(handle);
  return id;
}

std::unique_ptr<Folder> OpenSystemFolder(const std::string& path) {
  return std::make_unique<SystemFolder>(path);
}

}  // namespace platform
