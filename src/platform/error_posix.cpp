#include "platform/posix_error.h"

#include <cerrno>
#include <cstring>

namespace platform {

Error ErrorFromErrno(int error) {
  switch (error) {
    case 0: return Error{};
    case EEXIST:
    case ENOTEMPTY: return MakeError(ErrorCode::kExists);
    case ENOENT: return MakeError(ErrorCode::kNotFound);
    case ENOTDIR: return MakeError(ErrorCode::kNotFolder);
    case EACCES:
    case EPERM: return MakeError(ErrorCode::kAccess);
    case EROFS: return MakeError(ErrorCode::kReadOnly);
    case ENAMETOOLONG: return MakeError(ErrorCode::kNameTooLong);
    case EILSEQ: return MakeError(ErrorCode::kBadName);
    case EBUSY:
    case ETXTBSY: return MakeError(ErrorCode::kBusy);
    case ENOSPC:
    case EDQUOT: return MakeError(ErrorCode::kNoSpace);
    case ENOSYS:
    case ENOTSUP: return MakeError(ErrorCode::kUnsupported);
    default: return OtherError(std::strerror(error));
  }
}

}  // namespace platform
