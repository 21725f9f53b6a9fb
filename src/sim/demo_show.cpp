#include "sim/demo_show.h"

#include <algorithm>
#include <cstdint>

#include "model/numbering.h"
#include "model/special_keys.h"

namespace kavira {
namespace {

// Channel use of the demonstration rig: every device is an RGBW wash light.
constexpr unsigned kDimmer = 1;
constexpr unsigned kRed = 2;
constexpr unsigned kGreen = 3;
constexpr unsigned kBlue = 4;
constexpr unsigned kWhite = 5;
constexpr unsigned kShutter = 6;  // 255 = fast strobe
constexpr unsigned kFogDevice = 16;
constexpr unsigned kFogChannel = 16;

struct Colour {
  std::uint8_t r, g, b, w;
};

void Light(Scene& scene, unsigned device, std::uint8_t dimmer, Colour c) {
  scene[ChannelIndex(device, kDimmer)] = dimmer;
  scene[ChannelIndex(device, kRed)] = c.r;
  scene[ChannelIndex(device, kGreen)] = c.g;
  scene[ChannelIndex(device, kBlue)] = c.b;
  scene[ChannelIndex(device, kWhite)] = c.w;
}

Scene& SceneOf(ControllerImage& image, unsigned program, unsigned scene) {
  return image.Sceny.at(Rel2Abs(program - 1, scene - 1));
}

void Program(ControllerImage& image, unsigned program, std::uint8_t end, std::uint8_t speed,
             std::uint8_t fade) {
  image.PgmEnds.at(program - 1) = end;
  image.PgmSpeed.at(program - 1) = speed;
  image.PgmFade.at(program - 1) = fade;
}

void Key(ControllerImage& image, unsigned key, unsigned scene, bool area1, bool area2, bool area3) {
  MidiStat& m = image.Midi.at(key);
  m.setAScena(scene);
  m.setBit(MidiStat::kTrigK1, area1);
  m.setBit(MidiStat::kAssoc1, area1);
  m.setBit(MidiStat::kTrigK2, area2);
  m.setBit(MidiStat::kAssoc2, area2);
  m.setBit(MidiStat::kTrigK3, area3);
  m.setBit(MidiStat::kAssoc3, area3);
}

constexpr Colour kWarm{255, 140, 40, 60};
constexpr Colour kCool{40, 120, 255, 30};
constexpr Colour kWashes[] = {{255, 0, 0, 0},   {255, 96, 0, 0}, {255, 200, 0, 0}, {0, 255, 0, 0},
                              {0, 255, 200, 0}, {0, 0, 255, 0},  {255, 0, 200, 0}, {0, 0, 0, 255}};

// The running programs: a chase, washes, and the looks stepped by MIDI and by the music.
void RunningPrograms(ControllerImage& image) {
  // Program 1: a chase running through the sixteen devices, automatic, with a short fade.
  for (unsigned s = 1; s <= 16; ++s) {
    Scene& scene = SceneOf(image, 1, s);
    for (unsigned d = 1; d <= 16; ++d)
      Light(scene, d, d == s ? 255 : 40, kWarm);
  }
  Program(image, 1, 16, 12, 40);

  // Program 2: colour washes over the whole rig, slow with long fades.
  for (unsigned s = 1; s <= 8; ++s) {
    Scene& scene = SceneOf(image, 2, s);
    for (unsigned d = 1; d <= 16; ++d)
      Light(scene, d, 255, kWashes[s - 1]);
  }
  Program(image, 2, 8, 20, 128);

  // Program 3: odd and even devices in turn, stepped by MIDI.
  for (unsigned s = 1; s <= 2; ++s) {
    Scene& scene = SceneOf(image, 3, s);
    for (unsigned d = 1; d <= 16; ++d)
      Light(scene, d, (d % 2 == s % 2) ? 255 : 0, kCool);
  }
  Program(image, 3, 2, kSpeedMidi, 0);

  // Program 4: rising bars, stepped by the music.
  for (unsigned s = 1; s <= 4; ++s) {
    Scene& scene = SceneOf(image, 4, s);
    for (unsigned d = 1; d <= 4 * s; ++d)
      Light(scene, d, 255, kWashes[(d - 1) % 8]);
  }
  Program(image, 4, 4, kSpeedMusic, 10);
}

}  // namespace

void FillDemoShow(ControllerImage& image) {
  image = ControllerImage{};
  RunningPrograms(image);

  // Program 17: static looks called up by hand.
  for (unsigned d = 1; d <= 8; ++d)
    Light(SceneOf(image, 17, 1), d, 255, kWarm);
  for (unsigned d = 9; d <= 16; ++d)
    Light(SceneOf(image, 17, 2), d, 255, kCool);
  for (unsigned d = 1; d <= 16; ++d)
    Light(SceneOf(image, 17, 3), d, 180, d <= 8 ? kWarm : kCool);
  Program(image, 17, 3, kSpeedManual, 60);

  // Program 48: blackout (scene 1), full white strobe (scene 2), fog (scene 3).
  for (unsigned d = 1; d <= 16; ++d) {
    Scene& strobe = SceneOf(image, 48, 2);
    Light(strobe, d, 255, {0, 0, 0, 255});
    strobe[ChannelIndex(d, kShutter)] = 255;
  }
  SceneOf(image, 48, 3)[ChannelIndex(kFogDevice, kFogChannel)] = 255;
  Program(image, 48, 0, kSpeedManual, 0);

  // Collections: area 1 plays programs 1, 2 and 4; area 2 programs 3 and 17; area 3 program 2.
  for (auto& area : image.Shows)
    area.fill(kEmptyCollection);
  image.Shows[0][0] = 0;
  image.Shows[0][1] = 1;
  image.Shows[0][2] = 3;
  image.Shows[1][0] = 2;
  image.Shows[1][1] = 16;
  image.Shows[2][0] = 1;

  // MIDI: keys 36-51 call the chase scenes in area 1, keys 60-67 the washes in area 2, key 72 the
  // blackout everywhere.
  for (unsigned k = 0; k < 16; ++k)
    Key(image, 36 + k, Rel2Abs(0, k), true, false, false);
  for (unsigned k = 0; k < 8; ++k)
    Key(image, 60 + k, Rel2Abs(1, k), false, true, false);
  Key(image, 72, Rel2Abs(47, 0), true, true, true);

  // Special keys: STROBE and FOG have scenes, EXTRA none; FOG latches (mode bit 1).
  image.StrobScene = static_cast<std::uint16_t>(Rel2Abs(47, 1));
  image.FogScene = static_cast<std::uint16_t>(Rel2Abs(47, 2));
  image.ExtraScene = kNoScene;
  image.ExtraMode = kFogModeBit;
  image.SlowMode = 0;
}

std::unique_ptr<SimController> DemoController(SimOptions options) {
  auto controller = std::make_unique<SimController>(options);
  auto show = std::make_unique<ControllerImage>();
  FillDemoShow(*show);
  controller->memory().loadImage(*show);
  return controller;
}

}  // namespace kavira
