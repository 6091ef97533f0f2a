// A list view over rows held in memory: the widget asks only for the rows it
// draws, so long lists cost nothing, and every name is kept byte for byte
// while the screen shows a rendering of it.
#pragma once

#include <wx/listctrl.h>

#include <string>
#include <vector>

class CNameList : public wxListCtrl {
 public:
  CNameList(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size);

  void Clear();
  void Append(const std::string& number, const std::string& name);
  const std::string& Name(std::size_t row) const { return rows_[row].name; }
  std::size_t RowCount() const { return rows_.size(); }
  // Tells the widget how many rows there are; appends are gathered until then.
  void SyncRowCount();

 protected:
  wxString OnGetItemText(long item, long column) const override;

 private:
  struct Row {
    std::string number;
    std::string name;
  };
  std::vector<Row> rows_;
};
