#include "rename/other_systems_files.h"

#include "platform/bytes.h"

OtherSystemsFile OtherSystemsFileOf(std::string_view name) {
  if (name.size() > 2 && name[0] == '.' && name[1] == '_') return OtherSystemsFile::kAppleDouble;
  if (platform::EqualsNoCase(name, ".DS_Store")) return OtherSystemsFile::kFinderInfo;
  if (platform::EqualsNoCase(name, "Thumbs.db")) return OtherSystemsFile::kThumbnails;
  if (platform::EqualsNoCase(name, "desktop.ini")) return OtherSystemsFile::kFolderSettings;
  return OtherSystemsFile::kNone;
}

CleanPlan PlanClean(platform::Folder& folder, const SubfolderFound& onFolder) {
  CleanPlan plan;
  if (!folder.isOpen()) {
    plan.listError = folder.openError();
    return plan;
  }
  // Folders are listed apart (a link to a folder among them) and never
  // taken, whatever their names.
  plan.listError = folder.List([&](std::string name) {
    const OtherSystemsFile kind = OtherSystemsFileOf(name);
    if (kind == OtherSystemsFile::kNone) return;
    ++plan.counts[static_cast<std::size_t>(kind)];
    plan.names.push_back(std::move(name));
  }, onFolder);
  return plan;
}

std::vector<FolderCleanPlan> PlanTreeClean(const std::string& root, const platform::FolderOpener& open,
                                           bool subfolders) {
  std::vector<FolderCleanPlan> plans;
  WalkTree(root, open, [&](const TreeFolder& at, platform::Folder& folder, const SubfolderFound& found) {
    CleanPlan plan = PlanClean(folder, subfolders ? found : SubfolderFound());
    if (at.relative.empty() || !plan.names.empty() || plan.listError.failed()) {
      plans.push_back(FolderCleanPlan{at, std::move(plan)});
    }
  });
  return plans;
}

CleanResult Clean(platform::Folder& folder, const CleanPlan& plan) {
  CleanResult result;
  for (const std::string& name : plan.names) {
    const platform::Error error = folder.RemoveFile(name);
    if (error.failed()) {
      result.failures.push_back(CleanFailure{name, error});
    } else {
      ++result.removed;
    }
  }
  if (result.removed > 0) folder.Flush();
  return result;
}
