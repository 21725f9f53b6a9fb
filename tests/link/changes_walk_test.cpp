// The changes walks against the fake port: only the blocks that differ are written, each after the
// write-ahead hook has kept what it held, and read back; what the controller holds decides.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <utility>

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

// The three-way write of block 8 (scene 5's first half): the image sets channel 1, the copy says the
// controller held zeros; what the controller holds now, and the answer to a conflict, decide.
TEST_F(ChangesWalkTest, ThreeWayWriteJudgesEachBlockByTheControllerNow) {
  struct Case {
    const char* name;
    std::uint8_t channel1, channel2;  // the controller now
    Answer answer;                    // to a conflict box
    std::vector<std::uint32_t> writes;
    std::uint32_t equal, conflicts, skipped;
    bool finished;
  };
  const Case cases[] = {
      {"held as the copy says", 0, 0, Answer::Ok, {8}, 0, 0, 0, true},
      {"already as the image says", 1, 0, Answer::Ok, {}, 1, 0, 0, true},
      {"changed meanwhile, cancelled", 0, 7, Answer::Cancel, {}, 0, 1, 0, false},
      {"changed meanwhile, skipped", 0, 7, Answer::Skip, {}, 0, 1, 1, true},
      {"changed meanwhile, overwritten", 0, 7, Answer::Overwrite, {8}, 0, 1, 0, true},
  };
  image->Sceny[4][0] = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    port.written.clear();
    kept.clear();
    host.boxes.clear();
    host.answers = {c.answer};
    controller.memory->Sceny[4] = {};
    controller.memory->Sceny[4][0] = c.channel1;
    controller.memory->Sceny[4][1] = c.channel2;
    engine.startSince({_write_, 0, 10}, {KnownBlock{8, {}}, KnownBlock{kBlockCount, {}}});  // no block 2048
    runUntilIdle();
    EXPECT_EQ(writtenBlocks(), c.writes);
    // The block is read before anything else; one written is read back.
    EXPECT_EQ(port.written.size(), 1 + 2 * c.writes.size());
    const ChangesReport& r = engine.changes();
    EXPECT_EQ(std::tuple(r.equal, r.conflicts, r.skipped, r.finished),
              std::tuple(c.equal, c.conflicts, c.skipped, c.finished));
    if (!c.writes.empty()) {
      ASSERT_EQ(kept.size(), 1U);
      EXPECT_EQ(kept[0].bytes[1], c.channel2);  // the journal keeps the bytes read, not the copy's
      EXPECT_EQ(controller.memory->Sceny[4][0], 1);
    }
    if (c.conflicts != 0) {
      ASSERT_FALSE(host.boxes.empty());
      EXPECT_EQ(host.boxes[0].kind, MessageKind::Conflict);
      EXPECT_NE(host.boxes[0].text.find("scena 5 kanał 2 : obraz 0, sterownik teraz 7, przedtem 0"),
                std::string::npos)
          << host.boxes[0].text;
    }
  }
}

TEST_F(ChangesWalkTest, NothingIsWrittenBeforeTheConflictsAreAnswered) {
  image->Sceny[4][0] = 1;
  image->Sceny[5][0] = 1;
  controller.memory->Sceny[5][3] = 9;  // block 10 changed meanwhile; block 8 did not
  std::size_t writesBeforeBox = 99;
  host.onBox = [&](const auto&) { writesBeforeBox = writtenBlocks().size(); };
  host.answers = {Answer::Cancel};
  engine.startSince({_write_, 0, 10}, {KnownBlock{8, {}}, KnownBlock{10, {}}});
  runUntilIdle();
  EXPECT_EQ(writesBeforeBox, 0U);
  EXPECT_TRUE(writtenBlocks().empty());
  EXPECT_TRUE(kept.empty());
}

TEST_F(ChangesWalkTest, AfterAReadOnlyTheEditedBlocksAreReadAndWritten) {
  EXPECT_EQ(engine.changesRequest({_write_, 0, 9}).kind, WalkKind::Changes);  // nothing seen yet
  engine.startBlocks({_read_, 0, 9});
  runUntilIdle();
  image->Sceny[3][130] = 5;  // block 7
  const ChangesRequest request = engine.changesRequest({_write_, 0, 9});
  ASSERT_EQ(request.kind, WalkKind::Since);
  ASSERT_EQ(request.known.size(), 1U);
  EXPECT_EQ(request.known[0].block, 7U);
  port.written.clear();
  engine.startChangesWalk(request);
  runUntilIdle();
  EXPECT_EQ(port.written.size(), 3U);  // read, write, read back
  EXPECT_EQ(writtenBlocks(), std::vector<std::uint32_t>{7});
  // What was written is known: nothing is left to do.
  EXPECT_TRUE(engine.changesRequest({_write_, 0, 9}).known.empty());
}

TEST_F(ChangesWalkTest, TheCopyIsForgottenWhenTheControllerMayHaveChanged) {
  const std::pair<const char*, std::function<void()>> events[] = {
      {"port change", [&] { engine.setPort(&port); }},
      {"restart", [&] { engine.restart(); }},
      {"firmware install", [&] { engine.startFirmware(FirmwareImage(1), false); }},
      {"a failed read of block 2",
       [&] {
         const std::size_t first = controller.frames.size();
         controller.override = [first](const Bytes&, std::size_t index) -> std::optional<Bytes> {
           return index == first ? std::optional<Bytes>(Bytes{0x13}) : std::nullopt;
         };
         host.answers = {Answer::Cancel};
         engine.startBlocks({_read_, 1, 1});
       }},
  };
  for (const auto& [name, event] : events) {
    SCOPED_TRACE(name);
    controller.override = nullptr;
    engine.startBlocks({_read_, 0, 1});
    runUntilIdle();
    ASSERT_EQ(engine.changesRequest({_write_, 0, 1}).kind, WalkKind::Since);
    event();
    runUntilIdle();
    engine.stop();
    EXPECT_FALSE(engine.controllerCopy().known(2));
    EXPECT_EQ(engine.changesRequest({_write_, 0, 1}).kind, WalkKind::Changes);
  }
  EXPECT_TRUE(engine.controllerCopy().known(0));  // the failed read forgot only its own block
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
