#include "test_support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace testing_support {

// On Windows the bytes are WTF-8 (UTF-8 for the names the tests use),
// elsewhere they are the path's own.
fs::path PathOf(const std::string& bytes) {
#ifdef _WIN32
  return fs::u8path(bytes);
#else
  return fs::path(bytes);
#endif
}

std::string BytesOf(const fs::path& path) {
#ifdef _WIN32
  return path.u8string();
#else
  return path.string();
#endif
}

TempDir::TempDir() {
  std::random_device seed;
  std::mt19937_64 rng(seed());
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate = base / ("tarvello-test-" + std::to_string(rng() % 1000000000));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      path_ = BytesOf(candidate);
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code error;
  // Give back what tests took away, so that everything can go.
  fs::permissions(PathOf(path_), fs::perms::owner_all, fs::perm_options::add, error);
  for (fs::recursive_directory_iterator it(PathOf(path_), error), end; !error && it != end;
       it.increment(error)) {
    if (it->is_directory(error) && !it->is_symlink(error)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
  }
  fs::remove_all(PathOf(path_), error);
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  out << content;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(PathOf(path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool Exists(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(PathOf(path), error));
}

void MakeDir(const std::string& path) {
  if (!fs::create_directory(PathOf(path))) throw std::runtime_error("cannot create " + path);
}

void RemovePath(const std::string& path) {
  if (!fs::remove(PathOf(path))) throw std::runtime_error("cannot remove " + path);
}

void RenamePath(const std::string& from, const std::string& to) {
  fs::rename(PathOf(from), PathOf(to));
}

bool RemoveIfThere(const std::string& path) {
  std::error_code error;
  return fs::remove(PathOf(path), error);
}

void SetPermissions(const std::string& path, fs::perms perms) {
  std::error_code error;
  fs::permissions(PathOf(path), perms, fs::perm_options::replace, error);
}

void HardLink(const std::string& existing, const std::string& link) {
  fs::create_hard_link(PathOf(existing), PathOf(link));
}

std::vector<std::string> ListNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(PathOf(folder))) {
    names.push_back(BytesOf(entry.path().filename()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool RunningAsRoot() {
#ifdef _WIN32
  return false;
#else
  return geteuid() == 0;
#endif
}

WorkingFolder::WorkingFolder(const std::string& path) : previous_(BytesOf(fs::current_path())) {
  fs::current_path(PathOf(path));
}

WorkingFolder::~WorkingFolder() {
  std::error_code error;
  fs::current_path(PathOf(previous_), error);
}

int TestRandom::Next15() {
  ++draws;
  if (!script.empty()) {
    int r = script.front();
    script.pop_front();
    return r;
  }
  return generator_.Next15();
}

}  // namespace testing_support
