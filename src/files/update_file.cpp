#include "files/update_file.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <system_error>
#include <vector>

#include "files/file_io.h"
#include "files/path_text.h"
#include "link/transfer_engine.h"
#include "model/hex_text.h"
#include "model/little_endian.h"

namespace kavira {
namespace {

bool IsSpace(std::uint8_t c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsDigit(std::uint8_t c) {
  return c >= '0' && c <= '9';
}

// A line of the head: up to the line feed, which is consumed, or at most kUpdateLineLimit bytes.
std::span<const std::uint8_t> ReadLine(std::span<const std::uint8_t> file, std::size_t& pos) {
  const std::size_t start = pos;
  while (pos < file.size() && pos - start < kUpdateLineLimit && file[pos] != '\n')
    ++pos;
  const std::span<const std::uint8_t> line = file.subspan(start, pos - start);
  if (pos < file.size() && file[pos] == '\n' && line.size() < kUpdateLineLimit) ++pos;
  return line;
}

// The minor version: the characters at offsets 9 and 10 (those the line has), white space first,
// then at least one decimal digit; "5\r" reads as 5. Signs are refused: a version is not negative.
std::optional<unsigned> ReadMinor(std::span<const std::uint8_t> line) {
  constexpr std::size_t kAt = 9;
  if (line.size() <= kAt) return std::nullopt;
  const std::span<const std::uint8_t> chars = line.subspan(kAt, std::min<std::size_t>(2, line.size() - kAt));
  std::size_t i = 0;
  while (i < chars.size() && IsSpace(chars[i]))
    ++i;
  if (i == chars.size() || !IsDigit(chars[i])) return std::nullopt;
  unsigned value = 0;
  for (; i < chars.size() && IsDigit(chars[i]); ++i)
    value = value * 10 + (chars[i] - '0');
  return value;
}

// A hexadecimal field of a record, read from exactly its own characters: white space first, an
// optional sign, then hexadecimal digits up to the end of the field. Anything else is not a number.
std::optional<std::int64_t> ReadHexField(std::span<const std::uint8_t> chars) {
  std::size_t i = 0;
  while (i < chars.size() && IsSpace(chars[i]))
    ++i;
  bool negative = false;
  if (i < chars.size() && (chars[i] == '+' || chars[i] == '-')) negative = chars[i++] == '-';
  if (i == chars.size()) return std::nullopt;
  std::int64_t value = 0;
  for (; i < chars.size(); ++i) {
    const int d = HexDigitValue(chars[i]);
    if (d < 0) return std::nullopt;
    value = value * 16 + d;
  }
  return negative ? -value : value;
}

// A field's characters for a message: printable ASCII as it is, anything else as \xNN, so that a
// damaged record cannot put control characters on the user's terminal.
std::string FieldText(std::span<const std::uint8_t> chars) {
  std::string text;
  for (const std::uint8_t c : chars) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      text += static_cast<char>(c);
    } else {
      text += "\\x" + HexText(c, 2, HexCase::Lower);
    }
  }
  return text;
}

// The first byte address that two lines give different values, as the reason for the refusal; empty
// when there is none. The controller takes the line written last, so the other line's verify would
// fail however often the update is installed.
std::string ConflictingLines(const FirmwareImage& lines) {
  constexpr std::size_t kAddresses = std::size_t{kFirmwareTop} + kFirmwareLineMax;
  std::vector<std::int32_t> owner(kAddresses, -1);  // the record that gave each address first
  std::vector<std::uint8_t> value(kAddresses);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const pgmline_& line = lines[i];
    for (std::uint32_t k = 0; k < line.cnt; ++k) {
      const std::uint32_t address = line.Adres + k;
      if (owner[address] < 0) {
        owner[address] = static_cast<std::int32_t>(i);
        value[address] = line.code[k];
      } else if (value[address] != line.code[k]) {
        return "record " + std::to_string(i) + ": address 0x" + HexText(address, 5) + " again, with 0x" +
               HexText(line.code[k], 2) + " where record " + std::to_string(owner[address]) + " has 0x" +
               HexText(value[address], 2);
      }
    }
  }
  return {};
}

std::uint32_t Word32(std::span<const std::uint8_t> at) {
  return Le32(at.data());
}

}  // namespace

const char* UpdateFailure::Caption() const {
  return FileFailureCaption(kind == Missing);
}

