#include "faults.h"

#include "platform/file.h"

namespace testing_support {

platform::Error FaultPlan::Next() {
  ++count;
  if (at == 0 || count < at || (!lasting && count > at)) return platform::Error{};
  ++failed;
  switch (kind) {
    case Kind::kIo: return platform::OtherError("input/output error");
    case Kind::kNoSpace: return platform::MakeError(platform::ErrorCode::kNoSpace);
    case Kind::kAccess: return platform::MakeError(platform::ErrorCode::kAccess);
    case Kind::kGone: return platform::MakeError(platform::ErrorCode::kNotFound);
  }
  return platform::Error{};
}

const char* FaultName(FaultPlan::Kind kind) {
  switch (kind) {
    case FaultPlan::Kind::kIo: return "EIO";
    case FaultPlan::Kind::kNoSpace: return "ENOSPC";
    case FaultPlan::Kind::kAccess: return "EACCES";
    case FaultPlan::Kind::kGone: return "ENOENT";
  }
  return "";
}

namespace {

// A folder whose every operation may fail; it does the rest through the
// folder it wraps.
class FaultyFolder : public platform::Folder {
 public:
  FaultyFolder(std::unique_ptr<platform::Folder> inner, FaultPlan& plan, platform::Error openError)
      : openError_(openError.failed() ? openError : inner->openError()), inner_(std::move(inner)), plan_(plan) {}

  const platform::Error& openError() const override { return openError_; }
  const std::string& path() const override { return inner_->path(); }
  platform::FileSystem fileSystem() const override { return inner_->fileSystem(); }

  platform::Error List(const std::function<void(std::string name)>& onFile,
                       const std::function<void(std::string name, bool linked)>& onFolder) override {
    return Do([&] { return inner_->List(onFile, onFolder); });
  }
  platform::Error ListAllNames(const std::function<void(const std::string& name)>& onName) override {
    return Do([&] { return inner_->ListAllNames(onName); });
  }
  platform::Error ListEntries(const std::function<void(const platform::FolderEntry& entry)>& onEntry,
                              std::uint64_t after) override {
    return Do([&] { return inner_->ListEntries(onEntry, after); });
  }
  platform::Error RenameNoReplace(const std::string& from, const std::string& to) override {
    return Do([&] { return inner_->RenameNoReplace(from, to); });
  }
  platform::Presence Has(const std::string& name) override {
    if (!isOpen()) return platform::Presence::kUnknown;
    const platform::Error failed = plan_.Next();
    if (failed.code == platform::ErrorCode::kNotFound) return platform::Presence::kAbsent;
    return failed.failed() ? platform::Presence::kUnknown : inner_->Has(name);
  }
  bool CanHoldName(const std::string& name) override { return inner_->CanHoldName(name); }
  bool IgnoresCase() override { return inner_->IgnoresCase(); }
  std::optional<platform::FileId> Id() const override {
    return isOpen() ? inner_->Id() : std::nullopt;
  }
  platform::Error MoveTo(const std::string& name, platform::Folder& target, const std::string& newName) override {
    auto* faulty = dynamic_cast<FaultyFolder*>(&target);
    return Do([&] { return inner_->MoveTo(name, faulty ? *faulty->inner_ : target, newName); });
  }
  platform::Error MakeFolder(const std::string& name) override {
    return Do([&] { return inner_->MakeFolder(name); });
  }
  platform::Error RemoveEmptyFolder(const std::string& name) override {
    return Do([&] { return inner_->RemoveEmptyFolder(name); });
  }
  platform::Error MakeEmptyFile(const std::string& name) override {
    return Do([&] { return inner_->MakeEmptyFile(name); });
  }
  platform::Error RemoveEmptyFile(const std::string& name) override {
    return Do([&] { return inner_->RemoveEmptyFile(name); });
  }
  platform::Error RemoveFile(const std::string& name) override {
    return Do([&] { return inner_->RemoveFile(name); });
  }
  bool IsVolumeRoot() override { return inner_->IsVolumeRoot(); }
  platform::Error Flush() override {
    return Do([&] { return inner_->Flush(); });
  }
  bool FlushCoversVolume() override { return inner_->FlushCoversVolume(); }
  platform::FolderLooks Looks() override { return inner_->Looks(); }
  platform::Error SetLooks(const platform::FolderLooks& looks) override {
    return Do([&] { return inner_->SetLooks(looks); });
  }
  platform::Error CarryOwner(const platform::FolderLooks& looks) override {
    return Do([&] { return inner_->CarryOwner(looks); });
  }

 private:
  template <class Operation>
  platform::Error Do(const Operation& operation) {
    if (!isOpen()) return openError();
    platform::Error failed = plan_.Next();
    return failed.failed() ? failed : operation();
  }
  platform::Error openError_;
  std::unique_ptr<platform::Folder> inner_;
  FaultPlan& plan_;
};

}  // namespace

platform::FolderOpener FaultyFolders(platform::FolderOpener inner, FaultPlan& plan) {
  return [inner, &plan](const std::string& path) -> std::unique_ptr<platform::Folder> {
    const platform::Error opened = plan.Next();
    return std::make_unique<FaultyFolder>(inner(path), plan, opened);
  };
}

platform::Error FaultyJournalFiles::Read(const std::string& path, std::string* text) {
  const platform::Error failed = plan_.Next();
  return failed.failed() ? failed : JournalFiles::Read(path, text);
}

platform::Error FaultyJournalFiles::Replace(const std::string& path, const std::string& text) {
  const platform::Error failed = plan_.Next();
  return failed.failed() ? failed : JournalFiles::Replace(path, text);
}

platform::Error FaultyJournalFiles::Append(const std::string& path, const std::string& text) {
  const platform::Error failed = plan_.Next();
  if (!failed.failed()) return JournalFiles::Append(path, text);
  // A full disk takes half the record before it refuses the rest.
  if (failed.code == platform::ErrorCode::kNoSpace) {
    platform::AppendToFile(path, text.substr(0, text.size() / 2));
  }
  return failed;
}

platform::Error FaultyJournalFiles::CutTo(const std::string& path, std::uint64_t size) {
  const platform::Error failed = plan_.Next();
  return failed.failed() ? failed : JournalFiles::CutTo(path, size);
}

platform::Error FaultyJournalFiles::Remove(const std::string& path) {
  const platform::Error failed = plan_.Next();
  return failed.failed() ? failed : JournalFiles::Remove(path);
}

}  // namespace testing_support
