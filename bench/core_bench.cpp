// The whole core job against a plain C-style baseline on the same kind of
// folder: N empty files, Search (scan and list), Random (Add), Run; then a
// Replace pass (Search, Random, Run) on the numbered folder. The baseline
// does readdir with a suffix filter, a Fisher-Yates permutation and one
// renameat2(RENAME_NOREPLACE) per file, for both passes, and flushes the
// folder to the disk after its renames, as a careful program for USB sticks
// does. Pauses are off and the question is answered Yes. Tarvello's Run
// writes its journal first, as always; its cost is also measured on its
// own. The disk is flushed before each job, so that neither pays for the
// other's writes. Prints the median of several repetitions.
//
// Then one Add Run with the order step forced on against one without it.
//
// Usage: core_bench [FOLDER...]   (default: /dev/shm and the current folder)
#include "bench_support.h"

#include "memory_view.h"
#include "platform/file.h"
#include "rename/journal.h"
#include "rename/workflow.h"

#include <cstdio>
#include <cstring>
#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <stdexcept>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

using bench::Clock;
using bench::MillisecondsSince;

namespace {

class NoPause : public platform::Pauser {
 public:
  void Pause(int) override {}
};

struct Phases {
  double search = 0, random = 0, run = 0, replaceSearch = 0, replaceRandom = 0, replaceRun = 0;
  double journal = 0;  // of Tarvello's Run time: writing and completing its journal
  double Total() const { return search + random + run + replaceSearch + replaceRandom + replaceRun; }
};

Phases TimeTarvello(const std::string& parent, const std::string& folder) {
  platform::ClockRandom random;
  NoPause pauser;
  testing_support::MemoryProgram program(WorkflowServices{&random, &pauser, {}, parent + "/tarvello"});
  testing_support::MemoryView& view = program.view;
  RenameWorkflow& workflow = program.workflow;
  workflow.Start();
  view.folder = folder;
  view.extension = "mp3";
  Phases p;
  for (int pass = 0; pass < 2; ++pass) {
    view.checked = pass == 0 ? RenameMethod::kAdd : RenameMethod::kReplace;
    Clock::time_point t = Clock::now();
    program.Do(Command::kSearch);
    (pass == 0 ? p.search : p.replaceSearch) = MillisecondsSince(t);
    t = Clock::now();
    if (!program.Do(Command::kRandom)) throw std::runtime_error("Random refused");
    (pass == 0 ? p.random : p.replaceRandom) = MillisecondsSince(t);
    t = Clock::now();
    program.Do(Command::kRun);
    (pass == 0 ? p.run : p.replaceRun) = MillisecondsSince(t);
    if (!Complete(view.status)) throw std::runtime_error("Run failed: " + shell::StatusText(view.status));
  }
  // What the journal costs of a Run: the same writes again, on the side.
  const std::string journal = parent + "/tarvello-bench.journal";
  RunResult result;
  result.outcomes.assign(workflow.job().newCount(), RowOutcome::kRenamed);
  const Clock::time_point t = Clock::now();
  platform::ReplaceFileContents(journal, JournalStart(folder, std::nullopt, workflow.job()));
  platform::AppendToFile(journal, JournalResult(result));
  p.journal = MillisecondsSince(t);
  platform::RemoveFile(journal);
  platform::RemoveFile(workflow.journalPath());
  return p;
}

// The baseline: what a careful C programmer would write for the same job.
std::vector<std::string> ScanMp3(const char* folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder);
  while (struct dirent* e = readdir(dir)) {
    if (e->d_type == DT_DIR) continue;
    const std::size_t len = std::strlen(e->d_name);
    if (len >= 3 && strcasecmp(e->d_name + len - 3, "mp3") == 0) names.emplace_back(e->d_name, len);
  }
  closedir(dir);
  return names;
}

