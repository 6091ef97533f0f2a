#include "rename/journal.h"

#include "platform/path.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <cstdint>
#include <string_view>

namespace {

const char kMagic1[] = "Tarvello journal 1\n";
const char kMagic2[] = "Tarvello journal 2\n";
const char kMagic3[] = "Tarvello journal 3\n";
// More rows than any folder listing could give.
constexpr std::uint64_t kMaxRows = 100000000;
constexpr std::uint64_t kMaxNameBytes = 1 << 20;

// Reads a journal's text from the start, one piece at a time; any piece that
// is not there makes the reader fail for good.
class Reader {
 public:
  explicit Reader(const std::string& text) : text_(text) {}
  std::size_t position() const { return pos_; }
  std::size_t left() const { return text_.size() - pos_; }
  bool Peek(std::string_view word) const { return text_.compare(pos_, word.size(), word) == 0; }
  bool Literal(std::string_view word) {
    if (word.size() > left() || std::memcmp(text_.data() + pos_, word.data(), word.size()) != 0) return false;
    pos_ += word.size();
    return true;
  }
  bool Char(char c) {
    if (pos_ == text_.size() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }
  // Decimal digits, no sign, no leading zero unless the number is 0.
  bool Number(std::uint64_t limit, std::uint64_t* value) {
    const std::size_t start = pos_;
    std::uint64_t n = 0;
    while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
      if (n > (limit - static_cast<std::uint64_t>(text_[pos_] - '0')) / 10) return false;
      n = n * 10 + static_cast<std::uint64_t>(text_[pos_] - '0');
      ++pos_;
    }
    if (pos_ == start || (pos_ - start > 1 && text_[start] == '0')) return false;
    *value = n;
    return true;
  }
  bool Bytes(std::uint64_t count, std::string* out) {
    std::string_view bytes;
    if (!Bytes(count, &bytes)) return false;
    out->assign(bytes);
    return true;
  }
  bool Bytes(std::uint64_t count, std::string_view* out) {
    if (count > text_.size() - pos_) return false;
    *out = std::string_view(text_).substr(pos_, static_cast<std::size_t>(count));
    pos_ += static_cast<std::size_t>(count);
    return true;
  }
  // `count` characters, each one of `allowed`.
  bool Marks(std::uint64_t count, const std::string& allowed, std::string* out) {
    if (count > text_.size() - pos_) return false;
    out->assign(text_, pos_, static_cast<std::size_t>(count));
    if (out->find_first_not_of(allowed) != std::string::npos) return false;
    pos_ += static_cast<std::size_t>(count);
    return true;
  }

 private:
  const std::string& text_;
  std::size_t pos_ = 0;
};

void AppendNumber(std::string* text, std::uint64_t number) {
  char digits[24];
  const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, number);
  text->append(digits, end.ptr);
}

// A record of one mark per row: "<word> <count>\n<marks>\n".
std::string MarkRecord(const char* word, const std::string& marks) {
  std::string text = word;
  text += ' ';
  AppendNumber(&text, marks.size());
  text += '\n';
  text += marks;
  text += '\n';
  return text;
}

}  // namespace

std::string JournalStart(const std::string& fullFolder, const std::optional<platform::FileId>& id,
                         const RenameJob& job) {
  // Room for the rows: their names, two sizes of a few digits, a blank and
  // two line feeds.
  std::size_t rowsSize = 0;
  for (std::size_t i = 0; i < job.newCount(); ++i) {
    rowsSize += job.row(i).oldName.size() + job.row(i).newName.size() + 16;
  }
  std::string text;
  text.reserve(128 + fullFolder.size() + rowsSize);
  text += kMagic3;
  text += "folder ";
  AppendNumber(&text, fullFolder.size());
  text += '\n';
  text += fullFolder;
  text += '\n';
  if (id) {
    text += "id ";
    AppendNumber(&text, id->device);
    text += ' ';
    AppendNumber(&text, id->node);
    text += '\n';
  }
  text += "rows ";
  AppendNumber(&text, job.newCount());
  text += '\n';
  for (std::size_t i = 0; i < job.newCount(); ++i) {
    const RenameRow& row = job.row(i);
    char sizes[48];
    char* at = std::to_chars(sizes, sizes + 20, row.oldName.size()).ptr;
    *at++ = ' ';
    at = std::to_chars(at, at + 20, row.newName.size()).ptr;
    *at++ = '\n';
    text.append(sizes, at);
    text += row.oldName;
    text += row.newName;
    text += '\n';
  }
  text += "ready\n";
  return text;
}

