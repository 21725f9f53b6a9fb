// What the controller held, block by block, the last time this run saw each block: read from it,
// written to it and acknowledged, or read back. A block is unknown until then, and again after an
// exchange of it that failed or was cut short, a change of port, a restart of the controller or a
// firmware install: anything may have happened to it meanwhile. Nothing of it is kept between runs.
#pragma once

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <optional>

#include "link/frames.h"

namespace kavira {

class ControllerCopy {
 public:
  void learn(std::uint32_t block, ByteView bytes) {
    if (block >= kBlockCount || bytes.size() < kBlockBytes) return;
    std::copy_n(bytes.begin(), kBlockBytes, blocks_[block].begin());
    known_.set(block);
  }
  void forget(std::uint32_t block) {
    if (block < kBlockCount) known_.reset(block);
  }
  void forgetAll() { known_.reset(); }

  bool known(std::uint32_t block) const { return block < kBlockCount && known_.test(block); }
  // The bytes of a known block; nothing for an unknown one.
  std::optional<BlockData> bytes(std::uint32_t block) const {
    if (!known(block)) return std::nullopt;
    return blocks_[block];
  }
  // Whether every block of units from..to (two blocks each) is known.
  bool knowsUnits(std::uint32_t from, std::uint32_t to) const {
    for (std::uint32_t b = 2 * from; b <= 2 * to + 1; ++b)
      if (!known(b)) return false;
    return true;
  }

 private:
  std::bitset<kBlockCount> known_;
  std::array<BlockData, kBlockCount> blocks_{};
};

}  // namespace kavira
