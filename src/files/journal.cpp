#include "files/journal.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "files/path_text.h"
#include "model/little_endian.h"
#include "model/numbering.h"

namespace kavira {
namespace {

constexpr std::array<std::uint8_t, 8> kMagic{'K', 'V', 'O', 'B', 'J', 'R', 'N', 'L'};
// Magic, version, header size: the part before the header proper.
constexpr std::size_t kLeadSize = kMagic.size() + 2 + 2;
// The fixed part of the header proper: source, all, from, to, created, firmware length.
constexpr std::size_t kFixedHeader = 1 + 1 + 2 + 2 + 8 + 1;
constexpr std::size_t kMaxFirmwareText = 64;
// A journal holds each block of one walk once; an undo of an undo at most that again. Anything far
// larger is no journal.
constexpr std::size_t kMaxRecords = std::size_t{4} * kBlockCount;

std::string Why(const std::filesystem::path& path, const std::string& what, std::error_code e) {
  return PathToUtf8(path) + ": " + what + ": " + e.message();
}

}  // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc) {
  static const auto kTable = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k)
        c = (c & 1U) != 0 ? 0xEDB88320U ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (const std::uint8_t b : bytes)
    crc = kTable[(crc ^ b) & 0xFFU] ^ (crc >> 8);
  return ~crc;
}

std::vector<std::uint8_t> EncodeJournalHeader(const JournalHeader& header) {
  const std::string firmware = header.firmware.substr(0, kMaxFirmwareText);
  std::vector<std::uint8_t> out(kMagic.begin(), kMagic.end());
  AppendLe16(out, kJournalFormatVersion);
  AppendLe16(out, static_cast<std::uint32_t>(kFixedHeader + firmware.size() + 4));
  out.push_back(static_cast<std::uint8_t>(header.source));
  out.push_back(header.all ? 1 : 0);
  AppendLe16(out, header.from);
  AppendLe16(out, header.to);
  const auto created = static_cast<std::uint64_t>(header.created);
  AppendLe32(out, static_cast<std::uint32_t>(created & 0xFFFFFFFFU));
  AppendLe32(out, static_cast<std::uint32_t>(created >> 32));
  out.push_back(static_cast<std::uint8_t>(firmware.size()));
  out.insert(out.end(), firmware.begin(), firmware.end());
  AppendLe32(out, Crc32(out));
  return out;
}

std::vector<std::uint8_t> EncodeJournalRecord(std::uint32_t block, ByteView bytes) {
  std::vector<std::uint8_t> out(kJournalRecordSize);
  PutLe16(out.data(), block);
  std::copy_n(bytes.begin(), kBlockBytes, out.begin() + 2);
  PutLe32(out.data() + 2 + kBlockBytes, Crc32(std::span(out).first(2 + kBlockBytes)));
  return out;
}

bool BlockInArea(const JournalHeader& header, std::uint32_t block) {
  return block < kBlockCount && block >= 2 * header.from && block <= 2 * header.to + 1;
}

