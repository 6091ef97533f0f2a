#include "platform/console.h"

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace platform {

namespace {
volatile std::sig_atomic_t g_interrupted = 0;
void OnInterrupt(int) { g_interrupted = 1; }
int Descriptor(Stream stream) {
  return stream == Stream::kIn ? STDIN_FILENO : stream == Stream::kOut ? STDOUT_FILENO : STDERR_FILENO;
}
}  // namespace

bool IsTerminal(Stream stream) { return isatty(Descriptor(stream)) == 1; }

void Write(Stream stream, const std::string& text) {
  std::FILE* file = stream == Stream::kError ? stderr : stdout;
  std::fwrite(text.data(), 1, text.size(), file);
  std::fflush(file);
}

bool ReadLine(std::string* line) {
  line->clear();
  for (;;) {
    const int c = std::getchar();
    if (c == EOF) return !line->empty();
    if (c == '\n') return true;
    *line += static_cast<char>(c);
  }
}

void CatchInterrupts() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool TakeInterrupt() {
  const bool interrupted = g_interrupted != 0;
  g_interrupted = 0;
  return interrupted;
}

std::vector<std::string> Arguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

}  // namespace platform
