#include "sim/sim_port.h"

#include <algorithm>
#include <cerrno>
#include <vector>

namespace kavira {

SimPort::SimPort(const Clock& clock, SimController& controller) : TimedPort(clock), controller_(controller) {}

void SimPort::close() {
  open_ = false;
  toController_.clear();
  controller_.hangUp();
  reset();
}

void SimPort::open() {
  open_ = true;
  broken_ = false;
  toController_.clear();
  lineFree_ = {};
  reset();
}

IoPoll SimPort::pollWrite() {
  pump();
  return TimedPort::pollWrite();
}

std::optional<SteadyTime> SimPort::nextEvent() const {
  if (!open_ || broken_) return std::nullopt;
  std::optional<SteadyTime> at = controller_.nextOutputTime();
  if (!toController_.empty()) at = at ? std::min(*at, toController_.front().due) : toController_.front().due;
  return at;
}

std::optional<SteadyTime> SimPort::nextDeadline() const {
  const auto timeout = TimedPort::nextDeadline();
  const auto event = nextEvent();
  if (timeout && event) return std::min(*timeout, *event);
  return timeout ? timeout : event;
}

void SimPort::pump() {
  if (!open_ || broken_) return;
  const SteadyTime now = clock().now();
  while (!toController_.empty() && toController_.front().due <= now) {
    const Pending p = toController_.front();
    toController_.pop_front();
    controller_.receive(std::span(&p.byte, 1), p.due);
  }
  const std::vector<std::uint8_t> out = controller_.takeOutput(now);
  deliver(out);
  if (controller_.lineClosed(now)) {
    broken_ = true;
    toController_.clear();
    fail(kLineIoError);
  }
}

int SimPort::transportWrite(std::span<const std::uint8_t> bytes) {
  const SteadyTime now = clock().now();
  const bool pacing = controller_.options().pacing;
  const SteadyTime t0 = std::max(now, lineFree_);
  for (std::size_t k = 0; k < bytes.size(); ++k) {
    const SteadyTime due =
        pacing ? std::chrono::time_point_cast<SteadyTime::duration>(t0 + LineTime(k + 1)) : t0;
    toController_.push_back({due, bytes[k]});
  }
  lineFree_ = toController_.empty() ? t0 : toController_.back().due;
  pump();
  return 0;
}

std::size_t SimPort::transportUnsent() const {
  const SteadyTime now = clock().now();
  return static_cast<std::size_t>(std::count_if(toController_.begin(), toController_.end(),
                                                [&](const Pending& p) { return p.due > now; }));
}

void SimPort::transportClear() {
  // Bytes not yet sent are dropped; answers that have already arrived are dropped by TimedPort;
  // what the controller is still sending arrives after the purge, as on a real line.
  pump();
  toController_.clear();
}

}  // namespace kavira
