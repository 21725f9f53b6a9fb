// The transfer engine: reads, writes and verifies the image block by block, installs and verifies
// firmware line by line, reads the firmware version and restarts the controller.
//
// It is a small state machine over the link's variables. Commands set its inputs and put `status` to
// `_init_`; a driver then calls step() whenever there is something to do: at once while the state is
// `_init_` or `_loop_`, and on port activity or at wakeAt() while a write or read is under way. A step
// never waits: it starts a write or read, asks whether one has finished, or moves to the next block.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "link/clock.h"
#include "link/frames.h"
#include "link/host.h"
#include "link/link_state.h"
#include "link/serial_port.h"
#include "model/controller_image.h"

namespace kavira {

inline constexpr const char* kTextSystemError = "Kod błędu : ";
inline constexpr const char* kTextProgramError = "Błąd programu !";
inline constexpr const char* kCaptionFailure = "Niepowodzenie";

// The status-bar text of the firmware version from the three data bytes of the version reply, e.g.
// "\tFW : 1.05A".
std::string ComposeVersionText(std::uint8_t minor, std::uint8_t major, std::uint8_t suffix);

class TransferEngine : public LinkState {
 public:
  TransferEngine(ControllerImage& image, Host& host, const Clock& clock);

  void setPort(SerialPort* port) { port_ = port; }
  SerialPort* port() const { return port_; }

  // Runs one step of the state `posted`. A step whose state is no longer the link's (posted before the
  // link went idle or moved on) is ignored.
  void step(_status posted);
  void step() { step(status); }

  // What a driver does next: nothing (idle), step again at once, or wait for port activity or wakeAt().
  enum class Next { Idle, Now, Wait };
  Next next() const;
  std::optional<SteadyTime> wakeAt() const;

  // The action highlighted in the "Akcje" menu. A running transfer keeps the action it was started
  // with, so the highlight is recorded only while the link is idle.
  void selectAction(_akcja highlighted);

  // "&Zatrzymaj" and Esc: the link goes idle, the port is purged; what was stored stays.
  void stop();
  // "&Restart sterownika": the restart request replaces whatever runs.
  void restart();
  // Reads the firmware version next (start-up, "&Auto", a port choice).
  void startVersion();
  // A block walk over units `from`..`to` (scenes 0-1021, 1022 settings, 1023 MIDI) as an area
  // command starts it; `all` runs scenes, settings and MIDI in one walk.
  void startBlocks(_akcja action, std::uint32_t from, std::uint32_t to, bool all = false);
  // Hands a decoded update to the engine: install (write pass, read-back pass, version) or verify only.
  void startFirmware(FirmwareImage lines, bool verifyOnly);

  // The file step, run for `_file_`; the file layer installs it.
  std::function<void()> fileStep;

  // The frame buffers and the data count of the awaited reply.
  Frame OutBuffer;
  Frame InBuffer;
  int DataCnt = 2;

  ControllerImage& image() { return image_; }
  Host& host() { return host_; }

 private:
  void stepInit();
  void stepSending();
  void stepReceiving();
  void stepLoop();

  void handleWriteAnswer();
  void handleDataReply();
  // The answer to a frame was refused or damaged: Retry sends the same frame again once the line
  // has fallen quiet; Cancel ends the run.
  void offerRetry(const std::string& text);
  // A failure that ends the run with a box.
  void endRun(const std::string& text, Icon icon);
  void goIdle();
  void startSending(ByteView frame);
  void loopBlocks();
  void loopFirmware();
  bool waitingForQuiet() const;

  ControllerImage& image_;
  Host& host_;
  const Clock& clock_;
  SerialPort* port_ = nullptr;

  // The state this engine left the link in after its last step; anything else means a command has
  // started a new run (or stopped it) in between.
  _status left_ = _init_;
  int pendingError_ = 0;  // a write or read that could not start, reported by the next step
  bool quietWait_ = false;
  SteadyTime quietFrom_{};
};

}  // namespace kavira
