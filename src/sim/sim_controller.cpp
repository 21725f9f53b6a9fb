#include "sim/sim_controller.h"
#include "model/little_endian.h"

#include <algorithm>

namespace kavira {
namespace {

constexpr std::uint8_t kCmdWrongData = 0x14;
constexpr std::array<std::uint8_t, 3> kWrongAck{0x07, 0x03, 0xF6};
constexpr std::array<std::uint8_t, 3> kNoise{0x55, 0xAA, 0xFF};
constexpr std::uint8_t kStrayByte = 0x00;
constexpr std::size_t kHeader = 5;

std::uint32_t AddressOf(ByteView f) {
  return f[2] | (std::uint32_t{f[3]} << 8) | ((f[1] & kSpaceHighBit) != 0 ? 0x10000U : 0U);
}

void PutAddress(std::vector<std::uint8_t>& f, std::uint32_t address) {
  f[1] = static_cast<std::uint8_t>((f[1] & ~static_cast<unsigned>(kSpaceHighBit)) |
                                   (address > 0xFFFFU ? kSpaceHighBit : 0U));
  f[2] = LowByte(address);
  f[3] = HighByte(address);
}

void Reseal(std::vector<std::uint8_t>& f) {
  f.back() = 0;
  f.back() = static_cast<std::uint8_t>(CheckSumCnt(f));
}

std::vector<std::uint8_t> DataReply(std::uint8_t space, std::uint32_t address, ByteView data) {
  std::vector<std::uint8_t> f(kHeader + data.size() + 1);
  f[0] = kCmdData;
  f[1] = space;
  PutAddress(f, address);
  f[4] = static_cast<std::uint8_t>(data.size());
  std::copy(data.begin(), data.end(), f.begin() + kHeader);
  Reseal(f);
  return f;
}

std::vector<std::uint8_t> Bytes(const std::array<std::uint8_t, 3>& a) {
  return {a.begin(), a.end()};
}

// The answer as a misbehaving controller sends it. `data`: a data reply rather than an
// acknowledgement or a refusal. (Close and Stray also act on the line: see handle.)
void SpoilAnswer(Misbehaviour kind, std::vector<std::uint8_t>& a, bool data) {
  switch (kind) {
    case Misbehaviour::Nak:
      a = Bytes(kNakFrame);
      break;
    case Misbehaviour::Silent:
    case Misbehaviour::Close:
      a.clear();
      break;
    case Misbehaviour::BadChecksum:
      a.back() = static_cast<std::uint8_t>(a.back() + 1);
      break;
    case Misbehaviour::WrongAddress:
      PutAddress(a, AddressOf(a) + 1);
      Reseal(a);
      break;
    case Misbehaviour::WrongCommand:
      if (data) {
        a[0] = kCmdWrongData;
        Reseal(a);
      } else {
        a = Bytes(kWrongAck);
      }
      break;
    case Misbehaviour::WrongCount:
      if (a[4] > 0) {
        a.erase(a.end() - 2);
        a[4] = static_cast<std::uint8_t>(a[4] - 1);
      } else {
        a.insert(a.end() - 1, 0x00);
        a[4] = 1;
      }
      Reseal(a);
      break;
    case Misbehaviour::Short:
      a.pop_back();
      break;
    case Misbehaviour::Garbage:
      a.insert(a.begin(), kNoise.begin(), kNoise.end());
      break;
    case Misbehaviour::Stray:
    case Misbehaviour::Late:
      break;
  }
}

// Whether a write still reaches the memory under a misbehaviour: not when the frame is refused,
// left unanswered or cut off by the line closing.
bool StoresWrite(Misbehaviour kind) {
  return kind != Misbehaviour::Nak && kind != Misbehaviour::Silent && kind != Misbehaviour::Close;
}

}  // namespace

struct SimController::FrameFacts {
  enum class Kind { BlockWrite, BlockRead, LineWrite, LineRead, Version, Probe, Restart, Refused };
  std::uint32_t number = 0;
  Kind kind = Kind::Refused;
  std::uint32_t address = 0;

  bool image() const { return kind == Kind::BlockWrite || kind == Kind::BlockRead; }
  bool firmware() const { return kind == Kind::LineWrite || kind == Kind::LineRead; }
  // Answered with a data reply, or with an acknowledgement (a refusal and a restart are neither).
  bool data() const { return kind == Kind::BlockRead || kind == Kind::LineRead || kind == Kind::Version; }
  bool ack() const { return kind == Kind::BlockWrite || kind == Kind::LineWrite || kind == Kind::Probe; }

