#include "platform/case_fold.h"

#include "platform/win32_support.h"

#include <windows.h>

namespace platform {

std::string FoldCase(const std::string& name) {
  // The system's own upper-casing, the same in every language (no Turkish
  // dotless i), as the file systems compare names.
  std::wstring wide;
  if (!WideFromWtf8(name, &wide) || wide.empty()) {
    std::string folded = name;
    for (char& c : folded) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return folded;
  }
  std::wstring upper(wide.size(), L'\0');
  const int length = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.c_str(),
                                   static_cast<int>(wide.size()), &upper[0],
                                   static_cast<int>(upper.size()), nullptr, nullptr, 0);
  if (length <= 0) return name;
  upper.resize(static_cast<std::size_t>(length));
  return Wtf8FromWide(upper);
}

}  // namespace platform
