// Where the running program lies.
#pragma once

#include <string>

namespace platform {

// The full path of the running executable file; empty when it cannot be
// told.
std::string ExecutablePath();

}  // namespace platform
