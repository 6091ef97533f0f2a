// The random numbers of the workflow, behind a small interface so that tests
// can fix the sequence.
#pragma once

namespace platform {

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // Seeds the generator from the clock; called once per start.
  virtual void SeedFromClock() = 0;
  // The next number from 0 to 32767.
  virtual int Next15() = 0;
};

// A 15-bit linear congruential generator, seeded from the clock at its finest
// and the system's random source.
class ClockRandom : public RandomSource {
 public:
  explicit ClockRandom(unsigned seed = 1) : state_(seed) {}
  void SeedFromClock() override;
  void Seed(unsigned seed) { state_ = seed; }
  int Next15() override {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFF);
  }

 private:
  unsigned state_;
};

}  // namespace platform
