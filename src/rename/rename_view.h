// What the workflow needs from a front (a window, the command line):
// intents, not widgets. A front draws the workflow's state and its rows when
// told they changed, asking the workflow for them; it keeps no names and no
// rule of its own. Every text is a byte string and comes back exactly as it
// was given.
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

  // The job's rows changed: both lists are drawn again from the workflow.
  virtual void RowsChanged() = 0;
  // The workflow's state changed (buttons, status line, the busy or
  // progress text, whether Undo is possible, whether a long Run goes on):
  // the front draws it again from the workflow's snapshot.
  virtual void StateChanged() = 0;
  // The busy text must be on the screen before this returns: the workflow
  // then pauses without serving the front.
  virtual void PaintNow() = 0;

  // A Yes/No question with a caption; true for Yes.
  virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
  // A message with an OK button, captioned with the program's title.
  virtual void ShowMessage(const std::string& text) = 0;
  // The message that names the rows a Run or an Undo could not rename; a
  // front that tells every failed row itself (the command line) leaves it.
  virtual void ShowReport(const std::string& text) { ShowMessage(text); }
  // Asks the user for a folder; true with its full path, false when the
  // user cancels.
  virtual bool PickFolder(std::string* path) = 0;
};
