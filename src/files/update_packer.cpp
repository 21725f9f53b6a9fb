#include "files/update_packer.h"

#include <algorithm>

#include "files/file_io.h"
#include "files/path_text.h"
#include "model/hex_text.h"
#include "model/text_parts.h"

namespace kavira {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back()))
    s.remove_suffix(1);
  return s;
}

void PutWord32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (std::size_t k = 0; k < 4; ++k)
    out[at + k] = static_cast<std::uint8_t>((v >> (8 * k)) & 0xFFU);
}

// Intel HEX record types.
enum : std::uint8_t {
  kData = 0x00,
  kEndOfFile = 0x01,
  kExtendedSegment = 0x02,
  kStartSegment = 0x03,
  kExtendedLinear = 0x04,
  kStartLinear = 0x05,
};

// The firmware memory as the HEX file fills it: each byte with the HEX line that gave it.
class FirmwareMemory {
 public:
  FirmwareMemory() : bytes_(kFirmwareLastByte + 1), from_(kFirmwareLastByte + 1, 0) {}

  // An error text, or empty.
  std::string put(std::uint64_t address, std::uint8_t value, std::uint32_t line) {
    if (address > kFirmwareLastByte) {
      return "line " + std::to_string(line) + ": address 0x" +
             HexText(static_cast<std::uint32_t>(address), 8) +
             " lies beyond the firmware memory (last byte 0x" + HexText(kFirmwareLastByte, 5) + ")";
    }
    const auto a = static_cast<std::size_t>(address);
    if (from_[a] != 0 && bytes_[a] != value) {
      return "line " + std::to_string(line) + ": address 0x" + HexText(static_cast<std::uint32_t>(a), 5) +
             " already holds a different byte from line " + std::to_string(from_[a]);
    }
    bytes_[a] = value;
    from_[a] = line;
    return {};
  }

  // Runs of filled bytes, cut at every 16-byte boundary.
  std::string cut(FirmwareImage& lines) const {
    for (std::uint32_t window = 0; window <= kFirmwareLastByte; window += kFirmwareLineMax) {
      std::uint32_t a = window;
      const std::uint32_t end = window + kFirmwareLineMax;
      while (a < end) {
        if (from_[a] == 0) {
          ++a;
          continue;
        }
        if (a > kFirmwareTop) {
          return "line " + std::to_string(from_[a]) + ": data at 0x" + HexText(a, 5) +
                 " would start a line above 0x" + HexText(kFirmwareTop, 5);
        }
        pgmline_ line;
        line.Adres = a;
        line.code.fill(0xFF);
        while (a < end && from_[a] != 0)
          line.code[line.cnt++] = bytes_[a++];
        lines.push_back(line);
      }
    }
    return {};
  }

 private:
  std::vector<std::uint8_t> bytes_;
  std::vector<std::uint32_t> from_;  // 0: no data
};

std::string AtLine(std::uint32_t line, std::string_view why) {
  return "line " + std::to_string(line) + ": " + std::string(why);
}

// One record of an Intel HEX file: ":" then, in hexadecimal, the byte count, the 16-bit offset, the
// type, the data bytes and a checksum that brings the sum of all the bytes to 0.
struct HexRecord {
  std::uint32_t offset = 0;
  std::uint8_t type = 0;
  std::vector<std::uint8_t> data;
};

// The record on one line (trimmed, not empty), or why it is refused.
std::string DecodeRecord(std::string_view text, HexRecord& record) {
  if (text.front() != ':') return "a record must begin with ':'";
  const std::string_view digits = text.substr(1);
  if (digits.size() % 2 != 0) return "odd number of hexadecimal digits";
  std::vector<std::uint8_t> rec(digits.size() / 2);
  for (std::size_t k = 0; k < rec.size(); ++k) {
    const int hi = HexDigitValue(digits[2 * k]);
    const int lo = HexDigitValue(digits[2 * k + 1]);
    if (hi < 0 || lo < 0) return "not a hexadecimal digit";
    rec[k] = static_cast<std::uint8_t>(hi * 16 + lo);
  }
  if (rec.size() < 5) return "record too short";
  const std::size_t count = rec[0];
  if (rec.size() != count + 5) return "byte count does not match the record's length";
  unsigned sum = 0;
  for (std::uint8_t b : rec)
    sum += b;
  if ((sum & 0xFFU) != 0) return "checksum error";
  record.offset = static_cast<std::uint32_t>(rec[1]) << 8 | rec[2];
  record.type = rec[3];
  record.data.assign(rec.begin() + 4, rec.begin() + 4 + static_cast<std::ptrdiff_t>(count));
  return {};
}

