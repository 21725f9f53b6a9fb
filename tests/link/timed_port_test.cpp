// The line's rules in detail, bytes delivered by hand; what every port promises is in
// serial_port_contract.h, run over the fake port by tests/sim.
#include "link/timed_port.h"

#include <gtest/gtest.h>

#include "fake_port.h"

namespace kavira {
namespace {

using test::Bytes;
using test::FakePort;

class TimedPortTest : public ::testing::Test {
 protected:
  ManualClock clock;
  FakePort port{clock};

  IoPoll readAfter(Millis wait) {
    clock.advance(wait);
    return port.pollRead();
  }
};

TEST_F(TimedPortTest, EachByteRestartsTheSilenceInterval) {
  ASSERT_EQ(port.startRead(10), 0);
  for (int i = 0; i < 5; ++i) {
    port.reply({static_cast<std::uint8_t>(i)});
    EXPECT_EQ(readAfter(Millis(90)).state, IoState::Pending) << i;
  }
  EXPECT_EQ(readAfter(Millis(10)).state, IoState::Done);
  EXPECT_EQ(port.received().size(), 5U);
}

TEST_F(TimedPortTest, TotalTimeoutEndsALateReplyBeforeItsSilence) {
  ASSERT_EQ(port.startRead(6), 0);
  clock.advance(Millis(800));
  port.reply({0x06});
  EXPECT_EQ(readAfter(Millis(39)).state, IoState::Pending);
  const IoPoll p = readAfter(Millis(1));  // 840 ms in all, only 40 ms after the byte
  EXPECT_EQ(p.state, IoState::Done);
  EXPECT_EQ(p.count, 1U);
}

TEST_F(TimedPortTest, FullReplyEndsAtOnceAndLeavesTheRestQueued) {
  ASSERT_EQ(port.startRead(3), 0);
  port.reply({1, 2, 3, 4, 5});
  const IoPoll p = port.pollRead();
  EXPECT_EQ(p.state, IoState::Done);
  EXPECT_EQ(p.count, 3U);
  ASSERT_EQ(port.startRead(3), 0);  // the stray bytes are read next, as from a driver's queue
  EXPECT_EQ(readAfter(Millis(100)).count, 2U);
  EXPECT_EQ(Bytes(port.received().begin(), port.received().end()), (Bytes{4, 5}));
}

TEST_F(TimedPortTest, AReplyThatArrivedBeforeTheReadIsDueAtOnce) {
  // The controller answered before the program had seen its write finish.
  port.reply({1, 2, 3});
  ASSERT_EQ(port.startRead(3), 0);
  EXPECT_EQ(port.nextDeadline(), clock.now());
  EXPECT_EQ(port.pollRead().state, IoState::Done);
  ASSERT_EQ(port.startWrite(Bytes{1}), 0);
  EXPECT_EQ(port.nextDeadline(), clock.now());  // every byte has left
}

TEST_F(TimedPortTest, FastAckEndsAsSoonAsTheAckIsThere) {
  port.setFastAck(true);
  ASSERT_EQ(port.startRead(6), 0);
  port.reply({0x06, 0x03});
  EXPECT_EQ(port.pollRead().state, IoState::Pending);
  port.reply({0xF7});
  EXPECT_EQ(port.pollRead().state, IoState::Done);
  // A refusal still waits for the silence.
  ASSERT_EQ(port.startRead(6), 0);
  port.reply({0x15, 0x03, 0xEA});
  EXPECT_EQ(port.pollRead().state, IoState::Pending);
  EXPECT_EQ(readAfter(Millis(100)).state, IoState::Done);
}

TEST_F(TimedPortTest, BytesStillNeededBeforeTheReadCanEnd) {
  struct Peek : FakePort {
    using FakePort::bytesUntilReady;
    using FakePort::FakePort;
  };
  Peek peek{clock};
  EXPECT_EQ(peek.bytesUntilReady(), 0U);  // no read
  ASSERT_EQ(peek.startRead(134), 0);
  EXPECT_EQ(peek.bytesUntilReady(), 134U);
  peek.reply({0x13, 0x26});
  EXPECT_EQ(peek.bytesUntilReady(), 132U);
  // With fast acknowledgements an answer that begins as one can end with its third byte.
  peek.setFastAck(true);
  ASSERT_EQ(peek.startRead(6), 0);
  peek.reply({0x06});
  EXPECT_EQ(peek.bytesUntilReady(), 2U);
  peek.reply({0x03, 0xF7});
  EXPECT_EQ(peek.bytesUntilReady(), 0U);
  ASSERT_EQ(peek.startRead(6), 0);
  peek.reply({0x15});
  EXPECT_EQ(peek.bytesUntilReady(), 5U);
}

TEST_F(TimedPortTest, WriteEndsWhenSentOrFailsAfterItsTimeout) {
  ASSERT_EQ(port.startWrite(Bytes{1, 2, 3}), 0);
  EXPECT_EQ(port.pollWrite().state, IoState::Done);
  port.unsent = 3;
  ASSERT_EQ(port.startWrite(Bytes{1, 2, 3}), 0);
  clock.advance(Millis(479));
  EXPECT_EQ(port.pollWrite().state, IoState::Pending);
  clock.advance(Millis(1));
  const IoPoll p = port.pollWrite();
  EXPECT_EQ(p.state, IoState::Failed);
  EXPECT_EQ(p.error, kLineTimedOut);
}

}  // namespace
}  // namespace kavira
