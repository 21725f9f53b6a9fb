// What a fuzz target does when a property it checks does not hold: stop at once, so libFuzzer keeps
// the input.
#pragma once

namespace kavira::fuzz {

inline void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace kavira::fuzz
