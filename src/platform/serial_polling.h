// When a polled serial port (the Windows adapter) looks at the line next. A pure function of what is
// pending, so that it is tested on every system.
//
// The port looks often while something can happen soon, and seldom while nothing does:
// - a write cannot have left before the line has carried it;
// - an answer cannot be complete before the line has carried the bytes it still lacks, so after its
//   first bytes the port looks again only then (a little before);
// - each look that finds nothing new doubles the wait, up to kLongestLook: an answer that pauses, a
//   controller that is slow or silent, and the 100 ms of silence that end a short answer cost a few
//   looks rather than one per millisecond. A late look never loses a byte: the silence that ends a
//   read is counted from when the bytes are taken;
// - with nothing pending it keeps looking for a while after the line last brought bytes, so that a
//   run waiting for a quiet line sees them, and then stops.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>

#include "link/clock.h"

namespace kavira {

inline constexpr Millis kShortestLook{1};
inline constexpr Millis kLongestLook{16};
inline constexpr Millis kIdleLook{10};
// How long after the line last brought bytes (or was purged) the port still looks with nothing pending.
inline constexpr Millis kIdleWatch{300};
// A look for the rest of an answer comes this much before the line can have carried it.
inline constexpr Millis kLookMargin{2};

struct PollState {
  bool writing = false;  // a write has not left yet
  std::size_t writeBytes = 0;
  std::chrono::nanoseconds sinceWrite{};  // since it started
  bool reading = false;                   // a read is pending
  std::size_t received = 0;               // bytes it has so far
  std::size_t stillNeeded = 0;            // bytes it lacks before it can end without waiting for silence
  std::optional<std::chrono::nanoseconds> sinceUnsettled;  // since the line last brought bytes or was purged
  int fruitlessLooks = 0;                                  // looks in a row that found nothing new
};

// The wait until the next look; nothing when no look is needed until something new is started.
std::optional<Millis> NextLook(const PollState& s);

}  // namespace kavira
