#include "win32/list_view.h"

#include "rename/rename_job.h"
#include "win32/text.h"

#include <algorithm>

namespace {

// The signs in the "no" column.
constexpr wchar_t kFailSign[] = L"\u00D7";  // "×"
constexpr wchar_t kLosesTextSign[] = L"!";

constexpr COLORREF kFailText = RGB(0x80, 0x00, 0x00);
constexpr COLORREF kFailBack = RGB(0xFF, 0xD6, 0xD6);
constexpr COLORREF kLosesText = RGB(0x5C, 0x40, 0x00);
constexpr COLORREF kLosesBack = RGB(0xFF, 0xEB, 0xA8);

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

long CNameListView::RowCount() const {
  return static_cast<long>(side_ == Side::kOld ? job_.oldCount() : job_.newCount());
}

void CNameListView::RowsChanged() {
  ListView_SetItemCountEx(list_, RowCount(), 0);
  InvalidateRect(list_, nullptr, TRUE);
}

void CNameListView::OnGetDispInfo(NMLVDISPINFOW* info) {
  LVITEMW& item = info->item;
  if ((item.mask & LVIF_TEXT) == 0) return;
  // The list view may still hold a count from before the rows changed.
  if (item.iItem < 0 || item.iItem >= RowCount()) {
    cellText_.clear();
  } else if (item.iSubItem == 0) {
    cellText_ = std::to_wstring(item.iItem + 1);
    if (side_ == Side::kNew) {
      const RowForecast forecast = job_.forecast(static_cast<std::size_t>(item.iItem));
      if (ForecastFails(forecast)) cellText_ = kFailSign + cellText_;
      if (forecast == RowForecast::kLosesText) cellText_ = kLosesTextSign + cellText_;
    }
  } else {
    const RenameRow& row = job_.row(static_cast<std::size_t>(item.iItem));
    cellText_ = win32::ToScreen(side_ == Side::kOld ? row.oldName : row.newName, true);
  }
  item.pszText = &cellText_[0];
}

LRESULT CNameListView::OnCustomDraw(NMLVCUSTOMDRAW* draw) {
  if (side_ == Side::kOld) return CDRF_DODEFAULT;
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
      const long row = static_cast<long>(draw->nmcd.dwItemSpec);
      if (row < 0 || row >= RowCount()) return CDRF_DODEFAULT;
      const RowForecast forecast = job_.forecast(static_cast<std::size_t>(row));
      if (ForecastFails(forecast)) {
        draw->clrText = kFailText;
        draw->clrTextBk = kFailBack;
      } else if (forecast == RowForecast::kLosesText) {
        draw->clrText = kLosesText;
        draw->clrTextBk = kLosesBack;
      }
      return CDRF_DODEFAULT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

void CNameListView::OnGetInfoTip(NMLVGETINFOTIPW* tip) {
  if (side_ == Side::kOld || tip->iItem < 0 || tip->iItem >= RowCount() || tip->cchTextMax <= 0) {
    return;
  }
  const std::wstring words =
      win32::ToScreen(ForecastWords(job_.forecast(static_cast<std::size_t>(tip->iItem))), false);
  if (words.empty()) return;
  const std::size_t room = static_cast<std::size_t>(tip->cchTextMax) - 1;
  const std::size_t length = std::min(words.size(), room);
  words.copy(tip->pszText, length);
  tip->pszText[length] = L'\0';
}
