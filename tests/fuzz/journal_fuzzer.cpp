// libFuzzer target for the journal reader. For any text: nothing crashes or
// loops; a text that reads as a journal reads the same once written back,
// and what follows its good records changes nothing;
// every journal written from fuzzed rows reads back as it was, unless a
// name would reach outside its folder, which is refused; and an Undo's plan
// only ever names the journal's own rows.
#include "rename/journal.h"

#include "platform/path.h"
#include "fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Written(const Journal& journal) {
  RenameJob job;
  job.LoadProposal(std::vector<RenameRow>(journal.rows.begin(), journal.rows.end()));
  std::string text = JournalStart(journal.folder, journal.folderId, job);
  if (journal.finished) {
    RunResult result;
    for (const RunMark mark : journal.renamed) {
      result.outcomes.push_back(mark == RunMark::kRenamed  ? RowOutcome::kRenamed
                                : mark == RunMark::kUnsure ? RowOutcome::kError
                                                           : RowOutcome::kNotRun);
    }
    text += JournalResult(result);
  }
  std::vector<std::size_t> undone, uncertain;
  for (std::size_t i = 0; i < journal.undone.size(); ++i) {
    if (journal.undone[i]) undone.push_back(i);
    if (journal.uncertain[i]) uncertain.push_back(i);
  }
  if (!undone.empty()) text += JournalUndoing(journal.rows.size(), undone) + JournalUndone(journal.rows.size(), undone);
  if (!uncertain.empty()) text += JournalUndoing(journal.rows.size(), uncertain);
  if (journal.spent) text += JournalSpent();
  return text;
}

bool Same(const Journal& a, const Journal& b) {
  if (a.folder != b.folder || a.rows.size() != b.rows.size() || a.finished != b.finished ||
      a.renamed != b.renamed || a.undone != b.undone || a.uncertain != b.uncertain || a.spent != b.spent ||
      a.folderId.has_value() != b.folderId.has_value()) {
    return false;
  }
  if (a.folderId && *a.folderId != *b.folderId) return false;
  for (std::size_t i = 0; i < a.rows.size(); ++i) {
    if (a.rows[i].oldName != b.rows[i].oldName || a.rows[i].newName != b.rows[i].newName) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  Journal journal;
  JournalProblem problem = JournalProblem::kNone;
  if (ParseJournal(text, &journal, &problem)) {
    Journal again;
    CHECK(ParseJournal(Written(journal), &again, &problem));
    CHECK(Same(journal, again));
    // What follows the good records is no part of the journal.
    CHECK(journal.goodSize <= text.size() && journal.tornTail == (journal.goodSize != text.size()));
    CHECK(ParseJournal(text.substr(0, journal.goodSize), &again, &problem));
    CHECK(!again.tornTail && again.goodSize == journal.goodSize);
  } else {
    CHECK(problem != JournalProblem::kNone);
  }

  // The same bytes taken as rows: written, then read back.
  FuzzedDataProvider in(data, size);
  Journal made;
  made.folder = "/" + in.ConsumeRandomLengthString(40);
  if (in.ConsumeBool()) made.folderId = platform::FileId{in.ConsumeIntegral<std::uint64_t>(), 7};
  const std::size_t rows = in.ConsumeIntegralInRange<std::size_t>(0, 8);
  bool plain = true;
  for (std::size_t i = 0; i < rows; ++i) {
    RenameRow row;
    row.oldName = in.ConsumeRandomLengthString(20);
    row.newName = in.ConsumeRandomLengthString(20);
    plain = plain && platform::IsPlainName(row.oldName) &&
            (row.newName.empty() || platform::IsPlainName(row.newName));
    made.rows.push_back(row);
    made.renamed.push_back(static_cast<RunMark>("01?"[in.ConsumeIntegralInRange<int>(0, 2)]));
    made.undone.push_back(in.ConsumeBool());
    made.uncertain.push_back(!made.undone.back() && in.ConsumeBool());
  }
  made.finished = in.ConsumeBool();
  if (!made.finished) made.renamed.clear();
  made.spent = in.ConsumeBool();
  Journal back;
  if (!plain) {
    CHECK(!ParseJournal(Written(made), &back, &problem));
    return 0;
  }
  CHECK(ParseJournal(Written(made), &back, &problem));
  CHECK(Same(back, made));
  return 0;
}
