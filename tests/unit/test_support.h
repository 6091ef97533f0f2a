// Helpers for the headless tests: real temporary folders and files, a fixed
// random sequence and a pause that never sleeps.
#pragma once

#include "platform/random.h"

#include <string>
#include <vector>

namespace testing_support {

// A fresh folder under the system's temporary folder, removed with all its
// content (permissions restored first) when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);  // without following a final link
void MakeDir(const std::string& path);
// The names in a folder, sorted, without "." and "..".
std::vector<std::string> ListNames(const std::string& folder);
bool RunningAsRoot();

// A generator that replays a script and then counts upward; seeding is
// recorded but changes nothing.
class ScriptedRandom : public platform::RandomSource {
 public:
  explicit ScriptedRandom(std::vector<int> script = {}) : script_(std::move(script)) {}
  void SeedFromClock() override { ++seeds; }
  int Next15() override;
  int seeds = 0;
  int draws = 0;

 private:
  std::vector<int> script_;
  std::size_t next_ = 0;
  int counter_ = 0;
};

// A seeded generator whose seeding from the clock is a fixed seed.
class FixedSeedRandom : public platform::RandomSource {
 public:
  explicit FixedSeedRandom(unsigned seed) : generator_(seed), seed_(seed) {}
  void SeedFromClock() override { generator_.Seed(seed_); }
  int Next15() override { return generator_.Next15(); }

 private:
  platform::ClockRandom generator_;
  unsigned seed_;
};

class RecordingPauser : public platform::Pauser {
 public:
  void Pause(int milliseconds) override { pauses.push_back(milliseconds); }
  std::vector<int> pauses;
};

}  // namespace testing_support
