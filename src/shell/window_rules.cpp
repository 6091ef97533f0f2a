#include "shell/window_rules.h"

namespace shell {

KeyAction ActionOfKey(Key key, bool controlOnly, bool noModifier, bool inEditBox, const WorkflowState& state) {
  if (state.sessionRunning) return key == Key::kEscape ? KeyAction::kStop : KeyAction::kSwallow;
  if (key == Key::kZ && controlOnly && !inEditBox) return KeyAction::kUndo;
  if (key == Key::kEscape && noModifier) return KeyAction::kClose;
  return KeyAction::kDefault;
}

bool GivesWayToOverlay(const Rect& label, const Rect& overlay) {
  return label.x < overlay.x + overlay.width && overlay.x < label.x + label.width &&
         label.y < overlay.y + overlay.height && overlay.y < label.y + label.height;
}

}  // namespace shell
