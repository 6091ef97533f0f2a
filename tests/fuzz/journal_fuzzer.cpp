// libFuzzer target for the journal reader. For any text: nothing crashes or
// loops; a text that reads as a journal is exactly the journal written back
// (the format has one spelling for every journal); and every journal
// written from fuzzed rows reads back as it was.
#include "rename/journal.h"

#include "fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>


namespace {

std::string Written(const Journal& journal) {
  RenameJob job;
  job.LoadProposal(std::deque<RenameRow>(journal.rows.begin(), journal.rows.end()));
  std::string text = JournalStart(journal.folder, job);
  if (journal.finished) {
    RunResult result;
    for (const bool renamed : journal.renamed) {
      result.outcomes.push_back(renamed ? RowOutcome::kRenamed : RowOutcome::kNotRun);
    }
    text += JournalResult(result);
  }
  if (journal.spent) text += JournalSpent();
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  Journal journal;
  std::string problem;
  if (ParseJournal(text, &journal, &problem)) {
    CHECK(Written(journal) == text);
  } else {
    CHECK(!problem.empty());
  }

  // The same bytes taken as rows: written, then read back.
  FuzzedDataProvider in(data, size);
  Journal made;
  made.folder = in.ConsumeRandomLengthString(40);
  const std::size_t rows = in.ConsumeIntegralInRange<std::size_t>(0, 8);
  for (std::size_t i = 0; i < rows; ++i) {
    RenameRow row;
    row.oldName = in.ConsumeRandomLengthString(20);
    row.newName = in.ConsumeRandomLengthString(20);
    made.rows.push_back(row);
    made.renamed.push_back(in.ConsumeBool());
  }
  made.finished = in.ConsumeBool();
  if (!made.finished) made.renamed.clear();
  made.spent = in.ConsumeBool();
  Journal back;
  CHECK(ParseJournal(Written(made), &back, &problem));
  CHECK(back.folder == made.folder && back.rows.size() == made.rows.size());
  for (std::size_t i = 0; i < rows; ++i) {
    CHECK(back.rows[i].oldName == made.rows[i].oldName);
    CHECK(back.rows[i].newName == made.rows[i].newName);
  }
  CHECK(back.finished == made.finished && back.renamed == made.renamed && back.spent == made.spent);
  return 0;
}
