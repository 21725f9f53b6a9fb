// The program's serial line to the controller, as the platform offers it: the line's rules of
// TimedPort, opened by name, and a signal whenever something happened (bytes arrived or left, the
// line failed). Between those signals and nextDeadline() the driver has nothing to look at.
//
// Two adapters stand behind it. On Linux (and other POSIX systems) QtSerialPort. On Windows the
// Win32 serial calls themselves (WinSerialPort), polled on a short timer: QSerialPort's Windows
// back end waits for receive events on an I/O completion port, which some drivers (and wine) never
// complete, while a read that returns at once with what has arrived works everywhere.
#pragma once

#include <QObject>
#include <cerrno>
#include <memory>
#include <string>

#include "link/adapter_latency.h"
#include "link/timed_port.h"
#include "model/message.h"

namespace kavira {

// Codes of the system's own that the platform's code compares with.
#ifdef _WIN32
inline constexpr int kPortNoDevice = 2;  // ERROR_FILE_NOT_FOUND
inline constexpr int kPortBusy = 5;      // ERROR_ACCESS_DENIED: another program holds the port
#else
inline constexpr int kPortNoDevice = ENOENT;
inline constexpr int kPortBusy = EBUSY;
#endif

// How far opening a port got.
enum class OpenStage {
  Opened,
  NotOpened,      // the device is missing, busy or not ours to open
  NotConfigured,  // it opened but does not take the line settings (not a serial port)
};

struct OpenResult {
  OpenStage stage = OpenStage::Opened;
  int error = 0;  // the system's error code when not opened or not configured
  Message what;   // for a path that is no device: what it is (CheckPortPath)
};

class LinePort : public QObject, public TimedPort {
  Q_OBJECT

 public:
  explicit LinePort(const Clock& clock, QObject* parent = nullptr) : QObject(parent), TimedPort(clock) {}

  // Opens and configures `name` (a device name such as ttyUSB0 or COM3, or a path): 38400 baud,
  // 8 data bits, no parity, 2 stop bits, no flow control, DTR and RTS left low, raw bytes.
  virtual OpenResult open(const std::string& name) = 0;
  // What the last open() learned of the adapter's latency (see platform/low_latency.h).
  const AdapterLatency& adapterLatency() const { return latency_; }

 signals:
  void activity();

 protected:
  AdapterLatency latency_;
};

// The adapter of this system.
std::unique_ptr<LinePort> MakeLinePort(const Clock& clock);

}  // namespace kavira
