#include "link/block_layout.h"

#include <cassert>

namespace kavira {
namespace {

template <class Image>
auto& ByteRef(Image& image, SettingsItem item, std::size_t i) {
  switch (item) {
    case SettingsItem::PgmEnds:
      return image.PgmEnds.at(i);
    case SettingsItem::PgmSpeed:
      return image.PgmSpeed.at(i);
    case SettingsItem::PgmFade:
      return image.PgmFade.at(i);
    case SettingsItem::Shows:
      return image.Shows.at(i / kCollectionCount).at(i % kCollectionCount);
    default:
      break;
  }
  assert(false && "not a byte item");
  return image.PgmEnds.at(0);
}

template <class Image>
auto& WordRef(Image& image, SettingsItem item) {
  switch (item) {
    case SettingsItem::ExtraMode:
      return image.ExtraMode;
    case SettingsItem::SlowMode:
      return image.SlowMode;
    case SettingsItem::StrobScene:
      return image.StrobScene;
    case SettingsItem::FogScene:
      return image.FogScene;
    case SettingsItem::ExtraScene:
      return image.ExtraScene;
    default:
      break;
  }
  assert(false && "not a word item");
  return image.ExtraMode;
}

}  // namespace

std::uint8_t& ItemByte(ControllerImage& image, SettingsItem item, std::size_t i) {
  return ByteRef(image, item, i);
}
std::uint8_t ItemByte(const ControllerImage& image, SettingsItem item, std::size_t i) {
  return ByteRef(image, item, i);
}
std::uint16_t& ItemWord(ControllerImage& image, SettingsItem item) {
  return WordRef(image, item);
}
std::uint16_t ItemWord(const ControllerImage& image, SettingsItem item) {
  return WordRef(image, item);
}

}  // namespace kavira
