#include "volume_model.h"

#include "platform/case_fold.h"
#include "platform/path.h"
#include "platform/windows_names.h"
#include "platform/wtf8.h"

#include <stdexcept>

namespace testing_support {

namespace {

constexpr int kNeverUsed = -1;
constexpr int kFreed = -2;
constexpr int kSpecial = -3;  // ".", "..", the volume label and the like

bool IsUpperShortName(const std::string& name) {
  const std::size_t dot = name.find('.');
  const std::size_t base = dot == std::string::npos ? name.size() : dot;
  if (base == 0 || base > 8 || (dot != std::string::npos && name.size() - dot - 1 > 3)) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (i == dot) continue;
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '~')) return false;
  }
  return true;
}

// A folder of the model, as the workflow and the order step see one.
class ModelFolder : public platform::Folder {
 public:
  ModelFolder(std::shared_ptr<VolumeModel> model, const std::string& path, int dir)
      : path_(path),
        openError_(dir < 0 ? platform::MakeError(platform::ErrorCode::kNotFound) : platform::Error{}),
        fileSystem_(model->rule() == VolumeModel::Rule::kLinuxExfat ? platform::FileSystem::kExfat
                                                                    : platform::FileSystem::kFat),
        model_(std::move(model)),
        dir_(dir) {}

  const platform::Error& openError() const override { return openError_; }
  const std::string& path() const override { return path_; }
  platform::FileSystem fileSystem() const override { return fileSystem_; }

  int dir() const { return dir_; }

