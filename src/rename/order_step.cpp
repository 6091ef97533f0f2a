#include "rename/order_step.h"

#include "platform/path.h"

#include <algorithm>
#include <unordered_map>

namespace {

const char* const kDigits = kTokenAlphabet;
// An in-place ordering gives up after this many operations per file, and
// after reading this many entries in all: on a volume that will not keep
// the order it would otherwise run away.
constexpr std::size_t kOperationsPerFile = 8;
constexpr std::size_t kMostEntriesRead = 4000000;
// The longest place holder's name stays within 255 characters.
constexpr std::size_t kLongestPadding = 240;

}  // namespace

std::string SiblingFolderName(const std::string& folderName, const std::string& token) {
  return folderName + ".tarvello-" + token;
}

std::string FormerFolderName(const std::string& folderName, const std::string& token) {
  return folderName + ".tarvello-old-" + token;
}

// Short upper-case names: one directory entry each on FAT.
std::string TemporaryFolderName(const std::string& token) { return "TVT" + token; }

std::string FillerName(const std::string& token, std::size_t n, std::size_t padding) {
  std::string name = "Z" + token + "000";
  for (std::size_t i = 0; i < 3; ++i, n /= 36) name[name.size() - 1 - i] = kDigits[n % 36];
  if (padding > 0) name += "-" + std::string(padding - 1, 'X');
  return name;
}

bool IsFillerName(const std::string& token, const std::string& name) {
  const std::size_t base = token.size() + 4;
  if (name.size() < base || name[0] != 'Z' || name.compare(1, token.size(), token) != 0) return false;
  for (std::size_t i = base - 3; i < base; ++i) {
    if (std::find(kDigits, kDigits + 36, name[i]) == kDigits + 36) return false;
  }
  if (name.size() == base) return true;
  return name[base] == '-' && name.find_first_not_of('X', base + 1) == std::string::npos;
}

OrderDecision PlanOrder(const std::string& fullFolder, std::vector<std::string> renamed,
                        const std::string& token,
                        const std::function<bool(const std::string& name)>& stays,
                        const platform::FolderOpener& open) {
  OrderDecision decision;
  const std::unique_ptr<platform::Folder> folder = open(fullFolder);
  if (!folder->isOpen()) {
    decision.problem = {OrderProblem::Kind::kFolderNotOpened, folder->openError(), {}};
    return decision;
  }
  std::sort(renamed.begin(), renamed.end());
  // In order already (a folder of one file, or a lucky draw) when the
  // sorted names stand in the listing one after another, whatever stands
  // between them: nothing to do.
  std::vector<std::string> others;
  std::size_t matched = 0;
  bool keeps = false;
  const platform::Error listed = folder->ListEntries([&](const platform::FolderEntry& entry) {
    if (matched < renamed.size() && entry.name == renamed[matched]) {
      ++matched;
    } else if (stays && stays(entry.name)) {
      keeps = true;
    } else if (!std::binary_search(renamed.begin(), renamed.end(), entry.name)) {
      others.push_back(entry.name);
    }
  });
  const bool inOrder = matched == renamed.size();
  if (listed.failed()) {
    decision.problem = {OrderProblem::Kind::kFolderNotRead, listed, {}};
    return decision;
  }
  if (inOrder) return decision;

  auto plan = std::make_unique<OrderPlan>();
  plan->folder = fullFolder;
  plan->token = token;
  plan->ordered = renamed.size();
  plan->moves = std::move(renamed);
  plan->moves.insert(plan->moves.end(), others.begin(), others.end());
  // The root of a volume has no sibling to take its place, and a folder
  // whose name leaves no room for the two temporary names cannot swap.
  bool sibling = !keeps && !folder->IsVolumeRoot();
  if (sibling) {
    const platform::PathParts parts = platform::SplitPath(fullFolder);
    const std::unique_ptr<platform::Folder> parent = open(parts.folder);
    sibling = parent->isOpen() && parent->CanHoldName(SiblingFolderName(parts.name, token)) &&
              parent->CanHoldName(FormerFolderName(parts.name, token));
  }
  plan->method = sibling ? OrderMethod::kSibling : OrderMethod::kInPlace;
  decision.plan = std::move(plan);
  return decision;
}

