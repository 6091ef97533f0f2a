// One of the two name lists: a list view that draws the workflow's rows as
// it needs them, so that long lists cost nothing and every name stays in the
// job, byte for byte, while the screen shows a rendering of it. What a row
// shows (its number and mark, its name, its colours, its tip) comes from
// the workflow; the list only paints it.
#pragma once

#include "rename/row_model.h"

#include <wx/listctrl.h>

class RenameWorkflow;

class CNameList : public wxListCtrl {
 public:
  CNameList(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
            const RenameWorkflow& workflow, ListSide side);

  // The rows changed: the list takes their count and draws again.
  void RowsChanged();
  // The tip of a row: what Run will do with it; empty for a plain one.
  wxString RowTip(long item) const;

 protected:
  wxString OnGetItemText(long item, long column) const override;
  wxItemAttr* OnGetItemAttr(long item) const override;

 private:
  const ShownRow& Row(long item) const;
  void OnMouseMove(wxMouseEvent& event);

  const RenameWorkflow& workflow_;
  ListSide side_;
  mutable wxItemAttr willFail_;
  mutable wxItemAttr losesText_;
  mutable wxItemAttr numberedAgain_;
  // The row drawn last: its columns are asked for one after the other.
  mutable long shownItem_ = -1;
  mutable ShownRow shown_;
  long tipItem_ = -1;
};
