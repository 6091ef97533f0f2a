// The three ways of renaming, and "none chosen".
#pragma once

#include <array>

enum class RenameMethod {
  kNone = -1,
  kAdd = 0,      // "0042_" + name
  kReplace = 1,  // "0042_" + name without its first five bytes
  kDelete = 2,   // name without its first five bytes
};

struct MethodInfo {
  RenameMethod method;
  int stored;         // the number kept in the settings file
  bool numbers;       // writes a number prefix
  bool cuts;          // takes the number prefix (or five bytes) off
};

// Add, Replace, Delete: the order of the radio buttons.
extern const std::array<MethodInfo, 3> kMethods;

// The method a stored number stands for; kNone for -1 and for any number
// that stands for none of the three.
RenameMethod MethodFromStored(int stored);
// The number stored for a method; -1 for kNone.
int StoredMethod(RenameMethod method);
// Whether a method writes a number prefix, and whether it cuts one off;
// neither for kNone.
bool MethodNumbers(RenameMethod method);
bool MethodCuts(RenameMethod method);
