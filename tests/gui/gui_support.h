// Helpers for the window tests: a real CTarvelloDlg under Xvfb, real key
// presses and mouse clicks, and event processing between them.
#pragma once

#include "dialog/tarvello_dlg.h"
#include "test_support.h"

#include <wx/uiaction.h>

#include <functional>
#include <memory>
#include <string>

namespace gui_support {

// Processes window events for about the time given.
void Pump(int milliseconds = 50);
// Processes events until the condition holds or the time is up.
bool PumpUntil(const std::function<bool()>& condition, int milliseconds = 2000);

// Makes the dialog the active window with the keyboard focus, so that
// simulated keys reach it.
void Activate(wxWindow* window);

// Presses and releases a key, then lets the window handle it.
void PressKey(int keyCode, int modifiers = wxMOD_NONE);
// Clicks a window in its middle with the left (or another) mouse button.
void Click(wxWindow* window, int button = wxMOUSE_BTN_LEFT);

// The dialog RunModal is running, which the unexpected-dialog guard lets be.
extern wxDialog* g_runningModal;

// While one of these lives, the unexpected-dialog guard lets every dialog
// show for real (a test then closes it itself).
class AllowRealDialogs {
 public:
  AllowRealDialogs();
  ~AllowRealDialogs();
};
bool RealDialogsAllowed();

// Runs the dialog modally while `during` acts on it from inside the modal
// loop; a dialog still open after the time given is ended with the code -1
// and the test fails. Returns the dialog's return code.
int RunModal(wxDialog& dialog, const std::function<void()>& during, int milliseconds = 10000);

// A dialog with its settings file in a temporary folder, no pauses, a fixed
// random sequence and a scripted folder picker.
struct DialogFixture {
  // openFolder: where the workflow's folders come from; empty: the system's.
  explicit DialogFixture(platform::FolderOpener openFolder = {});
  ~DialogFixture();
  std::string IniText() const;

  testing_support::TempDir root;
  std::string music;
  std::string ini;
  testing_support::TestRandom random;
  testing_support::RecordingPauser pauser;
  // What the folder picker answers: a path, or nothing for Cancel.
  bool pickerAnswers = false;
  std::string pickerPath;
  int pickerCalls = 0;
  std::unique_ptr<CTarvelloDlg> dialog;
};

}  // namespace gui_support
