// The order step: after a Run on a FAT or exFAT volume, the folder's
// directory entries are put in the order of the new names, so that players
// that play in the order of the entries (and not of the names) play the new
// shuffle too. Renaming alone leaves the entries where they were.
//
// A volume places a new entry in the first free place that fits (Linux) or
// at the end while there is room (Windows), so the entries go into a fresh
// folder, which has no holes, one after the other in the new order: a
// sibling of the folder, whose name it then takes. The root of a volume has
// no sibling: there the files go into a temporary folder inside it and come
// back one by one, each checked to stand after the one before; where one
// falls into a hole further up, small empty files fill the hole first, and
// are taken away at the end.
//
// Nothing is replaced, every step can be taken back by the one way back
// (WayBack), and the journal holds the plan before the first move, so
// that a Run cut short is undone with every file back in its folder.
#pragma once

#include "platform/folder.h"
#include "platform/pause.h"
#include "rename/flush_schedule.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

enum class OrderMethod : std::uint8_t {
  kSibling,  // into a fresh sibling folder, which then takes the folder's name
  kInPlace,  // out into a temporary folder and back, checked one by one
  // The Run itself: each file is renamed straight into a fresh sibling
  // folder, in the order of the new names, which then takes the folder's
  // name: one directory operation a file. Until the folders swap, every
  // file is under its old name in the folder or under its new name in the
  // sibling, and the way back gives each its old name again.
  kDirect,
};

struct OrderPlan {
  OrderMethod method = OrderMethod::kSibling;
  std::string folder;  // the folder's full path
  // Names the temporary folders and the filler files (four letters or
  // digits, upper case).
  std::string token;
  // The entries to move, in this order: the renamed files by their new
  // names, then every other entry of the folder that may move.
  std::vector<std::string> moves;
  // kDirect: the name each move takes its entry from, in the folder (the
  // old name of a renamed file, the name itself for the others), and the
  // Run's row of each of the first `ordered` moves.
  std::vector<std::string> sources;
  std::vector<std::size_t> rows;
  // How many of the moves are renamed files, which must end in order.
  std::size_t ordered = 0;

  // The name the n-th move takes its entry from.
  const std::string& source(std::size_t n) const { return sources.empty() ? moves[n] : sources[n]; }
};

// The token of an order step's temporary names: kTokenLength letters and
// digits of this alphabet (36 of them).
constexpr char kTokenAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::size_t kTokenLength = 4;

// The names the order step makes, from the folder's name and the token.
std::string SiblingFolderName(const std::string& folderName, const std::string& token);
std::string FormerFolderName(const std::string& folderName, const std::string& token);
std::string TemporaryFolderName(const std::string& token);
// The n-th place holder, its name `padding` characters longer; the place
// holders' names of a token, and nothing else, match IsFillerName.
std::string FillerName(const std::string& token, std::size_t n, std::size_t padding = 0);
bool IsFillerName(const std::string& token, const std::string& name);

// Why the entries of a folder do not stand in the new order on the disk.
struct OrderProblem {
  enum class Kind : std::uint8_t {
    kNone,
    kFolderNotOpened,    // the folder cannot be opened (error)
    kFolderNotRead,      // the folder cannot be read (error)
    kOwnerNotKept,       // the new folder cannot take the folder's owner (error)
    kFolderNotRenamed,   // the folder cannot take another name (error)
    kNewFolderNotNamed,  // the new folder cannot take the folder's name (error)
    kOrderRefused,       // the disk would not take the files in order
    kNotMovedBack,       // `name` cannot be moved back (error)
    kNotMoved,           // `name` cannot be moved (error)
    kNoPlaceHolder,      // no place holder can be made (error)
    kNoFolderBeside,     // no folder can be made beside the folder (error)
    kNoFolderInside,     // no folder can be made in the folder (error)
    kStopped,            // the user stopped it
    kOrderNotKept,       // the disk did not keep the order
    kNotAllBack,         // not every entry is back in the folder (error)
    kNoJournal,          // without a journal no file is moved
    kJournalNotWritten,  // its journal cannot be written (error)
  };
  Kind kind = Kind::kNone;
  platform::Error error;
  std::string name;

  bool any() const { return kind != Kind::kNone; }
};

// The plan for a folder (its full path, as NormalFolderPath spells it)
// whose files were renamed to `renamed`, or why there is none ("" and no
// plan when nothing needs ordering). The entries `stays` tells (the
// program's own files, when the folder holds the program) never move: such
// a folder, like a volume's root and a folder whose name leaves no room for
// the temporary names beside it, is ordered in place.
struct OrderDecision {
  std::unique_ptr<OrderPlan> plan;
  OrderProblem problem;
};
OrderDecision PlanOrder(const std::string& fullFolder, std::vector<std::string> renamed,
                        const std::string& token,
                        const std::function<bool(const std::string& name)>& stays,
                        const platform::FolderOpener& open);

// Entries of the folder that wait outside it: the folder that holds them
// (a full path), and their names as far as it could be listed.
struct Stranded {
  std::string place;
  std::vector<std::string> names;
  bool listed = false;  // false: what it holds could not be read
};

