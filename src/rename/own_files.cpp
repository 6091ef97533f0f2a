#include "rename/own_files.h"

#include "platform/case_fold.h"

#include <algorithm>

OwnFiles::In OwnFiles::InFolder(platform::Folder& folder) const {
  In in;
  if (folder_.empty()) return in;
  const std::optional<platform::FileId> id = folder.Id();
  if (!id || id != platform::IdOfPath(folder_)) return in;
  in.folded_ = folder.IgnoresCase();
  for (const std::string& name : names_) in.keys_.push_back(in.folded_ ? platform::FoldCase(name) : name);
  return in;
}

bool OwnFiles::In::Has(const std::string& name) const {
  if (keys_.empty()) return false;
  const std::string key = folded_ ? platform::FoldCase(name) : name;
  return std::find(keys_.begin(), keys_.end(), key) != keys_.end();
}
