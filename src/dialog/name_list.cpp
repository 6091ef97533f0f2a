#include "dialog/name_list.h"

#include "platform/bytes.h"

CNameList::CNameList(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
    : wxListCtrl(parent, id, pos, size,
                 wxLC_REPORT | wxLC_VIRTUAL | wxLC_SINGLE_SEL | wxLC_HRULES | wxLC_VRULES |
                     wxBORDER_THEME) {
  InsertColumn(0, "no", wxLIST_FORMAT_LEFT, 30);
  InsertColumn(1, "name", wxLIST_FORMAT_LEFT, 300);
}

void CNameList::Clear() {
  rows_.clear();
  SyncRowCount();
}

void CNameList::Append(const std::string& number, const std::string& name) {
  rows_.push_back({number, name});
}

void CNameList::SyncRowCount() {
  const long count = static_cast<long>(rows_.size());
  if (GetItemCount() != count) {
    SetItemCount(count);
    Refresh();
  }
}

wxString CNameList::OnGetItemText(long item, long column) const {
  if (item < 0 || static_cast<std::size_t>(item) >= rows_.size()) return wxString();
  const Row& row = rows_[static_cast<std::size_t>(item)];
  return wxString::FromUTF8(platform::DisplayUtf8(column == 0 ? row.number : row.name, true));
}
