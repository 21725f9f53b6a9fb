// Serves a simulated controller on a pseudo-terminal, so the program (or any other) can open its
// slave side like a real serial port.
//
// A thread of its own waits on the master side and on the controller's next output time, so it
// keeps serving whatever the opener's thread does (an event loop, a blocking wait). The terminal is
// put in raw mode before anyone opens it, and the controller only ever answers frames it received,
// so nothing is said before the program has opened the port. When the program closes the port the
// master side reads EIO until it is opened again: the thread then looks every 10 ms whether it has
// been reopened, drops what was on the way, and goes on serving.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "sim/adapter_model.h"
#include "sim/sim_controller.h"

namespace kavira {

class PtySimulator {
 public:
  // Whether this system has pseudo-terminals at all (Windows has none: use a null-modem pair there).
  static bool Available();

  // Opens a pseudo-terminal and starts serving `controller` on it. Nothing, and a reason in
  // `error`, when the system gives no pseudo-terminal. `onLineClosed` is called from the serving
  // thread when a `close` misbehaviour has closed the line (the thread then ends). With `adapter`
  // (and pacing) the answers reach the program as that serial adapter would hand them over, instead
  // of in the chunks of the controller's FIFO trigger.
  static std::unique_ptr<PtySimulator> Start(std::unique_ptr<SimController> controller, std::string* error,
                                             std::function<void()> onLineClosed = {},
                                             std::optional<AdapterModel> adapter = {});
  ~PtySimulator();

  PtySimulator(const PtySimulator&) = delete;
  PtySimulator& operator=(const PtySimulator&) = delete;

  // The path to open, e.g. /dev/pts/3.
  const std::string& path() const { return path_; }
  bool lineClosed() const { return lineClosed_; }

  // Runs `f` on the controller while the serving thread keeps off it (to add rules, look at the
  // frames received or the memory).
  template <class F>
  decltype(auto) withController(F&& f) {
    std::lock_guard<std::mutex> lock(mutex_);
    return f(*controller_);
  }

  // Stops serving and closes the master side (the slave's opener then sees the line go away).
  void stop();

 private:
  PtySimulator() = default;

  // The serving thread: waits, reads what the program sent, hands the controller's answers over.
  void serve();
  // Waits for the program's bytes, room for unsent answer bytes, the controller's next output
  // time, or stop(). False when stopped (or when waiting fails).
  bool waitForLine();
  // Whether the program has opened its side again since it hung up.
  bool reopened();
  // Everything the program has sent, to the controller; a hang-up drops what was on the way.
  void readFromProgram(SteadyTime now);
  void deliver(std::span<const std::uint8_t> bytes, SteadyTime now);
  // Takes the answer bytes the line has carried by `now`; whether the line is closed.
  bool takeAnswers(SteadyTime now);
  void writeUnsent();
  void closeLine();

  std::unique_ptr<SimController> controller_;
  std::mutex mutex_;
  std::function<void()> onLineClosed_;
  std::string path_;
  int master_ = -1;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  std::atomic<bool> lineClosed_{false};

  // The serving thread's own.
  bool hungUp_ = false;                 // the program has closed its side
  SteadyTime inbound_{};                // when the last byte from the program reached the controller
  std::vector<std::uint8_t> fifo_;      // answer bytes that have arrived, not yet handed over
  std::vector<std::uint8_t> unsent_;    // answer bytes the terminal had no room for yet
  std::optional<AdapterLine> adapter_;  // the serial adapter modelled between line and program

  std::thread thread_;
};

}  // namespace kavira
