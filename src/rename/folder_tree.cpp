#include "rename/folder_tree.h"

#include "platform/bytes.h"
#include "platform/path.h"

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

bool IsSystemsOwnFolder(std::string_view name) {
  static constexpr std::string_view kOwn[] = {"System Volume Information", "$RECYCLE.BIN", ".Trashes",
                                              ".Spotlight-V100", ".fseventsd", ".TemporaryItems"};
  return std::any_of(std::begin(kOwn), std::end(kOwn),
                     [&](std::string_view own) { return platform::EqualsNoCase(name, own); });
}

std::string TreeFolder::Below(const std::string& name) const {
  return relative.empty() ? name : platform::JoinPath(relative, name);
}

void WalkTree(const std::string& root, const platform::FolderOpener& open, const TreeVisitor& visit) {
  struct Waiting {
    TreeFolder at;
    std::optional<std::uint64_t> parentDevice;
  };
  std::vector<Waiting> waiting{{TreeFolder{std::string(), root}, std::nullopt}};
  std::set<std::pair<std::uint64_t, std::uint64_t>> seen;
  while (!waiting.empty()) {
    const Waiting next = std::move(waiting.back());
    waiting.pop_back();
    const std::unique_ptr<platform::Folder> folder = open(next.at.path);
    std::optional<platform::FileId> id;
    if (folder->isOpen()) id = folder->Id();
    if (id) {
      if (next.parentDevice && *next.parentDevice != id->device) continue;
      if (!seen.emplace(id->device, id->node).second) continue;
    }
    std::vector<std::string> subfolders;
    visit(next.at, *folder, [&](std::string name, bool linked) {
      if (!linked && !IsSystemsOwnFolder(name)) subfolders.push_back(std::move(name));
    });
    // The first name is taken next.
    std::sort(subfolders.begin(), subfolders.end(), std::greater<>());
    for (std::string& name : subfolders) {
      TreeFolder at;
      at.relative = next.at.Below(name);
      at.path = platform::JoinPath(next.at.path, name);
      waiting.push_back(Waiting{std::move(at), id ? std::optional<std::uint64_t>(id->device) : std::nullopt});
    }
  }
}
