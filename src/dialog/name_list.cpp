#include "dialog/name_list.h"

#include "platform/bytes.h"
#include "rename/rename_job.h"

CNameList::CNameList(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                     const RenameJob& job, Side side)
    : wxListCtrl(parent, id, pos, size,
                 wxLC_REPORT | wxLC_VIRTUAL | wxLC_SINGLE_SEL | wxLC_HRULES | wxLC_VRULES |
                     wxBORDER_THEME),
      job_(job),
      side_(side) {
  InsertColumn(0, "no", wxLIST_FORMAT_LEFT, 30);
  InsertColumn(1, "name", wxLIST_FORMAT_LEFT, 300);
}

long CNameList::JobRowCount() const {
  return static_cast<long>(side_ == Side::kOld ? job_.oldCount() : job_.newCount());
}

void CNameList::RowsChanged() {
  SetItemCount(JobRowCount());
  Refresh();
}

wxString CNameList::OnGetItemText(long item, long column) const {
  // The widget may still hold a count from before the rows changed.
  if (item < 0 || item >= JobRowCount()) return wxString();
  if (column == 0) return wxString::Format("%ld", item + 1);
  const RenameRow& row = job_.row(static_cast<std::size_t>(item));
  return wxString::FromUTF8(
      platform::DisplayUtf8(side_ == Side::kOld ? row.oldName : row.newName, true));
}
