#include "app/credits.h"

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
