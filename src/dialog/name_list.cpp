#include "dialog/name_list.h"

#include "platform/bytes.h"
#include "rename/rename_job.h"

namespace {
// The signs in the "no" column.
const wxString kFailSign = wxString::FromUTF8("\xC3\x97");  // "×"
const wxString kLosesTextSign = "!";
}  // namespace

CNameList::CNameList(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                     const RenameJob& job, Side side)
    : wxListCtrl(parent, id, pos, size,
                 wxLC_REPORT | wxLC_VIRTUAL | wxLC_SINGLE_SEL | wxLC_HRULES | wxLC_VRULES |
                     wxBORDER_THEME),
      job_(job),
      side_(side),
      willFail_(wxColour(0x80, 0x00, 0x00), wxColour(0xFF, 0xD6, 0xD6), wxNullFont),
      losesText_(wxColour(0x5C, 0x40, 0x00), wxColour(0xFF, 0xEB, 0xA8), wxNullFont) {
  InsertColumn(0, "no", wxLIST_FORMAT_LEFT, 30);
  InsertColumn(1, "name", wxLIST_FORMAT_LEFT, 300);
  // The rows are drawn in an inner window, which sees the mouse.
  if (side_ == Side::kNew) GetTargetWindow()->Bind(wxEVT_MOTION, &CNameList::OnMouseMove, this);
}

long CNameList::JobRowCount() const {
  return static_cast<long>(side_ == Side::kOld ? job_.oldCount() : job_.newCount());
}

void CNameList::RowsChanged() {
  SetItemCount(JobRowCount());
  tipItem_ = -1;
  Refresh();
}

wxString CNameList::OnGetItemText(long item, long column) const {
  // The widget may still hold a count from before the rows changed.
  if (item < 0 || item >= JobRowCount()) return wxString();
  const std::size_t row = static_cast<std::size_t>(item);
  if (column == 0) {
    const wxString number = wxString::Format("%ld", item + 1);
    if (side_ == Side::kOld) return number;
    const RowForecast forecast = job_.forecast(row);
    if (ForecastFails(forecast)) return kFailSign + number;
    if (forecast == RowForecast::kLosesText) return kLosesTextSign + number;
    return number;
  }
  const RenameRow& r = job_.row(row);
  return wxString::FromUTF8(platform::DisplayUtf8(side_ == Side::kOld ? r.oldName : r.newName, true));
}

wxItemAttr* CNameList::OnGetItemAttr(long item) const {
  if (side_ == Side::kOld || item < 0 || item >= JobRowCount()) return nullptr;
  const RowForecast forecast = job_.forecast(static_cast<std::size_t>(item));
  if (ForecastFails(forecast)) return &willFail_;
  if (forecast == RowForecast::kLosesText) return &losesText_;
  return nullptr;
}

wxString CNameList::RowTip(long item) const {
  if (side_ == Side::kOld || item < 0 || item >= JobRowCount()) return wxString();
  return wxString::FromUTF8(ForecastWords(job_.forecast(static_cast<std::size_t>(item))));
}

void CNameList::OnMouseMove(wxMouseEvent& event) {
  event.Skip();
  int flags = 0;
  const long item = HitTest(event.GetPosition(), flags);
  if (item == tipItem_) return;
  tipItem_ = item;
  const wxString tip = RowTip(item);
  if (tip.empty()) {
    GetTargetWindow()->UnsetToolTip();
  } else {
    GetTargetWindow()->SetToolTip(tip);
  }
}
