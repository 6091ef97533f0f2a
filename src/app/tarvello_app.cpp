// The program: for now a plain main dialog titled "Tarvello".
#include <wx/wx.h>

class CTarvelloApp : public wxApp {
 public:
  bool OnInit() override { return true; }
  int OnRun() override {
    wxDialog dialog(nullptr, wxID_ANY, "Tarvello");
    dialog.ShowModal();
    return 0;
  }
};

wxIMPLEMENT_APP(CTarvelloApp);
