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
  if (!running_) timer_.start(0);
}

void EngineDriver::run() {
  if (running_) return;  // a step is showing a box; its own loop delivered this
  if (gate_ && !gate_()) {
    if (engine_.next() != TransferEngine::Next::Idle) timer_.start(kGatePollMs);
    return;
  }
  running_ = true;
  for (int i = 0; i < kBurst; ++i) {
    switch (engine_.next()) {
      case TransferEngine::Next::Idle:
        running_ = false;
        emit idle();
        return;
      case TransferEngine::Next::Now:
        engine_.step();
        emit stepped();
        if (gate_ && !gate_()) {
          running_ = false;
          timer_.start(kGatePollMs);
          return;
        }
        continue;
      case TransferEngine::Next::Wait: {
        running_ = false;
        if (const auto at = engine_.wakeAt()) {
          const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*at - clock_.now());
          timer_.start(static_cast<int>(std::max<long long>(0, wait.count())));
        }
        return;
      }
    }
  }
  running_ = false;
  timer_.start(0);
}

}  // namespace kavira
