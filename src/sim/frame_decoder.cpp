#include "sim/frame_decoder.h"

namespace kavira {
namespace {

constexpr bool IsProgramCommand(std::uint8_t b) {
  return b == kCmdWrite || b == kCmdRead || b == kCmdProbe || b == kCmdRestart;
}

constexpr bool IsSpace(std::uint8_t b) {
  return b == kSpaceImage || b == kSpaceFirmware || b == (kSpaceFirmware | kSpaceHighBit);
}

constexpr std::uint8_t kShortFormByte = 0x03;
constexpr std::size_t kShortLength = 3;
constexpr std::size_t kCountOffset = 4;

}  // namespace

void FrameDecoder::reset() {
  if (state_ == State::Collecting) skipped_ += buffer_.size;
  state_ = State::Idle;
  buffer_.size = 0;
  expected_ = 0;
  last_.reset();
}

std::optional<DecodedFrame> FrameDecoder::finish(FrameVerdict verdict, State next) {
  DecodedFrame d{buffer_, verdict};
  state_ = next;
  buffer_.size = 0;
  expected_ = 0;
  return d;
}

std::optional<DecodedFrame> FrameDecoder::push(std::uint8_t byte, SteadyTime at) {
  if (state_ != State::Idle && last_ && at - *last_ > kQuietGap) reset();
  last_ = at;

  switch (state_) {
    case State::Discarding:
      ++skipped_;
      return std::nullopt;
    case State::Idle:
      if (!IsProgramCommand(byte)) {
        ++skipped_;
        return std::nullopt;
      }
      buffer_.bytes[0] = byte;
      buffer_.size = 1;
      state_ = State::Collecting;
      return std::nullopt;
    case State::Collecting:
      break;
  }

  buffer_.bytes[buffer_.size++] = byte;
  const std::uint8_t command = buffer_.bytes[0];
  if (buffer_.size == 2) {
    if (byte == kShortFormByte) {
      expected_ = kShortLength;
    } else if (!((command == kCmdWrite || command == kCmdRead) && IsSpace(byte))) {
      return finish(FrameVerdict::UnknownForm, State::Discarding);
    }
  } else if (buffer_.size == kCountOffset + 1 && expected_ == 0) {
    const std::size_t data = command == kCmdWrite ? byte : 0;
    expected_ = kCountOffset + 1 + data + 1;
  }
  // expected_ never exceeds 5 + 255 + 1 = 261 bytes, within the buffer.
  if (expected_ != 0 && buffer_.size == expected_) {
    const bool intact = CheckSumCnt(buffer_.view()) == 0;
    return finish(intact ? FrameVerdict::Intact : FrameVerdict::BadChecksum, State::Idle);
  }
  return std::nullopt;
}

}  // namespace kavira
