// The serial line as the core sees it: one write and one read at a time, started without waiting and
// then asked, without waiting, whether they have finished.
//
// A read of n bytes ends when n bytes have arrived, when the line has been silent for 100 ms after
// the last byte received, or after n x 120 ms + 120 ms in all, with whatever has arrived. A write
// gives up after n x 120 ms + 120 ms. TimedPort implements these rules once; adapters derive from it.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "link/clock.h"

namespace kavira {

// Time the line takes to carry `bytes` bytes at 38400 baud with 11 bits a byte (a start bit, 8 data
// bits and 2 stop bits).
constexpr std::chrono::nanoseconds LineTime(std::size_t bytes) {
  return std::chrono::nanoseconds(static_cast<long long>(bytes) * 11LL * 1'000'000'000LL / 38400LL);
}

// The failures that the line's own rules report, as opposed to the system's. Each port numbers them
// as the system's serial calls number theirs (errno values by default; Win32 codes for the Windows
// adapter), so that a "Kod błędu" box always names a code the system can describe in its own words.
enum class LineError { NotOpen, Cancelled, TimedOut, Failed };

// The errno values for them, which every port but the Windows one uses.
inline constexpr int kLineNotOpen = EBADF;
inline constexpr int kLineCancelled = ECANCELED;
inline constexpr int kLineTimedOut = ETIMEDOUT;
inline constexpr int kLineIoError = EIO;

enum class IoState { Pending, Done, Failed };

struct IoPoll {
  IoState state = IoState::Pending;
  std::size_t count = 0;  // bytes written or received
  int error = 0;          // the system's error code when Failed
};

class SerialPort {
 public:
  virtual ~SerialPort() = default;

  virtual bool isOpen() const = 0;
  virtual void close() = 0;
  // The port's name as listed, for messages.
  virtual std::string name() const = 0;

  // Aborts a pending write or read and clears both directions.
  virtual void purge() = 0;

  // Starts writing; 0, or the system's error code when the write cannot start.
  virtual int startWrite(std::span<const std::uint8_t> bytes) = 0;
  virtual IoPoll pollWrite() = 0;

  // Starts a read of n bytes; 0 or the system's error code.
  virtual int startRead(std::size_t n) = 0;
  virtual IoPoll pollRead() = 0;
  // The bytes of the last finished read.
  virtual std::span<const std::uint8_t> received() const = 0;

  // When the pending write or read will end (now, when it has already ended; otherwise by its
  // time-out), if one is pending: a driver sleeps until then unless the port reports activity first.
  virtual std::optional<SteadyTime> nextDeadline() const = 0;
  // When the last byte arrived from the line (read pending or not).
  virtual std::optional<SteadyTime> lastReceived() const = 0;
  // The last moment the line may have brought bytes that no read will take: the last byte received,
  // the last purge (it may have cut an answer short) or the opening of the port (what the line
  // carried before is unknown). Nothing when none of these has happened.
  virtual std::optional<SteadyTime> lastUnsettled() const = 0;

  // The code this port reports for a failure of the line's own rules.
  virtual int errorCode(LineError error) const = 0;

  // A read ends as soon as what has arrived is exactly 06 03 F7 (an acknowledgement), instead of
  // waiting for the line to fall silent. No data reply or refusal starts with 06.
  virtual void setFastAck(bool on) = 0;
};

}  // namespace kavira
