// Where the settings file lies: beside the executable, named after it.
#pragma once

#include <string>

struct SettingsLocation {
  std::string folder;    // the executable's folder, without a trailing separator
  std::string fileName;  // the executable's name without its last extension, plus ".ini"
  std::string journalName;  // the same name with ".journal": the last Run, for Undo
};

// "/opt/t/my.tool" gives {"/opt/t", "my.ini"}; "/opt/t/tarvello" gives
// {"/opt/t", "tarvello.ini"}; "/tarvello" gives {"/", "tarvello.ini"}. A
// leading dot (".tarvello") marks a hidden file, not an extension.
SettingsLocation SettingsLocationFor(const std::string& executablePath);
