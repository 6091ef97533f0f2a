#include "platform/error.h"

namespace platform {

Error MakeError(ErrorCode code) {
  const char* words = "";
  switch (code) {
    case ErrorCode::kNone: words = ""; break;
    case ErrorCode::kExists: words = "the name is taken"; break;
    case ErrorCode::kNotFound: words = "the file is gone"; break;
    case ErrorCode::kNotFolder: words = "not a folder"; break;
    case ErrorCode::kAccess: words = "no permission"; break;
    case ErrorCode::kReadOnly: words = "the disk is read-only"; break;
    case ErrorCode::kNameTooLong: words = "the name is too long"; break;
    case ErrorCode::kBadName: words = "the name is not allowed here"; break;
    case ErrorCode::kBusy: words = "the file is in use"; break;
    case ErrorCode::kNoSpace: words = "the disk is full"; break;
    case ErrorCode::kUnsupported: words = "not supported by this disk"; break;
    case ErrorCode::kOther: words = "failed"; break;
  }
  return Error{code, words};
}

Error OtherError(const std::string& words) { return Error{ErrorCode::kOther, words}; }

}  // namespace platform
