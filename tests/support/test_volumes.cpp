#include "test_volumes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

namespace {

// Runs a program; its standard output, when asked for, comes back.
bool Run(const std::vector<std::string>& argv, std::string* output) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return false;
  const pid_t pid = fork();
  if (pid == 0) {
    // A daemon (a FUSE mount) keeps what it inherits: nothing but
    // /dev/null, or the pipe only when its output is read.
    const int null = open("/dev/null", O_RDWR);
    dup2(output != nullptr ? pipeFds[1] : null, 1);
    dup2(null, 2);
    dup2(null, 0);
    close(pipeFds[0]);
    close(pipeFds[1]);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(pipeFds[1]);
  char buffer[256];
  ssize_t got;
  while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0) {
    if (output != nullptr) output->append(buffer, static_cast<std::size_t>(got));
  }
  close(pipeFds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool OnPath(const std::string& program) { return RunQuietly({"sh", "-c", "command -v " + program}); }

}  // namespace

bool RunQuietly(const std::vector<std::string>& argv) { return Run(argv, nullptr); }

TestVolume::TestVolume(const TempDir& dir, Kind kind) : mountPoint(dir / "volume") {
  if (!RunningAsRoot()) {
    reason = "mounting needs root";
    return;
  }
  const int fuse = open("/dev/fuse", O_RDWR | O_CLOEXEC);
  if (fuse < 0) {
    reason = "/dev/fuse cannot be opened: " + std::string(std::strerror(errno));
    return;
  }
  close(fuse);
  const bool ntfs = kind == Kind::kNtfs;
  const std::vector<std::string> tools =
      ntfs ? std::vector<std::string>{"mkntfs", "lowntfs-3g"}
           : std::vector<std::string>{"mkfs.exfat", "mount.exfat-fuse", "losetup"};
  for (const std::string& tool : tools) {
    if (!OnPath(tool)) {
      reason = tool + " is missing (Debian packages ntfs-3g, exfat-fuse, exfatprogs)";
      return;
    }
  }
  const std::string image = dir / (ntfs ? "ntfs.img" : "exfat.img");
  MakeDir(mountPoint);
  WriteFile(image, "");
  if (truncate(image.c_str(), 32 << 20) != 0 ||
      !RunQuietly(ntfs ? std::vector<std::string>{"mkntfs", "-F", "-Q", "-q", image}
                       : std::vector<std::string>{"mkfs.exfat", image})) {
    reason = "the image could not be made";
    return;
  }
  std::string device = image;
  if (!ntfs) {
    device.clear();
    if (!Run({"losetup", "-f", "--show", image}, &device) || device.empty()) {
      reason = "no loop device for the image";
      return;
    }
    device.erase(device.find_last_not_of("\n") + 1);
    loopDevice_ = device;
  }
  if (!RunQuietly(ntfs ? std::vector<std::string>{"lowntfs-3g", "-o", "ignore_case", device, mountPoint}
                       : std::vector<std::string>{"mount.exfat-fuse", device, mountPoint})) {
    reason = "the image could not be mounted";
    return;
  }
  mounted_ = true;
}

TestVolume::~TestVolume() {
  if (mounted_ && !RunQuietly({"umount", mountPoint})) {
    RunQuietly({"fusermount3", "-u", mountPoint}) || RunQuietly({"fusermount", "-u", mountPoint});
  }
  if (!loopDevice_.empty()) RunQuietly({"losetup", "-d", loopDevice_});
}

}  // namespace testing_support
