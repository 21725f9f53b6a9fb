// What one edit changed in the image, kept small: the scenes it touched, each as it was and as it
// became, and the rest of the image (program parameters, collections, MIDI keys and special keys)
// only when that changed. The window's undo steps hold these instead of whole images.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/controller_image.h"

namespace kavira {

// Everything of the image except the scenes: a few hundred bytes.
struct ImageRest {
  std::array<std::uint8_t, kProgramCount> PgmEnds{};
  std::array<std::uint8_t, kProgramCount> PgmSpeed{};
  std::array<std::uint8_t, kProgramCount> PgmFade{};
  std::array<std::array<std::uint8_t, kCollectionCount>, kAreaCount> Shows{};
  std::array<MidiStat, kMidiKeyCount> Midi{};
  std::uint16_t ExtraMode = 0;
  std::uint16_t SlowMode = 0;
  std::uint16_t StrobScene = 0;
  std::uint16_t FogScene = 0;
  std::uint16_t ExtraScene = 0;

  friend bool operator==(const ImageRest&, const ImageRest&) = default;
};

ImageRest RestOf(const ControllerImage& image);
void SetRest(ControllerImage& image, const ImageRest& rest);

struct ImageChange {
  struct SceneChange {
    std::uint16_t scene;  // absolute 0-1021
    Scene before;
    Scene after;
  };
  struct RestChange {
    ImageRest before;
    ImageRest after;
  };
  std::vector<SceneChange> scenes;  // in scene order
  std::optional<RestChange> rest;

  bool empty() const { return scenes.empty() && !rest; }
};

// What turns `before` into `after`.
ImageChange DiffImages(const ControllerImage& before, const ControllerImage& after);
// Applies the change to `image` (forward: before -> after; backward: after -> before).
void ApplyChange(ControllerImage& image, const ImageChange& change, bool forward);

}  // namespace kavira
