#include "app/app_icon.h"

#include <wx/bitmap.h>
#include <wx/icon.h>

#include "../../res/tarvello-16.xpm"
#include "../../res/tarvello-32.xpm"

wxIconBundle TarvelloIcons() {
  wxIconBundle icons;
  icons.AddIcon(wxIcon(tarvello_32_xpm));
  icons.AddIcon(wxIcon(tarvello_16_xpm));
  return icons;
}

wxPoint MinimizedIconPosition(int clientWidth, int clientHeight, int iconWidth, int iconHeight) {
  return wxPoint((clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2);
}
