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
  woken_ = true;
  if (!running_) timer_.start(0);
}

void EngineDriver::run() {
  if (running_) return;  // a step is showing a box; its own loop delivered this
  if (gate_ && !gate_()) {
    if (engine_.next() != TransferEngine::Next::Idle) timer_.start(kGatePollMs);
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
      running_ = false;
      if (const auto at = engine_.wakeAt()) {
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*at - clock_.now());
        timer_.start(static_cast<int>(std::max<long long>(0, wait.count())));
      }
      return;
    }
    woken_ = false;
    engine_.step();
    emit stepped();
    if (gate_ && !gate_()) {
      running_ = false;
      timer_.start(kGatePollMs);
      return;
    }
  }
  running_ = false;
  timer_.start(0);
}

}  // namespace kavira