// Reads the records of a HEX file in order: the address records set the base of the data records
// that follow, and the data fills the firmware memory.
class HexLoader {
 public:
  // An error text ("line N: ..."), or empty.
  std::string apply(const HexRecord& rec, std::uint32_t line) {
    const std::size_t count = rec.data.size();
    const std::uint32_t value16 = count >= 2 ? static_cast<std::uint32_t>(rec.data[0]) << 8 | rec.data[1] : 0;
    switch (rec.type) {
      case kData:
        return putData(rec, line);
      case kEndOfFile:
        if (count != 0) return AtLine(line, "end-of-file record with data");
        ended_ = true;
        return {};
      case kExtendedSegment:
        if (count != 2) return AtLine(line, "extended segment address record needs 2 data bytes");
        base_ = std::uint64_t{value16} << 4;
        segmented_ = true;
        return {};
      case kExtendedLinear:
        if (count != 2) return AtLine(line, "extended linear address record needs 2 data bytes");
        base_ = std::uint64_t{value16} << 16;
        segmented_ = false;
        return {};
      case kStartSegment:
      case kStartLinear:
        // Start addresses mean nothing to the controller's loader.
        if (count != 4) return AtLine(line, "start address record needs 4 data bytes");
        return {};
      default:
        return AtLine(line, "unknown record type 0x" + HexText(rec.type, 2));
    }
  }

  bool ended() const { return ended_; }
  const FirmwareMemory& memory() const { return memory_; }

 private:
  std::string putData(const HexRecord& rec, std::uint32_t line) {
    for (std::size_t k = 0; k < rec.data.size(); ++k) {
      const std::uint64_t address = segmented_ ? base_ + ((rec.offset + k) & 0xFFFFU)
                                               : base_ + rec.offset + k;  // linear: no 64 KB wrap
      if (std::string e = memory_.put(address, rec.data[k], line); !e.empty()) return e;
    }
    return {};
  }

  FirmwareMemory memory_;
  std::uint64_t base_ = 0;
  bool segmented_ = false;  // type 02 sets a segment base (offsets wrap at 64 KB); type 04 a linear base
  bool ended_ = false;
};

HexLines Refused(std::string error) {
  return {{}, std::move(error)};
}

}  // namespace

std::optional<FirmwareVersion> ParseFirmwareVersion(std::string_view text) {
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (text.size() != 4 || !digit(text[0]) || text[1] != '.' || !digit(text[2]) || !digit(text[3])) {
    return std::nullopt;
  }
  return FirmwareVersion{static_cast<unsigned>(text[0] - '0'),
                         static_cast<unsigned>((text[2] - '0') * 10 + (text[3] - '0'))};
}

HexLines CutHexIntoLines(std::string_view hex) {
  HexLoader loader;
  std::uint32_t lineNo = 0;
  std::size_t pos = 0;
  while (pos < hex.size() && !loader.ended()) {
    const std::string_view text = Trim(NextPart(hex, pos, '\n'));
    ++lineNo;
    if (text.empty()) continue;
    HexRecord record;
    if (const std::string why = DecodeRecord(text, record); !why.empty()) return Refused(AtLine(lineNo, why));
    if (std::string e = loader.apply(record, lineNo); !e.empty()) return Refused(std::move(e));
  }
  if (!loader.ended()) return Refused(AtLine(lineNo + 1, "the file ends without an end-of-file record"));
  HexLines result;
  if (std::string e = loader.memory().cut(result.lines); !e.empty()) return Refused(std::move(e));
  if (result.lines.empty()) return Refused(AtLine(lineNo, "the image holds no data"));
  return result;
}