std::string JournalResult(const RunResult& result) {
  std::string marks;
  marks.reserve(result.outcomes.size());
  for (const RowOutcome outcome : result.outcomes) {
    marks += outcome == RowOutcome::kRenamed ? '1' : outcome == RowOutcome::kError ? '?' : '0';
  }
  return MarkRecord("result", marks);
}

std::string JournalOrder(const OrderPlan& plan) {
  std::string text = "order ";
  text += plan.method == OrderMethod::kSibling ? 's' : plan.method == OrderMethod::kDirect ? 'd' : 'i';
  text += ' ';
  text += plan.token;
  text += ' ';
  AppendNumber(&text, plan.moves.size());
  text += ' ';
  AppendNumber(&text, plan.ordered);
  text += '\n';
  for (std::size_t i = 0; i < plan.moves.size(); ++i) {
    if (plan.method == OrderMethod::kDirect && i < plan.ordered) {
      AppendNumber(&text, plan.rows[i]);
      text += '\n';
      continue;
    }
    const std::string& name = plan.moves[i];
    AppendNumber(&text, name.size());
    text += '\n';
    text += name;
    text += '\n';
  }
  return text;
}

std::string JournalOrdered() { return "ordered\n"; }

namespace {
std::string RowMarks(std::size_t rows, const std::vector<std::size_t>& marked) {
  std::string marks(rows, '0');
  for (const std::size_t row : marked) {
    if (row < rows) marks[row] = '1';
  }
  return marks;
}
}  // namespace

std::string JournalUndoing(std::size_t rows, const std::vector<std::size_t>& tried) {
  return MarkRecord("undoing", RowMarks(rows, tried));
}

std::string JournalUndone(std::size_t rows, const std::vector<std::size_t>& givenBack) {
  return MarkRecord("undone", RowMarks(rows, givenBack));
}

std::string JournalSpent() { return "spent\n"; }

bool RecordMayFollow(const Journal& so, JournalRecord next) {
  const JournalRecord last = so.last;
  const bool undoing = last == JournalRecord::kUndoing || last == JournalRecord::kUndone;
  if (last == JournalRecord::kSpent) return false;
  switch (next) {
    case JournalRecord::kReady: return false;
    case JournalRecord::kResult: return !so.finished && !undoing;
    case JournalRecord::kOrder: return !so.order && !undoing;
    case JournalRecord::kOrdered: return so.order && !so.orderEnded && last != JournalRecord::kUndoing;
    case JournalRecord::kUndoing: return true;
    case JournalRecord::kUndone: return last == JournalRecord::kUndoing;
    case JournalRecord::kSpent: return true;
  }
  return false;
}

