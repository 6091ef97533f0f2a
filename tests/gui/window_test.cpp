// The main dialog as a user meets it: its start state, the keyboard, the
// radio buttons, the window menu, the About box and the credits.
#include "gui_support.h"
#include "expectations.h"

#include "dialog/about_dlg.h"
#include "dialog/name_list.h"
#include "dialog/overlay.h"
#include "resource.h"
#include "shell/shell.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

using namespace gui_support;
using testing_support::WriteFile;

namespace {

class Window : public ::testing::Test, protected DialogFixture {
 protected:
  CTarvelloDlg& dlg() { return *dialog; }
  wxWindow* Control(int id) { return dlg().FindWindow(id); }
  wxRadioButton* Radio(int id) { return static_cast<wxRadioButton*>(Control(id)); }
  std::vector<int> CheckedRadios() {
    std::vector<int> checked;
    for (int id : {IDC_ADD, IDC_REPLACE, IDC_DELETE}) {
      if (Radio(id)->GetValue()) checked.push_back(id);
    }
    return checked;
  }
  RenameWorkflow& workflow() { return dlg().workflow(); }
  int FocusId() {
    wxWindow* focus = wxWindow::FindFocus();
    return focus ? focus->GetId() : 0;
  }
  // The IDs that Tab visits from About until it comes back to About.
  std::vector<int> TabCycle() {
    Control(IDC_ABOUT)->SetFocus();
    Pump(30);
    std::vector<int> visited{FocusId()};
    for (int i = 0; i < 20; ++i) {
      PressKey(WXK_TAB);
      if (FocusId() == IDC_ABOUT) break;
      visited.push_back(FocusId());
    }
    return visited;
  }
  void ShowActive() {
    dlg().Show();
    Activate(&dlg());
  }
};

}  // namespace

TEST_F(Window, StartsAsTheTemplateSays) {
  ShowActive();
  EXPECT_EQ(dlg().GetTitle(), "Tarvello");
  EXPECT_EQ(dlg().GetClientSize(), dlg().ConvertDialogToPixels(wxSize(378, 177)));
  EXPECT_FALSE(dlg().HasFlag(wxRESIZE_BORDER));
  EXPECT_FALSE(dlg().HasFlag(wxMINIMIZE_BOX));
  EXPECT_FALSE(dlg().HasFlag(wxMAXIMIZE_BOX));
  EXPECT_EQ(FocusId(), IDC_ABOUT);
  EXPECT_FALSE(Control(IDC_RANDOM)->IsEnabled());
  EXPECT_FALSE(Control(IDC_RUN)->IsEnabled());
  EXPECT_FALSE(Control(IDC_OVERLAY)->IsShown());
  EXPECT_FALSE(Control(IDC_OVERLAY)->IsEnabled());
  EXPECT_TRUE(CheckedRadios().empty());
  EXPECT_EQ(Control(IDC_STATUS)->GetLabel(), "");
  EXPECT_EQ(dlg().overlay()->GetLabel(), "");
  EXPECT_EQ(static_cast<wxTextCtrl*>(Control(IDC_EXTENSION))->GetValue(), "mp3");
  EXPECT_EQ(IniText(), "<none>");

  // The window icon in both sizes.
  const wxIconBundle& icons = dlg().GetIcons();
  EXPECT_TRUE(icons.GetIcon(wxSize(32, 32), wxIconBundle::FALLBACK_NONE).IsOk());
  EXPECT_TRUE(icons.GetIcon(wxSize(16, 16), wxIconBundle::FALLBACK_NONE).IsOk());
}

TEST_F(Window, TabSkipsTheRadioButtonsAndDisabledButtons) {
  ShowActive();
  EXPECT_EQ(TabCycle(), (std::vector<int>{IDC_ABOUT, IDC_FOLDER, IDC_SELECT, IDC_OLD_LIST,
                                          IDC_EXTENSION, IDC_NEW_LIST, IDC_SEARCH, IDC_EXPRESS}));
  // With a proposal, Random and Run take the keyboard too.
  WriteFile(music + "/a.mp3", "a");
  dlg().SetFolderText(music);
  Click(Control(IDC_SEARCH));
  Radio(IDC_REPLACE)->SetValue(true);
  Click(Control(IDC_RANDOM));
  EXPECT_EQ(TabCycle(),
            (std::vector<int>{IDC_ABOUT, IDC_FOLDER, IDC_RANDOM, IDC_RUN, IDC_SELECT, IDC_OLD_LIST,
                              IDC_EXTENSION, IDC_NEW_LIST, IDC_SEARCH, IDC_EXPRESS}));
}

