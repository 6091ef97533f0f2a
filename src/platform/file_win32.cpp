#include "platform/file.h"

#include "platform/win32_support.h"

#include <windows.h>

#include <vector>

namespace platform {

namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE get() const { return handle_; }
  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
  // Closes now, reporting a failure of the close itself.
  bool Close() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return CloseHandle(handle) != 0;
  }

 private:
  HANDLE handle_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool WriteAll(HANDLE file, const std::string& content) {
  std::size_t done = 0;
  while (done < content.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1u << 24));
    DWORD put = 0;
    if (!WriteFile(file, content.data() + done, chunk, &put, nullptr)) return false;
    done += put;
  }
  return true;
}

// Writes the content over the file's own bytes and then cuts it to length:
// no moment without the file, but no protection against a crash midway.
Error WriteInPlace(const std::wstring& path, const std::string& content) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.ok()) return ErrorFromWin32(GetLastError());
  if (!WriteAll(file.get(), content) || !SetEndOfFile(file.get()) ||
      !FlushFileBuffers(file.get())) {
    return ErrorFromWin32(GetLastError());
  }
  if (!file.Close()) return ErrorFromWin32(GetLastError());
  return Error{};
}

// A name for a temporary file beside `path` that nobody else uses.
std::wstring TemporaryBeside(const std::wstring& path, unsigned attempt) {
  return path + L"." + std::to_wstring(GetCurrentProcessId()) + L"." +
         std::to_wstring(GetTickCount() + attempt) + L".tmp";
}

}  // namespace

Error ReadWholeFile(const std::string& path, std::string* content) {
  std::wstring wide;
  if (!LongWidePath(path, &wide)) return MakeError(ErrorCode::kNotFound);
  FileHandle file(CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.ok()) {
    const DWORD error = GetLastError();
    // A folder under the name cannot be opened as a file.
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      return MakeError(ErrorCode::kNotFolder);
    }
    return ErrorFromWin32(error);
  }
  // Never waits on a pipe or a device planted under the name.
  if (GetFileType(file.get()) != FILE_TYPE_DISK) return OtherError("not a settings file");
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size)) return ErrorFromWin32(GetLastError());
  if (static_cast<unsigned long long>(size.QuadPart) > kMaxSmallFileSize) {
    return OtherError("not a settings file");
  }
  std::string text;
  text.resize(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < text.size()) {
    DWORD got = 0;
    if (!ReadFile(file.get(), &text[done], static_cast<DWORD>(text.size() - done), &got, nullptr)) {
      return ErrorFromWin32(GetLastError());
    }
    if (got == 0) break;
    done += got;
  }
  text.resize(done);
  content->swap(text);
  return Error{};
}

