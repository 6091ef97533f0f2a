#include "rename/row_model.h"

#include "platform/bytes.h"


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
  shown.role = RoleOf(forecast);
  shown.number = RowMark(shown.role) + shown.number;
  shown.forecast = forecast;
  return shown;
}

RowRole RoleOf(RowForecast forecast) {
  if (ForecastFails(forecast)) return RowRole::kWillFail;
  if (forecast == RowForecast::kLosesText) return RowRole::kLosesText;
  if (forecast == RowForecast::kNumberedAgain) return RowRole::kNumberedAgain;
  return RowRole::kPlain;
}

const char* RowMark(RowRole role) {
  switch (role) {
    case RowRole::kWillFail: return "\xC3\x97";  // "×"
    case RowRole::kLosesText: return "!";
    case RowRole::kNumberedAgain: return "#";
    case RowRole::kPlain: break;
  }
  return "";
}
