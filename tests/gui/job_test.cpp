// Whole jobs done through the window: the buttons, the folder picker, the
// question box, the lists and the progress overlay.
#include "gui_support.h"
#include "expectations.h"

#include "dialog/name_list.h"
#include "dialog/overlay.h"
#include "resource.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <wx/dirdlg.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

using namespace gui_support;
using testing_support::ListNames;
using testing_support::ReadFile;
using testing_support::WriteFile;

namespace {

class Job : public ::testing::Test, protected DialogFixture {
 protected:
  Job() {
    for (const char* name : {"a.mp3", "b.mp3", "c.txt"}) WriteFile(music + "/" + name, name);
    dialog->Show();
    Activate(dialog.get());
  }
  CTarvelloDlg& dlg() { return *dialog; }
  wxWindow* Control(int id) { return dlg().FindWindow(id); }
  CNameList* List(int id) { return id == IDC_OLD_LIST ? dlg().oldList() : dlg().newList(); }
  wxString Cell(int list, long row, int column = 1) { return List(list)->GetItemText(row, column); }
  // Fills the folder box as a user types it, then presses Search.
  void SearchTyped(const std::string& folder) {
    auto* box = static_cast<wxTextCtrl*>(Control(IDC_FOLDER));
    box->SetFocus();
    box->SelectAll();
    wxUIActionSimulator().Text(folder.c_str());
    Pump(50);
    Click(Control(IDC_SEARCH));
  }
};

// Pauses that look at the overlay when they happen, and a count of the
// overlay's drawings.
class OverlayWatcher : public platform::Pauser {
 public:
  explicit OverlayWatcher(CTarvelloDlg** dialog) : dialog_(dialog) {}
  void Watch() {
    (*dialog_)->overlay()->Bind(wxEVT_PAINT, [this](wxPaintEvent& event) {
      ++paints;
      event.Skip();
    });
  }
  void Pause(int) override {
    COverlay* overlay = (*dialog_)->overlay();
    seen.push_back({overlay->GetLabel().utf8_str().data(), overlay->IsShownOnScreen(), paints});
  }
  unsigned long paints = 0;
  struct Seen {
    std::string label;
    bool shown;
    unsigned long paints;
  };
  std::vector<Seen> seen;

 private:
  CTarvelloDlg** dialog_;
};

}  // namespace

TEST_F(Job, AWholeJobByButtonPressesAnsweredYes) {
  SearchTyped(music);
  EXPECT_EQ(List(IDC_OLD_LIST)->GetItemCount(), 2);
  EXPECT_TRUE(Control(IDC_RANDOM)->IsEnabled());
  EXPECT_FALSE(Control(IDC_RUN)->IsEnabled());
  EXPECT_EQ(IniText(), "[Config]\nFolder=" + music + "\nFile=mp3\n");

  Click(Control(IDC_ADD));
  Click(Control(IDC_RANDOM));
  ASSERT_EQ(List(IDC_NEW_LIST)->GetItemCount(), 2);
  EXPECT_EQ(Cell(IDC_NEW_LIST, 0, 0), "1");
  EXPECT_EQ(Cell(IDC_NEW_LIST, 1, 0), "2");
  EXPECT_TRUE(Control(IDC_RUN)->IsEnabled());

  ShownDialog question;
  wxTEST_DIALOG(Click(Control(IDC_RUN)), ExpectMessage(wxID_YES, &question));
  EXPECT_EQ(question.text, "파일 이름을 바꾸시겠습니까?");
  EXPECT_EQ(question.title, "확인");
  EXPECT_EQ(question.parent, &dlg());
  EXPECT_TRUE((question.style & wxYES_NO) && (question.style & wxICON_QUESTION));

  const std::vector<std::string> renamed = ListNames(music);
  EXPECT_EQ(renamed.size(), 3u);
  for (const std::string& name : renamed) {
    if (name == "c.txt") continue;
    EXPECT_TRUE(name.rfind("0001_", 0) == 0 || name.rfind("0002_", 0) == 0) << name;
    EXPECT_EQ(ReadFile(music + "/" + name), name.substr(5));
  }
  EXPECT_EQ(Control(IDC_STATUS)->GetLabel(), "COMPLETE!!");
  EXPECT_FALSE(Control(IDC_RANDOM)->IsEnabled());
  EXPECT_FALSE(Control(IDC_RUN)->IsEnabled());
  EXPECT_EQ(IniText(), "[Config]\nFolder=" + music + "\nFile=mp3\nMethod=0\n");
  // The status line sits in the middle of its area.
  const wxRect area(dlg().ConvertDialogToPixels(wxPoint(275, 130)),
                    dlg().ConvertDialogToPixels(wxSize(73, 16)));
  const wxRect status = Control(IDC_STATUS)->GetRect();
  EXPECT_LE(std::abs(status.GetTop() - area.GetTop() - (area.GetBottom() - status.GetBottom())), 1);
}

