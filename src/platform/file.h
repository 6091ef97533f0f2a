// Small files read whole and replaced whole: the settings file and the journal.
#pragma once

#include "platform/error.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Files larger than this are not taken for the program's own files: reading
// one fails, and it is never rewritten.
constexpr std::size_t kMaxSmallFileSize = 64 * 1024 * 1024;

// Reads the whole file. kNotFound when there is none; an error too when it is
// not a regular file (a folder, a pipe...) or larger than the limit. Never
// waits on a pipe planted under the name.
Error ReadWholeFile(const std::string& path, std::string* content);

// Gives the file at `path` the content `content`, creating it when needed,
// so that it is never left half-written: the content goes to a temporary
// file beside it, is flushed to the disk and then takes the file's place,
// keeping its permissions. Who may write the file stays as it was:
// - a file nobody may write (a read-only file) is refused and left alone;
// - a file with more than one name (a hard link), or one whose folder does
//   not let the temporary file be made, is written in place: the content
//   first, then the length;
// - a symbolic link is refused: it would send the writes anywhere.
// A new file's entry is flushed to the disk with it.
Error ReplaceFileContents(const std::string& path, const std::string& content);

// Adds `content` to the end of an existing file (not through a link) and
// flushes it to the disk. All or nothing: when it fails, what it wrote is
// cut off again as far as the disk lets it.
Error AppendToFile(const std::string& path, const std::string& content);

// Cuts an existing file (not through a link) to its first `size` bytes and
// flushes it.
Error CutFile(const std::string& path, std::uint64_t size);

// Removes the temporary files that a ReplaceFileContents of `path` left
// beside it when the program was killed in the middle.
void RemoveReplaceLeftovers(const std::string& path);

// From now on a write past the file size the system allows this program
// fails, and is told like any other failure, instead of ending it.
void FailWritesPastSizeLimit();

// Removes a file; kNotFound when there was none.
Error RemoveFile(const std::string& path);

}  // namespace platform