Message UpdateFailure::BoxText() const {
  return reason.empty() ? text : Message::Lines({text, Message::Text(reason)});
}

UpdateFailure MakeUpdateFailure(UpdateFailure::Kind kind, std::string reason) {
  switch (kind) {
    case UpdateFailure::Missing:
      return MissingUpdateFile("");
    case UpdateFailure::OpenFailed:
      return {kind, Texts::kOpenFailed, std::move(reason)};
    case UpdateFailure::BadContent:
      return {kind, Texts::kBadContent, std::move(reason)};
    case UpdateFailure::UnexpectedEnd:
      return {kind, Texts::kUnexpectedEnd, std::move(reason)};
    case UpdateFailure::BadLength:
      return {kind, Texts::kBadLength, std::move(reason)};
    case UpdateFailure::NoMemory:
      return {kind, Texts::kNoMemory, std::move(reason)};
    case UpdateFailure::ReadFailed:
      return {kind, Texts::kFileReadFailed, std::move(reason)};
    case UpdateFailure::BadChecksum:
      break;
  }
  return {UpdateFailure::BadChecksum, Message::Lines({Texts::kBadContent, Texts::kBadChecksum}),
          std::move(reason)};
}

UpdateFailure MissingUpdateFile(std::string_view path) {
  return {UpdateFailure::Missing, Message(Texts::kFileMissing, {std::string(path)})};
}

std::optional<UpdateFailure> DecodeUpdateHead(std::span<const std::uint8_t> file, UpdateHead& head) {
  std::size_t pos = 0;
  const auto header = ReadLine(file, pos);
  if (!std::ranges::equal(header, kUpdateHeaderLine, {}, {},
                          [](char c) { return static_cast<std::uint8_t>(c); })) {
    return MakeUpdateFailure(UpdateFailure::BadContent,
                             "the first line is not the header line 'Firmware Qz418 Kavira-Oxbrine'");
  }
  const std::string badVersion = "the second line is not 'Wersja M.mm'";
  const auto version = ReadLine(file, pos);
  const std::size_t prefix = kUpdateVersionPrefix.size();
  if (version.size() <= prefix ||
      !std::ranges::equal(version.first(prefix), kUpdateVersionPrefix, {}, {},
                          [](char c) { return static_cast<std::uint8_t>(c); }) ||
      !IsDigit(version[prefix])) {
    return MakeUpdateFailure(UpdateFailure::BadContent, badVersion);
  }
  const std::optional<unsigned> minor = ReadMinor(version);
  if (!minor) return MakeUpdateFailure(UpdateFailure::BadContent, badVersion);

  head.major = version[prefix] - '0';
  head.minor = *minor;
  head.newFWV = std::to_string(head.major) + '.' + (head.minor < 10 ? "0" : "") + std::to_string(head.minor);
  head.freeAt = pos;
  return std::nullopt;
}

bool DecodeUpdateRecord(std::span<const std::uint8_t, kUpdateRecordBytes> stored, std::uint32_t index,
                        pgmline_& line, std::string* why) {
  std::array<std::uint8_t, kUpdateRecordBytes> text{};
  for (std::size_t j = 0; j < kUpdateRecordBytes; ++j)
    text[j] = Unscramble(stored[j], UpdateKey(index, j));
  const std::span<const std::uint8_t> t(text);
  auto refuse = [&](const std::string& field, std::size_t at, std::size_t size, const char* range) {
    if (why != nullptr) {
      *why = "record " + std::to_string(index) + ": the " + field + " is '" + FieldText(t.subspan(at, size)) +
             "', not a hexadecimal number " + range;
    }
    return false;
  };

  const auto cnt = ReadHexField(t.subspan(kRecordCntAt, 2));
  const auto adres = ReadHexField(t.subspan(kRecordAdresAt, 5));
  if (!cnt || *cnt < 0 || *cnt > kFirmwareLineMax) return refuse("count field", kRecordCntAt, 2, "00-10");
  if (!adres || *adres < 0 || *adres > kFirmwareTop)
    return refuse("address field", kRecordAdresAt, 5, "00000-1E000");
  line.cnt = static_cast<std::uint32_t>(*cnt);
  line.Adres = static_cast<std::uint32_t>(*adres);
  // All 16 code bytes are present and checked, whatever the count says.
  for (std::size_t k = 0; k < kFirmwareLineMax; ++k) {
    const std::size_t at = kRecordCodeAt + 2 * k;
    const auto value = ReadHexField(t.subspan(at, 2));
    if (!value || *value < 0 || *value > 0xFF)
      return refuse("code byte at offset " + std::to_string(at), at, 2, "00-FF");
    line.code[k] = static_cast<std::uint8_t>(*value);
  }
  return true;
}

