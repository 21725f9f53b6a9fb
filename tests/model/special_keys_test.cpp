#include "model/special_keys.h"

#include <gtest/gtest.h>

namespace kavira {
namespace {

TEST(SpecialKeys, StrobeModesSitInTheirBits) {
  // Bit 0 is STROBE's (set when its mode is off), bit 1 FOG's, bit 2 EXTRA's.
  const struct {
    std::uint16_t word;
    bool strobe, fog, extra;
  } cases[] = {
      {0x0000, true, false, false}, {0x0001, false, false, false}, {0x0002, true, true, false},
      {0x0004, true, false, true},  {0x0007, false, true, true},   {0xFFF8, true, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "ExtraMode 0x" << std::hex << c.word);
    EXPECT_EQ(StrobeModeOn(c.word, SpecialKey::Strobe), c.strobe);
    EXPECT_EQ(StrobeModeOn(c.word, SpecialKey::Fog), c.fog);
    EXPECT_EQ(StrobeModeOn(c.word, SpecialKey::Extra), c.extra);
    std::uint16_t written = 0xFFF8 & c.word;  // the bits that are no key's stay as they are
    written = WithStrobeMode(written, SpecialKey::Strobe, c.strobe);
    written = WithStrobeMode(written, SpecialKey::Fog, c.fog);
    written = WithStrobeMode(written, SpecialKey::Extra, c.extra);
    EXPECT_EQ(written, c.word);
  }
}

}  // namespace
}  // namespace kavira
