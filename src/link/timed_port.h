// The read-ending and write time-out rules of the line, over a byte transport supplied by a subclass
// (the QtSerialPort adapter, the fake port of the tests).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "link/clock.h"
#include "link/serial_port.h"

namespace kavira {

inline constexpr Millis kReadInterval{100};  // silence that ends a read after a byte
inline constexpr Millis kPerByte{120};       // total time-out per byte asked for or written
inline constexpr Millis kConstant{120};      // plus this

constexpr Millis TotalTimeout(std::size_t n) {
  return kPerByte * static_cast<long>(n) + kConstant;
}

class TimedPort : public SerialPort {
 public:
  explicit TimedPort(const Clock& clock) : clock_(clock) {}

  void purge() override;
  int startWrite(std::span<const std::uint8_t> bytes) override;
  IoPoll pollWrite() override;
  int startRead(std::size_t n) override;
  IoPoll pollRead() override;
  std::span<const std::uint8_t> received() const override { return read_; }
  std::optional<SteadyTime> nextDeadline() const override;
  std::optional<SteadyTime> lastReceived() const override { return lastArrival_; }
  std::optional<SteadyTime> lastUnsettled() const override { return unsettled_; }
  void setFastAck(bool on) override { fastAck_ = on; }
  int errorCode(LineError error) const override;

 protected:
  // The transport: queue bytes for sending (0 or an error code), bytes queued but not yet sent,
  // drop everything queued in both directions, and fetch whatever has arrived (may call deliver()).
  virtual int transportWrite(std::span<const std::uint8_t> bytes) = 0;
  virtual std::size_t transportUnsent() const = 0;
  virtual void transportClear() = 0;
  virtual void transportPump() {}

  // Bytes have arrived from the line now.
  void deliver(std::span<const std::uint8_t> bytes);
  // The line failed with a system error; pending and later operations fail with it until the port
  // is opened again.
  void fail(int error);
  // Forget all state, as after closing or opening.
  void reset();

  const Clock& clock() const { return clock_; }
  bool reading() const { return reading_; }
  // When the pending (or last) read started; it tells one read from the next.
  SteadyTime readStart() const { return readStart_; }
  std::size_t readCount() const { return read_.size(); }
  // A pending read can end now, without waiting for silence (it is full, or a fast acknowledgement
  // has arrived, or the line has failed). Adapters need not wake their driver for bytes before that.
  bool readReady() const;
  // How many more bytes a pending read needs before it can end without waiting for silence (0 when
  // none is pending). At the line's speed they cannot all be there before LineTime() of them.
  std::size_t bytesUntilReady() const;
  int failure() const { return error_; }

 private:
  void takeInput();
  bool ackArrived() const;

  const Clock& clock_;
  std::vector<std::uint8_t> input_;  // arrived, not yet taken by a read
  std::optional<SteadyTime> lastArrival_;
  std::optional<SteadyTime> unsettled_;
  int error_ = 0;
  bool fastAck_ = false;

  bool writing_ = false;
  std::size_t writeCount_ = 0;
  SteadyTime writeStart_{};

  bool reading_ = false;
  std::size_t readWanted_ = 0;
  SteadyTime readStart_{};
  std::optional<SteadyTime> readLastByte_;
  std::vector<std::uint8_t> read_;
};

}  // namespace kavira