std::optional<UpdateFailure> DecodeUpdateBody(std::span<const std::uint8_t> file, const UpdateHead& head,
                                              UpdateBody& body) {
  // The free text ends with the first 0 byte; the body header follows it.
  const std::size_t from = std::min(head.freeAt, file.size());
  const auto zero = std::find(file.begin() + static_cast<std::ptrdiff_t>(from), file.end(), 0);
  if (zero == file.end()) {
    return MakeUpdateFailure(UpdateFailure::UnexpectedEnd,
                             "no 0 byte ends the free text after the version line");
  }
  const auto at = static_cast<std::size_t>(zero - file.begin()) + 1;
  const std::string cutOff = "the body header is cut off after " + std::to_string(file.size() - at) +
                             " of its " + std::to_string(kUpdateBodyHeaderBytes) + " bytes";

  // stpos names its own offset: a check that the head was read as its producer wrote it.
  if (file.size() - at < 4) return MakeUpdateFailure(UpdateFailure::BadContent, cutOff);
  const std::uint32_t stpos = Word32(file.subspan(at, 4));
  if (stpos != at) {
    return MakeUpdateFailure(UpdateFailure::BadContent, "the body header gives its own offset as " +
                                                            std::to_string(stpos) + "; it is at " +
                                                            std::to_string(at));
  }
  if (file.size() - at < kUpdateBodyHeaderBytes) return MakeUpdateFailure(UpdateFailure::BadLength, cutOff);
  const std::uint32_t lncnt = Word32(file.subspan(at + 4, 4));
  const std::uint32_t GSum = Word32(file.subspan(at + 8, 4));

  // The length is checked before anything is allocated, so lncnt cannot ask for more memory than
  // the file itself takes.
  const std::size_t bodyBytes = file.size() - at - kUpdateBodyHeaderBytes;
  const std::size_t records = bodyBytes / kUpdateRecordBytes;
  if (records != lncnt) {
    return MakeUpdateFailure(UpdateFailure::BadLength, "the body header says " + std::to_string(lncnt) +
                                                           " records; the " + std::to_string(bodyBytes) +
                                                           " bytes after it hold " + std::to_string(records));
  }
  // No lines: nothing to install, and the engine always sends line 0.
  if (lncnt == 0) return MakeUpdateFailure(UpdateFailure::BadContent, "the body header says 0 records");

  FirmwareImage lines;
  try {
    lines.resize(lncnt);
  } catch (const std::bad_alloc&) {
    return MakeUpdateFailure(UpdateFailure::NoMemory);
  }

  std::uint32_t CkSum = 0;
  const std::span<const std::uint8_t> records_bytes = file.subspan(at + kUpdateBodyHeaderBytes);
  for (std::uint32_t i = 0; i < lncnt; ++i) {
    const auto stored =
        records_bytes.subspan(std::size_t{i} * kUpdateRecordBytes).first<kUpdateRecordBytes>();
    for (std::uint8_t b : stored)
      CkSum += b;
    std::string why;
    if (!DecodeUpdateRecord(stored, i, lines[i], &why))
      return MakeUpdateFailure(UpdateFailure::BadContent, why);
  }
  if (CkSum != GSum) {
    return MakeUpdateFailure(UpdateFailure::BadChecksum, "the records' bytes add up to 0x" +
                                                             HexText(CkSum, 8) + "; the body header says 0x" +
                                                             HexText(GSum, 8));
  }
  if (std::string conflict = ConflictingLines(lines); !conflict.empty())
    return MakeUpdateFailure(UpdateFailure::BadContent, std::move(conflict));

  body.stpos = stpos;
  body.lncnt = lncnt;
  body.GSum = GSum;
  body.lines = std::move(lines);
  return std::nullopt;
}

std::optional<UpdateFailure> DecodeUpdateFile(std::span<const std::uint8_t> file, UpdateHead& head,
                                              UpdateBody& body) {
  if (auto failure = DecodeUpdateHead(file, head)) return failure;
  return DecodeUpdateBody(file, head, body);
}