namespace {

// The header at the start of `bytes`; `end` gets where the records begin. On failure nothing, and
// `error` says what is wrong.
std::optional<JournalHeader> DecodeHeader(std::span<const std::uint8_t> bytes, std::size_t& end,
                                          std::string& error) {
  auto fail = [&](std::string text) {
    error = std::move(text);
    return std::nullopt;
  };
  if (bytes.size() < kLeadSize || !std::equal(kMagic.begin(), kMagic.end(), bytes.begin()))
    return fail("not an undo journal (its first bytes are not KVOBJRNL)");
  const std::uint32_t version = Le16(bytes.data() + 8);
  if (version != kJournalFormatVersion) {
    return fail("journal format " + std::to_string(version) + ", this program reads format " +
                std::to_string(kJournalFormatVersion));
  }
  const std::size_t headerSize = Le16(bytes.data() + 10);
  if (headerSize < kFixedHeader + 4 || bytes.size() < kLeadSize + headerSize)
    return fail("the journal's header is cut off or damaged");
  const std::uint8_t* h = bytes.data() + kLeadSize;
  const std::size_t firmwareLength = h[kFixedHeader - 1];
  if (kFixedHeader + firmwareLength + 4 != headerSize) return fail("the journal's header is damaged");
  const std::size_t crcAt = kLeadSize + headerSize - 4;
  if (Crc32(bytes.first(crcAt)) != Le32(bytes.data() + crcAt))
    return fail("the journal's header is damaged (checksum mismatch)");

  JournalHeader header;
  if (h[0] > 2) return fail("the journal's header is damaged (unknown source " + std::to_string(h[0]) + ")");
  header.source = static_cast<JournalSource>(h[0]);
  header.all = h[1] != 0;
  header.from = Le16(h + 2);
  header.to = Le16(h + 4);
  header.created = static_cast<std::int64_t>(Le32(h + 6) | (std::uint64_t{Le32(h + 10)} << 32));
  header.firmware.assign(reinterpret_cast<const char*>(h + kFixedHeader), firmwareLength);
  if (header.from > header.to || header.to > kMidiUnit) {
    return fail("the journal's area (units " + std::to_string(header.from) + "-" + std::to_string(header.to) +
                ") is not an area of the controller");
  }
  end = kLeadSize + headerSize;
  return header;
}

}  // namespace

std::optional<Journal> DecodeJournal(std::span<const std::uint8_t> bytes, std::string* error) {
  auto fail = [&](std::string text) {
    if (error != nullptr) *error = std::move(text);
    return std::nullopt;
  };
  Journal journal;
  std::size_t headerEnd = 0;
  std::string why;
  auto decoded = DecodeHeader(bytes, headerEnd, why);
  if (!decoded) return fail(std::move(why));
  journal.header = std::move(*decoded);
  const JournalHeader& header = journal.header;

  std::span<const std::uint8_t> rest = bytes.subspan(headerEnd);
  while (!rest.empty()) {
    if (rest.size() < kJournalRecordSize) {
      // A record cut off at the very end: the write stopped while it was being appended, before
      // its block was sent.
      journal.tailDropped = true;
      break;
    }
    const std::size_t index = journal.records.size();
    if (index >= kMaxRecords) return fail("the journal holds too many records");
    const std::span<const std::uint8_t> r = rest.first(kJournalRecordSize);
    if (Crc32(r.first(kJournalRecordSize - 4)) != Le32(r.data() + kJournalRecordSize - 4))
      return fail("record " + std::to_string(index + 1) + " is damaged (checksum mismatch)");
    JournalRecord record;
    record.block = Le16(r.data());
    if (!BlockInArea(header, record.block)) {
      return fail("record " + std::to_string(index + 1) + " is for block " + std::to_string(record.block) +
                  ", outside the journal's area (" + DescribeJournalArea(header) + ")");
    }
    std::copy_n(r.begin() + 2, kBlockBytes, record.bytes.begin());
    journal.records.push_back(record);
    rest = rest.subspan(kJournalRecordSize);
  }
  return journal;
}

std::optional<Journal> ReadJournal(FileSystem& system, const std::filesystem::path& path,
                                   std::string* error) {
  std::vector<std::uint8_t> bytes;
  bool opened = false;
  const std::size_t limit = kLeadSize + 0xFFFF + (kMaxRecords + 1) * kJournalRecordSize;
  if (const auto e = system.ReadPrefix(path, limit + 1, bytes, opened)) {
    if (error != nullptr) *error = Why(path, "cannot read the journal", e);
    return std::nullopt;
  }
  if (bytes.size() > limit) {
    if (error != nullptr) *error = PathToUtf8(path) + ": too large for an undo journal";
    return std::nullopt;
  }
  std::string why;
  auto journal = DecodeJournal(bytes, &why);
  if (!journal && error != nullptr) *error = PathToUtf8(path) + ": " + why;
  return journal;
}

