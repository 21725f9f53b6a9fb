// The QtSerialPort adapter against the simulated controller on a pseudo-terminal: real time, real
// driver, so the timing checks have wide upper bounds (they must hold on a loaded machine).
#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <vector>

#include "pty_helpers.h"
#include "serial_port_contract.h"

namespace kavira {
namespace {

class QtPortHarness final : public test::PortHarness {
 public:
  QtPortHarness() : sim_(test::StartSim({Millis(1), true})) {
    if (sim_) port_.open(sim_->path());
  }
  QtSerialPort& port() override { return port_; }
  const Clock& clock() const override { return clock_; }
  void addRule(const MisbehaviourRule& rule) override {
    sim_->withController([&](SimController& c) { c.addRule(rule); });
  }
  IoPoll drive(const std::function<IoPoll()>& poll) override { return test::Drive(port_, poll); }
  void wait(Millis d) override { test::Spin(static_cast<int>(d.count())); }
  void close() override { port_.close(); }
  void reopen() override { port_.open(sim_->path()); }
  Millis slack() const override { return Millis(700); }

 private:
  SteadyClock clock_;
  QtSerialPort port_{clock_};
  std::unique_ptr<PtySimulator> sim_;
};

std::unique_ptr<test::PortHarness> MakeQtPortHarness() {
  return std::make_unique<QtPortHarness>();
}
using test::SerialPortContract;
INSTANTIATE_TEST_SUITE_P(QtSerialPort, SerialPortContract, ::testing::Values(&MakeQtPortHarness));

// Qt keeps reporting an error for a pseudo-terminal whose other side has gone: the adapter must
// close the device rather than wake its driver for every report.
TEST(SerialOverPty, LineThatGoesAwayFailsQuietly) {
  QtPortHarness h;
  ASSERT_TRUE(h.port().isOpen());
  h.addRule(test::OnFrames(Misbehaviour::Close, 1));
  ASSERT_EQ(h.port().startWrite(std::vector<std::uint8_t>{0x1B, 0x03, 0xE2}), 0);
  ASSERT_EQ(h.port().startRead(3), 0);
  EXPECT_EQ(h.drive([&] { return h.port().pollRead(); }).error, EIO);

  int activities = 0;
  QObject::connect(&h.port(), &QtSerialPort::activity, [&] { ++activities; });
  const std::clock_t cpu = std::clock();  // the process's processor time
  test::Spin(400);
  EXPECT_LT(activities, 5);
  EXPECT_LT(static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC, 0.2);
}

}  // namespace
}  // namespace kavira
