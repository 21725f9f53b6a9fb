#include "sim/frame_decoder.h"

#include <gtest/gtest.h>

#include "byte_streams.h"

#include <vector>

namespace kavira {
namespace {

using test::Bytes;

struct Got {
  Bytes bytes;
  FrameVerdict verdict;
  friend bool operator==(const Got&, const Got&) = default;
};

void PrintTo(const Got& g, std::ostream* os) {
  *os << "verdict " << static_cast<int>(g.verdict) << ":";
  for (auto b : g.bytes)
    *os << ' ' << std::hex << int{b};
}

std::vector<Got> Feed(FrameDecoder& d, const Bytes& bytes, SteadyTime at) {
  std::vector<Got> out;
  for (std::uint8_t b : bytes) {
    if (auto f = d.push(b, at))
      out.push_back({Bytes(f->frame.view().begin(), f->frame.view().end()), f->verdict});
  }
  return out;
}

using test::Cat;
using test::Repeat;
using test::t0;

// One stream with every form the program sends, noise between frames, a damaged checksum and the
// longest frame a count byte can announce.
const Bytes kProbe{0x1B, 0x03, 0xE2};
const Bytes kVersion{0x12, 0x03, 0xEB};
const Bytes kRestart{0x0F, 0x03, 0xEE};
const Bytes kRead2044{0x12, 0x26, 0xFC, 0x07, 0x80, 0x45};
const Bytes kWrite0 = Cat({{0x11, 0x26, 0x00, 0x00, 0x80}, Repeat(0x00, 128), {0x49}});
const Bytes kWrite255 = Cat({{0x11, 0x26, 0x00, 0x00, 0xFF}, Repeat(0x00, 255), {0xCA}});
const Bytes kLineWrite{0x11, 0x66, 0x00, 0x01, 0x02, 0xDE, 0xAD, 0xFB};
const Bytes kBadProbe{0x1B, 0x03, 0xE3};

TEST(FrameDecoder, MixedStreamFedWholeOrSplitAtEveryByte) {
  const Bytes stream = Cat({{0x00, 0x55, 0xFF},
                            kProbe,
                            {0x03},
                            kVersion,
                            kRead2044,
                            {0xAA},
                            kWrite0,
                            kBadProbe,
                            kLineWrite,
                            kWrite255,
                            kRestart});
  const std::vector<Got> expected{
      {kProbe, FrameVerdict::Intact},         {kVersion, FrameVerdict::Intact},
      {kRead2044, FrameVerdict::Intact},      {kWrite0, FrameVerdict::Intact},
      {kBadProbe, FrameVerdict::BadChecksum}, {kLineWrite, FrameVerdict::Intact},
      {kWrite255, FrameVerdict::Intact},      {kRestart, FrameVerdict::Intact},
  };
  for (std::size_t split = 0; split <= stream.size(); ++split) {
    FrameDecoder d;
    auto got = Feed(d, Bytes(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(split)), t0);
    const auto rest =
        Feed(d, Bytes(stream.begin() + static_cast<std::ptrdiff_t>(split), stream.end()), t0 + Millis(1));
    got.insert(got.end(), rest.begin(), rest.end());
    ASSERT_EQ(got, expected) << "split at " << split;
    EXPECT_EQ(d.skipped(), 5U);  // 00 55 FF, 03, AA
  }
}

TEST(FrameDecoder, UnknownFormIsReportedAndItsRestIgnoredUntilTheLineIsQuiet) {
  FrameDecoder d;
  // A probe command byte followed by a space byte: no such frame. Its tail holds a probe's bytes,
  // which must not be taken for one.
  const auto got = Feed(d, Cat({{0x1B, 0x26}, kProbe}), t0);
  ASSERT_EQ(got, (std::vector<Got>{{{0x1B, 0x26}, FrameVerdict::UnknownForm}}));
  EXPECT_TRUE(Feed(d, kProbe, t0 + Millis(50)).empty());
  EXPECT_EQ(Feed(d, kProbe, t0 + Millis(101)), (std::vector<Got>{{kProbe, FrameVerdict::Intact}}));
}

TEST(FrameDecoder, UnfinishedFrameIsDroppedAfterAPause) {
  FrameDecoder d;
  EXPECT_TRUE(Feed(d, {0x11, 0x26, 0x00, 0x00, 0x80, 0x01, 0x02}, t0).empty());
  EXPECT_EQ(Feed(d, kProbe, t0 + Millis(51)), (std::vector<Got>{{kProbe, FrameVerdict::Intact}}));
  EXPECT_EQ(d.skipped(), 7U);
  // Within the pause the frame goes on collecting: the probe's bytes become write data.
  EXPECT_TRUE(Feed(d, {0x11, 0x26, 0x00, 0x00, 0x80}, t0 + Millis(100)).empty());
  EXPECT_TRUE(Feed(d, kProbe, t0 + Millis(150)).empty());
}

TEST(FrameDecoder, ResetForgetsAHalfFrame) {
  FrameDecoder d;
  EXPECT_TRUE(Feed(d, {0x12, 0x26, 0xFC}, t0).empty());
  d.reset();
  EXPECT_EQ(Feed(d, kProbe, t0), (std::vector<Got>{{kProbe, FrameVerdict::Intact}}));
}

}  // namespace
}  // namespace kavira
