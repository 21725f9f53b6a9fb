// The simulated controller's memory: the scene, settings and MIDI memory as 2048 raw blocks of 128
// bytes (exactly what travels in block frames), the firmware memory, and the firmware version.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/frames.h"
#include "model/controller_image.h"
#include "model/firmware_line.h"

namespace kavira {

// The three version bytes in the order the version reply carries them.
struct VersionBytes {
  std::uint8_t minor = 5;
  std::uint8_t major = 1;
  std::uint8_t suffix = 'A';

  friend bool operator==(const VersionBytes&, const VersionBytes&) = default;
};

// "1.05A", "1.05", "2.7": major and minor in decimal (0-255 each), then at most one suffix
// character. Nothing for anything else.
std::optional<VersionBytes> ParseVersionBytes(std::string_view text);
// The reverse, for messages: "1.05A" (a suffix byte that is not printable ASCII is left out).
std::string FormatVersionBytes(const VersionBytes& v);

// Firmware memory: a line may start anywhere up to kFirmwareTop and carries at most 16 bytes.
inline constexpr std::size_t kFirmwareMemorySize = kFirmwareTop + kFirmwareLineMax;
inline constexpr std::uint8_t kErasedFlash = 0xFF;

class SimMemory {
 public:
  // A fresh controller: the blocks of an all-zero image, erased firmware memory, version 1.05A.
  SimMemory();

  std::span<std::uint8_t, kBlockBytes> block(std::uint32_t b) { return blocks_.at(b); }
  std::span<const std::uint8_t, kBlockBytes> block(std::uint32_t b) const { return blocks_.at(b); }

  // Firmware bytes [address, address + n); false (nothing done) outside the firmware memory.
  bool writeFirmware(std::uint32_t address, std::span<const std::uint8_t> bytes);
  std::optional<std::vector<std::uint8_t>> readFirmware(std::uint32_t address, std::size_t n) const;

  // The whole image as the controller would send it block by block, and back.
  void loadImage(const ControllerImage& image);
  void storeInto(ControllerImage& image) const;

  VersionBytes version;

 private:
  std::vector<BlockData> blocks_;
  std::vector<std::uint8_t> firmware_;
};

}  // namespace kavira
