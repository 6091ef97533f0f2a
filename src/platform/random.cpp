#include "platform/random.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace platform {

void ClockRandom::SeedFromClock() {
  state_ = static_cast<unsigned>(std::time(nullptr));
}

void SleepPauser::Pause(int milliseconds) {
  if (milliseconds > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
}

}  // namespace platform
