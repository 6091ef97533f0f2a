#include "shell/window_rules.h"

#include "resource.h"

#include <array>
#include <utility>

namespace shell {

std::optional<Command> CommandOfButton(int id) {
  static constexpr std::array<std::pair<int, Command>, 6> kButtons = {{{IDC_ABOUT, Command::kAbout},
                                                                       {IDC_SELECT, Command::kSelectFolder},
                                                                       {IDC_SEARCH, Command::kSearch},
                                                                       {IDC_RANDOM, Command::kRandom},
                                                                       {IDC_RUN, Command::kRun},
                                                                       {IDC_EXPRESS, Command::kExpress}}};
  for (const auto& [button, command] : kButtons) {
    if (button == id) return command;
  }
  return std::nullopt;
}

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
