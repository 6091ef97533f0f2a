// The window around Run: marked rows, Undo from the menu and from the
// keyboard, and a long Run that shows its progress and stops on Esc.
#include "gui_support.h"
#include "expectations.h"

#include "dialog/name_list.h"
#include "dialog/overlay.h"
#include "resource.h"

#include <chrono>
#include <algorithm>
#include <gtest/gtest.h>
#include <thread>
#include <wx/menu.h>
#include <wx/timer.h>

using namespace gui_support;
using testing_support::ListNames;
using testing_support::MakeDir;
using testing_support::ReadFile;
using testing_support::WriteFile;

namespace {

// A slow disk: every rename waits a while first.
class WaitingFolder : public platform::SystemFolder {
 public:
  using platform::SystemFolder::SystemFolder;
  platform::Error RenameNoReplace(const std::string& from, const std::string& to) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    return platform::SystemFolder::RenameNoReplace(from, to);
  }
};

class AroundRunWindow : public ::testing::Test, protected DialogFixture {
 protected:
  explicit AroundRunWindow(platform::FolderOpener opener = {}) : DialogFixture(std::move(opener)) {
    dialog->Show();
    Activate(dialog.get());
  }
  CTarvelloDlg& dlg() { return *dialog; }
  wxWindow* Control(int id) { return dlg().FindWindow(id); }
  void Files(const std::vector<std::string>& names) {
    for (const std::string& name : names) WriteFile(music + "/" + name, name);
  }
  void SearchAndPropose(RenameMethod method) {
    dlg().SetFolderText(music);
    Click(Control(IDC_SEARCH));
    dlg().SetCheckedMethod(method);
    Click(Control(IDC_RANDOM));
  }
  // Shift+F10, Up `ups` times from the bottom and Enter: an entry of the
  // window menu, chosen as a user does; waits until `last` was shown.
  void ChooseFromWindowMenu(int ups, const ShownDialog& last) {
    const int before = last.count;
    wxTimer choose;
    choose.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
      wxUIActionSimulator keys;
      for (int i = 0; i < ups; ++i) keys.Char(WXK_UP);
      keys.Char(WXK_RETURN);
    });
    choose.StartOnce(300);
    Control(IDC_ABOUT)->SetFocus();
    PressKey(WXK_F10, wxMOD_SHIFT);
    PumpUntil([&] { return last.count > before; });
  }
  void RunAnsweredYes() {
    ShownDialog question;
    wxTEST_DIALOG(Click(Control(IDC_RUN)), ExpectMessage(wxID_YES, &question));
  }
};

class SlowWindow : public AroundRunWindow {
 protected:
  SlowWindow()
      : AroundRunWindow([](const std::string& path) -> std::unique_ptr<platform::Folder> {
          return std::make_unique<WaitingFolder>(path);
        }) {}
};

}  // namespace

TEST_F(AroundRunWindow, MarkedRowsShowASignAColourAndTheReason) {
  Files({"0001_song.mp3", "song.mp3", "x.mp3", "0002_tune.mp3"});
  SearchAndPropose(RenameMethod::kDelete);
  CNameList* list = dlg().newList();
  int fails = 0, losesText = 0, plain = 0;
  for (long row = 0; row < list->GetItemCount(); ++row) {
    const wxString number = list->GetItemText(row, 0);
    const wxString tip = list->RowTip(row);
    if (number.StartsWith(wxString::FromUTF8("\xC3\x97"))) {
      ++fails;
      EXPECT_TRUE(tip.StartsWith("will fail")) << tip;
    } else if (number.StartsWith("!")) {
      ++losesText;
      EXPECT_TRUE(tip.StartsWith("loses part of its name")) << tip;
    } else {
      ++plain;
      EXPECT_EQ(tip, "");
    }
  }
  // x.mp3 loses its whole name; song.mp3 loses "song."; 0002_tune.mp3 is
  // fine; 0001_song.mp3 is fine or taken, as the listing's order has it.
  EXPECT_GE(fails, 1);
  EXPECT_EQ(losesText, 1);
  EXPECT_EQ(fails + plain, 3);
  EXPECT_NE(Control(IDC_STATUS)->GetLabel().Find("will fail"), wxNOT_FOUND);
  EXPECT_NE(Control(IDC_STATUS)->GetLabel().Find("1 lose text"), wxNOT_FOUND);
}

