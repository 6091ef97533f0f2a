#include "bench_support.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <ftw.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace bench {

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string MakeTrackFolder(const std::string& parent, const std::string& name, int count) {
  const std::string folder = parent + "/" + name;
  RemoveTree(folder);
  if (mkdir(folder.c_str(), 0755) != 0) throw std::runtime_error("cannot create " + folder);
  for (int i = 1; i <= count; ++i) {
    char file[64];
    std::snprintf(file, sizeof file, "/track_%05d.mp3", i);
    const int fd = open((folder + file).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0) throw std::runtime_error("cannot create a file in " + folder);
    close(fd);
  }
  return folder;
}

void RemoveTree(const std::string& path) {
  nftw(path.c_str(),
       [](const char* p, const struct stat*, int, struct FTW*) {
         remove(p);
         return 0;  // go on whatever one entry does
       },
       16, FTW_DEPTH | FTW_PHYS);
}

std::string FileSystemName(const std::string& path) {
  std::ifstream mounts("/proc/self/mounts");
  std::string device, mountPoint, type, rest, bestType = "?";
  std::size_t best = 0;
  char* real = realpath(path.c_str(), nullptr);
  const std::string resolved = real ? real : path;
  std::free(real);
  while (mounts >> device >> mountPoint >> type && std::getline(mounts, rest)) {
    if (resolved.compare(0, mountPoint.size(), mountPoint) == 0 && mountPoint.size() >= best) {
      best = mountPoint.size();
      bestType = type;
    }
  }
  return bestType;
}

long PeakMemoryKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.compare(0, 6, "VmHWM:") == 0) return std::stol(line.substr(6));
  }
  return -1;
}

}  // namespace bench
