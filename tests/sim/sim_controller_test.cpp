#include "sim/sim_controller.h"

#include <gtest/gtest.h>

#include "byte_streams.h"

#include <memory>
#include <vector>

#include "sim/demo_show.h"

namespace kavira {
namespace {

using test::Bytes;

using test::Cat;
using test::Repeat;
using test::t0;
const Millis kLongAfter{10000};

const Bytes kProbe{0x1B, 0x03, 0xE2};
const Bytes kAck{0x06, 0x03, 0xF7};
const Bytes kNak{0x15, 0x03, 0xE8};
const Bytes kVersion{0x12, 0x03, 0xEB};
const Bytes kRestart{0x0F, 0x03, 0xEE};
const Bytes kRead0{0x12, 0x26, 0x00, 0x00, 0x80, 0x48};
const Bytes kWrite5 = Cat({{0x11, 0x26, 0x05, 0x00, 0x80}, Repeat(0xAB, 128), {0xC4}});
const Bytes kRead5{0x12, 0x26, 0x05, 0x00, 0x80, 0x43};
//                         cmd   space addrL addrH count, 16 code bytes 10..1F, checksum
const Bytes kLineWrite =
    Cat({{0x11, 0xE6, 0xB4, 0xA2, 0x10},
         {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F},
         {0x2B}});
const Bytes kLineRead{0x12, 0xE6, 0xB4, 0xA2, 0x10, 0xA2};

// Unpaced controller with no latency: answers are there at the time of the frame.
SimOptions Instant() {
  return {Millis(0), false};
}

Bytes Exchange(SimController& sim, const Bytes& frame, SteadyTime at = t0) {
  sim.receive(frame, at);
  return sim.takeOutput(at + kLongAfter);
}

TEST(SimController, AnswersEveryFrameKind) {
  struct Case {
    const char* what;
    Bytes frame;
    Bytes answer;
  };
  const Case cases[] = {
      {"probe", kProbe, kAck},
      {"version 1.05A", kVersion, {0x13, 0x06, 0x00, 0x00, 0x03, 0x05, 0x01, 0x41, 0x9D}},
      {"restart: no answer", kRestart, {}},
      {"block 0 read", kRead0, Cat({{0x13, 0x26, 0x00, 0x00, 0x80}, Repeat(0x00, 128), {0x47}})},
      {"block 5 write", kWrite5, kAck},
      {"block 5 read back", kRead5, Cat({{0x13, 0x26, 0x05, 0x00, 0x80}, Repeat(0xAB, 128), {0xC2}})},
      {"firmware line write above 0xFFFF", kLineWrite, kAck},
      {"firmware line read back", kLineRead,
       Cat({{0x13, 0xE6, 0xB4, 0xA2, 0x10},
            {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F},
            {0x29}})},
      {"erased line at the top of firmware memory",
       {0x12, 0xE6, 0x00, 0xE0, 0x10, 0x18},
       Cat({{0x13, 0xE6, 0x00, 0xE0, 0x10}, Repeat(0xFF, 16), {0x27}})},
      // Refusals: damaged or unservable frames.
      {"bad checksum", {0x1B, 0x03, 0xE3}, kNak},
      {"write in short form", {0x11, 0x03, 0xEC}, kNak},
      {"probe in long form", {0x1B, 0x26, 0x00, 0x00, 0x80}, kNak},
      {"block 2048", {0x12, 0x26, 0x00, 0x08, 0x80, 0x40}, kNak},
      {"block read of 64 bytes", {0x12, 0x26, 0x00, 0x00, 0x40, 0x88}, kNak},
      {"line above 0x1E000", {0x12, 0xE6, 0x01, 0xE0, 0x10, 0x17}, kNak},
      {"line of 17 bytes", Cat({{0x11, 0x66, 0x00, 0x01, 0x11}, Repeat(0x00, 17), {0x77}}), kNak},
  };
  SimController sim(Instant());
  SteadyTime at = t0;
  for (const auto& c : cases) {
    at += Millis(1000);
    EXPECT_EQ(Exchange(sim, c.frame, at), c.answer) << c.what;
  }
  EXPECT_EQ(sim.restarts(), 1U);
  EXPECT_EQ(sim.received().size(), std::size(cases));
  EXPECT_EQ(sim.received().at(9).verdict, FrameVerdict::BadChecksum);
  EXPECT_EQ(sim.received().at(11).verdict, FrameVerdict::UnknownForm);
  EXPECT_EQ(sim.received().at(11).bytes, (Bytes{0x1B, 0x26}));
  EXPECT_EQ(sim.received().at(4).bytes, kWrite5);
  EXPECT_EQ(sim.received().at(4).number, 5U);
  // Refused frames change nothing.
  const auto line = sim.memory().readFirmware(0x100, 2);
  EXPECT_EQ(*line, (Bytes{0xFF, 0xFF}));
}

TEST(SimController, VersionBytesComeFromMemory) {
  SimController sim(Instant());
  sim.memory().version = *ParseVersionBytes("2.7");
  EXPECT_EQ(Exchange(sim, kVersion), (Bytes{0x13, 0x06, 0x00, 0x00, 0x03, 0x07, 0x02, 0x00, 0xDB}));
}

TEST(SimController, PacesAnswersAtTheLineSpeedAfterItsLatency) {
  SimController sim({Millis(5), true});
  sim.receive(kProbe, t0);
  // 11 bits at 38400 baud: 286.458 us a byte; byte k has arrived k x 286.458 us after the start.
  using std::chrono::nanoseconds;
  EXPECT_EQ(sim.nextOutputTime(), t0 + Millis(5) + nanoseconds(286'458));
  EXPECT_TRUE(sim.takeOutput(t0 + Millis(5) + nanoseconds(286'457)).empty());
  EXPECT_EQ(sim.takeOutput(t0 + Millis(5) + nanoseconds(286'458)), (Bytes{0x06}));
  EXPECT_EQ(sim.takeOutput(t0 + Millis(5) + nanoseconds(859'375)), (Bytes{0x03, 0xF7}));
  EXPECT_FALSE(sim.nextOutputTime());

  // A 134-byte reply takes 38.4 ms; a second answer queues behind it.
  sim.receive(kRead0, t0 + Millis(100));
  sim.receive(kProbe, t0 + Millis(101));
  const SteadyTime start = t0 + Millis(105);
  EXPECT_EQ(sim.takeOutput(start + nanoseconds(38'098'958)).size(), 133U);
  EXPECT_EQ(sim.takeOutput(start + nanoseconds(38'385'416)).size(), 1U);
  EXPECT_EQ(sim.nextOutputTime(), start + nanoseconds(38'385'416 + 286'458));
}

TEST(SimController, UnpacedAnswersArriveTogetherAfterTheLatency) {
  SimController sim({Millis(3), false});
  sim.receive(kRead0, t0);
  EXPECT_EQ(sim.nextOutputTime(), t0 + Millis(3));
  EXPECT_TRUE(sim.takeOutput(t0 + Millis(2)).empty());
  EXPECT_EQ(sim.takeOutput(t0 + Millis(3)).size(), 134U);
}

TEST(SimController, HangUpLosesWhatWasOnTheWay) {
  SimController sim({Millis(5), true});
  sim.receive(kProbe, t0);
  sim.receive(Bytes{0x12, 0x26}, t0);
  sim.hangUp();
  EXPECT_FALSE(sim.nextOutputTime());
  EXPECT_EQ(Exchange(sim, kProbe, t0 + Millis(1)), kAck);  // the half frame was forgotten
}

// --- Misbehaviour ---

MisbehaviourRule Rule(Misbehaviour kind, RuleTarget target, std::uint32_t value, std::uint32_t count = 1,
                      Millis delay = Millis(0)) {
  return {kind, target, value, count, delay, 0};
}

TEST(SimMisbehaviour, EachKindSpoilsTheAnswerAsNamed) {
  struct Case {
    const char* what;
    MisbehaviourRule rule;
    Bytes frame;
    Bytes answer;
  };
  const Case cases[] = {
      {"nak", Rule(Misbehaviour::Nak, RuleTarget::Frame, 1), kRead0, kNak},
      {"silent", Rule(Misbehaviour::Silent, RuleTarget::Frame, 1), kVersion, {}},
      {"checksum", Rule(Misbehaviour::BadChecksum, RuleTarget::Frame, 1), kProbe, {0x06, 0x03, 0xF8}},
      {"address", Rule(Misbehaviour::WrongAddress, RuleTarget::Block, 0), kRead0,
       Cat({{0x13, 0x26, 0x01, 0x00, 0x80}, Repeat(0x00, 128), {0x46}})},
      {"address crossing into bit 16",
       Rule(Misbehaviour::WrongAddress, RuleTarget::Line, 0xFFFF),
       {0x12, 0x66, 0xFF, 0xFF, 0x04, 0x86},
       {0x13, 0xE6, 0x00, 0x00, 0x04, 0xFF, 0xFF, 0xFF, 0xFF, 0x07}},
      {"command on data", Rule(Misbehaviour::WrongCommand, RuleTarget::Frame, 1), kRead0,
       Cat({{0x14, 0x26, 0x00, 0x00, 0x80}, Repeat(0x00, 128), {0x46}})},
      {"command on an ack",
       Rule(Misbehaviour::WrongCommand, RuleTarget::Frame, 1),
       kProbe,
       {0x07, 0x03, 0xF6}},
      {"count",
       Rule(Misbehaviour::WrongCount, RuleTarget::Frame, 1),
       kVersion,
       {0x13, 0x06, 0x00, 0x00, 0x02, 0x05, 0x01, 0xDF}},
      {"short", Rule(Misbehaviour::Short, RuleTarget::Frame, 1), kProbe, {0x06, 0x03}},
      {"garbage",
       Rule(Misbehaviour::Garbage, RuleTarget::Frame, 1),
       kProbe,
       {0x55, 0xAA, 0xFF, 0x06, 0x03, 0xF7}},
      {"stray", Rule(Misbehaviour::Stray, RuleTarget::Frame, 1), kWrite5, {0x06, 0x03, 0xF7, 0x00}},
      {"late", Rule(Misbehaviour::Late, RuleTarget::Frame, 1, 1, Millis(700)), kProbe, kAck},
      {"close", Rule(Misbehaviour::Close, RuleTarget::Frame, 1), kProbe, {}},
  };
  for (const auto& c : cases) {
    SimController sim(Instant());
    sim.addRule(c.rule);
    EXPECT_EQ(Exchange(sim, c.frame), c.answer) << c.what;
    EXPECT_EQ(sim.rules().at(0).fired, 1U) << c.what;
  }
}

TEST(SimMisbehaviour, RefusedSilentAndClosedWritesAreNotStored) {
  const struct {
    Misbehaviour kind;
    bool stored;
  } cases[] = {{Misbehaviour::Nak, false},        {Misbehaviour::Silent, false}, {Misbehaviour::Close, false},
               {Misbehaviour::BadChecksum, true}, {Misbehaviour::Stray, true},   {Misbehaviour::Late, true}};
  for (const auto& c : cases) {
    SimController sim(Instant());
    sim.addRule(Rule(c.kind, RuleTarget::Block, 5));
    sim.receive(kWrite5, t0);
    EXPECT_EQ(sim.memory().block(5)[0], c.stored ? 0xAB : 0x00) << MisbehaviourName(c.kind);
  }
}

TEST(SimMisbehaviour, TimingOfLateStrayAndClose) {
  SimController sim({Millis(1), false});
  sim.addRule(Rule(Misbehaviour::Late, RuleTarget::Frame, 1, 1, Millis(700)));
  sim.receive(kProbe, t0);
  EXPECT_TRUE(sim.takeOutput(t0 + Millis(700)).empty());
  EXPECT_EQ(sim.takeOutput(t0 + Millis(701)), kAck);

  sim.clearRules();
  sim.addRule(Rule(Misbehaviour::Stray, RuleTarget::Frame, 1));
  sim.receive(kProbe, t0 + Millis(1000));
  EXPECT_EQ(sim.takeOutput(t0 + Millis(1001)), kAck);
  EXPECT_EQ(sim.nextOutputTime(), t0 + Millis(1021));
  EXPECT_EQ(sim.takeOutput(t0 + Millis(1021)), (Bytes{0x00}));

  sim.clearRules();
  sim.addRule(Rule(Misbehaviour::Close, RuleTarget::Frame, 1, 1, Millis(50)));
  sim.receive(kProbe, t0 + Millis(2000));
  EXPECT_FALSE(sim.lineClosed(t0 + Millis(2050)));
  EXPECT_EQ(sim.nextOutputTime(), t0 + Millis(2051));
  EXPECT_TRUE(sim.lineClosed(t0 + Millis(2051)));
  // A closed line takes nothing in and gives nothing out.
  const std::size_t frames = sim.received().size();
  sim.receive(kProbe, t0 + Millis(2100));
  EXPECT_EQ(sim.received().size(), frames);
  EXPECT_TRUE(sim.takeOutput(t0 + kLongAfter).empty());
}

TEST(SimMisbehaviour, TargetsAndCounts) {
  SimController sim(Instant());
  // Frames 2 and 3 refused, whatever they are.
  sim.addRule(Rule(Misbehaviour::Nak, RuleTarget::Frame, 2, 2));
  // The first two requests for block 5 go unanswered; other blocks are not touched.
  sim.addRule(Rule(Misbehaviour::Silent, RuleTarget::Block, 5, 2));
  // A stray byte only follows an acknowledgement: the read of line 0x1A2B4 does not use it up.
  sim.addRule(Rule(Misbehaviour::Stray, RuleTarget::Line, 0x1A2B4));
  const struct {
    Bytes frame;
    Bytes answer;
  } steps[] = {
      {kProbe, kAck},  // frame 1
      {kProbe, kNak},  // 2
      {kRead0, kNak},  // 3
      {kProbe, kAck},  // 4
      {kRead5, {}},
      {kRead0, Cat({{0x13, 0x26, 0x00, 0x00, 0x80}, Repeat(0x00, 128), {0x47}})},
      {kWrite5, {}},
      {kWrite5, kAck},
      {kLineRead, Cat({{0x13, 0xE6, 0xB4, 0xA2, 0x10}, Repeat(0xFF, 16), {0xB1}})},
      {kLineWrite, Cat({kAck, {0x00}})},
      {kLineWrite, kAck},
  };
  SteadyTime at = t0;
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    at += Millis(1000);
    EXPECT_EQ(Exchange(sim, steps[i].frame, at), steps[i].answer) << "step " << i;
  }
}

TEST(SimMisbehaviour, DelayAppliesToAnyKind) {
  SimController sim({Millis(0), false});
  sim.addRule(Rule(Misbehaviour::Garbage, RuleTarget::Frame, 1, 1, Millis(300)));
  sim.receive(kProbe, t0);
  EXPECT_EQ(sim.nextOutputTime(), t0 + Millis(300));
}

TEST(MisbehaviourRule, Parsing) {
  struct Good {
    const char* text;
    MisbehaviourRule rule;
  };
  const Good good[] = {
      {"nak:frame=3", Rule(Misbehaviour::Nak, RuleTarget::Frame, 3)},
      {"silent:block=2044:count=2", Rule(Misbehaviour::Silent, RuleTarget::Block, 2044, 2)},
      {"late:line=0x1A2B4", Rule(Misbehaviour::Late, RuleTarget::Line, 0x1A2B4, 1, Millis(1000))},
      {"late:frame=1:delay=250", Rule(Misbehaviour::Late, RuleTarget::Frame, 1, 1, Millis(250))},
      {"garbage:delay=5:block=7", Rule(Misbehaviour::Garbage, RuleTarget::Block, 7, 1, Millis(5))},
      {"checksum:frame=1", Rule(Misbehaviour::BadChecksum, RuleTarget::Frame, 1)},
      {"address:frame=1", Rule(Misbehaviour::WrongAddress, RuleTarget::Frame, 1)},
      {"command:frame=1", Rule(Misbehaviour::WrongCommand, RuleTarget::Frame, 1)},
      {"count:frame=1", Rule(Misbehaviour::WrongCount, RuleTarget::Frame, 1)},
      {"short:frame=1", Rule(Misbehaviour::Short, RuleTarget::Frame, 1)},
      {"stray:frame=1", Rule(Misbehaviour::Stray, RuleTarget::Frame, 1)},
      {"close:frame=9", Rule(Misbehaviour::Close, RuleTarget::Frame, 9)},
  };
  for (const auto& g : good) {
    std::string error;
    const auto r = ParseMisbehaviour(g.text, &error);
    EXPECT_TRUE(r) << g.text << ": " << error;
    if (r) {
      EXPECT_EQ(*r, g.rule) << g.text;
    }
  }
  const char* bad[] = {"",
                       "nak",
                       "nak:",
                       "bogus:frame=1",
                       "nak:frame=0",
                       "nak:frame=x",
                       "nak:block=2048",
                       "nak:line=0x1E001",
                       "nak:frame=1:count=0",
                       "nak:frame=1:block=2",
                       "nak:size=3",
                       "nak:frame=-1",
                       "late:frame=1:delay=600001",
                       "nak:frame=1:count"};
  for (const char* b : bad) {
    std::string error;
    EXPECT_FALSE(ParseMisbehaviour(b, &error)) << b;
    EXPECT_FALSE(error.empty()) << b;
  }
}

// --- Memory and the demonstration show ---

TEST(SimMemory, ImageRoundTripAndVersionText) {
  auto show = std::make_unique<ControllerImage>();
  FillDemoShow(*show);
  SimMemory memory;
  memory.loadImage(*show);
  auto back = std::make_unique<ControllerImage>();
  memory.storeInto(*back);
  EXPECT_EQ(*back, *show);
  // Settings block 2045 carries the filler bytes a controller keeps there.
  EXPECT_EQ(memory.block(2045)[24], 0xFF);

  const struct {
    const char* text;
    std::optional<VersionBytes> v;
  } versions[] = {
      {"1.05A", VersionBytes{5, 1, 'A'}},
      {"2.7", VersionBytes{7, 2, 0}},
      {"12.100z", VersionBytes{100, 12, 'z'}},
      {"1.05AB", std::nullopt},
      {"105", std::nullopt},
      {".5", std::nullopt},
      {"1.", std::nullopt},
      {"256.1", std::nullopt},
      {"1.x", std::nullopt},
  };
  for (const auto& c : versions)
    EXPECT_EQ(ParseVersionBytes(c.text), c.v) << c.text;
  EXPECT_EQ(FormatVersionBytes({5, 1, 'A'}), "1.05A");
  EXPECT_EQ(FormatVersionBytes({7, 2, 0}), "2.07");
}

TEST(DemoShow, IsAShowTheDialogsAcceptAsItIs) {
  auto show = std::make_unique<ControllerImage>();
  FillDemoShow(*show);
  int litScenes = 0;
  for (const auto& s : show->Sceny)
    litScenes += std::any_of(s.begin(), s.end(), [](auto b) { return b != 0; });
  EXPECT_GE(litScenes, 30);
  const unsigned counts[] = {32, 16, 14};
  for (unsigned p = 0; p < kProgramCount; ++p) {
    const unsigned count = p < 16 ? counts[0] : p < 47 ? counts[1] : counts[2];
    EXPECT_LE(show->PgmEnds[p], count) << p;
    const auto speed = show->PgmSpeed[p];
    EXPECT_TRUE(speed <= 31 || speed == 254 || speed == 255) << p;
  }
  int collections = 0;
  for (const auto& area : show->Shows) {
    for (auto entry : area) {
      EXPECT_TRUE(entry < kProgramCount || entry == 255);
      collections += entry != 255;
    }
  }
  EXPECT_GE(collections, 3);
  int keys = 0;
  for (const auto& m : show->Midi) {
    EXPECT_LE(m.AScena(), 1021U);
    keys += (m.word >> 10) != 0;
  }
  EXPECT_GE(keys, 8);
  for (auto scene : {show->StrobScene, show->FogScene, show->ExtraScene})
    EXPECT_TRUE(scene <= 1021 || scene == 0xFFFF);
  EXPECT_NE(show->StrobScene, 0xFFFF);
}

}  // namespace
}  // namespace kavira