std::vector<std::string> Permuted(const std::vector<std::string>& names, std::size_t drop,
                                  unsigned& seed) {
  std::vector<int> numbers(names.size());
  for (std::size_t i = 0; i < numbers.size(); ++i) numbers[i] = static_cast<int>(i) + 1;
  for (std::size_t i = numbers.size(); i > 1; --i) {
    seed = seed * 1103515245u + 12345u;
    std::swap(numbers[i - 1], numbers[(seed >> 8) % i]);
  }
  std::vector<std::string> renamed(names.size());
  char buffer[512];
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::snprintf(buffer, sizeof buffer, "%04d_%s", numbers[i], names[i].c_str() + drop);
    renamed[i] = buffer;
  }
  return renamed;
}

void RenameAllNoReplace(const char* folder, const std::vector<std::string>& from,
                        const std::vector<std::string>& to) {
  const int fd = open(folder, O_RDONLY | O_DIRECTORY);
  for (std::size_t i = 0; i < from.size(); ++i) {
    if (from[i] == to[i]) continue;  // a file that drew its own number
    if (syscall(SYS_renameat2, fd, from[i].c_str(), fd, to[i].c_str(), 1) != 0) {
      throw std::runtime_error("baseline rename failed: " + std::string(std::strerror(errno)));
    }
  }
  fsync(fd);
  close(fd);
}

Phases TimeBaseline(const std::string& folder) {
  Phases p;
  unsigned seed = 12345;
  for (int pass = 0; pass < 2; ++pass) {
    Clock::time_point t = Clock::now();
    const std::vector<std::string> names = ScanMp3(folder.c_str());
    (pass == 0 ? p.search : p.replaceSearch) = MillisecondsSince(t);
    t = Clock::now();
    const std::vector<std::string> renamed = Permuted(names, pass == 0 ? 0 : 5, seed);
    (pass == 0 ? p.random : p.replaceRandom) = MillisecondsSince(t);
    t = Clock::now();
    RenameAllNoReplace(folder.c_str(), names, renamed);
    (pass == 0 ? p.run : p.replaceRun) = MillisecondsSince(t);
  }
  return p;
}

Phases MedianOf(const std::vector<Phases>& runs) {
  auto median = [&](double Phases::*field) {
    std::vector<double> values;
    for (const Phases& p : runs) values.push_back(p.*field);
    return bench::Median(values);
  };
  Phases m;
  m.search = median(&Phases::search);
  m.random = median(&Phases::random);
  m.run = median(&Phases::run);
  m.replaceSearch = median(&Phases::replaceSearch);
  m.replaceRandom = median(&Phases::replaceRandom);
  m.replaceRun = median(&Phases::replaceRun);
  m.journal = median(&Phases::journal);
  return m;
}

void Bench(const std::string& parent, int count, int repetitions) {
  std::vector<Phases> ours, baseline;
  std::vector<double> ratios;
  for (int rep = 0; rep < repetitions; ++rep) {
    // Both folders are made before either job, and the order alternates.
    const std::string a = bench::MakeTrackFolder(parent, "tarvello-bench-a", count);
    const std::string b = bench::MakeTrackFolder(parent, "tarvello-bench-b", count);
    sync();
    Phases o, c;
    if (rep % 2 == 0) {
      o = TimeTarvello(parent, a);
      sync();
      c = TimeBaseline(b);
    } else {
      c = TimeBaseline(b);
      sync();
      o = TimeTarvello(parent, a);
    }
    ours.push_back(o);
    baseline.push_back(c);
    ratios.push_back(o.Total() / c.Total());
    bench::RemoveTree(a);
    bench::RemoveTree(b);
  }
  const Phases o = MedianOf(ours), c = MedianOf(baseline);
  std::vector<double> totals;
  for (const Phases& p : ours) totals.push_back(p.Total());
  std::vector<double> baseTotals;
  for (const Phases& p : baseline) baseTotals.push_back(p.Total());
  std::sort(ratios.begin(), ratios.end());
  std::printf("%-6s %6d  search %7.2f/%7.2f  random %6.2f/%6.2f  run %8.2f/%8.2f  "
              "replace: search %7.2f/%7.2f  random %6.2f/%6.2f  run %8.2f/%8.2f  "
              "total %8.2f/%8.2f ms  ratio %.3f (%.3f..%.3f)  journal %.2f ms a Run\n",
              bench::FileSystemName(parent).c_str(), count, o.search, c.search, o.random, c.random,
              o.run, c.run, o.replaceSearch, c.replaceSearch, o.replaceRandom, c.replaceRandom,
              o.replaceRun, c.replaceRun, bench::Median(totals), bench::Median(baseTotals),
              bench::Median(ratios), ratios.front(), ratios.back(), o.journal);
  std::fflush(stdout);
}

