// Opening ports and searching them for the controller, over real pseudo-terminals.
#include "platform/port_manager.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <cerrno>
#include <list>

#include "pty_helpers.h"
#include "scripted_host.h"

namespace kavira {
namespace {

using test::OnFrames;
using Bytes = std::vector<std::uint8_t>;

class PortManagerTest : public ::testing::Test {
 protected:
  const std::string& silent() { return silentPorts.emplace_back().path(); }
  const std::string& simulator(std::initializer_list<MisbehaviourRule> rules = {}) {
    sims.push_back(test::StartSim({Millis(1), false}, rules));
    return sims.back()->path();
  }
  std::size_t probesReceived(std::size_t sim) {
    return sims.at(sim)->withController([](SimController& c) { return c.received().size(); });
  }

  SteadyClock clock;
  test::ScriptedHost host;
  PortManager manager{clock, host};
  std::list<test::SilentPty> silentPorts;
  std::vector<std::unique_ptr<PtySimulator>> sims;
};

TEST_F(PortManagerTest, OpenPortWarnsOnlyAtWork) {
  const std::string busyPath = silent();
  QtSerialPort holder(clock);
  ASSERT_EQ(holder.open(busyPath).stage, OpenStage::Opened);

  struct Case {
    std::string port;
    _tryby tryb;
    int result;
    const char* box;  // nullptr: no box
    int error;
  };
  const Case cases[] = {
      {"/dev/kavira-absent", _praca_, -2, "Błąd otwarcia portu !", ENOENT},
      {"/dev/kavira-absent", _test_, -2, nullptr, ENOENT},
      {busyPath, _praca_, -2, "Błąd otwarcia portu !", EBUSY},
      {"/dev/null", _praca_, -2, "Błąd konfiguracji portu !", ENOTTY},
      {"/dev/null", _test_, -2, nullptr, ENOTTY},
      {silent(), _praca_, 0, nullptr, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.port << (c.tryb == _test_ ? " (_test_)" : " (_praca_)"));
    host.boxes.clear();
    manager.PortName = {"/dev/kavira-other", c.port};
    manager.PortNr = 1;
    EXPECT_EQ(manager.OpenPort(c.tryb), c.result);
    if (c.box) {
      EXPECT_EQ(host.boxes.size(), 1U);
      EXPECT_EQ(host.firstBox().text, c.box);
      EXPECT_EQ(host.firstBox().caption, "Ostrzeżenie");
      EXPECT_EQ(host.firstBox().icon, Icon::Exclamation);
      EXPECT_EQ(host.firstBox().buttons, Buttons::Ok);
    } else {
      EXPECT_TRUE(host.boxes.empty());
    }
    if (c.result == 0) {
      EXPECT_NE(manager.port(), nullptr);
      if (manager.port() != nullptr) {
        EXPECT_EQ(manager.port()->name(), c.port);
      }
      EXPECT_EQ(manager.openIndex(), 1);
      EXPECT_FALSE(manager.lastOpenFailure());
    } else {
      EXPECT_EQ(manager.port(), nullptr);
      EXPECT_EQ(manager.openIndex(), -1);
      EXPECT_TRUE(manager.lastOpenFailure());
      if (manager.lastOpenFailure()) {
        EXPECT_EQ(manager.lastOpenFailure()->error, c.error);
        EXPECT_EQ(manager.lastOpenFailure()->port, c.port);
      }
    }
  }
}

TEST_F(PortManagerTest, SearchFindsTheControllerAmongDeadPortsInAboutOneProbeTime) {
  manager.PortName = {"/dev/kavira-absent",
                      "/dev/null",
                      silent(),
                      simulator({OnFrames(Misbehaviour::Nak, 1)}),
                      simulator({OnFrames(Misbehaviour::Short, 1)}),
                      silent(),
                      silent(),
                      silent(),
                      silent(),
                      simulator(),
                      simulator()};
  QElapsedTimer elapsed;
  elapsed.start();
  EXPECT_EQ(manager.SzukajPortu(), 1);
  // Five silent ports tried one by one would take 2.4 s.
  EXPECT_LT(elapsed.elapsed(), 1800);
  EXPECT_EQ(manager.PortNr, 9);
  EXPECT_EQ(manager.openIndex(), 9);
  EXPECT_TRUE(host.boxes.empty());

  // The port that answered stays open and in use.
  LinePort& port = *manager.port();
  EXPECT_EQ(port.name(), manager.PortName[9]);
  ASSERT_EQ(port.startWrite(Bytes{0x12, 0x03, 0xEB}), 0);
  ASSERT_EQ(test::Drive(port, [&] { return port.pollWrite(); }).state, IoState::Done);
  ASSERT_EQ(port.startRead(9), 0);
  EXPECT_EQ(test::Drive(port, [&] { return port.pollRead(); }).count, 9U);

  // Every other port was closed again.
  for (std::size_t i : {2U, 3U, 10U}) {
    QtSerialPort other(clock);
    EXPECT_EQ(other.open(manager.PortName[i]).stage, OpenStage::Opened) << i;
  }
}

TEST_F(PortManagerTest, FirstInListOrderWinsOverAFasterLaterPort) {
  manager.PortName = {simulator({OnFrames(Misbehaviour::Late, 1, 1, Millis(250))}), simulator()};
  EXPECT_EQ(manager.SzukajPortu(), 1);
  EXPECT_EQ(manager.PortNr, 0);
}

TEST_F(PortManagerTest, NothingAnswersNothingOpenNoMessage) {
  manager.PortName = {silent(), "/dev/kavira-absent", simulator({OnFrames(Misbehaviour::Silent, 1)})};
  manager.PortNr = 1;
  ASSERT_EQ(manager.choosePort(0), 0);  // a new search closes the port in use
  EXPECT_EQ(manager.SzukajPortu(), 0);
  EXPECT_EQ(manager.port(), nullptr);
  EXPECT_EQ(manager.openIndex(), -1);
  EXPECT_TRUE(host.boxes.empty());

  manager.PortName.clear();
  EXPECT_EQ(manager.SzukajPortu(), 0);
}

TEST_F(PortManagerTest, SearchLeavesTheEventLoopRunning) {
  manager.PortName = {silent(), simulator()};
  int ticks = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
  ticker.start(20);
  int finished = 0;
  bool found = false;
  QObject::connect(&manager, &PortManager::searchFinished, [&](bool f) {
    ++finished;
    found = f;
  });
  manager.startSearch();
  EXPECT_TRUE(manager.searching());
  EXPECT_FALSE(finished);
  test::Spin(1500);
  EXPECT_EQ(finished, 1);
  EXPECT_TRUE(found);
  EXPECT_EQ(manager.PortNr, 1);
  EXPECT_GE(ticks, 10);  // the loop went on while the silent port was being waited for
  EXPECT_EQ(probesReceived(0), 1U);

  // Traffic on the port found belongs to its new user; the search that found it stays over.
  int activity = 0;
  QObject::connect(&manager, &PortManager::portActivity, [&] { ++activity; });
  LinePort& port = *manager.port();
  ASSERT_EQ(port.startWrite(Bytes{0x1B, 0x03, 0xE2}), 0);
  ASSERT_EQ(port.startRead(3), 0);
  EXPECT_EQ(test::Drive(port, [&] { return port.pollRead(); }).count, 3U);
  test::Spin(50);
  EXPECT_GT(activity, 0);
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(manager.port(), &port);
}

}  // namespace
}  // namespace kavira
