// Any bytes as an undo journal: the decoder must refuse them with a reason, or give a journal whose
// records lie in its area and that encodes back to the same records.
#include <cstddef>
#include <cstdint>
#include <span>

#include "files/journal.h"
#include "fuzz_check.h"

using kavira::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kavira;
  std::string error;
  const auto journal = DecodeJournal(std::span(data, size), &error);
  if (!journal) {
    Check(!error.empty());
    return 0;
  }
  std::vector<std::uint8_t> again = EncodeJournalHeader(journal->header);
  for (const JournalRecord& r : journal->records) {
    Check(r.block < kBlockCount && BlockInArea(journal->header, r.block));
    const auto record = EncodeJournalRecord(r.block, r.bytes);
    again.insert(again.end(), record.begin(), record.end());
  }
  const auto decoded = DecodeJournal(again, &error);
  Check(decoded.has_value() && !decoded->tailDropped && decoded->records.size() == journal->records.size());
  for (std::size_t i = 0; i < journal->records.size(); ++i)
    Check(decoded->records[i].block == journal->records[i].block &&
          decoded->records[i].bytes == journal->records[i].bytes);
  return 0;
}
