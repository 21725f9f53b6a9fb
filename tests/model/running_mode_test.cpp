#include "model/running_mode.h"

#include <gtest/gtest.h>

namespace kavira {
namespace {

TEST(RunningMode, EveryPgmSpeedCodeReadsAsAModeAndSpeed) {
  const struct {
    std::uint8_t code;
    RunningMode mode;
    std::uint8_t speed;
  } cases[] = {
      {0, RunningMode::Manual, 0},  {1, RunningMode::Auto, 1},    {31, RunningMode::Auto, 31},
      {32, RunningMode::Auto, 31},  {253, RunningMode::Auto, 31}, {254, RunningMode::Midi, 0},
      {255, RunningMode::Music, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "code " << int{c.code});
    EXPECT_EQ(ModeOfSpeed(c.code), c.mode);
    EXPECT_EQ(AutoSpeed(c.code), c.speed);
  }
}

TEST(RunningMode, ModesStoreTheirCodes) {
  EXPECT_EQ(SpeedCode(RunningMode::Auto, 12), 12);
  EXPECT_EQ(SpeedCode(RunningMode::Auto, 0), 0);  // reads back as manual
  EXPECT_EQ(SpeedCode(RunningMode::Manual, 12), 0);
  EXPECT_EQ(SpeedCode(RunningMode::Music, 12), 255);
  EXPECT_EQ(SpeedCode(RunningMode::Midi, 12), 254);
}

}  // namespace
}  // namespace kavira
