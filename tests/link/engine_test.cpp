#include "link/transfer_engine.h"

#include <gtest/gtest.h>

#include "engine_fixture.h"

namespace kavira::test {
namespace {

const Bytes kAck{0x06, 0x03, 0xF7};
const Bytes kNak{0x15, 0x03, 0xE8};

TEST(VersionText, FromTheThreeDataBytes) {
  struct Case {
    std::uint8_t minor, major, suffix;
    const char* text;
  };
  const Case cases[] = {
      {5, 1, 'A', "\tFW : 1.05A"}, {5, 1, 0, "\tFW : 1.05"},      {0, 0, 'z', "\tFW : 0.00z"},
      {99, 9, '-', "\tFW : 9.99"}, {0, 12, 0, "\tFW : ?.??X"},    {0, 10, 'Q', "\tFW : ?.??Q"},
      {100, 1, 0, "\tFW : 1.??X"}, {255, 2, 'b', "\tFW : 2.??b"}, {7, 3, '@', "\tFW : 3.07"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ComposeVersionText(c.minor, c.major, c.suffix), c.text)
        << int{c.major} << "." << int{c.minor} << " suffix " << int{c.suffix};
  }
}

TEST_F(EngineTest, VersionReadShowsTheVersion) {
  EXPECT_EQ(engine.link().status, _idle_);  // nothing is sent before a port has answered
  engine.startVersion();
  runUntilIdle();
  ASSERT_EQ(port.written.size(), 1U);
  EXPECT_EQ(port.written[0], (Bytes{0x12, 0x03, 0xEB}));
  EXPECT_EQ(engine.link().HFirmWareVer, "\tFW : 1.05A");
  EXPECT_EQ(host.status[kPartFirmware], "\tFW : 1.05A");
  EXPECT_EQ(host.status[kPartArea], "\tWersja");
  EXPECT_EQ(host.progress, (std::vector<int>{100, 0}));
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(EngineTest, ScenesWriteOverARangeSendsItsBlocksInOrder) {
  image->Sceny[10][0] = 0x5A;
  engine.startBlocks({_write_, 10, 20});
  EXPECT_EQ(engine.link().Adres, 20U);
  runUntil([&] { return engine.link().Adres == 21; });
  EXPECT_EQ(engine.link().PBpos, 4);  // 1 x 50 / 11
  EXPECT_TRUE(host.menu[kEntryStop]);
  runUntilIdle();
  ASSERT_EQ(port.written.size(), 22U);
  for (std::size_t i = 0; i < port.written.size(); ++i) {
    EXPECT_EQ(port.written[i][0], 0x11);
    EXPECT_EQ(addressOf(port.written[i]), 20 + i);
  }
  EXPECT_EQ(engine.link().Adres, 42U);
  EXPECT_EQ(controller.memory->Sceny[10][0], 0x5A);
  EXPECT_TRUE(host.menu[kEntryRepeat]);
  EXPECT_FALSE(host.menu[kEntryStop]);
  EXPECT_EQ(host.progress.back(), 0);
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(EngineTest, WholeReadWalksAllBlocksAndSwitchesArea) {
  controller.memory->Sceny[1021][255] = 7;
  controller.memory->PgmFade[47] = 9;
  controller.memory->Midi[127].word = 0x8001;
  std::vector<std::string> areas;
  host.onRepaint = [&] {
    if (areas.empty() || areas.back() != host.status[kPartArea]) areas.push_back(host.status[kPartArea]);
  };
  engine.startBlocks({_read_, 0, 1023, true});
  runUntilIdle();
  EXPECT_EQ(port.written.size(), 2048U);
  EXPECT_EQ(areas, (std::vector<std::string>{"\tSceny", "\tUstaw.", "\tMIDI"}));
  EXPECT_EQ(addressOf(port.written[2044]), 2044U);
  EXPECT_EQ(image->Sceny[1021][255], 7);
  EXPECT_EQ(image->PgmFade[47], 9);
  EXPECT_EQ(image->Midi[127].word, 0x8001);
  EXPECT_EQ(engine.link().wszystko, 0);
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(EngineTest, AReadIntoATargetLeavesTheImageAndItsFilledMarks) {
  controller.memory->Sceny[3][0] = 7;
  controller.memory->PgmFade[0] = 9;
  auto target = std::make_unique<ControllerImage>();
  engine.setReadTarget(target.get());
  engine.startBlocks({_read_, 0, 1023, true});
  runUntilIdle();
  EXPECT_EQ(target->Sceny[3][0], 7);
  EXPECT_EQ(target->PgmFade[0], 9);
  EXPECT_TRUE(*image == *std::make_unique<ControllerImage>());
  EXPECT_FALSE(engine.filled({_write_, 0, 1023, true}));
  EXPECT_TRUE(engine.readIntoTarget().all());
}

TEST_F(EngineTest, SettingsRunSendsTwoFrames) {
  engine.startBlocks({_read_, 1022, 1022});
  EXPECT_EQ(engine.link().Adres, 2044U);
  runUntil([&] { return engine.link().Adres == 2045; });
  EXPECT_EQ(engine.link().PBpos, 50);
  runUntilIdle();
  ASSERT_EQ(port.written.size(), 2U);
  EXPECT_EQ(port.written[0], (Bytes{0x12, 0x26, 0xFC, 0x07, 0x80, 0x45}));
  EXPECT_EQ(addressOf(port.written[1]), 2045U);
}

TEST_F(EngineTest, ScenesRunToTheLastSceneLeavesTheSettingsArea) {
  engine.startBlocks({_read_, 1000, 1021});
  runUntilIdle();
  ASSERT_EQ(port.written.size(), 44U);
  EXPECT_EQ(addressOf(port.written.back()), 2043U);
  EXPECT_EQ(engine.link().obszar, _sync_);
  EXPECT_EQ(engine.link().exobszar, _dane_);  // what "&Powtórz" repeats
}

TEST_F(EngineTest, RefusedWriteRetriesTheSameBlockAfterTheLineFallsQuiet) {
  controller.override = [&](const Bytes&, std::size_t index) -> std::optional<Bytes> {
    if (index == 1) return kNak;
    return std::nullopt;
  };
  host.answers = {Answer::Retry};
  engine.startBlocks({_write_, 3, 3});
  runUntil([&] { return !host.boxes.empty(); });
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text, "Błąd komunikacji : NAK");
  EXPECT_EQ(host.boxes[0].caption, "Niepowodzenie");
  EXPECT_EQ(host.boxes[0].buttons, Buttons::RetryCancel);
  EXPECT_EQ(host.boxes[0].icon, Icon::Exclamation);
  // The tail of the refusal keeps coming: the frame waits until 100 ms after its last byte.
  const SteadyTime boxAt = clock.now();
  port.reply({0x00});
  const int purgesBefore = port.purges;
  runUntilIdle();
  ASSERT_EQ(port.written.size(), 3U);
  EXPECT_EQ(port.written[1], port.written[2]);
  EXPECT_EQ(addressOf(port.written[2]), 7U);
  EXPECT_GE(port.writtenAt[2] - boxAt, Millis(100));
  EXPECT_GT(port.purges, purgesBefore);
  EXPECT_EQ(host.boxes.size(), 1U);
}

// The first frame of a run waits until the line has been quiet for the read's silence interval, and
// only as long as that takes.
TEST_F(EngineTest, ANewRunWaitsForAQuietLine) {
  SteadyTime start = clock.now();
  engine.startBlocks({_read_, 0, 0});
  runUntilIdle();
  EXPECT_EQ(port.writtenAt.at(0), start);  // nothing has come yet
  const SteadyTime lastByte = *port.lastReceived();
  engine.startVersion();
  runUntilIdle();
  EXPECT_EQ(port.writtenAt.at(2), lastByte + Millis(100));
  clock.advance(Millis(250));
  start = clock.now();
  engine.startVersion();
  runUntilIdle();
  EXPECT_EQ(port.writtenAt.at(3), start);
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(EngineTest, CancelEndsTheRunAndAnAllSequence) {
  controller.override = [&](const Bytes&, std::size_t index) -> std::optional<Bytes> {
    return index == 4 ? std::optional<Bytes>(kNak) : std::nullopt;
  };
  engine.startBlocks({_write_, 0, 1023, true});
  runUntilIdle();
  EXPECT_EQ(port.written.size(), 5U);
  EXPECT_EQ(engine.link().wszystko, 0);
  EXPECT_FALSE(host.menu[kEntryStop]);
  ASSERT_EQ(host.boxes.size(), 1U);
}

// The answer to a write that is no acknowledgement: a refusal, or a wrong answer of its length, is a
// NAK; nothing at all, or less than an acknowledgement, is missing data, as a read calls it.
TEST_F(EngineTest, AWriteAnswerThatIsNoAcknowledgementSaysWhatCame) {
  const struct {
    const char* what;
    Bytes answer;
    const char* text;
  } cases[] = {
      {"refusal", kNak, "Błąd komunikacji : NAK"},
      {"a refusal cut short", {0x15}, "Błąd komunikacji : NAK"},
      {"another answer", {0x07, 0x03, 0xF6}, "Błąd komunikacji : NAK"},
      {"nothing", {}, "Błąd komunikacji : brak danych : 0"},
      {"an acknowledgement cut short", {0x06, 0x03}, "Błąd komunikacji : brak danych : 2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    host.boxes.clear();
    controller.frames.clear();
    controller.override = [&](const Bytes&, std::size_t index) -> std::optional<Bytes> {
      if (index == 0) return c.answer;
      return std::nullopt;
    };
    host.answers = {Answer::Cancel};
    engine.startBlocks({_write_, 3, 3});
    runUntilIdle();
    ASSERT_EQ(host.boxes.size(), 1U);
    EXPECT_EQ(host.boxes[0].text, c.text);
    EXPECT_EQ(host.boxes[0].buttons, Buttons::RetryCancel);
  }
}

TEST_F(EngineTest, DamagedRepliesOfferRetryWithTheirDetail) {
  struct Case {
    const char* what;
    std::function<Bytes(const Bytes& good)> damage;
    const char* text;
  };
  const Case cases[] = {
      {"refusal", [](const Bytes&) { return kNak; }, "Błąd komunikacji : NAK"},
      {"short", [](const Bytes& g) { return Bytes(g.begin(), g.begin() + 100); },
       "Błąd komunikacji : brak danych : 100"},
      {"checksum",
       [](const Bytes& g) {
         Bytes b = g;
         b[10] ^= 0x01;
         return b;
       },
       nullptr},
      {"address",
       [](const Bytes& g) {
         Bytes b = g;
         b[2] = static_cast<std::uint8_t>(b[2] + 1);
         b.back() = static_cast<std::uint8_t>(b.back() - 1);
         return b;
       },
       "Błąd komunikacji : adres zwrotny 9"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    host.boxes.clear();
    port.written.clear();
    controller.frames.clear();
    controller.override = [&](const Bytes& frame, std::size_t index) -> std::optional<Bytes> {
      if (index != 0) return std::nullopt;
      const BlockData data = EncodeBlock(*controller.memory, addressOf(frame));
      return c.damage(DataReply(0x26, addressOf(frame), data));
    };
    host.answers = {Answer::Retry};
    engine.startBlocks({_read_, 4, 4});
    runUntilIdle();
    EXPECT_EQ(host.boxes.size(), 1U);
    if (c.text != nullptr) {
      EXPECT_EQ(host.firstBox().text, c.text);
    }
    EXPECT_EQ(host.firstBox().text.rfind("Błąd komunikacji : ", 0), 0U);
    EXPECT_EQ(host.firstBox().buttons, Buttons::RetryCancel);
    // The same block again, then the second block.
    EXPECT_EQ(port.written.size(), 3U);
    if (port.written.size() != 3) continue;
    EXPECT_EQ(port.written[0], port.written[1]);
    EXPECT_EQ(addressOf(port.written[2]), 9U);
  }
}

TEST_F(EngineTest, ProtocolErrorEndsTheRunWithoutRetry) {
  controller.override = [&](const Bytes& frame, std::size_t) -> std::optional<Bytes> {
    const BlockData data{};
    Bytes r = DataReply(0x26, addressOf(frame), data);
    r[0] = 0x14;  // not a data reply
    r.back() = static_cast<std::uint8_t>(r.back() - 1);
    return r;
  };
  engine.startBlocks({_read_, 1022, 1022, false});
  runUntilIdle();
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text, "Błąd protokołu");
  EXPECT_EQ(host.boxes[0].buttons, Buttons::Ok);
  EXPECT_EQ(host.boxes[0].icon, Icon::Exclamation);
  EXPECT_EQ(port.written.size(), 1U);
}

TEST_F(EngineTest, SystemErrorsAreReportedWithTheirCode) {
  port.writeError = EIO;
  engine.startBlocks({_write_, 0, 0});
  runUntilIdle();
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text, "Kod błędu : 5");
  EXPECT_EQ(host.boxes[0].icon, Icon::Stop);
  EXPECT_EQ(host.boxes[0].buttons, Buttons::Ok);

  // A read that fails after a refusal has started to arrive is still reported and ends the run.
  host.boxes.clear();
  port.writeError = 0;
  controller.override = [&](const Bytes&, std::size_t) -> std::optional<Bytes> {
    return Bytes{0x15, 0x03, 0xE8, 0x00};
  };
  engine.startBlocks({_read_, 0, 0});
  runUntil([&] { return engine.link().status == _rcving_; });
  port.breakLine(EIO);
  runUntilIdle();
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text, "Kod błędu : 5");
}

TEST_F(EngineTest, NoPortIsASystemError) {
  engine.setPort(nullptr);
  engine.startVersion();
  runUntilIdle();
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text, "Kod błędu : " + std::to_string(kLineNotOpen));
}

TEST_F(EngineTest, RestartAwaitsNoAnswer) {
  engine.restart();
  runUntilIdle();
  ASSERT_EQ(port.written.size(), 1U);
  EXPECT_EQ(port.written[0], (Bytes{0x0F, 0x03, 0xEE}));
  EXPECT_FALSE(host.menu[kEntryStop]);
  EXPECT_EQ(host.status[kPartArea], "\tN/A");
}

TEST_F(EngineTest, StopKeepsWhatWasReadAndPurges) {
  controller.memory->Sceny[0].fill(1);
  controller.memory->Sceny[1].fill(2);
  engine.startBlocks({_read_, 0, 1021});
  runUntil([&] { return engine.link().Adres == 3; });
  const int purges = port.purges;
  engine.stop();
  EXPECT_EQ(engine.link().status, _idle_);
  EXPECT_GT(port.purges, purges);
  EXPECT_EQ(image->Sceny[0][255], 1);
  EXPECT_EQ(image->Sceny[1][0], 2);
  EXPECT_EQ(image->Sceny[1][128], 0);
  // Steps posted before the stop are ignored.
  const auto written = port.written.size();
  engine.step(_rcving_);
  engine.step(_init_);
  EXPECT_EQ(port.written.size(), written);
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(EngineTest, StaleStepOfAnotherStateIsIgnored) {
  engine.startBlocks({_read_, 0, 0});
  engine.step(_loop_);
  engine.step(_rcving_);
  EXPECT_TRUE(port.written.empty());
  EXPECT_EQ(engine.link().status, _init_);
}

TEST_F(EngineTest, HighlightingDuringARunChangesNothing) {
  engine.selectAction(_read_);
  EXPECT_EQ(engine.link().akcja, _read_);
  engine.startBlocks({_write_, 0, 1});
  runUntil([&] { return engine.link().Adres == 2; });
  engine.selectAction(_verify_);
  engine.selectAction(_fsave_);
  runUntilIdle();
  for (const auto& f : port.written)
    EXPECT_EQ(f[0], 0x11);
  EXPECT_EQ(port.written.size(), 4U);
}

TEST_F(EngineTest, FirmwareInstallWritesReadsBackThenReadsTheVersion) {
  FirmwareImage lines(3);
  for (std::uint32_t i = 0; i < 3; ++i) {
    lines[i].Adres = 0xFFF0 + i * 16;  // the third line lies above 0xFFFF
    lines[i].cnt = 16;
    lines[i].code.fill(static_cast<std::uint8_t>(0xA0 + i));
  }
  engine.startFirmware(lines, false);
  runUntilIdle();
  ASSERT_EQ(port.written.size(), 7U);
  EXPECT_EQ(commands(), (std::vector<std::uint8_t>{0x11, 0x11, 0x11, 0x12, 0x12, 0x12, 0x12}));
  EXPECT_EQ(port.written[2][1], 0xE6);
  EXPECT_EQ(port.written[5], (Bytes{0x12, 0xE6, 0x10, 0x00, 0x10, 0xE8}));
  EXPECT_EQ(port.written[6], (Bytes{0x12, 0x03, 0xEB}));
  EXPECT_EQ(host.progress, (std::vector<int>{33, 66, 0, 33, 66, 0, 100, 0}));
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text, "Weryfikacja zakończona sukcesem !");
  EXPECT_EQ(host.boxes[0].caption, "Sukces !");
  EXPECT_FALSE(engine.link().pgmlines.has_value());
  EXPECT_EQ(engine.link().obszar, _version_);
  EXPECT_FALSE(host.menu.count(kEntryStop) && host.menu[kEntryStop]);
}

TEST_F(EngineTest, FirmwareDifferenceRetryIgnoreAbort) {
  FirmwareImage lines(2);
  for (std::uint32_t i = 0; i < 2; ++i) {
    lines[i].Adres = i * 16;
    lines[i].cnt = 4;
    lines[i].code = {1, 2, 3, 4};
  }
  controller.firmware[0] = {1, 2, 9, 9};
  controller.firmware[16] = {1, 2, 3, 4};
  struct Case {
    std::vector<Answer> answers;
    std::size_t frames;
    std::size_t boxes;
    const char* last;
  };
  const Case cases[] = {
      // Ignore both bytes: the run ends with warnings and reads the version.
      {{Answer::Ignore, Answer::Ignore}, 3, 3, "Weryfikacja zakończona z ostrzeżeniami !"},
      // Retry reads line 0 again (still different), then Abort ends without an outcome.
      {{Answer::Retry, Answer::Abort}, 2, 2, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.answers.size() << " answers, the first "
                                    << static_cast<int>(c.answers[0]));
    port.written.clear();
    host.boxes.clear();
    host.answers.assign(c.answers.begin(), c.answers.end());
    engine.startFirmware(lines, true);
    runUntilIdle();
    EXPECT_EQ(port.written.size(), c.frames);
    EXPECT_EQ(host.boxes.size(), c.boxes);
    if (host.boxes.empty()) continue;
    EXPECT_EQ(host.boxes[0].text,
              "Błąd weryfikacji aktualizacji : linia 0\n Jeżeli weryfikacja nie powiedzie się,\nkonieczna "
              "będzie  powtórna aktualizacja !!! \nKontynuować sprawdzanie ?\n");
    EXPECT_EQ(host.boxes[0].buttons, Buttons::AbortRetryIgnore);
    if (c.last != nullptr) {
      EXPECT_EQ(host.boxes.back().text, c.last);
    }
  }
  ASSERT_GE(port.written.size(), 2U);
  EXPECT_EQ(port.written[0], port.written[1]);  // Retry read the same line again
}

TEST_F(EngineTest, FirmwareWithoutLinesSaysSoOnce) {
  engine.startFirmware({}, false);
  runUntilIdle();
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text, "Błąd programu !");
  EXPECT_EQ(host.boxes[0].icon, Icon::Stop);
  EXPECT_TRUE(port.written.empty());
}

TEST_F(EngineTest, VerifyRunEndsWithItsOutcome) {
  for (unsigned s = 5; s <= 7; ++s) {
    image->Sceny[s].fill(static_cast<std::uint8_t>(s));
    controller.memory->Sceny[s].fill(static_cast<std::uint8_t>(s));
  }
  engine.startBlocks({_verify_, 5, 7});
  runUntilIdle();
  EXPECT_EQ(port.written.size(), 6U);
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text, "Weryfikacja zakończona sukcesem !");
  EXPECT_EQ(host.boxes[0].icon, Icon::Information);

  host.boxes.clear();
  controller.memory->Sceny[6][3] = 99;
  engine.startBlocks({_verify_, 5, 7});
  runUntilIdle();
  ASSERT_EQ(host.boxes.size(), 2U);
  EXPECT_EQ(host.boxes[0].text,
            "Błąd weryfikacji : scena 7 kanał 4\n ( 6 <> 99 )\nKontynuować sprawdzanie ?");
  EXPECT_EQ(host.boxes[1].text, "Weryfikacja zakończona z ostrzeżeniami !");
  EXPECT_EQ(host.boxes[1].caption, "Sukces ?");

  host.boxes.clear();
  host.answers = {Answer::No};
  engine.startBlocks({_verify_, 5, 7});
  runUntilIdle();
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(port.written.size(), 6U + 6U + 3U);
  EXPECT_FALSE(host.menu[kEntryStop]);
}

}  // namespace
}  // namespace kavira::test
