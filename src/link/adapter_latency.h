// What a USB serial adapter's latency timer costs a transfer.
//
// Adapters such as FTDI's hand a short run of received bytes to the PC only when their latency timer
// runs out (16 ms unless set lower). A block's answer is 134 bytes: two full 62-byte USB packets go
// at once, the 10-byte tail waits for the timer. Every block of a read therefore waits about the
// timer less the tail's own time on the line.
#pragma once

#include <optional>
#include <string>

#include "model/message.h"

namespace kavira {

struct AdapterLatency {
  bool lowLatency = false;     // the driver took the request for low latency
  std::optional<int> timerMs;  // the adapter's latency timer, where the system tells it
};

// Above this a latency timer is worth telling the user about.
inline constexpr int kLatencyTimerWorthTelling = 2;

// How many seconds a whole read (2048 blocks) takes longer with a latency timer of `timerMs`.
double WholeReadDelaySeconds(int timerMs);
// The line's own time for a whole read (the 6-byte request and the 134-byte answer of each block).
double WholeReadLineSeconds();

// A note for the user when the timer slows transfers down, naming how much and where the manual says
// how to lower it; nothing when it does not matter or cannot be read. `howToLower` is the system's
// own way ("a udev rule", "Device Manager").
std::optional<std::string> LatencyNote(const AdapterLatency& latency, const std::string& howToLower);
// The same for the window program, in the program's texts (its status bar's tooltip).
std::optional<Message> LatencyMessage(const AdapterLatency& latency);

}  // namespace kavira
