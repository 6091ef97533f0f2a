// The yardstick of the stick benchmark (tests/vm), run inside the test VM:
//   stick_tool fill FOLDER COUNT   makes COUNT small files of names 10 to 60
//                                  bytes long, a fifth of them Korean
//   stick_tool shuffle FOLDER      the plainest way to number a folder: read
//                                  it, shuffle, rename each file in place to
//                                  "%04d_name", one syncfs at the end
//   stick_tool direct FOLDER       the least a Run in the new order does:
//                                  each file renamed straight into a fresh
//                                  sibling folder in the new names' order,
//                                  the folders swapped, one sync
// Exit status 0 when every step worked.
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace {

int Fill(const std::string& folder, int count) {
  std::mt19937 rng(2026);
  const char* const korean[] = {"노래", "바람", "사랑", "하늘", "별빛"};
  if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return 1;
  for (int i = 0; i < count; ++i) {
    std::string name = "song " + std::to_string(i) + " ";
    if (i % 5 == 0) name += std::string(korean[i % 5]) + " ";
    const int length = std::uniform_int_distribution<int>(10, 60)(rng);
    while (static_cast<int>(name.size()) + 4 < length) name += static_cast<char>('a' + rng() % 26);
    name += ".mp3";
    const std::string path = folder + "/" + name;
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0 || write(fd, name.data(), name.size()) != static_cast<ssize_t>(name.size()) || close(fd) != 0) {
      std::perror(path.c_str());
      return 1;
    }
  }
  sync();
  return 0;
}

int Shuffle(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return 1;
  std::vector<std::string> names;
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] != '.') names.push_back(entry->d_name);
  }
  std::vector<int> numbers(names.size());
  for (std::size_t i = 0; i < numbers.size(); ++i) numbers[i] = static_cast<int>(i) + 1;
  std::shuffle(numbers.begin(), numbers.end(), std::mt19937(7));
  const int fd = dirfd(dir);
  int failed = 0;
  char target[300];
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::snprintf(target, sizeof target, "%04d_%s", numbers[i], names[i].c_str());
    if (syscall(SYS_renameat2, fd, names[i].c_str(), fd, target, 1 /* RENAME_NOREPLACE */) != 0) ++failed;
  }
  syncfs(fd);
  closedir(dir);
  return failed == 0 ? 0 : 1;
}

// The least a Run in the new order can do: every file renamed straight
// into a fresh sibling folder in the order of the new names, the folders
// swapped, the old one removed, one syncfs.
int Direct(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return 1;
  std::vector<std::pair<std::string, std::string>> moves;
  std::vector<int> numbers;
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] != '.') moves.emplace_back(entry->d_name, std::string());
  }
  closedir(dir);
  for (std::size_t i = 0; i < moves.size(); ++i) numbers.push_back(static_cast<int>(i) + 1);
  std::shuffle(numbers.begin(), numbers.end(), std::mt19937(7));
  char target[300];
  for (std::size_t i = 0; i < moves.size(); ++i) {
    std::snprintf(target, sizeof target, "%04d_%s", numbers[i], moves[i].first.c_str());
    moves[i].second = target;
  }
  std::sort(moves.begin(), moves.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
  const std::string sibling = folder + ".new", former = folder + ".old";
  if (mkdir(sibling.c_str(), 0777) != 0) return 1;
  int failed = 0;
  for (const auto& [from, to] : moves) {
    failed += rename((folder + "/" + from).c_str(), (sibling + "/" + to).c_str()) != 0;
  }
  failed += rename(folder.c_str(), former.c_str()) != 0;
  failed += rename(sibling.c_str(), folder.c_str()) != 0;
  failed += rmdir(former.c_str()) != 0;
  sync();
  return failed == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "direct") == 0) return Direct(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "fill") == 0) return Fill(argv[2], std::atoi(argv[3]));
  if (argc == 3 && std::strcmp(argv[1], "shuffle") == 0) return Shuffle(argv[2]);
  std::fprintf(stderr, "usage: stick_tool fill FOLDER COUNT | shuffle FOLDER | direct FOLDER\n");
  return 2;
}