Error ReplaceFileContents(const std::string& path, const std::string& content) {
  std::wstring wide;
  if (!LongWidePath(path, &wide)) return MakeError(ErrorCode::kBadName);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (!exists) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) return ErrorFromWin32(error);
  } else {
    // Never clobber a folder, and keep a read-only file as it is: its owner
    // pinned it so.
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return OtherError("not a regular file");
    if (attributes & FILE_ATTRIBUTE_READONLY) return MakeError(ErrorCode::kReadOnly);
    // A link would send the writes wherever it points: refused. A file with
    // more than one name (a hard link) stays one file under all of them.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return OtherError("it is a link to another file");
    FileHandle probe(CreateFileW(wide.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (probe.ok() && GetFileInformationByHandle(probe.get(), &info) && info.nNumberOfLinks > 1) {
      probe.Close();
      return WriteInPlace(wide, content);
    }
  }

  std::wstring temp;
  HANDLE created = INVALID_HANDLE_VALUE;
  for (unsigned attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
    temp = TemporaryBeside(wide, attempt);
    created = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  FileHandle file(created);
  if (!file.ok()) {
    // A file the user may write in a folder the user may not: written in
    // place, as the system's own profile functions write it.
    const Error error = ErrorFromWin32(GetLastError());
    return exists ? WriteInPlace(wide, content) : error;
  }
  bool ok = WriteAll(file.get(), content) && FlushFileBuffers(file.get());
  DWORD error = ok ? ERROR_SUCCESS : GetLastError();
  if (!file.Close() && ok) {
    ok = false;
    error = GetLastError();
  }
  if (ok && exists) {
    SetFileAttributesW(temp.c_str(), attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                   FILE_ATTRIBUTE_ARCHIVE));
  }
  if (ok && MoveFileExW(temp.c_str(), wide.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return Error{};
  }
  if (ok) error = GetLastError();
  DeleteFileW(temp.c_str());
  return ErrorFromWin32(error);
}

Error AppendToFile(const std::string& path, const std::string& content) {
  std::wstring wide;
  if (!LongWidePath(path, &wide)) return MakeError(ErrorCode::kBadName);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return OtherError("it is a link to another file");
  }
  FileHandle file(CreateFileW(wide.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                              nullptr));
  if (!file.ok()) return ErrorFromWin32(GetLastError());
  if (GetFileType(file.get()) != FILE_TYPE_DISK) return OtherError("not a regular file");
  LARGE_INTEGER before;
  if (!GetFileSizeEx(file.get(), &before)) return ErrorFromWin32(GetLastError());
  if (!WriteAll(file.get(), content) || !FlushFileBuffers(file.get())) {
    // Half a record is worse than none: what was written goes again.
    const DWORD error = GetLastError();
    file.Close();
    CutFile(path, static_cast<std::uint64_t>(before.QuadPart));
    return ErrorFromWin32(error);
  }
  if (!file.Close()) return ErrorFromWin32(GetLastError());
  return Error{};
}

Error CutFile(const std::string& path, std::uint64_t size) {
  std::wstring wide;
  if (!LongWidePath(path, &wide)) return MakeError(ErrorCode::kBadName);
  FileHandle file(CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.ok()) return ErrorFromWin32(GetLastError());
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size);
  if (!SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file.get()) ||
      !FlushFileBuffers(file.get())) {
    return ErrorFromWin32(GetLastError());
  }
  if (!file.Close()) return ErrorFromWin32(GetLastError());
  return Error{};
}

void RemoveReplaceLeftovers(const std::string& path) {
  // ReplaceFileContents' temporary files: the name, ".", the process
  // number, ".", a tick count, ".tmp".
  std::wstring wide;
  if (!LongWidePath(path, &wide)) return;
  const std::size_t slash = wide.find_last_of(L"\\/");
  const std::wstring folder = wide.substr(0, slash + 1);
  const std::wstring prefix = wide.substr(slash + 1) + L".";
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileW((wide + L".*.tmp").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  std::vector<std::wstring> leftovers;
  do {
    const std::wstring name = data.cFileName;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name.size() <= prefix.size() + 4 ||
        _wcsnicmp(name.c_str(), prefix.c_str(), prefix.size()) != 0) {
      continue;
    }
    const std::wstring middle = name.substr(prefix.size(), name.size() - prefix.size() - 4);
    const std::size_t dot = middle.find(L'.');
    if (dot == std::wstring::npos || dot == 0 || dot + 1 == middle.size() ||
        middle.find_first_not_of(L"0123456789.") != std::wstring::npos ||
        middle.find(L'.', dot + 1) != std::wstring::npos) {
      continue;
    }
    leftovers.push_back(folder + name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  for (const std::wstring& leftover : leftovers) DeleteFileW(leftover.c_str());
}

// Windows ends no program for the size of its writes.
void FailWritesPastSizeLimit() {}

Error RemoveFile(const std::string& path) {
  std::wstring wide;
  if (!LongWidePath(path, &wide)) return MakeError(ErrorCode::kNotFound);
  if (DeleteFileW(wide.c_str())) return Error{};
  return ErrorFromWin32(GetLastError());
}

}  // namespace platform
