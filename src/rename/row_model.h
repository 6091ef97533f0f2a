// What a row of the Old or the New list shows, worked out in one place for
// every window: the number text with its mark, the name as drawn, the
// colours of its role and what the Run will do with it. A list only paints it, row by row as it
// draws them.
#pragma once

#include "rename/rename_job.h"

#include <cstddef>
#include <cstdint>
#include <string>

enum class ListSide { kOld, kNew };

// How a row is coloured.
enum class RowRole : std::uint8_t {
  kPlain,
  kWillFail,   // marked "×": the Run will fail for it
  kLosesText,  // marked "!": it loses part of its real name
  kNumberedAgain,  // marked "#": it gets a second number
};

struct Rgb {
  std::uint8_t r, g, b;
};

struct RoleColours {
  Rgb text;
  Rgb back;
};

// The colours of a marked row; a plain row keeps the list's own.
RoleColours ColoursOf(RowRole role);
// A row's role by what the Run will do with it, and the mark before its
// number ("" for a plain row).
RowRole RoleOf(RowForecast forecast);
const char* RowMark(RowRole role);

struct ShownRow {
  std::string number;  // "12", "×12", "!12" or "#12" (UTF-8)
  std::string name;    // the name as drawn: valid UTF-8, nothing invisible
  RowRole role = RowRole::kPlain;
  RowForecast forecast = RowForecast::kFine;  // what the Run will do with it
};

// The rows a list shows now.
std::size_t ShownRowCount(const RenameJob& job, ListSide side);
// One row of a list; a row past the end shows nothing (a list may still
// hold a count from before the rows changed).
ShownRow ShowRow(const RenameJob& job, ListSide side, std::size_t row);
