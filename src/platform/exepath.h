// Where the running program lies.
#pragma once

#include <string>

namespace platform {

// The full path of the running executable file, as the system tells it;
// failing that, the program's own name from its command line (argv0) found
// as a shell finds programs. Empty when neither tells.
std::string ExecutablePath(const std::string& argv0 = std::string());

// argv0 found as a shell finds programs: a name with a separator names the
// file itself (taken from the working folder when relative), a bare name is
// looked up in the folders of `searchPath` (the PATH variable's value). The
// full path of an executable file, or empty.
std::string ProgramPathFromArgv0(const std::string& argv0, const std::string& searchPath);

}  // namespace platform
