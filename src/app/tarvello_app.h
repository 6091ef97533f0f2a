#pragma once

#include <wx/app.h>

// The program: runs the main dialog modally and ends when it closes.
class CTarvelloApp : public wxApp {
 public:
  bool OnInit() override;
  int OnRun() override;
  // Runs the main dialog; returns false, as there is no loop of the
  // application's own to enter afterwards.
  bool InitInstance();
};
