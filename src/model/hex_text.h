// Numbers in hexadecimal, as the program writes them: upper case with a fixed number of digits in
// update-file records, firmware addresses and frame traces; lower case and as short as the number in
// the verification messages about MIDI words.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kavira {

enum class HexCase { Upper, Lower };

// The value of a hexadecimal digit (either case), or -1 for any other character.
constexpr int HexDigitValue(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Fills `out` with the lowest out.size() hexadecimal digits of `value`, leading zeros included.
void PutHexDigits(std::span<char> out, std::uint32_t value, HexCase letters = HexCase::Upper);

// `value` in exactly `width` digits (its lowest ones), or in as many as it needs when `width` is 0.
std::string HexText(std::uint32_t value, int width = 0, HexCase letters = HexCase::Upper);

}  // namespace kavira
