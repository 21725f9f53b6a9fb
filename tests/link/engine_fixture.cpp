#include "engine_fixture.h"

#include "engine_stepper.h"

namespace kavira::test {

Bytes DataReply(std::uint8_t space, std::uint32_t address, ByteView data) {
  Bytes r;
  r.reserve(data.size() + 6);
  r.push_back(0x13);
  r.push_back(space);
  r.push_back(static_cast<std::uint8_t>(address & 0xFF));
  r.push_back(static_cast<std::uint8_t>((address >> 8) & 0xFF));
  r.push_back(static_cast<std::uint8_t>(data.size()));
  for (std::uint8_t b : data)
    r.push_back(b);
  r.push_back(static_cast<std::uint8_t>(CheckSumCnt(r)));
  return r;
}

std::optional<Bytes> ScriptedController::answer(const Bytes& frame) {
  frames.push_back(frame);
  if (override) {
    if (auto a = override(frame, frames.size() - 1)) return a;
  }
  const Bytes ack{0x06, 0x03, 0xF7};
  if (frame == Bytes{0x12, 0x03, 0xEB}) {
    const Bytes data{minor, major, suffix};
    return DataReply(0x06, 0, data);
  }
  if (frame == Bytes{0x0F, 0x03, 0xEE}) return std::nullopt;
  if (frame == Bytes{0x1B, 0x03, 0xE2}) return ack;
  if (frame.size() < 6) return Bytes{0x15, 0x03, 0xE8};
  const std::uint32_t address = frame[2] | (frame[3] << 8U) | ((frame[1] & 0x80U) != 0 ? 0x10000U : 0U);
  if ((frame[1] & 0x7F) == 0x66) {
    auto& line = firmware[address];
    if (frame[0] == 0x11) {
      std::copy(frame.begin() + 5, frame.end() - 1, line.begin());
      return ack;
    }
    return DataReply(frame[1], address, ByteView(line.data(), frame[4]));
  }
  if (frame[0] == 0x11) {
    DecodeBlock(*memory, address, ByteView(frame).subspan(5, 128));
    return ack;
  }
  const BlockData data = EncodeBlock(*memory, address);
  return DataReply(0x26, address, data);
}

EngineTest::EngineTest() {
  engine.setPort(&port);
  port.responder = [this](const Bytes& frame) {
    if (auto a = controller.answer(frame)) port.reply(*a);
  };
}

void EngineTest::runUntil(const std::function<bool()>& done, int maxSteps) {
  const StepOutcome outcome = StepEngine(engine, clock, done, maxSteps);
  ASSERT_NE(outcome, StepOutcome::WaitsForever) << "the engine waits without a wake time";
  ASSERT_NE(outcome, StepOutcome::TooManySteps) << "the engine did not finish";
}

void EngineTest::runUntilIdle(int maxSteps) {
  runUntil([] { return false; }, maxSteps);
  EXPECT_EQ(engine.link().status, _idle_);
}

std::vector<std::uint8_t> EngineTest::commands() const {
  std::vector<std::uint8_t> c;
  for (const auto& f : port.written)
    c.push_back(f[0]);
  return c;
}

}  // namespace kavira::test
