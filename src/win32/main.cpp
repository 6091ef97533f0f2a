#include "win32/tarvello_app.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  CTarvelloApp app;
  app.InitInstance();
  return 0;
}