  // What frame number `number` asks for. Three-byte frames are the version request, the probe and the
  // restart; longer ones read or write a block (128 bytes, 0-2047) or a firmware line (up to 16 bytes,
  // up to 0x1E000). A damaged frame, or one outside those, is refused.
  static FrameFacts Of(const DecodedFrame& decoded, std::uint32_t number) {
    FrameFacts facts;
    facts.number = number;
    if (decoded.verdict != FrameVerdict::Intact) return facts;
    const ByteView f = decoded.frame.view();
    if (f.size() == 3) {
      facts.kind = f[0] == kCmdRead      ? Kind::Version
                   : f[0] == kCmdProbe   ? Kind::Probe
                   : f[0] == kCmdRestart ? Kind::Restart
                                         : Kind::Refused;
      return facts;
    }
    const bool write = f[0] == kCmdWrite;
    const std::size_t count = f[4];
    facts.address = AddressOf(f);
    if (f[1] == kSpaceImage) {
      if (facts.address < kBlockCount && count == kBlockBytes)
        facts.kind = write ? Kind::BlockWrite : Kind::BlockRead;
    } else if (facts.address <= kFirmwareTop && count <= kFirmwareLineMax) {
      facts.kind = write ? Kind::LineWrite : Kind::LineRead;
    }
    return facts;
  }
};

SimController::SimController(SimOptions options) : options_(options) {}

void SimController::receive(ByteView bytes, SteadyTime now) {
  for (std::uint8_t b : bytes) {
    if (lineClosed(now)) return;
    if (auto frame = decoder_.push(b, now)) handle(*frame, now);
  }
}

std::vector<std::uint8_t> SimController::takeOutput(SteadyTime now) {
  const SteadyTime until = closeAt_ ? std::min(now, *closeAt_) : now;
  std::vector<std::uint8_t> out;
  while (!output_.empty() && output_.front().due <= until) {
    out.push_back(output_.front().byte);
    output_.pop_front();
  }
  return out;
}

std::optional<SteadyTime> SimController::nextOutputTime() const {
  if (!output_.empty() && (!closeAt_ || output_.front().due <= *closeAt_)) return output_.front().due;
  return closeAt_;
}

void SimController::hangUp() {
  output_.clear();
  decoder_.reset();
  lineFree_ = {};
}

void SimController::schedule(const std::vector<std::uint8_t>& bytes, SteadyTime start) {
  const SteadyTime t0 = std::max(start, lineFree_);
  for (std::size_t k = 0; k < bytes.size(); ++k) {
    const SteadyTime due = options_.pacing ? t0 + LineTime(k + 1) : t0;
    output_.push_back({std::chrono::time_point_cast<SteadyTime::duration>(due), bytes[k]});
  }
  lineFree_ =
      options_.pacing ? std::chrono::time_point_cast<SteadyTime::duration>(t0 + LineTime(bytes.size())) : t0;
}

SimController::Answer SimController::serve(const FrameFacts& facts, ByteView f, bool store) {
  using Kind = FrameFacts::Kind;
  switch (facts.kind) {
    case Kind::BlockWrite:
      if (store) std::copy_n(f.begin() + kHeader, kBlockBytes, memory_.block(facts.address).begin());
      return {Bytes(kAckFrame), false};
    case Kind::BlockRead:
      return {DataReply(kSpaceImage, facts.address, memory_.block(facts.address)), true};
    case Kind::LineWrite:
      if (store) memory_.writeFirmware(facts.address, f.subspan(kHeader, f[4]));
      return {Bytes(kAckFrame), false};
    case Kind::LineRead: {
      const auto code = memory_.readFirmware(facts.address, f[4]);
      return {DataReply(kSpaceFirmware, facts.address, *code), true};
    }
    case Kind::Version: {
      const std::array<std::uint8_t, 3> v{memory_.version.minor, memory_.version.major,
                                          memory_.version.suffix};
      return {DataReply(kSpaceVersion, 0, v), true};
    }
    case Kind::Probe:
      return {Bytes(kAckFrame), false};
    case Kind::Restart:
      ++restarts_;
      return {};
    case Kind::Refused:
      break;
  }
  return {Bytes(kNakFrame), false};
}

MisbehaviourRule* SimController::matchRule(const FrameFacts& facts, bool data, bool ack) {
  for (MisbehaviourRule& r : rules_) {
    if (r.fired >= r.count) continue;
    const bool target = (r.target == RuleTarget::Frame && facts.number >= r.value) ||
                        (r.target == RuleTarget::Block && facts.image() && facts.address == r.value) ||
                        (r.target == RuleTarget::Line && facts.firmware() && facts.address == r.value);
    if (!target) continue;
    bool applies = false;
    switch (r.kind) {
      case Misbehaviour::Nak:
      case Misbehaviour::Silent:
      case Misbehaviour::Close:
        applies = true;
        break;
      case Misbehaviour::BadChecksum:
      case Misbehaviour::Short:
      case Misbehaviour::Garbage:
      case Misbehaviour::Late:
      case Misbehaviour::WrongCommand:
        applies = data || ack;
        break;
      case Misbehaviour::WrongAddress:
      case Misbehaviour::WrongCount:
        applies = data;
        break;
      case Misbehaviour::Stray:
        applies = ack;
        break;
    }
    if (!applies) continue;
    ++r.fired;
    return &r;
  }
  return nullptr;
}

void SimController::handle(const DecodedFrame& decoded, SteadyTime now) {
  const ByteView f = decoded.frame.view();
  ReceivedFrame record{++frameCount_, {f.begin(), f.end()}, decoded.verdict, now};
  const FrameFacts facts = FrameFacts::Of(decoded, record.number);
  const MisbehaviourRule* rule =
      facts.kind == FrameFacts::Kind::Refused ? nullptr : matchRule(facts, facts.data(), facts.ack());

  Answer answer = serve(facts, f, !rule || StoresWrite(rule->kind));
  const SteadyTime start = now + options_.latency + (rule ? rule->delay : Millis(0));
  if (rule) {
    SpoilAnswer(rule->kind, answer.bytes, answer.data);
    if (rule->kind == Misbehaviour::Close && !closeAt_) closeAt_ = std::max(start, lineFree_);
  }
  schedule(answer.bytes, start);
  if (rule && rule->kind == Misbehaviour::Stray) schedule({kStrayByte}, lineFree_ + kStrayGap);
  received_.push_back(std::move(record));
  if (observer) observer(received_.back(), answer.bytes);
}

}  // namespace kavira
