// The serial port contract over the fake port and the in-process port, both with the simulated
// controller behind them on a hand-moved clock; and what is particular to the in-process port.
#include "sim/sim_port.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "fake_port.h"
#include "serial_port_contract.h"

namespace kavira::test {
namespace {

class ManualClockHarness : public PortHarness {
 public:
  const Clock& clock() const override { return manualClock; }
  void addRule(const MisbehaviourRule& rule) override { sim.addRule(rule); }
  // Moves the clock to the next event or time-out (at least 1 ms, the clock's step) until done.
  IoPoll drive(const std::function<IoPoll()>& poll) override {
    IoPoll p;
    for (int i = 0; i < 10000; ++i) {
      pump();
      p = poll();
      const auto next = nextEvent();
      if (p.state != IoState::Pending || !next) break;
      manualClock.advance(std::max(std::chrono::ceil<Millis>(*next - manualClock.now()), Millis(1)));
    }
    return p;
  }
  void wait(Millis d) override {
    manualClock.advance(d);
    pump();
  }
  Millis slack() const override { return Millis(1); }

  ManualClock manualClock;
  SimController sim{SimOptions{Millis(1), true}};

 private:
  // Moves what the line has carried by now.
  virtual void pump() = 0;
  virtual std::optional<SteadyTime> nextEvent() const = 0;
};

// Every frame the fake port writes reaches the controller at once.
class FakePortHarness final : public ManualClockHarness {
 public:
  FakePortHarness() {
    fake.responder = [this](const Bytes& frame) { sim.receive(frame, manualClock.now()); };
  }
  SerialPort& port() override { return fake; }
  void close() override {
    fake.close();
    sim.hangUp();
  }
  void reopen() override { fake.open = true; }

 private:
  void pump() override {
    fake.reply(sim.takeOutput(manualClock.now()));
    if (sim.lineClosed(manualClock.now())) fake.breakLine(kLineIoError);
  }
  std::optional<SteadyTime> nextEvent() const override {
    const auto a = fake.nextDeadline();
    const auto b = sim.nextOutputTime();
    return a && b ? std::min(*a, *b) : a ? a : b;
  }

  FakePort fake{manualClock};
};

class SimPortHarness final : public ManualClockHarness {
 public:
  SimPort& port() override { return simPort; }
  void close() override { simPort.close(); }
  void reopen() override { simPort.open(); }

  SimPort simPort{manualClock, sim};

 private:
  void pump() override { simPort.pump(); }
  std::optional<SteadyTime> nextEvent() const override { return simPort.nextDeadline(); }
};

template <class H>
std::unique_ptr<PortHarness> Make() {
  return std::make_unique<H>();
}
INSTANTIATE_TEST_SUITE_P(FakePort, SerialPortContract, ::testing::Values(&Make<FakePortHarness>));
INSTANTIATE_TEST_SUITE_P(SimPort, SerialPortContract, ::testing::Values(&Make<SimPortHarness>));

// A write ends when the line has carried it, and a purge then cannot take back the answer that the
// controller is still sending.
TEST(SimPortTest, TheLineCarriesTheBytesAtItsSpeed) {
  SimPortHarness h;
  h.sim.options().latency = Millis(50);
  Bytes write0{0x11, 0x26, 0x00, 0x00, 0x80};
  write0.resize(133, 0x00);
  write0.push_back(0x49);
  ASSERT_EQ(h.simPort.startWrite(write0), 0);
  h.wait(Millis(38));
  EXPECT_EQ(h.simPort.pollWrite().state, IoState::Pending);
  h.wait(Millis(1));
  EXPECT_EQ(h.simPort.pollWrite().state, IoState::Done);
  EXPECT_EQ(h.sim.received().at(0).bytes, write0);
  h.simPort.purge();
  ASSERT_EQ(h.simPort.startRead(3), 0);
  EXPECT_EQ(h.drive([&] { return h.simPort.pollRead(); }).count, 3U);
}

}  // namespace
}  // namespace kavira::test
