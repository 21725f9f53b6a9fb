#include "link/verification.h"

#include <gtest/gtest.h>

#include <memory>

#include "scripted_host.h"

namespace kavira {
namespace {

using test::ScriptedHost;

class VerificationTest : public ::testing::Test {
 protected:
  std::unique_ptr<ControllerImage> image = std::make_unique<ControllerImage>();
  ScriptedHost host;
  int VerifyOK = 1;

  // The block as the image gives it, with one change made by `edit`, compared with the image.
  BlockVerdict compare(std::uint32_t block, const std::function<void(BlockData&)>& edit) {
    BlockData data = EncodeBlock(*image, block);
    edit(data);
    return VerifyBlock(*image, block, data, host, VerifyOK);
  }
};

TEST_F(VerificationTest, EqualBlocksShowNothing) {
  image->Sceny[3][7] = 1;
  image->SlowMode = 65535;
  image->StrobScene = 65535;
  image->Midi[5].word = 0xFFFF;
  for (std::uint32_t block : {6U, 7U, 2044U, 2045U, 2046U, 2047U}) {
    EXPECT_EQ(compare(block, [](BlockData&) {}), BlockVerdict::Continue) << "block " << block;
  }
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(VerifyOK, 1);
}

TEST_F(VerificationTest, DifferenceTexts) {
  struct Case {
    const char* what;
    std::function<void(ControllerImage&)> setImage;
    std::uint32_t block;
    std::function<void(BlockData&)> controller;
    const char* text;
  };
  const Case cases[] = {
      {"scene byte 130 of scene 3, image first", [](ControllerImage& i) { i.Sceny[3][130] = 10; }, 7,
       [](BlockData& d) { d[2] = 12; },
       "Błąd weryfikacji : scena 4 kanał 131\n ( 10 <> 12 )\nKontynuować sprawdzanie ?"},
      {"MIDI key 70 in lower-case hexadecimal", [](ControllerImage& i) { i.Midi[70].word = 0x1403; }, 2047,
       [](BlockData& d) { d[13] = 0x04; },
       "Błąd weryfikacji : kanał MIDI 70\n ( 1403 <> 403 )\nKontynuować sprawdzanie ?"},
      {"MIDI key 10", [](ControllerImage& i) { i.Midi[10].word = 0xABCD; }, 2046,
       [](BlockData& d) { d[20] = 0; },
       "Błąd weryfikacji : kanał MIDI 10\n ( abcd <> ab00 )\nKontynuować sprawdzanie ?"},
      {"end of program 1, controller first", [](ControllerImage& i) { i.PgmEnds[0] = 3; }, 2044,
       [](BlockData& d) { d[0] = 5; },
       "Błąd weryfikacji końca programu : program 1\n ( 5 <> 3 )\nKontynuować sprawdzanie ?"},
      {"speed of program 48", [](ControllerImage&) {}, 2044, [](BlockData& d) { d[95] = 254; },
       "Błąd weryfikacji prędkości i synchro : program 48\n ( 254 <> 0 )\nKontynuować sprawdzanie ?"},
      {"fade of program 32", [](ControllerImage&) {}, 2044, [](BlockData& d) { d[127] = 1; },
       "Błąd weryfikacji fadingu : program 32\n ( 1 <> 0 )\nKontynuować sprawdzanie ?"},
      {"fade of program 33 in the second block", [](ControllerImage&) {}, 2045,
       [](BlockData& d) { d[0] = 2; },
       "Błąd weryfikacji fadingu : program 33\n ( 2 <> 0 )\nKontynuować sprawdzanie ?"},
      {"ExtraMode above 255 always differs", [](ControllerImage& i) { i.ExtraMode = 0x105; }, 2045,
       [](BlockData&) {},
       "Błąd weryfikacji trybu klawiszy specjalnych \n ( 5 <> 261 )\nKontynuować sprawdzanie ?"},
      {"slow mode", [](ControllerImage&) {}, 2045, [](BlockData& d) { d[17] = 1; },
       "Błąd weryfikacji trybu zwolnionego \n ( 1 <> 0 )\nKontynuować sprawdzanie ?"},
      {"strobe scene none against 00 00", [](ControllerImage& i) { i.StrobScene = 65535; }, 2045,
       [](BlockData& d) { d[18] = d[19] = 0; },
       "Błąd weryfikacji wyboru strobu \n ( 1 <> 65536 )\nKontynuować sprawdzanie ?"},
      {"fog scene", [](ControllerImage&) {}, 2045, [](BlockData& d) { d[21] = 1; },
       "Błąd weryfikacji wyboru zadymienia \n ( 257 <> 1 )\nKontynuować sprawdzanie ?"},
      {"extra scene", [](ControllerImage&) {}, 2045, [](BlockData& d) { d[22] = 9; },
       "Błąd weryfikacji wyboru sceny ekstra \n ( 10 <> 1 )\nKontynuować sprawdzanie ?"},
      {"collection 16 of area 2, empty in the image", [](ControllerImage& i) { i.Shows[1][15] = 255; }, 2045,
       [](BlockData& d) { d[32 + 16 + 15] = 4; },
       "Błąd weryfikacji kolekcji nr 16 obszar 2:\n\t5 <> 256 \nKontynuować sprawdzanie ?"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    image = std::make_unique<ControllerImage>();
    c.setImage(*image);
    host.boxes.clear();
    VerifyOK = 1;
    EXPECT_EQ(compare(c.block, c.controller), BlockVerdict::Continue);
    EXPECT_EQ(host.boxes.size(), 1U);
    EXPECT_EQ(host.firstBox().text, c.text);
    EXPECT_EQ(host.firstBox().caption, "Niepowodzenie");
    EXPECT_EQ(host.firstBox().buttons, Buttons::YesNo);
    EXPECT_EQ(host.firstBox().icon, Icon::Exclamation);
    EXPECT_EQ(VerifyOK, 0);
  }
}

TEST_F(VerificationTest, SlowModeCountsOnlyAsOnOrOff) {
  image->SlowMode = 65535;
  EXPECT_EQ(compare(2045, [](BlockData& d) { d[17] = 1; }), BlockVerdict::Continue);
  EXPECT_EQ(compare(2045, [](BlockData& d) { d[17] = 0x40; }), BlockVerdict::Continue);
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(VerificationTest, FillerBytesAreNotCompared) {
  EXPECT_EQ(compare(2045,
                    [](BlockData& d) {
                      d[24] = 0;
                      d[31] = 0;
                      d[80] = 0;
                      d[127] = 0;
                    }),
            BlockVerdict::Continue);
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(VerificationTest, SettingsDifferencesComeInLayoutOrderAndNoStops) {
  image->PgmFade[40] = 1;
  image->Shows[0][0] = 3;
  image->ExtraScene = 4;
  host.answers = {Answer::Yes, Answer::Yes, Answer::No};
  EXPECT_EQ(compare(2045,
                    [](BlockData& d) {
                      d[8] = 0;   // fade of program 41
                      d[22] = 5;  // extra scene
                      d[32] = 0;  // collection 1, area 1
                      d[33] = 9;  // collection 2, area 1: never reached
                    }),
            BlockVerdict::Stop);
  ASSERT_EQ(host.boxes.size(), 3U);
  EXPECT_EQ(host.boxes[0].text.rfind("Błąd weryfikacji fadingu : program 41", 0), 0U);
  EXPECT_EQ(host.boxes[1].text.rfind("Błąd weryfikacji wyboru sceny ekstra", 0), 0U);
  EXPECT_EQ(host.boxes[2].text.rfind("Błąd weryfikacji kolekcji nr 1 obszar 1", 0), 0U);
}

// Two images that differ in a scene channel, a settings item, a collection entry and a MIDI key, the
// second in the controller's place.
TEST(ImageDifferences, EachPlaceWithItsBlockTitleAndValues) {
  auto pc = std::make_unique<ControllerImage>();
  auto other = std::make_unique<ControllerImage>();
  pc->Sceny[514][36] = 10;  // device 3, channel 5
  other->Sceny[514][36] = 12;
  other->Sceny[600][0] = other->Sceny[600][255] = 1;  // outside the range asked for below
  pc->PgmFade[40] = 7;
  other->Shows[1][15] = 3;
  pc->Midi[70].word = 0x1403;
  other->Midi[70].word = 0x403;
  const struct {
    std::uint32_t block;
    std::size_t at;
    const char* title;
    const char* image;
    const char* controller;
  } expected[] = {
      {1028, 36, "Błąd weryfikacji : scena 515 kanał 37", "10", "12"},
      {2045, 8, "Błąd weryfikacji fadingu : program 41", "7", "0"},
      {2045, 63, "Błąd weryfikacji kolekcji nr 16 obszar 2:", "1", "4"},
      {2047, 12, "Błąd weryfikacji : kanał MIDI 70", "1403", "403"},
  };
  std::vector<DifferencePlace> places = ImageDifferences(*pc, *other, 1028, 1029);
  for (const auto& area :
       {ImageDifferences(*pc, *other, 2044, 2045), ImageDifferences(*pc, *other, 2046, 2047)})
    places.insert(places.end(), area.begin(), area.end());
  ASSERT_EQ(places.size(), std::size(expected));
  for (std::size_t k = 0; k < places.size(); ++k) {
    SCOPED_TRACE(expected[k].title);
    EXPECT_EQ(places[k].block, expected[k].block);
    EXPECT_EQ(places[k].at, expected[k].at);
    EXPECT_EQ(places[k].title.Polish(), expected[k].title);
    EXPECT_EQ(places[k].image, expected[k].image);
    EXPECT_EQ(places[k].controller, expected[k].controller);
  }
  EXPECT_EQ(ImageDifferences(*pc, *other, 0, kBlockCount - 1).size(), std::size(expected) + 2);
  EXPECT_TRUE(ImageDifferences(*pc, *pc, 0, kBlockCount - 1).empty());

  // The box text of a verify is made of the same place.
  std::vector<std::string> texts;
  ForEachBlockDifference(*pc, 2047, EncodeBlock(*other, 2047), [&](const Message& text) {
    texts.push_back(text.Polish());
    return true;
  });
  EXPECT_EQ(texts, std::vector<std::string>{
                       "Błąd weryfikacji : kanał MIDI 70\n ( 1403 <> 403 )\nKontynuować sprawdzanie ?"});
}

TEST_F(VerificationTest, OutcomeBoxes) {
  ShowVerifyOutcome(host, 1);
  ShowVerifyOutcome(host, 0);
  ASSERT_EQ(host.boxes.size(), 2U);
  EXPECT_EQ(host.boxes[0].text, "Weryfikacja zakończona sukcesem !");
  EXPECT_EQ(host.boxes[0].caption, "Sukces !");
  EXPECT_EQ(host.boxes[1].text, "Weryfikacja zakończona z ostrzeżeniami !");
  EXPECT_EQ(host.boxes[1].caption, "Sukces ?");
  for (const auto& b : host.boxes) {
    EXPECT_EQ(b.icon, Icon::Information);
    EXPECT_EQ(b.buttons, Buttons::Ok);
  }
}

}  // namespace
}  // namespace kavira