TEST_F(Window, RadioButtonsCanAllBeClearAndOnlyMoveTheCheck) {
  ShowActive();
  dlg().SetCheckedMethod(RenameMethod::kAdd);
  EXPECT_EQ(CheckedRadios(), std::vector<int>{IDC_ADD});
  dlg().SetCheckedMethod(RenameMethod::kNone);
  EXPECT_TRUE(CheckedRadios().empty());
  EXPECT_EQ(dlg().CheckedMethod(), RenameMethod::kNone);

  // A click moves the check and changes nothing else.
  dlg().SetCheckedMethod(RenameMethod::kAdd);
  ASSERT_EQ(dlg().CheckedMethod(), RenameMethod::kAdd);
  Click(Control(IDC_REPLACE));
  EXPECT_EQ(CheckedRadios(), std::vector<int>{IDC_REPLACE});
  EXPECT_EQ(workflow().job().method(), RenameMethod::kNone);
  EXPECT_EQ(IniText(), "<none>");

  // The arrow keys move the check among the three visible buttons only.
  for (int step = 0; step < 4; ++step) {
    PressKey(WXK_DOWN);
    ASSERT_EQ(CheckedRadios().size(), 1u) << "after " << step + 1 << " presses";
  }
  PressKey(WXK_UP);
  EXPECT_EQ(CheckedRadios().size(), 1u);
  EXPECT_NE(dlg().CheckedMethod(), RenameMethod::kNone);

  // And from the keyboard-moved state, clearing still works.
  dlg().SetCheckedMethod(RenameMethod::kNone);
  EXPECT_TRUE(CheckedRadios().empty());
}

TEST_F(Window, EnterInAnEditBoxClosesWithoutSearching) {
  WriteFile(music + "/a.mp3", "a");
  dlg().SetFolderText(music);
  const int code = RunModal(dlg(), [&] {
    Control(IDC_FOLDER)->SetFocus();
    Pump(30);
    PressKey(WXK_RETURN);
  });
  EXPECT_EQ(code, wxID_OK);
  EXPECT_EQ(workflow().job().oldCount(), 0u);
  EXPECT_TRUE(pauser.pauses.empty());
  EXPECT_EQ(IniText(), "<none>");
}

TEST_F(Window, EnterPressesTheFocusedButtonAndEscapeCancels) {
  dlg().SetFolderText(music);
  const int code = RunModal(dlg(), [&] {
    Control(IDC_SEARCH)->SetFocus();
    Pump(30);
    PressKey(WXK_RETURN);
    EXPECT_TRUE(dlg().IsModal()) << "Enter on Search must not close the dialog";
    EXPECT_EQ(pauser.pauses.size(), 2u);
    PressKey(WXK_ESCAPE);
  });
  EXPECT_EQ(code, wxID_CANCEL);
  EXPECT_NE(IniText(), "<none>");  // written by the Search, not by closing
}

TEST_F(Window, TheCloseButtonAndTheMenusCloseCancel) {
  EXPECT_EQ(RunModal(dlg(), [&] { dlg().Close(); }), wxID_CANCEL);
  EXPECT_EQ(RunModal(dlg(), [&] { dlg().OnSysCommand(kScClose, 0); }), wxID_CANCEL);
  EXPECT_EQ(IniText(), "<none>");
}

TEST_F(Window, WindowMenuEndsWithASeparatorAndTheAboutEntry) {
  std::unique_ptr<wxMenu> menu = dlg().CreateWindowMenu();
  ASSERT_EQ(menu->GetMenuItemCount(), 5u);
  EXPECT_EQ(menu->FindItemByPosition(0)->GetItemLabelText(), "Close");
  EXPECT_TRUE(menu->FindItemByPosition(1)->IsSeparator());
  // Undo of the last Run, disabled while there is none, and the removal of
  // the other systems' files, above the About entry.
  EXPECT_EQ(menu->FindItemByPosition(2)->GetItemLabelText(), "Undo last Run");
  EXPECT_FALSE(menu->FindItemByPosition(2)->IsEnabled());
  EXPECT_EQ(menu->FindItemByPosition(3)->GetItemLabelText(), "Remove Mac and Windows files...");
  EXPECT_TRUE(menu->FindItemByPosition(3)->IsEnabled());
  EXPECT_EQ(menu->FindItemByPosition(4)->GetId(), IDM_ABOUTBOX);
  EXPECT_EQ(menu->FindItemByPosition(4)->GetItemLabel(), wxString::FromUTF8("Tarvello 정보(&A)..."));
}

TEST_F(Window, WindowCommandsOpenTheAboutBoxAgainAndAgain) {
  ShowActive();
  ShownDialog about;
  for (unsigned command : {0x0010u, 0x001Fu, 0x0010u}) {
    wxTEST_DIALOG(dlg().OnSysCommand(command, 0), ExpectDialog<CAboutDlg>(wxID_OK, &about));
  }
  EXPECT_EQ(about.count, 3);
  EXPECT_EQ(about.title, "Tarvello 정보");
  // 0x0020 is not the About entry: no dialog (the guard fails on any).
  dlg().OnSysCommand(0x0020, 0);
  EXPECT_TRUE(dlg().IsShown());
  EXPECT_TRUE(CheckedRadios().empty());
}

