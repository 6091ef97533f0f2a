// The names Windows can give a file, on any system: a FAT, exFAT or NTFS
// volume is read by Windows in the end, whoever writes it.
#pragma once

#include "platform/error.h"

#include <string>

namespace platform {

// Whether a file can bear this name (WTF-8) on Windows: at most 255 UTF-16
// units, no control character and none of < > : " / \ | ? *, not ending in
// a dot or a space (Windows drops those), and no device name such as CON,
// NUL, COM1 or LPT1, alone or before an extension ("nul.mp3" is NUL too).
bool WindowsCanHoldName(const std::string& name);
// Why not: "the new name would cut a character in two" for bytes that are
// no WTF-8, kNameTooLong, or kBadName; no error when it can.
Error WindowsNameError(const std::string& name);

}  // namespace platform
