#include "platform/port_probe.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "fake_port.h"

namespace kavira {
namespace {

using test::Bytes;
using test::FakePort;

struct Case {
  const char* what;
  Bytes answer;  // delivered once the probe is written
  int writeError = 0;
  std::size_t unsent = 0;
  bool breakLine = false;
  ProbeResult result;
  int error = 0;
};

TEST(PortProbe, AcceptsExactlyTheAcknowledgement) {
  const Case cases[] = {
      {"ack", {0x06, 0x03, 0xF7}, 0, 0, false, ProbeResult::Answered, 0},
      {"ack followed by more", {0x06, 0x03, 0xF7, 0x00}, 0, 0, false, ProbeResult::Answered, 0},
      {"ack without its checksum", {0x06, 0x03}, 0, 0, false, ProbeResult::NoAnswer, 0},
      {"refusal", {0x15, 0x03, 0xE8}, 0, 0, false, ProbeResult::NoAnswer, 0},
      {"noise before the ack", {0xFF, 0x06, 0x03, 0xF7}, 0, 0, false, ProbeResult::NoAnswer, 0},
      {"silence", {}, 0, 0, false, ProbeResult::NoAnswer, 0},
      {"write cannot start", {}, EIO, 0, false, ProbeResult::WriteFailed, EIO},
      {"write never leaves", {}, 0, 3, false, ProbeResult::NoAnswer, 0},
      {"line breaks", {}, 0, 0, true, ProbeResult::WriteFailed, ENXIO},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ManualClock clock;
    FakePort port(clock);
    port.writeError = c.writeError;
    port.unsent = c.unsent;
    if (c.breakLine) port.breakLine(ENXIO);
    port.responder = [&](const Bytes&) { port.reply(c.answer); };
    port.reply({0x06, 0x03, 0xF7});  // stale bytes from before the probe: the purge drops them
    PortProbe probe(port);
    probe.start();
    ProbeResult r = probe.poll();
    for (int ms = 0; r == ProbeResult::Pending && ms < 2000; ms += 10) {
      clock.advance(Millis(10));
      r = probe.poll();
    }
    EXPECT_EQ(r, c.result);
    EXPECT_EQ(probe.error(), c.error);
    EXPECT_EQ(port.purges, 1);
    if (c.writeError == 0 && !c.breakLine) {
      EXPECT_EQ(port.written, (std::vector<Bytes>{{0x1B, 0x03, 0xE2}}));
    }
  }
}

TEST(PortProbe, SilentPortCostsTheReadTimeOut) {
  ManualClock clock;
  FakePort port(clock);
  PortProbe probe(port);
  probe.start();
  EXPECT_EQ(probe.poll(), ProbeResult::Pending);
  clock.advance(Millis(479));
  EXPECT_EQ(probe.poll(), ProbeResult::Pending);
  clock.advance(Millis(1));
  EXPECT_EQ(probe.poll(), ProbeResult::NoAnswer);
}

TEST(DecideSearch, TakesTheFirstInListOrderAsATrySequenceWould) {
  using R = ProbeResult;
  struct Row {
    std::vector<R> results;
    SearchVerdict::Kind kind;
    int index;
  };
  const Row rows[] = {
      {{}, SearchVerdict::NotFound, -1},
      {{R::NoAnswer, R::NoAnswer}, SearchVerdict::NotFound, -1},
      {{R::NoAnswer, R::Answered, R::Answered}, SearchVerdict::Found, 1},
      // A later port that answered must wait for an earlier one still being probed.
      {{R::Pending, R::Answered}, SearchVerdict::Pending, -1},
      {{R::NoAnswer, R::Answered, R::Pending}, SearchVerdict::Found, 1},
      // A write failure ends the search only where a one-by-one search would have reached it.
      {{R::NoAnswer, R::WriteFailed, R::Answered}, SearchVerdict::WriteFailed, 1},
      {{R::Answered, R::WriteFailed}, SearchVerdict::Found, 0},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(testing::Message() << "row " << i);
    const Row& r = rows[i];
    const SearchVerdict v = DecideSearch(r.results);
    EXPECT_EQ(v.kind, r.kind);
    EXPECT_EQ(v.index, r.index);
  }
}

}  // namespace
}  // namespace kavira
