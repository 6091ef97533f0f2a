#include "platform/random.h"

#include <ctime>

namespace platform {

void ClockRandom::SeedFromClock() { state_ = static_cast<unsigned>(std::time(nullptr)); }

}  // namespace platform
