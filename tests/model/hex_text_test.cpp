#include "model/hex_text.h"

#include <gtest/gtest.h>

namespace kavira {
namespace {

TEST(HexText, FixedWidthOrAsShortAsTheNumber) {
  EXPECT_EQ(HexText(0x1E000, 5), "1E000");
  EXPECT_EQ(HexText(0x0A, 2), "0A");
  EXPECT_EQ(HexText(0x123, 2), "23");  // the lowest digits only
  EXPECT_EQ(HexText(0xFFFFFFFF, 8), "FFFFFFFF");
  EXPECT_EQ(HexText(0), "0");
  EXPECT_EQ(HexText(0x8A0F, 0, HexCase::Lower), "8a0f");
  std::string record = "..........";
  PutHexDigits(std::span(record).subspan(3, 4), 0xBEEF);
  EXPECT_EQ(record, "...BEEF...");
}

}  // namespace
}  // namespace kavira
