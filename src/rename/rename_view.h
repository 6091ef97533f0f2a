// What the workflow needs from a front (a window, the command line):
// intents, not widgets. A front draws the workflow's state and its rows when
// told they changed, asking the workflow for them; it keeps no names and no
// rule of its own. The workflow speaks in kinds and numbers: every front
// words its questions, messages and status line itself. Every name is a
// byte string and comes back exactly as it was given.
#pragma once

#include "platform/error.h"
#include "rename/other_systems_files.h"
#include "rename/rename_method.h"

#include <cstddef>
#include <cstdint>
#include <array>
#include <string>

enum class JournalProblem : std::uint8_t;
struct TransactionOutcome;
struct WayBackResult;
class RenameJob;

// A question the workflow asks before it changes anything.
struct Question {
  enum class Kind : std::uint8_t {
    kRun,                // rename the proposal's files
    kExpress,            // Search, Random and Run in one go
    kRunWithoutJournal,  // this Run could not be undone (noJournal says why): go on?
    kUndo,               // give `count` files in `folder` the names they had
    kUndoCutShort,       // the last Run was cut short: give its files their names back?
    kClean,              // remove `count` files of other systems from `folder` (cleanCounts)
  };
  // Why a Run would go without a journal.
  enum class NoJournal : std::uint8_t {
    kNoPlace,      // the program cannot tell where it lies
    kNoFullPath,   // the folder's full path cannot be told
    kNotWritten,   // its journal cannot be written (error)
  };
  Kind kind = Kind::kRun;
  std::size_t count = 0;
  std::string folder;
  NoJournal noJournal = NoJournal::kNoPlace;
  platform::Error error;
  // kRunWithoutJournal, kNotWritten: where the journal lies.
  std::string journal;
  // kClean: how many of each kind (OtherSystemsFile).
  std::array<std::size_t, kOtherSystemsFileKinds> cleanCounts{};
};

// A message with an OK button.
struct Message {
  enum class Kind : std::uint8_t {
    kAbout,               // the credits
    kChooseMethod,        // Random without a method checked
    kRandomFirst,         // Run without a proposal
    kTooManyFiles,        // `count` files listed, at most `limit` can be numbered
    kAnotherCopyAtWork,   // another copy of the program renames right now
    kLastRunNotOver,      // files of the last Run wait outside their folder (wayBack)
    kEarlierJournalStays, // the journal of an earlier Run can be neither replaced nor removed (error)
    kNothingToUndo,
    kJournalUnreadable,   // the journal of the last Run cannot be read (error)
    kJournalUnusable,     // the journal of the last Run cannot be used (journalProblem)
    kUndoFilesWaiting,    // files wait outside the folder: nothing else was changed (wayBack)
    kUndoFolderNotOpened, // the folder of the last Run cannot be opened (folder, error)
    kUndoOtherFolder,     // the folder of the last Run is not the one there now (folder)
    kNothingToClean,      // no file of other systems in `folder`
    kCleaned,             // `count` of `limit` files removed; `failed` not (error: the first one's)
  };
  Kind kind = Kind::kAbout;
  std::size_t count = 0;
  std::size_t limit = 0;
  std::size_t failed = 0;
  std::string folder;
  platform::Error error;
  JournalProblem journalProblem{};
  const WayBackResult* wayBack = nullptr;
};

// What a Run or an Undo did, for the message that tells what went wrong:
// a front shows it when something did.
struct SessionReport {
  bool undo = false;
  const RenameJob* job = nullptr;            // the rows, for their names
  const TransactionOutcome* outcome = nullptr;
  bool undoLeft = false;                     // an Undo: more can be given back
};

class RenameView {
 public:
  virtual ~RenameView() = default;

  // The folder box and the extension box.
  virtual std::string FolderText() = 0;
  virtual void SetFolderText(const std::string& text) = 0;
  virtual std::string ExtensionText() = 0;
  virtual void SetExtensionText(const std::string& text) = 0;

  // The method radio buttons: the one checked (kNone when none is), and
  // checking one of them, or none.
  virtual RenameMethod CheckedMethod() = 0;
  virtual void SetCheckedMethod(RenameMethod method) = 0;

  // The job's rows changed: both lists are drawn again from the workflow.
  virtual void RowsChanged() = 0;
  // The workflow's state changed (buttons, status line, the busy or
  // progress kind, whether Undo is possible, whether a long Run goes on):
  // the front draws it again from the workflow's snapshot.
  virtual void StateChanged() = 0;
  // The busy text must be on the screen before this returns: the workflow
  // then pauses without serving the front.
  virtual void PaintNow() = 0;

  // A Yes/No question; true for Yes.
  virtual bool Ask(const Question& question) = 0;
  // A message with an OK button.
  virtual void Tell(const Message& message) = 0;
  // A Run or an Undo ended; called for every one, whatever it did.
  virtual void Report(const SessionReport& report) = 0;
  // Asks the user for a folder; true with its full path, false when the
  // user cancels.
  virtual bool PickFolder(std::string* path) = 0;
};
