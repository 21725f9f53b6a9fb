// How a serial adapter between the controller and the PC hands the controller's bytes over.
//
// The controller's answers leave it at 38400 baud, 11 bits a byte. What reaches the program depends
// on what sits between:
// - a native UART (`uart`): a 16-byte receive FIFO raises its interrupt at the trigger level of 14
//   bytes, and the rest after four characters' time of silence (the 16550's character time-out);
// - an FTDI FT232R (`ftdi`, `ftdi:N`): 62 bytes of data fit a 64-byte USB packet, which goes as soon as
//   it is full; a shorter run waits for the chip's latency timer (16 ms unless set otherwise), which
//   starts again with every packet sent;
// - a WCH CH340 (`ch340`): 32-byte packets and no latency timer: a short run goes at the host's next
//   poll of the endpoint, once every 1 ms USB frame;
// - a Prolific PL2303 (`pl2303`): the same with 64-byte packets.
// On the USB adapters the program's own bytes also wait for the next USB frame before they go out.
// Standard C++; the pseudo-terminal simulator and the benchmark use it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/clock.h"
#include "link/serial_port.h"

namespace kavira {

struct AdapterModel {
  enum class Hold {
    AfterLastByte,  // a short run goes `hold` after its last byte (a UART's character time-out)
    Periodic,       // a short run goes when a timer of period `hold` runs out; a full packet restarts it
  };
  std::string name;  // as given: uart, ftdi, ftdi:1, ch340, pl2303
  std::size_t packet = 14;
  Hold timer = Hold::AfterLastByte;
  SteadyTime::duration hold{};
  bool usb = false;  // the program's bytes wait for the next 1 ms USB frame
};

// The model for `text` (uart, ftdi, ftdi:N with N 1-255 ms, ch340, pl2303); nothing and a reason
// in `error` for anything else.
std::optional<AdapterModel> ParseAdapter(std::string_view text, std::string* error);
// The names ParseAdapter takes, for help texts.
inline constexpr const char* kAdapterNames =
    "uart, ftdi, ftdi:N (latency timer N ms, default 16), ch340, pl2303";

// The adapter at work: bytes go in as the line delivers them, and come out when the adapter hands
// them over. Like the simulated controller it works on the time points it is given.
class AdapterLine {
 public:
  explicit AdapterLine(AdapterModel model) : model_(std::move(model)) {}

  // Bytes the line has delivered to the adapter at `at` (time points never go back).
  void arrive(std::span<const std::uint8_t> bytes, SteadyTime at);
  // When the bytes held now are handed over, if any are held.
  std::optional<SteadyTime> nextRelease() const;
  // The bytes handed over to the program by `now`.
  std::vector<std::uint8_t> take(SteadyTime now);
  // When bytes the program writes at `now` start out on the line.
  SteadyTime outbound(SteadyTime now) const;
  // The port was closed: what was held is gone.
  void drop();

  const AdapterModel& model() const { return model_; }

 private:
  void release(SteadyTime at);

  AdapterModel model_;
  std::vector<std::uint8_t> held_;
  std::vector<std::uint8_t> ready_;
  SteadyTime firstHeld_{};
  SteadyTime lastByte_{};
  SteadyTime lastRelease_{};
};

}  // namespace kavira
