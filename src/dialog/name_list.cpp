#include "dialog/name_list.h"

#include "rename/workflow.h"
#include "shell/texts.h"

namespace {
wxItemAttr AttrOf(RowRole role) {
  const RoleColours colours = ColoursOf(role);
  return wxItemAttr(wxColour(colours.text.r, colours.text.g, colours.text.b),
                    wxColour(colours.back.r, colours.back.g, colours.back.b), wxNullFont);
}
}  // namespace

CNameList::CNameList(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                     const RenameWorkflow& workflow, ListSide side)
    : wxListCtrl(parent, id, pos, size,
                 wxLC_REPORT | wxLC_VIRTUAL | wxLC_SINGLE_SEL | wxLC_HRULES | wxLC_VRULES |
                     wxBORDER_THEME),
      workflow_(workflow),
      side_(side),
      willFail_(AttrOf(RowRole::kWillFail)),
      losesText_(AttrOf(RowRole::kLosesText)),
      numberedAgain_(AttrOf(RowRole::kNumberedAgain)) {
  InsertColumn(0, "no", wxLIST_FORMAT_LEFT, 30);
  InsertColumn(1, "name", wxLIST_FORMAT_LEFT, 300);
  // The rows are drawn in an inner window, which sees the mouse.
  if (side_ == ListSide::kNew) GetTargetWindow()->Bind(wxEVT_MOTION, &CNameList::OnMouseMove, this);
}

void CNameList::RowsChanged() {
  shownItem_ = -1;
  SetItemCount(static_cast<long>(workflow_.RowCount(side_)));
  tipItem_ = -1;
  Refresh();
}

const ShownRow& CNameList::Row(long item) const {
  if (item != shownItem_) {
    shown_ = workflow_.Row(side_, item < 0 ? static_cast<std::size_t>(-1) : static_cast<std::size_t>(item));
    shownItem_ = item;
  }
  return shown_;
}

wxString CNameList::OnGetItemText(long item, long column) const {
  const ShownRow& row = Row(item);
  return wxString::FromUTF8(column == 0 ? row.number : row.name);
}

wxItemAttr* CNameList::OnGetItemAttr(long item) const {
  switch (Row(item).role) {
    case RowRole::kWillFail: return &willFail_;
    case RowRole::kLosesText: return &losesText_;
    case RowRole::kNumberedAgain: return &numberedAgain_;
    case RowRole::kPlain: break;
  }
  return nullptr;
}

wxString CNameList::RowTip(long item) const { return wxString::FromUTF8(shell::TipText(Row(item).forecast)); }

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
