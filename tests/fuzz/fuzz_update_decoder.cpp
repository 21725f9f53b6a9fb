// Any bytes as an update file: the decoder must refuse them with a message or give lines that are
// within the controller's limits and that survive being written out and decoded again.
#include <cstddef>
#include <cstdint>
#include <span>

#include "files/update_file.h"
#include "files/update_packer.h"
#include "fuzz_check.h"

using kavira::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kavira;
  const std::span<const std::uint8_t> file(data, size);
  UpdateHead head;
  UpdateBody body;
  const auto failure = DecodeUpdateFile(file, head, body);
  if (failure) {
    Check(!failure->text.empty());
    return 0;
  }
  Check(head.major <= 9 && head.minor <= 99 && head.newFWV.size() == 4);
  Check(body.lncnt >= 1 && body.lines.size() == body.lncnt);
  Check(body.stpos + std::size_t{12} + std::size_t{41} * body.lncnt <= size);
  for (const pgmline_& line : body.lines)
    Check(line.cnt <= kFirmwareLineMax && line.Adres <= kFirmwareTop);

  const auto again = BuildUpdateFile(body.lines, {head.major, head.minor});
  UpdateHead head2;
  UpdateBody body2;
  Check(!DecodeUpdateFile(again, head2, body2).has_value());
  Check(body2.lines == body.lines && head2.newFWV == head.newFWV);
  return 0;
}
