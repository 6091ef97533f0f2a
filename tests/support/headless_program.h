// The program with its window in memory and its executable, and so its
// settings file, in a fresh temporary folder that also holds a music folder.
// Not started: tests call workflow.InitRenameState() when they want it.
#pragma once

#include "memory_view.h"
#include "rename/workflow.h"
#include "test_support.h"

#include <string>

namespace testing_support {

struct HeadlessProgram {
  // openFolder: where the workflow's folders come from; empty: the system's.
  explicit HeadlessProgram(platform::FolderOpener openFolder = {})
      : openFolder(std::move(openFolder)) {
    MakeDir(music);
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

  TempDir root;
  const std::string music = root / "music";
  const std::string ini = root / "tarvello.ini";
  MemoryView view;
  TestRandom random;
  RecordingPauser pauser;
  FakeClock clock;
  platform::FolderOpener openFolder;
  WorkflowServices services{&random, &pauser, openFolder, root / "tarvello", &clock};
  RenameWorkflow workflow{view, services};
};

}  // namespace testing_support
