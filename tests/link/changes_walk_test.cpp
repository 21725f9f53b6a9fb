// The changes walks against the fake port: only the blocks that differ are written, each after the
// write-ahead hook has kept what it held, and read back; what the controller holds decides.
#include <gtest/gtest.h>

#include <tuple>

#include "engine_fixture.h"

namespace kavira::test {
namespace {

class ChangesWalkTest : public EngineTest {
 protected:
  ChangesWalkTest() {
    engine.beforeWrite = [this](std::uint32_t block, ByteView previous) {
      kept.push_back({block, {}});
      std::copy(previous.begin(), previous.end(), kept.back().bytes.begin());
      return Message::Text(refusal);
    };
  }
  std::vector<std::uint32_t> writtenBlocks() const {
    std::vector<std::uint32_t> blocks;
    for (const auto& f : port.written)
      if (f[0] == 0x11) blocks.push_back(addressOf(f));
    return blocks;
  }

  std::vector<KnownBlock> kept;
  std::string refusal;
};

TEST_F(ChangesWalkTest, WritesOnlyTheBlocksThatDifferAfterKeepingThem) {
  controller.memory->Sceny[1][200] = 9;  // block 3 holds what the image does not
  engine.startChanges({_write_, 0, 2});
  runUntilIdle();
  EXPECT_EQ(writtenBlocks(), std::vector<std::uint32_t>{3});
  ASSERT_EQ(kept.size(), 1U);
  EXPECT_EQ(kept[0].block, 3U);
  EXPECT_EQ(kept[0].bytes[72], 9);  // the controller's previous bytes, as it returned them
  EXPECT_EQ(controller.memory->Sceny[1][200], 0);
  // Six reads to compare, the write, one read back.
  EXPECT_EQ(port.written.size(), 8U);
  const ChangesReport& r = engine.changes();
  EXPECT_EQ(std::tuple(r.written, r.equal, r.finished, r.readBackOk), std::tuple(1U, 5U, true, true));
  EXPECT_TRUE(host.boxes.empty());
}

// Only ExtraMode's low byte travels: the high bits kept by the file and the settings dialog neither
// make the settings block differ nor fail its read-back. The original verify still compares words.
TEST_F(ChangesWalkTest, ExtraModeAbove255ComparesTheByteThatTravels) {
  image->ExtraMode = 261;
  controller.memory->ExtraMode = 5;
  engine.startChanges({_write_, kSettingsUnit, kSettingsUnit});
  runUntilIdle();
  EXPECT_TRUE(writtenBlocks().empty());
  EXPECT_EQ(engine.changes().equal, 2U);
  EXPECT_TRUE(host.boxes.empty()) << host.firstBox().text;

  image->FogScene = 7;
  engine.startChanges({_write_, kSettingsUnit, kSettingsUnit});
  runUntilIdle();
  EXPECT_EQ(writtenBlocks(), std::vector<std::uint32_t>{2045});
  EXPECT_TRUE(engine.changes().readBackOk);
  EXPECT_TRUE(host.boxes.empty()) << host.firstBox().text;

  engine.startBlocks({_verify_, kSettingsUnit, kSettingsUnit});
  runUntilIdle();
  ASSERT_FALSE(host.boxes.empty());
  EXPECT_NE(host.boxes[0].text.find("( 5 <> 261 )"), std::string::npos) << host.boxes[0].text;
}

TEST_F(ChangesWalkTest, SinceWritesTheListedBlocksWithoutReadingFirst) {
  image->Sceny[4][0] = 1;
  KnownBlock was{8, {}};
  was.bytes[5] = 6;
  engine.startSince({_write_, 0, 10}, {was, KnownBlock{kBlockCount, {}}});  // the second is no block
  runUntilIdle();
  ASSERT_EQ(port.written.size(), 2U);
  EXPECT_EQ(port.written[0][0], 0x11);
  EXPECT_EQ(addressOf(port.written[0]), 8U);
  EXPECT_EQ(port.written[0][5], 1);  // the image's bytes
  ASSERT_EQ(kept.size(), 1U);
  EXPECT_EQ(kept[0].bytes, was.bytes);  // what the caller said the controller holds
  EXPECT_TRUE(engine.changes().readBackOk);
}

TEST_F(ChangesWalkTest, AHookThatCannotKeepTheBytesStopsBeforeTheWrite) {
  controller.memory->Sceny[0][0] = 1;
  refusal = "disk full";
  engine.startChanges({_write_, 0, 1});
  runUntilIdle();
  EXPECT_TRUE(writtenBlocks().empty());
  EXPECT_FALSE(engine.changes().finished);
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text, "disk full");
  EXPECT_EQ(controller.memory->Sceny[0][0], 1);
}

}  // namespace
}  // namespace kavira::test
