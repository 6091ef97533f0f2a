// Letter case as a volume that ignores it sees names: FAT, exFAT and NTFS,
// and every name on Windows, take "Ä.mp3" and "ä.mp3" for one name.
#pragma once

#include <string>

namespace platform {

// The name with every letter upper-cased by the system's own Unicode rule
// (one character for one: "ß" stays), so that two names are one on such a
// volume when their folded forms are equal. ASCII letters always fold;
// bytes that are no UTF-8 (or WTF-8) stay as they are.
std::string FoldCase(const std::string& name);

}  // namespace platform
