// What travels in the settings blocks 2044 and 2045. One table, in data order, read by the block
// encoder, the decoder and the verifier.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "model/controller_image.h"

namespace kavira {

enum class SettingsItem {
  PgmEnds,
  PgmSpeed,
  PgmFade,
  ExtraMode,   // one byte: the low byte of ExtraMode
  SlowMode,    // one byte: 1 when on; reads back as 65535
  StrobScene,  // words, low byte first
  FogScene,
  ExtraScene,
  Filler,  // 0xFF on the way out, ignored on the way in
  Shows,   // area 0 collections 0-15, area 1, area 2
};

struct SettingsField {
  std::uint32_t block;
  std::size_t index;   // first data index within the block
  std::size_t length;  // data bytes
  SettingsItem item;
  std::size_t first;  // first element of the item (PgmFade continues at 32 in block 2045)
};

inline constexpr SettingsField kSettingsLayout[] = {
    {2044, 0, 48, SettingsItem::PgmEnds, 0},    {2044, 48, 48, SettingsItem::PgmSpeed, 0},
    {2044, 96, 32, SettingsItem::PgmFade, 0},   {2045, 0, 16, SettingsItem::PgmFade, 32},
    {2045, 16, 1, SettingsItem::ExtraMode, 0},  {2045, 17, 1, SettingsItem::SlowMode, 0},
    {2045, 18, 2, SettingsItem::StrobScene, 0}, {2045, 20, 2, SettingsItem::FogScene, 0},
    {2045, 22, 2, SettingsItem::ExtraScene, 0}, {2045, 24, 8, SettingsItem::Filler, 0},
    {2045, 32, 48, SettingsItem::Shows, 0},     {2045, 80, 48, SettingsItem::Filler, 0},
};

inline constexpr std::uint8_t kFillerByte = 0xFF;

// Byte element `i` of a byte item (PgmEnds, PgmSpeed, PgmFade, Shows flattened area by area).
std::uint8_t& ItemByte(ControllerImage& image, SettingsItem item, std::size_t i);
std::uint8_t ItemByte(const ControllerImage& image, SettingsItem item, std::size_t i);
// The word of a word item (ExtraMode, SlowMode, StrobScene, FogScene, ExtraScene).
std::uint16_t& ItemWord(ControllerImage& image, SettingsItem item);
std::uint16_t ItemWord(const ControllerImage& image, SettingsItem item);

}  // namespace kavira
