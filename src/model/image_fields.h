// The image's fields as the settings blocks and the settings file carry them: one table of which
// items are bytes and which are words, and where each lives in ControllerImage. The frame layout
// (link/block_layout.h) and the file layout (files/data_files.h) say where an item goes; both reach
// the image only through the accessors here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/controller_image.h"

namespace kavira {

enum class ImageItem {
  PgmEnds,  // a byte per program
  PgmSpeed,
  PgmFade,
  ExtraMode,  // words
  SlowMode,
  StrobScene,
  FogScene,
  ExtraScene,
  Shows,   // a byte per collection entry: area 0 collections 0-15, area 1, area 2
  Filler,  // no field of the image (0xFF in a settings block)
  Sceny,   // all 1022 scenes, scene 0 first
  Midi,    // the 128 key words in key order
};

// Whether the item is one 16-bit word of the image, or an array of bytes (PgmEnds, PgmSpeed,
// PgmFade, Shows).
constexpr bool IsWordItem(ImageItem item) {
  return item >= ImageItem::ExtraMode && item <= ImageItem::ExtraScene;
}
constexpr bool IsByteItem(ImageItem item) {
  return item <= ImageItem::PgmFade || item == ImageItem::Shows;
}

// The word of a word item. Any other item is a program error, which ends the program rather than
// hand out another field.
std::uint16_t& ItemWord(ControllerImage& image, ImageItem item);
std::uint16_t ItemWord(const ControllerImage& image, ImageItem item);
// Byte `i` of a byte item (Shows counted area by area). Any other item is a program error, as above.
std::uint8_t& ItemByte(ControllerImage& image, ImageItem item, std::size_t i);
std::uint8_t ItemByte(const ControllerImage& image, ImageItem item, std::size_t i);

}  // namespace kavira
