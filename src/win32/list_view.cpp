#include "win32/list_view.h"

#include "rename/workflow.h"
#include "shell/texts.h"
#include "win32/text.h"

#include <algorithm>

namespace {
COLORREF ColourOf(const Rgb& rgb) { return RGB(rgb.r, rgb.g, rgb.b); }
}  // namespace

void CNameListView::Attach(HWND list) {
  list_ = list;
  ListView_SetExtendedListViewStyleEx(list_, 0,
                                      LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
  // Column widths in pixels at 96 dots per inch, grown with the screen's.
  const HDC screen = GetDC(list_);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen != nullptr) ReleaseDC(list_, screen);
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = MulDiv(30, dpi, 96);
  column.pszText = const_cast<wchar_t*>(L"no");
  column.iSubItem = 0;
  ListView_InsertColumn(list_, 0, &column);
  column.cx = MulDiv(300, dpi, 96);
  column.pszText = const_cast<wchar_t*>(L"name");
  column.iSubItem = 1;
  ListView_InsertColumn(list_, 1, &column);
}

void CNameListView::RowsChanged() {
  shownItem_ = -1;
  ListView_SetItemCountEx(list_, static_cast<int>(workflow_.RowCount(side_)), 0);
  InvalidateRect(list_, nullptr, TRUE);
}

const ShownRow& CNameListView::Row(int item) {
  if (item != shownItem_) {
    shown_ = workflow_.Row(side_, item < 0 ? static_cast<std::size_t>(-1) : static_cast<std::size_t>(item));
    shownItem_ = item;
  }
  return shown_;
}

void CNameListView::OnGetDispInfo(NMLVDISPINFOW* info) {
  LVITEMW& item = info->item;
  if ((item.mask & LVIF_TEXT) == 0) return;
  const ShownRow& row = Row(item.iItem);
  cellText_ = win32::ToScreen(item.iSubItem == 0 ? row.number : row.name, false);
  item.pszText = &cellText_[0];
}

LRESULT CNameListView::OnCustomDraw(NMLVCUSTOMDRAW* draw) {
  if (side_ == ListSide::kOld) return CDRF_DODEFAULT;
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
      const RowRole role = Row(static_cast<int>(draw->nmcd.dwItemSpec)).role;
      if (role != RowRole::kPlain) {
        const RoleColours colours = ColoursOf(role);
        draw->clrText = ColourOf(colours.text);
        draw->clrTextBk = ColourOf(colours.back);
      }
      return CDRF_DODEFAULT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

void CNameListView::OnGetInfoTip(NMLVGETINFOTIPW* tip) {
  if (tip->cchTextMax <= 0) return;
  const std::wstring words = win32::ToScreen(shell::TipText(Row(tip->iItem).forecast), false);
  if (words.empty()) return;
  const std::size_t room = static_cast<std::size_t>(tip->cchTextMax) - 1;
  const std::size_t length = std::min(words.size(), room);
  words.copy(tip->pszText, length);
  tip->pszText[length] = L'\0';
}
