// Builds firmware update files from an Intel HEX image: the data is cut into lines of up to 16 bytes
// that never cross a 16-byte boundary, in ascending address order, and written in the format the
// program's update loader reads (docs/update-file-format.md).
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "files/update_file.h"
#include "model/firmware_line.h"

namespace kavira {

// The highest byte address a line can reach: a line starts at kFirmwareTop at the latest.
inline constexpr std::uint32_t kFirmwareLastByte = kFirmwareTop + kFirmwareLineMax - 1;

struct FirmwareVersion {
  unsigned major = 0;  // 0-9
  unsigned minor = 0;  // 0-99
};

// "M.mm": one digit, a point, two digits. Nothing for anything else ("2.7" is ambiguous).
std::optional<FirmwareVersion> ParseFirmwareVersion(std::string_view text);

// The lines of an Intel HEX image, or the reason it is refused ("line N: ...").
struct HexLines {
  FirmwareImage lines;
  std::string error;
};
HexLines CutHexIntoLines(std::string_view hex);

// The 41 characters of a line record before scrambling: cnt (2), Adres (5), two unused characters,
// and all 16 code bytes, upper-case hexadecimal.
std::array<char, kUpdateRecordBytes> UpdateRecordText(const pgmline_& line);
// The stored bytes of record `index` with the given text.
std::array<std::uint8_t, kUpdateRecordBytes> ScrambleRecord(std::span<const char, kUpdateRecordBytes> text,
                                                            std::uint32_t index);

// An update file for the lines, with optional free text (no 0 byte in it) after the version line.
// The lines are written as they are, unchecked, so tests can build files a loader must refuse.
std::vector<std::uint8_t> BuildUpdateFile(std::span<const pgmline_> lines, FirmwareVersion version,
                                          std::string_view freeText = {});

struct PackResult {
  std::vector<std::uint8_t> bytes;
  std::string error;  // empty on success
  bool ok() const { return error.empty(); }
};
// The update file for an Intel HEX image and a version.
PackResult PackUpdate(std::string_view hex, FirmwareVersion version, std::string_view freeText = {});

// Writes the file so that a failure leaves any old file as it was; the error text, with the reason, on
// failure.
std::optional<std::string> WriteUpdateFile(const std::filesystem::path& path,
                                           std::span<const std::uint8_t> bytes);

}  // namespace kavira
