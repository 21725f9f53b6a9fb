#include "sim/misbehaviour.h"

#include <array>
#include <charconv>
#include <limits>

#include "model/text_parts.h"

namespace kavira {
namespace {

struct KindInfo {
  Misbehaviour kind;
  std::string_view name;
  std::string_view help;
};

constexpr std::array<KindInfo, 11> kKinds{{
    {Misbehaviour::Nak, "nak", "refuse with 15 03 E8 (a write is not stored)"},
    {Misbehaviour::Silent, "silent", "give no answer (a write is not stored)"},
    {Misbehaviour::BadChecksum, "checksum", "damage the answer's checksum"},
    {Misbehaviour::WrongAddress, "address", "answer a read with the next address"},
    {Misbehaviour::WrongCommand, "command", "answer with a wrong command byte (14 for data, 07 for an ack)"},
    {Misbehaviour::WrongCount, "count", "answer a read with one data byte fewer, counted as such"},
    {Misbehaviour::Short, "short", "leave out the answer's last byte"},
    {Misbehaviour::Garbage, "garbage", "send three noise bytes before the answer"},
    {Misbehaviour::Stray, "stray", "send a stray byte 20 ms after an acknowledgement"},
    {Misbehaviour::Close, "close", "close the line instead of answering"},
    {Misbehaviour::Late, "late", "answer after the delay (1000 ms unless delay= is given)"},
}};

std::optional<std::uint32_t> ParseNumber(std::string_view s) {
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    s.remove_prefix(2);
    base = 16;
  }
  std::uint32_t v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
  if (s.empty() || ec != std::errc{} || end != s.data() + s.size()) return std::nullopt;
  return v;
}

std::optional<MisbehaviourRule> Fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return std::nullopt;
}

const KindInfo* FindKind(std::string_view name) {
  const KindInfo* found = nullptr;
  for (const auto& k : kKinds) {
    if (k.name == name) found = &k;
  }
  return found;
}

std::optional<RuleTarget> TargetNamed(std::string_view key) {
  if (key == "frame") return RuleTarget::Frame;
  if (key == "block") return RuleTarget::Block;
  if (key == "line") return RuleTarget::Line;
  return std::nullopt;
}

// Why a target's number names nothing the controller has (frames count from 1, blocks 0-2047, firmware
// lines up to 0x1E000); nothing when it is fine.
std::optional<std::string> TargetRangeError(RuleTarget target, std::uint32_t value) {
  switch (target) {
    case RuleTarget::Frame:
      if (value == 0) return "frames are counted from 1";
      break;
    case RuleTarget::Block:
      if (value >= 2048) return "blocks are 0-2047";
      break;
    case RuleTarget::Line:
      if (value > 0x1E000) return "line addresses end at 0x1E000";
      break;
  }
  return std::nullopt;
}

// What the fields after the kind have given so far.
struct FieldsSeen {
  bool target = false;
  bool delay = false;
};

// One NAME=VALUE field of `text` put into the rule; why it is refused, or nothing.
std::optional<std::string> ApplyField(std::string_view part, std::string_view text, MisbehaviourRule& rule,
                                      FieldsSeen& seen) {
  const std::size_t eq = part.find('=');
  if (eq == std::string_view::npos) return "expected NAME=VALUE, got '" + std::string(part) + "'";
  const std::string_view key = part.substr(0, eq);
  const auto value = ParseNumber(part.substr(eq + 1));
  if (!value) return "not a number in '" + std::string(part) + "'";
  if (const auto target = TargetNamed(key)) {
    if (seen.target) return "more than one target in '" + std::string(text) + "'";
    seen.target = true;
    rule.target = *target;
    rule.value = *value;
    return TargetRangeError(*target, *value);
  }
  if (key == "count") {
    if (*value == 0) return "count must be at least 1";
    rule.count = *value;
    return std::nullopt;
  }
  if (key == "delay") {
    if (*value > 600000) return "delay above 600000 ms";
    rule.delay = Millis(*value);
    seen.delay = true;
    return std::nullopt;
  }
  return "unknown field '" + std::string(key) + "'";
}

}  // namespace

std::string_view MisbehaviourName(Misbehaviour kind) {
  for (const auto& k : kKinds) {
    if (k.kind == kind) return k.name;
  }
  return "?";
}

std::string MisbehaviourHelp() {
  std::string s;
  for (const auto& k : kKinds) {
    s += "  ";
    s += k.name;
    s.append(10 - k.name.size(), ' ');
    s += k.help;
    s += '\n';
  }
  return s;
}

std::optional<MisbehaviourRule> ParseMisbehaviour(std::string_view text, std::string* error) {
  std::size_t pos = 0;
  const std::string_view name = NextPart(text, pos, ':');
  const KindInfo* kind = FindKind(name);
  if (!kind) return Fail(error, "unknown misbehaviour '" + std::string(name) + "'");
  MisbehaviourRule rule;
  rule.kind = kind->kind;
  FieldsSeen seen;
  while (pos <= text.size()) {
    if (auto why = ApplyField(NextPart(text, pos, ':'), text, rule, seen))
      return Fail(error, std::move(*why));
  }
  if (!seen.target)
    return Fail(error, "no target (frame=N, block=N or line=N) in '" + std::string(text) + "'");
  if (rule.kind == Misbehaviour::Late && !seen.delay) rule.delay = kDefaultLateness;
  return rule;
}

}  // namespace kavira
