#include "platform/qt_serial_port.h"

#include <QTimer>
#include <cerrno>

#include "platform/low_latency.h"
#include "platform/port_device.h"

namespace kavira {
namespace {

// Queue sizes of the line in both directions; Qt lets us bound the input side.
constexpr qint64 kQueueSize = 270;
// A read is held only when that saves waking up for a few bytes at least.
constexpr Millis kLeastHold{2};
// A hold ends this much before the line can have carried the last byte: the first byte was taken
// when the program was woken for it, which on a busy machine is a while after it arrived, and the
// bytes that come after the hold cost only a short wake each, never the driver's.
constexpr Millis kHoldMargin{2};

}  // namespace

int ErrnoOf(QSerialPort::SerialPortError error, const std::string& name) {
  switch (error) {
    case QSerialPort::NoError:
      return 0;
    case QSerialPort::DeviceNotFoundError:
      return ENOENT;
    case QSerialPort::PermissionError:
      // Qt says "permission" both for a device we may not open and for one another program holds
      // (its lock file, or exclusive mode): tell them apart.
      return PortAccessDenied(name) ? EACCES : EBUSY;
    case QSerialPort::OpenError:
      return EBUSY;
    case QSerialPort::NotOpenError:
      return EBADF;
    case QSerialPort::TimeoutError:
      return ETIMEDOUT;
    case QSerialPort::UnsupportedOperationError:
      return ENOTTY;
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::UnknownError:
      break;
  }
  return EIO;
}

QtSerialPort::QtSerialPort(const Clock& clock, QObject* parent) : LinePort(clock, parent) {
  connect(&serial_, &QSerialPort::readyRead, this, &QtSerialPort::onReadyRead);
  connect(&serial_, &QSerialPort::bytesWritten, this, &QtSerialPort::activity);
  connect(&serial_, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
  holdTimer_.setSingleShot(true);
  holdTimer_.setTimerType(Qt::PreciseTimer);
  connect(&holdTimer_, &QTimer::timeout, this, &QtSerialPort::holdOver);
}

QtSerialPort::~QtSerialPort() {
  serial_.close();
}

OpenResult QtSerialPort::open(const std::string& name) {
  close();
  // Qt would report a folder as an I/O error, and open a file or a pipe only to fail on its settings.
  if (auto notPort = CheckPortPath(name)) {
    const bool opens = notPort->error == ENOTTY;
    return {opens ? OpenStage::NotConfigured : OpenStage::NotOpened, notPort->error,
            std::move(notPort->what)};
  }
  ClearStaleLock(name);
  // By the device's own path, so that Qt's lock file is the same on every path to the port.
  serial_.setPortName(QString::fromStdString(CanonicalPortPath(name)));
  lastError_ = QSerialPort::NoError;
  if (!serial_.open(QIODevice::ReadWrite)) {
    // The error may already have been seen (and cleared) by onError().
    const QSerialPort::SerialPortError e =
        serial_.error() != QSerialPort::NoError ? serial_.error() : lastError_;
    serial_.clearError();
    // Qt reads the line settings as part of opening: a device that opens but is no serial port
    // fails here, which is a configuration failure, not an open failure.
    if (e == QSerialPort::UnsupportedOperationError) return {OpenStage::NotConfigured, ENOTTY, {}};
    const int code = ErrnoOf(e, name);
    return {OpenStage::NotOpened, code != 0 ? code : EIO, {}};
  }
  const bool configured = serial_.setBaudRate(38400) && serial_.setDataBits(QSerialPort::Data8) &&
                          serial_.setParity(QSerialPort::NoParity) &&
                          serial_.setStopBits(QSerialPort::TwoStop) &&
                          serial_.setFlowControl(QSerialPort::NoFlowControl);
  if (!configured) {
    const int e = ErrnoOf(serial_.error() != QSerialPort::NoError ? serial_.error() : lastError_, name);
    serial_.close();
    serial_.clearError();
    return {OpenStage::NotConfigured, e != 0 ? e : EINVAL, {}};
  }
  // The controller needs no modem lines. Pseudo-terminals have none and refuse: that is fine.
  serial_.setDataTerminalReady(false);
  serial_.setRequestToSend(false);
  serial_.clearError();
  serial_.setReadBufferSize(kQueueSize);
  latency_ = RequestLowLatency(serial_.handle(), CanonicalPortPath(name));
  reset();
  name_ = name;
  open_ = true;
  broken_ = false;
  return {};
}

void QtSerialPort::close() {
  endHold();
  latency_ = {};
  serial_.close();
  serial_.clearError();
  open_ = false;
  broken_ = false;
  reset();
}

int QtSerialPort::transportWrite(std::span<const std::uint8_t> bytes) {
  if (!serial_.isOpen()) return EBADF;
  const auto n = static_cast<qint64>(bytes.size());
  if (serial_.write(reinterpret_cast<const char*>(bytes.data()), n) != n) return EIO;
  serial_.flush();  // hand the bytes to the driver now rather than on the next turn of the loop
  return 0;
}

std::size_t QtSerialPort::transportUnsent() const {
  return serial_.isOpen() ? static_cast<std::size_t>(serial_.bytesToWrite()) : 0;
}

void QtSerialPort::transportClear() {
  endHold();
  if (!serial_.isOpen()) return;
  serial_.clear(QSerialPort::AllDirections);
  serial_.readAll();
}

void QtSerialPort::transportPump() {
  // A hold that should be over already (its timer is late) ends here.
  if (holding_ && clock().now() >= holdUntil_) holdOver();
  if (!holding_ && serial_.isOpen() && serial_.bytesAvailable() > 0) take();
}

void QtSerialPort::onReadyRead() {
  // While holding, QSerialPort keeps the one byte it may take, and stops reading the line.
  if (!holding_) take();
}

void QtSerialPort::take() {
  const QByteArray data = serial_.readAll();
  if (data.isEmpty()) return;
  const bool first = reading() && readCount() == 0;
  deliver({reinterpret_cast<const std::uint8_t*>(data.constData()), static_cast<std::size_t>(data.size())});
  // A reply trickles in at the line's speed; waking the driver for every byte would only cost
  // processor time. It is woken by the first byte of a read (from then on the silence counts, see
  // nextDeadline()) and when the read can end.
  if (!reading() || readReady() || first) emit activity();
  holdIfIncomplete();
}

void QtSerialPort::holdIfIncomplete() {
  if (holding_ || !reading() || broken_) return;
  // Once a read, when its first bytes have come: from then on the answer crosses the line without a
  // pause. The hold ends early rather than late (kHoldMargin before, whole milliseconds rounded
  // down); what is not there yet when it ends, or what comes late, is taken as it comes.
  if (heldRead_ == readStart()) return;
  const auto wait = std::chrono::floor<Millis>(LineTime(bytesUntilReady())) - kHoldMargin;
  if (wait < kLeastHold) return;
  heldRead_ = readStart();
  // QSerialPort stops reading the line (and waking us) once its buffer is full: one byte. The rest
  // waits in the system's queue, and the silence that ends a short answer is counted from when the
  // bytes are taken, never from before they arrived.
  holding_ = true;
  holdUntil_ = clock().now() + wait;
  serial_.setReadBufferSize(1);
  holdTimer_.start(static_cast<int>(wait.count()));
}

void QtSerialPort::endHold() {
  if (!holding_) return;
  holding_ = false;
  holdTimer_.stop();
  serial_.setReadBufferSize(kQueueSize);
}

void QtSerialPort::holdOver() {
  endHold();
  if (!serial_.isOpen()) return;
  // Everything the system has queued meanwhile, now (readyRead takes it; with nothing queued this
  // only times out, which onError() ignores).
  serial_.waitForReadyRead(0);
  if (!holding_) take();
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
  if (error == QSerialPort::NoError) return;
  lastError_ = error;
  if (error == QSerialPort::TimeoutError || error == QSerialPort::UnsupportedOperationError) {
    serial_.clearError();
    return;
  }
  if (broken_ || !open_) return;
  broken_ = true;
  // Qt keeps no errno for a failed read or write (the one left in errno by then is stale): a line
  // that fails under an open port is an I/O error, which is also what the terminal driver reports.
  fail(ErrnoOf(error, name_));
  // A device that has gone away keeps Qt's read notifier firing errors without end: close the
  // device at once, from the event loop rather than from inside Qt's own notification.
  QTimer::singleShot(0, this, [this] {
    if (broken_) serial_.close();
  });
  emit activity();
}

#ifndef _WIN32
std::unique_ptr<LinePort> MakeLinePort(const Clock& clock) {
  return std::make_unique<QtSerialPort>(clock);
}
#endif

}  // namespace kavira
