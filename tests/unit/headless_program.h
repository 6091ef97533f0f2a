// The program with its window in memory and its executable, and so its
// settings file, in a fresh temporary folder that also holds a music folder.
// Not started: tests call state.InitRenameState() when they want it.
#pragma once

#include "rename/memory_controls.h"
#include "rename/rename_state.h"
#include "test_support.h"

#include <string>

namespace testing_support {

struct HeadlessProgram {
  HeadlessProgram() { MakeDir(music); }
  // The settings file's text, or "<none>" when there is none.
  std::string Ini() const { return Exists(ini) ? ReadFile(ini) : "<none>"; }

  TempDir root;
  const std::string music = root / "music";
  const std::string ini = root / "tarvello.ini";
  CMemoryControls controls;
  TestRandom random;
  RecordingPauser pauser;
  CRenameState state{controls, random, pauser, root / "tarvello"};
};

}  // namespace testing_support
