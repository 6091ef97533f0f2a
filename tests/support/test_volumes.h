// Real volumes of the kinds players use, made in an image file inside a
// test's folder and mounted for as long as the object lives: NTFS through
// lowntfs-3g, exFAT through exfat-fuse on a loop device. Both need root,
// /dev/fuse and the Debian packages ntfs-3g, exfat-fuse and exfatprogs.
#pragma once

#include "test_support.h"

#include <string>
#include <vector>

namespace testing_support {

// Runs a program with its output thrown away; true when it exits with 0.
bool RunQuietly(const std::vector<std::string>& argv);

class TestVolume {
 public:
  enum class Kind {
    kNtfs,   // lowntfs-3g -o ignore_case: every name listed in lower case
    kExfat,  // exfat-fuse: letter case kept, and ignored on lookup
  };
  TestVolume(const TempDir& dir, Kind kind);
  ~TestVolume();
  TestVolume(const TestVolume&) = delete;
  TestVolume& operator=(const TestVolume&) = delete;

  // Mounted when the reason is empty.
  std::string mountPoint;
  std::string reason;

 private:
  std::string loopDevice_;
  bool mounted_ = false;
};

}  // namespace testing_support
