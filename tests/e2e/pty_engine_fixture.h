// The engine through the real serial adapter (QtSerialPort) against the simulated controller holding
// the demo show on a pseudo-terminal, stepped by the real event-loop driver.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <memory>

#include "link/transfer_engine.h"
#include "platform/engine_driver.h"
#include "platform/pty_simulator.h"
#include "platform/qt_serial_port.h"
#include "scripted_host.h"
#include "sim/demo_show.h"

namespace kavira::test {

class PtyEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FillDemoShow(*show);
    std::string error;
    sim = PtySimulator::Start(DemoController(options), &error);
    ASSERT_TRUE(sim) << error;
    ASSERT_EQ(port.open(sim->path()).stage, OpenStage::Opened);
    engine.setPort(&port);
    QObject::connect(&port, &QtSerialPort::activity, &driver, &EngineDriver::kick);
  }
  void TearDown() override {
    engine.setPort(nullptr);
    port.close();
    if (sim) sim->stop();
  }

  // Runs the event loop until the link is idle again.
  void run() {
    QElapsedTimer t;
    t.start();
    driver.kick();
    while (engine.link().status != _idle_ && t.elapsed() < 60000)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    ASSERT_EQ(engine.link().status, _idle_) << "the run did not end";
  }

  SimOptions options{Millis(0), false};
  std::unique_ptr<ControllerImage> show = std::make_unique<ControllerImage>();
  std::unique_ptr<PtySimulator> sim;
  SteadyClock clock;
  QtSerialPort port{clock};
  ScriptedHost host;
  std::unique_ptr<ControllerImage> image = std::make_unique<ControllerImage>();
  TransferEngine engine{*image, host, clock};
  EngineDriver driver{engine, clock};
};

}  // namespace kavira::test
