// Building byte streams for the simulator's tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "link/clock.h"

namespace kavira::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const auto& p : parts)
    all.insert(all.end(), p.begin(), p.end());
  return all;
}

inline Bytes Repeat(std::uint8_t b, std::size_t n) {
  return Bytes(n, b);
}

inline const SteadyTime t0{std::chrono::hours(1)};

}  // namespace kavira::test
