#include "cli/cli_front.h"
#include "platform/console.h"
#include "platform/exepath.h"
#include "platform/file.h"

int main(int argc, char** argv) {
  // A full disk or a file size limit is reported, not a reason to die half way.
  platform::FailWritesPastSizeLimit();
  const std::vector<std::string> arguments = platform::Arguments(argc, argv);
  // The journal lies beside the program; its name helps find it where the
  // system cannot tell.
  return cli::Run(arguments, platform::ExecutablePath(arguments.empty() ? std::string() : arguments[0]));
}
