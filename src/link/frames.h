// Frames between the program and the controller.
//
// Long frame: command, space, address bits 0-7, address bits 8-15, count n, n data bytes, checksum.
// The space byte is 0x26 for scene/settings/MIDI memory and 0x66 for firmware memory, where bit 7
// carries address bit 16. Short frame: command, 0x03, checksum. The bytes of every frame add up to 0
// modulo 256.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "model/controller_image.h"
#include "model/firmware_line.h"
#include "model/message.h"
#include "model/texts.h"

namespace kavira {

using ByteView = std::span<const std::uint8_t>;

inline constexpr std::size_t kBufferSize = 270;  // OutBuffer / InBuffer
inline constexpr int CtrlCnt = 6;                // five header bytes and the checksum of a long frame
inline constexpr std::size_t kBlockBytes = 128;
inline constexpr std::uint32_t kBlockCount = 2048;
inline constexpr std::uint32_t kFirstSettingsBlock = 2044;
inline constexpr std::uint32_t kSecondSettingsBlock = 2045;
inline constexpr std::uint32_t kFirstMidiBlock = 2046;
inline constexpr std::uint32_t kSettingsUnit = 1022;  // AdresOd/AdresDo naming the settings blocks
inline constexpr std::uint32_t kMidiUnit = 1023;      // ... and the MIDI blocks

// Command bytes.
inline constexpr std::uint8_t kCmdWrite = 0x11;
inline constexpr std::uint8_t kCmdRead = 0x12;
inline constexpr std::uint8_t kCmdData = 0x13;
inline constexpr std::uint8_t kCmdAck = 0x06;
inline constexpr std::uint8_t kCmdNak = 0x15;
inline constexpr std::uint8_t kCmdProbe = 0x1B;
inline constexpr std::uint8_t kCmdRestart = 0x0F;

// Space bytes.
inline constexpr std::uint8_t kSpaceImage = 0x26;
inline constexpr std::uint8_t kSpaceFirmware = 0x66;
inline constexpr std::uint8_t kSpaceHighBit = 0x80;  // address bit 16
inline constexpr std::uint8_t kSpaceVersion = 0x06;

inline constexpr std::array<std::uint8_t, 3> kProbeFrame{0x1B, 0x03, 0xE2};
inline constexpr std::array<std::uint8_t, 3> kVersionRequest{0x12, 0x03, 0xEB};
inline constexpr std::array<std::uint8_t, 3> kRestartRequest{0x0F, 0x03, 0xEE};
inline constexpr std::array<std::uint8_t, 3> kAckFrame{0x06, 0x03, 0xF7};

inline constexpr std::size_t kVersionDataCount = 3;  // minor, major, suffix

// Two's complement of the low 8 bits of the sum of the bytes: 0 for an intact frame (checksum
// included), or the checksum byte to append when the checksum position holds 0.
int CheckSumCnt(ByteView buffer);

// A frame being built or received, in its own fixed buffer.
struct Frame {
  std::array<std::uint8_t, kBufferSize> bytes{};
  std::size_t size = 0;

  ByteView view() const { return {bytes.data(), size}; }
};

using BlockData = std::array<std::uint8_t, kBlockBytes>;

// The 128 data bytes of block 0-2047 as the image gives them.
BlockData EncodeBlock(const ControllerImage& image, std::uint32_t block);
// Stores the 128 data bytes of a block read from the controller into the image.
void DecodeBlock(ControllerImage& image, std::uint32_t block, ByteView data);

// Write (with data) or read request for a block.
Frame BuildBlockFrame(const ControllerImage& image, std::uint32_t block, bool write);
// Write request for a block with the given data bytes, sent as they are.
Frame BuildBlockWriteFrame(std::uint32_t block, const BlockData& data);
// Write (with the line's code) or read request for a firmware line.
Frame BuildFirmwareFrame(const pgmline_& line, bool write);
// One of the fixed short frames.
Frame ShortFrame(const std::array<std::uint8_t, 3>& bytes);

// The answer to a write is an acknowledgement only when it is exactly 06 03 F7.
bool IsAck(ByteView received);

// The link checks of a data reply, in the order the program reports them.
struct ReplyCheck {
  bool ok = false;
  std::uint32_t AdresGot = 0;
  int DataCnt = 0;  // the count the reply declares
  int chksum = 0;
  Message failure;  // "Błąd komunikacji : ..." when not ok
};
ReplyCheck AcceptDataReply(ByteView received, std::uint32_t Adres);

// What a data reply must answer: a scene block, a settings or MIDI block, the version, a firmware line.
enum class RequestKind { SceneBlock, SettingsBlock, Version, FirmwareLine };
// The protocol check of a reply that is good on the link; false means "Błąd protokołu".
bool FitsRequest(ByteView reply, RequestKind kind, std::uint32_t Adres, std::uint32_t lineCnt = 0);

// What a refused answer is called in "Błąd komunikacji : NAK".
inline constexpr const char* kTextNak = "NAK";

}  // namespace kavira
