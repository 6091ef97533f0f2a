#include "platform/random.h"

#include <chrono>
#include <cstdint>
#include <random>

namespace platform {

namespace {

// splitmix64's finaliser: every bit of the input moves every bit of the seed.
std::uint64_t Mix(std::uint64_t x) {
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

}  // namespace

void ClockRandom::SeedFromClock() {
  // The clock at its finest, so that two starts in one second differ, mixed
  // with the system's random source, so that two starts on one tick differ.
  std::uint64_t seed =
      static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
  try {
    std::random_device device;
    seed ^= Mix((static_cast<std::uint64_t>(device()) << 32) ^ device());
  } catch (const std::exception&) {
    // No random source: the clock alone.
  }
  state_ = static_cast<unsigned>(Mix(seed));
}

}  // namespace platform
