#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values);

// A fresh folder under `parent` holding `count` empty files named
// track_00001.mp3 and up.
std::string MakeTrackFolder(const std::string& parent, const std::string& name, int count);
void RemoveTree(const std::string& path);

// The file system type of a folder: "tmpfs", "ext4"...
std::string FileSystemName(const std::string& path);

// The process's peak resident memory so far, in kB (VmHWM).
long PeakMemoryKb();

}  // namespace bench