  platform::Error List(const std::function<void(std::string name)>& onFile,
                       const std::function<void(std::string name, bool linked)>& onFolder) override {
    return ListEntries([&](const platform::FolderEntry& entry) {
      if (!entry.folder) {
        onFile(entry.name);
      } else if (onFolder) {
        onFolder(entry.name, false);
      }
    }, 0);
  }
  platform::Error ListAllNames(const std::function<void(const std::string& name)>& onName) override {
    return ListEntries([&](const platform::FolderEntry& entry) { onName(entry.name); }, 0);
  }
  platform::Error ListEntries(const std::function<void(const platform::FolderEntry& entry)>& onEntry,
                              std::uint64_t after) override {
    if (!isOpen()) return openError();
    const VolumeModel::Dir& d = model_->dirs[static_cast<std::size_t>(dir_)];
    platform::FolderEntry entry;
    if (model_->rule() == VolumeModel::Rule::kWindowsFat) {
      // As Windows gives them: no positions, only the count of entries
      // listed before.
      std::uint64_t index = 0;
      for (std::size_t i = 0; i < d.slot.size(); ++i) {
        if (d.slot[i] < 0 || d.entries[static_cast<std::size_t>(d.slot[i])].start != i) continue;
        if (++index <= after) continue;
        const VolumeModel::Entry& e = d.entries[static_cast<std::size_t>(d.slot[i])];
        entry.name = e.name;
        entry.folder = e.folder >= 0;
        entry.next = index;
        onEntry(entry);
      }
      return platform::Error{};
    }
    // As Linux gives them: an entry's position is where the next one
    // starts, and the last one's is the end of the folder, so that entries
    // added later in a hole before the end still come after it.
    bool have = false;
    for (std::size_t i = static_cast<std::size_t>(after); i < d.slot.size(); ++i) {
      if (d.slot[i] < 0) continue;
      const VolumeModel::Entry& e = d.entries[static_cast<std::size_t>(d.slot[i])];
      if (e.start != i) continue;
      if (have) {
        entry.next = i;
        onEntry(entry);
      }
      have = true;
      entry.name = e.name;
      entry.folder = e.folder >= 0;
    }
    if (have) {
      entry.next = d.slot.size();
      onEntry(entry);
    }
    return platform::Error{};
  }
  platform::Error RenameNoReplace(const std::string& from, const std::string& to) override {
    Operation();
    const int entry = model_->Lookup(dir_, from);
    if (entry < 0) return platform::MakeError(platform::ErrorCode::kNotFound);
    const int taken = model_->Lookup(dir_, to);
    if (taken >= 0 && taken != entry) return platform::MakeError(platform::ErrorCode::kExists);
    const platform::Error bad = platform::WindowsNameError(to);
    if (bad.failed()) return bad;
    if (!model_->Rename(dir_, entry, to)) return platform::MakeError(platform::ErrorCode::kNoSpace);
    return platform::Error{};
  }
  platform::Presence Has(const std::string& name) override {
    return model_->Lookup(dir_, name) >= 0 ? platform::Presence::kPresent : platform::Presence::kAbsent;
  }
  bool CanHoldName(const std::string& name) override { return platform::WindowsCanHoldName(name); }
  bool IgnoresCase() override { return true; }
  std::optional<platform::FileId> Id() const override {
    if (dir_ < 0) return std::nullopt;
    return platform::FileId{0x7e57, static_cast<std::uint64_t>(dir_)};
  }
  platform::Error MoveTo(const std::string& name, platform::Folder& target,
                         const std::string& newName) override {
    Operation();
    auto* other = dynamic_cast<ModelFolder*>(&target);
    if (other == nullptr || other->model_ != model_) return platform::MakeError(platform::ErrorCode::kUnsupported);
    const int entry = model_->Lookup(dir_, name);
    if (entry < 0) return platform::MakeError(platform::ErrorCode::kNotFound);
    if (model_->Lookup(other->dir_, newName) >= 0) return platform::MakeError(platform::ErrorCode::kExists);
    if (name == model_->held) return platform::MakeError(platform::ErrorCode::kBusy);
    VolumeModel::Entry moved = model_->dirs[static_cast<std::size_t>(dir_)].entries[static_cast<std::size_t>(entry)];
    moved.name = newName;
    if (!model_->Add(other->dir_, moved)) return platform::MakeError(platform::ErrorCode::kNoSpace);
    model_->Free(dir_, entry);
    return platform::Error{};
  }
  platform::Error MakeFolder(const std::string& name) override {
    Operation();
    if (model_->Lookup(dir_, name) >= 0) return platform::MakeError(platform::ErrorCode::kExists);
    const platform::Error bad = platform::WindowsNameError(name);
    if (bad.failed()) return bad;
    if (!model_->MakeFolder(platform::JoinPath(path(), name))) return platform::MakeError(platform::ErrorCode::kNoSpace);
    return platform::Error{};
  }
  platform::Error RemoveEmptyFolder(const std::string& name) override {
    Operation();
    const int entry = model_->Lookup(dir_, name);
    if (entry < 0) return platform::MakeError(platform::ErrorCode::kNotFound);
    const int folder = model_->dirs[static_cast<std::size_t>(dir_)].entries[static_cast<std::size_t>(entry)].folder;
    if (folder < 0) return platform::MakeError(platform::ErrorCode::kNotFolder);
    for (const bool live : model_->dirs[static_cast<std::size_t>(folder)].live) {
      if (live) return platform::OtherError("the folder is not empty");
    }
    model_->Free(dir_, entry);
    return platform::Error{};
  }
  platform::Error MakeEmptyFile(const std::string& name) override {
    Operation();
    if (model_->Lookup(dir_, name) >= 0) return platform::MakeError(platform::ErrorCode::kExists);
    VolumeModel::Entry file;
    file.name = name;
    if (!model_->Add(dir_, file)) return platform::MakeError(platform::ErrorCode::kNoSpace);
    return platform::Error{};
  }
  platform::Error RemoveEmptyFile(const std::string& name) override {
    Operation();
    const int entry = model_->Lookup(dir_, name);
    if (entry < 0) return platform::MakeError(platform::ErrorCode::kNotFound);
    const VolumeModel::Entry& e = model_->dirs[static_cast<std::size_t>(dir_)].entries[static_cast<std::size_t>(entry)];
    if (e.folder >= 0 || !e.content.empty()) return platform::OtherError("not an empty file");
    model_->Free(dir_, entry);
    return platform::Error{};
  }
  platform::Error RemoveFile(const std::string& name) override {
    Operation();
    const int entry = model_->Lookup(dir_, name);
    if (entry < 0) return platform::MakeError(platform::ErrorCode::kNotFound);
    if (model_->dirs[static_cast<std::size_t>(dir_)].entries[static_cast<std::size_t>(entry)].folder >= 0) {
      return platform::OtherError("a folder");
    }
    model_->Free(dir_, entry);
    return platform::Error{};
  }
  bool IsVolumeRoot() override { return dir_ == 0; }
  platform::Error Flush() override {
    ++model_->flushes;
    return platform::Error{};
  }
  bool FlushCoversVolume() override { return true; }
  platform::FolderLooks Looks() override {
    return dir_ < 0 ? platform::FolderLooks{} : model_->dirs[static_cast<std::size_t>(dir_)].looks;
  }
  platform::Error SetLooks(const platform::FolderLooks& looks) override {
    if (dir_ >= 0) model_->dirs[static_cast<std::size_t>(dir_)].looks = looks;
    return platform::Error{};
  }

