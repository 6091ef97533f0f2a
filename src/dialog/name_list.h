// One of the two name lists: a list view that draws the job's rows as it
// needs them, so that long lists cost nothing and every name stays in the
// job, byte for byte, while the screen shows a rendering of it.
#pragma once

#include <wx/listctrl.h>

class RenameJob;

class CNameList : public wxListCtrl {
 public:
  // The Old list shows the rows' old names, the New list their proposals.
  enum class Side { kOld, kNew };

  CNameList(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
            const RenameJob& job, Side side);

  // The job's rows changed: the list takes their count and draws again.
  void RowsChanged();

 protected:
  wxString OnGetItemText(long item, long column) const override;

 private:
  long JobRowCount() const;

  const RenameJob& job_;
  Side side_;
};
