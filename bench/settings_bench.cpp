// The settings file's reader and writer on large files: a few keys after
// many megabytes of lines without "=" or "]" (notes, a pasted log). Prints
// the time of one lookup and one write, for 1 and 16 MiB.
#include "bench_support.h"

#include "settings/ini_settings.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

using bench::Clock;
using bench::MillisecondsSince;

int main() {
  const std::string folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  CIniSettings settings;
  settings.SetPath(folder);
  settings.SetFileName("tarvello-settings-bench.ini");
  settings.SetSection("Config");
  std::printf("Settings file with N MiB of lines without '=' or ']' before [Config]:\n");
  for (const int mebibytes : {1, 16}) {
    {
      std::ofstream out(settings.path(), std::ios::binary | std::ios::trunc);
      const std::string line(7, 'x');
      for (long written = 0; written < (static_cast<long>(mebibytes) << 20); written += 8) {
        out << line << '\n';
      }
      out << "[Config]\nFolder=/music\nFile=mp3\n";
    }
    Clock::time_point t = Clock::now();
    const std::string value = settings.GetString("Folder", "?");
    const double lookup = MillisecondsSince(t);
    t = Clock::now();
    const int written = settings.WriteString("Method", "1");
    const double write = MillisecondsSince(t);
    std::printf("  %2d MiB: lookup %9.1f ms (%s), write %9.1f ms (%s)\n", mebibytes, lookup,
                value == "/music" ? "found" : "WRONG", write, written ? "ok" : "FAILED");
    std::fflush(stdout);
  }
  unlink(settings.path().c_str());
  return 0;
}
