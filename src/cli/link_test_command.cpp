// kaviraob-cli link-test: how well the line to the controller works, for the technician or support.
// It only asks: 50 version requests and 50 block reads (scene 1:1, two blocks at a time), nothing
// written.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <vector>

#include "cli/cli_command.h"
#include "cli/link_session.h"
#include "link/adapter_latency.h"
#include "platform/line_port.h"
#include "platform/low_latency.h"
#include "platform/port_list.h"

namespace kavira::cli {
namespace {

constexpr int kRounds = 50;
constexpr int kGiveUpAfter = 5;  // failed exchanges in a row: the line is down, not flaky
// A read of scene 1:1 asks for its two blocks.
constexpr int kBlocksPerRead = 2;
constexpr double kBlocks = 2048;
// Beyond this share over the line's own time, a link is worth a look.
constexpr double kSlowRatio = 1.15;

struct Times {
  std::vector<double> ms;  // one per exchange that succeeded
  int failures = 0;

  std::string summary() const {  // per exchange
    if (ms.empty()) return "no answer";
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    char text[96];
    std::snprintf(text, sizeof text, "min %.1f ms, median %.1f ms, max %.1f ms", sorted.front(),
                  sorted[sorted.size() / 2], sorted.back());
    return text;
  }
  double median() const {
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    return sorted.empty() ? 0 : sorted[sorted.size() / 2];
  }
};

// Runs what `start` starts `runs` times and times each exchange, from its frame going out to its
// answer handled (a run's own quiet wait before its first frame does not count); false when the
// line went down.
template <class Start>
bool Measure(LinkSession& session, Times& times, int runs, Start start) {
  std::optional<std::chrono::steady_clock::time_point> sent;
  session.watchSteps([&](const TransferEngine& engine) {
    const _status status = engine.link().status;
    const bool exchanging = status == _sending_ || status == _rcving_;
    if (exchanging && !sent) sent = std::chrono::steady_clock::now();
    if (!exchanging && sent) {
      times.ms.push_back(
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - *sent).count());
      sent.reset();
    }
  });
  int inRow = 0;
  for (int round = 0; round < runs; ++round) {
    const std::size_t before = times.ms.size();
    start(session.engine());
    session.run();
    sent.reset();
    if (session.failed()) {
      times.ms.resize(before);  // a failed run's exchanges are no round trips to count
      ++times.failures;
      if (++inRow == kGiveUpAfter) return false;
      continue;
    }
    inRow = 0;
  }
  session.watchSteps({});
  return true;
}

int RunLinkTest(Context& context, const ParsedCommand& parsed) {
  if (!parsed.extras.empty()) return RefuseArgument("link-test", parsed.extras.front(), " (see --help)");
  // The report is the output: no progress lines in between.
  Context quiet = context;
  quiet.quiet = true;
  LinkSession session(quiet, "link-test");
  if (const int code = session.connect(); code != kExitOk) return code;
  auto* port = dynamic_cast<LinePort*>(session.port());
  const std::string name = session.port()->name();
  const std::string device = DescribePortDevice(name);
  const AdapterLatency latency = port != nullptr ? port->adapterLatency() : AdapterLatency{};

  std::cout << "port: " << name << '\n';
  std::cout << "adapter: " << (device.empty() ? "the system does not say" : device) << '\n';
  std::cout << "low latency: " << (latency.lowLatency ? "granted by the driver" : "not available") << '\n';
  std::cout << "latency timer: "
            << (latency.timerMs ? std::to_string(*latency.timerMs) + " ms" : std::string("cannot be read"))
            << '\n';

  Times version;
  Times read;
  // Each read of scene 1:1 asks for its two blocks: 25 of them are 50 block reads.
  const bool up = Measure(session, version, kRounds, [](TransferEngine& e) { e.startVersion(); }) &&
                  Measure(session, read, kRounds / kBlocksPerRead, [](TransferEngine& e) {
                    e.startBlocks({_read_, 0, 0, false});
                  });
  std::cout << "version request, " << version.ms.size() << " answered: " << version.summary() << '\n';
  std::cout << "block read, " << read.ms.size() << " answered: " << read.summary() << '\n';
  std::cout << "failed exchanges: " << version.failures + read.failures << '\n';
  if (!up) {
    std::cout
        << "advice: the line stopped answering; check the cable, the adapter and that the controller is on\n";
    return kExitLink;
  }
  const double line = WholeReadLineSeconds();
  const double expected = kBlocks * read.median() / 1000.0;
  char text[128];
  std::snprintf(text, sizeof text,
                "whole read: about %.0f s on this link (the line needs %.0f s, ratio %.2f)", expected, line,
                expected / line);
  std::cout << text << '\n';
  std::string advice;
  if (const auto slow = LatencyNote(latency, LatencyHowToLower()))
    advice = *slow;
  else if (version.failures + read.failures > 0)
    advice = "some exchanges failed: a long or unshielded cable, or interference, is the usual cause";
  else if (expected / line > kSlowRatio)
    advice = "slower than the line allows: try another USB port or adapter, without a hub";
  else
    advice = "none, the link runs at the line's speed";
  std::cout << "advice: " << advice << std::endl;
  return version.failures + read.failures > 0 ? kExitFailure : kExitOk;
}

}  // namespace

const CommandSpec kLinkTestCommand{
    .name = "link-test",
    .summary = "measure the line to the controller (changes nothing)",
    .usage = "kaviraob-cli [GLOBAL OPTIONS] link-test",
    .about =
        "Runs 50 version requests and 50 block reads (scene 1:1) and prints the adapter (maker,\n"
        "product, USB numbers, driver), whether the driver granted low latency, the\n"
        "adapter's latency timer where it can be read, the round-trip times (min, median,\n"
        "max), the failed exchanges, the expected time of a whole read on this link, and\n"
        "advice. Nothing is written to the controller.\n"
        "Exit status: 0 when every exchange succeeded, 1 when some failed, 3 when the\n"
        "controller cannot be reached or stops answering.\n",
    .arguments = {},
    .options = {},
    .globalOptions = true,
    .after = {},
    .examples =
        "  kaviraob-cli link-test\n"
        "  kaviraob-cli --port /dev/ttyUSB0 link-test > link.txt\n",
    .run = RunLinkTest,
};

}  // namespace kavira::cli
