#pragma once

#include <wx/iconbndl.h>

// The program's icon: 32 x 32 and 16 x 16, 16 colours each.
wxIconBundle TarvelloIcons();
