#include "rename/journal.h"

#include <charconv>
#include <cstdint>

namespace {

const char kMagic[] = "Tarvello journal 1\n";
// More rows than any folder listing could give.
constexpr std::uint64_t kMaxRows = 100000000;
constexpr std::uint64_t kMaxNameBytes = 1 << 20;

// Reads a journal's text from the start, one piece at a time; any piece that
// is not there makes the reader fail for good.
class Reader {
 public:
  explicit Reader(const std::string& text) : text_(text) {}
  bool AtEnd() const { return pos_ == text_.size(); }
  bool Literal(const std::string& word) {
    if (text_.compare(pos_, word.size(), word) != 0) return false;
    pos_ += word.size();
    return true;
  }
  // Decimal digits, no sign, no leading zero unless the number is 0.
  bool Number(std::uint64_t limit, std::uint64_t* value) {
    const std::size_t start = pos_;
    std::uint64_t n = 0;
    while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
      n = n * 10 + static_cast<std::uint64_t>(text_[pos_] - '0');
      if (n > limit) return false;
      ++pos_;
    }
    if (pos_ == start || (pos_ - start > 1 && text_[start] == '0')) return false;
    *value = n;
    return true;
  }
  bool Bytes(std::uint64_t count, std::string* out) {
    if (count > text_.size() - pos_) return false;
    out->assign(text_, pos_, static_cast<std::size_t>(count));
    pos_ += static_cast<std::size_t>(count);
    return true;
  }
  bool Bits(std::uint64_t count, std::vector<bool>* out) {
    if (count > text_.size() - pos_) return false;
    out->assign(static_cast<std::size_t>(count), false);
    for (std::size_t i = 0; i < count; ++i) {
      const char c = text_[pos_ + i];
      if (c != '0' && c != '1') return false;
      (*out)[i] = c == '1';
    }
    pos_ += static_cast<std::size_t>(count);
    return true;
  }

 private:
  const std::string& text_;
  std::size_t pos_ = 0;
};

}  // namespace

namespace {

void AppendNumber(std::string* text, std::uint64_t number) {
  char digits[24];
  const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, number);
  text->append(digits, end.ptr);
}

}  // namespace

std::string JournalStart(const std::string& folder, const RenameJob& job) {
  std::size_t size = 64 + folder.size();
  for (std::size_t i = 0; i < job.newCount(); ++i) {
    size += job.row(i).oldName.size() + job.row(i).newName.size() + 16;
  }
  std::string text;
  text.reserve(size);
  text += kMagic;
  text += "folder ";
  AppendNumber(&text, folder.size());
  text += '\n';
  text += folder;
  text += "\nrows ";
  AppendNumber(&text, job.newCount());
  text += '\n';
  for (std::size_t i = 0; i < job.newCount(); ++i) {
    const RenameRow& row = job.row(i);
    AppendNumber(&text, row.oldName.size());
    text += ' ';
    AppendNumber(&text, row.newName.size());
    text += '\n';
    text += row.oldName;
    text += row.newName;
    text += '\n';
  }
  text += "ready\n";
  return text;
}

std::string JournalResult(const RunResult& result) {
  std::string text = "result " + std::to_string(result.outcomes.size()) + "\n";
  text.reserve(text.size() + result.outcomes.size() + 1);
  for (const RowOutcome outcome : result.outcomes) text += outcome == RowOutcome::kRenamed ? '1' : '0';
  text += "\n";
  return text;
}

std::string JournalSpent() { return "spent\n"; }

bool ParseJournal(const std::string& text, Journal* journal, std::string* problem) {
  Reader in(text);
  Journal j;
  std::uint64_t folderSize = 0, rows = 0;
  if (!in.Literal(kMagic)) {
    *problem = "it is not a journal of this program";
    return false;
  }
  bool whole = in.Literal("folder ") && in.Number(kMaxNameBytes, &folderSize) && in.Literal("\n") &&
               in.Bytes(folderSize, &j.folder) && in.Literal("\n") && in.Literal("rows ") &&
               in.Number(kMaxRows, &rows) && in.Literal("\n");
  for (std::uint64_t i = 0; whole && i < rows; ++i) {
    std::uint64_t oldSize = 0, newSize = 0;
    RenameRow row;
    whole = in.Number(kMaxNameBytes, &oldSize) && in.Literal(" ") &&
            in.Number(kMaxNameBytes, &newSize) && in.Literal("\n") && in.Bytes(oldSize, &row.oldName) &&
            in.Bytes(newSize, &row.newName) && in.Literal("\n");
    if (whole) j.rows.push_back(std::move(row));
  }
  if (!whole || !in.Literal("ready\n")) {
    *problem = "it is cut short or damaged";
    return false;
  }
  if (in.Literal("result ")) {
    std::uint64_t count = 0;
    if (!in.Number(kMaxRows, &count) || count != rows || !in.Literal("\n") ||
        !in.Bits(count, &j.renamed) || !in.Literal("\n")) {
      *problem = "its record of the Run is damaged";
      return false;
    }
    j.finished = true;
  }
  if (in.Literal(JournalSpent())) j.spent = true;
  if (!in.AtEnd()) {
    *problem = "it is damaged at its end";
    return false;
  }
  *journal = std::move(j);
  return true;
}
