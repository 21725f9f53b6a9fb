// Firmware update files ("qz418*.upg"): a text head with the firmware version, free text, and a body
// of scrambled 41-character line records with a checksum. docs/update-file-format.md describes the
// whole format for whoever produces update files.
//
// The decoder is pure (bytes in, lines or a failure with the program's message out). InitUpdate is
// the window program's flow around it: file dialog, questions, and the hand-over to the transfer
// engine's firmware starter. The whole body is decoded and checked before anything is sent, so a damaged file
// never reaches the controller.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "files/file_step.h"
#include "link/host.h"
#include "link/link_state.h"
#include "model/firmware_line.h"
#include "model/message.h"

namespace kavira {

class TransferEngine;

// The header line; the line feed that follows it is not part of the line.
inline constexpr std::string_view kUpdateHeaderLine = "Firmware Qz418 Kavira-Oxbrine \r";
inline constexpr std::string_view kUpdateVersionPrefix = "Wersja ";
// The head's lines are read up to a line feed, but at most this many bytes.
inline constexpr std::size_t kUpdateLineLimit = 259;
// stpos, lncnt and GSum: three 32-bit words, low byte first.
inline constexpr std::size_t kUpdateBodyHeaderBytes = 12;
inline constexpr std::size_t kUpdateRecordBytes = 41;
// Up to this many bytes after the last record are ignored.
inline constexpr std::size_t kUpdateTrailingMax = kUpdateRecordBytes - 1;

// Key byte of position `position` (0-40) of record `index`: (index mod kUpdateKeyModulus) + position,
// modulo 256. The producer of update files scrambles with the same modulus.
inline constexpr std::uint32_t kUpdateKeyModulus = 7;
constexpr std::uint8_t UpdateKey(std::uint32_t index, std::size_t position) {
  return static_cast<std::uint8_t>((index % kUpdateKeyModulus + position) & 0xFFU);
}
// A stored byte equal to its key stands for itself; any other is XORed with the key.
constexpr std::uint8_t Unscramble(std::uint8_t stored, std::uint8_t key) {
  return stored == key ? stored : static_cast<std::uint8_t>(stored ^ key);
}

// Fields of an unscrambled record: hexadecimal text.
inline constexpr std::size_t kRecordCntAt = 0;    // 2 characters, 0-16
inline constexpr std::size_t kRecordAdresAt = 2;  // 5 characters, at most 0x1E000
inline constexpr std::size_t kRecordSpareAt = 7;  // 2 characters, not interpreted
inline constexpr std::size_t kRecordCodeAt = 9;   // 16 x 2 characters

// Files larger than this are not read whole; they are refused as of the wrong length (a complete
// firmware of 0x1E010 bytes takes about 315 KB).
inline constexpr std::size_t kUpdateFileLimit = std::size_t{16} << 20;

struct UpdateFailure {
  enum Kind {
    Missing,        // "Plik ... nie istnieje !"
    OpenFailed,     // "Błąd otwarcia pliku !"
    BadContent,     // "Nieprawidłowa zawartość pliku !"
    UnexpectedEnd,  // "Nieoczekiwany koniec pliku !"
    BadLength,      // "Nieprawidłowa długość pliku !"
    NoMemory,       // "Błąd allokacji pamięci !"
    ReadFailed,     // "Błąd odczytu pliku !"
    BadChecksum,    // "Nieprawidłowa zawartość pliku !\nBłąd sumy kontrolnej !"
  } kind;
  Message text;
  // What is wrong and where ("record 5: the count field is '11', ..."), or the system's reason; in
  // English, as the reasons under the data-file messages. May be empty.
  std::string reason = {};

  // "Ostrzeżenie" for a missing file, "Niepowodzenie" otherwise; every box has the information icon.
  const char* Caption() const;
  // What the message box shows: the program's message and the reason on a line of its own.
  Message BoxText() const;
};

// The failure of `kind` with its message (Missing needs the path: use MissingUpdateFile) and reason.
UpdateFailure MakeUpdateFailure(UpdateFailure::Kind kind, std::string reason = {});
UpdateFailure MissingUpdateFile(std::string_view path);

// What the head gives: the version and where the free text begins.
struct UpdateHead {
  unsigned major = 0;
  unsigned minor = 0;
  std::string newFWV;  // "M.mm"
  std::size_t freeAt = 0;
};

struct UpdateBody {
  std::uint32_t stpos = 0;
  std::uint32_t lncnt = 0;
  std::uint32_t GSum = 0;
  FirmwareImage lines;
};

// Header and version lines.
std::optional<UpdateFailure> DecodeUpdateHead(std::span<const std::uint8_t> file, UpdateHead& head);
// Free text, body header, length, records and checksum; `head` from DecodeUpdateHead.
std::optional<UpdateFailure> DecodeUpdateBody(std::span<const std::uint8_t> file, const UpdateHead& head,
                                              UpdateBody& body);
// Both, for callers that ask no questions in between.
std::optional<UpdateFailure> DecodeUpdateFile(std::span<const std::uint8_t> file, UpdateHead& head,
                                              UpdateBody& body);

// One record: the stored bytes of record `index` unscrambled and parsed; false for invalid content,
// and then `why` (when given) says which field is wrong.
bool DecodeUpdateRecord(std::span<const std::uint8_t, kUpdateRecordBytes> stored, std::uint32_t index,
                        pgmline_& line, std::string* why = nullptr);

// The controller's version as text: HFirmWareVer without its "\tFW : " prefix ("N/A" before a read).
std::string OldFirmwareVersion(const LinkState& link);
// Installing `newFWV` over a known `oldFWV` that is the same or higher (byte-wise comparison).
bool IsDowngrade(std::string_view newFWV, std::string_view oldFWV);
// The versions differ in their first four characters.
bool VersionsDiffer(std::string_view newFWV, std::string_view oldFWV);

// The update loader up to the hand-over: the status texts, the file dialog, the header checks, the
// questions (comparing the file's version with `oldFWV`, the controller's), the body checks. The
// decoded lines, or nothing after a cancel, a declined question or a failure (its box shown).
std::optional<FirmwareImage> LoadUpdate(int ver_only, std::string_view oldFWV, Host& host,
                                        FileDialogState& dialog);

// Installs (`ver_only` 0) or only verifies (`ver_only` 1) firmware from an update file the user
// chooses: LoadUpdate, then the hand-over to the engine's firmware starter (which purges the port) and
// "\tAktualizowanie" in the status bar. Returns whether the engine was started; otherwise the link
// is as it was.
bool InitUpdate(int ver_only, TransferEngine& engine, Host& host, FileDialogState& dialog);

}  // namespace kavira
