#include "link/timed_port.h"

#include <algorithm>
#include <cerrno>

#include "link/frames.h"

namespace kavira {

int TimedPort::errorCode(LineError error) const {
  switch (error) {
    case LineError::NotOpen:
      return kLineNotOpen;
    case LineError::Cancelled:
      return kLineCancelled;
    case LineError::TimedOut:
      return kLineTimedOut;
    case LineError::Failed:
      break;
  }
  return kLineIoError;
}

void TimedPort::purge() {
  transportClear();
  unsettled_ = clock_.now();
  input_.clear();
  writing_ = false;
  reading_ = false;
  read_.clear();
  readLastByte_.reset();
}

int TimedPort::startWrite(std::span<const std::uint8_t> bytes) {
  if (!isOpen()) return errorCode(LineError::NotOpen);
  if (error_ != 0) return error_;
  const int e = transportWrite(bytes);
  if (e != 0) return e;
  writing_ = true;
  writeCount_ = bytes.size();
  writeStart_ = clock_.now();
  return 0;
}

IoPoll TimedPort::pollWrite() {
  if (!writing_) return {IoState::Failed, 0, error_ != 0 ? error_ : errorCode(LineError::Cancelled)};
  if (error_ != 0) {
    writing_ = false;
    return {IoState::Failed, 0, error_};
  }
  if (transportUnsent() == 0) {
    writing_ = false;
    return {IoState::Done, writeCount_, 0};
  }
  if (clock_.now() - writeStart_ >= TotalTimeout(writeCount_)) {
    writing_ = false;
    return {IoState::Failed, writeCount_ - std::min(writeCount_, transportUnsent()),
            errorCode(LineError::TimedOut)};
  }
  return {IoState::Pending, 0, 0};
}

int TimedPort::startRead(std::size_t n) {
  if (!isOpen()) return errorCode(LineError::NotOpen);
  if (error_ != 0) return error_;
  reading_ = true;
  readWanted_ = n;
  readStart_ = clock_.now();
  readLastByte_.reset();
  read_.clear();
  takeInput();
  return 0;
}

void TimedPort::takeInput() {
  if (!reading_ || input_.empty()) return;
  const std::size_t take = std::min(readWanted_ - read_.size(), input_.size());
  if (take == 0) return;
  read_.insert(read_.end(), input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(take));
  input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(take));
  // Bytes that were waiting before the read started count from the start of the read.
  readLastByte_ = std::max(readStart_, lastArrival_.value_or(readStart_));
}

IoPoll TimedPort::pollRead() {
  transportPump();
  if (!reading_) return {IoState::Failed, 0, error_ != 0 ? error_ : errorCode(LineError::Cancelled)};
  takeInput();
  if (error_ != 0) {
    reading_ = false;
    return {IoState::Failed, read_.size(), error_};
  }
  const SteadyTime now = clock_.now();
  const bool full = read_.size() >= readWanted_;
  const bool quiet = readLastByte_ && now - *readLastByte_ >= kReadInterval;
  const bool expired = now - readStart_ >= TotalTimeout(readWanted_);
  if (full || quiet || expired || ackArrived()) {
    reading_ = false;
    return {IoState::Done, read_.size(), 0};
  }
  return {IoState::Pending, read_.size(), 0};
}

std::optional<SteadyTime> TimedPort::nextDeadline() const {
  std::optional<SteadyTime> at;
  auto earliest = [&](SteadyTime t) { at = at ? std::min(*at, t) : t; };
  if (writing_) {
    // A write whose bytes have all left ends now.
    earliest(transportUnsent() == 0 ? clock_.now() : writeStart_ + TotalTimeout(writeCount_));
  }
  if (reading_) {
    // So does a read that bytes already waiting have filled when it started.
    if (readReady()) earliest(clock_.now());
    earliest(readStart_ + TotalTimeout(readWanted_));
    if (readLastByte_) earliest(*readLastByte_ + kReadInterval);
  }
  return at;
}

bool TimedPort::ackArrived() const {
  // With fast acknowledgements an answer that is exactly 06 03 F7 so far ends the read: no data reply
  // or refusal starts with 06.
  return fastAck_ && IsAck(read_);
}

std::size_t TimedPort::bytesUntilReady() const {
  if (!reading_ || readReady()) return 0;
  std::size_t need = readWanted_ - std::min(readWanted_, read_.size());
  // With fast acknowledgements an answer that begins as one ends with its third byte.
  if (fastAck_ && read_.size() < kAckFrame.size() &&
      std::equal(read_.begin(), read_.end(), kAckFrame.begin())) {
    need = std::min(need, kAckFrame.size() - read_.size());
  }
  return need;
}

bool TimedPort::readReady() const {
  return reading_ && (read_.size() >= readWanted_ || ackArrived() || error_ != 0);
}

void TimedPort::deliver(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return;
  // Keep the driver's input queue bounded, as a real port's would be: a line that floods us with
  // garbage cannot grow memory without limit.
  constexpr std::size_t kInputLimit = std::size_t{64} * 1024;
  input_.insert(input_.end(), bytes.begin(), bytes.end());
  if (input_.size() > kInputLimit) {
    input_.erase(input_.begin(), input_.end() - static_cast<std::ptrdiff_t>(kInputLimit));
  }
  lastArrival_ = clock_.now();
  unsettled_ = lastArrival_;
  takeInput();
}

void TimedPort::fail(int error) {
  error_ = error != 0 ? error : errorCode(LineError::Failed);
}

void TimedPort::reset() {
  input_.clear();
  lastArrival_.reset();
  unsettled_ = clock_.now();
  error_ = 0;
  writing_ = false;
  reading_ = false;
  read_.clear();
  readLastByte_.reset();
}

}  // namespace kavira
