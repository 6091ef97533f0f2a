#include "rename/row_model.h"

#include "platform/bytes.h"

namespace {
// The marks in the "no" column.
const char kFailSign[] = "\xC3\x97";  // "×"
const char kLosesTextSign[] = "!";
const char kNumberedAgainSign[] = "#";
}  // namespace

RoleColours ColoursOf(RowRole role) {
  switch (role) {
    case RowRole::kWillFail: return RoleColours{{0x80, 0x00, 0x00}, {0xFF, 0xD6, 0xD6}};
    case RowRole::kLosesText: return RoleColours{{0x5C, 0x40, 0x00}, {0xFF, 0xEB, 0xA8}};
    case RowRole::kNumberedAgain: return RoleColours{{0x00, 0x33, 0x66}, {0xDD, 0xEE, 0xFF}};
    case RowRole::kPlain: break;
  }
  return RoleColours{{0x00, 0x00, 0x00}, {0xFF, 0xFF, 0xFF}};
}

std::size_t ShownRowCount(const RenameJob& job, ListSide side) {
  return side == ListSide::kOld ? job.oldCount() : job.newCount();
}

ShownRow ShowRow(const RenameJob& job, ListSide side, std::size_t row) {
  ShownRow shown;
  if (row >= ShownRowCount(job, side)) return shown;
  shown.number = std::to_string(row + 1);
  const RenameRow& names = job.row(row);
  shown.name = platform::DisplayUtf8(side == ListSide::kOld ? names.oldName : names.newName, true);
  if (side == ListSide::kOld) return shown;
  const RowForecast forecast = job.forecast(row);
  if (ForecastFails(forecast)) {
    shown.role = RowRole::kWillFail;
    shown.number = kFailSign + shown.number;
  } else if (forecast == RowForecast::kLosesText) {
    shown.role = RowRole::kLosesText;
    shown.number = kLosesTextSign + shown.number;
  } else if (forecast == RowForecast::kNumberedAgain) {
    shown.role = RowRole::kNumberedAgain;
    shown.number = kNumberedAgainSign + shown.number;
  }
  shown.forecast = forecast;
  return shown;
}