TEST_F(AroundRunWindow, UndoFromTheMenuAndFromTheKeyboard) {
  const std::vector<std::string> names = {"a.mp3", "b.mp3", "c.mp3"};
  Files(names);
  for (const bool fromMenu : {true, false}) {
    SCOPED_TRACE(fromMenu ? "window menu" : "Ctrl+Z");
    SearchAndPropose(RenameMethod::kAdd);
    RunAnsweredYes();
    ASSERT_NE(ListNames(music), names);
    std::unique_ptr<wxMenu> menu = dlg().CreateWindowMenu();
    EXPECT_TRUE(menu->FindItem(wxID_UNDO)->IsEnabled());

    ShownDialog question;
    if (fromMenu) {
      // Past About and Remove Mac and Windows files: Undo last Run.
      wxTEST_DIALOG(ChooseFromWindowMenu(3, question), ExpectMessage(wxID_YES, &question));
    } else {
      Control(IDC_SEARCH)->SetFocus();
      Pump(30);
      wxTEST_DIALOG(PressKey('Z', wxMOD_CONTROL), ExpectMessage(wxID_YES, &question));
    }
    EXPECT_EQ(question.count, 1);
    EXPECT_EQ(question.title, "Undo");
    EXPECT_EQ(Control(IDC_STATUS)->GetLabel(), "UNDONE");
    EXPECT_EQ(ListNames(music), names);
    // Spent: disabled in the menu, and Ctrl+Z does nothing (no dialog).
    EXPECT_FALSE(dlg().CreateWindowMenu()->FindItem(wxID_UNDO)->IsEnabled());
    Control(IDC_SEARCH)->SetFocus();
    PressKey('Z', wxMOD_CONTROL);
    EXPECT_EQ(ListNames(music), names);
  }
}

// The window menu removes the files Macs and Windows keep beside the songs
// of the folder in the folder box, behind a question that counts them; the
// listing then shows the folder as it is.
TEST_F(AroundRunWindow, TheWindowMenuRemovesTheOtherSystemsFilesAfterAQuestion) {
  Files({"song.mp3", "._song.mp3", "._tune.mp3", "Thumbs.db"});
  MakeDir(music + "/._folder");
  dlg().SetFolderText(music);
  Click(Control(IDC_SEARCH));
  EXPECT_EQ(Control(IDC_STATUS)->GetLabel(), "2 left out: Mac or Windows files");
  ShownDialog question, told;
  // Declined: nothing changes.
  wxTEST_DIALOG(ChooseFromWindowMenu(2, question), ExpectMessage(wxID_NO, &question));
  EXPECT_EQ(ListNames(music).size(), 5u);
  wxTEST_DIALOG(ChooseFromWindowMenu(2, told), ExpectMessage(wxID_YES, &question), ExpectMessage(wxID_OK, &told));
  EXPECT_EQ(question.title, "Remove");
  EXPECT_NE(question.text.find("3 files"), std::string::npos) << question.text;
  EXPECT_NE(question.text.find("2 ._ files, 1 Thumbs.db"), std::string::npos) << question.text;
  EXPECT_NE(question.text.find("cannot be undone"), std::string::npos) << question.text;
  EXPECT_EQ(told.text, "3 of 3 files removed.");
  std::vector<std::string> left = ListNames(music);
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"._folder", "song.mp3"}));
  EXPECT_EQ(Control(IDC_STATUS)->GetLabel(), "");
  // Nothing left to remove: a word, and no question.
  wxTEST_DIALOG(ChooseFromWindowMenu(2, told), ExpectMessage(wxID_OK, &told));
  EXPECT_EQ(told.text.rfind("No ._ file", 0), 0u) << told.text;
}

TEST_F(SlowWindow, ALongRunShowsProgressAndStopsOnEscape) {
  std::vector<std::string> names;
  for (int i = 0; i < 150; ++i) names.push_back("t" + std::to_string(1000 + i) + ".mp3");
  Files(names);
  SearchAndPropose(RenameMethod::kAdd);

  // While the Run goes on: what the overlay shows, whether Search takes a
  // click, and Esc after about a second.
  std::vector<std::string> seen;
  bool searchEnabledMeanwhile = true;
  wxTimer watch;
  watch.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    if (dlg().overlay()->IsShown()) seen.push_back(dlg().overlay()->GetLabel().utf8_str().data());
  });
  wxTimer stop;
  stop.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    searchEnabledMeanwhile = Control(IDC_SEARCH)->IsEnabled();
    wxUIActionSimulator().Char(WXK_ESCAPE);
  });
  watch.Start(40);
  stop.StartOnce(1000);
  ShownDialog question, report;
  wxTEST_DIALOG(Click(Control(IDC_RUN)); PumpUntil([&] { return report.count > 0; }, 8000),
                ExpectMessage(wxID_YES, &question), ExpectMessage(wxID_OK, &report));
  watch.Stop();

  EXPECT_TRUE(dlg().IsShown()) << "Esc stopped the Run, not the program";
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front().rfind("renaming... ", 0), 0u) << seen.front();
  EXPECT_NE(seen.front().find(" / 150"), std::string::npos) << seen.front();
  EXPECT_FALSE(searchEnabledMeanwhile);
  const wxString status = Control(IDC_STATUS)->GetLabel();
  EXPECT_TRUE(status.StartsWith("stopped: ")) << status;
  EXPECT_NE(report.text.find("not renamed: stopped"), std::string::npos);
  // The window takes input again; Random and Run are done with.
  EXPECT_TRUE(Control(IDC_SEARCH)->IsEnabled());
  EXPECT_FALSE(Control(IDC_RUN)->IsEnabled());
  EXPECT_FALSE(dlg().overlay()->IsShown());
  std::size_t numbered = 0;
  for (const std::string& name : ListNames(music)) numbered += name[4] == '_';
  EXPECT_GT(numbered, 0u);
  EXPECT_LT(numbered, names.size());
}
