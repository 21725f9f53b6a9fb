// The QtSerialPort adapter against the simulated controller on a pseudo-terminal: real time, real
// driver, so the timing checks have wide upper bounds (they must hold on a loaded machine).
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

#include "pty_helpers.h"

namespace kavira {
namespace {

using test::Drive;
using Bytes = std::vector<std::uint8_t>;
using std::chrono::steady_clock;

const Bytes kProbe{0x1B, 0x03, 0xE2};
const Bytes kAck{0x06, 0x03, 0xF7};
const Bytes kVersion{0x12, 0x03, 0xEB};
const Bytes kRead7{0x12, 0x26, 0x07, 0x00, 0x80, 0x41};

Bytes Received(const SerialPort& port) {
  return {port.received().begin(), port.received().end()};
}

class SerialOverPty : public ::testing::Test {
 protected:
  void open(SimOptions options = {Millis(1), false}, std::initializer_list<MisbehaviourRule> rules = {}) {
    sim = test::StartSim(options, rules);
    ASSERT_TRUE(sim);
    const OpenResult r = port.open(sim->path());
    ASSERT_EQ(r.stage, OpenStage::Opened) << r.error;
  }

  IoPoll write(const Bytes& frame) {
    EXPECT_EQ(port.startWrite(frame), 0);
    return Drive(port, [&] { return port.pollWrite(); });
  }
  // Writes a frame and reads n bytes of answer; `fullButPending` tells whether any poll saw all n
  // bytes and still said Pending.
  IoPoll exchange(const Bytes& frame, std::size_t n, bool* fullButPending = nullptr) {
    EXPECT_EQ(write(frame).state, IoState::Done);
    EXPECT_EQ(port.startRead(n), 0);
    return Drive(port, [&] {
      const IoPoll p = port.pollRead();
      if (fullButPending && p.state == IoState::Pending && p.count >= n) *fullButPending = true;
      return p;
    });
  }

  SteadyClock clock;
  QtSerialPort port{clock};
  std::unique_ptr<PtySimulator> sim;
};

TEST_F(SerialOverPty, ProbeVersionAndABlockWrittenAndReadBack) {
  open({Millis(1), true});
  EXPECT_EQ(exchange(kProbe, 6).state, IoState::Done);
  EXPECT_EQ(Received(port), kAck);

  EXPECT_EQ(exchange(kVersion, 9).state, IoState::Done);
  EXPECT_EQ(Received(port), (Bytes{0x13, 0x06, 0x00, 0x00, 0x03, 0x05, 0x01, 0x41, 0x9D}));

  // Block 7 with data bytes 0..127: every byte value that matters to a terminal (CR, LF, XON,
  // XOFF, ^C) passes untouched both ways.
  Bytes write7{0x11, 0x26, 0x07, 0x00, 0x80};
  for (int i = 0; i < 128; ++i)
    write7.push_back(static_cast<std::uint8_t>(i));
  write7.push_back(0x82);  // checksum
  EXPECT_EQ(exchange(write7, 6).state, IoState::Done);
  EXPECT_EQ(Received(port), kAck);

  EXPECT_EQ(exchange(kRead7, 134).state, IoState::Done);
  Bytes reply7{0x13, 0x26, 0x07, 0x00, 0x80};
  for (int i = 0; i < 128; ++i)
    reply7.push_back(static_cast<std::uint8_t>(i));
  reply7.push_back(0x80);
  EXPECT_EQ(Received(port), reply7);

  const auto frames = sim->withController([](SimController& c) { return c.received(); });
  ASSERT_EQ(frames.size(), 4U);
  EXPECT_EQ(frames[2].bytes, write7);
  EXPECT_EQ(frames[2].verdict, FrameVerdict::Intact);
}

TEST_F(SerialOverPty, ReadEndingRules) {
  open({Millis(1), true}, {test::OnFrames(Misbehaviour::Silent, 3)});

  // An acknowledgement read of 6 bytes ends about 100 ms after the three bytes.
  EXPECT_EQ(exchange(kProbe, 6).state, IoState::Done);
  EXPECT_EQ(port.received().size(), 3U);
  const auto afterLastByte = steady_clock::now() - *port.lastReceived();
  EXPECT_GE(afterLastByte, Millis(100));
  EXPECT_LT(afterLastByte, Millis(600));

  // A full reply ends at once: no poll that had all the bytes said Pending.
  bool fullButPending = false;
  const IoPoll full = exchange(kRead7, 134, &fullButPending);
  EXPECT_EQ(full.state, IoState::Done);
  EXPECT_EQ(full.count, 134U);
  EXPECT_FALSE(fullButPending);

  // A silent line ends the read after n x 120 + 120 ms.
  EXPECT_EQ(write(kProbe).state, IoState::Done);
  const auto start = steady_clock::now();
  ASSERT_EQ(port.startRead(3), 0);
  const IoPoll silent = Drive(port, [&] { return port.pollRead(); });
  const auto took = steady_clock::now() - start;
  EXPECT_EQ(silent.state, IoState::Done);
  EXPECT_EQ(silent.count, 0U);
  EXPECT_GE(took, Millis(480));
  EXPECT_LT(took, Millis(1200));
}

TEST_F(SerialOverPty, PurgeAbortsAPendingRead) {
  open();
  ASSERT_EQ(port.startRead(6), 0);
  port.purge();
  const IoPoll p = port.pollRead();
  EXPECT_EQ(p.state, IoState::Failed);
  EXPECT_NE(p.error, 0);
}

TEST_F(SerialOverPty, SimulatorKeepsServingWhenThePortIsClosedAndReopened) {
  // The first probe is answered late, after the program has closed the port: that answer must not
  // greet the next opener.
  open({Millis(1), false}, {test::OnFrames(Misbehaviour::Late, 1, 1, Millis(150))});
  EXPECT_EQ(write(kProbe).state, IoState::Done);
  port.close();
  test::Spin(300);
  ASSERT_EQ(port.open(sim->path()).stage, OpenStage::Opened);
  ASSERT_EQ(port.startRead(3), 0);
  EXPECT_EQ(Drive(port, [&] { return port.pollRead(); }).count, 0U);

  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(exchange(kProbe, 3).state, IoState::Done) << round;
    EXPECT_EQ(Received(port), kAck) << round;
    port.close();
    ASSERT_EQ(port.open(sim->path()).stage, OpenStage::Opened);
  }
}

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

TEST_F(SerialOverPty, LineThatGoesAwayFailsWithTheSystemCodeAndQuietly) {
  open({Millis(1), false}, {test::OnFrames(Misbehaviour::Close, 2)});
  EXPECT_EQ(exchange(kProbe, 3).state, IoState::Done);
  EXPECT_EQ(write(kProbe).state, IoState::Done);
  ASSERT_EQ(port.startRead(3), 0);
  const IoPoll p = Drive(port, [&] { return port.pollRead(); });
  EXPECT_EQ(p.state, IoState::Failed);
  EXPECT_EQ(p.error, EIO);
  EXPECT_TRUE(sim->lineClosed());

  // No storm of errors afterwards: the adapter has closed the device.
  int activities = 0;
  QObject::connect(&port, &QtSerialPort::activity, [&] { ++activities; });
  const double cpu = CpuSeconds();
  test::Spin(400);
  EXPECT_LT(activities, 5);
  EXPECT_LT(CpuSeconds() - cpu, 0.2);
  EXPECT_EQ(port.startWrite(kProbe), EIO);
  EXPECT_TRUE(port.isOpen());
}

}  // namespace
}  // namespace kavira
