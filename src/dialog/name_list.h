// One of the two name lists: a list view that draws the job's rows as it
// needs them, so that long lists cost nothing and every name stays in the
// job, byte for byte, while the screen shows a rendering of it. The New list
// marks the rows that Run will fail on or that lose part of their name: a
// sign in the "no" column, a colour, and the reason as the row's tip.
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
  // The tip of a row: why it is marked; empty for an unmarked row.
  wxString RowTip(long item) const;

 protected:
  wxString OnGetItemText(long item, long column) const override;
  wxItemAttr* OnGetItemAttr(long item) const override;

 private:
  long JobRowCount() const;
  void OnMouseMove(wxMouseEvent& event);

  const RenameJob& job_;
  Side side_;
  mutable wxItemAttr willFail_;
  mutable wxItemAttr losesText_;
  long tipItem_ = -1;
};
