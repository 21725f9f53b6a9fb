#include "model/numbering.h"

namespace kavira {

unsigned Rel2Abs(unsigned pgm, unsigned scena) {
  if (pgm >= kProgramCount) return kInvalid;
  if (pgm < 16) {
    if (scena > 31) return kInvalid;
    return pgm * 32 + scena;
  }
  if (scena > 15) return kInvalid;
  const unsigned abs = 512 + (pgm - 16) * 16 + scena;
  return abs > kLastScene ? kInvalid : abs;  // program 48 stops at scene 14
}

unsigned Abs2Rel(unsigned scena) {
  if (scena > kLastScene) return kInvalid;
  if (scena < 512) return (scena / 32) * 65536 + scena % 32;
  return ((scena - 512) / 16 + 16) * 65536 + scena % 16;
}

}  // namespace kavira
