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
  std::deque<std::string>().swap(names_);  // gives the memory back
  otherNumbers_.clear();
  SyncRowCount();
}

void CNameList::Append(const std::string& number, const std::string& name) {
  if (number != std::to_string(names_.size() + 1)) otherNumbers_[names_.size()] = number;
  names_.push_back(name);
}

void CNameList::SyncRowCount() {
  const long count = static_cast<long>(names_.size());
  if (GetItemCount() != count) {
    SetItemCount(count);
    Refresh();
  }
}

wxString CNameList::OnGetItemText(long item, long column) const {
  const std::size_t row = static_cast<std::size_t>(item);
  if (item < 0 || row >= names_.size()) return wxString();
  if (column != 0) return wxString::FromUTF8(platform::DisplayUtf8(names_[row], true));
  auto other = otherNumbers_.find(row);
  if (other != otherNumbers_.end()) return wxString::FromUTF8(platform::DisplayUtf8(other->second, true));
  return wxString::Format("%zu", row + 1);
}
