// When a Run and the order step write what they did to a FAT or exFAT
// stick (Folder::Flush, which writes the whole volume, the files' entries
// before the folders' sectors): at their end, before the journal says they
// are over, and on the way once every twenty seconds, not once every so
// many files. Linux writes the changes it holds back by itself only once
// they are half a minute old, so between two flushes a power cut finds the
// stick as the last flush left it: every file whole, under its old name or
// its new one, the journal telling which. Each flush writes again every
// sector of a folder that changed since the one before: fewer flushes,
// fewer writes.
#pragma once

#include <cstdint>

class FlushSchedule {
 public:
  static constexpr std::int64_t kIntervalMs = 20000;

  // Whether a flush on the way is due; the clock's time now.
  bool Due(std::int64_t nowMs) {
    if (!started_) {
      started_ = true;
      lastMs_ = nowMs;
    }
    return nowMs - lastMs_ >= kIntervalMs;
  }
  void Flushed(std::int64_t nowMs) {
    started_ = true;
    lastMs_ = nowMs;
  }

 private:
  bool started_ = false;
  std::int64_t lastMs_ = 0;
};
