#include "platform/engine_driver.h"

#include <chrono>

namespace kavira {
namespace {

// Steps taken back to back before the event loop gets a turn (paint, keys, the port's signals).
constexpr int kBurst = 32;
// How often a paused transfer looks whether the dialog or menu that holds it has closed.
constexpr int kGatePollMs = 40;

}  // namespace

EngineDriver::EngineDriver(TransferEngine& engine, const Clock& clock, QObject* parent)
    : QObject(parent), engine_(engine), clock_(clock) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &EngineDriver::run);
}

void EngineDriver::kick() {
  // Run from the event loop, never inside the caller: a command finishes setting its variables first.
  // A posted call rather than a restart of the timer: the wake time it may hold stays armed, and on
  // some systems (Windows) restarting a timer costs a round trip to the system each time.
  woken_ = true;
  if (running_ || kickPosted_) return;
  kickPosted_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        kickPosted_ = false;
        run();
      },
      Qt::QueuedConnection);
}

void EngineDriver::startTimer(int ms) {
  armedAt_ = {};
  timer_.start(ms);
}

void EngineDriver::sleepUntil(SteadyTime at) {
  // The same wake time again (the port reported activity, but the read still waits for the same
  // silence or time-out) keeps the timer as it is.
  if (timer_.isActive() && armedAt_ == at) return;
  armedAt_ = at;
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(at - clock_.now());
  timer_.start(static_cast<int>(std::max<long long>(0, wait.count())));
}

void EngineDriver::run() {
  if (running_) return;  // a step is showing a box; its own loop delivered this
  if (gate_ && !gate_()) {
    if (engine_.next() != TransferEngine::Next::Idle) startTimer(kGatePollMs);
    return;
  }
  running_ = true;
  woken_ = true;  // by the port, a command or the wake time
  for (int i = 0; i < kBurst; ++i) {
    const TransferEngine::Next next = engine_.next();
    if (next == TransferEngine::Next::Idle) {
      running_ = false;
      emit idle();
      return;
    }
    // Once woken, a step asks whether the write or read has ended; then a waiting engine sleeps until
    // the port's next activity (also activity during a step, while a box was up) or its wake time.
    if (next == TransferEngine::Next::Wait && !woken_) {
      // A wait that is already over (a write the driver took at once) is stepped on at once.
      const auto at = engine_.wakeAt();
      if (!at || *at > clock_.now()) {
        running_ = false;
        if (at) sleepUntil(*at);
        return;
      }
    }
    woken_ = false;
    engine_.step();
    emit stepped();
    if (gate_ && !gate_()) {
      running_ = false;
      startTimer(kGatePollMs);
      return;
    }
  }
  running_ = false;
  startTimer(0);
}

}  // namespace kavira
