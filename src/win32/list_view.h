// One of the two name lists on Windows: an owner-data list view that asks
// for the rows it draws, so that long lists cost nothing and every name
// stays in the job. What a row shows (number and mark, name, colours, tip)
// comes from the workflow; the list only paints it.
#pragma once

#include "rename/row_model.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

class RenameWorkflow;

class CNameListView {
 public:
  CNameListView(const RenameWorkflow& workflow, ListSide side) : workflow_(workflow), side_(side) {}

  // Binds the list view of the template: columns "no" and "name", grid
  // lines, whole-row selection, tips.
  void Attach(HWND list);
  HWND hwnd() const { return list_; }

  // The rows changed: the list takes their count and draws again.
  void RowsChanged();

  // Notifications of the list view; each returns the message's result.
  void OnGetDispInfo(NMLVDISPINFOW* info);
  LRESULT OnCustomDraw(NMLVCUSTOMDRAW* draw);
  void OnGetInfoTip(NMLVGETINFOTIPW* tip);

 private:
  const ShownRow& Row(int item);

  const RenameWorkflow& workflow_;
  ListSide side_;
  HWND list_ = nullptr;
  // The row drawn last: its columns are asked for one after the other.
  int shownItem_ = -1;
  ShownRow shown_;
  // The texts handed to the list view live until it asks again.
  std::wstring cellText_;
};
