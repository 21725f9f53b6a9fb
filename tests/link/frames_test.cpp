#include "link/frames.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "link/block_layout.h"
#include "same_image.h"

namespace kavira {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(const Frame& f) {
  return Bytes(f.view().begin(), f.view().end());
}

TEST(CheckSumCnt, FixedShortFramesAddUpToZero) {
  const Bytes frames[] = {
      {0x1B, 0x03, 0xE2},  // presence probe
      {0x12, 0x03, 0xEB},  // version request
      {0x0F, 0x03, 0xEE},  // restart request
      {0x06, 0x03, 0xF7},  // acknowledgement
  };
  for (const auto& f : frames)
    EXPECT_EQ(CheckSumCnt(f), 0) << testing::PrintToString(f);
  EXPECT_EQ(ToBytes(ShortFrame(kProbeFrame)), frames[0]);
  EXPECT_EQ(ToBytes(ShortFrame(kVersionRequest)), frames[1]);
  EXPECT_EQ(ToBytes(ShortFrame(kRestartRequest)), frames[2]);
}

TEST(CheckSumCnt, IsTheTwosComplementOfTheLowByte) {
  EXPECT_EQ(CheckSumCnt(Bytes{}), 0);
  EXPECT_EQ(CheckSumCnt(Bytes{0x01}), 0xFF);
  EXPECT_EQ(CheckSumCnt(Bytes{0xFF, 0xFF}), 0x02);  // sum 0x1FE
  EXPECT_EQ(CheckSumCnt(Bytes{0x80, 0x80}), 0x00);
}

TEST(BlockFrame, ReadRequests) {
  struct Case {
    std::uint32_t block;
    Bytes expected;
  };
  const Case cases[] = {
      //        cmd   space addrL addrH count checksum
      {0, {0x12, 0x26, 0x00, 0x00, 0x80, 0x48}},    {1, {0x12, 0x26, 0x01, 0x00, 0x80, 0x47}},
      {2043, {0x12, 0x26, 0xFB, 0x07, 0x80, 0x46}}, {2044, {0x12, 0x26, 0xFC, 0x07, 0x80, 0x45}},
      {2046, {0x12, 0x26, 0xFE, 0x07, 0x80, 0x43}}, {2047, {0x12, 0x26, 0xFF, 0x07, 0x80, 0x42}},
  };
  const auto image = std::make_unique<ControllerImage>();
  for (const auto& c : cases)
    EXPECT_EQ(ToBytes(BuildBlockFrame(*image, c.block, false)), c.expected) << "block " << c.block;
}

TEST(BlockFrame, WriteOfAZeroBlockIs134Bytes) {
  const auto image = std::make_unique<ControllerImage>();
  const Bytes f = ToBytes(BuildBlockFrame(*image, 0, true));
  ASSERT_EQ(f.size(), 134U);
  EXPECT_EQ((Bytes{f.begin(), f.begin() + 5}), (Bytes{0x11, 0x26, 0x00, 0x00, 0x80}));
  EXPECT_EQ(Bytes(f.begin() + 5, f.end() - 1), Bytes(128, 0));
  EXPECT_EQ(f.back(), 0x49);
}

TEST(BlockFrame, SceneHalvesTravelInTheirBlocks) {
  auto image = std::make_unique<ControllerImage>();
  image->Sceny[3][0] = 0xAA;
  image->Sceny[3][127] = 0xBB;
  image->Sceny[3][128] = 0xCC;
  image->Sceny[3][255] = 0xDD;
  const BlockData first = EncodeBlock(*image, 6);
  const BlockData second = EncodeBlock(*image, 7);
  EXPECT_EQ(first[0], 0xAA);
  EXPECT_EQ(first[127], 0xBB);
  EXPECT_EQ(second[0], 0xCC);
  EXPECT_EQ(second[127], 0xDD);
}

TEST(SettingsBlocks, Layout) {
  auto image = std::make_unique<ControllerImage>();
  image->PgmEnds[0] = 1;
  image->PgmEnds[47] = 14;
  image->PgmSpeed[0] = 31;
  image->PgmSpeed[47] = 254;
  image->PgmFade[0] = 5;
  image->PgmFade[31] = 7;
  image->PgmFade[32] = 8;
  image->PgmFade[47] = 9;
  image->ExtraMode = 0x1234;
  image->SlowMode = 1;
  image->StrobScene = 65535;
  image->FogScene = 0x0102;
  image->ExtraScene = 1021;
  image->Shows[0][0] = 4;
  image->Shows[1][2] = 5;
  image->Shows[2][15] = 255;

  // Block, data index, byte: the low byte of ExtraMode only, the slow mode as a flag, words low
  // byte first, 0xFF in the filler.
  const int expected[][3] = {
      {2044, 0, 1},     {2044, 47, 14},   {2044, 48, 31}, {2044, 95, 254},  {2044, 96, 5},
      {2044, 127, 7},   {2045, 0, 8},     {2045, 15, 9},  {2045, 16, 0x34}, {2045, 17, 1},
      {2045, 18, 0xFF}, {2045, 19, 0xFF}, {2045, 20, 2},  {2045, 21, 1},    {2045, 22, 0xFD},
      {2045, 23, 3},    {2045, 32, 4},    {2045, 50, 5},  {2045, 79, 255},
  };
  const BlockData blocks[] = {EncodeBlock(*image, 2044), EncodeBlock(*image, 2045)};
  for (const auto& [block, index, value] : expected)
    EXPECT_EQ(blocks[block - 2044][static_cast<std::size_t>(index)], value) << block << " " << index;
  for (int i = 24; i < 128; i += i == 31 ? 49 : 1)
    EXPECT_EQ(blocks[1][static_cast<std::size_t>(i)], 0xFF) << i;
}

TEST(SettingsBlocks, SlowModeTravelsAsAFlag) {
  for (std::uint16_t slow : {std::uint16_t{1}, std::uint16_t{0x8000}, std::uint16_t{65535}}) {
    auto image = std::make_unique<ControllerImage>();
    image->SlowMode = slow;
    EXPECT_EQ(EncodeBlock(*image, 2045)[17], 1) << slow;
  }
  auto image = std::make_unique<ControllerImage>();
  BlockData b{};
  b[17] = 1;
  DecodeBlock(*image, 2045, b);
  EXPECT_EQ(image->SlowMode, 65535);
  b[17] = 0x7F;
  DecodeBlock(*image, 2045, b);
  EXPECT_EQ(image->SlowMode, 65535);
  b[17] = 0;
  DecodeBlock(*image, 2045, b);
  EXPECT_EQ(image->SlowMode, 0);
}

TEST(SettingsBlocks, DecodeIgnoresFillerAndTakesExtraModeAsAByte) {
  auto image = std::make_unique<ControllerImage>();
  image->ExtraMode = 0xAB00;
  BlockData b{};
  b.fill(0x11);
  b[16] = 0x05;
  DecodeBlock(*image, 2045, b);
  EXPECT_EQ(image->ExtraMode, 0x05);
  EXPECT_EQ(image->StrobScene, 0x1111);
  EXPECT_EQ(image->Shows[2][15], 0x11);
  EXPECT_EQ(image->PgmFade[32], 0x11);
  EXPECT_EQ(image->PgmFade[31], 0);  // block 2044's part is untouched
}

TEST(MidiBlocks, WordsLowByteFirst) {
  auto image = std::make_unique<ControllerImage>();
  image->Midi[0].word = 0x1403;
  image->Midi[63].word = 0xFFFF;
  image->Midi[64].word = 0x0201;
  image->Midi[127].word = 0x8000;
  const BlockData a = EncodeBlock(*image, 2046);
  const BlockData b = EncodeBlock(*image, 2047);
  EXPECT_EQ(a[0], 0x03);
  EXPECT_EQ(a[1], 0x14);
  EXPECT_EQ(a[126], 0xFF);
  EXPECT_EQ(b[0], 0x01);
  EXPECT_EQ(b[1], 0x02);
  EXPECT_EQ(b[126], 0x00);
  EXPECT_EQ(b[127], 0x80);
}

// A random image written as 2048 write frames and read back from 2048 data replies is the same image,
// except that ExtraMode loses its high byte and SlowMode comes back as 65535.
TEST(BlockFrame, RoundTripThroughEveryBlock) {
  std::mt19937 rng(418);
  auto byte = [&] { return static_cast<std::uint8_t>(rng() & 0xFF); };
  auto original = std::make_unique<ControllerImage>();
  for (auto& scene : original->Sceny)
    for (auto& v : scene)
      v = byte();
  for (auto& v : original->PgmEnds)
    v = byte();
  for (auto& v : original->PgmSpeed)
    v = byte();
  for (auto& v : original->PgmFade)
    v = byte();
  for (auto& area : original->Shows)
    for (auto& v : area)
      v = byte();
  for (auto& m : original->Midi)
    m.word = static_cast<std::uint16_t>(rng());
  original->ExtraMode = 0x3C5A;
  original->SlowMode = 7;
  original->StrobScene = 0xFFFF;
  original->FogScene = 1021;
  original->ExtraScene = 0x1234;

  auto copy = std::make_unique<ControllerImage>();
  for (std::uint32_t block = 0; block < 2048; ++block) {
    Bytes frame = ToBytes(BuildBlockFrame(*original, block, true));
    ASSERT_EQ(frame.size(), 134U);
    ASSERT_EQ(frame[0], 0x11);
    // The controller answers a read with the same bytes under command 0x13: the checksum drops by 2.
    frame[0] = 0x13;
    frame.back() = static_cast<std::uint8_t>(frame.back() - 2);
    const ReplyCheck check = AcceptDataReply(frame, block);
    ASSERT_TRUE(check.ok) << block << ": " << check.failure.Polish();
    ASSERT_TRUE(
        FitsRequest(frame, block < 2044 ? RequestKind::SceneBlock : RequestKind::SettingsBlock, block));
    DecodeBlock(*copy, block, ByteView(frame).subspan(5, 128));
  }
  original->ExtraMode = 0x5A;
  original->SlowMode = 65535;
  EXPECT_TRUE(test::SameImage(*copy, *original));
}

TEST(FirmwareFrame, ReadAndWrite) {
  pgmline_ line;
  line.Adres = 0x1A2B4;
  line.cnt = 16;
  //                                                          cmd  space addrL addrH cnt  checksum
  EXPECT_EQ(ToBytes(BuildFirmwareFrame(line, false)), (Bytes{0x12, 0xE6, 0xB4, 0xA2, 0x10, 0xA2}));

  line.Adres = 0x0100;
  line.cnt = 2;
  line.code = {0xDE, 0xAD, 0xBE, 0xEF};  // only the first cnt bytes travel
  EXPECT_EQ(ToBytes(BuildFirmwareFrame(line, true)), (Bytes{0x11, 0x66, 0x00, 0x01, 0x02, 0xDE, 0xAD, 0xFB}));

  line.Adres = 0xFFFF;
  line.cnt = 0;
  EXPECT_EQ(ToBytes(BuildFirmwareFrame(line, true)), (Bytes{0x11, 0x66, 0xFF, 0xFF, 0x00, 0x8B}));
  line.Adres = 0x10000;
  EXPECT_EQ(ToBytes(BuildFirmwareFrame(line, false)), (Bytes{0x12, 0xE6, 0x00, 0x00, 0x00, 0x08}));
}

TEST(Ack, OnlyExactly060317Counts) {
  EXPECT_TRUE(IsAck(Bytes{0x06, 0x03, 0xF7}));
  EXPECT_FALSE(IsAck(Bytes{0x06, 0x03}));
  EXPECT_FALSE(IsAck(Bytes{0x06, 0x03, 0xF7, 0x00}));
  EXPECT_FALSE(IsAck(Bytes{0x15, 0x03, 0xF7}));
  EXPECT_FALSE(IsAck(Bytes{}));
}

TEST(DataReply, VersionReplyIsGood) {
  const Bytes reply{0x13, 0x06, 0x00, 0x00, 0x03, 0x05, 0x01, 0x41, 0x9D};
  const ReplyCheck r = AcceptDataReply(reply, 0);
  EXPECT_TRUE(r.ok) << r.failure.Polish();
  EXPECT_EQ(r.DataCnt, 3);
  EXPECT_TRUE(FitsRequest(reply, RequestKind::Version, 0));
}

TEST(DataReply, LinkFailuresInTheirOrder) {
  struct Case {
    const char* what;
    Bytes reply;
    std::uint32_t adres;
    const char* failure;
  };
  Bytes longReply(134, 0);
  longReply[0] = 0x13;
  longReply[1] = 0x26;
  longReply[4] = 100;  // declares 100 data bytes, 134 arrived
  Bytes highAddress{0x13, 0xA6, 0x05, 0x00, 0x00, 0x00};
  highAddress.back() = 0x100 - ((0x13 + 0xA6 + 0x05) & 0xFF);
  const Case cases[] = {
      {"refusal even with a wrong length and checksum", {0x15, 0x01}, 5, "Błąd komunikacji : NAK"},
      {"nothing arrived", {}, 5, "Błąd komunikacji : brak danych : 0"},
      {"length differs from the count", longReply, 0, "Błąd komunikacji : brak danych : 134"},
      {"three bytes of an ack where data was due",
       {0x06, 0x03, 0xF7},
       0,
       "Błąd komunikacji : brak danych : 3"},
      {"damaged checksum",
       {0x13, 0x26, 0x05, 0x00, 0x00, 0x00},
       5,
       "Błąd komunikacji : suma kontrolna = 194"},
      {"address bit 16 from the space byte", highAddress, 5, "Błąd komunikacji : adres zwrotny 65541"},
      {"another block", {0x13, 0x26, 0x06, 0x00, 0x00, 0xC1}, 5, "Błąd komunikacji : adres zwrotny 6"},
  };
  for (const auto& c : cases) {
    const ReplyCheck r = AcceptDataReply(c.reply, c.adres);
    EXPECT_FALSE(r.ok) << c.what;
    EXPECT_EQ(r.failure.Polish(), c.failure) << c.what;
  }
}

TEST(DataReply, ProtocolCheckPerRequest) {
  // Good on the link (address 2045 = FD 07), then compared with what was asked.
  auto reply = [](std::uint8_t cmd, std::uint8_t space, std::uint8_t lo, std::uint8_t hi, std::uint8_t n) {
    Bytes r{cmd, space, lo, hi, n};
    r.resize(5 + n, 0);
    r.push_back(static_cast<std::uint8_t>(CheckSumCnt(r)));
    return r;
  };
  EXPECT_TRUE(FitsRequest(reply(0x13, 0x26, 0xFD, 0x07, 128), RequestKind::SettingsBlock, 2045));
  EXPECT_FALSE(FitsRequest(reply(0x11, 0x26, 0xFD, 0x07, 128), RequestKind::SettingsBlock, 2045));
  EXPECT_FALSE(FitsRequest(reply(0x13, 0x66, 0xFD, 0x07, 128), RequestKind::SettingsBlock, 2045));
  EXPECT_FALSE(FitsRequest(reply(0x13, 0x26, 0xFD, 0x07, 127), RequestKind::SceneBlock, 2045));
  EXPECT_FALSE(FitsRequest(reply(0x13, 0x06, 0x00, 0x00, 4), RequestKind::Version, 0));
  EXPECT_FALSE(FitsRequest(reply(0x13, 0x26, 0x00, 0x00, 3), RequestKind::Version, 0));
  EXPECT_TRUE(FitsRequest(reply(0x13, 0xE6, 0x00, 0x00, 16), RequestKind::FirmwareLine, 0x10000, 16));
  EXPECT_TRUE(FitsRequest(reply(0x13, 0x66, 0x00, 0x00, 0), RequestKind::FirmwareLine, 0, 0));
  EXPECT_FALSE(FitsRequest(reply(0x13, 0x26, 0x00, 0x00, 16), RequestKind::FirmwareLine, 0, 16));
  EXPECT_FALSE(FitsRequest(reply(0x13, 0x66, 0x00, 0x00, 15), RequestKind::FirmwareLine, 0, 16));
}

}  // namespace
}  // namespace kavira
