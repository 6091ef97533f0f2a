// Answers for the modal dialogs a test expects, recording what they showed.
#pragma once

#include <wx/dialog.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>

#include <functional>
#include <string>

struct ShownDialog {
  std::string text;
  std::string title;
  long style = 0;
  wxWindow* parent = nullptr;
  int count = 0;
};

// A message box, answered with `answer`.
class ExpectMessage : public wxExpectModalBase<wxMessageDialog, ExpectMessage> {
 public:
  ExpectMessage(int answer, ShownDialog* shown) : answer_(answer), shown_(shown) {}

 protected:
  int OnInvoked(wxMessageDialog* dialog) const override {
    shown_->text = dialog->GetMessage().utf8_str().data();
    shown_->title = dialog->GetTitle().utf8_str().data();
    shown_->style = dialog->GetMessageDialogStyle();
    shown_->parent = dialog->GetParent();
    ++shown_->count;
    return answer_;
  }

 private:
  int answer_;
  ShownDialog* shown_;
};

// Any dialog of type T, answered with `answer`; `inspect` sees it first.
template <class T>
class ExpectDialog : public wxExpectModalBase<T, ExpectDialog<T>> {
 public:
  ExpectDialog(int answer, ShownDialog* shown, std::function<void(T*)> inspect = {})
      : answer_(answer), shown_(shown), inspect_(std::move(inspect)) {}

 protected:
  int OnInvoked(T* dialog) const override {
    shown_->title = dialog->GetTitle().utf8_str().data();
    shown_->parent = dialog->GetParent();
    shown_->style = dialog->GetWindowStyleFlag();
    ++shown_->count;
    if (inspect_) inspect_(dialog);
    return answer_;
  }

 private:
  int answer_;
  ShownDialog* shown_;
  std::function<void(T*)> inspect_;
};
