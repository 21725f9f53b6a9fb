#include "files/path_text.h"

#include <array>
#include <optional>

namespace kavira {
namespace fs = std::filesystem;
namespace {

// Paths are bytes (POSIX) or UTF-16 code units (Windows).
using NativeChar = fs::path::value_type;
static_assert(sizeof(NativeChar) == 1 || sizeof(NativeChar) == 2);

constexpr char32_t kReplacement = 0xFFFD;

bool IsSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}

void AppendUtf8(char32_t c, std::string& out) {
  auto put = [&out](char32_t bits) { out += static_cast<char>(bits); };
  if (c < 0x80) {
    put(c);
  } else if (c < 0x800) {
    put(0xC0 | c >> 6);
    put(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    put(0xE0 | c >> 12);
    put(0x80 | (c >> 6 & 0x3F));
    put(0x80 | (c & 0x3F));
  } else {
    put(0xF0 | c >> 18);
    put(0x80 | (c >> 12 & 0x3F));
    put(0x80 | (c >> 6 & 0x3F));
    put(0x80 | (c & 0x3F));
  }
}

// How many bytes a UTF-8 sequence with this first byte has; 0 for a byte no sequence starts with.
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 0;
}

}  // namespace

std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& i) {
  // The least code point of a sequence of each length: anything below is an overlong form.
  constexpr std::array<char32_t, 5> kLeast{0, 0, 0x80, 0x800, 0x10000};
  const auto lead = static_cast<unsigned char>(text[i]);
  const std::size_t length = SequenceLength(lead);
  char32_t c = length <= 1 ? lead : lead & (0x7Fu >> length);
  std::size_t taken = 1;
  while (taken < length && i + taken < text.size()) {
    const auto next = static_cast<unsigned char>(text[i + taken]);
    if ((next & 0xC0) != 0x80) break;
    c = c << 6 | (next & 0x3Fu);
    ++taken;
  }
  i += taken;
  if (length == 0 || taken < length || c < kLeast[length] || IsSurrogate(c) || c > 0x10FFFF)
    return std::nullopt;
  return c;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = DecodeUtf8(text, i);
    if (!c) {
      out += static_cast<char16_t>(kReplacement);
    } else if (*c >= 0x10000) {
      const char32_t bits = *c - 0x10000;
      out += static_cast<char16_t>(0xD800 + (bits >> 10));
      out += static_cast<char16_t>(0xDC00 + (bits & 0x3FF));
    } else {
      out += static_cast<char16_t>(*c);
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    const bool pair =
        c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    if (pair) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
      ++i;
    } else if (IsSurrogate(c)) {
      c = kReplacement;
    }
    AppendUtf8(c, out);
  }
  return out;
}

// Both branches compile on every system; only the one for the system's paths runs.
fs::path PathFromUtf8(std::string_view text) {
  if constexpr (sizeof(NativeChar) == 1) {
    return {fs::path::string_type(text.begin(), text.end())};
  } else {
    const std::u16string wide = Utf8ToUtf16(text);
    return {fs::path::string_type(wide.begin(), wide.end())};
  }
}

std::string PathToUtf8(const fs::path& path) {
  const fs::path::string_type& native = path.native();
  if constexpr (sizeof(NativeChar) == 1) {
    return {native.begin(), native.end()};
  } else {
    return Utf16ToUtf8(std::u16string(native.begin(), native.end()));
  }
}

}  // namespace kavira
