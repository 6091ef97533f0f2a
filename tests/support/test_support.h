// Helpers for the headless tests: real temporary folders and files, a fixed
// random sequence and a pause that never sleeps.
#pragma once

#include "platform/pause.h"
#include "platform/random.h"

#include <deque>
#include <filesystem>
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
  // A name inside, joined with the system's separator.
  std::string operator/(const std::string& name) const { return path_ + kSeparator + name; }

#ifdef _WIN32
  static constexpr char kSeparator[] = "\\";
#else
  static constexpr char kSeparator[] = "/";
#endif

 private:
  std::string path_;
};

// The program's bytes (WTF-8 on Windows) as a path, and back.
std::filesystem::path PathOf(const std::string& bytes);
std::string BytesOf(const std::filesystem::path& path);

// Paths and names are the program's byte strings (WTF-8 on Windows).
void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);  // without following a final link
void MakeDir(const std::string& path);
void RemovePath(const std::string& path);  // a file or an empty folder
void RenamePath(const std::string& from, const std::string& to);
// Removes a file if it is there; true when it was.
bool RemoveIfThere(const std::string& path);
// Replaces the permissions of a file or folder (on Windows: read-only or not).
void SetPermissions(const std::string& path, std::filesystem::perms perms);
// A second name for the same file.
void HardLink(const std::string& existing, const std::string& link);
// The names in a folder, sorted, without "." and "..".
std::vector<std::string> ListNames(const std::string& folder);
bool RunningAsRoot();

// Makes a folder the working folder for as long as the object lives.
class WorkingFolder {
 public:
  explicit WorkingFolder(const std::string& path);
  ~WorkingFolder();
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;

 private:
  std::string previous_;
};

// A generator that first replays its script, then goes on with a fixed-seed
// sequence. Seeding from the clock is counted and restarts that sequence.
class TestRandom : public platform::RandomSource {
 public:
  void SeedFromClock() override {
    ++seeds;
    generator_.Seed(kSeed);
  }
  int Next15() override;
  std::deque<int> script;
  int seeds = 0;
  long draws = 0;

 private:
  static constexpr unsigned kSeed = 20261208;
  platform::ClockRandom generator_{kSeed};
};

// A clock that moves only when told.
class FakeClock : public platform::Clock {
 public:
  std::int64_t NowMs() override { return now; }
  std::int64_t now = 1000;
};

class RecordingPauser : public platform::Pauser {
 public:
  void Pause(int milliseconds) override { pauses.push_back(milliseconds); }
  std::vector<int> pauses;
};

}  // namespace testing_support
