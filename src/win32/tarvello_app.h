// The program: runs the main dialog modally and ends when it closes.
#pragma once

class CTarvelloApp {
 public:
  // Runs the main dialog; returns false, as there is no loop of the
  // application's own to enter afterwards.
  bool InitInstance();
};
