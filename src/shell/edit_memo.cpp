#include "shell/edit_memo.h"

#include "platform/bytes.h"

namespace shell {

const std::string& EditMemo::Show(const std::string& bytes) {
  bytes_ = bytes;
  shown_ = platform::DisplayUtf8(bytes, true);
  remembered_ = true;
  return shown_;
}

std::string EditMemo::Bytes(const std::string& shownNow) const {
  return remembered_ && shownNow == shown_ ? bytes_ : shownNow;
}

}  // namespace shell
