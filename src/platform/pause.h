// Pauses and the time that passes, behind small interfaces so that tests
// never sleep and can make time pass at will.
#pragma once

#include <cstdint>

namespace platform {

class Pauser {
 public:
  virtual ~Pauser() = default;
  virtual void Pause(int milliseconds) = 0;
};

// Blocks the calling thread for the time given.
class SleepPauser : public Pauser {
 public:
  void Pause(int milliseconds) override;
};

// Milliseconds from a fixed point, never going back.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::int64_t NowMs() = 0;
};

class SteadyClock : public Clock {
 public:
  std::int64_t NowMs() override;
};

}  // namespace platform
