// Inside the POSIX half of the platform layer only: errno to Error.
#pragma once

#include "platform/error.h"

namespace platform {

Error ErrorFromErrno(int error);

}  // namespace platform
