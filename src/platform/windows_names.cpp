#include "platform/windows_names.h"

#include "platform/wtf8.h"

namespace platform {

namespace {

char16_t UpperAscii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

// "CON", "PRN", "AUX", "NUL", and COM or LPT with a digit or a superscript
// one, two or three.
bool IsDeviceName(const std::u16string& base) {
  std::u16string upper;
  for (const char16_t c : base) upper += UpperAscii(c);
  if (upper == u"CON" || upper == u"PRN" || upper == u"AUX" || upper == u"NUL") return true;
  if (upper.size() != 4 || (upper.compare(0, 3, u"COM") != 0 && upper.compare(0, 3, u"LPT") != 0)) {
    return false;
  }
  const char16_t last = upper[3];
  return (last >= u'0' && last <= u'9') || last == u'\u00B9' || last == u'\u00B2' || last == u'\u00B3';
}

}  // namespace

Error WindowsNameError(const std::string& name) {
  std::u16string wide;
  if (name.empty()) return MakeError(ErrorCode::kBadName);
  if (!Utf16FromWtf8(name, &wide)) return OtherError("the new name would cut a character in two");
  if (wide.size() > 255) return MakeError(ErrorCode::kNameTooLong);
  for (const char16_t c : wide) {
    if (c < 32) return MakeError(ErrorCode::kBadName);
    for (const char16_t bad : u"<>:\"/\\|?*") {
      if (bad != 0 && c == bad) return MakeError(ErrorCode::kBadName);
    }
  }
  if (wide.back() == u'.' || wide.back() == u' ') return MakeError(ErrorCode::kBadName);
  // The device names count before the first dot, blanks at their end dropped.
  std::u16string base = wide.substr(0, wide.find(u'.'));
  while (!base.empty() && base.back() == u' ') base.pop_back();
  return IsDeviceName(base) ? MakeError(ErrorCode::kBadName) : Error{};
}

bool WindowsCanHoldName(const std::string& name) { return !WindowsNameError(name).failed(); }

}  // namespace platform
