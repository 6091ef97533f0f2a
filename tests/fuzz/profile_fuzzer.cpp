// libFuzzer target for the settings file's reader and writer. For any text
// and any key write: nothing crashes or loops, a refused write changes
// nothing, an accepted one reads back whole, leaves every other key as it
// read before, and writing the same value again changes nothing.
#include "platform/bytes.h"
#include "settings/profile_text.h"

#include "fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>


namespace {

std::string PickName(FuzzedDataProvider& in, const char* const* names, std::size_t count) {
  if (in.ConsumeBool()) return names[in.ConsumeIntegralInRange<std::size_t>(0, count - 1)];
  return in.ConsumeRandomLengthString(12);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const char* const kSections[] = {"Config", "config", "CONFIG", "Other", ""};
  static const char* const kKeys[] = {"Folder", "File", "Method", "folder", "Extra"};
  FuzzedDataProvider in(data, size);
  const std::string section = PickName(in, kSections, 5);
  const std::string key = PickName(in, kKeys, 5);
  const std::string value = in.ConsumeRandomLengthString(64);
  const std::string text = in.ConsumeRemainingBytesAsString();

  const auto entries = settings::ProfileEntries(text);
  std::string updated = text;
  if (!settings::ProfileUpdate(&updated, section, key, value)) {
    CHECK(updated == text);
    return 0;
  }
  std::string read;
  CHECK(settings::ProfileLookup(updated, section, key, &read));
  CHECK(read == value);
  for (const settings::ProfileEntry& entry : entries) {
    if (platform::EqualsNoCase(entry.section, section) && platform::EqualsNoCase(entry.key, key)) {
      continue;
    }
    std::string before, after;
    CHECK(settings::ProfileLookup(text, entry.section, entry.key, &before));
    CHECK(settings::ProfileLookup(updated, entry.section, entry.key, &after));
    CHECK(before == after);
  }
  // Every line the write did not touch is still there: the new text is the
  // old one with one stretch replaced or inserted.
  std::size_t head = 0;
  while (head < text.size() && head < updated.size() && text[head] == updated[head]) ++head;
  std::size_t tail = 0;
  while (tail < text.size() - head && tail < updated.size() - head &&
         text[text.size() - 1 - tail] == updated[updated.size() - 1 - tail]) {
    ++tail;
  }
  const std::string removed = text.substr(head, text.size() - head - tail);
  CHECK(removed.find('\n') == std::string::npos);
  std::string again = updated;
  CHECK(settings::ProfileUpdate(&again, section, key, value));
  CHECK(again == updated);
  return 0;
}
