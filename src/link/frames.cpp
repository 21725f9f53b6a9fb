#include "link/frames.h"

#include <algorithm>

#include "link/block_layout.h"
#include "model/little_endian.h"

namespace kavira {
namespace {

std::size_t MidiFirstKey(std::uint32_t block) {
  return (block - kFirstMidiBlock) * (kBlockBytes / 2);
}

// Header, data and checksum of a long frame.
Frame LongFrame(std::uint8_t command, std::uint8_t space, std::uint32_t address, std::uint8_t count,
                ByteView data) {
  Frame f;
  f.bytes[0] = command;
  f.bytes[1] = space;
  f.bytes[2] = LowByte(address);
  f.bytes[3] = HighByte(address);
  f.bytes[4] = count;
  std::copy(data.begin(), data.end(), f.bytes.begin() + 5);
  f.size = data.size() + CtrlCnt;
  f.bytes[f.size - 1] = 0;
  f.bytes[f.size - 1] = static_cast<std::uint8_t>(CheckSumCnt(f.view()));
  return f;
}

}  // namespace

int CheckSumCnt(ByteView buffer) {
  unsigned sum = 0;
  for (std::uint8_t b : buffer)
    sum += b;
  return static_cast<int>((256U - (sum & 0xFFU)) & 0xFFU);
}

BlockData EncodeBlock(const ControllerImage& image, std::uint32_t block) {
  BlockData data{};
  if (block < kFirstSettingsBlock) {
    const auto& scene = image.Sceny.at(block / 2);
    std::copy_n(scene.begin() + (block % 2) * kBlockBytes, kBlockBytes, data.begin());
  } else if (block < kFirstMidiBlock) {
    for (const SettingsField& f : kSettingsLayout) {
      if (f.block != block) continue;
      auto* out = data.data() + f.index;
      switch (f.item) {
        case ImageItem::Filler:
          std::fill_n(out, f.length, kFillerByte);
          break;
        case ImageItem::ExtraMode:
          out[0] = LowByte(image.ExtraMode);
          break;
        case ImageItem::SlowMode:
          out[0] = image.SlowMode != 0 ? 1 : 0;
          break;
        case ImageItem::StrobScene:
        case ImageItem::FogScene:
        case ImageItem::ExtraScene:
          out[0] = LowByte(ItemWord(image, f.item));
          out[1] = HighByte(ItemWord(image, f.item));
          break;
        default:
          for (std::size_t i = 0; i < f.length; ++i)
            out[i] = ItemByte(image, f.item, f.first + i);
      }
    }
  } else {
    const std::size_t key = MidiFirstKey(block);
    for (std::size_t j = 0; j < kBlockBytes / 2; ++j) {
      data[2 * j] = LowByte(image.Midi.at(key + j).word);
      data[2 * j + 1] = HighByte(image.Midi.at(key + j).word);
    }
  }
  return data;
}

void DecodeBlock(ControllerImage& image, std::uint32_t block, ByteView data) {
  if (data.size() < kBlockBytes) return;
  if (block < kFirstSettingsBlock) {
    auto& scene = image.Sceny.at(block / 2);
    std::copy_n(data.begin(), kBlockBytes, scene.begin() + (block % 2) * kBlockBytes);
  } else if (block < kFirstMidiBlock) {
    for (const SettingsField& f : kSettingsLayout) {
      if (f.block != block) continue;
      const auto* in = data.data() + f.index;
      switch (f.item) {
        case ImageItem::Filler:
          break;
        case ImageItem::ExtraMode:
          image.ExtraMode = in[0];
          break;
        case ImageItem::SlowMode:
          image.SlowMode = in[0] != 0 ? kSlowModeOn : 0;
          break;
        case ImageItem::StrobScene:
        case ImageItem::FogScene:
        case ImageItem::ExtraScene:
          ItemWord(image, f.item) = Le16(in);
          break;
        default:
          for (std::size_t i = 0; i < f.length; ++i)
            ItemByte(image, f.item, f.first + i) = in[i];
      }
    }
  } else if (block < kBlockCount) {
    const std::size_t key = MidiFirstKey(block);
    for (std::size_t j = 0; j < kBlockBytes / 2; ++j) {
      image.Midi.at(key + j).word = Le16(data.data() + 2 * j);
    }
  }
}

Frame BuildBlockFrame(const ControllerImage& image, std::uint32_t block, bool write) {
  constexpr auto count = static_cast<std::uint8_t>(kBlockBytes);
  if (!write) return LongFrame(kCmdRead, kSpaceImage, block, count, {});
  const BlockData data = EncodeBlock(image, block);
  return LongFrame(kCmdWrite, kSpaceImage, block, count, data);
}

Frame BuildBlockWriteFrame(std::uint32_t block, const BlockData& data) {
  return LongFrame(kCmdWrite, kSpaceImage, block, static_cast<std::uint8_t>(kBlockBytes), data);
}

Frame BuildFirmwareFrame(const pgmline_& line, bool write) {
  const std::uint8_t space =
      line.Adres > 0xFFFFU ? static_cast<std::uint8_t>(kSpaceFirmware | kSpaceHighBit) : kSpaceFirmware;
  const std::size_t n = std::min<std::size_t>(line.cnt, kFirmwareLineMax);
  const ByteView code = write ? ByteView(line.code.data(), n) : ByteView{};
  return LongFrame(write ? kCmdWrite : kCmdRead, space, line.Adres, LowByte(line.cnt), code);
}

Frame ShortFrame(const std::array<std::uint8_t, 3>& bytes) {
  Frame f;
  std::copy(bytes.begin(), bytes.end(), f.bytes.begin());
  f.size = bytes.size();
  return f;
}

bool IsAck(ByteView received) {
  return std::ranges::equal(received, kAckFrame);
}

ReplyCheck AcceptDataReply(ByteView received, std::uint32_t Adres) {
  auto at = [&](std::size_t i) -> std::uint32_t { return i < received.size() ? received[i] : 0U; };
  ReplyCheck r;
  r.AdresGot = at(2) + 256U * at(3) + ((at(1) & kSpaceHighBit) != 0 ? 0x10000U : 0U);
  r.DataCnt = static_cast<int>(at(4));
  const std::size_t expected = static_cast<std::size_t>(r.DataCnt) + CtrlCnt;
  r.chksum = CheckSumCnt(received.first(std::min(expected, received.size())));
  const bool nak = !received.empty() && received[0] == kCmdNak;
  const bool lengthOk = received.size() == expected;
  r.ok = lengthOk && r.chksum == 0 && !nak && r.AdresGot == Adres;
  if (r.ok) return r;
  Message why;
  if (nak) {
    why = Message::Text(kTextNak);
  } else if (!lengthOk) {
    why = Message(Texts::kNoData, {std::to_string(received.size())});
  } else if (r.chksum != 0) {
    why = Message(Texts::kChecksum, {std::to_string(r.chksum)});
  } else {
    why = Message(Texts::kReturnAddress, {std::to_string(r.AdresGot)});
  }
  r.failure = Message(Texts::kLinkFailure, {why});
  return r;
}

bool FitsRequest(ByteView reply, RequestKind kind, std::uint32_t Adres, std::uint32_t lineCnt) {
  if (reply.size() < static_cast<std::size_t>(CtrlCnt) || reply[0] != kCmdData) return false;
  switch (kind) {
    case RequestKind::SceneBlock:
      return reply[1] == kSpaceImage && reply[4] == kBlockBytes;
    case RequestKind::SettingsBlock:
      return reply[1] == kSpaceImage && reply[2] == LowByte(Adres) && reply[3] == HighByte(Adres) &&
             reply[4] == kBlockBytes;
    case RequestKind::Version:
      return reply[1] == kSpaceVersion && reply[2] == 0 && reply[3] == 0 && reply[4] == kVersionDataCount;
    case RequestKind::FirmwareLine:
      return (reply[1] & 0x7FU) == kSpaceFirmware && reply[4] == lineCnt;
  }
  return false;
}

}  // namespace kavira
