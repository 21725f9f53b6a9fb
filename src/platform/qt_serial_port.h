// The serial line over QtSerialPort: 38400 baud, 8 data bits, no parity, 2 stop bits, no flow
// control, DTR and RTS left low, raw bytes. The read-ending and write time-out rules come from
// TimedPort; this class only moves bytes and reports failures with the system's error code.
//
// It tells its driver when something happened (bytes arrived, bytes left, the line failed) through
// the activity() signal; between those and nextDeadline() nothing needs to be polled.
#pragma once

#include <QObject>
#include <QSerialPort>
#include <string>

#include "link/timed_port.h"

namespace kavira {

// How far opening a port got.
enum class OpenStage {
  Opened,
  NotOpened,      // the device is missing, busy or not ours to open
  NotConfigured,  // it opened but does not take the line settings (not a serial port)
};

struct OpenResult {
  OpenStage stage = OpenStage::Opened;
  int error = 0;     // errno value when not opened or not configured
  std::string what;  // for a path that is no device: what it is (CheckPortPath)
};

class QtSerialPort final : public QObject, public TimedPort {
  Q_OBJECT

 public:
  explicit QtSerialPort(const Clock& clock, QObject* parent = nullptr);
  ~QtSerialPort() override;

  // Opens and configures `name` (a device name such as ttyUSB0 or COM3, or a path). A folder, a file
  // or a pipe is refused without being opened; a lock file left by a program that has ended is
  // removed first (ClearStaleLock).
  OpenResult open(const std::string& name);

  // True from a successful open() until close(), also after the line has failed (operations then
  // fail with the failure's code).
  bool isOpen() const override { return open_; }
  void close() override;
  std::string name() const override { return name_; }

 signals:
  void activity();

 protected:
  int transportWrite(std::span<const std::uint8_t> bytes) override;
  std::size_t transportUnsent() const override;
  void transportClear() override;
  void transportPump() override;

 private:
  void onReadyRead();
  void onError(QSerialPort::SerialPortError error);

  QSerialPort serial_;
  std::string name_;
  bool open_ = false;
  bool broken_ = false;
  QSerialPort::SerialPortError lastError_ = QSerialPort::NoError;
};

// The errno value that best describes a QSerialPort error, for a port called `name`.
int ErrnoOf(QSerialPort::SerialPortError error, const std::string& name);

}  // namespace kavira
