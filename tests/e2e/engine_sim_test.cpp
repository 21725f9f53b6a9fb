// The engine against the real simulated controller, in process, on a hand-moved clock, with the
// controller pacing its answers at the line's speed.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "engine_stepper.h"
#include "link/transfer_engine.h"
#include "same_image.h"
#include "scripted_host.h"
#include "sim/demo_show.h"
#include "sim/sim_controller.h"
#include "sim/sim_port.h"

namespace kavira {
namespace {

using test::ScriptedHost;

class EngineSimTest : public ::testing::Test {
 protected:
  EngineSimTest() { engine.setPort(&port); }

  void run() {
    ASSERT_EQ(test::StepEngine(engine, clock, nullptr, 2'000'000), test::StepOutcome::Idle)
        << "the run did not end";
  }

  void rule(const char* text) {
    std::string error;
    const auto r = ParseMisbehaviour(text, &error);
    ASSERT_TRUE(r.has_value()) << error;
    sim.addRule(*r);
  }

  std::vector<std::uint32_t> blocksReceived() const {
    std::vector<std::uint32_t> b;
    for (const auto& f : sim.received()) {
      if (f.bytes.size() >= 6 && f.bytes[1] == 0x26) b.push_back(f.bytes[2] | (f.bytes[3] << 8U));
    }
    return b;
  }

  std::unique_ptr<ControllerImage> controllerImage() const {
    auto i = std::make_unique<ControllerImage>();
    sim.memory().storeInto(*i);
    return i;
  }

  ManualClock clock;
  SimController sim{SimOptions{Millis(1), true}};
  SimPort port{clock, sim};
  ScriptedHost host;
  std::unique_ptr<ControllerImage> image = std::make_unique<ControllerImage>();
  TransferEngine engine{*image, host, clock};
};

TEST_F(EngineSimTest, WholeWriteThenVerifyThenRead) {
  FillDemoShow(*image);
  image->SlowMode = 65535;
  engine.startBlocks({_write_, 0, 1023, true});
  run();
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(sim.received().size(), 2048U);
  EXPECT_TRUE(test::SameImage(*controllerImage(), *image));

  engine.startBlocks({_verify_, 0, 1023, true});
  run();
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text, "Weryfikacja zakończona sukcesem !");

