// The main window's buttons and the commands they give, for both windows:
// the control numbers are those of resource.h, which only the windows know.
#pragma once

#include "rename/workflow.h"
#include "resource.h"

#include <array>
#include <optional>
#include <utility>

// The command of a button of the main window; none for any other control.
inline std::optional<Command> CommandOfButton(int id) {
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
