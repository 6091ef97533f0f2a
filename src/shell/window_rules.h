// What both windows decide alike, without a window toolkit and without
// their control numbers: what a key does, which labels give way to the
// overlay, and the folder picker's title. A window asks here and draws.
#pragma once

#include "rename/workflow.h"

namespace shell {

constexpr char kFolderPickerTitle[] = "Please select folder";

enum class Key { kEscape, kZ, kOther };
enum class KeyAction {
  kDefault,  // the window's own handling
  kSwallow,  // nothing: a long Run takes no input
  kStop,     // Stop the long Run
  kUndo,     // Undo the last Run
  kClose,    // close the window
};
// What a key does: `controlOnly` when Ctrl and no other modifier is held,
// `noModifier` when none is, `inEditBox` when an edit box has the keyboard
// (it undoes its own typing).
KeyAction ActionOfKey(Key key, bool controlOnly, bool noModifier, bool inEditBox, const WorkflowState& state);

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
};
// Whether a label at `label` gives way to the overlay at `overlay`: it is
// drawn on the window itself and would show through.
bool GivesWayToOverlay(const Rect& label, const Rect& overlay);

}  // namespace shell
