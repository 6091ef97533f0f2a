// The exact bytes behind an edit box. A box shows a rendering of the bytes
// it was given (a folder whose name is no UTF-8 shows U+FFFD), and gives back
// those bytes exactly for as long as the user has not changed what it shows.
#pragma once

#include <string>

namespace shell {

class EditMemo {
 public:
  // The text the box is to show (UTF-8) for these bytes, remembered.
  const std::string& Show(const std::string& bytes);
  // The bytes for the box's text as it is now (UTF-8; WTF-8 on Windows):
  // the remembered ones while the text is what was shown, else the text.
  std::string Bytes(const std::string& shownNow) const;

 private:
  std::string bytes_;
  std::string shown_;
  bool remembered_ = false;
};

}  // namespace shell
