// The terminal a command-line program runs in: whether its streams are a
// terminal or a pipe, text written to them (UTF-8, shown as such on a
// Windows console), a line read from the user, and Ctrl+C.
#pragma once

#include <string>
#include <vector>

namespace platform {

enum class Stream { kIn, kOut, kError };

// Whether the stream is a terminal (a console on Windows), not a pipe or a
// file.
bool IsTerminal(Stream stream);

// Writes UTF-8 text (WTF-8 on Windows) to standard output or error.
void Write(Stream stream, const std::string& text);

// A line typed by the user, without its line end; false at the end of the
// input.
bool ReadLine(std::string* line);

// From now on Ctrl+C (and a console's close) does not end the program but
// sets a flag, which this tells and clears.
void CatchInterrupts();
bool TakeInterrupt();

// The program's arguments as byte strings (WTF-8 on Windows, where the
// system gives UTF-16); argv as main got it elsewhere.
std::vector<std::string> Arguments(int argc, char** argv);

}  // namespace platform
