#include "platform/serial_polling.h"

#include <algorithm>

#include "link/serial_port.h"

namespace kavira {
namespace {

Millis Backoff(int fruitlessLooks) {
  const int shift = std::clamp(fruitlessLooks, 0, 8);
  return std::min(kLongestLook, kShortestLook * (1 << shift));
}

}  // namespace

std::optional<Millis> NextLook(const PollState& s) {
  std::optional<Millis> next;
  auto earliest = [&](Millis m) { next = next ? std::min(*next, m) : m; };
  const Millis backoff = Backoff(s.fruitlessLooks);
  if (s.writing) {
    const auto left = std::chrono::floor<Millis>(LineTime(s.writeBytes) - s.sinceWrite);
    earliest(std::max(left, backoff));
  }
  if (s.reading) {
    if (s.received > 0 && s.stillNeeded > 0) {
      // The rest of the answer is on its way at the line's speed.
      const auto rest = std::chrono::floor<Millis>(LineTime(s.stillNeeded)) - kLookMargin;
      earliest(std::max(rest, backoff));
    } else {
      earliest(backoff);
    }
  }
  if (!s.writing && !s.reading && s.sinceUnsettled && *s.sinceUnsettled < kIdleWatch) earliest(kIdleLook);
  return next;
}

}  // namespace kavira