std::string JournalStem(std::int64_t created) {
  const auto t = static_cast<std::time_t>(created);
  const std::tm local = LocalTime(t);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d_%H-%M-%S", &local);
  return text;
}

std::unique_ptr<JournalWriter> JournalWriter::Create(FileSystem& system, const std::filesystem::path& folder,
                                                     const JournalHeader& header, std::string* error) {
  auto fail = [&](std::string text) {
    if (error != nullptr) *error = std::move(text);
    return nullptr;
  };
  if (const auto e = system.CreateFolders(folder))
    return fail(Why(folder, "cannot create the journal folder", e));
  const std::string stem = JournalStem(header.created);
  const std::vector<std::uint8_t> head = EncodeJournalHeader(header);
  for (int n = 1; n < 1000; ++n) {
    const std::string name =
        stem + (n == 1 ? std::string() : "-" + std::to_string(n)) + "." + kJournalExtension;
    const std::filesystem::path path = folder / name;
    std::unique_ptr<AppendFile> file;
    const std::error_code e = system.CreateAppendFile(path, file);
    if (e == std::errc::file_exists) continue;
    if (e) return fail(Why(path, "cannot create the undo journal", e));
    std::error_code written = file->Append(head);
    if (!written) written = file->Sync();
    if (written) {
      file.reset();
      system.Remove(path);
      return fail(Why(path, "cannot write the undo journal", written));
    }
    return std::unique_ptr<JournalWriter>(new JournalWriter(std::move(file), path));
  }
  return fail(PathToUtf8(folder) + ": cannot create the undo journal: too many journals named " + stem);
}

std::string JournalWriter::append(std::uint32_t block, ByteView bytes) {
  if (bytes.size() < kBlockBytes)
    return PathToUtf8(path_) + ": a block of " + std::to_string(bytes.size()) + " bytes";
  std::error_code e = file_->Append(EncodeJournalRecord(block, bytes));
  if (!e && syncEachRecord) e = file_->Sync();
  if (e) return Why(path_, "cannot write the undo journal", e);
  ++records_;
  return {};
}

namespace {

// The creation time a journal records, or nothing when its header cannot be read.
std::optional<std::int64_t> RecordedCreation(FileSystem& system, const std::filesystem::path& path) {
  // The longest header: the lead, the fixed part, 255 bytes of firmware text and the checksum.
  constexpr std::size_t kLongestHeader = kLeadSize + kFixedHeader + 255 + 4;
  std::vector<std::uint8_t> bytes;
  bool opened = false;
  if (system.ReadPrefix(path, kLongestHeader, bytes, opened)) return std::nullopt;
  std::size_t end = 0;
  std::string error;
  const auto header = DecodeHeader(bytes, end, error);
  if (!header) return std::nullopt;
  return header->created;
}

}  // namespace

std::vector<std::filesystem::path> ListJournals(FileSystem& system, const std::filesystem::path& folder) {
  return ListJournals(system, std::span<const std::filesystem::path>(&folder, 1));
}

std::vector<std::filesystem::path> ListJournals(FileSystem& system,
                                                std::span<const std::filesystem::path> folders) {
  const std::string ext = std::string(".") + kJournalExtension;
  struct Entry {
    std::filesystem::path path;
    std::optional<std::int64_t> created;
    std::string stem;
  };
  std::vector<Entry> journals;
  for (const std::filesystem::path& folder : folders) {
    std::vector<std::filesystem::path> names;
    if (system.ListFiles(folder, names)) continue;
    for (const auto& name : names) {
      const std::string text = PathToUtf8(name);
      // Only the program's own names: a date and time, perhaps a number after it.
      if (text.size() >= 19 + ext.size() && text.ends_with(ext) && text[4] == '-' && text[10] == '_' &&
          std::isdigit(static_cast<unsigned char>(text[0])) != 0) {
        const std::filesystem::path path = folder / name;
        journals.push_back({path, RecordedCreation(system, path), PathToUtf8(name.stem())});
      }
    }
  }
  // The names are local times, which a change of time zone, the end of summer time or a clock set
  // back puts out of order: the time each journal records decides, in seconds since 1970. Journals
  // whose header cannot be read come first. Within a second the names decide: "-2" sorts after the
  // bare name, and "-10" after "-9".
  std::sort(journals.begin(), journals.end(), [](const Entry& a, const Entry& b) {
    if (a.created != b.created) return a.created < b.created;
    const std::string xd = a.stem.substr(0, 19);
    const std::string yd = b.stem.substr(0, 19);
    if (xd != yd) return xd < yd;
    const auto n = [](const std::string& s) { return s.size() > 20 ? std::atol(s.c_str() + 20) : 1L; };
    return n(a.stem) < n(b.stem);
  });
  std::vector<std::filesystem::path> paths;
  paths.reserve(journals.size());
  for (Entry& e : journals)
    paths.push_back(std::move(e.path));
  return paths;
}

