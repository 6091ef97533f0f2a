// What the workflow needs from a window: intents, not widgets. A view shows
// the job's rows by asking the job for the rows it draws; it keeps no names of
// its own. Every text is a byte string and comes back exactly as it was given.
#pragma once

#include "rename/rename_method.h"

#include <string>

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

  // Random and Run enabled or disabled.
  virtual void SetActionsEnabled(bool random, bool run) = 0;

  // The job's rows changed: both lists are drawn again from the job.
  virtual void RowsChanged() = 0;

  // The status line.
  virtual void SetStatus(const std::string& text) = 0;

  // The busy text over the lists, shown and painted before this returns (the
  // workflow then pauses without serving the window); and hidden again.
  virtual void ShowBusy(const std::string& text) = 0;
  virtual void HideBusy() = 0;

  // A long Run or Undo: the progress text over the lists, painted before
  // this returns, at most ten times a second. While it shows, the window
  // takes no input but Esc, which asks for a stop. Returns false once a stop
  // was asked for. HideBusy ends it.
  virtual bool ShowProgress(const std::string& text) = 0;

  // Undo of the last Run is possible, or not.
  virtual void EnableUndo(bool enable) = 0;

  // A Yes/No question with a caption; true for Yes.
  virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
  // A message with an OK button, captioned with the program's title.
  virtual void ShowMessage(const std::string& text) = 0;
};
