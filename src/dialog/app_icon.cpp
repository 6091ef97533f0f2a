#include "dialog/app_icon.h"

#include <wx/bitmap.h>
#include <wx/icon.h>

#include "tarvello-16.xpm"
#include "tarvello-32.xpm"

wxIconBundle TarvelloIcons() {
  wxIconBundle icons;
  icons.AddIcon(wxIcon(tarvello_32_xpm));
  icons.AddIcon(wxIcon(tarvello_16_xpm));
  return icons;
}
