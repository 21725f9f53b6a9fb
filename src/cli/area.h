// The AREA argument of read, write and verify: which units of the controller's memory a run covers.
// Units are scenes 0-1021 (absolute), 1022 for the program settings and 1023 for the MIDI assignments.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/data_files.h"

namespace kavira::cli {

struct AreaSpec {
  std::uint32_t from = 0;  // first and last unit, inclusive
  std::uint32_t to = 0;
  bool all = false;         // scenes, settings and MIDI in one walk
  std::string description;  // for messages: "scenes 1:1-2:32", "settings", ...

  // The data files the run touches, in file order.
  std::vector<DataArea> dataAreas() const;
  // Blocks the run sends: two per unit.
  std::uint32_t blocks() const { return 2 * (to - from + 1); }
};

// "scenes", "scenes=RANGE", "settings", "midi" or "all". RANGE is P:S-P:S with programs 1-48 and
// scenes as numbered within their program (from 1); a program alone stands for all its scenes
// ("scenes=3" or "scenes=1-2:16"), and a range of one item for that item alone. On failure, nothing,
// and `error` says what is wrong with the text.
std::optional<AreaSpec> ParseArea(std::string_view text, std::string* error);

// The user's name of an absolute scene: "P:S".
std::string SceneName(unsigned absoluteScene);

}  // namespace kavira::cli
