// One of the two name lists on Windows: an owner-data list view that asks
// for the rows it draws, so that long lists cost nothing and every name
// stays in the job. The New list marks the rows that Run will fail on or
// that lose part of their name: a sign in the "no" column, a colour, and the
// reason as the row's tip.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

class RenameJob;

class CNameListView {
 public:
  enum class Side { kOld, kNew };

  CNameListView(const RenameJob& job, Side side) : job_(job), side_(side) {}

  // Binds the list view of the template: columns "no" and "name", grid
  // lines, whole-row selection, tips.
  void Attach(HWND list);
  HWND hwnd() const { return list_; }

  // The job's rows changed: the list takes their count and draws again.
  void RowsChanged();

  // Notifications of the list view; each returns the message's result.
  void OnGetDispInfo(NMLVDISPINFOW* info);
  LRESULT OnCustomDraw(NMLVCUSTOMDRAW* draw);
  void OnGetInfoTip(NMLVGETINFOTIPW* tip);

 private:
  long RowCount() const;

  const RenameJob& job_;
  Side side_;
  HWND list_ = nullptr;
  // The texts handed to the list view live until it asks again.
  std::wstring cellText_;
};
