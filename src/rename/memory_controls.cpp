#include "rename/memory_controls.h"

#include "rename/control_ids.h"

#include <stdexcept>

void CMemoryControls::SetDlgItemText(int id, const std::string& text) {
  texts_[id] = text;
  if (id == IDC_OVERLAY) overlayLog.push_back("text:" + text);
}

std::string CMemoryControls::GetDlgItemText(int id) {
  auto it = texts_.find(id);
  return it == texts_.end() ? std::string() : it->second;
}

void CMemoryControls::EnableItem(int id, bool enable) { enabled_[id] = enable; }

void CMemoryControls::ShowItem(int id, bool show) {
  shown_[id] = show;
  if (id == IDC_OVERLAY) overlayLog.push_back(show ? "show" : "hide");
}

bool CMemoryControls::GetCheck(int id) {
  auto it = checked_.find(id);
  return it != checked_.end() && it->second;
}

void CMemoryControls::SetCheck(int id, bool checked) {
  // Radio buttons of one group: checking one clears the others.
  if (checked) {
    for (int radio : {IDC_ADD, IDC_REPLACE, IDC_DELETE}) checked_[radio] = false;
  }
  checked_[id] = checked;
}

void CMemoryControls::ClickRadio(int id) { SetCheck(id, true); }

void CMemoryControls::ListClear(int id) { lists_[id].clear(); }

void CMemoryControls::ListAppend(int id, const std::string& number, const std::string& name) {
  lists_[id].push_back({number, name});
}

const std::string& CMemoryControls::ListGetName(int id, int row) {
  std::vector<Row>& rows = lists_[id];
  if (row < 0 || static_cast<std::size_t>(row) >= rows.size()) {
    throw std::out_of_range("list row out of range");
  }
  return rows[static_cast<std::size_t>(row)].name;
}

bool CMemoryControls::AskYesNo(const std::string& text, const std::string& caption) {
  questions.push_back({text, caption});
  if (answers.empty()) return true;
  bool answer = answers.front();
  answers.pop_front();
  return answer;
}

void CMemoryControls::ShowMessage(const std::string& text) { messages.push_back(text); }

bool CMemoryControls::IsEnabled(int id) const {
  auto it = enabled_.find(id);
  return it == enabled_.end() || it->second;
}

bool CMemoryControls::IsShown(int id) const {
  auto it = shown_.find(id);
  return it == shown_.end() || it->second;
}

const std::vector<CMemoryControls::Row>& CMemoryControls::List(int id) const {
  static const std::vector<Row> empty;
  auto it = lists_.find(id);
  return it == lists_.end() ? empty : it->second;
}

std::vector<std::string> CMemoryControls::Names(int id) const {
  std::vector<std::string> names;
  for (const Row& row : List(id)) names.push_back(row.name);
  return names;
}