std::string OldFirmwareVersion(const LinkState& link) {
  constexpr std::size_t kPrefix = 6;  // "\tFW : "
  return link.HFirmWareVer.size() > kPrefix ? link.HFirmWareVer.substr(kPrefix) : std::string();
}

bool IsDowngrade(std::string_view newFWV, std::string_view oldFWV) {
  // "N/A" (never read) and question marks (a version that cannot be shown) are no version to compare.
  if (oldFWV.find_first_of("?N") != std::string_view::npos) return false;
  return newFWV.compare(oldFWV) <= 0;
}

bool VersionsDiffer(std::string_view newFWV, std::string_view oldFWV) {
  return newFWV.substr(0, 4) != oldFWV.substr(0, 4);
}

std::optional<FirmwareImage> LoadUpdate(int ver_only, std::string_view oldFWV, Host& host,
                                        FileDialogState& dialog) {
  host.setStatusText(kPartArea, AreaText(_upg_));
  host.setStatusText(kPartAction, Texts::kPreparing);

  dialog.Tytul = Texts::kChooseUpdateFile;
  dialog.filterIndex = 4;
  dialog.NazwaPliku.clear();
  dialog.flags = kOpenFlags;
  const std::optional<std::string> chosen = host.chooseFile(dialog.Request(false));
  if (!chosen) return std::nullopt;
  dialog.NazwaPliku = *chosen;

  // The reason, where there is one, goes on a line of its own under the program's message.
  auto fail = [&host](UpdateFailure failure,
                      const std::error_code& reason = {}) -> std::optional<FirmwareImage> {
    if (reason) failure.reason = reason.message();
    host.messageBox(failure.BoxText(), failure.Caption(), Buttons::Ok, Icon::Information,
                    MessageKind::FileFailure);
    return std::nullopt;
  };
  auto ask = [&host](const Message& text, const char* caption) {
    return host.messageBox(text, caption, Buttons::YesNo, Icon::Question, MessageKind::Question) ==
           Answer::Yes;
  };

  const std::filesystem::path path = PathFromUtf8(dialog.NazwaPliku);
  FileKind kind = FileKind::Missing;
  std::error_code ec = SystemFileSystem().Kind(path, kind);
  if (!ec && kind == FileKind::Missing) return fail(MissingUpdateFile(dialog.NazwaPliku));
  if (ec) return fail(MakeUpdateFailure(UpdateFailure::OpenFailed), Utf8Error(ec));
  std::vector<std::uint8_t> file;
  switch (ReadFilePrefix(path, kUpdateFileLimit + 1, file, &ec)) {
    case ReadOutcome::OpenFailed:
      return fail(MakeUpdateFailure(UpdateFailure::OpenFailed), ec);
    case ReadOutcome::ReadFailed:
      return fail(MakeUpdateFailure(UpdateFailure::ReadFailed), ec);
    case ReadOutcome::Ok:
      break;
  }
  const bool tooLong = file.size() > kUpdateFileLimit;

  UpdateHead head;
  if (auto failure = DecodeUpdateHead(file, head)) return fail(*failure);

  const std::string old(oldFWV);
  if (ver_only == 0) {
    if (!ask(Message(Texts::kAskInstall, {head.newFWV}), Texts::kCaptionSure)) {
      return std::nullopt;
    }
    if (IsDowngrade(head.newFWV, old) &&
        !ask(Message(Texts::kAskDowngrade, {old, head.newFWV}), Texts::kCaptionDowngrade)) {
      return std::nullopt;
    }
  } else if (VersionsDiffer(head.newFWV, old) &&
             !ask(Message(Texts::kOtherVersion, {head.newFWV}), Texts::kCaptionDifferent)) {
    return std::nullopt;
  }

  if (tooLong) {
    return fail(MakeUpdateFailure(UpdateFailure::BadLength,
                                  "the file is larger than " + std::to_string(kUpdateFileLimit) + " bytes"));
  }
  UpdateBody body;
  if (auto failure = DecodeUpdateBody(file, head, body)) return fail(*failure);
  return std::move(body.lines);
}

bool InitUpdate(int ver_only, TransferEngine& engine, Host& host, FileDialogState& dialog) {
  std::optional<FirmwareImage> lines = LoadUpdate(ver_only, OldFirmwareVersion(engine.link()), host, dialog);
  if (!lines) return false;
  engine.startFirmware(std::move(*lines), ver_only != 0);
  host.setStatusText(kPartAction, Texts::kUpdating);
  return true;
}

}  // namespace kavira