std::array<char, kUpdateRecordBytes> UpdateRecordText(const pgmline_& line) {
  std::array<char, kUpdateRecordBytes> text{};
  const std::span<char> record(text);
  PutHexDigits(record.subspan(kRecordCntAt, 2), line.cnt);
  PutHexDigits(record.subspan(kRecordAdresAt, 5), line.Adres);
  PutHexDigits(record.subspan(kRecordSpareAt, 2), 0);
  for (std::size_t k = 0; k < kFirmwareLineMax; ++k)
    PutHexDigits(record.subspan(kRecordCodeAt + 2 * k, 2), line.code[k]);
  return text;
}

std::array<std::uint8_t, kUpdateRecordBytes> ScrambleRecord(std::span<const char, kUpdateRecordBytes> text,
                                                            std::uint32_t index) {
  // The text has no 0 byte, so no stored byte equals its key and every byte is simply XORed.
  std::array<std::uint8_t, kUpdateRecordBytes> stored{};
  for (std::size_t j = 0; j < kUpdateRecordBytes; ++j) {
    stored[j] = static_cast<std::uint8_t>(static_cast<std::uint8_t>(text[j]) ^ UpdateKey(index, j));
  }
  return stored;
}

std::vector<std::uint8_t> BuildUpdateFile(std::span<const pgmline_> lines, FirmwareVersion version,
                                          std::string_view freeText) {
  std::string head(kUpdateHeaderLine);
  head += '\n';
  head += kUpdateVersionPrefix;
  head += static_cast<char>('0' + version.major % 10);
  head += '.';
  head += static_cast<char>('0' + version.minor / 10 % 10);
  head += static_cast<char>('0' + version.minor % 10);
  head += "\r\n";
  head += freeText;

  std::vector<std::uint8_t> file(head.begin(), head.end());
  file.push_back(0);
  const std::size_t stpos = file.size();
  file.resize(stpos + kUpdateBodyHeaderBytes + lines.size() * kUpdateRecordBytes);
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto stored = ScrambleRecord(UpdateRecordText(lines[i]), static_cast<std::uint32_t>(i));
    for (std::uint8_t b : stored)
      sum += b;
    std::copy(
        stored.begin(), stored.end(),
        file.begin() + static_cast<std::ptrdiff_t>(stpos + kUpdateBodyHeaderBytes + i * kUpdateRecordBytes));
  }
  PutWord32(file, stpos, static_cast<std::uint32_t>(stpos));
  PutWord32(file, stpos + 4, static_cast<std::uint32_t>(lines.size()));
  PutWord32(file, stpos + 8, sum);
  return file;
}

PackResult PackUpdate(std::string_view hex, FirmwareVersion version, std::string_view freeText) {
  if (version.major > 9 || version.minor > 99) return {{}, "the version must be M.mm (0.00 to 9.99)"};
  if (freeText.find('\0') != std::string_view::npos) return {{}, "the free text must not hold a 0 byte"};
  const HexLines cut = CutHexIntoLines(hex);
  if (!cut.error.empty()) return {{}, cut.error};
  return {BuildUpdateFile(cut.lines, version, freeText), {}};
}

std::optional<std::string> WriteUpdateFile(const std::filesystem::path& path,
                                           std::span<const std::uint8_t> bytes) {
  const FileWrite file{path, {bytes.begin(), bytes.end()}};
  const ReplaceResult r = ReplaceFiles(std::span(&file, 1));
  switch (r.failure) {
    case ReplaceResult::Failure::None:
      return std::nullopt;
    case ReplaceResult::Failure::Refused:
    case ReplaceResult::Failure::NotWritable:
    case ReplaceResult::Failure::CreateFailed:
      return "cannot create " + PathToUtf8(path) + " (" + r.reason + ")";
    default:
      break;
  }
  return "cannot write " + PathToUtf8(path) + " (" + r.reason + ")";
}

}  // namespace kavira
