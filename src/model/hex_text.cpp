#include "model/hex_text.h"

namespace kavira {

void PutHexDigits(std::span<char> out, std::uint32_t value, HexCase letters) {
  const char* digits = letters == HexCase::Upper ? "0123456789ABCDEF" : "0123456789abcdef";
  for (auto i = out.size(); i > 0; --i, value >>= 4)
    out[i - 1] = digits[value & 0xFU];
}

std::string HexText(std::uint32_t value, int width, HexCase letters) {
  std::size_t n = width > 0 ? static_cast<std::size_t>(width) : 1;
  if (width <= 0) {
    for (std::uint32_t rest = value >> 4; rest != 0; rest >>= 4)
      ++n;
  }
  std::string text(n, '0');
  PutHexDigits(text, value, letters);
  return text;
}

}  // namespace kavira
