// DialogControls kept in memory: the window of the headless tests and the
// benchmarks. Questions are answered from a queue (Yes when it is empty), and
// every question and message is recorded.
#pragma once

#include "rename/dialog_controls.h"

#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

class CMemoryControls : public DialogControls {
 public:
  struct Row {
    std::string number;
    std::string name;
  };
  struct Question {
    std::string text;
    std::string caption;
  };

  void SetDlgItemText(int id, const std::string& text) override;
  std::string GetDlgItemText(int id) override;
  void EnableItem(int id, bool enable) override;
  void ShowItem(int id, bool show) override;
  bool GetCheck(int id) override;
  void SetCheck(int id, bool checked) override;
  void ListClear(int id) override;
  void ListAppend(int id, const std::string& number, const std::string& name) override;
  const std::string& ListGetName(int id, int row) override;
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  void ShowMessage(const std::string& text) override;

  // Clicking a radio button: it becomes the only one checked.
  void ClickRadio(int id);

  bool IsEnabled(int id) const;
  bool IsShown(int id) const;
  const std::vector<Row>& List(int id) const;
  std::vector<std::string> Names(int id) const;

  std::deque<bool> answers;             // next answers to AskYesNo
  std::vector<Question> questions;      // every question asked
  std::vector<std::string> messages;    // every OK message shown
  std::vector<std::string> overlayLog;  // overlay texts and shows, in order

 private:
  std::map<int, std::string> texts_;
  std::map<int, bool> enabled_;
  std::map<int, bool> shown_;
  std::map<int, bool> checked_;
  std::map<int, std::vector<Row>> lists_;
};
