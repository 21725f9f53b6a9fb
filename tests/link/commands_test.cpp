#include "link/commands.h"

#include <gtest/gtest.h>

#include <memory>

#include "fake_port.h"
#include "scripted_host.h"

namespace kavira {
namespace {

using test::ScriptedHost;

class CommandsTest : public ::testing::Test {
 protected:
  CommandsTest() {
    engine.status = _idle_;
    commands.portOpen = [this] { return portIsOpen; };
    commands.chooseRange = [this] {
      ++rangeDialogs;
      rangeSeen = {engine.AdresOd, engine.AdresDo};
      return rangeAnswer;
    };
  }

  ManualClock clock;
  ScriptedHost host;
  std::unique_ptr<ControllerImage> image = std::make_unique<ControllerImage>();
  TransferEngine engine{*image, host, clock};
  Commands commands{engine, host};
  bool portIsOpen = true;
  bool rangeAnswer = true;
  int rangeDialogs = 0;
  std::pair<std::uint32_t, std::uint32_t> rangeSeen;
};

TEST_F(CommandsTest, ControllerActionWithoutAPortWarnsAndChangesNothing) {
  portIsOpen = false;
  for (_akcja a : {_read_, _verify_, _write_}) {
    engine.selectAction(a);
    commands.area(kIdSceny);
    EXPECT_EQ(engine.status, _idle_) << "akcja " << a;
  }
  ASSERT_EQ(host.boxes.size(), 3U);
  EXPECT_EQ(host.boxes[0].text, "Musisz wybrać dostępny port szeregowy !");
  EXPECT_EQ(host.boxes[0].caption, "Ostrzeżenie");
  EXPECT_EQ(host.boxes[0].icon, Icon::Exclamation);
  EXPECT_EQ(engine.exakcja, _NA_);
  EXPECT_EQ(engine.exobszar, _NN_);
  EXPECT_EQ(rangeDialogs, 0);
}

TEST_F(CommandsTest, FileActionsNeedNoPortAndNoRange) {
  portIsOpen = false;
  engine.selectAction(_fread_);
  commands.area(kIdSceny);
  EXPECT_EQ(engine.status, _file_);
  EXPECT_EQ(engine.obszar, _dane_);
  EXPECT_EQ(rangeDialogs, 0);
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(CommandsTest, AreaCommandsSetTheirRange) {
  struct Case {
    int id;
    _obszar area;
    std::uint32_t from, to, adres;
  };
  const Case cases[] = {
      {kIdUstawienia, _sync_, 1022, 1022, 2044},
      {kIdMidi, _midi_, 1023, 1023, 2046},
      {kIdSceny, _dane_, 0, 1021, 0},  // brought back into the scenes after the MIDI run
  };
  engine.selectAction(_read_);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "command " << c.id);
    commands.area(c.id);
    EXPECT_EQ(engine.status, _init_);
    EXPECT_EQ(engine.obszar, c.area);
    EXPECT_EQ(engine.exobszar, c.area);
    EXPECT_EQ(engine.exakcja, _read_);
    EXPECT_EQ(engine.AdresOd, c.from);
    EXPECT_EQ(engine.AdresDo, c.to);
    EXPECT_EQ(engine.Adres, c.adres);
    engine.status = _idle_;
  }
  EXPECT_EQ(rangeDialogs, 1);
  EXPECT_EQ(rangeSeen, (std::pair<std::uint32_t, std::uint32_t>{0, 1021}));
}

TEST_F(CommandsTest, RangeBelowTheFirstSceneIsWidened) {
  engine.AdresOd = 30;
  engine.AdresDo = 10;
  engine.selectAction(_write_);
  commands.area(kIdSceny);
  EXPECT_EQ(rangeSeen, (std::pair<std::uint32_t, std::uint32_t>{30, 1021}));
}

TEST_F(CommandsTest, CancelledRangeStartsNothingButRepeatWouldRunIt) {
  engine.selectAction(_verify_);
  rangeAnswer = false;
  engine.AdresOd = 1022;
  engine.AdresDo = 1022;
  commands.area(kIdSceny);
  EXPECT_EQ(engine.status, _idle_);
  EXPECT_EQ(engine.exakcja, _verify_);
  EXPECT_EQ(engine.exobszar, _dane_);
  commands.repeat();
  EXPECT_EQ(engine.status, _init_);
  EXPECT_EQ(engine.akcja, _verify_);
  EXPECT_EQ(engine.AdresOd, 0U);
  EXPECT_EQ(engine.AdresDo, 1021U);
}

TEST_F(CommandsTest, EverythingTakesTheWholeMemoryWithoutADialog) {
  for (_akcja a : {_read_, _fsave_}) {
    SCOPED_TRACE(testing::Message() << "akcja " << a);
    engine.status = _idle_;
    engine.selectAction(a);
    commands.area(kIdWszystko);
    EXPECT_EQ(engine.status, a == _read_ ? _init_ : _file_);
    EXPECT_EQ(engine.wszystko, 1);
    EXPECT_EQ(engine.AdresOd, 0U);
    EXPECT_EQ(engine.AdresDo, 1023U);
    EXPECT_EQ(engine.Adres, 0U);
  }
  EXPECT_EQ(rangeDialogs, 0);
}

TEST_F(CommandsTest, RepeatTakesTheLastAreaCommand) {
  commands.repeat();  // nothing to repeat yet
  EXPECT_EQ(engine.status, _idle_);
  engine.selectAction(_write_);
  commands.area(kIdMidi);
  engine.status = _idle_;
  engine.akcja = _NA_;
  engine.obszar = _version_;
  engine.Adres = 0;
  engine.VerifyOK = 0;
  commands.repeat();
  EXPECT_EQ(engine.status, _init_);
  EXPECT_EQ(engine.akcja, _write_);
  EXPECT_EQ(engine.obszar, _midi_);
  EXPECT_EQ(engine.Adres, 2046U);
  EXPECT_EQ(engine.VerifyOK, 1);
}

TEST_F(CommandsTest, BusyLinkIgnoresStartingCommands) {
  engine.selectAction(_read_);
  engine.status = _rcving_;
  commands.area(kIdSceny);
  commands.repeat();
  EXPECT_FALSE(commands.firmwareAllowed());
  EXPECT_EQ(engine.status, _rcving_);
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(rangeDialogs, 0);
}

TEST_F(CommandsTest, FirmwareNeedsAPort) {
  portIsOpen = false;
  EXPECT_FALSE(commands.firmwareAllowed());
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text, "Musisz wybrać dostępny port szeregowy !");
  portIsOpen = true;
  engine.VerifyOK = 0;
  EXPECT_TRUE(commands.firmwareAllowed());
  EXPECT_EQ(engine.VerifyOK, 1);
}

}  // namespace
}  // namespace kavira
