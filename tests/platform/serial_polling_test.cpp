// When the polled (Windows) port looks at the line: often while an answer can arrive, seldom while
// nothing can, never with nothing to look for.
#include "platform/serial_polling.h"

#include <gtest/gtest.h>

namespace kavira {
namespace {

using std::chrono::milliseconds;

struct Case {
  const char* what;
  PollState state;
  std::optional<Millis> next;
};

PollState Idle(std::optional<int> sinceUnsettledMs) {
  PollState s;
  if (sinceUnsettledMs) s.sinceUnsettled = milliseconds(*sinceUnsettledMs);
  return s;
}
PollState Writing(std::size_t bytes, int sinceMs) {
  PollState s;
  s.writing = true;
  s.writeBytes = bytes;
  s.sinceWrite = milliseconds(sinceMs);
  return s;
}
PollState Reading(std::size_t received, std::size_t stillNeeded, int fruitlessLooks = 0) {
  PollState s;
  s.reading = true;
  s.received = received;
  s.stillNeeded = stillNeeded;
  s.fruitlessLooks = fruitlessLooks;
  return s;
}

TEST(NextLook, FollowsWhatIsPending) {
  PollState both = Writing(134, 0);
  both.reading = true;
  both.stillNeeded = 6;
  const Case cases[] = {
      {"nothing pending, line long quiet", Idle(5000), std::nullopt},
      {"nothing pending, nothing ever seen", Idle(std::nullopt), std::nullopt},
      {"nothing pending, bytes just came", Idle(20), kIdleLook},
      // 134 bytes take 38.4 ms on the line: no look before they can have left.
      {"a whole frame just started", Writing(134, 0), Millis(38)},
      {"a frame that should have left", Writing(134, 60), Millis(1)},
      {"an answer not begun", Reading(0, 134), Millis(1)},
      {"an answer not begun, 3 looks late", Reading(0, 134, 3), Millis(8)},
      {"a silent controller", Reading(0, 134, 30), kLongestLook},
      // 120 more bytes take 34.4 ms: looked at again 2 ms before.
      {"an answer on its way", Reading(14, 120), Millis(32)},
      {"the tail of an answer", Reading(131, 3), Millis(1)},
      {"a short answer falling silent", Reading(3, 3, 5), kLongestLook},
      {"write and read: the sooner", both, Millis(1)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NextLook(c.state), c.next) << c.what;
  }
}

}  // namespace
}  // namespace kavira
