// The serial line on Windows, over the Win32 serial calls: the port opened exclusively with
// CreateFileW, 38400 8N2 without handshake in transparent mode (BuildCommDCBW, SetCommState), driver
// queues of 270 bytes each (SetupComm), PurgeComm with all four flags, writes started with WriteFile
// and asked without waiting with GetOverlappedResult, under the line's write time-outs.
//
// Reads are polled: ClearCommError tells how many bytes the driver holds, and ReadFile returns at once
// with them (read time-outs MAXDWORD, 0, 0). A read that waits in the driver for bytes or for a receive
// event relies on completions that some drivers never deliver (wine's serial ports among them); this
// one works on every driver, and the line's own rules (TimedPort) decide when a read has ended.
//
// The looking is done by a thread of the port's own, on the short timer of serial_polling.h, so that
// the program's thread is woken only when something has happened, as on the other systems: a write
// has left, the first bytes of an answer have come (from then on its silence counts), a read can end,
// bytes came while no read was pending, or the line failed. The bytes wait in the port until the
// program's thread takes them; TimedPort and everything above it run on that thread alone.
#pragma once

#include <memory>
#include <string>

#include "platform/line_port.h"

namespace kavira {

class WinSerialPort final : public LinePort {
  Q_OBJECT

 public:
  explicit WinSerialPort(const Clock& clock, QObject* parent = nullptr);
  ~WinSerialPort() override;

  // `name` is a port name as the system lists it (COM3; a trailing colon is dropped) or a device
  // path (\\.\COM12).
  OpenResult open(const std::string& name) override;
  bool isOpen() const override;
  void close() override;
  std::string name() const override { return name_; }
  // The looking thread learns of a read when it starts.
  int startRead(std::size_t n) override;
  // Win32 codes for the line's own failures.
  int errorCode(LineError error) const override;

 protected:
  int transportWrite(std::span<const std::uint8_t> bytes) override;
  std::size_t transportUnsent() const override;
  void transportClear() override;
  void transportPump() override;

 private:
  class Poller;

  // Called on the program's thread when the looking thread has news.
  void takeNews();
  // Tells the looking thread what TimedPort is waiting for.
  void publish();

  std::unique_ptr<Poller> poller_;
  std::string name_;
};

}  // namespace kavira
