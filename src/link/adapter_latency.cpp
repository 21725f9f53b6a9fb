#include "link/adapter_latency.h"

#include <algorithm>
#include <cmath>

#include "link/serial_port.h"
#include "model/texts.h"

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

namespace {

// A timer worth telling about, and what it costs a whole read, as the notes show them.
struct LatencyCost {
  std::string timer, seconds, percent;
};
std::optional<LatencyCost> Cost(const AdapterLatency& latency) {
  if (!latency.timerMs || *latency.timerMs <= kLatencyTimerWorthTelling) return std::nullopt;
  const double delay = WholeReadDelaySeconds(*latency.timerMs);
  const auto percent = static_cast<long>(std::lround(100.0 * delay / WholeReadLineSeconds()));
  return LatencyCost{std::to_string(*latency.timerMs), std::to_string(std::lround(delay)),
                     std::to_string(percent)};
}

}  // namespace

std::optional<std::string> LatencyNote(const AdapterLatency& latency, const std::string& howToLower) {
  const auto cost = Cost(latency);
  if (!cost) return std::nullopt;
  return "the adapter's latency timer is " + cost->timer + " ms: a whole read takes about " + cost->seconds +
         " s (" + cost->percent + " %) longer than the line needs; " + howToLower +
         " lowers it (manual, \"Adapters\")";
}

std::optional<Message> LatencyMessage(const AdapterLatency& latency) {
  const auto cost = Cost(latency);
  if (!cost) return std::nullopt;
  return Message(Texts::kLatencyNote, {cost->timer, cost->seconds, cost->percent});
}

}  // namespace kavira
