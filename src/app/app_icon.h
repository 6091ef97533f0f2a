#pragma once

#include <wx/gdicmn.h>
#include <wx/iconbndl.h>

// The program's icon: 32 x 32 and 16 x 16, 16 colours each.
wxIconBundle TarvelloIcons();

// Where a minimised window draws its icon: centred in the client area,
// (size - icon + 1) / 2 in integer arithmetic truncating toward zero.
// 100 x 80 with a 32 x 32 icon gives (34, 24); 0 x 0 gives (-15, -15).
wxPoint MinimizedIconPosition(int clientWidth, int clientHeight, int iconWidth, int iconHeight);
