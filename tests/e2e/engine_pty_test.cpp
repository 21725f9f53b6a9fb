// The engine through the real serial adapter (QtSerialPort) against the simulated controller on a
// pseudo-terminal, stepped by the real event-loop driver.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <memory>

#include "pty_engine_fixture.h"
#include "same_image.h"
#include "scripted_host.h"
#include "sim/demo_show.h"

namespace kavira {
namespace {

using test::ScriptedHost;

class EnginePtyTest : public test::PtyEngineTest {
 protected:
  void rule(const char* text) {
    std::string error;
    const auto r = ParseMisbehaviour(text, &error);
    ASSERT_TRUE(r.has_value()) << error;
    sim->withController([&](SimController& c) { c.addRule(*r); });
  }

  std::vector<std::uint32_t> blocksReceived() {
    return sim->withController([](SimController& c) {
      std::vector<std::uint32_t> b;
      for (const auto& f : c.received()) {
        if (f.bytes.size() >= 6 && f.bytes[1] == 0x26) b.push_back(f.bytes[2] | (f.bytes[3] << 8U));
      }
      return b;
    });
  }

  std::unique_ptr<ControllerImage> held() {
    auto i = std::make_unique<ControllerImage>();
    sim->withController([&](SimController& c) { c.memory().storeInto(*i); });
    return i;
  }
};

TEST_F(EnginePtyTest, EveryWalk) {
  engine.startVersion();
  run();
  EXPECT_EQ(engine.link().HFirmWareVer, "\tFW : 1.05A");

  engine.startBlocks({_read_, 0, 1023, true});
  run();
  EXPECT_TRUE(test::SameImage(*image, *show));
  EXPECT_EQ(blocksReceived().size(), 2048U);

  image->Sceny[700].fill(0x42);
  image->PgmSpeed[3] = 254;
  image->Midi[99].word = 0x1234;
  engine.startBlocks({_write_, 700, 700});
  run();
  engine.startBlocks({_write_, kSettingsUnit, kSettingsUnit});
  run();
  engine.startBlocks({_write_, kMidiUnit, kMidiUnit});
  run();
  EXPECT_TRUE(test::SameImage(*held(), *image));

  engine.startBlocks({_verify_, 0, 1023, true});
  run();
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text, "Weryfikacja zakończona sukcesem !");

  FirmwareImage lines(20);
  for (std::uint32_t i = 0; i < lines.size(); ++i) {
    lines[i].Adres = 0xFF80 + 16 * i;
    lines[i].cnt = 16;
    lines[i].code.fill(static_cast<std::uint8_t>(i));
  }
  engine.startFirmware(lines, false);
  run();
  ASSERT_EQ(host.boxes.size(), 2U);
  EXPECT_EQ(host.boxes[1].text, "Weryfikacja zakończona sukcesem !");
  EXPECT_EQ(engine.link().HFirmWareVer, "\tFW : 1.05A");

  engine.restart();
  run();  // idle as soon as the request has left: no answer is awaited
  QElapsedTimer t;
  t.start();
  auto restarts = [&] { return sim->withController([](SimController& c) { return c.restarts(); }); };
  while (restarts() == 0 && t.elapsed() < 5000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_EQ(restarts(), 1U);
}

TEST_F(EnginePtyTest, MisbehaviourAndTheBoxesItShows) {
  struct Case {
    const char* rule;
    _akcja action;
    Answer answer;
    const char* text;
    Buttons buttons;
    std::vector<std::uint32_t> blocks;  // as the controller received them
  };
  // (A silent read waits out 134 x 120 + 120 ms; the in-process tests on a hand-moved clock cover it.)
  const Case cases[] = {
      {"nak:block=3",
       _write_,
       Answer::Retry,
       "Błąd komunikacji : NAK",
       Buttons::RetryCancel,
       {2, 3, 3, 4, 5}},
      {"nak:block=3", _write_, Answer::Cancel, "Błąd komunikacji : NAK", Buttons::RetryCancel, {2, 3}},
      {"checksum:block=3",
       _read_,
       Answer::Retry,
       "Błąd komunikacji : suma kontrolna = 255",
       Buttons::RetryCancel,
       {2, 3, 3, 4, 5}},
      {"address:block=4",
       _read_,
       Answer::Retry,
       "Błąd komunikacji : adres zwrotny 5",
       Buttons::RetryCancel,
       {2, 3, 4, 4, 5}},
      {"command:block=3", _read_, Answer::Ok, "Błąd protokołu", Buttons::Ok, {2, 3}},
      {"short:block=5",
       _read_,
       Answer::Retry,
       "Błąd komunikacji : brak danych : 133",
       Buttons::RetryCancel,
       {2, 3, 4, 5, 5}},
      {"silent:block=2",
       _write_,
       Answer::Retry,
       "Błąd komunikacji : brak danych : 0",
       Buttons::RetryCancel,
       {2, 2, 3, 4, 5}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.rule) + (c.action == _write_ ? " write" : " read"));
    sim->withController([](SimController& s) {
      s.clearRules();
      s.clearReceived();
    });
    host.boxes.clear();
    host.answers = {c.answer};
    rule(c.rule);
    *image = *show;
    engine.startBlocks({c.action, 1, 2});
    run();
    EXPECT_EQ(host.boxes.size(), 1U);
    EXPECT_EQ(host.firstBox().text, c.text);
    EXPECT_EQ(host.firstBox().caption, "Niepowodzenie");
    EXPECT_EQ(host.firstBox().buttons, c.buttons);
    EXPECT_EQ(blocksReceived(), c.blocks);
    EXPECT_EQ(engine.link().status, _idle_);
  }
}

TEST_F(EnginePtyTest, LineClosedMidRun) {
  rule("close:block=10");
  engine.startBlocks({_read_, 0, 20});
  run();
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text, "Kod błędu : 5");  // EIO
  EXPECT_EQ(host.boxes[0].icon, Icon::Stop);
  EXPECT_EQ(image->Sceny[4], show->Sceny[4]);  // what was read before stays
}

