// A serial port wired in-process to a SimController on the same clock, so the engine can be run
// against the simulated controller without a pseudo-terminal. With a ManualClock a test loop moves
// time to min(nextDeadline(), ...) and polls; nothing sleeps.
//
// The program's bytes travel at the line's speed when the controller paces its output, so a write
// of a 134-byte frame takes 38 ms to finish, as on a real line.
#pragma once

#include <deque>
#include <optional>

#include "link/timed_port.h"
#include "sim/sim_controller.h"

namespace kavira {

class SimPort final : public TimedPort {
 public:
  SimPort(const Clock& clock, SimController& controller);

  bool isOpen() const override { return open_; }
  void close() override;
  std::string name() const override { return "sim"; }
  // Opens the port again after close(): fresh state, nothing queued.
  void open();

  IoPoll pollWrite() override;
  // The earliest of the port's time-outs and nextEvent(): a driver that sleeps until then misses
  // nothing.
  std::optional<SteadyTime> nextDeadline() const override;
  // When the next byte reaches either end of the line, or the line closes.
  std::optional<SteadyTime> nextEvent() const;

  // Moves what the line has carried by now, in both directions.
  void pump();

 protected:
  int transportWrite(std::span<const std::uint8_t> bytes) override;
  std::size_t transportUnsent() const override;
  void transportClear() override;
  void transportPump() override { pump(); }

 private:
  struct Pending {
    SteadyTime due;
    std::uint8_t byte;
  };

  SimController& controller_;
  bool open_ = true;
  bool broken_ = false;
  std::deque<Pending> toController_;
  SteadyTime lineFree_{};
};

}  // namespace kavira