namespace {

// The record a text starts with, by its first word.
std::optional<JournalRecord> RecordAt(Reader& in) {
  if (in.Peek(JournalOrdered())) return JournalRecord::kOrdered;
  if (in.Peek(JournalSpent())) return JournalRecord::kSpent;
  if (in.Peek("result ")) return JournalRecord::kResult;
  if (in.Peek("order ")) return JournalRecord::kOrder;
  if (in.Peek("undoing ")) return JournalRecord::kUndoing;
  if (in.Peek("undone ")) return JournalRecord::kUndone;
  return std::nullopt;
}

// "<word> <count>\n<marks>\n" with one mark per row, each one of `allowed`.
bool ReadMarks(Reader& in, const char* word, std::uint64_t rows, const char* allowed, std::string* marks) {
  std::uint64_t count = 0;
  return in.Literal(std::string(word) + " ") && in.Number(kMaxRows, &count) && count == rows &&
         in.Literal("\n") && in.Marks(count, allowed, marks) && in.Literal("\n");
}

// The rows a record's marks give '1'.
void SetMarked(const std::string& marks, std::vector<bool>* rows) {
  for (std::size_t i = 0; i < marks.size(); ++i) {
    if (marks[i] == '1') (*rows)[i] = true;
  }
}

bool ReadOrder(Reader& in, const std::string& folder, const std::vector<RenameRow>& rows, bool direct,
               std::shared_ptr<OrderPlan>* read) {
  auto plan = std::make_shared<OrderPlan>();
  plan->folder = folder;
  std::string method;
  std::uint64_t moves = 0, ordered = 0;
  bool whole = in.Literal("order ") && in.Marks(1, direct ? "sid" : "si", &method) && in.Literal(" ") &&
               in.Marks(kTokenLength, kTokenAlphabet, &plan->token) && in.Literal(" ") &&
               in.Number(kMaxRows, &moves) && in.Literal(" ") && in.Number(kMaxRows, &ordered) &&
               in.Literal("\n") && ordered <= moves;
  const bool byRow = method == "d";
  for (std::uint64_t i = 0; whole && i < moves; ++i) {
    std::uint64_t size = 0, row = 0;
    std::string name;
    if (byRow && i < ordered) {
      // A renamed file: its row's names, which must be a rename.
      whole = in.Number(kMaxRows, &row) && in.Literal("\n") && row < rows.size() && !rows[row].newName.empty();
      if (!whole) break;
      plan->rows.push_back(static_cast<std::size_t>(row));
      plan->sources.push_back(rows[row].oldName);
      plan->moves.push_back(rows[row].newName);
      continue;
    }
    whole = in.Number(kMaxNameBytes, &size) && in.Literal("\n") && in.Bytes(size, &name) &&
            in.Literal("\n") && platform::IsPlainName(name);
    if (byRow) plan->sources.push_back(name);
    plan->moves.push_back(std::move(name));
  }
  if (!whole) return false;
  plan->method = method == "s" ? OrderMethod::kSibling : byRow ? OrderMethod::kDirect : OrderMethod::kInPlace;
  plan->ordered = static_cast<std::size_t>(ordered);
  *read = std::move(plan);
  return true;
}

}  // namespace

namespace {

// The journal's head, up to "ready": false, with the reason, when it is not
// whole or not one this program could have written.
bool ReadHead(Reader& in, int version, JournalRows keep, Journal& j, JournalProblem* problem) {
  std::uint64_t folderSize = 0, rows = 0;
  bool whole = in.Literal("folder ") && in.Number(kMaxNameBytes, &folderSize) && in.Literal("\n") &&
               in.Bytes(folderSize, &j.folder) && in.Literal("\n");
  if (whole && version >= 2 && in.Literal("id ")) {
    platform::FileId id;
    whole = in.Number(UINT64_MAX, &id.device) && in.Literal(" ") && in.Number(UINT64_MAX, &id.node) &&
            in.Literal("\n");
    j.folderId = id;
  }
  whole = whole && in.Literal("rows ") && in.Number(kMaxRows, &rows) && in.Literal("\n");
  // Each row takes at least six bytes ("0 0\n\n" and a name).
  const bool kept = keep == JournalRows::kKeep;
  if (whole && kept) j.rows.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(rows, in.left() / 6)));
  // The program journals the bare names of one folder's files: anything
  // else would send an Undo elsewhere.
  bool plain = true;
  for (std::uint64_t i = 0; whole && i < rows; ++i) {
    std::uint64_t oldSize = 0, newSize = 0;
    std::string_view oldName, newName;
    whole = in.Number(kMaxNameBytes, &oldSize) && in.Char(' ') && in.Number(kMaxNameBytes, &newSize) &&
            in.Char('\n') && in.Bytes(oldSize, &oldName) && in.Bytes(newSize, &newName) && in.Char('\n');
    if (!whole) break;
    plain = plain && platform::IsPlainName(oldName) && (newName.empty() || platform::IsPlainName(newName));
    if (kept) j.rows.push_back(RenameRow{std::string(oldName), std::string(newName)});
  }
  j.rowCount = static_cast<std::size_t>(rows);
  j.rowsKept = kept;
  if (!whole || !in.Literal("ready\n")) {
    *problem = JournalProblem::kDamaged;
    return false;
  }
  if (!platform::IsAbsolutePath(j.folder)) {
    *problem = JournalProblem::kFolderNotFull;
    return false;
  }
  if (!plain) {
    *problem = JournalProblem::kNamesOutside;
    return false;
  }
  return true;
}

