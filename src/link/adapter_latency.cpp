#include "link/adapter_latency.h"

#include <algorithm>
#include <cmath>

#include "link/serial_port.h"

namespace kavira {
namespace {

constexpr double kBlocks = 2048;
constexpr std::size_t kAnswerTail = 134 % 62;  // the answer's bytes after its full USB packets

double Seconds(std::chrono::nanoseconds d) {
  return static_cast<double>(d.count()) / 1e9;
}

}  // namespace

double WholeReadDelaySeconds(int timerMs) {
  return kBlocks * std::max(0.0, timerMs / 1000.0 - Seconds(LineTime(kAnswerTail)));
}

double WholeReadLineSeconds() {
  return kBlocks * Seconds(LineTime(6 + 134));
}

std::optional<std::string> LatencyNote(const AdapterLatency& latency, const std::string& howToLower) {
  if (!latency.timerMs || *latency.timerMs <= kLatencyTimerWorthTelling) return std::nullopt;
  const double delay = WholeReadDelaySeconds(*latency.timerMs);
  const auto percent = static_cast<long>(std::lround(100.0 * delay / WholeReadLineSeconds()));
  return "the adapter's latency timer is " + std::to_string(*latency.timerMs) +
         " ms: a whole read takes about " + std::to_string(std::lround(delay)) + " s (" +
         std::to_string(percent) + " %) longer than the line needs; " + howToLower +
         " lowers it (manual, \"Adapters\")";
}

}  // namespace kavira
