// The special keys STROBE, FOG and EXTRA. Each may have a scene (StrobScene, FogScene, ExtraScene) and
// has a "strobe" mode, one bit of ExtraMode each. FOG's mode is bit 1 and EXTRA's bit 2, set when the
// mode is on; STROBE's is bit 0, set when its mode is off. Only the low byte of ExtraMode reaches the
// controller; the program keeps the other bits as they are.
#pragma once

#include <cstdint>

namespace kavira {

enum class SpecialKey { Strobe, Fog, Extra };
inline constexpr SpecialKey kSpecialKeys[] = {SpecialKey::Strobe, SpecialKey::Fog, SpecialKey::Extra};

inline constexpr std::uint16_t kStrobeModeBit = 0x0001;
inline constexpr std::uint16_t kFogModeBit = 0x0002;
inline constexpr std::uint16_t kExtraModeBit = 0x0004;

constexpr std::uint16_t ModeBit(SpecialKey key) {
  switch (key) {
    case SpecialKey::Strobe:
      return kStrobeModeBit;
    case SpecialKey::Fog:
      return kFogModeBit;
    case SpecialKey::Extra:
      return kExtraModeBit;
  }
  return 0;
}

// Whether the key's "strobe" mode is on in an ExtraMode word.
constexpr bool StrobeModeOn(std::uint16_t ExtraMode, SpecialKey key) {
  const bool set = (ExtraMode & ModeBit(key)) != 0;
  return key == SpecialKey::Strobe ? !set : set;
}

// The ExtraMode word with the key's "strobe" mode switched on or off; every other bit stays.
constexpr std::uint16_t WithStrobeMode(std::uint16_t ExtraMode, SpecialKey key, bool on) {
  const bool set = key == SpecialKey::Strobe ? !on : on;
  const unsigned bit = ModeBit(key);
  return static_cast<std::uint16_t>(set ? (ExtraMode | bit) : (ExtraMode & ~bit));
}

}  // namespace kavira
