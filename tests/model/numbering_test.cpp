#include "model/numbering.h"

#include <gtest/gtest.h>

#include <memory>

#include "model/controller_image.h"

namespace kavira {
namespace {

struct RelCase {
  unsigned pgm, scena, abs;
};

TEST(Rel2Abs, ProgramBoundaries) {
  const RelCase cases[] = {
      {0, 0, 0}, {15, 31, 511}, {16, 0, 512}, {46, 15, 1007}, {47, 0, 1008}, {47, 13, 1021},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Rel2Abs(c.pgm, c.scena), c.abs) << "program " << c.pgm << " scene " << c.scena;
  }
}

TEST(Rel2Abs, OutOfRangeIsInvalid) {
  const RelCase cases[] = {{15, 32, 0}, {16, 16, 0}, {47, 14, 0}, {47, 15, 0}, {48, 0, 0}, {0xFFFF, 0, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(Rel2Abs(c.pgm, c.scena), 0xFFFFFFFFU) << "program " << c.pgm << " scene " << c.scena;
  }
}

TEST(Abs2Rel, SplitsIntoProgramAndScene) {
  EXPECT_EQ(Abs2Rel(0), 0U);
  EXPECT_EQ(Abs2Rel(511), 15U * 65536 + 31);
  EXPECT_EQ(Abs2Rel(512), 16U * 65536 + 0);
  EXPECT_EQ(Abs2Rel(1021), 47U * 65536 + 13);
  EXPECT_EQ(Abs2Rel(1022), 0xFFFFFFFFU);
  EXPECT_EQ(Abs2Rel(1023), 0xFFFFFFFFU);
  EXPECT_EQ(Abs2Rel(65535), 0xFFFFFFFFU);
}

TEST(Abs2Rel, EveryAbsoluteSceneSurvivesTheRoundTrip) {
  for (unsigned n = 0; n <= 1021; ++n) {
    SCOPED_TRACE(testing::Message() << "scene " << n);
    const unsigned rel = Abs2Rel(n);
    EXPECT_NE(rel, kInvalid);
    EXPECT_LT(SceneOf(rel), SceneCount(ProgramOf(rel)));
    EXPECT_EQ(Rel2Abs(ProgramOf(rel), SceneOf(rel)), n);
  }
}

TEST(SceneCount, ByProgram) {
  EXPECT_EQ(SceneCountOfProgram(1), 32U);
  EXPECT_EQ(SceneCountOfProgram(16), 32U);
  EXPECT_EQ(SceneCountOfProgram(17), 16U);
  EXPECT_EQ(SceneCountOfProgram(47), 16U);
  EXPECT_EQ(SceneCountOfProgram(48), 14U);
  EXPECT_EQ(SceneCountOfProgram(0), 0U);
  EXPECT_EQ(SceneCountOfProgram(49), 0U);
  unsigned total = 0;
  for (unsigned p = 0; p < kProgramCount; ++p)
    total += SceneCount(p);
  EXPECT_EQ(total, 1022U);
}

TEST(ControllerImage, FreshImageIsAllZero) {
  const auto image = std::make_unique<ControllerImage>();
  EXPECT_EQ(image->StrobScene, 0);    // program 1, scene 1: only 65535 means no scene
  EXPECT_EQ(image->Shows[2][15], 0);  // program 1, not empty
  EXPECT_EQ(image->Midi[127].word, 0);
  EXPECT_EQ(image->Sceny[1021][255], 0);
  EXPECT_EQ(ChannelIndex(3, 5), 36U);
}

TEST(MidiStat, FieldsSitInTheirBits) {
  MidiStat m;
  m.setAScena(1021);
  m.setBit(MidiStat::kTrigK3, true);
  EXPECT_EQ(m.word, 1021 | (1 << 10));
  m.setBit(MidiStat::kAssoc1, true);
  EXPECT_EQ(m.word, 1021 | (1 << 10) | (1 << 15));
  EXPECT_TRUE(m.Assoc1());
  EXPECT_FALSE(m.TrigK1());
  m.setAScena(0);
  EXPECT_EQ(m.word, (1 << 10) | (1 << 15));
  m.word = 0x1403;  // TrigK1 and scene 3
  EXPECT_TRUE(m.TrigK1());
  EXPECT_EQ(m.AScena(), 3U);
}

}  // namespace
}  // namespace kavira