  const ControllerImage written = *image;
  *image = ControllerImage{};
  engine.startBlocks({_read_, 0, 1023, true});
  run();
  EXPECT_TRUE(test::SameImage(*image, written));
}

TEST_F(EngineSimTest, VersionOfTheSimulatedController) {
  sim.memory().version = VersionBytes{7, 2, 'b'};
  engine.startVersion();
  run();
  EXPECT_EQ(engine.link().HFirmWareVer, "\tFW : 2.07b");
}

// Each misbehaviour spoils one answer; the user answers every Retry box with Retry, and the run
// still ends with the controller holding exactly the image. The garbage and late cases need the retry
// to wait until the line has fallen quiet: otherwise the tail of the spoiled answer lands in the next
// read and puts every later answer out of step.
TEST_F(EngineSimTest, MisbehavingLineRecoversOnRetry) {
  struct Case {
    const char* rule;
    _akcja action;
    const char* box;  // the text of the one box shown
  };
  const Case cases[] = {
      {"nak:block=5", _write_, "Błąd komunikacji : NAK"},
      {"silent:block=5", _write_, "Błąd komunikacji : brak danych : 0"},
      {"stray:block=5", _write_, "Błąd komunikacji : NAK"},
      {"late:block=5:delay=900", _write_, "Błąd komunikacji : brak danych : 0"},
      {"nak:block=5", _read_, "Błąd komunikacji : NAK"},
      {"silent:block=5", _read_, "Błąd komunikacji : brak danych : 0"},
      {"short:block=5", _read_, "Błąd komunikacji : brak danych : 133"},
      {"checksum:block=5", _read_, "Błąd komunikacji : suma kontrolna = 255"},
      {"address:block=5", _read_, "Błąd komunikacji : adres zwrotny 6"},
      {"garbage:block=5", _read_, "Błąd komunikacji : brak danych : 134"},
      {"late:block=5:delay=16250", _read_, "Błąd komunikacji : brak danych : 0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rule);
    sim.clearRules();
    sim.clearReceived();
    host.boxes.clear();
    FillDemoShow(*image);
    if (c.action == _read_) {
      sim.memory().loadImage(*image);
      *image = ControllerImage{};
    } else {
      sim.memory().loadImage(ControllerImage{});
    }
    rule(c.rule);
    host.defaults[Buttons::RetryCancel] = Answer::Retry;
    engine.startBlocks({c.action, 0, 9});
    run();
    EXPECT_EQ(host.boxes.size(), 1U);
    EXPECT_EQ(host.firstBox().text, c.box);
    EXPECT_EQ(host.firstBox().buttons, Buttons::RetryCancel);
    // Block 5 went twice; every block arrived in order.
    std::vector<std::uint32_t> expected{0,  1,  2,  3,  4,  5,  5,  6,  7,  8, 9,
                                        10, 11, 12, 13, 14, 15, 16, 17, 18, 19};
    EXPECT_EQ(blocksReceived(), expected);
    auto held = controllerImage();
    for (unsigned s = 0; s < 10; ++s)
      EXPECT_EQ(held->Sceny[s], image->Sceny[s]) << "scene " << s;
  }
}

TEST_F(EngineSimTest, ProtocolErrorsEndTheRun) {
  for (const char* r : {"command:block=3", "count:block=3"}) {
    SCOPED_TRACE(r);
    sim.clearRules();
    sim.clearReceived();
    host.boxes.clear();
    rule(r);
    engine.startBlocks({_read_, 0, 9});
    run();
    EXPECT_EQ(host.boxes.size(), 1U);
    EXPECT_EQ(host.firstBox().text, "Błąd protokołu");
    const auto blocks = blocksReceived();
    EXPECT_FALSE(blocks.empty());
    if (!blocks.empty()) {
      EXPECT_EQ(blocks.back(), 3U);
    }
  }
}

TEST_F(EngineSimTest, LineClosedMidRunIsASystemError) {
  rule("close:block=7");
  engine.startBlocks({_write_, 0, 9});
  run();
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text.rfind("Kod błędu : ", 0), 0U);
  EXPECT_EQ(engine.link().status, _idle_);
}

TEST_F(EngineSimTest, CancelKeepsWhatWasReadSoFar) {
  FillDemoShow(*image);
  sim.memory().loadImage(*image);
  const ControllerImage show = *image;
  *image = ControllerImage{};
  rule("nak:block=6");
  host.defaults[Buttons::RetryCancel] = Answer::Cancel;
  engine.startBlocks({_read_, 0, 1021});
  run();
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(image->Sceny[2], show.Sceny[2]);
  EXPECT_EQ(image->Sceny[3], ControllerImage{}.Sceny[3]);
}

// A run stopped while an answer is on the line, and a new one started at once: the new run's first
// frame waits until the rest of that answer has passed, and nothing of it reaches the new run.
TEST_F(EngineSimTest, AnswerCutShortByAStopDoesNotReachTheNextRun) {
  FillDemoShow(*image);
  sim.memory().loadImage(*image);
  const ControllerImage show = *image;
  *image = ControllerImage{};
  engine.startBlocks({_read_, 0, 1021});
  ASSERT_EQ(test::StepEngine(
                engine, clock, [&] { return engine.link().Adres == 5 && engine.link().status == _rcving_; },
                100000),
            test::StepOutcome::Done);
  clock.advance(Millis(15));  // a third of the 134-byte answer has arrived
  port.pump();
  engine.stop();
  sim.clearReceived();
  engine.startBlocks({_read_, 0, 3});
  run();
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(blocksReceived(), (std::vector<std::uint32_t>{0, 1, 2, 3, 4, 5, 6, 7}));
  for (unsigned s = 0; s < 4; ++s)
    EXPECT_EQ(image->Sceny[s], show.Sceny[s]) << "scene " << s;
}

TEST_F(EngineSimTest, FirmwareInstallAndVerify) {
  std::mt19937 rng(7);
  FirmwareImage lines(40);
  for (std::uint32_t i = 0; i < lines.size(); ++i) {
    lines[i].Adres = 0xFE00 + i * 16;  // crosses 0xFFFF
    lines[i].cnt = 1 + rng() % 16;
    for (auto& b : lines[i].code)
      b = static_cast<std::uint8_t>(rng());
  }
  engine.startFirmware(lines, false);
  run();
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text, "Weryfikacja zakończona sukcesem !");
  EXPECT_EQ(sim.received().size(), 81U);  // 40 writes, 40 reads, the version
  for (const auto& l : lines) {
    const auto got = sim.memory().readFirmware(l.Adres, l.cnt);
    EXPECT_TRUE(got.has_value()) << "line at " << l.Adres;
    if (got) {
      EXPECT_TRUE(std::equal(got->begin(), got->end(), l.code.begin())) << "line at " << l.Adres;
    }
  }

  // A line spoiled in the controller's memory: verify shows it; Ignore lets the run end with warnings.
  const std::uint8_t bad[] = {static_cast<std::uint8_t>(lines[3].code[0] ^ 0xFF)};
  sim.memory().writeFirmware(lines[3].Adres, bad);
  host.boxes.clear();
  host.defaults[Buttons::AbortRetryIgnore] = Answer::Ignore;
  engine.startFirmware(lines, true);
  run();
  ASSERT_EQ(host.boxes.size(), 2U);
  EXPECT_EQ(host.boxes[0].text.rfind("Błąd weryfikacji aktualizacji : linia 3\n", 0), 0U);
  EXPECT_EQ(host.boxes[1].text, "Weryfikacja zakończona z ostrzeżeniami !");
  EXPECT_NE(engine.link().HFirmWareVer, kNoVersion);
}

}  // namespace
}  // namespace kavira