namespace {

// A folder whose directory operations are counted, in one place for the
// order step and its way back: listings, renames and moves, folders and
// place holders made and removed, flushes, and the looks and owner given.
// Its opener counts each folder it opens too.
class CountingFolder : public platform::Folder {
 public:
  CountingFolder(std::unique_ptr<platform::Folder> inner, std::size_t* count)
      : inner_(std::move(inner)), count_(count) {}

  const platform::Error& openError() const override { return inner_->openError(); }
  const std::string& path() const override { return inner_->path(); }
  platform::FileSystem fileSystem() const override { return inner_->fileSystem(); }
  platform::Error List(const std::function<void(std::string name)>& onFile,
                       const std::function<void(std::string name, bool linked)>& onFolder) override {
    return Counted(inner_->List(onFile, onFolder));
  }
  platform::Error ListAllNames(const std::function<void(const std::string& name)>& onName) override {
    return Counted(inner_->ListAllNames(onName));
  }
  platform::Error RenameNoReplace(const std::string& from, const std::string& to) override {
    return Counted(inner_->RenameNoReplace(from, to));
  }
  platform::Presence Has(const std::string& name) override { return inner_->Has(name); }
  bool CanHoldName(const std::string& name) override { return inner_->CanHoldName(name); }
  bool IgnoresCase() override { return inner_->IgnoresCase(); }
  std::optional<platform::FileId> Id() const override { return inner_->Id(); }
  platform::Error ListEntries(const std::function<void(const platform::FolderEntry& entry)>& onEntry,
                              std::uint64_t after) override {
    return Counted(inner_->ListEntries(onEntry, after));
  }
  platform::Error MoveTo(const std::string& name, platform::Folder& target, const std::string& newName) override {
    auto* const counting = dynamic_cast<CountingFolder*>(&target);
    return Counted(inner_->MoveTo(name, counting != nullptr ? *counting->inner_ : target, newName));
  }
  platform::Error MakeFolder(const std::string& name) override { return Counted(inner_->MakeFolder(name)); }
  platform::Error RemoveEmptyFolder(const std::string& name) override {
    return Counted(inner_->RemoveEmptyFolder(name));
  }
  platform::Error MakeEmptyFile(const std::string& name) override { return Counted(inner_->MakeEmptyFile(name)); }
  platform::Error RemoveEmptyFile(const std::string& name) override {
    return Counted(inner_->RemoveEmptyFile(name));
  }
  platform::Error RemoveFile(const std::string& name) override { return Counted(inner_->RemoveFile(name)); }
  bool IsVolumeRoot() override { return inner_->IsVolumeRoot(); }
  platform::Error Flush() override { return Counted(inner_->Flush()); }
  bool FlushCoversVolume() override { return inner_->FlushCoversVolume(); }
  platform::FolderLooks Looks() override { return inner_->Looks(); }
  platform::Error SetLooks(const platform::FolderLooks& looks) override { return Counted(inner_->SetLooks(looks)); }
  platform::Error CarryOwner(const platform::FolderLooks& looks) override {
    return Counted(inner_->CarryOwner(looks));
  }

