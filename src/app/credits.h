#pragma once

#include <string>

// The text the "About" button shows: six lines, no line feed after the last.
std::string CreditsText();
