#include "sim/misbehaviour.h"

#include <array>
#include <charconv>
#include <limits>

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
  MisbehaviourRule rule;
  bool haveTarget = false;
  bool haveDelay = false;
  std::size_t pos = 0;
  for (int field = 0; pos <= text.size(); ++field) {
    std::size_t colon = text.find(':', pos);
    if (colon == std::string_view::npos) colon = text.size();
    const std::string_view part = text.substr(pos, colon - pos);
    pos = colon + 1;
    if (field == 0) {
      const KindInfo* found = nullptr;
      for (const auto& k : kKinds) {
        if (k.name == part) found = &k;
      }
      if (!found) return Fail(error, "unknown misbehaviour '" + std::string(part) + "'");
      rule.kind = found->kind;
      continue;
    }
    const std::size_t eq = part.find('=');
    if (eq == std::string_view::npos)
      return Fail(error, "expected NAME=VALUE, got '" + std::string(part) + "'");
    const std::string_view key = part.substr(0, eq);
    const auto value = ParseNumber(part.substr(eq + 1));
    if (!value) return Fail(error, "not a number in '" + std::string(part) + "'");
    if (key == "frame" || key == "block" || key == "line") {
      if (haveTarget) return Fail(error, "more than one target in '" + std::string(text) + "'");
      haveTarget = true;
      rule.target = key == "frame"   ? RuleTarget::Frame
                    : key == "block" ? RuleTarget::Block
                                     : RuleTarget::Line;
      rule.value = *value;
      if (rule.target == RuleTarget::Frame && *value == 0) return Fail(error, "frames are counted from 1");
      if (rule.target == RuleTarget::Block && *value >= 2048) return Fail(error, "blocks are 0-2047");
      if (rule.target == RuleTarget::Line && *value > 0x1E000)
        return Fail(error, "line addresses end at 0x1E000");
    } else if (key == "count") {
      if (*value == 0) return Fail(error, "count must be at least 1");
      rule.count = *value;
    } else if (key == "delay") {
      if (*value > 600000) return Fail(error, "delay above 600000 ms");
      rule.delay = Millis(*value);
      haveDelay = true;
    } else {
      return Fail(error, "unknown field '" + std::string(key) + "'");
    }
  }
  if (!haveTarget)
    return Fail(error, "no target (frame=N, block=N or line=N) in '" + std::string(text) + "'");
  if (rule.kind == Misbehaviour::Late && !haveDelay) rule.delay = kDefaultLateness;
  return rule;
}

}  // namespace kavira
