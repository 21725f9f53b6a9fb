// The undo journal of the changes walks: before a block of the controller is overwritten, its previous
// 128 bytes are appended to the journal and flushed to the disk, so the journal holds every block a
// write may have changed, whatever stops it (a crash, a power cut, a pulled cable). Undo writes them
// back. The format is described in docs/journal-format.md:
//
//   header  "KVOBJRNL", u16 format version, u16 header size, u8 source, u8 all, u16 from unit,
//           u16 to unit, i64 creation time (seconds since 1970, UTC), u8 length + firmware text,
//           u32 CRC-32 of everything before it
//   record  u16 block, 128 data bytes, u32 CRC-32 of the block number and the data
//
// Numbers are little-endian. Journals live in one folder, named by the time of their creation
// ("2026-12-08_14-03-59.K3j", "-2" and so on after it when two fall in the same second).
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "files/file_system.h"
#include "link/frames.h"

namespace kavira {

inline constexpr const char* kJournalExtension = "K3j";
inline constexpr std::size_t kJournalsKept = 50;
inline constexpr std::uint16_t kJournalFormatVersion = 1;
inline constexpr std::size_t kJournalRecordSize = 2 + kBlockBytes + 4;

// Where the previous content of the blocks came from.
enum class JournalSource : std::uint8_t {
  Controller = 0,  // read from the controller in the walk that overwrote them
  OldImage = 1,    // taken from an image the user said the controller held (write --since)
  Undo = 2,        // read from the controller in an undo that overwrote them (an undo of an undo)
};

struct JournalHeader {
  JournalSource source = JournalSource::Controller;
  std::uint32_t from = 0;  // area: first and last unit (scene 0-1021, 1022 settings, 1023 MIDI)
  std::uint32_t to = 0;
  bool all = false;
  std::int64_t created = 0;  // seconds since 1970, UTC
  std::string firmware;      // the controller's version text, e.g. "1.05A" (may be empty)
};

struct JournalRecord {
  std::uint32_t block = 0;
  BlockData bytes{};
};

struct Journal {
  JournalHeader header;
  std::vector<JournalRecord> records;
  bool tailDropped = false;  // a record cut off at the very end was left out
};

// CRC-32 (IEEE 802.3, reflected, as zlib computes it).
std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

std::vector<std::uint8_t> EncodeJournalHeader(const JournalHeader& header);
std::vector<std::uint8_t> EncodeJournalRecord(std::uint32_t block, ByteView bytes);
// The journal in `bytes`; on failure nothing, and `error` says what is wrong (in English). A record
// cut off at the very end is dropped (a write that was stopped while it appended); any other damage,
// and a record for a block outside the journal's area, refuses the whole journal.
std::optional<Journal> DecodeJournal(std::span<const std::uint8_t> bytes, std::string* error);
std::optional<Journal> ReadJournal(FileSystem& system, const std::filesystem::path& path, std::string* error);

// The blocks of the area: from..to units, two blocks each.
bool BlockInArea(const JournalHeader& header, std::uint32_t block);

// A journal being written.
class JournalWriter {
 public:
  // Creates a new journal in `folder` (creating the folder too) named by `created`, and writes its
  // header. On failure nothing, and `error` says why (in English, with the path).
  static std::unique_ptr<JournalWriter> Create(FileSystem& system, const std::filesystem::path& folder,
                                               const JournalHeader& header, std::string* error);

  // Appends a record and (unless switched off) flushes it to the disk. Empty, or what went wrong.
  std::string append(std::uint32_t block, ByteView bytes);
  const std::filesystem::path& path() const { return path_; }
  std::size_t records() const { return records_; }
  // Flushing each record: on, except in the benchmark that measures what it costs.
  bool syncEachRecord = true;

 private:
  JournalWriter(std::unique_ptr<AppendFile> file, std::filesystem::path path)
      : file_(std::move(file)), path_(std::move(path)) {}
  std::unique_ptr<AppendFile> file_;
  std::filesystem::path path_;
  std::size_t records_ = 0;
};

// The journal name for a creation time: "YYYY-MM-DD_HH-MM-SS" in local time.
std::string JournalStem(std::int64_t created);
// The journals in `folder`, oldest first by the creation time each records (those whose header
// cannot be read first); empty when there is none or no folder.
std::vector<std::filesystem::path> ListJournals(FileSystem& system, const std::filesystem::path& folder);
// The journals of several folders together, in the same order.
std::vector<std::filesystem::path> ListJournals(FileSystem& system,
                                                std::span<const std::filesystem::path> folders);
// Removes the oldest journals beyond `keep` (call it after a write has succeeded), never `own`, the
// journal of the run that prunes. The number removed.
std::size_t PruneJournals(FileSystem& system, const std::filesystem::path& folder,
                          const std::filesystem::path& own, std::size_t keep = kJournalsKept);

// Where a block lies, in the controller's terms: "program 3 scene 7 (channels 1-128)", "settings
// (program ends, speeds, fades 1-32)", "MIDI (keys 0-63)".
std::string DescribeBlock(std::uint32_t block);
// Scene unit 0-1021 as the controller numbers it, "program:scene" from 1 ("1:1", "48:14").
std::string SceneUnitName(std::uint32_t unit);
// A journal's creation time in local time, "2026-12-08 14:03:59" (a time no calendar holds is said
// to be impossible).
std::string JournalTimeText(std::int64_t created);
// The area of a journal: "scenes 1:1-48:14", "settings", "MIDI", "all".
std::string DescribeJournalArea(const JournalHeader& header);

}  // namespace kavira
