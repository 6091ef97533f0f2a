// What went wrong in a call to the operating system: a code the program can
// act on, and plain words for the user.
#pragma once

#include <string>

namespace platform {

enum class ErrorCode {
  kNone,
  kExists,       // the name is taken
  kNotFound,     // no such file or folder
  kNotFolder,    // a path that should name a folder names something else
  kAccess,       // no permission
  kReadOnly,     // the disk or the file is read-only
  kNameTooLong,
  kBadName,      // the name cannot be stored on this system
  kBusy,         // in use
  kNoSpace,
  kUnsupported,  // the file system cannot do this
  kOther,        // anything else: the words say what
};

struct Error {
  ErrorCode code = ErrorCode::kNone;
  std::string words;

  bool failed() const { return code != ErrorCode::kNone; }
};

// An error with the program's own words for the code.
Error MakeError(ErrorCode code);
// An error of kOther with the system's own words.
Error OtherError(const std::string& words);

}  // namespace platform
