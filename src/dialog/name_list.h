// A list view over rows held in memory: the widget asks only for the rows it
// draws, so long lists cost nothing, and every name is kept byte for byte
// while the screen shows a rendering of it.
#pragma once

#include <wx/listctrl.h>

#include <deque>
#include <map>
#include <string>

class CNameList : public wxListCtrl {
 public:
  CNameList(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size);

  void Clear();
  void Append(const std::string& number, const std::string& name);
  const std::string& Name(std::size_t row) const { return names_[row]; }
  std::size_t RowCount() const { return names_.size(); }
  // Tells the widget how many rows there are; appends are gathered until then.
  void SyncRowCount();

 protected:
  wxString OnGetItemText(long item, long column) const override;

 private:
  // The names, in a deque: growing never copies them all, and a name's
  // address stays put. A row's number is its 1-based position; a number text
  // that is anything else is kept aside.
  std::deque<std::string> names_;
  std::map<std::size_t, std::string> otherNumbers_;
};
