#include "sim/sim_memory.h"

#include <algorithm>
#include <memory>

namespace kavira {
namespace {

std::optional<unsigned> ParseByte(std::string_view digits) {
  if (digits.empty() || digits.size() > 3) return std::nullopt;
  unsigned v = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + static_cast<unsigned>(c - '0');
  }
  if (v > 255) return std::nullopt;
  return v;
}

}  // namespace

std::optional<VersionBytes> ParseVersionBytes(std::string_view text) {
  const std::size_t dot = text.find('.');
  if (dot == std::string_view::npos) return std::nullopt;
  const std::string_view majorText = text.substr(0, dot);
  std::string_view rest = text.substr(dot + 1);
  std::size_t digits = 0;
  while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9')
    ++digits;
  const std::string_view minorText = rest.substr(0, digits);
  const std::string_view suffixText = rest.substr(digits);
  const auto major = ParseByte(majorText);
  const auto minor = ParseByte(minorText);
  if (!major || !minor || suffixText.size() > 1) return std::nullopt;
  VersionBytes v;
  v.major = static_cast<std::uint8_t>(*major);
  v.minor = static_cast<std::uint8_t>(*minor);
  v.suffix = suffixText.empty() ? 0 : static_cast<std::uint8_t>(suffixText[0]);
  return v;
}

std::string FormatVersionBytes(const VersionBytes& v) {
  std::string s = std::to_string(v.major) + ".";
  if (v.minor < 10) s += '0';
  s += std::to_string(v.minor);
  if (v.suffix > 0x20 && v.suffix < 0x7F) s += static_cast<char>(v.suffix);
  return s;
}

SimMemory::SimMemory() : blocks_(kBlockCount), firmware_(kFirmwareMemorySize, kErasedFlash) {
  loadImage(*std::make_unique<ControllerImage>());
}

bool SimMemory::writeFirmware(std::uint32_t address, std::span<const std::uint8_t> bytes) {
  if (address > kFirmwareTop || bytes.size() > kFirmwareLineMax) return false;
  std::copy(bytes.begin(), bytes.end(), firmware_.begin() + address);
  return true;
}

std::optional<std::vector<std::uint8_t>> SimMemory::readFirmware(std::uint32_t address, std::size_t n) const {
  if (address > kFirmwareTop || n > kFirmwareLineMax) return std::nullopt;
  const auto first = firmware_.begin() + address;
  return std::vector<std::uint8_t>(first, first + static_cast<std::ptrdiff_t>(n));
}

void SimMemory::loadImage(const ControllerImage& image) {
  for (std::uint32_t b = 0; b < kBlockCount; ++b)
    blocks_[b] = EncodeBlock(image, b);
}

void SimMemory::storeInto(ControllerImage& image) const {
  for (std::uint32_t b = 0; b < kBlockCount; ++b)
    DecodeBlock(image, b, blocks_[b]);
}

}  // namespace kavira
