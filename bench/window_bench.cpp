// The real window with 30,000 files, on the display in $DISPLAY (scripts/
// bench.sh runs it under xvfb-run). Prints:
//   - the time from the end of Search's fixed pauses (switched off here) to
//     the Old list drawn with every row;
//   - the time from pressing Random to the New list drawn with every row;
//   - the peak memory with the rows listed, against the empty window.
#include "bench_support.h"

#include "dialog/name_list.h"
#include "dialog/tarvello_dlg.h"
#include "resource.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/init.h>
#include <wx/radiobut.h>
#include <wx/utils.h>

#include <cstdio>
#include <malloc.h>
#include <string>
#include <unistd.h>
#include <vector>

using bench::Clock;

namespace {

constexpr int kFiles = 30000;

class BenchApp : public wxApp {
 public:
  bool OnInit() override { return true; }
};

// The pauses take no time; the end of the second is the end of the pauses.
class TimedPauser : public platform::Pauser {
 public:
  void Pause(int) override { last = Clock::now(); }
  Clock::time_point last;
};

// When a list was last drawn, and how many rows it had then.
struct PaintWatch {
  void Attach(CNameList* target) {
    list = target;
    for (wxWindow* child : list->GetChildren()) {
      child->Bind(wxEVT_PAINT, [this](wxPaintEvent& event) {
        pending = true;
        event.Skip();
      });
    }
  }
  CNameList* list = nullptr;
  bool pending = false;
  Clock::time_point drawnAt;
  long drawnRows = -1;
};

void Pump(int milliseconds) {
  const Clock::time_point start = Clock::now();
  while (bench::MillisecondsSince(start) < milliseconds) {
    wxTheApp->Yield(true);
    wxMilliSleep(1);
  }
}

// Processes events until the list has been drawn with `rows` rows; returns
// when that drawing was done.
Clock::time_point WaitDrawn(PaintWatch& watch, long rows) {
  watch.drawnRows = -1;
  const Clock::time_point start = Clock::now();
  while (watch.drawnRows != rows && bench::MillisecondsSince(start) < 5000) {
    wxTheApp->Yield(true);
    // Yield returns once the paint handlers have run: the drawing is done.
    if (watch.pending) {
      watch.pending = false;
      watch.drawnAt = Clock::now();
      watch.drawnRows = watch.list->GetItemCount();
    }
  }
  return watch.drawnAt;
}

void Press(CTarvelloDlg& dialog, int id) {
  wxWindow* button = dialog.FindWindow(id);
  wxCommandEvent click(wxEVT_BUTTON, id);
  click.SetEventObject(button);
  button->ProcessWindowEvent(click);
}

}  // namespace

int main(int argc, char** argv) {
  wxApp::SetInstance(new BenchApp);
  if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
    std::fprintf(stderr, "cannot start the window toolkit (no display?)\n");
    return 1;
  }
  const std::string parent = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  const std::string root = parent + "/tarvello-window-bench";
  bench::RemoveTree(root);
  const std::string folder = bench::MakeTrackFolder(parent, "tarvello-window-bench", kFiles);

  TimedPauser pauser;
  CTarvelloDlg::Options options;
  options.services.pauser = &pauser;
  options.services.executablePath = parent + "/tarvello-window-bench-settings/tarvello";
  auto* dialog = new CTarvelloDlg(nullptr, options);
  dialog->Show();
  Pump(500);
  const long emptyPeakKb = bench::PeakMemoryKb();

  PaintWatch oldWatch, newWatch;
  oldWatch.Attach(dialog->oldList());
  newWatch.Attach(dialog->newList());
  dialog->SetCheckedMethod(RenameMethod::kAdd);

  std::vector<double> searchShown, searchWhole, randomShown;
  const std::size_t heapEmpty = mallinfo2().uordblks;
  std::size_t heapFull = 0;
  for (int rep = 0; rep < 7; ++rep) {
    dialog->SetFolderText(folder);
    const Clock::time_point pressed = Clock::now();
    Press(*dialog, IDC_SEARCH);
    const Clock::time_point oldDrawn = WaitDrawn(oldWatch, kFiles);
    if (rep == 0) std::printf("  (after the first Search: peak %ld kB)\n", bench::PeakMemoryKb());
    searchShown.push_back(std::chrono::duration<double, std::milli>(oldDrawn - pauser.last).count());
    searchWhole.push_back(std::chrono::duration<double, std::milli>(oldDrawn - pressed).count());

    const Clock::time_point random = Clock::now();
    Press(*dialog, IDC_RANDOM);
    const Clock::time_point newDrawn = WaitDrawn(newWatch, kFiles);
    randomShown.push_back(std::chrono::duration<double, std::milli>(newDrawn - random).count());
    if (rep == 0) heapFull = mallinfo2().uordblks;
    if (rep == 0) std::printf("  (after the first Random: peak %ld kB)\n", bench::PeakMemoryKb());
    Pump(50);
  }
  const long fullPeakKb = bench::PeakMemoryKb();

  std::printf("Window with %d files (median of %zu):\n", kFiles, searchShown.size());
  std::printf("  end of Search's pauses to the Old list drawn:  %7.2f ms  (target 50)\n",
              bench::Median(searchShown));
  std::printf("  Search pressed to the Old list drawn:          %7.2f ms  (pauses off)\n",
              bench::Median(searchWhole));
  std::printf("  Random pressed to the New list drawn:          %7.2f ms  (target 50)\n",
              bench::Median(randomShown));
  std::printf("  heap in use: +%.1f MB with the rows listed\n",
              (static_cast<double>(heapFull) - static_cast<double>(heapEmpty)) / (1 << 20));
  std::printf("  peak memory: empty window %ld kB, %d rows in both lists %ld kB: +%.1f MB "
              "(target 15)\n",
              emptyPeakKb, kFiles, fullPeakKb, (fullPeakKb - emptyPeakKb) / 1024.0);

  dialog->Destroy();
  bench::RemoveTree(folder);
  bench::RemoveTree(parent + "/tarvello-window-bench-settings");
  wxTheApp->OnExit();
  wxEntryCleanup();
  return 0;
}
