// The serial line over QtSerialPort (the adapter of POSIX systems): 38400 baud, 8 data bits, no
// parity, 2 stop bits, no flow control, DTR and RTS left low, raw bytes. The read-ending and write
// time-out rules come from TimedPort; this class only moves bytes and reports failures with the
// system's error code.
//
// It tells its driver when something happened (bytes arrived, bytes left, the line failed) through
// the activity() signal; between those and nextDeadline() nothing needs to be polled.
//
// An answer that arrives a byte at a time does not wake the program for every byte: while a read
// cannot end yet, the bytes it still needs cannot all be there before the line has carried them, so
// the port stops taking bytes until then and takes them all at once.
#pragma once

#include <QSerialPort>
#include <QTimer>
#include <optional>
#include <string>

#include "platform/line_port.h"

namespace kavira {

class QtSerialPort final : public LinePort {
  Q_OBJECT

 public:
  explicit QtSerialPort(const Clock& clock, QObject* parent = nullptr);
  ~QtSerialPort() override;

  // Opens and configures `name` (a device name such as ttyUSB0 or COM3, or a path). A folder, a file
  // or a pipe is refused without being opened; a lock file left by a program that has ended is
  // removed first (ClearStaleLock).
  OpenResult open(const std::string& name) override;

  // True from a successful open() until close(), also after the line has failed (operations then
  // fail with the failure's code).
  bool isOpen() const override { return open_; }
  void close() override;
  std::string name() const override { return name_; }

 protected:
  int transportWrite(std::span<const std::uint8_t> bytes) override;
  std::size_t transportUnsent() const override;
  void transportClear() override;
  void transportPump() override;

 private:
  void onReadyRead();
  void onError(QSerialPort::SerialPortError error);
  // Takes whatever QSerialPort holds.
  void take();
  // Stops taking bytes while the read cannot end before the line has carried the bytes it still
  // needs; endHold() and holdOver() start again.
  void holdIfIncomplete();
  void endHold();
  void holdOver();

  QSerialPort serial_;
  QTimer holdTimer_;
  bool holding_ = false;
  SteadyTime holdUntil_{};
  std::optional<SteadyTime> heldRead_;  // the start of the read held last
  std::string name_;
  bool open_ = false;
  bool broken_ = false;
  QSerialPort::SerialPortError lastError_ = QSerialPort::NoError;
};

// The errno value that best describes a QSerialPort error, for a port called `name`.
int ErrnoOf(QSerialPort::SerialPortError error, const std::string& name);

}  // namespace kavira
