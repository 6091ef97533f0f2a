#include "gui_support.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/stopwatch.h>
#include <wx/timer.h>
#include <wx/utils.h>

namespace gui_support {

void Pump(int milliseconds) {
  wxStopWatch watch;
  do {
    wxTheApp->Yield(true);
    wxMilliSleep(5);
  } while (watch.Time() < milliseconds);
}

bool PumpUntil(const std::function<bool()>& condition, int milliseconds) {
  wxStopWatch watch;
  while (!condition()) {
    if (watch.Time() > milliseconds) return false;
    wxTheApp->Yield(true);
    wxMilliSleep(5);
  }
  return true;
}

void Activate(wxWindow* window) {
  wxWindow* top = wxGetTopLevelParent(window);
  top->Raise();
  Pump(100);
  wxUIActionSimulator simulator;
  // Without a window manager the keyboard follows the pointer.
  const wxRect rect = top->GetScreenRect();
  simulator.MouseMove(rect.GetLeft() + 2, rect.GetTop() + 2);
  Pump(50);
}

void PressKey(int keyCode, int modifiers) {
  wxUIActionSimulator simulator;
  simulator.Char(keyCode, modifiers);
  Pump(60);
}

void Click(wxWindow* window, int button) {
  wxUIActionSimulator simulator;
  const wxRect rect = window->GetScreenRect();
  simulator.MouseMove(rect.GetLeft() + rect.GetWidth() / 2, rect.GetTop() + rect.GetHeight() / 2);
  Pump(30);
  simulator.MouseClick(button);
  Pump(60);
}

wxDialog* g_runningModal = nullptr;

namespace {
int g_realDialogs = 0;
}  // namespace

AllowRealDialogs::AllowRealDialogs() { ++g_realDialogs; }
AllowRealDialogs::~AllowRealDialogs() { --g_realDialogs; }
bool RealDialogsAllowed() { return g_realDialogs > 0; }

int RunModal(wxDialog& dialog, const std::function<void()>& during, int milliseconds) {
  wxDialog* outer = g_runningModal;
  g_runningModal = &dialog;
  bool timedOut = false;
  wxTimer guard;
  guard.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    timedOut = true;
    if (dialog.IsModal()) dialog.EndModal(-1);
  });
  guard.StartOnce(milliseconds);
  dialog.CallAfter([&] {
    Activate(&dialog);
    during();
  });
  const int code = dialog.ShowModal();
  guard.Stop();
  g_runningModal = outer;
  EXPECT_FALSE(timedOut) << "the dialog was still open after " << milliseconds << " ms";
  return code;
}

DialogFixture::DialogFixture(platform::FolderOpener openFolder) {
  music = root / "music";
  ini = root / "tarvello.ini";
  testing_support::MakeDir(music);
  CTarvelloDlg::Options options;
  options.services.random = &random;
  options.services.pauser = &pauser;
  options.services.executablePath = root / "tarvello";
  options.services.openFolder = std::move(openFolder);
  options.folderPicker = [this](wxWindow*, std::string* path) {
    ++pickerCalls;
    if (pickerAnswers) *path = pickerPath;
    return pickerAnswers;
  };
  dialog = std::make_unique<CTarvelloDlg>(nullptr, options);
}

DialogFixture::~DialogFixture() {
  if (dialog) {
    dialog->Destroy();
    dialog.release();
    Pump(10);
  }
}

std::string DialogFixture::IniText() const {
  return testing_support::Exists(ini) ? testing_support::ReadFile(ini) : "<none>";
}

}  // namespace gui_support
