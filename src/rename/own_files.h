// The program's own files (the program, its settings file, its journal):
// Search never lists them and the order step never moves them, so that
// Tarvello can live on the stick beside the music. Whether a name is one of
// them is the volume's answer: on a stick that ignores letter case,
// "TARVELLO-CLI" is the program too.
#pragma once

#include "platform/folder.h"

#include <optional>
#include <string>
#include <vector>

class OwnFiles {
 public:
  OwnFiles() = default;  // none: the program cannot tell where it lies
  OwnFiles(std::string folder, std::vector<std::string> names)
      : folder_(std::move(folder)), names_(std::move(names)) {}

  // The program's own names as `folder` compares names; none unless it is
  // the program's folder.
  class In {
   public:
    bool any() const { return !keys_.empty(); }
    bool Has(const std::string& name) const;

   private:
    friend class OwnFiles;
    bool folded_ = false;
    std::vector<std::string> keys_;
  };
  In InFolder(platform::Folder& folder) const;

 private:
  std::string folder_;
  std::vector<std::string> names_;
};
