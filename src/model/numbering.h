// Programs 1-48 and their scenes. The functions work with 0-based indexes; users see numbers from 1.
#pragma once

#include <cstdint>

#include "model/controller_image.h"

namespace kavira {

// Returned by Rel2Abs and Abs2Rel for a number outside their ranges.
inline constexpr unsigned kInvalid = 0xFFFFFFFFU;

// Scenes in a program, by 0-based program index: programs 1-16 hold 32, 17-47 hold 16, 48 holds 14.
// Returns 0 for an index beyond the last program. Every check of a scene number uses this.
constexpr unsigned SceneCount(unsigned pgm) {
  if (pgm < 16) return 32;
  if (pgm + 1 < kProgramCount) return 16;
  if (pgm + 1 == kProgramCount) return 14;
  return 0;
}

// Scenes in a program by its 1-based number as typed by the user (0 for a number outside 1-48).
constexpr unsigned SceneCountOfProgram(unsigned programNumber) {
  return programNumber >= 1 ? SceneCount(programNumber - 1) : 0;
}

// Absolute scene number (0-1021) of scene index `scena` in program index `pgm`, or kInvalid.
unsigned Rel2Abs(unsigned pgm, unsigned scena);

// Program index in the high 16 bits and scene index in the low 16 bits, or kInvalid.
unsigned Abs2Rel(unsigned scena);

constexpr unsigned ProgramOf(unsigned rel) {
  return rel >> 16;
}
constexpr unsigned SceneOf(unsigned rel) {
  return rel & 0xFFFFU;
}

}  // namespace kavira
