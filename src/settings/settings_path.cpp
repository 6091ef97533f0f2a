#include "settings/settings_path.h"

SettingsLocation SettingsLocationFor(const std::string& executablePath) {
  SettingsLocation location;
  std::size_t slash = executablePath.rfind('/');
  std::string name;
  if (slash == std::string::npos) {
    name = executablePath;
    location.folder = ".";
  } else {
    location.folder = executablePath.substr(0, slash);
    name = executablePath.substr(slash + 1);
  }
  std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  location.fileName = name + ".ini";
  return location;
}
