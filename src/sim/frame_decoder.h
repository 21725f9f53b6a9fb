// Reassembles the program's frames from the bytes the controller receives, one byte at a time.
//
// A frame starts with one of the program's command bytes (write 0x11, read 0x12, probe 0x1B,
// restart 0x0F); anything else between frames is line noise and is skipped. The second byte tells
// the form: 0x03 makes a short frame of three bytes; a space byte (0x26, 0x66, 0xE6) after a write
// or read makes a long frame whose length follows from its count byte (a write carries that many
// data bytes, a read none), so a frame can never outgrow its 270-byte buffer. A second byte that fits
// neither form ends the frame as unknown; the rest of that transmission is then ignored until the
// line has been quiet for a moment, so that its data bytes are not taken for new frames. A frame
// left unfinished for longer than the same quiet time is dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "link/clock.h"
#include "link/frames.h"

namespace kavira {

enum class FrameVerdict {
  Intact,       // complete, bytes add up to 0
  BadChecksum,  // complete, bytes do not add up to 0
  UnknownForm,  // the second byte fits no frame of that command; holds the first two bytes
};

struct DecodedFrame {
  Frame frame;
  FrameVerdict verdict = FrameVerdict::Intact;
};

class FrameDecoder {
 public:
  // Longest pause inside one frame; the program sends a frame in one go.
  static constexpr Millis kQuietGap{50};

  // One byte that arrived at `at`; a frame when this byte completes one.
  std::optional<DecodedFrame> push(std::uint8_t byte, SteadyTime at);
  // Forget a frame in progress (the line was dropped).
  void reset();

  // Bytes dropped as noise, as the rest of an unknown frame, or in unfinished frames.
  std::size_t skipped() const { return skipped_; }

 private:
  enum class State { Idle, Collecting, Discarding };

  std::optional<DecodedFrame> finish(FrameVerdict verdict, State next);

  State state_ = State::Idle;
  Frame buffer_;
  std::size_t expected_ = 0;  // full length once known, else 0
  std::optional<SteadyTime> last_;
  std::size_t skipped_ = 0;
};

}  // namespace kavira
