// The changes walks through the real serial adapter against the simulated controller on a
// pseudo-terminal, with the undo journal on disk: what goes over the line, what the journal keeps,
// and that an undo gives the controller back its memory byte for byte.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <memory>
#include <set>

#include "../files/temp_dir.h"
#include "files/journal.h"
#include "pty_engine_fixture.h"
#include "scripted_host.h"
#include "sim/demo_show.h"

namespace kavira {
namespace {

using test::ScriptedHost;

class ChangesPtyTest : public test::PtyEngineTest {
 protected:
  void SetUp() override {
    PtyEngineTest::SetUp();
    *image = *show;
  }

  // Starts a journal and hands it to the engine as its write-ahead hook.
  void journalFor(const BlockWalk& area) {
    std::string error;
    journal =
        JournalWriter::Create(SystemFileSystem(), dir.path(),
                              {JournalSource::Controller, area.from, area.to, area.all, 0, "1.05A"}, &error);
    ASSERT_TRUE(journal) << error;
    engine.beforeWrite = [this](std::uint32_t block, ByteView previous) {
      return Message::Text(journal->append(block, previous));
    };
  }

  // The blocks of the write frames the simulator received, in order.
  std::vector<std::uint32_t> writesReceived() {
    return sim->withController([](SimController& c) {
      std::vector<std::uint32_t> b;
      for (const auto& f : c.received())
        if (f.bytes.size() >= 6 && f.bytes[0] == 0x11 && f.bytes[1] == 0x26)
          b.push_back(f.bytes[2] | (f.bytes[3] << 8U));
      return b;
    });
  }
  void clearReceived() {
    sim->withController([](SimController& c) { c.clearReceived(); });
  }
  // Whether the controller holds exactly the demo show's blocks.
  bool holdsShow() {
    return sim->withController([&](SimController& c) {
      for (std::uint32_t b = 0; b < kBlockCount; ++b) {
        const BlockData want = EncodeBlock(*show, b);
        const auto got = c.memory().block(b);
        if (!std::equal(got.begin(), got.end(), want.begin())) return false;
      }
      return true;
    });
  }
  std::vector<KnownBlock> undoList(const std::filesystem::path& path) {
    std::string error;
    const auto kept = ReadJournal(SystemFileSystem(), path, &error);
    EXPECT_TRUE(kept) << error;
    std::vector<KnownBlock> list;
    if (kept)
      for (const auto& r : kept->records)
        list.push_back({r.block, r.bytes});
    return list;
  }

  test::TempDir dir;
  std::unique_ptr<JournalWriter> journal;
};

const BlockWalk kAll{_write_, 0, kMidiUnit, true};

TEST_F(ChangesPtyTest, WritesOnlyWhatDiffersKeepsItAndUndoesIt) {
  image->Sceny[5][3] ^= 0x40;                               // block 10
  image->Midi[99].word = 0x1234;                            // block 2047
  image->SlowMode = show->SlowMode != 0 ? 0 : kSlowModeOn;  // block 2045
  journalFor(kAll);
  engine.startChanges(kAll);
  run();
  EXPECT_TRUE(host.boxes.empty()) << host.firstBox().text;
  EXPECT_EQ(writesReceived(), (std::vector<std::uint32_t>{10, 2045, 2047}));
  const ChangesReport r = engine.changes();
  EXPECT_TRUE(r.finished && r.readBackOk);
  EXPECT_EQ(r.written, 3U);
  EXPECT_EQ(r.equal, kBlockCount - 3);
  auto held = std::make_unique<ControllerImage>();
  sim->withController([&](SimController& c) { c.memory().storeInto(*held); });
  EXPECT_TRUE(*held == *image);
  // The journal holds what the controller held before: the show's blocks.
  const auto kept = undoList(journal->path());
  ASSERT_EQ(kept.size(), 3U);
  for (const KnownBlock& k : kept)
    EXPECT_EQ(k.bytes, EncodeBlock(*show, k.block)) << k.block;

  // The controller holds the image now: nothing is written.
  clearReceived();
  const auto firstJournal = journal->path();
  journalFor(kAll);
  engine.startChanges(kAll);
  run();
  EXPECT_TRUE(writesReceived().empty());
  EXPECT_EQ(engine.changes().written, 0U);
  EXPECT_EQ(journal->records(), 0U);

  // Undo: the journal's blocks go back verbatim, and the undo keeps its own journal.
  clearReceived();
  journalFor(kAll);
  engine.startUndo(kAll, undoList(firstJournal));
  run();
  EXPECT_TRUE(host.boxes.empty()) << host.firstBox().text;
  EXPECT_EQ(writesReceived(), (std::vector<std::uint32_t>{10, 2045, 2047}));
  EXPECT_TRUE(engine.changes().finished && engine.changes().readBackOk);
  EXPECT_TRUE(holdsShow());
  EXPECT_EQ(journal->records(), 3U);
}

TEST_F(ChangesPtyTest, AFailureMidRunLeavesAJournalThatUndoesIt) {
  // Scenes 3, 4 and 5 differ. Frames: reads of blocks 0-6, the write of 6 (frame 8), reads of 7 and
  // 8, the write of 8 (frame 11), which gets no answer; the retry is cancelled.
  for (const unsigned s : {3U, 4U, 5U})
    image->Sceny[s][0] ^= 0x01;
  sim->withController([](SimController& c) {
    std::string error;
    c.addRule(*ParseMisbehaviour("silent:frame=11:count=10", &error));
  });
  const BlockWalk scenes{_write_, 0, 20, false};
  journalFor(scenes);
  host.answers = {Answer::Cancel};
  engine.startChanges(scenes);
  run();
  ASSERT_FALSE(host.boxes.empty());
  EXPECT_EQ(host.boxes[0].buttons, Buttons::RetryCancel);
  EXPECT_FALSE(engine.changes().finished);
  EXPECT_EQ(writesReceived(), (std::vector<std::uint32_t>{6, 8}));
  // Block 8 may have changed: the journal has it as well as block 6.
  const auto kept = undoList(journal->path());
  std::set<std::uint32_t> blocks;
  for (const auto& k : kept)
    blocks.insert(k.block);
  EXPECT_EQ(blocks, (std::set<std::uint32_t>{6, 8}));

  sim->withController([](SimController& c) { c.clearRules(); });
  host.boxes.clear();
  journalFor(scenes);
  engine.startUndo(scenes, kept);
  run();
  EXPECT_TRUE(host.boxes.empty()) << host.firstBox().text;
  EXPECT_TRUE(holdsShow());
}

}  // namespace
}  // namespace kavira
