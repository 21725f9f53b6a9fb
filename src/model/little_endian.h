// Numbers as the controller, the data files, the journal and the update files store them: low byte
// first.
#pragma once

#include <cstdint>
#include <vector>

namespace kavira {

constexpr std::uint8_t LowByte(std::uint32_t v) {
  return static_cast<std::uint8_t>(v & 0xFFU);
}
constexpr std::uint8_t HighByte(std::uint32_t v) {
  return static_cast<std::uint8_t>((v >> 8) & 0xFFU);
}

constexpr std::uint16_t Le16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
constexpr std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t{Le16(p)} | (std::uint32_t{Le16(p + 2)} << 16);
}

constexpr void PutLe16(std::uint8_t* p, std::uint32_t v) {
  p[0] = LowByte(v);
  p[1] = HighByte(v);
}
constexpr void PutLe32(std::uint8_t* p, std::uint32_t v) {
  PutLe16(p, v & 0xFFFFU);
  PutLe16(p + 2, v >> 16);
}
inline void AppendLe16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(LowByte(v));
  out.push_back(HighByte(v));
}
inline void AppendLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  AppendLe16(out, v & 0xFFFFU);
  AppendLe16(out, v >> 16);
}

}  // namespace kavira
