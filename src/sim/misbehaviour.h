// Ways the simulated controller can be told to misbehave, for testing how the program copes.
//
// A rule names a kind, a target and a count: it fires on the first `count` frames that match the
// target and that the kind can spoil. The target is a frame number (every frame received counts,
// from 1; the rule matches that frame and any later one), a block address 0-2047 (read and write
// requests for that block), or a firmware line address (read and write requests for that line).
// A rule's delay postpones the answer (for `late` it is the lateness itself).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/clock.h"

namespace kavira {

enum class Misbehaviour {
  Nak,           // refuse: 15 03 E8 instead of the answer (a write is not stored)
  Silent,        // no answer at all (a write is not stored)
  BadChecksum,   // the answer's checksum byte is off by one
  WrongAddress,  // a data reply names the next address
  WrongCommand,  // data reply 0x14 instead of 0x13, acknowledgement 07 03 F6
  WrongCount,    // a data reply one data byte short, its count byte saying so (consistent frame)
  Short,         // the answer without its last byte
  Garbage,       // three noise bytes before the answer
  Stray,         // an extra byte 20 ms after an acknowledgement
  Close,         // the line closes instead of an answer (the device goes away)
  Late,          // the answer comes after the rule's delay (1000 ms unless given)
};

enum class RuleTarget { Frame, Block, Line };

struct MisbehaviourRule {
  Misbehaviour kind = Misbehaviour::Nak;
  RuleTarget target = RuleTarget::Frame;
  std::uint32_t value = 1;  // frame number, block address or firmware line address
  std::uint32_t count = 1;  // how many frames it spoils
  Millis delay{0};
  std::uint32_t fired = 0;  // frames spoiled so far

  friend bool operator==(const MisbehaviourRule&, const MisbehaviourRule&) = default;
};

inline constexpr Millis kDefaultLateness{1000};
inline constexpr Millis kStrayGap{20};

// "KIND:TARGET=N[:count=C][:delay=MS]" with KIND one of the names below and TARGET frame, block or
// line; numbers in decimal or with 0x in hexadecimal. On failure, nothing and `error` says why.
std::optional<MisbehaviourRule> ParseMisbehaviour(std::string_view text, std::string* error);

std::string_view MisbehaviourName(Misbehaviour kind);
// One line per kind with what it does, for --help.
std::string MisbehaviourHelp();

}  // namespace kavira
