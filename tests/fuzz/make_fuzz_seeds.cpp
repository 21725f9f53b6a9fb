// Writes seed inputs for the fuzz targets: <folder>/update (update files), <folder>/reply (replies),
// <folder>/journal (undo journals) and <folder>/hex (Intel HEX images).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

#include "files/journal.h"
#include "files/update_packer.h"
#include "link/frames.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Write(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The fuzz input for a reply: the request's address, kind and line count, then the reply frame.
Bytes Reply(std::uint32_t adres, std::uint8_t kind, std::uint8_t lineCnt, Bytes frame) {
  frame.push_back(0);
  frame.back() = static_cast<std::uint8_t>(kavira::CheckSumCnt(frame));
  Bytes input{static_cast<std::uint8_t>(adres & 0xFF), static_cast<std::uint8_t>((adres >> 8) & 0xFF),
              static_cast<std::uint8_t>(adres >> 16), kind, lineCnt};
  input.insert(input.end(), frame.begin(), frame.end());
  return input;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kavira;
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds FOLDER\n");
    return 2;
  }
  const std::filesystem::path root = argv[1];
  std::filesystem::create_directories(root / "update");
  std::filesystem::create_directories(root / "reply");
  std::filesystem::create_directories(root / "journal");
  std::filesystem::create_directories(root / "hex");

  FirmwareImage lines;
  for (std::uint32_t i = 0; i < 9; ++i) {
    pgmline_ line{i * 16, 16 - i, {}};
    for (std::size_t k = 0; k < kFirmwareLineMax; ++k)
      line.code[k] = static_cast<std::uint8_t>(i * 31 + k);
    lines.push_back(line);
  }
  lines.push_back({kFirmwareTop, 3, {1, 2, 3}});
  Write(root / "update" / "nine-lines", BuildUpdateFile(lines, {2, 7}, "release notes\r\n"));
  Write(root / "update" / "one-line", BuildUpdateFile(std::span(lines).first(1), {1, 5}));
  Bytes trailing = BuildUpdateFile(std::span(lines).first(2), {9, 99}, "x");
  trailing.insert(trailing.end(), 40, 0xAA);
  Write(root / "update" / "trailing", trailing);

  Bytes scene{kCmdData, kSpaceImage, 0x14, 0x00, 0x80};
  for (int k = 0; k < 128; ++k)
    scene.push_back(static_cast<std::uint8_t>(k));
  Write(root / "reply" / "scene-block", Reply(20, 0, 0, scene));
  Bytes settings{kCmdData, kSpaceImage, 0xFD, 0x07, 0x80};
  settings.resize(5 + 128, 0xFF);
  Write(root / "reply" / "settings-block", Reply(2045, 1, 0, settings));
  Write(root / "reply" / "version", Reply(0, 2, 0, {kCmdData, kSpaceVersion, 0, 0, 3, 5, 1, 0x41}));
  Write(root / "reply" / "firmware-line",
        Reply(0x1E000, 3, 3, {kCmdData, kSpaceFirmware | kSpaceHighBit, 0x00, 0xE0, 3, 1, 2, 3}));
  Write(root / "reply" / "nak", Reply(0, 0, 0, {kCmdNak, 0x03}));

  // A journal of the settings with both blocks, and one of scenes whose last record is cut off.
  Bytes settingsJournal =
      EncodeJournalHeader({JournalSource::Controller, 1022, 1022, false, 1765200000, "1.05A"});
  for (std::uint32_t block : {2044U, 2045U}) {
    const Bytes record = EncodeJournalRecord(block, BlockData{});
    settingsJournal.insert(settingsJournal.end(), record.begin(), record.end());
  }
  Write(root / "journal" / "settings", settingsJournal);
  Bytes scenesJournal = EncodeJournalHeader({JournalSource::OldImage, 0, 20, false, 0, ""});
  const Bytes record = EncodeJournalRecord(7, BlockData{});
  scenesJournal.insert(scenesJournal.end(), record.begin(), record.begin() + 60);
  Write(root / "journal" / "cut-off", scenesJournal);

  // Data, an extended linear address, a start address and the end.
  auto text = [](std::string_view s) { return Bytes(s.begin(), s.end()); };
  Write(root / "hex" / "small", text(":10000000000102030405060708090A0B0C0D0E0F78\n"
                                     ":020000040001F9\n:0400100010111213A6\n"
                                     ":0400000500000100F6\n:00000001FF\n"));
  return 0;
}
