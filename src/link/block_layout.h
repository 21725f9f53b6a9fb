// What travels in the settings blocks 2044 and 2045. One table, in data order, read by the block
// encoder, the decoder and the verifier.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "model/controller_image.h"
#include "model/image_fields.h"

namespace kavira {

struct SettingsField {
  std::uint32_t block;
  std::size_t index;   // first data index within the block
  std::size_t length;  // data bytes
  ImageItem item;      // ExtraMode travels as its low byte; SlowMode reads back as 65535; Filler is 0xFF
  std::size_t first;   // first element of the item (PgmFade continues at 32 in block 2045)
};

inline constexpr SettingsField kSettingsLayout[] = {
    {2044, 0, 48, ImageItem::PgmEnds, 0},    {2044, 48, 48, ImageItem::PgmSpeed, 0},
    {2044, 96, 32, ImageItem::PgmFade, 0},   {2045, 0, 16, ImageItem::PgmFade, 32},
    {2045, 16, 1, ImageItem::ExtraMode, 0},  {2045, 17, 1, ImageItem::SlowMode, 0},
    {2045, 18, 2, ImageItem::StrobScene, 0}, {2045, 20, 2, ImageItem::FogScene, 0},
    {2045, 22, 2, ImageItem::ExtraScene, 0}, {2045, 24, 8, ImageItem::Filler, 0},
    {2045, 32, 48, ImageItem::Shows, 0},     {2045, 80, 48, ImageItem::Filler, 0},
};

inline constexpr std::uint8_t kFillerByte = 0xFF;

// Words where the image has words, bytes where it has bytes.
constexpr bool FitsImage(const SettingsField& f) {
  return f.item == ImageItem::Filler || (IsWordItem(f.item) ? f.length <= 2 : IsByteItem(f.item));
}
static_assert(std::ranges::all_of(kSettingsLayout, FitsImage));

}  // namespace kavira
