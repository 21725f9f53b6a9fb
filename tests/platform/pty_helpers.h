// Pseudo-terminals and event-loop helpers for the tests that use real ports.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/pty_simulator.h"
#include "platform/qt_serial_port.h"

namespace kavira::test {

// A pseudo-terminal nobody serves: a port that stays silent.
class SilentPty {
 public:
  SilentPty() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
      std::array<char, 128> name{};
      if (::ptsname_r(master_, name.data(), name.size()) == 0) path_ = name.data();
    }
  }
  ~SilentPty() {
    if (master_ >= 0) ::close(master_);
  }
  SilentPty(const SilentPty&) = delete;
  SilentPty& operator=(const SilentPty&) = delete;
  const std::string& path() const { return path_; }

 private:
  int master_ = -1;
  std::string path_;
};

// A simulated controller on a pseudo-terminal, unpaced unless asked.
inline std::unique_ptr<PtySimulator> StartSim(SimOptions options = {Millis(1), false},
                                              std::initializer_list<MisbehaviourRule> rules = {}) {
  auto controller = std::make_unique<SimController>(options);
  for (const auto& r : rules)
    controller->addRule(r);
  std::string error;
  auto sim = PtySimulator::Start(std::move(controller), &error);
  if (!sim) ADD_FAILURE() << error;
  return sim;
}

inline MisbehaviourRule OnFrames(Misbehaviour kind, std::uint32_t first, std::uint32_t count = 1,
                                 Millis delay = Millis(0)) {
  return {kind, RuleTarget::Frame, first, count, delay, 0};
}

// Runs the event loop for `ms` milliseconds.
inline void Spin(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// Runs the event loop until `poll` stops answering Pending, waking on the port's activity and at its
// deadline, the way a driver does. Gives up (Pending) after `limitMs`.
inline IoPoll Drive(LinePort& port, const std::function<IoPoll()>& poll, int limitMs = 5000) {
  QElapsedTimer elapsed;
  elapsed.start();
  QEventLoop loop;
  QTimer wake;
  wake.setSingleShot(true);
  wake.setTimerType(Qt::PreciseTimer);
  QObject::connect(&wake, &QTimer::timeout, &loop, &QEventLoop::quit);
  QObject::connect(&port, &LinePort::activity, &loop, &QEventLoop::quit);
  for (;;) {
    const IoPoll p = poll();
    if (p.state != IoState::Pending || elapsed.elapsed() > limitMs) return p;
    int ms = 50;
    if (const auto d = port.nextDeadline()) {
      ms = static_cast<int>(std::chrono::ceil<Millis>(*d - std::chrono::steady_clock::now()).count());
    }
    wake.start(std::max(ms, 0));
    loop.exec();
  }
}

}  // namespace kavira::test
