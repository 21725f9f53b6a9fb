#include "model/image_change.h"

namespace kavira {

ImageRest RestOf(const ControllerImage& image) {
  return {image.PgmEnds,   image.PgmSpeed, image.PgmFade,    image.Shows,    image.Midi,
          image.ExtraMode, image.SlowMode, image.StrobScene, image.FogScene, image.ExtraScene};
}

void SetRest(ControllerImage& image, const ImageRest& rest) {
  image.PgmEnds = rest.PgmEnds;
  image.PgmSpeed = rest.PgmSpeed;
  image.PgmFade = rest.PgmFade;
  image.Shows = rest.Shows;
  image.Midi = rest.Midi;
  image.ExtraMode = rest.ExtraMode;
  image.SlowMode = rest.SlowMode;
  image.StrobScene = rest.StrobScene;
  image.FogScene = rest.FogScene;
  image.ExtraScene = rest.ExtraScene;
}

ImageChange DiffImages(const ControllerImage& before, const ControllerImage& after) {
  ImageChange change;
  for (std::size_t s = 0; s < kSceneCount; ++s) {
    if (before.Sceny[s] != after.Sceny[s])
      change.scenes.push_back({static_cast<std::uint16_t>(s), before.Sceny[s], after.Sceny[s]});
  }
  ImageRest was = RestOf(before);
  ImageRest is = RestOf(after);
  if (was != is) change.rest = ImageChange::RestChange{was, is};
  return change;
}

void ApplyChange(ControllerImage& image, const ImageChange& change, bool forward) {
  for (const auto& s : change.scenes)
    image.Sceny[s.scene] = forward ? s.after : s.before;
  if (change.rest) SetRest(image, forward ? change.rest->after : change.rest->before);
}

}  // namespace kavira
