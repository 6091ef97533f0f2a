// The program's byte strings on the screen of the Windows window.
#pragma once

#include <string>

namespace win32 {

// Text for a control: WTF-8 shown as it is, anything else rendered visibly
// (invalid bytes as U+FFFD), and control characters as visible symbols when
// asked.
std::wstring ToScreen(const std::string& bytes, bool visibleControls);
// A control's text back as WTF-8.
std::string FromScreen(const std::wstring& text);

}  // namespace win32