TEST_F(Window, TheWindowMenuOpensFromTheKeyboardAndTheMouse) {
  ShowActive();
  int opened = 0;
  dlg().Bind(wxEVT_MENU_OPEN, [&](wxMenuEvent& event) {
    ++opened;
    event.Skip();
  });
  // Shift+F10, then Up (to the last item) and Enter on the open menu: the
  // About box.
  ShownDialog about;
  wxTimer choose;
  choose.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    wxUIActionSimulator keys;
    keys.Char(WXK_UP);
    keys.Char(WXK_RETURN);
  });
  choose.StartOnce(300);
  wxTEST_DIALOG(PressKey(WXK_F10, wxMOD_SHIFT); PumpUntil([&] { return about.count > 0; }),
                ExpectDialog<CAboutDlg>(wxID_OK, &about));
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(about.count, 1);

  // A right click on the background opens it too; Escape closes it.
  wxTimer dismiss;
  dismiss.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { wxUIActionSimulator().Char(WXK_ESCAPE); });
  dismiss.StartOnce(300);
  wxUIActionSimulator mouse;
  const wxPoint background = dlg().ClientToScreen(dlg().ConvertDialogToPixels(wxPoint(248, 140)));
  mouse.MouseMove(background);
  Pump(30);
  mouse.MouseClick(wxMOUSE_BTN_RIGHT);
  PumpUntil([&] { return opened == 2; });
  Pump(400);
  EXPECT_EQ(opened, 2);
  EXPECT_TRUE(dlg().IsShown());

  // The Menu key opens it as well; from its Close item the dialog ends.
  wxTimer close;
  close.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    wxUIActionSimulator keys;
    keys.Char(WXK_DOWN);  // the first item, Close
    keys.Char(WXK_RETURN);
  });
  close.StartOnce(300);
  PressKey(WXK_MENU);
  PumpUntil([&] { return !dlg().IsShown(); });
  EXPECT_EQ(opened, 3);
  EXPECT_FALSE(dlg().IsShown());
  EXPECT_EQ(dlg().GetReturnCode(), wxID_CANCEL);
}

TEST_F(Window, TheMenuKeysInAnEditBoxOpenItsOwnMenu) {
  ShowActive();
  int opened = 0;
  dlg().Bind(wxEVT_MENU_OPEN, [&](wxMenuEvent& event) {
    ++opened;
    event.Skip();
  });
  auto* box = static_cast<wxTextCtrl*>(Control(IDC_FOLDER));
  box->ChangeValue("/some/folder");
  box->SetFocus();
  box->SelectAll();
  Pump(50);
  // The edit box's own menu opens, its first item, Cut, chosen: Enter takes
  // the text.
  for (const bool shiftF10 : {true, false}) {
    wxTimer cut;
    cut.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { wxUIActionSimulator().Char(WXK_RETURN); });
    cut.StartOnce(400);
    if (shiftF10) {
      PressKey(WXK_F10, wxMOD_SHIFT);
    } else {
      PressKey(WXK_MENU);
    }
    PumpUntil([&] { return box->GetValue().empty(); }, 3000);
    EXPECT_EQ(box->GetValue(), "") << (shiftF10 ? "Shift+F10" : "Menu key");
    EXPECT_EQ(opened, 0) << "the window menu opened instead";
    box->ChangeValue("/some/folder");
    box->SelectAll();
    Pump(50);
  }
  EXPECT_TRUE(dlg().IsShown());
}

TEST_F(Window, AboutButtonShowsTheCredits) {
  ShowActive();
  ShownDialog credits;
  wxTEST_DIALOG(Click(Control(IDC_ABOUT)), ExpectMessage(wxID_OK, &credits));
  EXPECT_EQ(credits.text, shell::CreditsText());
  EXPECT_EQ(credits.title, "Tarvello");
  EXPECT_EQ(credits.parent, &dlg());
  EXPECT_TRUE(credits.style & wxOK);
  // Six lines; honest addresses only.
  EXPECT_EQ(std::count(credits.text.begin(), credits.text.end(), '\n'), 5);
  EXPECT_EQ(credits.text.back(), 't');
  EXPECT_NE(credits.text.find("example."), std::string::npos);
}

TEST(AboutBox, ShowsIconNameVersionAndAnOkButton) {
  CAboutDlg about;
  EXPECT_EQ(about.GetTitle(), wxString::FromUTF8("Tarvello 정보"));
  std::vector<wxString> labels;
  wxButton* ok = nullptr;
  for (wxWindow* child : about.GetChildren()) {
    if (auto* text = dynamic_cast<wxStaticText*>(child)) labels.push_back(text->GetLabel());
    if (auto* button = dynamic_cast<wxButton*>(child)) ok = button;
  }
  ASSERT_EQ(labels.size(), 2u);
  EXPECT_EQ(labels[0], wxString::FromUTF8("Tarvello 버전 1.0"));
  EXPECT_TRUE(labels[1].StartsWith("Copyright"));
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->GetLabel(), wxString::FromUTF8("확인"));
  EXPECT_EQ(ok->GetId(), wxID_OK);
  EXPECT_EQ(about.GetEscapeId(), wxID_OK);
  // Escape closes it.
  const int code = RunModal(about, [&] { PressKey(WXK_ESCAPE); });
  EXPECT_EQ(code, wxID_OK);
}

