// The PC's image of the controller's memory: scenes, program parameters, collections, MIDI keys and
// the special keys. One object of this type is the whole show; everything else reads or writes it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "model/running_mode.h"

namespace kavira {

inline constexpr std::size_t kSceneCount = 1022;  // absolute scenes 0..1021
inline constexpr std::uint32_t kLastScene = kSceneCount - 1;
inline constexpr std::size_t kSceneBytes = 256;  // 16 devices x 16 channels
inline constexpr std::size_t kProgramCount = 48;
inline constexpr std::size_t kAreaCount = 3;         // the controller's three areas
inline constexpr std::size_t kCollectionCount = 16;  // collections per area
inline constexpr std::size_t kMidiKeyCount = 128;

inline constexpr std::uint8_t kEmptyCollection = 255;  // Shows entry: no program
inline constexpr std::uint16_t kNoScene = 0xFFFF;      // special key without a scene
inline constexpr std::uint16_t kSlowModeOn = 0xFFFF;

// One MIDI key: a 16-bit word, lowest bit first: AScena (bits 0-9), TrigK3 (10), TrigK2 (11),
// TrigK1 (12), Assoc3 (13), Assoc2 (14), Assoc1 (15). Stored as the raw word so that files and
// blocks carry it unchanged.
struct MidiStat {
  std::uint16_t word = 0;

  static constexpr std::uint16_t kSceneMask = 0x03FF;
  enum Bit : unsigned { kTrigK3 = 10, kTrigK2 = 11, kTrigK1 = 12, kAssoc3 = 13, kAssoc2 = 14, kAssoc1 = 15 };

  constexpr unsigned AScena() const { return word & kSceneMask; }
  constexpr void setAScena(unsigned scene) {
    word = static_cast<std::uint16_t>((word & ~unsigned{kSceneMask}) | (scene & kSceneMask));
  }
  constexpr bool bit(Bit b) const { return ((word >> b) & 1U) != 0; }
  constexpr void setBit(Bit b, bool on) {
    const auto mask = static_cast<std::uint16_t>(1U << b);
    word = static_cast<std::uint16_t>(on ? (word | mask) : (word & ~unsigned{mask}));
  }
  constexpr bool TrigK1() const { return bit(kTrigK1); }
  constexpr bool TrigK2() const { return bit(kTrigK2); }
  constexpr bool TrigK3() const { return bit(kTrigK3); }
  constexpr bool Assoc1() const { return bit(kAssoc1); }
  constexpr bool Assoc2() const { return bit(kAssoc2); }
  constexpr bool Assoc3() const { return bit(kAssoc3); }

  friend constexpr bool operator==(MidiStat, MidiStat) = default;
};
static_assert(sizeof(MidiStat) == 2);

using Scene = std::array<std::uint8_t, kSceneBytes>;

// All zero at start: dark scenes, manual programs, every collection slot on program 1, every MIDI key
// and special key on scene 0, slow mode off.
struct ControllerImage {
  std::array<Scene, kSceneCount> Sceny{};
  std::array<std::uint8_t, kProgramCount> PgmEnds{};   // end scene, 1-based within the program; 0 = none
  std::array<std::uint8_t, kProgramCount> PgmSpeed{};  // running mode and speed (running_mode.h)
  std::array<std::uint8_t, kProgramCount> PgmFade{};
  std::array<std::array<std::uint8_t, kCollectionCount>, kAreaCount> Shows{};  // program index or 255
  std::array<MidiStat, kMidiKeyCount> Midi{};
  std::uint16_t ExtraMode = 0;   // the special keys' "strobe" modes (special_keys.h)
  std::uint16_t SlowMode = 0;    // 0 off, anything else on (65535 as stored by the program)
  std::uint16_t StrobScene = 0;  // absolute scene, 65535 = none
  std::uint16_t FogScene = 0;
  std::uint16_t ExtraScene = 0;

  friend bool operator==(const ControllerImage&, const ControllerImage&) = default;
};

// Byte of channel 1-16 of device 1-16 within a scene.
constexpr std::size_t ChannelIndex(unsigned device, unsigned channel) {
  return (device - 1U) * 16U + (channel - 1U);
}

}  // namespace kavira
