// The program with its front in memory and its executable, and so its
// settings file and journal, in a fresh temporary folder that also holds a
// music folder. Not started: tests call workflow.Start() when they want it.
#pragma once

#include "memory_view.h"
#include "rename/workflow.h"
#include "test_folders.h"
#include "test_support.h"

#include <memory>
#include <string>
#include <vector>

namespace testing_support {

struct HeadlessProgram {
  // openFolder: where the workflow's folders come from; empty: the system's,
  // listing in `listOrder` when that is given. musicFolder: the folder to
  // rename in, made here unless `makeMusic` is false (a folder of the
  // test's own); empty: one beside the program.
  explicit HeadlessProgram(platform::FolderOpener openFolder = {}, std::string musicFolder = {},
                           bool makeMusic = true, OrderPolicy order = OrderPolicy::kAuto)
      : music(musicFolder.empty() ? root / "music" : std::move(musicFolder)),
        openFolder(openFolder ? std::move(openFolder) : ListingInOrder()),
        order(order) {
    if (makeMusic) MakeDir(music);
    view.Attach(workflow);
  }
  // The settings file's text, or "<none>" when there is none. Windows starts
  // its files with CR LF line ends; they read here as LF.
  std::string Ini() const {
    if (!Exists(ini)) return "<none>";
    std::string text = ReadFile(ini);
#ifdef _WIN32
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
#endif
    return text;
  }
  const RenameJob& job() const { return workflow.job(); }
  // A command, and a long Run or Undo it starts carried to its end.
  bool Do(Command command) { return view.Do(command); }
  // The program started anew beside the same files.
  std::unique_ptr<MemoryProgram> Restarted() const {
    auto later = std::make_unique<MemoryProgram>(services);
    later->workflow.Start();
    return later;
  }

  TempDir root;
  const std::string music;
  const std::string ini = root / "tarvello.ini";
  const std::string journal = root / "tarvello.journal";
  // The order in which the music folder lists its files; empty: its own.
  std::vector<std::string> listOrder;
  MemoryView view;
  TestRandom random;
  RecordingPauser pauser;
  FakeClock clock;
  platform::FolderOpener openFolder;
  OrderPolicy order;
  WorkflowServices services = Services();
  RenameWorkflow workflow{view, services};

 private:
  WorkflowServices Services() {
    WorkflowServices made{&random, &pauser, openFolder, root / "tarvello", &clock};
    made.order = order;
    return made;
  }
  platform::FolderOpener ListingInOrder() {
    return [this](const std::string& path) -> std::unique_ptr<platform::Folder> {
      if (listOrder.empty()) return platform::OpenSystemFolder(path);
      return std::make_unique<OrderedFolder>(path, listOrder);
    };
  }
};

}  // namespace testing_support
