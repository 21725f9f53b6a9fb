// Any text as the Intel HEX image of pack-update: the reader must refuse it with a reason naming the
// line, or give lines within the controller's limits, in ascending address order, that never cross a
// 16-byte boundary.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "files/update_packer.h"
#include "fuzz_check.h"

using kavira::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kavira;
  const HexLines cut = CutHexIntoLines(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!cut.error.empty()) {
    // A refusal gives nothing to pack, and says where: "line N: ...".
    Check(cut.lines.empty() && cut.error.rfind("line ", 0) == 0);
    return 0;
  }
  std::uint32_t next = 0;
  for (const pgmline_& line : cut.lines) {
    Check(line.cnt >= 1 && line.cnt <= kFirmwareLineMax && line.Adres <= kFirmwareTop);
    Check(line.Adres >= next);
    Check(line.Adres / kFirmwareLineMax == (line.Adres + line.cnt - 1) / kFirmwareLineMax);
    next = line.Adres + line.cnt;
  }
  return 0;
}
