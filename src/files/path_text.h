// File paths as UTF-8 text, and UTF-8 text as file paths.
//
// The programs hold file names as UTF-8: the file dialogs and kaviraob-cli's arguments give them so,
// and every message is UTF-8. A std::filesystem::path holds the system's own form instead: bytes on
// POSIX systems, UTF-16 on Windows. There, a path made from a std::string, or path::string(), goes
// through a narrow code page and loses what the code page lacks (a show called "Próba generalna
// żółta" comes back as "Pr?ba generalna ????ta", or garbled), and path::u8string() throws on a name
// the system allows but UTF-16 does not (a lone surrogate). These conversions are exact and never fail.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kavira {

// The path named by UTF-8 `text`. On POSIX systems the bytes are taken as they are.
std::filesystem::path PathFromUtf8(std::string_view text);
// The path as UTF-8 text, for messages and for the file dialogs. On POSIX systems its bytes.
std::string PathToUtf8(const std::filesystem::path& path);

// The code point of the UTF-8 sequence at `i`, which moves past the bytes it took; nothing for a
// malformed sequence (cut short, overlong, a surrogate or beyond U+10FFFF), which takes the bytes up
// to the first that cannot continue it.
std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& i);

// UTF-8 to UTF-16 and back, for systems whose paths are UTF-16. A malformed sequence (a stray or
// missing continuation byte, an overlong form, a lone surrogate) becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace kavira