// One Add Run of `folder` with the order step forced on or off: its time,
// and the order step's file operations (moves, folder renames, listings,
// flushes).
double TimeRunWithOrder(const std::string& parent, const std::string& folder, OrderPolicy order,
                        std::size_t& operations) {
  platform::ClockRandom random;
  NoPause pauser;
  WorkflowServices services{&random, &pauser, {}, parent + "/tarvello"};
  services.order = order;
  testing_support::MemoryProgram program(std::move(services));
  program.workflow.Start();
  program.view.folder = folder;
  program.view.extension = "mp3";
  program.view.checked = RenameMethod::kAdd;
  program.Do(Command::kSearch);
  program.Do(Command::kRandom);
  const Clock::time_point t = Clock::now();
  program.Do(Command::kRun);
  const double ms = MillisecondsSince(t);
  // tmpfs lists the newest entry first and ext4 by hash: there the order
  // step does all its work and then finds the order not kept.
  if (!Complete(program.view.status) &&
      program.workflow.lastOrderProblem().kind != OrderProblem::Kind::kOrderNotKept) {
    throw std::runtime_error("Run failed: " + shell::StatusText(program.view.status));
  }
  operations = program.workflow.lastOrderOperations();
  platform::RemoveFile(program.workflow.journalPath());
  return ms;
}

void BenchOrder(const std::string& parent, int count, int repetitions) {
  std::vector<double> with, without, ratios, perFile;
  for (int rep = 0; rep < repetitions; ++rep) {
    const std::string a = bench::MakeTrackFolder(parent, "tarvello-bench-a", count);
    const std::string b = bench::MakeTrackFolder(parent, "tarvello-bench-b", count);
    sync();
    std::size_t operations = 0, none = 0;
    double w, n;
    if (rep % 2 == 0) {
      w = TimeRunWithOrder(parent, a, OrderPolicy::kAlways, operations);
      sync();
      n = TimeRunWithOrder(parent, b, OrderPolicy::kNever, none);
    } else {
      n = TimeRunWithOrder(parent, b, OrderPolicy::kNever, none);
      sync();
      w = TimeRunWithOrder(parent, a, OrderPolicy::kAlways, operations);
    }
    with.push_back(w);
    without.push_back(n);
    ratios.push_back(w / n);
    perFile.push_back(static_cast<double>(operations) / count);
    bench::RemoveTree(a);
    bench::RemoveTree(b);
  }
  std::sort(ratios.begin(), ratios.end());
  std::printf("%-6s %6d  Run with the order step %8.2f ms, without %8.2f ms  ratio %.3f (%.3f..%.3f)  "
              "%.2f file operations a file\n",
              bench::FileSystemName(parent).c_str(), count, bench::Median(with), bench::Median(without),
              bench::Median(ratios), ratios.front(), ratios.back(), bench::Median(perFile));
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  // "core_bench order [FOLDER...]": the Runs with and without the order
  // step only.
  const bool orderOnly = argc > 1 && std::string(argv[1]) == "order";
  std::vector<std::string> parents;
  for (int i = orderOnly ? 2 : 1; i < argc; ++i) parents.push_back(argv[i]);
  if (parents.empty()) {
    if (access("/dev/shm", W_OK) == 0) parents.push_back("/dev/shm");
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd)) parents.push_back(cwd);
  }
  std::printf("Times in ms, tarvello/baseline, median of the repetitions; ratio = whole job "
              "(both passes) tarvello / baseline, median (min..max)\n");
  for (const std::string& parent : parents) {
    for (int count : {1000, 10000, 30000}) {
      if (!orderOnly) Bench(parent, count, count == 30000 ? 5 : 7);
    }
  }
  std::printf("The order step forced on (it runs by itself on FAT and exFAT only): one Add Run\n");
  for (const std::string& parent : parents) BenchOrder(parent, 30000, orderOnly ? 9 : 5);
  return 0;
}