  // The model keeps no owners: any folder takes any.
  platform::Error CarryOwner(const platform::FolderLooks&) override { return openError_; }

 private:
  void Operation() {
    if (model_->onOperation) model_->onOperation();
  }
  std::string path_;
  platform::Error openError_;
  platform::FileSystem fileSystem_;
  std::shared_ptr<VolumeModel> model_;
  int dir_;
};

}  // namespace

std::shared_ptr<VolumeModel> VolumeModel::Make(Rule rule, std::size_t clusterSlots) {
  return std::shared_ptr<VolumeModel>(new VolumeModel(rule, clusterSlots));
}

VolumeModel::VolumeModel(Rule rule, std::size_t clusterSlots)
    : rule_(rule), clusterSlots_(clusterSlots) {
#ifdef _WIN32
  root_ = "V:\\vol";
#else
  root_ = "/vol";
#endif
  // The root holds the volume's own entries first: the label (and on exFAT
  // the bitmap and the up-case table).
  dirs.push_back(NewDir(rule_ == Rule::kLinuxExfat ? 3 : 1));
}

VolumeModel::Dir VolumeModel::NewDir(std::size_t own) const {
  Dir made;
  made.slot.assign(clusterSlots_, kNeverUsed);
  for (std::size_t i = 0; i < own; ++i) made.slot[i] = kSpecial;
  made.unused = made.hint = own;
  made.looks.known = true;
  return made;
}

platform::FolderOpener VolumeModel::Opener() {
  std::weak_ptr<VolumeModel> self = shared_from_this();
  return [self](const std::string& path) -> std::unique_ptr<platform::Folder> {
    std::shared_ptr<VolumeModel> model = self.lock();
    return std::make_unique<ModelFolder>(model, path, model ? model->Find(path) : -1);
  };
}

int VolumeModel::Find(const std::string& path) const {
  if (path == root_) return 0;
  if (path.size() <= root_.size() || path.compare(0, root_.size(), root_) != 0) return -1;
  const platform::PathParts parts = platform::SplitPath(path);
  // "Music/" and "Music/." are the folder Music, as the system opens them.
  if (parts.name.empty() || parts.name == ".") return Find(parts.folder);
  const int parent = Find(parts.folder);
  if (parent < 0) return -1;
  const int entry = Lookup(parent, parts.name);
  return entry < 0 ? -1 : dirs[static_cast<std::size_t>(parent)].entries[static_cast<std::size_t>(entry)].folder;
}

int VolumeModel::Lookup(int dir, const std::string& name) const {
  if (dir < 0) return -1;
  const Dir& d = dirs[static_cast<std::size_t>(dir)];
  const std::string key = platform::FoldCase(name);
  for (std::size_t i = 0; i < d.entries.size(); ++i) {
    if (d.live[i] && platform::FoldCase(d.entries[i].name) == key) return static_cast<int>(i);
  }
  return -1;
}

