#include "sim/adapter_model.h"

#include <charconv>

namespace kavira {
namespace {

using Duration = SteadyTime::duration;

constexpr auto kUsbFrame = std::chrono::milliseconds(1);
// The FT232R's latency timer as the driver sets it unless told otherwise.
constexpr int kFtdiDefaultTimerMs = 16;

Duration ByteTime() {
  return std::chrono::duration_cast<Duration>(LineTime(1));
}

// The first point of a timer of `period`, started at `origin`, that comes after `at`.
SteadyTime NextTick(SteadyTime origin, Duration period, SteadyTime at) {
  if (at < origin) return origin + period;
  const auto periods = (at - origin) / period + 1;
  return origin + periods * period;
}

}  // namespace

std::optional<AdapterModel> ParseAdapter(std::string_view text, std::string* error) {
  auto refuse = [&](std::string why) -> std::optional<AdapterModel> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  const std::string name(text);
  if (text == "uart") return AdapterModel{name, 14, AdapterModel::Hold::AfterLastByte, 4 * ByteTime(), false};
  if (text == "ch340") return AdapterModel{name, 32, AdapterModel::Hold::Periodic, kUsbFrame, true};
  if (text == "pl2303") return AdapterModel{name, 64, AdapterModel::Hold::Periodic, kUsbFrame, true};
  if (text.substr(0, 4) == "ftdi") {
    int ms = kFtdiDefaultTimerMs;
    if (text.size() > 4) {
      const std::string_view number = text.substr(4 + (text[4] == ':' ? 1 : 0));
      const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), ms);
      if (text[4] != ':' || number.empty() || ec != std::errc() || end != number.data() + number.size() ||
          ms < 1 || ms > 255)
        return refuse("ftdi:N wants the latency timer in milliseconds, 1-255");
    }
    return AdapterModel{name, 62, AdapterModel::Hold::Periodic, std::chrono::milliseconds(ms), true};
  }
  return refuse("unknown adapter \"" + name + "\"; known: " + kAdapterNames);
}

void AdapterLine::arrive(std::span<const std::uint8_t> bytes, SteadyTime at) {
  for (const std::uint8_t byte : bytes) {
    if (const auto due = nextRelease(); due && *due <= at) release(*due);
    if (held_.empty()) firstHeld_ = at;
    held_.push_back(byte);
    lastByte_ = at;
    if (held_.size() >= model_.packet) release(at);
  }
}

std::optional<SteadyTime> AdapterLine::nextRelease() const {
  if (held_.empty()) return std::nullopt;
  if (model_.timer == AdapterModel::Hold::AfterLastByte) return lastByte_ + model_.hold;
  // The timer runs from the last packet sent (on a quiet line it keeps running out and starting again).
  return NextTick(lastRelease_, model_.hold, firstHeld_);
}

std::vector<std::uint8_t> AdapterLine::take(SteadyTime now) {
  if (const auto due = nextRelease(); due && *due <= now) release(*due);
  std::vector<std::uint8_t> out;
  out.swap(ready_);
  return out;
}

SteadyTime AdapterLine::outbound(SteadyTime now) const {
  if (!model_.usb) return now;
  return NextTick(SteadyTime{}, kUsbFrame, now - Duration(1));  // frames run from the clock's epoch
}

void AdapterLine::drop() {
  held_.clear();
  ready_.clear();
}

void AdapterLine::release(SteadyTime at) {
  ready_.insert(ready_.end(), held_.begin(), held_.end());
  held_.clear();
  lastRelease_ = at;
}

}  // namespace kavira
