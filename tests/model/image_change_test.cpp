#include "model/image_change.h"

#include <gtest/gtest.h>

#include <memory>

namespace kavira {
namespace {

TEST(ImageChange, HoldsOnlyWhatChangedAndGoesBothWays) {
  auto before = std::make_unique<ControllerImage>();
  before->Sceny[7][3] = 40;
  auto after = std::make_unique<ControllerImage>(*before);
  EXPECT_TRUE(DiffImages(*before, *after).empty());

  after->Sceny[0][0] = 1;
  after->Sceny[1021][255] = 255;
  after->Midi[127].setAScena(1021);
  const ImageChange change = DiffImages(*before, *after);
  ASSERT_EQ(change.scenes.size(), 2U);
  EXPECT_EQ(change.scenes[0].scene, 0);
  EXPECT_EQ(change.scenes[1].scene, 1021);
  ASSERT_TRUE(change.rest.has_value());

  auto image = std::make_unique<ControllerImage>(*after);
  ApplyChange(*image, change, false);
  EXPECT_TRUE(*image == *before);
  ApplyChange(*image, change, true);
  EXPECT_TRUE(*image == *after);
}

TEST(ImageChange, ScenesOnlyLeaveTheRestAlone) {
  auto before = std::make_unique<ControllerImage>();
  auto after = std::make_unique<ControllerImage>(*before);
  after->Sceny[5].fill(9);
  const ImageChange change = DiffImages(*before, *after);
  EXPECT_FALSE(change.rest.has_value());
  // Applied over an image whose settings changed since, the step leaves those settings as they are.
  after->PgmFade[3] = 12;
  ApplyChange(*after, change, false);
  EXPECT_EQ(after->Sceny[5][0], 0);
  EXPECT_EQ(after->PgmFade[3], 12);
}

}  // namespace
}  // namespace kavira
