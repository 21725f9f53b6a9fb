// Steps a transfer engine the way the drivers do, on a hand-moved clock: at once when it has work,
// otherwise after moving the clock to its wake time.
#pragma once

#include <functional>

#include "link/clock.h"
#include "link/transfer_engine.h"

namespace kavira::test {

enum class StepOutcome { Done, Idle, WaitsForever, TooManySteps };

// Steps until `done` holds (Done), the engine goes idle (Idle), it waits with no wake time
// (WaitsForever) or `maxSteps` steps have run.
inline StepOutcome StepEngine(TransferEngine& engine, ManualClock& clock, const std::function<bool()>& done,
                              int maxSteps) {
  for (int i = 0; i < maxSteps; ++i) {
    if (done && done()) return StepOutcome::Done;
    switch (engine.next()) {
      case TransferEngine::Next::Idle:
        return StepOutcome::Idle;
      case TransferEngine::Next::Now:
        break;
      case TransferEngine::Next::Wait: {
        const auto at = engine.wakeAt();
        if (!at) return StepOutcome::WaitsForever;
        if (*at > clock.now()) clock.advance(*at - clock.now());
        break;
      }
    }
    engine.step();
  }
  return StepOutcome::TooManySteps;
}

}  // namespace kavira::test