TEST_F(Job, RandomWithoutAMethodTellsSoInTheProgramsBox) {
  SearchTyped(music);
  ShownDialog message;
  wxTEST_DIALOG(Click(Control(IDC_RANDOM)), ExpectMessage(wxID_OK, &message));
  EXPECT_EQ(message.text, "method 선택 필요!!");
  EXPECT_EQ(message.title, "Tarvello");
  EXPECT_EQ(List(IDC_NEW_LIST)->GetItemCount(), 0);
}

TEST_F(Job, AFolderPickedDroppedOrGivenIsSearched) {
  pickerAnswers = true;
  pickerPath = music;
  Click(Control(IDC_SELECT));
  EXPECT_EQ(pickerCalls, 1);
  EXPECT_EQ(static_cast<wxTextCtrl*>(Control(IDC_FOLDER))->GetValue(), wxString(music));
  EXPECT_EQ(List(IDC_OLD_LIST)->GetItemCount(), 2);

  // Dropped on the window, another folder is searched the same way.
  testing_support::MakeDir(root / "other");
  WriteFile(root / "other/x.mp3", "x");
  wxString* dropped = new wxString[1]{wxString(root / "other")};  // the event deletes it
  wxDropFilesEvent drop(wxEVT_DROP_FILES, 1, dropped);
  dlg().ProcessWindowEvent(drop);
  EXPECT_EQ(Cell(IDC_OLD_LIST, 0), "x.mp3");

  // And given on the command line, as soon as the window runs.
  CTarvelloDlg::Options options;
  options.services.pauser = &pauser;
  options.services.executablePath = root / "tarvello";
  options.openFolder = music;
  CTarvelloDlg given(nullptr, options);
  given.Show();
  PumpUntil([&] { return given.oldList()->GetItemCount() == 2; });
  EXPECT_EQ(given.oldList()->GetItemCount(), 2);
  given.Hide();
}

TEST_F(Job, TheRealFolderDialogCanBeCancelled) {
  dlg().SetFolderText(music);
  ShownDialog picker;
  std::string path = "unchanged";
  bool picked = true;
  wxString message, preselected = "?";
  wxTEST_DIALOG(picked = CTarvelloDlg::PickFolderWithDialog(&dlg(), &path),
                ExpectDialog<wxDirDialog>(wxID_CANCEL, &picker, [&](wxDirDialog* d) {
                  message = d->GetMessage();
                  preselected = d->GetPath();
                }));
  EXPECT_FALSE(picked);
  EXPECT_EQ(path, "unchanged");
  EXPECT_EQ(message, "Please select folder");
  EXPECT_EQ(picker.parent, &dlg());
  EXPECT_TRUE(picker.style & wxDD_DIR_MUST_EXIST);
  // Nothing is pre-selected, whatever the folder box holds.
  EXPECT_EQ(preselected, "");
}