std::size_t VolumeModel::SlotsFor(const std::string& name) const {
  std::u16string wide;
  const std::size_t length = platform::Utf16FromWtf8(name, &wide) ? wide.size() : name.size();
  if (rule_ == Rule::kLinuxExfat) return 2 + (length + 14) / 15;
  return IsUpperShortName(name) ? 1 : (length + 12) / 13 + 1;
}

std::size_t VolumeModel::Allocate(Dir& d, std::size_t n) {
  const std::size_t unused = d.unused, hint = d.hint;
  const std::size_t at = Place(d, n);
  if (rootSlots == 0 || &d != &dirs.front() || at + n <= rootSlots) return at;
  // A root that cannot grow: any free run within it, or none.
  d.unused = unused;
  d.hint = hint;
  std::size_t run = 0;
  for (std::size_t i = 0; i < rootSlots && i < d.slot.size(); ++i) {
    run = d.slot[i] == kNeverUsed || d.slot[i] == kFreed ? run + 1 : 0;
    if (run == n) return i + 1 - n;
  }
  return kNoRoom;
}

std::size_t VolumeModel::Place(Dir& d, std::size_t n) {
  const auto isFree = [&](std::size_t i) { return d.slot[i] == kNeverUsed || d.slot[i] == kFreed; };
  const auto find = [&](std::size_t from, std::size_t to) -> long {
    std::size_t run = 0;
    for (std::size_t i = from; i < to; ++i) {
      run = isFree(i) ? run + 1 : 0;
      if (run == n) return static_cast<long>(i + 1 - n);
    }
    return -1;
  };
  const auto grow = [&](std::size_t until) {
    while (d.slot.size() < until) d.slot.resize(d.slot.size() + clusterSlots_, kNeverUsed);
  };
  if (rule_ != Rule::kWindowsFat) {
    const long found = find(0, d.slot.size());
    if (found >= 0) return static_cast<std::size_t>(found);
    std::size_t start = d.slot.size();
    while (start > 0 && isFree(start - 1)) --start;
    grow(start + n);
    return start;
  }
  if (d.unused + n <= d.slot.size()) {
    const std::size_t at = d.unused;
    d.unused += n;
    return at;
  }
  long found = find(d.hint, d.slot.size());
  if (found < 0) found = find(0, std::min(d.slot.size(), d.hint + n - 1));
  if (found >= 0) {
    const std::size_t at = static_cast<std::size_t>(found);
    if (at == d.hint) d.hint += n;
    if (at + n > d.unused) d.unused = at + n;
    return at;
  }
  const std::size_t at = d.unused;
  d.unused += n;
  grow(d.unused);
  return at;
}

bool VolumeModel::Add(int dir, Entry entry) {
  Dir& d = dirs[static_cast<std::size_t>(dir)];
  entry.slots = SlotsFor(entry.name);
  entry.start = Allocate(d, entry.slots);
  if (entry.start == kNoRoom) return false;
  const int index = static_cast<int>(d.entries.size());
  for (std::size_t i = entry.start; i < entry.start + entry.slots; ++i) d.slot[i] = index;
  d.entries.push_back(std::move(entry));
  d.live.push_back(true);
  return true;
}

void VolumeModel::Free(int dir, int entry) {
  Dir& d = dirs[static_cast<std::size_t>(dir)];
  const Entry& e = d.entries[static_cast<std::size_t>(entry)];
  for (std::size_t i = e.start; i < e.start + e.slots; ++i) d.slot[i] = kFreed;
  if (rule_ == Rule::kWindowsFat && e.start + e.slots - 1 < d.hint) d.hint = e.start;
  d.live[static_cast<std::size_t>(entry)] = false;
}

