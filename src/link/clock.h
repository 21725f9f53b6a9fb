// Time for the link's time-outs. The engine and the ports ask a Clock, so tests can move time by hand.
#pragma once

#include <chrono>

namespace kavira {

using SteadyTime = std::chrono::steady_clock::time_point;
using Millis = std::chrono::milliseconds;

class Clock {
 public:
  virtual ~Clock() = default;
  virtual SteadyTime now() const = 0;
};

class SteadyClock final : public Clock {
 public:
  SteadyTime now() const override { return std::chrono::steady_clock::now(); }
};

// A clock that stands still until advanced.
class ManualClock final : public Clock {
 public:
  SteadyTime now() const override { return now_; }
  void advance(std::chrono::nanoseconds d) { now_ += d; }

 private:
  SteadyTime now_{std::chrono::hours(1)};
};

}  // namespace kavira