 private:
  platform::Error Counted(platform::Error error) {
    ++*count_;
    return error;
  }
  std::unique_ptr<platform::Folder> inner_;
  std::size_t* count_;
};

platform::FolderOpener Counting(platform::FolderOpener open, std::size_t* count) {
  return [open = std::move(open), count](const std::string& path) -> std::unique_ptr<platform::Folder> {
    ++*count;
    return std::make_unique<CountingFolder>(open(path), count);
  };
}

// Moves every entry of `from` into `into`, under the name `named` gives it
// (its own, unless told); what does not go stays in `from`.
void Drain(platform::Folder& from, platform::Folder& into, WayBackResult& result,
           const std::unordered_map<std::string, std::string>* named = nullptr) {
  std::vector<std::string> names;
  platform::Error failed = from.ListEntries([&](const platform::FolderEntry& entry) { names.push_back(entry.name); });
  for (const std::string& name : names) {
    const auto to = named != nullptr ? named->find(name) : std::unordered_map<std::string, std::string>::const_iterator();
    const platform::Error moved = from.MoveTo(name, into, named != nullptr && to != named->end() ? to->second : name);
    // One that went away meanwhile is no longer there to bring back.
    if (moved.failed() && moved.code != platform::ErrorCode::kNotFound && !failed.failed()) failed = moved;
  }
  if (failed.failed() && !result.error.failed()) result.error = failed;
}

// The names of a folder's entries; false when it cannot be read.
bool ListNames(platform::Folder& folder, std::vector<std::string>* names, WayBackResult& result) {
  const platform::Error listed =
      folder.ListEntries([&](const platform::FolderEntry& entry) { names->push_back(entry.name); });
  if (listed.failed() && !result.error.failed()) result.error = listed;
  return !listed.failed();
}

bool Holds(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// What waits in the temporary folder `name` of `holder`, which is still
// there: its entries, as far as they can be read.
void TellWhatWaits(const std::string& holderPath, const std::string& name, const platform::FolderOpener& open,
                   WayBackResult& result) {
  Stranded left;
  left.place = platform::JoinPath(holderPath, name);
  const std::unique_ptr<platform::Folder> other = open(left.place);
  left.listed = other->isOpen() && ListNames(*other, &left.names, result);
  result.stranded.push_back(std::move(left));
}

// The end of a way back that moved anything: `holder` flushed, then read to
// check that none of its `temporaries` is left (what failed on the way
// counts no more once they are gone); what waits in one that is, told.
// False, and nothing read, when it cannot be read.
bool FlushAndCheck(platform::Folder& holder, const std::string& holderPath,
                   const std::vector<std::string>& temporaries, const platform::FolderOpener& open,
                   WayBackResult& result, std::vector<std::string>* after) {
  holder.Flush();
  if (!ListNames(holder, after, result)) {
    result.stranded.push_back(Stranded{platform::JoinPath(holderPath, temporaries.front()), {}, false});
    return false;
  }
  const platform::Error cause = result.error;
  result.error = platform::Error{};
  for (const std::string& name : temporaries) {
    if (Holds(*after, name)) TellWhatWaits(holderPath, name, open, result);
  }
  if (!result.stranded.empty()) {
    result.error = cause;
    if (!cause.failed()) result.left = WayBackResult::Left::kTemporaryFolder;
  }
  return true;
}

// The folder at `path`, opened and its names listed; none, and `unknown`
// told as waiting, when it cannot be read.
std::unique_ptr<platform::Folder> OpenListed(const platform::FolderOpener& open, const std::string& path,
                                             const Stranded& unknown, WayBackResult& result,
                                             std::vector<std::string>* names) {
  std::unique_ptr<platform::Folder> folder = open(path);
  if (folder->isOpen() && ListNames(*folder, names, result)) return folder;
  if (!folder->isOpen()) result.error = folder->openError();
  result.stranded.push_back(unknown);
  return nullptr;
}

void WayBackSibling(const OrderPlan& plan, const platform::FolderOpener& open, WayBackResult& result) {
  const platform::PathParts parts = platform::SplitPath(plan.folder);
  const std::string sibling = SiblingFolderName(parts.name, plan.token);
  const std::string former = FormerFolderName(parts.name, plan.token);
  const Stranded unknown{platform::JoinPath(parts.folder, sibling), {}, false};
  // Where things stand, from a listing of the folder's parent.
  std::vector<std::string> beside;
  const std::unique_ptr<platform::Folder> parent = OpenListed(open, parts.folder, unknown, result, &beside);
  if (!parent) return;
  // Cut between the two renames of the swap: the old folder takes its name
  // back.
  if (!Holds(beside, parts.name) && Holds(beside, former)) {
    const platform::Error back = parent->RenameNoReplace(former, parts.name);
    if (back.failed()) {
      result.error = back;
      result.folderAt = platform::JoinPath(parts.folder, former);
      result.stranded.push_back(unknown);
      return;
    }
    beside.erase(std::find(beside.begin(), beside.end(), former));
  }
  const std::unique_ptr<platform::Folder> folder = open(plan.folder);
  if (!folder->isOpen()) {
    result.error = folder->openError();
    result.stranded.push_back(unknown);
    return;
  }
  // What a Run that renames straight into the sibling put there goes back
  // under its old name; after the swap, what stayed in the old folder
  // joins the new one under its own.
  std::unordered_map<std::string, std::string> oldNames;
  if (plan.method == OrderMethod::kDirect) {
    for (std::size_t i = 0; i < plan.moves.size(); ++i) oldNames.emplace(plan.moves[i], plan.source(i));
  }
  bool moved = false;
  for (const std::string& name : {sibling, former}) {
    if (!Holds(beside, name)) continue;
    moved = true;
    const std::unique_ptr<platform::Folder> other = open(platform::JoinPath(parts.folder, name));
    Drain(*other, *folder, result, name == sibling && !oldNames.empty() ? &oldNames : nullptr);
    parent->RemoveEmptyFolder(name);
  }
  std::vector<std::string> after;
  if (moved) FlushAndCheck(*parent, parts.folder, {sibling, former}, open, result, &after);
}

void WayBackInPlace(const OrderPlan& plan, const platform::FolderOpener& open, WayBackResult& result) {
  const std::string temporary = TemporaryFolderName(plan.token);
  const Stranded unknown{platform::JoinPath(plan.folder, temporary), {}, false};
  std::vector<std::string> names;
  const std::unique_ptr<platform::Folder> folder = OpenListed(open, plan.folder, unknown, result, &names);
  if (!folder) return;
  // The place holders first: on a full FAT root the entries need their room.
  bool moved = false;
  for (const std::string& name : names) {
    if (!IsFillerName(plan.token, name)) continue;
    moved = true;
    folder->RemoveEmptyFile(name);
  }
  if (Holds(names, temporary)) {
    moved = true;
    const std::unique_ptr<platform::Folder> other = open(platform::JoinPath(plan.folder, temporary));
    if (other->isOpen()) Drain(*other, *folder, result);
    folder->RemoveEmptyFolder(temporary);
  }
  std::vector<std::string> after;
  if (!moved || !FlushAndCheck(*folder, plan.folder, {temporary}, open, result, &after)) return;
  for (const std::string& name : after) {
    if (IsFillerName(plan.token, name) && !result.error.failed()) result.left = WayBackResult::Left::kPlaceHolder;
  }
}

}  // namespace

std::size_t WayBackResult::waiting() const {
  std::size_t count = 0;
  for (const Stranded& place : stranded) count += place.listed ? place.names.size() : 1;
  return count == 0 && !complete ? 1 : count;
}

WayBackResult WayBack(const OrderPlan& plan, const platform::FolderOpener& open) {
  WayBackResult result;
  const platform::FolderOpener counted = Counting(open, &result.operations);
  if (plan.method == OrderMethod::kInPlace) {
    WayBackInPlace(plan, counted, result);
  } else {
    WayBackSibling(plan, counted, result);
  }
  result.complete = result.stranded.empty() && result.folderAt.empty() && !result.error.failed() &&
                    result.left == WayBackResult::Left::kNothing;
  return result;
}

OrderSession::OrderSession(const OrderPlan& plan, platform::FolderOpener open)
    : plan_(plan), rawOpen_(std::move(open)), open_(Counting(rawOpen_, &operations_)) {
  const platform::PathParts parts = platform::SplitPath(plan.folder);
  parentPath_ = parts.folder;
  folderName_ = parts.name;
  siblingName_ = SiblingFolderName(folderName_, plan.token);
  formerName_ = FormerFolderName(folderName_, plan.token);
  temporaryName_ = TemporaryFolderName(plan.token);
  budget_ = kOperationsPerFile * plan.moves.size() + 64;
  gone_.assign(plan.moves.size(), false);
}

OrderSession::~OrderSession() = default;

std::unique_ptr<platform::Folder> OrderSession::Open(const std::string& path) {
  return open_(path);
}

std::size_t OrderSession::movesDone() const {
  return plan_.method == OrderMethod::kInPlace ? outDone_ + next_ : next_;
}

std::size_t OrderSession::movesTotal() const {
  return plan_.method == OrderMethod::kInPlace ? 2 * plan_.moves.size() : plan_.moves.size();
}

bool OrderSession::Step(platform::Clock& clock, std::int64_t untilMs) {
  clock_ = &clock;
  while (!done_) {
    Advance();
    if (clock.NowMs() >= untilMs) break;
  }
  clock_ = nullptr;
  return !done_;
}

void OrderSession::Advance() {
  if (plan_.method == OrderMethod::kInPlace) {
    StepInPlace();
  } else {
    StepSibling();
  }
}

void OrderSession::StepSibling() {
  switch (sibling_) {
    case SiblingPhase::kMakeSibling: {
      folder_ = Open(plan_.folder);
      flushOnTheWay_ = platform::IsFatFamily(folder_->fileSystem());
      parent_ = Open(parentPath_);
      looks_ = folder_->Looks();
      if (!MakeOther(*parent_, parentPath_, siblingName_, OrderProblem::Kind::kNoFolderBeside)) return;
      sibling_ = SiblingPhase::kMoveOut;
      // The new folder will be the folder: it has its owner from the start,
      // or the folder is not swapped at all.
      const platform::Error owned = other_->CarryOwner(looks_);
      if (owned.failed()) GiveUp(OrderProblem::Kind::kOwnerNotKept, owned);
      return;
    }
    case SiblingPhase::kMoveOut:
      if (MoveNextOut(next_, false)) sibling_ = SiblingPhase::kSwap;
      return;
    case SiblingPhase::kSwap: {
      // What the program holds of the folders goes first: a folder held
      // open cannot take another name.
      folder_.reset();
      other_.reset();
      const platform::Error away = parent_->RenameNoReplace(folderName_, formerName_);
      if (away.failed()) {
        GiveUp(OrderProblem::Kind::kFolderNotRenamed, away);
        return;
      }
      const platform::Error in = parent_->RenameNoReplace(siblingName_, folderName_);
      if (in.failed()) {
        GiveUp(OrderProblem::Kind::kNewFolderNotNamed, in);
        return;
      }
      // The finish writes it all to the disk, with what the moves did.
      swapped_ = true;
      sibling_ = SiblingPhase::kFinish;
      return;
    }
    case SiblingPhase::kFinish:
      Finish(true);
      return;
  }
}

void OrderSession::StepInPlace() {
  switch (inPlace_) {
    case InPlacePhase::kMakeTemporary:
      folder_ = Open(plan_.folder);
      flushOnTheWay_ = platform::IsFatFamily(folder_->fileSystem());
      if (MakeOther(*folder_, plan_.folder, temporaryName_, OrderProblem::Kind::kNoFolderInside)) {
        inPlace_ = InPlacePhase::kMoveOut;
      }
      return;
    case InPlacePhase::kMoveOut:
      // An entry that is no renamed file and cannot move (a folder Windows
      // holds) stays where it is, with the place holders' help.
      if (MoveNextOut(outDone_, true)) inPlace_ = InPlacePhase::kMoveBack;
      return;
    case InPlacePhase::kMoveBack:
      if (PlaceNext()) inPlace_ = InPlacePhase::kFinish;
      return;
    case InPlacePhase::kFinish:
      Finish(true);
      return;
  }
}

bool OrderSession::StandsAfterLast(const std::string& wanted, std::uint64_t* landed) {
  // A listing resumes after the entry whose position it is given, so the
  // search starts just before the last file placed and must meet it first.
  // Where positions are counts of entries (Windows), an entry gone from
  // before it moves it back past that point: the whole folder is read
  // again then.
  for (const std::uint64_t from : {after_, std::uint64_t{0}}) {
    bool seenLast = lastPlaced_.empty(), found = false;
    std::uint64_t before = from, lastAt = from;
    folder_->ListEntries(
        [&](const platform::FolderEntry& entry) {
          ++entriesRead_;
          if (found) return;
          if (!seenLast) {
            seenLast = entry.name == lastPlaced_;
            lastAt = before;
          } else if (entry.name == wanted) {
            found = true;
            *landed = before;
          }
          before = entry.next;
        },
        from);
    if (seenLast) {
      after_ = lastAt;
      return found;
    }
  }
  return false;
}

bool OrderSession::PlaceNext() {
  if (next_ == plan_.moves.size()) return true;
  if (operations_ > budget_ || entriesRead_ > kMostEntriesRead) {
    GiveUp(OrderProblem::Kind::kOrderRefused);
    return false;
  }
  const std::string& name = plan_.moves[next_];
  const platform::Error moved = other_->MoveTo(name, *folder_, name);
  // Gone meanwhile, or one that stayed; the rest after the renamed files
  // go back in any order.
  if (moved.code == platform::ErrorCode::kNotFound || (!moved.failed() && next_ >= plan_.ordered)) {
    ++next_;
    FlushMovesWhenDue(*folder_, *other_);
    return false;
  }
  if (moved.failed()) {
    GiveUp(OrderProblem::Kind::kNotMovedBack, moved, name);
    return false;
  }
  std::uint64_t landed = 0;
  if (StandsAfterLast(name, &landed)) {
    after_ = landed;
    lastPlaced_ = name;
    ++next_;
    FlushMovesWhenDue(*folder_, *other_);
    return false;
  }
  // It fell into a hole further up: out again, and the holes before the
  // last file filled, before it comes back.
  const platform::Error back = folder_->MoveTo(name, *other_, name);
  if (back.failed()) {
    GiveUp(OrderProblem::Kind::kNotMoved, back, name);
    return false;
  }
  FillHoleBeforeLast();
  return false;
}

void OrderSession::FillHoleBeforeLast() {
  // Empty files fill the holes until one stands after the last file. The
  // place holders grow while they keep landing early (a long name takes up
  // to 20 entries), and start small again once one no longer fits before
  // the last file: big holes fill fast, small ones too.
  std::size_t padding = 0;
  for (;;) {
    if (operations_ > budget_ || entriesRead_ > kMostEntriesRead || fillers_ >= 36 * 36 * 36) {
      GiveUp(OrderProblem::Kind::kOrderRefused);
      return;
    }
    const std::string filler = FillerName(plan_.token, fillers_++, padding);
    const platform::Error made = folder_->MakeEmptyFile(filler);
    if (made.code == platform::ErrorCode::kExists) continue;
    if (made.failed()) {
      GiveUp(OrderProblem::Kind::kNoPlaceHolder, made);
      return;
    }
    std::uint64_t landed = 0;
    if (StandsAfterLast(filler, &landed)) {
      folder_->RemoveEmptyFile(filler);
      if (padding == 0) return;
      padding = 0;
      continue;
    }
    padding = std::min<std::size_t>(2 * padding + 13, kLongestPadding);
  }
}

bool OrderSession::MakeOther(platform::Folder& holder, const std::string& holderPath,
                             const std::string& name, OrderProblem::Kind cannot) {
  const platform::Error made = holder.MakeFolder(name);
  if (made.failed()) {
    // Nothing has moved: the folder is as it was.
    problem_ = {cannot, made, {}};
    done_ = true;
    return false;
  }
  other_ = Open(platform::JoinPath(holderPath, name));
  return true;
}

bool OrderSession::MoveNextOut(std::size_t& done, bool othersMayStay) {
  if (done == plan_.moves.size()) return true;
  const std::string& name = plan_.source(done);
  const platform::Error moved = folder_->MoveTo(name, *other_, plan_.moves[done]);
  // A file another program took away meanwhile is no reason to stop.
  if (moved.code == platform::ErrorCode::kNotFound) gone_[done] = true;
  if (moved.failed() && moved.code != platform::ErrorCode::kNotFound &&
      !(othersMayStay && done >= plan_.ordered)) {
    GiveUp(OrderProblem::Kind::kNotMoved, moved, name);
    return false;
  }
  ++done;
  FlushMovesWhenDue(*other_, *folder_);
  return false;
}

void OrderSession::FlushMovesWhenDue(platform::Folder& into, platform::Folder& outOf) {
  // On the way only on FAT and exFAT, which keep no journal of their own:
  // other disks write their changes in order.
  if (!flushOnTheWay_ || clock_ == nullptr || !flushes_.Due(clock_->NowMs())) return;
  flushes_.Flushed(clock_->NowMs());
  into.Flush();
  if (into.FlushCoversVolume()) return;
  outOf.Flush();
}

void OrderSession::GiveUp(OrderProblem::Kind why, const platform::Error& error, const std::string& name) {
  problem_ = {why, error, name};
  Finish(false);
}

void OrderSession::Stop() {
  if (done_) return;
  // Once the folders have swapped names everything is in place: the rest
  // is quick.
  if (swapped_) {
    Finish(true);
    return;
  }
  GiveUp(OrderProblem::Kind::kStopped);
}

void OrderSession::Finish(bool check) {
  // Nothing of the folders is held open while they move.
  folder_.reset();
  other_.reset();
  wayBack_ = WayBack(plan_, rawOpen_);
  operations_ += wayBack_.operations;
  if (wayBack_.complete && swapped_) {
    // The new folder looks as the old one did, its times last: the moves
    // changed them.
    const std::unique_ptr<platform::Folder> folder = Open(plan_.folder);
    folder->SetLooks(looks_);
  }
  if (check && wayBack_.complete && !Verify() && !problem_.any()) problem_.kind = OrderProblem::Kind::kOrderNotKept;
  if (!wayBack_.complete && !problem_.any()) problem_ = {OrderProblem::Kind::kNotAllBack, wayBack_.error, {}};
  done_ = true;
}

bool OrderSession::Verify() {
  // Checked by reading the folder: the renamed files in the order of their
  // new names, whatever stands between them.
  const std::unique_ptr<platform::Folder> folder = open_(plan_.folder);
  const auto begin = plan_.moves.begin(), end = begin + static_cast<std::ptrdiff_t>(plan_.ordered);
  std::size_t matched = 0, present = 0;
  const platform::Error listed = folder->ListEntries([&](const platform::FolderEntry& entry) {
    if (matched < plan_.ordered && entry.name == plan_.moves[matched]) {
      ++matched;
      ++present;
    } else if (std::binary_search(begin, end, entry.name)) {
      ++present;
    }
  });
  if (listed.failed()) return false;
  if (matched == plan_.ordered) return true;
  if (present == plan_.ordered) return false;
  // A file went away meanwhile: the rest may still stand in order.
  std::unordered_map<std::string, std::size_t> rank;
  for (std::size_t i = 0; i < plan_.ordered; ++i) rank.emplace(plan_.moves[i], i);
  std::size_t last = 0, seen = 0;
  bool inOrder = true;
  const platform::Error again = folder->ListEntries([&](const platform::FolderEntry& entry) {
    const auto found = rank.find(entry.name);
    if (found == rank.end()) return;
    if (seen++ > 0 && found->second < last) inOrder = false;
    last = found->second;
  });
  return inOrder && !again.failed();
}
