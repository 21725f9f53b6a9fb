#include "model/image_fields.h"

#include <cstdlib>

namespace kavira {
namespace {

using Word = std::uint16_t ControllerImage::*;
using Bytes = std::array<std::uint8_t, kProgramCount> ControllerImage::*;

// The one table of the word items and of the program byte arrays.
constexpr struct {
  ImageItem item;
  Word member;
} kWords[] = {
    {ImageItem::ExtraMode, &ControllerImage::ExtraMode},   {ImageItem::SlowMode, &ControllerImage::SlowMode},
    {ImageItem::StrobScene, &ControllerImage::StrobScene}, {ImageItem::FogScene, &ControllerImage::FogScene},
    {ImageItem::ExtraScene, &ControllerImage::ExtraScene},
};
constexpr struct {
  ImageItem item;
  Bytes member;
} kByteArrays[] = {
    {ImageItem::PgmEnds, &ControllerImage::PgmEnds},
    {ImageItem::PgmSpeed, &ControllerImage::PgmSpeed},
    {ImageItem::PgmFade, &ControllerImage::PgmFade},
};

template <class Image>
auto& WordRef(Image& image, ImageItem item) {
  for (const auto& w : kWords) {
    if (w.item == item) return image.*w.member;
  }
  // The layouts hold word items only where they take a word (they check it when compiled).
  std::abort();
}

template <class Image>
auto& ByteRef(Image& image, ImageItem item, std::size_t i) {
  if (item == ImageItem::Shows) return image.Shows.at(i / kCollectionCount).at(i % kCollectionCount);
  for (const auto& b : kByteArrays) {
    if (b.item == item) return (image.*b.member).at(i);
  }
  std::abort();
}

}  // namespace

std::uint16_t& ItemWord(ControllerImage& image, ImageItem item) {
  return WordRef(image, item);
}
std::uint16_t ItemWord(const ControllerImage& image, ImageItem item) {
  return WordRef(image, item);
}
std::uint8_t& ItemByte(ControllerImage& image, ImageItem item, std::size_t i) {
  return ByteRef(image, item, i);
}
std::uint8_t ItemByte(const ControllerImage& image, ImageItem item, std::size_t i) {
  return ByteRef(image, item, i);
}

}  // namespace kavira