// Answers paced at the line's speed, handed over in FIFO chunks as a serial port does.
class PacedPtyTest : public EnginePtyTest {
 protected:
  PacedPtyTest() { options = SimOptions{Millis(1), true}; }
};

// Esc while an answer is still crossing the line, and at once a new run: it starts clean, without a
// failure box, because its first frame waits until the rest of that answer has passed.
TEST_F(PacedPtyTest, RunAfterAStopMidAnswerStartsClean) {
  bool stopped = false;
  QObject::connect(&port, &QtSerialPort::activity, [&] {
    // The first bytes of an answer have arrived; about a hundred more are on their way.
    if (stopped || engine.link().status != _rcving_ || engine.link().Adres < 5) return;
    stopped = true;
    QTimer::singleShot(0, [&] {
      engine.stop();
      sim->withController([](SimController& c) { c.clearReceived(); });
      engine.startBlocks({_read_, 0, 3});
    });
  });
  engine.startBlocks({_read_, 0, 1021});
  run();
  ASSERT_TRUE(stopped);
  run();
  EXPECT_TRUE(host.boxes.empty());
  // The stopped run's last request may be logged by the simulator's thread just after the clear: the
  // new run is what follows its first frame.
  std::vector<std::uint32_t> blocks = blocksReceived();
  if (!blocks.empty() && blocks.front() == 5) blocks.erase(blocks.begin());
  EXPECT_EQ(blocks, (std::vector<std::uint32_t>{0, 1, 2, 3, 4, 5, 6, 7}));
  for (unsigned s = 0; s < 4; ++s)
    EXPECT_EQ(image->Sceny[s], show->Sceny[s]) << "scene " << s;
}

// Every answer byte handed over on its own: the port takes the bytes of an answer together once the
// line can have carried them, and a short or refused answer still ends after its silence.
class ByteAtATimePtyTest : public EnginePtyTest {
 protected:
  ByteAtATimePtyTest() {
    options = SimOptions{Millis(1), true};
    options.fifoTrigger = 1;
  }
};

TEST_F(ByteAtATimePtyTest, AnswersArriveWholeAndShortOnesEndAfterTheirSilence) {
  const struct {
    const char* rule;
    const char* box;
    std::vector<std::uint32_t> blocks;
  } cases[] = {
      {nullptr, nullptr, {2, 3, 4, 5}},
      {"short:block=3", "Błąd komunikacji : brak danych : 133", {2, 3, 3, 4, 5}},
      {"nak:block=4", "Błąd komunikacji : NAK", {2, 3, 4, 4, 5}},
  };
  host.defaults[Buttons::RetryCancel] = Answer::Retry;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rule != nullptr ? c.rule : "none");
    sim->withController([](SimController& s) {
      s.clearRules();
      s.clearReceived();
    });
    host.boxes.clear();
    *image = ControllerImage{};
    if (c.rule != nullptr) rule(c.rule);
    engine.startBlocks({_read_, 1, 2});
    run();
    EXPECT_EQ(blocksReceived(), c.blocks);
    if (c.box == nullptr) {
      EXPECT_TRUE(host.boxes.empty());
    } else {
      ASSERT_EQ(host.boxes.size(), 1U);
      EXPECT_EQ(host.boxes[0].text, c.box);
    }
    EXPECT_EQ(image->Sceny[1], show->Sceny[1]);
    EXPECT_EQ(image->Sceny[2], show->Sceny[2]);
  }
}

}  // namespace
}  // namespace kavira