// One record, if it reads whole, applied to the journal.
bool ReadRecord(Reader& in, int version, JournalRecord record, Journal& j) {
  const std::uint64_t rows = j.rowCount;
  std::string marks;
  switch (record) {
    case JournalRecord::kResult:
      if (!ReadMarks(in, "result", rows, version >= 2 ? "01?" : "01", &marks)) return false;
      for (const char mark : marks) j.renamed.push_back(static_cast<RunMark>(mark));
      j.finished = true;
      return true;
    case JournalRecord::kOrder:
      return ReadOrder(in, j.folder, j.rows, version >= 3, &j.order);
    case JournalRecord::kOrdered:
      return j.orderEnded = in.Literal(JournalOrdered());
    case JournalRecord::kUndoing:
      if (!ReadMarks(in, "undoing", rows, "01", &marks)) return false;
      SetMarked(marks, &j.uncertain);
      return true;
    case JournalRecord::kUndone:
      if (!ReadMarks(in, "undone", rows, "01", &marks)) return false;
      // What the Undo did is known now, row by row.
      SetMarked(marks, &j.undone);
      j.uncertain.assign(j.rowCount, false);
      return true;
    case JournalRecord::kSpent:
      return j.spent = in.Literal(JournalSpent());
    case JournalRecord::kReady:
      return false;
  }
  return false;
}

}  // namespace

bool ParseJournal(const std::string& text, Journal* journal, JournalProblem* problem, JournalRows keep) {
  Reader in(text);
  Journal j;
  const int version = in.Literal(kMagic3) ? 3 : in.Literal(kMagic2) ? 2 : in.Literal(kMagic1) ? 1 : 0;
  if (version == 0) {
    *problem = JournalProblem::kNotOurs;
    return false;
  }
  if (!ReadHead(in, version, keep, j, problem)) return false;
  j.undone.assign(j.rowCount, false);
  j.uncertain.assign(j.rowCount, false);
  // The records, as far as they read whole and in their order.
  for (;;) {
    j.goodSize = in.position();
    const std::optional<JournalRecord> next = RecordAt(in);
    if (!next) break;
    // An order step's moves name rows.
    if (*next == JournalRecord::kOrder && !j.rowsKept) return ParseJournal(text, journal, problem);
    // The first versions wrote an Undo's end without its beginning.
    const JournalRecord asIf = version < 3 && *next == JournalRecord::kUndone ? JournalRecord::kUndoing : *next;
    const bool known = version == 3 || *next == JournalRecord::kResult || *next == JournalRecord::kSpent ||
                       (version == 2 && *next != JournalRecord::kUndoing);
    if (!known || !RecordMayFollow(j, asIf) || !ReadRecord(in, version, *next, j)) break;
    j.last = *next;
  }
  j.tornTail = j.goodSize != text.size();
  *journal = std::move(j);
  return true;
}

UndoPlan PlanUndo(const Journal& journal, platform::Folder& folder,
                  const std::unordered_set<std::string>& waiting) {
  UndoPlan plan;
  for (std::size_t i = journal.rows.size(); i-- > 0;) {
    const RenameRow& row = journal.rows[i];
    if (row.oldName == row.newName || row.newName.empty() || journal.undone[i]) continue;
    if (waiting.count(row.newName) != 0) continue;
    RunMark mark = journal.finished ? journal.renamed[i] : RunMark::kUnsure;
    if (mark == RunMark::kNotRenamed) continue;
    if (i < journal.uncertain.size() && journal.uncertain[i]) mark = RunMark::kUnsure;
    if (mark == RunMark::kUnsure && !(folder.Has(row.newName) == platform::Presence::kPresent &&
                                      folder.Has(row.oldName) == platform::Presence::kAbsent)) {
      continue;
    }
    plan.renames.push_back(RenameRow{row.newName, row.oldName});
    plan.journalRows.push_back(i);
  }
  return plan;
}

std::vector<std::size_t> RowsDoneWith(const UndoPlan& plan, const RunResult& result) {
  std::vector<std::size_t> rows;
  for (std::size_t i = 0; i < plan.journalRows.size() && i < result.outcomes.size(); ++i) {
    const RowOutcome outcome = result.outcomes[i];
    if (outcome == RowOutcome::kRenamed || outcome == RowOutcome::kSameName ||
        outcome == RowOutcome::kFileGone) {
      rows.push_back(plan.journalRows[i]);
    }
  }
  return rows;
}
