// What every SerialPort promises, written once. A test program includes this file once and
// instantiates SerialPortContract with a factory for its port, wired to the simulated controller
// (paced, 1 ms latency); what is particular to a port stays in that port's own tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "link/clock.h"
#include "link/serial_port.h"
#include "sim/sim_controller.h"

namespace kavira::test {

class PortHarness {
 public:
  virtual ~PortHarness() = default;
  virtual SerialPort& port() = 0;
  virtual const Clock& clock() const = 0;
  virtual void addRule(const MisbehaviourRule& rule) = 0;
  // Polls until `poll` is no longer Pending, moving time on as a driver would (Pending: it never ended).
  virtual IoPoll drive(const std::function<IoPoll()>& poll) = 0;
  virtual void wait(Millis d) = 0;
  virtual void close() = 0;
  virtual void reopen() = 0;
  // How much later than its rule allows this harness may see a read end (a driver's late wake-up).
  virtual Millis slack() const = 0;
};

using PortHarnessFactory = std::unique_ptr<PortHarness> (*)();

class SerialPortContract : public ::testing::TestWithParam<PortHarnessFactory> {
 protected:
  using Bytes = std::vector<std::uint8_t>;
  const Bytes kProbe{0x1B, 0x03, 0xE2};
  const Bytes kAck{0x06, 0x03, 0xF7};

  void SetUp() override {
    harness = GetParam()();
    ASSERT_TRUE(port().isOpen());
  }
  SerialPort& port() { return harness->port(); }
  SteadyTime now() const { return harness->clock().now(); }
  Bytes received() { return {port().received().begin(), port().received().end()}; }
  void onFrame(Misbehaviour kind, std::uint32_t frame, Millis delay = Millis(0)) {
    harness->addRule({kind, RuleTarget::Frame, frame, 1, delay, 0});
  }
  IoPoll write(const Bytes& frame) {
    EXPECT_EQ(port().startWrite(frame), 0);
    return harness->drive([&] { return port().pollWrite(); });
  }
  IoPoll read(std::size_t n) {
    EXPECT_EQ(port().startRead(n), 0);
    return harness->drive([&] { return port().pollRead(); });
  }
  IoPoll exchange(const Bytes& frame, std::size_t n) {
    EXPECT_EQ(write(frame).state, IoState::Done);
    return read(n);
  }
  // Block 7 with data bytes 0..127 (CR, LF, XON, XOFF and ^C among them).
  static Bytes Block7(std::uint8_t command, std::uint8_t checksum) {
    Bytes f{command, 0x26, 0x07, 0x00, 0x80};
    for (int i = 0; i < 128; ++i)
      f.push_back(static_cast<std::uint8_t>(i));
    f.push_back(checksum);
    return f;
  }

  std::unique_ptr<PortHarness> harness;
};

TEST_P(SerialPortContract, EveryByteValueCrossesBothWaysAndAFullReadEndsAtOnce) {
  EXPECT_EQ(exchange(Block7(0x11, 0x82), 6).state, IoState::Done);
  EXPECT_EQ(received(), kAck);

  const SteadyTime start = now();
  EXPECT_EQ(write({0x12, 0x26, 0x07, 0x00, 0x80, 0x41}).state, IoState::Done);
  ASSERT_EQ(port().startRead(134), 0);
  bool fullButPending = false;
  const IoPoll p = harness->drive([&] {
    const IoPoll q = port().pollRead();
    fullButPending = fullButPending || (q.state == IoState::Pending && q.count >= 134);
    return q;
  });
  EXPECT_EQ(p.state, IoState::Done);
  EXPECT_FALSE(fullButPending);
  EXPECT_EQ(received(), Block7(0x13, 0x80));  // what was written, read back
  // 6 bytes out (up to 1.7 ms), 1 ms latency, 134 bytes back at the line's speed (38.4 ms).
  EXPECT_GE(now() - start, Millis(39));
  EXPECT_LE(now() - start, Millis(43) + harness->slack());
}

TEST_P(SerialPortContract, ReadEndsAfterSilenceOrAtItsTotalTimeout) {
  onFrame(Misbehaviour::Silent, 2);
  // An acknowledgement read of 6 bytes ends 100 ms after the third byte.
  EXPECT_EQ(exchange(kProbe, 6).count, 3U);
  ASSERT_TRUE(port().lastReceived());
  const auto quiet = now() - *port().lastReceived();
  EXPECT_GE(quiet, Millis(100));
  EXPECT_LE(quiet, Millis(100) + harness->slack());

  // A silent controller: 3 x 120 + 120 ms, nothing read.
  EXPECT_EQ(write(kProbe).state, IoState::Done);
  const SteadyTime start = now();
  const IoPoll p = read(3);
  EXPECT_EQ(p.state, IoState::Done);
  EXPECT_EQ(p.count, 0U);
  EXPECT_GE(now() - start, Millis(480));
  EXPECT_LE(now() - start, Millis(480) + harness->slack());
}

TEST_P(SerialPortContract, PurgeAbortsTheReadAndDropsWhatHasArrived) {
  ASSERT_EQ(port().startRead(6), 0);
  port().purge();
  const IoPoll aborted = port().pollRead();
  EXPECT_EQ(aborted.state, IoState::Failed);
  EXPECT_EQ(aborted.error, port().errorCode(LineError::Cancelled));
  EXPECT_EQ(aborted.error, kLineCancelled);

  EXPECT_EQ(write(kProbe).state, IoState::Done);
  // Until the acknowledgement has arrived.
  harness->drive([&] { return port().lastReceived() ? IoPoll{IoState::Done} : IoPoll{}; });
  const SteadyTime before = now();
  port().purge();
  ASSERT_TRUE(port().lastUnsettled());
  EXPECT_GE(*port().lastUnsettled(), before);  // the purge may have cut an answer short
  EXPECT_EQ(read(3).count, 0U);
}

TEST_P(SerialPortContract, ClosedPortRefusesAndReopensWithoutTheAnswerOnTheWay) {
  onFrame(Misbehaviour::Late, 1, Millis(150));
  EXPECT_EQ(write(kProbe).state, IoState::Done);
  harness->close();
  EXPECT_FALSE(port().isOpen());
  EXPECT_EQ(port().startRead(3), kLineNotOpen);
  EXPECT_EQ(port().startWrite(kProbe), port().errorCode(LineError::NotOpen));
  harness->wait(Millis(300));
  for (int round = 0; round < 2; ++round) {
    harness->reopen();
    ASSERT_TRUE(port().isOpen()) << round;
    if (round == 0) {
      EXPECT_EQ(read(3).count, 0U);  // the late answer must not greet the next opener
    }
    EXPECT_EQ(exchange(kProbe, 3).state, IoState::Done) << round;
    EXPECT_EQ(received(), kAck) << round;
    harness->close();
  }
}

TEST_P(SerialPortContract, VanishedLineFailsWithTheSystemCode) {
  onFrame(Misbehaviour::Close, 2);
  EXPECT_EQ(exchange(kProbe, 3).state, IoState::Done);
  EXPECT_EQ(write(kProbe).state, IoState::Done);
  const IoPoll p = read(3);
  EXPECT_EQ(p.state, IoState::Failed);
  EXPECT_EQ(p.error, kLineIoError);
  EXPECT_EQ(port().startWrite(kProbe), kLineIoError);
  EXPECT_EQ(port().startRead(3), kLineIoError);
  EXPECT_TRUE(port().isOpen());         // until the program closes it
  EXPECT_FALSE(port().nextDeadline());  // nothing left for a driver to wait for
}

}  // namespace kavira::test
