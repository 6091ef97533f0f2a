// The window tests' program: a wx application without a main loop of its own,
// running GoogleTest. A wx assertion, an unexpected modal dialog or a test
// that hangs becomes a test failure instead of a dialog box or a hang.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/modalhook.h>

#include "dialog/tarvello_dlg.h"
#include "gui_support.h"

#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {

class GuiTestApp : public wxApp {
 public:
  bool OnInit() override {
    SetAppDisplayName("Tarvello");
    return true;
  }
};

void AssertToFailure(const wxString& file, int line, const wxString& func, const wxString& cond,
                     const wxString& msg) {
  ADD_FAILURE_AT(file.utf8_str(), line)
      << "wx assertion in " << func.utf8_str() << ": " << cond.utf8_str() << " "
      << msg.utf8_str();
}

// Closes any modal dialog that no test expected (the main dialog apart), so
// that a test fails instead of waiting for a click that never comes.
class UnexpectedDialogGuard : public wxModalDialogHook {
 protected:
  int Enter(wxDialog* dialog) override {
    if (dynamic_cast<CTarvelloDlg*>(dialog) || dialog == gui_support::g_runningModal ||
        gui_support::RealDialogsAllowed()) {
      return wxID_NONE;
    }
    ADD_FAILURE() << "unexpected modal dialog \"" << dialog->GetTitle().utf8_str() << "\"";
    return wxID_CANCEL;
  }
  void Exit(wxDialog*) override {}
};

void OnHang(int) {
  const char message[] = "\nwindow test hung: stopped by its watchdog\n";
  ssize_t ignored = write(2, message, sizeof message - 1);
  (void)ignored;
  _exit(3);
}

// Every test gets a minute; a hang ends the whole program with a message.
class Watchdog : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { alarm(60); }
  void OnTestEnd(const ::testing::TestInfo&) override { alarm(0); }
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  std::signal(SIGALRM, OnHang);
  ::testing::UnitTest::GetInstance()->listeners().Append(new Watchdog);

  wxApp::SetInstance(new GuiTestApp);
  if (!wxEntryStart(argc, argv)) {
    std::fprintf(stderr, "cannot start the window toolkit (no display?)\n");
    return 1;
  }
  wxTheApp->CallOnInit();
  wxSetAssertHandler(AssertToFailure);
  UnexpectedDialogGuard guard;
  guard.Register();

  const int result = RUN_ALL_TESTS();

  wxTheApp->OnExit();
  wxEntryCleanup();
  return result;
}
