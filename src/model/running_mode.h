// A program's running mode and speed, which the controller keeps together in one PgmSpeed byte:
// 0 manual stepping, 1-31 automatic stepping at that speed, 254 MIDI, 255 music. The controller and
// the files carry any byte; a stored 32-253 counts as automatic at the fastest speed, 31.
#pragma once

#include <cstdint>

namespace kavira {

enum class RunningMode { Auto, Manual, Music, Midi };
inline constexpr RunningMode kRunningModes[] = {RunningMode::Auto, RunningMode::Manual, RunningMode::Music,
                                                RunningMode::Midi};

// PgmSpeed codes.
inline constexpr std::uint8_t kSpeedManual = 0;
inline constexpr std::uint8_t kSpeedMaxAuto = 31;
inline constexpr std::uint8_t kSpeedMidi = 254;
inline constexpr std::uint8_t kSpeedMusic = 255;

constexpr RunningMode ModeOfSpeed(std::uint8_t code) {
  switch (code) {
    case kSpeedManual:
      return RunningMode::Manual;
    case kSpeedMidi:
      return RunningMode::Midi;
    case kSpeedMusic:
      return RunningMode::Music;
    default:
      return RunningMode::Auto;
  }
}

// The speed an automatic program runs at: 1-31 as stored, 32-253 as 31. The other modes have no
// speed and give 0.
constexpr std::uint8_t AutoSpeed(std::uint8_t code) {
  if (ModeOfSpeed(code) != RunningMode::Auto) return 0;
  return code > kSpeedMaxAuto ? kSpeedMaxAuto : code;
}

// The PgmSpeed code of a mode. Automatic stores its speed as it is, so a speed of 0 is stored as 0
// and reads back as manual.
constexpr std::uint8_t SpeedCode(RunningMode mode, std::uint8_t speed) {
  switch (mode) {
    case RunningMode::Auto:
      return speed;
    case RunningMode::Manual:
      return kSpeedManual;
    case RunningMode::Music:
      return kSpeedMusic;
    case RunningMode::Midi:
      return kSpeedMidi;
  }
  return kSpeedManual;
}

}  // namespace kavira
