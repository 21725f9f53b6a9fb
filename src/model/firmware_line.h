// One decoded line of a firmware update: where it goes in the controller's firmware memory and its
// code bytes. Produced by the update-file decoder, consumed by the transfer engine.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace kavira {

inline constexpr std::uint32_t kFirmwareTop = 0x1E000;  // highest line address the controller takes
inline constexpr std::uint32_t kFirmwareLineMax = 16;   // code bytes in one line

struct pgmline_ {
  std::uint32_t Adres = 0;
  std::uint32_t cnt = 0;  // code bytes that count, 0-16
  std::array<std::uint8_t, kFirmwareLineMax> code{};

  friend bool operator==(const pgmline_&, const pgmline_&) = default;
};

using FirmwareImage = std::vector<pgmline_>;

}  // namespace kavira
