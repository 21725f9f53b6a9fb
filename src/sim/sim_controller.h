// A stand-in for the controller: its memory, its answers to every frame the program sends, its
// timing on the line, and misbehaviour on command.
//
// It works on the time points it is given and never sleeps: bytes go in with receive(bytes, now),
// answers come out with takeOutput(now) once the line has carried them, and nextOutputTime() says
// when the next thing happens on the line, so a driver (a pseudo-terminal thread, an in-process port
// on a hand-moved clock) can wait exactly until then.
//
// Answers: block write 11 26 .. 80 <128 bytes> -> stored, 06 03 F7; block read 12 26 .. 80 ->
// 13 26 <address> 80 <128 bytes> <checksum>; firmware line write 11 66/E6 .. n <n bytes> -> stored,
// 06 03 F7; firmware line read -> 13 66/E6 <address> n <n bytes> <checksum>; version request
// 12 03 EB -> 13 06 00 00 03 <minor> <major> <suffix> <checksum>; probe 1B 03 E2 -> 06 03 F7; restart
// 0F 03 EE -> no answer. A damaged frame or one the controller cannot serve -> 15 03 E8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/clock.h"
#include "link/frames.h"
#include "link/serial_port.h"
#include "sim/frame_decoder.h"
#include "sim/misbehaviour.h"
#include "sim/sim_memory.h"

namespace kavira {

inline constexpr std::array<std::uint8_t, 3> kNakFrame{0x15, 0x03, 0xE8};

struct SimOptions {
  Millis latency{1};   // from the end of a frame to the start of its answer
  bool pacing = true;  // send at the line's speed (11 bits a byte at 38400 baud); off: all at once
  // While pacing, how many answer bytes are handed over to the program at once, like a serial port's
  // receive FIFO at its trigger level (the rest of an answer comes when it stops); 1 hands every byte
  // over on its own, like a port without a FIFO.
  std::size_t fifoTrigger = 14;
};

// A frame as the controller received it.
struct ReceivedFrame {
  std::uint32_t number = 0;  // from 1
  std::vector<std::uint8_t> bytes;
  FrameVerdict verdict = FrameVerdict::Intact;
  SteadyTime at{};
};

class SimController {
 public:
  explicit SimController(SimOptions options = {});

  SimMemory& memory() { return memory_; }
  const SimMemory& memory() const { return memory_; }
  SimOptions& options() { return options_; }

  void addRule(const MisbehaviourRule& rule) { rules_.push_back(rule); }
  void clearRules() { rules_.clear(); }
  const std::vector<MisbehaviourRule>& rules() const { return rules_; }

  // Bytes from the program, all arrived at `now`.
  void receive(ByteView bytes, SteadyTime now);
  // The answer bytes the line has carried by `now`, in order.
  std::vector<std::uint8_t> takeOutput(SteadyTime now);
  // When the next answer byte will have arrived, or the line will close; nothing when idle.
  std::optional<SteadyTime> nextOutputTime() const;
  // Whether a `close` misbehaviour has closed the line by `now`. A closed line takes and gives nothing.
  bool lineClosed(SteadyTime now) const { return closeAt_ && now >= *closeAt_; }

  // The program closed its end of the line: what was on the way is lost, a half frame forgotten.
  void hangUp();

  // Every frame received, in order (refused ones included).
  const std::vector<ReceivedFrame>& received() const { return received_; }
  void clearReceived() { received_.clear(); }
  std::size_t restarts() const { return restarts_; }
  std::size_t skippedBytes() const { return decoder_.skipped(); }

  // Called for every frame received with the answer it gets (empty: none), e.g. to log it.
  std::function<void(const ReceivedFrame&, ByteView answer)> observer;

 private:
  struct Answer {
    std::vector<std::uint8_t> bytes;
    bool data = false;  // a data reply, as opposed to an acknowledgement or a refusal
  };
  struct FrameFacts;

  void handle(const DecodedFrame& decoded, SteadyTime now);
  Answer serve(const FrameFacts& facts, ByteView frame, bool store);
  MisbehaviourRule* matchRule(const FrameFacts& facts, bool data, bool ack);
  void schedule(const std::vector<std::uint8_t>& bytes, SteadyTime start);

  SimOptions options_;
  SimMemory memory_;
  FrameDecoder decoder_;
  std::vector<MisbehaviourRule> rules_;
  std::vector<ReceivedFrame> received_;
  std::uint32_t frameCount_ = 0;
  std::size_t restarts_ = 0;

  struct Pending {
    SteadyTime due;
    std::uint8_t byte;
  };
  std::deque<Pending> output_;
  SteadyTime lineFree_{};  // when the last queued byte will have been sent
  std::optional<SteadyTime> closeAt_;
};

}  // namespace kavira
