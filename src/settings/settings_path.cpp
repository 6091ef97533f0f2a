#include "settings/settings_path.h"

#include "platform/path.h"

SettingsLocation SettingsLocationFor(const std::string& executablePath) {
  const platform::PathParts parts = platform::SplitPath(executablePath);
  SettingsLocation location;
  location.folder = parts.hasFolder ? parts.folder : ".";
  std::string name = parts.name;
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  location.fileName = name + ".ini";
  location.journalName = name + ".journal";
  return location;
}
