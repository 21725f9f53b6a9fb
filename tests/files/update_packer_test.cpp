#include "files/update_packer.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace kavira {
namespace {

TEST(UpdatePacker, VersionsAreMDotMm) {
  EXPECT_EQ(ParseFirmwareVersion("2.07")->minor, 7U);
  EXPECT_EQ(ParseFirmwareVersion("9.99")->major, 9U);
  for (const char* bad : {"2.7", "12.07", "2,07", "", "2.070", " 2.07", "2.-7"}) {
    EXPECT_FALSE(ParseFirmwareVersion(bad).has_value()) << bad;
  }
  const std::string hex = ":0100000011EE\n:00000001FF\n";
  EXPECT_TRUE(PackUpdate(hex, {1, 0}).ok());
  EXPECT_FALSE(PackUpdate(hex, {1, 100}).ok());
  EXPECT_FALSE(PackUpdate(hex, {1, 0}, std::string_view("a\0b", 3)).ok());
}

pgmline_ L(std::uint32_t adres, std::vector<std::uint8_t> bytes) {
  pgmline_ line{adres, static_cast<std::uint32_t>(bytes.size()), {}};
  line.code.fill(0xFF);
  std::copy(bytes.begin(), bytes.end(), line.code.begin());
  return line;
}

TEST(UpdatePacker, RecordsBecomeLinesWithinSixteenByteWindows) {
  const struct {
    std::string hex;
    FirmwareImage lines;
  } cases[] = {
      {":14000800000102030405060708090A0B0C0D0E0F1011121326\n:00000001FF\n",
       {L(0x08, {0, 1, 2, 3, 4, 5, 6, 7}), L(0x10, {8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19})}},
      {":02000000AABB99\r\n:020002002233A7\r\n:0100060044B5\r\n:00000001FF\r\n",
       {L(0x00, {0xAA, 0xBB, 0x22, 0x33}), L(0x06, {0x44})}},
      {":0100200011CE\n:0100000022DD\n:00000001FF\n", {L(0x00, {0x22}), L(0x20, {0x11})}},
      {":020000040001F9\n:02001000556633\n:00000001FF\n", {L(0x10010, {0x55, 0x66})}},
      {":020000021000EC\n:020010007788EF\n:00000001FF\n", {L(0x10010, {0x77, 0x88})}},
      // Segment offsets wrap at 64 KB.
      {":020000020100FB\n:02FFFF00ABCD88\n:00000001FF\n", {L(0x01000, {0xCD}), L(0x10FFF, {0xAB})}},
      // Start addresses ignored, data after the end ignored, blank lines and lower case taken.
      {":0400000300001000E9\n\n:0400000500001000E7\n:0100000011ee\n:00000001FF\n:0100010022DC\n",
       {L(0x00, {0x11})}},
      {":020000040001F9\n:10E00000000102030405060708090A0B0C0D0E0F98\n:00000001FF\n",
       {L(0x1E000, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15})}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hex);
    const HexLines cut = CutHexIntoLines(c.hex);
    EXPECT_EQ(cut.error, "");
    EXPECT_EQ(cut.lines, c.lines);
  }
}