bool VolumeModel::Rename(int dir, int entry, const std::string& to) {
  Dir& d = dirs[static_cast<std::size_t>(dir)];
  Entry& e = d.entries[static_cast<std::size_t>(entry)];
  const std::size_t needed = SlotsFor(to);
  const bool inPlace = (rule_ == Rule::kWindowsFat && needed == e.slots) ||
                       (rule_ == Rule::kLinuxExfat && needed <= e.slots);
  if (inPlace) {
    for (std::size_t i = e.start + needed; i < e.start + e.slots; ++i) d.slot[i] = kFreed;
    e.slots = needed;
    e.name = to;
    return true;
  }
  Entry renamed = e;
  renamed.name = to;
  if (!Add(dir, renamed)) return false;
  Free(dir, entry);
  return true;
}

bool VolumeModel::MakeFolder(const std::string& path) {
  const platform::PathParts parts = platform::SplitPath(path);
  const int parent = Find(parts.folder);
  if (parent < 0 || Lookup(parent, parts.name) >= 0) throw std::runtime_error("cannot make " + path);
  // FAT folders begin with "." and ".."; exFAT keeps none.
  dirs.push_back(NewDir(rule_ == Rule::kLinuxExfat ? 0 : 2));
  Entry entry;
  entry.name = parts.name;
  entry.folder = static_cast<int>(dirs.size() - 1);
  if (Add(parent, entry)) return true;
  dirs.pop_back();
  return false;
}

void VolumeModel::WriteFile(const std::string& path, const std::string& content) {
  const platform::PathParts parts = platform::SplitPath(path);
  const int parent = Find(parts.folder);
  const int existing = Lookup(parent, parts.name);
  if (parent < 0) throw std::runtime_error("no folder for " + path);
  if (existing >= 0) {
    dirs[static_cast<std::size_t>(parent)].entries[static_cast<std::size_t>(existing)].content = content;
    return;
  }
  Entry entry;
  entry.name = parts.name;
  entry.content = content;
  if (!Add(parent, entry)) throw std::runtime_error("no room for " + path);
}

void VolumeModel::RemoveFile(const std::string& path) {
  const platform::PathParts parts = platform::SplitPath(path);
  const int parent = Find(parts.folder);
  const int entry = Lookup(parent, parts.name);
  if (entry < 0) throw std::runtime_error("no file " + path);
  Free(parent, entry);
}

std::string VolumeModel::ReadFile(const std::string& path) const {
  const platform::PathParts parts = platform::SplitPath(path);
  const int parent = Find(parts.folder);
  const int entry = Lookup(parent, parts.name);
  if (entry < 0) throw std::runtime_error("no file " + path);
  return dirs[static_cast<std::size_t>(parent)].entries[static_cast<std::size_t>(entry)].content;
}

std::vector<std::string> VolumeModel::Listing(const std::string& path) const {
  std::vector<std::string> names;
  const int dir = Find(path);
  if (dir < 0) return names;
  const Dir& d = dirs[static_cast<std::size_t>(dir)];
  for (std::size_t i = 0; i < d.slot.size(); ++i) {
    if (d.slot[i] >= 0 && d.entries[static_cast<std::size_t>(d.slot[i])].start == i) {
      names.push_back(d.entries[static_cast<std::size_t>(d.slot[i])].name);
    }
  }
  return names;
}

std::map<std::string, std::string> VolumeModel::Files() const {
  std::map<std::string, std::string> files;
  std::function<void(int, const std::string&)> walk = [&](int dir, const std::string& path) {
    const Dir& d = dirs[static_cast<std::size_t>(dir)];
    for (std::size_t i = 0; i < d.entries.size(); ++i) {
      if (!d.live[i]) continue;
      const std::string full = platform::JoinPath(path, d.entries[i].name);
      if (d.entries[i].folder >= 0) {
        walk(d.entries[i].folder, full);
      } else {
        files[full] = d.entries[i].content;
      }
    }
  };
  walk(0, root_);
  return files;
}

}  // namespace testing_support