// What the way back did: every entry of an order step back in the folder
// at its path, and the temporary folders and place holders gone; or what
// is left where.
struct WayBackResult {
  enum class Left : std::uint8_t { kNothing, kTemporaryFolder, kPlaceHolder };
  bool complete = true;
  platform::Error error;  // the first thing that failed
  Left left = Left::kNothing;  // what is still there, when nothing failed
  // Where the folder itself is, when a swap cut half way left it under its
  // temporary name and it could not take its name back.
  std::string folderAt;
  std::vector<Stranded> stranded;
  std::size_t operations = 0;

  // How many entries wait outside the folder (at least one when the way
  // back could not tell).
  std::size_t waiting() const;
};

// The one way back of an order step, from any point it may have been cut
// at (a stop, a give-up, a kill, a pulled disk): a swap cut half way is
// turned back, every entry of the temporary folders goes into the folder
// under its own name, the place holders go first (a full FAT root has no
// room for the entries before), then the temporary folders. Nothing is
// replaced: an entry whose name was taken in the folder meanwhile waits
// where it is, and is told. After a swap that was made, this is its end:
// what was left in the old folder goes along.
WayBackResult WayBack(const OrderPlan& plan, const platform::FolderOpener& open);

// The order step, going a few moves at a time like a Run.
class OrderSession {
 public:
  OrderSession(const OrderPlan& plan, platform::FolderOpener open);
  ~OrderSession();
  OrderSession(const OrderSession&) = delete;
  OrderSession& operator=(const OrderSession&) = delete;

  // Goes on until the clock passes `untilMs` (at least one operation);
  // false once done.
  bool Step(platform::Clock& clock, std::int64_t untilMs);
  // Gives up between two moves: every entry goes back where it was.
  void Stop();
  bool done() const { return done_; }
  // Progress: moves made of those planned.
  std::size_t movesDone() const;
  std::size_t movesTotal() const;
  // Why the entries do not stand in order; none when they do.
  const OrderProblem& problem() const { return problem_; }
  // Once done: whether every entry is in the folder, and if not, what waits
  // where.
  const WayBackResult& wayBack() const { return wayBack_; }
  // Directory operations so far (moves, folders and fillers made and
  // removed, listings, flushes).
  std::size_t operations() const { return operations_; }
  // Whether the folders swapped (the entries stand in the new folder), and
  // per move whether its entry was gone when its turn came.
  bool swapped() const { return swapped_; }
  const std::vector<bool>& gone() const { return gone_; }

 private:
  // Into the sibling: make it, move every entry out into it, swap the
  // folders' names, finish. In place: make the temporary folder inside,
  // move every entry out into it, move them back one by one in order,
  // finish.
  enum class SiblingPhase : std::uint8_t { kMakeSibling, kMoveOut, kSwap, kFinish };
  enum class InPlacePhase : std::uint8_t { kMakeTemporary, kMoveOut, kMoveBack, kFinish };
  void Advance();
  void StepSibling();
  void StepInPlace();
  // Makes the folder the entries go into, named `name` inside `holder`;
  // false, with why, and done, when it cannot be made.
  bool MakeOther(platform::Folder& holder, const std::string& holderPath, const std::string& name,
                 OrderProblem::Kind cannot);
  // Moves the plan's next entry (the `done`-th) from the folder into the
  // other one; true when all are out already. An entry that is no renamed
  // file may stay where it is, when others may stay.
  bool MoveNextOut(std::size_t& done, bool othersMayStay);
  // In place: moves the next entry back, checks where it landed, and fills
  // the hole it fell into; true when all are back already.
  bool PlaceNext();
  bool StandsAfterLast(const std::string& name, std::uint64_t* landed);
  void FillHoleBeforeLast();
  // Writes the moves so far to the disk on the way, as the FlushSchedule
  // says: the folder they went into first, then the one they left (one
  // flush, where it covers the volume). The end writes the rest, before the
  // journal says it is over.
  void FlushMovesWhenDue(platform::Folder& into, platform::Folder& outOf);
  void GiveUp(OrderProblem::Kind why, const platform::Error& error = {}, const std::string& name = {});
  // The end, given up or not: the way back (after a swap, its finish), then
  // the check of the order.
  void Finish(bool check);
  bool Verify();
  std::unique_ptr<platform::Folder> Open(const std::string& path);

  const OrderPlan& plan_;
  // The folders as the system (or a test) opens them, and the same with
  // every directory operation counted in operations_.
  platform::FolderOpener rawOpen_;
  platform::FolderOpener open_;
  SiblingPhase sibling_ = SiblingPhase::kMakeSibling;
  InPlacePhase inPlace_ = InPlacePhase::kMakeTemporary;
  bool done_ = false;
  std::string parentPath_, folderName_, siblingName_, formerName_, temporaryName_;
  std::unique_ptr<platform::Folder> folder_, parent_, other_;
  platform::FolderLooks looks_;
  std::size_t next_ = 0;       // the next move
  std::size_t outDone_ = 0;    // in place: files moved out
  // In place: the last file placed, and the position a listing that meets
  // it first starts from.
  std::string lastPlaced_;
  std::uint64_t after_ = 0;
  std::size_t fillers_ = 0;    // fillers made so far
  std::size_t operations_ = 0;
  std::size_t budget_ = 0;
  std::size_t entriesRead_ = 0;
  bool flushOnTheWay_ = false;
  FlushSchedule flushes_;
  platform::Clock* clock_ = nullptr;  // while a step goes on
  std::vector<bool> gone_;
  bool swapped_ = false;
  OrderProblem problem_;
  WayBackResult wayBack_;
};
