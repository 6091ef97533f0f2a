// Traps a keyboard or mouse user fell into: the focus lost after Run, a
// report wider than the screen, and the keyboard's window menu under the
// mouse's next click.
#include "gui_support.h"
#include "expectations.h"

#include "resource.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <set>
#include <wx/timer.h>

using namespace gui_support;
using testing_support::WriteFile;

namespace {

class Traps : public ::testing::Test, protected DialogFixture {
 protected:
  CTarvelloDlg& dlg() { return *dialog; }
  wxWindow* Control(int id) { return dlg().FindWindow(id); }
  int FocusId() {
    wxWindow* focus = wxWindow::FindFocus();
    return focus ? focus->GetId() : 0;
  }
  // Presses a button from the keyboard: the focus on it, then Enter.
  void EnterOn(int id) {
    Control(id)->SetFocus();
    Pump(30);
    PressKey(WXK_RETURN);
  }
};

// The X windows called "Tarvello" that are on the screen.
std::set<unsigned long> TarvelloWindows() {
  std::set<unsigned long> ids;
  FILE* out = popen("xdotool search --onlyvisible --name '^Tarvello$' 2>/dev/null", "r");
  unsigned long id = 0;
  while (out != nullptr && std::fscanf(out, "%lu", &id) == 1) ids.insert(id);
  if (out != nullptr) pclose(out);
  return ids;
}

// Gives a window the keyboard, as a window manager gives it to a new window
// or back to the one under a closed box: the newest box on the screen, or
// the main window.
void FocusWindow(bool box) {
  const std::string pick = box ? "grep -v -x \"$main\" | tail -n 1" : "grep -x \"$main\"";
  const std::string command =
      "main=$(xdotool search --onlyvisible --name '^Tarvello$' | head -n 1); "
      "w=$(xdotool search --onlyvisible --class . | " + pick + "); "
      "[ -n \"$w\" ] && xdotool windowfocus --sync \"$w\"";
  if (std::system(command.c_str()) != 0) ADD_FAILURE() << "no window to give the keyboard";
}

// Presses a key in the newest box, which has the keyboard.
void AnswerBox(const std::string& key) {
  FocusWindow(true);
  Pump(200);
  if (std::system(("xdotool key " + key).c_str()) != 0) ADD_FAILURE() << "xdotool failed";
}

// The widest of those windows that are not among `before`, in pixels.
int WidestNewWindow(const std::set<unsigned long>& before) {
  int widest = -1;
  for (const unsigned long id : TarvelloWindows()) {
    if (before.count(id)) continue;
    char command[128];
    std::snprintf(command, sizeof command, "xdotool getwindowgeometry %lu", id);
    FILE* geometry = popen(command, "r");
    char line[256];
    while (geometry != nullptr && std::fgets(line, sizeof line, geometry)) {
      int width = 0, height = 0;
      if (std::sscanf(line, " Geometry: %dx%d", &width, &height) == 2 && width > widest) widest = width;
    }
    if (geometry != nullptr) pclose(geometry);
  }
  return widest;
}

}  // namespace

TEST_F(Traps, TheKeyboardStillWorksAfterRun) {
  WriteFile(music + "/a.mp3", "a");
  dlg().SetFolderText(music);
  dlg().SetCheckedMethod(RenameMethod::kAdd);
  int focusAfterRun = 0;
  const int code = RunModal(dlg(), [&] {
    EnterOn(IDC_SEARCH);
    EnterOn(IDC_RANDOM);
    ShownDialog question;
    wxTEST_DIALOG(EnterOn(IDC_RUN), ExpectMessage(wxID_YES, &question));
    ASSERT_EQ(Control(IDC_STATUS)->GetLabel(), "COMPLETE!!");
    // Random and Run are disabled now; the focus went on as Tab would.
    focusAfterRun = FocusId();
    PressKey(WXK_ESCAPE);
  });
  EXPECT_EQ(focusAfterRun, IDC_SELECT);
  EXPECT_EQ(code, wxID_CANCEL);
}

TEST_F(Traps, EscStillEndsTheProgramAfterARunAnsweredInTheQuestionBox) {
  // The question box had the keyboard, as any window manager gives it one;
  // Run answered Yes there disabled the button the keyboard came back to.
  WriteFile(music + "/a.mp3", "a");
  dlg().SetFolderText(music);
  dlg().SetCheckedMethod(RenameMethod::kAdd);
  const int code = RunModal(dlg(), [&] {
    EnterOn(IDC_SEARCH);
    EnterOn(IDC_RANDOM);
    AllowRealDialogs showThem;
    wxTimer answer;
    answer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { AnswerBox("Return"); });
    answer.StartOnce(500);
    Control(IDC_RUN)->SetFocus();
    Click(Control(IDC_RUN));
    PumpUntil([&] { return Control(IDC_STATUS)->GetLabel() == "COMPLETE!!"; }, 4000);
    // The box is gone and the window has the keyboard back: Esc ends it.
    FocusWindow(false);
    Pump(300);
    PressKey(WXK_ESCAPE);
  }, 6000);
  EXPECT_EQ(code, wxID_CANCEL);
}

TEST_F(Traps, TheFailureReportFitsOnTheScreen) {
  // A 255-byte name cannot take a number: the report names it.
  const std::string longName = std::string(247, 'L') + "_end.mp3";
  WriteFile(music + "/" + longName, "x");
  dialog->Show();
  Activate(dialog.get());
  dlg().SetFolderText(music);
  Click(Control(IDC_SEARCH));
  dlg().SetCheckedMethod(RenameMethod::kAdd);
  Click(Control(IDC_RANDOM));
  int width = -1;
  const std::set<unsigned long> before = TarvelloWindows();
  wxTimer answer, measure;
  answer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { AnswerBox("Return"); });
  measure.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    width = WidestNewWindow(before);
    AnswerBox("Return");  // OK
  });
  {
    // The question and the report show for real.
    AllowRealDialogs showThem;
    answer.StartOnce(500);
    measure.StartOnce(1300);
    Click(Control(IDC_RUN));
    PumpUntil([&] { return width >= 0; }, 4000);
    Pump(200);
  }
  const int screen = wxGetDisplaySize().GetWidth();
  ASSERT_GT(width, 0) << "the report was not seen";
  EXPECT_LE(width, screen * 3 / 4) << "report " << width << " px on a screen of " << screen;
}

TEST_F(Traps, TheKeyboardsWindowMenuOpensBelowTheFocusedControl) {
  dialog->Show();
  Activate(dialog.get());
  Control(IDC_SEARCH)->SetFocus();
  Pump(30);
  // A click meant for the folder box, while the menu is open.
  wxTimer click;
  click.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    wxUIActionSimulator mouse;
    const wxRect box = Control(IDC_FOLDER)->GetScreenRect();
    mouse.MouseMove(box.GetLeft() + 8, box.GetTop() + 4);
    mouse.MouseClick();
  });
  wxTimer dismiss;
  dismiss.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { wxUIActionSimulator().Char(WXK_ESCAPE); });
  click.StartOnce(300);
  dismiss.StartOnce(700);
  PressKey(WXK_F10, wxMOD_SHIFT);
  Pump(900);
  EXPECT_TRUE(dlg().IsShown()) << "the click chose Close";
  const wxPoint at = dlg().KeyboardMenuPosition();
  const wxRect search = Control(IDC_SEARCH)->GetRect();
  EXPECT_EQ(at, wxPoint(search.GetLeft(), search.GetBottom() + 1));
}

