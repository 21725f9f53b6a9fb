#include "sim/sim_port.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

namespace kavira {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kProbe{0x1B, 0x03, 0xE2};
const Bytes kAck{0x06, 0x03, 0xF7};
const Bytes kRead0{0x12, 0x26, 0x00, 0x00, 0x80, 0x48};

Bytes Received(const SerialPort& port) {
  return {port.received().begin(), port.received().end()};
}

class SimPortTest : public ::testing::Test {
 protected:
  // Moves the clock on to the port's next event or time-out (at least 1 ms, the clock's step).
  void advanceToNext() {
    const auto next = port.nextDeadline();
    ASSERT_TRUE(next);
    const auto wait = std::chrono::ceil<Millis>(*next - clock.now());
    clock.advance(std::max(wait, Millis(1)));
  }
  IoPoll finishWrite() {
    IoPoll p;
    for (int i = 0; i < 10000 && (p = port.pollWrite()).state == IoState::Pending; ++i)
      advanceToNext();
    return p;
  }
  IoPoll finishRead() {
    IoPoll p;
    for (int i = 0; i < 10000 && (p = port.pollRead()).state == IoState::Pending; ++i)
      advanceToNext();
    return p;
  }
  IoPoll exchange(const Bytes& frame, std::size_t n) {
    EXPECT_EQ(port.startWrite(frame), 0);
    EXPECT_EQ(finishWrite().state, IoState::Done);
    EXPECT_EQ(port.startRead(n), 0);
    return finishRead();
  }

  ManualClock clock;
  SimController sim{SimOptions{Millis(1), true}};
  SimPort port{clock, sim};
};

TEST_F(SimPortTest, AckReadOfSixBytesEndsAfterTheSilence) {
  const IoPoll p = exchange(kProbe, 6);
  EXPECT_EQ(p.state, IoState::Done);
  EXPECT_EQ(Received(port), kAck);
  ASSERT_TRUE(port.lastReceived());
  const auto quiet = clock.now() - *port.lastReceived();
  EXPECT_GE(quiet, Millis(100));
  EXPECT_LE(quiet, Millis(101));
  EXPECT_EQ(sim.received().at(0).bytes, kProbe);
}

TEST_F(SimPortTest, FullReplyEndsAtOnceAndTakesTheLineTime) {
  const SteadyTime start = clock.now();
  const IoPoll p = exchange(kRead0, 134);
  EXPECT_EQ(p.state, IoState::Done);
  EXPECT_EQ(p.count, 134U);
  EXPECT_EQ(clock.now(), *port.lastReceived());
  // 6 bytes out, 1 ms latency, 134 bytes back: 1.7 + 1 + 38.4 ms, in whole milliseconds.
  EXPECT_GE(clock.now() - start, Millis(41));
  EXPECT_LE(clock.now() - start, Millis(43));
}

TEST_F(SimPortTest, WriteFinishesWhenTheLineHasCarriedIt) {
  const Bytes write0 = [] {
    Bytes f{0x11, 0x26, 0x00, 0x00, 0x80};
    f.resize(133, 0x00);
    f.push_back(0x49);
    return f;
  }();
  ASSERT_EQ(port.startWrite(write0), 0);
  clock.advance(Millis(38));
  EXPECT_EQ(port.pollWrite().state, IoState::Pending);
  clock.advance(Millis(1));
  EXPECT_EQ(port.pollWrite().state, IoState::Done);
  EXPECT_EQ(sim.received().at(0).bytes, write0);
}

TEST_F(SimPortTest, SilentControllerEndsTheReadAtItsTotalTimeout) {
  sim.addRule({Misbehaviour::Silent, RuleTarget::Frame, 1, 1, Millis(0), 0});
  ASSERT_EQ(port.startWrite(kProbe), 0);
  finishWrite();
  const SteadyTime start = clock.now();
  ASSERT_EQ(port.startRead(3), 0);
  const IoPoll p = finishRead();
  EXPECT_EQ(p.state, IoState::Done);
  EXPECT_EQ(p.count, 0U);
  EXPECT_EQ(clock.now() - start, Millis(480));
}

TEST_F(SimPortTest, ClosedLineFailsWithTheSystemCode) {
  sim.addRule({Misbehaviour::Close, RuleTarget::Frame, 2, 1, Millis(0), 0});
  EXPECT_EQ(exchange(kProbe, 6).state, IoState::Done);
  const IoPoll p = exchange(kProbe, 6);
  EXPECT_EQ(p.state, IoState::Failed);
  EXPECT_EQ(p.error, EIO);
  EXPECT_EQ(port.startWrite(kProbe), EIO);
  EXPECT_FALSE(port.nextEvent());
}

TEST_F(SimPortTest, PurgeDropsAnArrivedAnswerButNotOneStillOnTheLine) {
  ASSERT_EQ(port.startWrite(kProbe), 0);
  finishWrite();
  clock.advance(Millis(10));
  port.purge();  // the acknowledgement had arrived: gone
  ASSERT_EQ(port.startRead(3), 0);
  EXPECT_EQ(finishRead().count, 0U);

  sim.options().latency = Millis(50);
  ASSERT_EQ(port.startWrite(kProbe), 0);
  finishWrite();
  port.purge();  // the answer is still to come
  ASSERT_EQ(port.startRead(3), 0);
  EXPECT_EQ(finishRead().count, 3U);
}

TEST_F(SimPortTest, ClosingThePortLosesTheAnswerOnTheWay) {
  sim.options().latency = Millis(50);
  ASSERT_EQ(port.startWrite(kProbe), 0);
  finishWrite();
  port.close();
  EXPECT_EQ(port.startRead(3), EBADF);
  port.open();
  ASSERT_EQ(port.startRead(3), 0);
  EXPECT_EQ(finishRead().count, 0U);
}

}  // namespace
}  // namespace kavira