std::size_t PruneJournals(FileSystem& system, const std::filesystem::path& folder,
                          const std::filesystem::path& own, std::size_t keep) {
  const auto journals = ListJournals(system, folder);
  std::size_t removed = 0;
  std::size_t excess = journals.size() > keep ? journals.size() - keep : 0;
  for (const auto& journal : journals) {
    if (excess == 0) break;
    // The run's own journal is the newest whatever the clock said when it began.
    if (journal.filename() == own.filename()) continue;
    --excess;
    if (!system.Remove(journal)) ++removed;
  }
  if (removed > 0) system.SyncFolder(folder);
  return removed;
}

std::string DescribeBlock(std::uint32_t block) {
  if (block < kFirstSettingsBlock) {
    const unsigned rel = Abs2Rel(block / 2);
    const std::string half = block % 2 == 0 ? "channels 1-128" : "channels 129-256";
    if (rel == kInvalid) return "scene " + std::to_string(block / 2) + " (" + half + ")";
    return "program " + std::to_string(ProgramOf(rel) + 1) + " scene " + std::to_string(SceneOf(rel) + 1) +
           " (" + half + ")";
  }
  if (block == kFirstSettingsBlock) return "settings (program ends, speeds, fades 1-32)";
  if (block == kSecondSettingsBlock) return "settings (fades 33-48, special keys, collections)";
  if (block < kBlockCount) return block == kFirstMidiBlock ? "MIDI (keys 0-63)" : "MIDI (keys 64-127)";
  return "block " + std::to_string(block);
}

std::string SceneUnitName(std::uint32_t unit) {
  const unsigned rel = Abs2Rel(unit);
  return rel == kInvalid ? std::to_string(unit)
                         : std::to_string(ProgramOf(rel) + 1) + ":" + std::to_string(SceneOf(rel) + 1);
}

std::string JournalTimeText(std::int64_t created) {
  // No journal is older than 1970, and the calendars of the systems end in the year 3000 (Windows)
  // or 9999: a time outside is a damaged or crafted header, not a date.
  constexpr std::int64_t kYear3000 = 32503680000;
  if (created < 0 || created >= kYear3000)
    return "an impossible time (" + std::to_string(created) + " seconds since 1970)";
  const std::string stem = JournalStem(created);  // YYYY-MM-DD_HH-MM-SS
  std::string text = stem.substr(0, 10) + " " + stem.substr(11);
  for (std::size_t i = 11; i < text.size(); ++i)
    if (text[i] == '-') text[i] = ':';
  return text;
}

std::string DescribeJournalArea(const JournalHeader& header) {
  if (header.all) return "all";
  if (header.from == kSettingsUnit && header.to == kSettingsUnit) return "settings";
  if (header.from == kMidiUnit && header.to == kMidiUnit) return "MIDI";
  if (header.to <= kLastScene) return "scenes " + SceneUnitName(header.from) + "-" + SceneUnitName(header.to);
  return "units " + std::to_string(header.from) + "-" + std::to_string(header.to);
}

}  // namespace kavira
