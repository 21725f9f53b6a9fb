// Any bytes as the controller's answer to any request: the link checks and the protocol check must
// never read out of bounds, and a reply they accept must really be a well-formed frame.
//
// Input: address low, address high, flags (bit 0: address bit 16), request kind, line count, then the
// received bytes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz_check.h"
#include "link/frames.h"

using kavira::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kavira;
  if (size < 5) return 0;
  const std::uint32_t Adres = data[0] | static_cast<std::uint32_t>(data[1]) << 8 | (data[2] & 1U) << 16;
  const auto kind = static_cast<RequestKind>(data[3] % 4);
  const std::uint32_t lineCnt = data[4] % (kFirmwareLineMax + 1);
  const ByteView reply(data + 5, size - 5);

  const ReplyCheck r = AcceptDataReply(reply, Adres);
  if (r.ok) {
    unsigned sum = 0;
    for (std::uint8_t b : reply)
      sum += b;
    Check(reply.size() == static_cast<std::size_t>(r.DataCnt) + 6);
    Check((sum & 0xFFU) == 0);
    Check(reply[0] != kCmdNak);
    Check(r.AdresGot == Adres);
    Check(r.failure.empty());
  } else {
    Check(r.failure.Polish().rfind("Błąd komunikacji : ", 0) == 0);
  }

  const bool fits = FitsRequest(reply, kind, Adres, lineCnt);
  ControllerImage image;
  if (r.ok && fits && (kind == RequestKind::SceneBlock || kind == RequestKind::SettingsBlock)) {
    DecodeBlock(image, Adres % kBlockCount, reply.subspan(5, static_cast<std::size_t>(r.DataCnt)));
  }
  // The block decoder on its own, for any block number and any amount of data.
  DecodeBlock(image, Adres & 0xFFFU, reply);
  return 0;
}
