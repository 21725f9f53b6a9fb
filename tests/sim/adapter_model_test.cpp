#include "sim/adapter_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace kavira {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

// One block's answer, 134 bytes, arriving at the line's pace from `start`: when each byte reached
// the program, as offsets from `start`.
std::vector<SteadyTime::duration> HandOverTimes(AdapterLine& adapter, SteadyTime start) {
  std::vector<SteadyTime::duration> times;
  const auto byteTime = std::chrono::duration_cast<SteadyTime::duration>(LineTime(1));
  auto collect = [&](SteadyTime now) {
    for (std::size_t n = adapter.take(now).size(); n > 0; --n)
      times.push_back(now - start);
  };
  for (int k = 1; k <= 134; ++k) {
    const SteadyTime at = start + k * byteTime;
    // The program looks whenever the adapter says something is due before the next byte.
    while (const auto due = adapter.nextRelease()) {
      if (*due > at) break;
      collect(*due);
    }
    const std::uint8_t byte = 0x13;
    adapter.arrive({&byte, 1}, at);
    collect(at);
  }
  while (const auto due = adapter.nextRelease())
    collect(*due);
  return times;
}

TEST(AdapterModel, ABlocksAnswerReachesTheProgramAsEachAdapterHandsItOver) {
  const auto byteTime = std::chrono::duration_cast<SteadyTime::duration>(LineTime(1));
  struct Case {
    const char* name;
    std::size_t handOvers;         // how many times the program is given bytes (0: not checked)
    SteadyTime::duration longest;  // the longest a byte waits in the adapter
    SteadyTime::duration lastAt;   // when the answer's last byte reaches the program, at the latest
  };
  const Case cases[] = {
      // Nine times the FIFO trigger of 14, the 8-byte tail after four characters of silence.
      {"uart", 10, 13 * byteTime, 138 * byteTime},
      // Two full 62-byte packets at once, the 10-byte tail when the 16 ms timer runs out after the
      // second packet.
      {"ftdi", 3, milliseconds(16), 124 * byteTime + milliseconds(16)},
      // With a timer of 1 ms, and on the polled chips, no byte waits longer than a millisecond.
      {"ftdi:1", 0, milliseconds(1), 134 * byteTime + milliseconds(1)},
      {"ch340", 0, milliseconds(1), 134 * byteTime + milliseconds(1)},
      {"pl2303", 0, milliseconds(1), 134 * byteTime + milliseconds(1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto model = ParseAdapter(c.name, nullptr);
    ASSERT_TRUE(model);
    AdapterLine adapter(*model);
    const SteadyTime start = SteadyTime{} + std::chrono::hours(1) + microseconds(300);
    const auto times = HandOverTimes(adapter, start);
    ASSERT_EQ(times.size(), 134U);
    if (c.handOvers != 0) {
      std::vector<SteadyTime::duration> distinct = times;
      distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
      EXPECT_EQ(distinct.size(), c.handOvers);
    }
    for (std::size_t k = 0; k < times.size(); ++k) {
      ASSERT_GE(times[k], static_cast<long>(k + 1) * byteTime) << "byte " << k << " before it arrived";
      ASSERT_LE(times[k] - static_cast<long>(k + 1) * byteTime, c.longest) << "byte " << k;
    }
    EXPECT_LE(times.back(), c.lastAt);
  }
}

TEST(AdapterModel, NamesAndTheProgramsOwnBytes) {
  std::string error;
  for (const char* bad : {"ftdi:0", "ftdi:256", "ftdi:", "ftdi16", "ftdi:1x", "cp2102", ""}) {
    EXPECT_FALSE(ParseAdapter(bad, &error)) << bad;
    EXPECT_FALSE(error.empty());
  }
  // The program's bytes wait for the next USB frame on a USB adapter, not on a native port.
  const SteadyTime now = SteadyTime{} + std::chrono::hours(1) + microseconds(250);
  EXPECT_EQ(AdapterLine(*ParseAdapter("ftdi", nullptr)).outbound(now), now + microseconds(750));
  EXPECT_EQ(AdapterLine(*ParseAdapter("uart", nullptr)).outbound(now), now);
  // A closed port loses what the adapter held.
  AdapterLine adapter(*ParseAdapter("ftdi", nullptr));
  const std::uint8_t byte = 1;
  adapter.arrive({&byte, 1}, now);
  adapter.drop();
  EXPECT_FALSE(adapter.nextRelease());
  EXPECT_TRUE(adapter.take(now + std::chrono::seconds(1)).empty());
}

}  // namespace
}  // namespace kavira
