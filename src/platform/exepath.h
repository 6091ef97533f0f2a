#pragma once

#include <string>

namespace platform {

// The full path of the running executable file; empty if it cannot be told.
std::string ExecutablePath();

}  // namespace platform
