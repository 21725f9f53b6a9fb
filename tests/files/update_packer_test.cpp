#include "files/update_packer.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "temp_dir.h"

namespace kavira {
namespace {

TEST(FirmwareVersionText, OnlyMDotMmIsTaken) {
  const struct {
    const char* text;
    bool ok;
    unsigned major = 0, minor = 0;
  } cases[] = {
      {"2.07", true, 2, 7}, {"9.99", true, 9, 99}, {"0.00", true, 0, 0}, {"2.7", false},
      {"12.07", false},     {"2,07", false},       {"a.bc", false},      {"", false},
      {"2.070", false},     {" 2.07", false},      {"2.-7", false},
  };
  for (const auto& c : cases) {
    const auto v = ParseFirmwareVersion(c.text);
    ASSERT_EQ(v.has_value(), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v->major, c.major);
      EXPECT_EQ(v->minor, c.minor);
    }
  }
}

pgmline_ L(std::uint32_t adres, std::vector<std::uint8_t> bytes) {
  pgmline_ line;
  line.Adres = adres;
  line.cnt = static_cast<std::uint32_t>(bytes.size());
  line.code.fill(0xFF);
  std::copy(bytes.begin(), bytes.end(), line.code.begin());
  return line;
}

TEST(HexCutting, RecordsBecomeLinesWithinSixteenByteWindows) {
  const struct {
    const char* what;
    std::string hex;
    FirmwareImage lines;
  } cases[] = {
      {"across a window boundary",
       ":14000800000102030405060708090A0B0C0D0E0F1011121326\n:00000001FF\n",
       {L(0x08, {0, 1, 2, 3, 4, 5, 6, 7}), L(0x10, {8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19})}},
      {"two records joined in one window, a gap splits",
       ":02000000AABB99\r\n:020002002233A7\r\n:0100060044B5\r\n:00000001FF\r\n",
       {L(0x00, {0xAA, 0xBB, 0x22, 0x33}), L(0x06, {0x44})}},
      {"sorted by address",
       ":0100200011CE\n:0100000022DD\n:00000001FF\n",
       {L(0x00, {0x22}), L(0x20, {0x11})}},
      {"extended linear address",
       ":020000040001F9\n:02001000556633\n:00000001FF\n",
       {L(0x10010, {0x55, 0x66})}},
      {"extended segment address",
       ":020000021000EC\n:020010007788EF\n:00000001FF\n",
       {L(0x10010, {0x77, 0x88})}},
      {"segment offsets wrap at 64 KB",
       ":020000020100FB\n:02FFFF00ABCD88\n:00000001FF\n",
       {L(0x01000, {0xCD}), L(0x10FFF, {0xAB})}},
      {"start addresses ignored, data after the end ignored",
       ":0400000300001000E9\n:0400000500001000E7\n:0100000011EE\n:00000001FF\n:0100010022DC\n",
       {L(0x00, {0x11})}},
      {"the last line starts at 0x1E000",
       ":020000040001F9\n:10E00000000102030405060708090A0B0C0D0E0F98\n:00000001FF\n",
       {L(0x1E000, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15})}},
      {"identical overlap", ":0100000011EE\n:0100000011EE\n:00000001FF\n", {L(0x00, {0x11})}},
      {"blank lines and lower case", "\n:0100000011ee\n\n  :00000001ff  \n", {L(0x00, {0x11})}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const HexLines cut = CutHexIntoLines(c.hex);
    EXPECT_EQ(cut.error, "");
    EXPECT_EQ(cut.lines, c.lines);
  }
}

TEST(HexCutting, MalformedFilesAreRefusedWithTheLineNumber) {
  const struct {
    std::string hex;
    const char* error;
  } cases[] = {
      {"0100000011EE\n:00000001FF\n", "line 1: a record must begin with ':'"},
      {":0100000011EE\n:0100000011E\n:00000001FF\n", "line 2: odd number of hexadecimal digits"},
      {":0100000011EE\n\n:01000000G1EE\n", "line 3: not a hexadecimal digit"},
      {":01000000\n", "line 1: record too short"},
      {":0200000011ED\n", "line 1: byte count does not match the record's length"},
      {":0100000011EF\n", "line 1: checksum error"},
      {":0100000611E8\n", "line 1: unknown record type 0x06"},
      {":0100000111ED\n", "line 1: end-of-file record with data"},
      {":0100000210ED\n", "line 1: extended segment address record needs 2 data bytes"},
      {":03000004000100F8\n", "line 1: extended linear address record needs 2 data bytes"},
      {":020000050000F9\n", "line 1: start address record needs 4 data bytes"},
      {":0100000011EE\n:0100000011EE\n", "line 3: the file ends without an end-of-file record"},
      {":00000001FF\n", "line 1: the image holds no data"},
      {":0100000011EE\n:0100000022DD\n:00000001FF\n",
       "line 2: address 0x00000 already holds a different byte from line 1"},
      {":020000040002F8\n:0100000011EE\n:00000001FF\n",
       "line 2: address 0x00020000 lies beyond the firmware memory (last byte 0x1E00F)"},
      {":020000040001F9\n:01E0100011FE\n:00000001FF\n",
       "line 2: address 0x0001E010 lies beyond the firmware memory (last byte 0x1E00F)"},
      {":020000040001F9\n:01E005001109\n:00000001FF\n",
       "line 2: data at 0x1E005 would start a line above 0x1E000"},
  };
  for (const auto& c : cases) {
    const HexLines cut = CutHexIntoLines(c.hex);
    EXPECT_EQ(cut.error, c.error) << c.hex;
    EXPECT_TRUE(cut.lines.empty());
    EXPECT_EQ(PackUpdate(c.hex, {1, 0}).error, c.error);
  }
}

TEST(PackUpdate, RefusesABadVersionOrFreeText) {
  const std::string hex = ":0100000011EE\n:00000001FF\n";
  EXPECT_TRUE(PackUpdate(hex, {1, 0}).ok());
  EXPECT_FALSE(PackUpdate(hex, {10, 0}).ok());
  EXPECT_FALSE(PackUpdate(hex, {1, 100}).ok());
  EXPECT_FALSE(PackUpdate(hex, {1, 0}, std::string_view("a\0b", 3)).ok());
}

// Intel HEX text for a random image, built by the test: records of random length in plain, segment
// or linear addressing, overlapping at times with the same bytes.
struct RandomImage {
  std::map<std::uint32_t, std::uint8_t> memory;
  std::string hex;
};

std::string Record(std::uint8_t type, std::uint16_t offset, const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> rec{static_cast<std::uint8_t>(data.size()),
                                static_cast<std::uint8_t>(offset >> 8),
                                static_cast<std::uint8_t>(offset & 0xFF), type};
  rec.insert(rec.end(), data.begin(), data.end());
  unsigned sum = 0;
  for (auto b : rec)
    sum += b;
  rec.push_back(static_cast<std::uint8_t>(-sum & 0xFFU));
  std::string text = ":";
  static constexpr char digits[] = "0123456789ABCDEF";
  for (auto b : rec) {
    text += digits[b >> 4];
    text += digits[b & 15];
  }
  return text + "\r\n";
}

RandomImage MakeRandomImage(std::mt19937& random) {
  RandomImage image;
  const int records = static_cast<int>(random() % 60) + 1;
  for (int r = 0; r < records; ++r) {
    const std::uint32_t count = random() % 32 + 1;
    std::uint32_t address = random() % (kFirmwareTop - count + 1);
    if (random() % 20 == 0) address = kFirmwareTop;  // the highest line, up to 16 bytes
    const std::uint32_t n = address == kFirmwareTop ? std::min<std::uint32_t>(count, 16) : count;
    std::vector<std::uint8_t> data;
    for (std::uint32_t k = 0; k < n; ++k) {
      auto [it, fresh] = image.memory.emplace(address + k, static_cast<std::uint8_t>(random()));
      data.push_back(it->second);
    }
    switch (random() % 3) {
      case 0:  // linear base
        image.hex += Record(0x04, 0, {0x00, static_cast<std::uint8_t>(address >> 16)});
        image.hex += Record(0x00, static_cast<std::uint16_t>(address & 0xFFFF), data);
        break;
      case 1: {  // segment base, the offset kept below 64 KB - 32
        const std::uint32_t segment = (address >> 4) > 0x0F00 ? (address >> 4) - 0x0F00 : 0;
        image.hex +=
            Record(0x02, 0, {static_cast<std::uint8_t>(segment >> 8), static_cast<std::uint8_t>(segment)});
        image.hex += Record(0x00, static_cast<std::uint16_t>(address - segment * 16), data);
        break;
      }
      default:  // a start address record between data records changes nothing
        image.hex += Record(0x04, 0, {0x00, static_cast<std::uint8_t>(address >> 16)});
        image.hex += Record(0x05, 0, {0x00, 0x01, 0x02, 0x03});
        image.hex += Record(0x00, static_cast<std::uint16_t>(address & 0xFFFF), data);
    }
  }
  image.hex += ":00000001FF\r\n";
  return image;
}

TEST(PackUpdate, RandomImagesSurvivePackingAndDecoding) {
  std::mt19937 random(20260418);
  for (int round = 0; round < 100; ++round) {
    SCOPED_TRACE(round);
    const RandomImage image = MakeRandomImage(random);
    const FirmwareVersion version{static_cast<unsigned>(random() % 10),
                                  static_cast<unsigned>(random() % 100)};
    const PackResult packed = PackUpdate(image.hex, version, "random image\r\n");
    ASSERT_TRUE(packed.ok()) << packed.error;

    UpdateHead head;
    UpdateBody body;
    ASSERT_EQ(DecodeUpdateFile(packed.bytes, head, body), std::nullopt);
    EXPECT_EQ(head.major, version.major);
    EXPECT_EQ(head.minor, version.minor);
    EXPECT_EQ(body.lines, CutHexIntoLines(image.hex).lines);

    std::map<std::uint32_t, std::uint8_t> rebuilt;
    std::uint32_t next = 0;
    for (const pgmline_& line : body.lines) {
      ASSERT_GE(line.cnt, 1U);
      ASSERT_LE(line.cnt, 16U);
      EXPECT_GE(line.Adres, next);  // ascending, no overlap
      EXPECT_EQ(line.Adres / 16, (line.Adres + line.cnt - 1) / 16);
      for (std::uint32_t k = 0; k < line.cnt; ++k)
        rebuilt[line.Adres + k] = line.code[k];
      next = line.Adres + line.cnt;
    }
    EXPECT_EQ(rebuilt, image.memory);
  }
}

TEST(PackUpdate, WritingReplacesTheFileOrReportsWhyNot) {
  test::TempDir dir;
  const auto path = dir / "qz418_2_07.upg";
  test::WriteAll(path, std::vector<std::uint8_t>(5000, 1));
  const PackResult packed = PackUpdate(":0100000011EE\n:00000001FF\n", {2, 7});
  ASSERT_TRUE(packed.ok());
  EXPECT_EQ(WriteUpdateFile(path, packed.bytes), std::nullopt);
  EXPECT_EQ(test::ReadAll(path), packed.bytes);

  const auto error = WriteUpdateFile(path / "inside.upg", packed.bytes);
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(*error, "cannot create " + (path / "inside.upg").string());
  EXPECT_EQ(test::ReadAll(path), packed.bytes);
}

}  // namespace
}  // namespace kavira