TEST(UpdatePacker, MalformedHexIsRefusedWithTheLineNumber) {
  const struct {
    std::string hex;
    const char* error;
  } cases[] = {
      {"0100000011EE\n", "line 1: a record must begin with ':'"},
      {":0100000011EE\n:0100000011E\n", "line 2: odd number of hexadecimal digits"},
      {":0100000011EE\n\n:01000000G1EE\n", "line 3: not a hexadecimal digit"},
      {":01000000\n", "line 1: record too short"},
      {":0200000011ED\n", "line 1: byte count does not match the record's length"},
      {":0100000011EF\n", "line 1: checksum error"},
      {":0100000611E8\n", "line 1: unknown record type 0x06"},
      {":0100000111ED\n", "line 1: end-of-file record with data"},
      {":0100000210ED\n", "line 1: extended segment address record needs 2 data bytes"},
      {":0100000400FB\n", "line 1: extended linear address record needs 2 data bytes"},
      {":03000003001000EA\n", "line 1: start address record needs 4 data bytes"},
      {":0100000011EE\n:0100000011EE\n", "line 3: the file ends without an end-of-file record"},
      {":00000001FF\n", "line 1: the image holds no data"},
      {":0100000011EE\n:0100000022DD\n:00000001FF\n",
       "line 2: address 0x00000 already holds a different byte from line 1"},
      {":020000040001F9\n:01E0100011FE\n:00000001FF\n",
       "line 2: address 0x0001E010 lies beyond the firmware memory (last byte 0x1E00F)"},
      {":020000040001F9\n:01E005001109\n:00000001FF\n",
       "line 2: data at 0x1E005 would start a line above 0x1E000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hex);
    EXPECT_EQ(CutHexIntoLines(c.hex).error, c.error);
    EXPECT_EQ(PackUpdate(c.hex, {1, 0}).error, c.error);
  }
}

std::string Record(std::uint8_t type, std::uint32_t offset, const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> rec{static_cast<std::uint8_t>(data.size()),
                                static_cast<std::uint8_t>(offset >> 8), static_cast<std::uint8_t>(offset),
                                type};
  rec.insert(rec.end(), data.begin(), data.end());
  unsigned sum = 0;
  for (auto b : rec)
    sum += b;
  rec.push_back(static_cast<std::uint8_t>(0x100 - (sum & 0xFF)));
  std::string text = ":";
  for (auto b : rec)
    text += std::string{"0123456789ABCDEF"[b >> 4], "0123456789ABCDEF"[b & 15]};
  return text + "\r\n";
}

// Random images written as Intel HEX by the test itself, in linear or segment addressing, with
// records that overlap (always with the same bytes) and cross 16-byte and 64 KB boundaries.
TEST(UpdatePacker, RandomImagesSurvivePackingAndDecoding) {
  std::mt19937 random(20260418);
  for (int round = 0; round < 100; ++round) {
    std::map<std::uint32_t, std::uint8_t> memory;
    std::string hex;
    for (int r = static_cast<int>(random() % 60); r >= 0; --r) {
      std::uint32_t count = random() % 32 + 1;
      std::uint32_t address = random() % (kFirmwareTop - count + 1);
      if (random() % 20 == 0) address = kFirmwareTop, count = std::min(count, 16U);
      std::vector<std::uint8_t> data;
      for (std::uint32_t k = 0; k < count; ++k) {
        data.push_back(memory.emplace(address + k, static_cast<std::uint8_t>(random())).first->second);
      }
      if (random() % 2 == 0) {
        hex += Record(0x04, 0, {0x00, static_cast<std::uint8_t>(address >> 16)});
        hex += Record(0x00, address & 0xFFFF, data);
      } else {  // a segment that keeps the offset below 0xF010
        const std::uint32_t segment = (address >> 4) > 0x0F00 ? (address >> 4) - 0x0F00 : 0;
        hex += Record(0x02, 0, {static_cast<std::uint8_t>(segment >> 8), static_cast<std::uint8_t>(segment)});
        hex += Record(0x00, address - segment * 16, data);
      }
    }
    hex += ":00000001FF\r\n";

    const FirmwareVersion version{static_cast<unsigned>(random() % 10),
                                  static_cast<unsigned>(random() % 100)};
    const PackResult packed = PackUpdate(hex, version, "random image\r\n");
    ASSERT_TRUE(packed.ok()) << packed.error;
    UpdateHead head;
    UpdateBody body;
    ASSERT_EQ(DecodeUpdateFile(packed.bytes, head, body), std::nullopt);
    EXPECT_EQ(head.minor, version.minor);
    EXPECT_EQ(body.lines, CutHexIntoLines(hex).lines);

    std::map<std::uint32_t, std::uint8_t> rebuilt;
    std::uint32_t next = 0;
    for (const pgmline_& line : body.lines) {
      ASSERT_TRUE(line.cnt >= 1 && line.cnt <= 16);
      EXPECT_GE(line.Adres, next);  // ascending, no overlap
      EXPECT_EQ(line.Adres / 16, (line.Adres + line.cnt - 1) / 16);
      for (std::uint32_t k = 0; k < line.cnt; ++k)
        rebuilt[line.Adres + k] = line.code[k];
      next = line.Adres + line.cnt;
    }
    ASSERT_EQ(rebuilt, memory) << round;
  }
}

}  // namespace
}  // namespace kavira
