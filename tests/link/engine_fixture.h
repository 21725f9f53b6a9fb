// A transfer engine over the fake port, answered by a small scripted controller, driven the way the
// real drivers drive it: step at once when the engine says so, otherwise move the clock to its wake time.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "fake_port.h"
#include "link/frames.h"
#include "link/transfer_engine.h"
#include "scripted_host.h"

namespace kavira::test {

// Answers frames as the controller does. `override` may replace an answer (return a value) for the
// frame with the given index (0-based count of frames received).
class ScriptedController {
 public:
  ScriptedController() : memory(std::make_unique<ControllerImage>()) {}

  std::optional<Bytes> answer(const Bytes& frame);

  std::unique_ptr<ControllerImage> memory;
  std::map<std::uint32_t, std::array<std::uint8_t, 16>> firmware;  // by line address
  std::uint8_t minor = 5, major = 1, suffix = 'A';
  std::vector<Bytes> frames;
  std::function<std::optional<Bytes>(const Bytes& frame, std::size_t index)> override;
};

// A data reply 13 <space> <addr lo> <addr hi> <n> <data> <checksum>.
Bytes DataReply(std::uint8_t space, std::uint32_t address, ByteView data);

class EngineTest : public ::testing::Test {
 protected:
  EngineTest();

  // Steps the engine until it is idle (or the step limit is hit).
  void runUntilIdle(int maxSteps = 200000);
  // Steps until `done` holds.
  void runUntil(const std::function<bool()>& done, int maxSteps = 200000);
  // The block address or firmware address of frame i as the controller received it.
  std::uint32_t addressOf(const Bytes& frame) const { return frame[2] | (frame[3] << 8U); }
  std::vector<std::uint8_t> commands() const;

  ManualClock clock;
  FakePort port{clock};
  ScriptedHost host;
  std::unique_ptr<ControllerImage> image = std::make_unique<ControllerImage>();
  ScriptedController controller;
  TransferEngine engine{*image, host, clock};
};

}  // namespace kavira::test
