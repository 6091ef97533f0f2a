#include "shell/shell.h"

namespace shell {

std::string CreditsText() {
  // The addresses are reserved example addresses: the program has no web
  // site or mail address of its own.
  return "vs6, mfc\n"
         "\n"
         "https://www.example.com/tarvello/\n"
         "https://www.example.org/tarvello/releases/\n"
         "\n"
         "tarvello@example.net";
}

Point MinimizedIconPosition(int clientWidth, int clientHeight, int iconWidth, int iconHeight) {
  return Point{(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}

}  // namespace shell