TEST_F(Job, OddNamesShowVisiblyAndStayExact) {
  const std::string bad("\xff\xfe" "bad.mp3");
  const std::string newline("two\nlines.mp3");
  WriteFile(music + "/" + bad, "bad");
  WriteFile(music + "/" + newline, "nl");
  // A folder whose name is not valid UTF-8 survives the folder box.
  const std::string oddFolder = root / std::string("\xfe" "dir");
  testing_support::MakeDir(oddFolder);
  WriteFile(oddFolder + "/" + bad, "bad");
  dlg().SetFolderText(oddFolder);
  EXPECT_EQ(dlg().FolderText(), oddFolder);
  Click(Control(IDC_SEARCH));
  ASSERT_EQ(List(IDC_OLD_LIST)->GetItemCount(), 1);
  EXPECT_EQ(Cell(IDC_OLD_LIST, 0), wxString::FromUTF8("\xEF\xBF\xBD\xEF\xBF\xBD" "bad.mp3"));

  dlg().SetFolderText(music);
  Click(Control(IDC_SEARCH));
  bool sawBad = false, sawNewline = false;
  for (long row = 0; row < List(IDC_OLD_LIST)->GetItemCount(); ++row) {
    EXPECT_FALSE(Cell(IDC_OLD_LIST, row).empty());
    sawBad |= dlg().workflow().job().row(static_cast<std::size_t>(row)).oldName == bad;
    sawNewline |= Cell(IDC_OLD_LIST, row) == wxString::FromUTF8("two\xE2\x90\x8Alines.mp3");
  }
  EXPECT_TRUE(sawBad);
  EXPECT_TRUE(sawNewline);

  // Once the user types, the box's text is taken as typed.
  static_cast<wxTextCtrl*>(Control(IDC_FOLDER))->ChangeValue(wxString::FromUTF8("/typed/노래"));
  EXPECT_EQ(dlg().FolderText(), "/typed/노래");
}

TEST(JobOverlay, IsPaintedBeforeEachPause) {
  CTarvelloDlg* current = nullptr;
  OverlayWatcher watcher(&current);
  testing_support::TempDir root;
  testing_support::MakeDir(root / "music");
  WriteFile(root / "music/a.mp3", "a");
  CTarvelloDlg::Options options;
  options.services.pauser = &watcher;
  options.services.executablePath = root / "tarvello";
  CTarvelloDlg dialog(nullptr, options);
  current = &dialog;
  watcher.Watch();
  dialog.Show();
  Activate(&dialog);
  dialog.SetFolderText(root / "music");
  Click(dialog.FindWindow(IDC_SEARCH));
  ASSERT_EQ(watcher.seen.size(), 2u);
  EXPECT_EQ(watcher.seen[0].label, "searching...");
  EXPECT_TRUE(watcher.seen[0].shown);
  EXPECT_GT(watcher.seen[0].paints, 0u);
  EXPECT_EQ(watcher.seen[1].label, "done");
  EXPECT_GT(watcher.seen[1].paints, watcher.seen[0].paints);
  EXPECT_FALSE(dialog.overlay()->IsShown());
  dialog.Hide();
}

TEST_F(Job, ThirtyThousandFilesAreListedAtOnce) {
  const std::string big = root / "big";
  testing_support::MakeDir(big);
  constexpr int kFiles = 30000;
  for (int i = 0; i < kFiles; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "track_%05d.mp3", i);
    const int fd = open((big + "/" + name).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    close(fd);
  }
  dlg().SetFolderText(big);
  Click(Control(IDC_SEARCH));
  CNameList* old = dlg().oldList();
  ASSERT_EQ(old->GetItemCount(), kFiles);
  EXPECT_EQ(Cell(IDC_OLD_LIST, kFiles - 1, 0), "30000");
  EXPECT_TRUE(Cell(IDC_OLD_LIST, kFiles - 1).StartsWith("track_"));
  Click(Control(IDC_ADD));
  Click(Control(IDC_RANDOM));
  EXPECT_EQ(List(IDC_NEW_LIST)->GetItemCount(), kFiles);
  // The last row is drawn when scrolled to.
  old->EnsureVisible(kFiles - 1);
  Pump(50);
  EXPECT_EQ(old->GetTopItem() + old->GetCountPerPage(), kFiles);
}
