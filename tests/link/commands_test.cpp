#include "link/commands.h"

#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "engine_stepper.h"

namespace kavira::test {
namespace {

// The commands over an engine that talks to the scripted controller, as the window program runs them.
class CommandsTest : public EngineTest {
 protected:
  CommandsTest() {
    commands.portOpen = [this] { return portIsOpen; };
    commands.chooseRange = [this](std::uint32_t& from, std::uint32_t& to) {
      ++rangeDialogs;
      rangeSeen = {from, to};
      if (rangeChosen) std::tie(from, to) = *rangeChosen;
      return rangeAnswer;
    };
    engine.markFilled(0, kMidiUnit);  // as if a show had been loaded
  }

  // Block addresses of the frames written since frame `first`.
  std::vector<std::uint32_t> blocksFrom(std::size_t first) const {
    std::vector<std::uint32_t> b;
    for (std::size_t i = first; i < port.written.size(); ++i)
      b.push_back(addressOf(port.written[i]));
    return b;
  }

  Commands commands{engine, host};
  bool portIsOpen = true;
  bool rangeAnswer = true;
  std::optional<std::pair<std::uint32_t, std::uint32_t>> rangeChosen;
  int rangeDialogs = 0;
  std::pair<std::uint32_t, std::uint32_t> rangeSeen;
};

TEST_F(CommandsTest, ControllerActionWithoutAPortWarnsAndChangesNothing) {
  portIsOpen = false;
  for (_akcja a : {_read_, _verify_, _write_}) {
    engine.selectAction(a);
    commands.area(kIdScenes);
    EXPECT_EQ(engine.link().status, _idle_) << "akcja " << a;
  }
  ASSERT_EQ(host.boxes.size(), 3U);
  EXPECT_EQ(host.boxes[0].text, "Musisz wybrać dostępny port szeregowy !");
  EXPECT_EQ(host.boxes[0].caption, "Ostrzeżenie");
  EXPECT_EQ(host.boxes[0].icon, Icon::Exclamation);
  EXPECT_EQ(engine.link().exakcja, _NA_);
  EXPECT_EQ(engine.link().exobszar, _NN_);
  EXPECT_EQ(rangeDialogs, 0);
}

TEST_F(CommandsTest, FileActionsNeedNoPortAndNoRange) {
  portIsOpen = false;
  engine.selectAction(_fread_);
  commands.area(kIdScenes);
  EXPECT_EQ(engine.link().status, _file_);
  EXPECT_EQ(engine.link().obszar, _dane_);
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
      {kIdSettings, _sync_, 1022, 1022, 2044},
      {kIdMidi, _midi_, 1023, 1023, 2046},
      {kIdScenes, _dane_, 0, 1021, 0},  // brought back into the scenes after the MIDI run
  };
  engine.selectAction(_read_);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "command " << c.id);
    commands.area(c.id);
    EXPECT_EQ(engine.link().status, _init_);
    EXPECT_EQ(engine.link().obszar, c.area);
    EXPECT_EQ(engine.link().exobszar, c.area);
    EXPECT_EQ(engine.link().exakcja, _read_);
    EXPECT_EQ(engine.link().AdresOd, c.from);
    EXPECT_EQ(engine.link().AdresDo, c.to);
    EXPECT_EQ(engine.link().Adres, c.adres);
    commands.stop();
  }
  EXPECT_EQ(rangeDialogs, 1);
  EXPECT_EQ(rangeSeen, (std::pair<std::uint32_t, std::uint32_t>{0, 1021}));

  // A last unit below the first is brought up to the last scene.
  engine.recordAreaCommand({_read_, 30, 10});
  commands.area(kIdScenes);
  EXPECT_EQ(rangeSeen, (std::pair<std::uint32_t, std::uint32_t>{30, 1021}));
}

TEST_F(CommandsTest, CancelledRangeStartsNothingButRepeatWouldRunIt) {
  engine.selectAction(_verify_);
  commands.area(kIdSettings);
  runUntilIdle();
  host.boxes.clear();
  rangeAnswer = false;
  commands.area(kIdScenes);
  EXPECT_EQ(engine.link().status, _idle_);
  EXPECT_EQ(engine.link().obszar, _dane_);
  EXPECT_EQ(engine.link().exakcja, _verify_);
  EXPECT_EQ(engine.link().exobszar, _dane_);
  commands.repeat();
  EXPECT_EQ(engine.link().status, _init_);
  EXPECT_EQ(engine.link().akcja, _verify_);
  EXPECT_EQ(engine.link().AdresOd, 0U);
  EXPECT_EQ(engine.link().AdresDo, 1021U);
}

TEST_F(CommandsTest, EverythingTakesTheWholeMemoryWithoutADialog) {
  for (_akcja a : {_read_, _fsave_}) {
    SCOPED_TRACE(testing::Message() << "akcja " << a);
    commands.stop();
    engine.selectAction(a);
    commands.area(kIdEverything);
    EXPECT_EQ(engine.link().status, a == _read_ ? _init_ : _file_);
    EXPECT_EQ(engine.link().wszystko, 1);
    EXPECT_EQ(engine.link().AdresOd, 0U);
    EXPECT_EQ(engine.link().AdresDo, 1023U);
    EXPECT_EQ(engine.link().Adres, 0U);
  }
  EXPECT_EQ(rangeDialogs, 0);
}

// Whatever replaces or stops an "&Wszystko" run ends it: the next "&Sceny" asks for its range again
// and walks only that, instead of running on into the settings and MIDI blocks.
// At start-up the image is all zeros: a write of an area that nothing has read, loaded or edited
// asks first, and No (the default) sends nothing. A read of the area, or an edit, makes it data.
TEST_F(CommandsTest, AWriteOfAnAreaThatHoldsNoDataAsksFirst) {
  TransferEngine fresh{*image, host, clock};
  fresh.setPort(&port);
  Commands cmds{fresh, host};
  cmds.portOpen = [] { return true; };
  const auto writeSettings = [&](Answer answer) {
    host.boxes.clear();
    host.answers = {answer};
    fresh.selectAction(_write_);
    cmds.area(kIdSettings);
    return fresh.link().status != _idle_;
  };
  EXPECT_FALSE(writeSettings(Answer::No));
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].buttons, Buttons::YesNoDefaultNo);
  EXPECT_EQ(host.boxes[0].text.rfind("Obraz nie zawiera danych", 0), 0U);
  bool started = false;
  cmds.changesArea(kIdSettings, [&](const BlockWalk&) { started = true; });
  EXPECT_FALSE(started);  // the question's default answer

  fresh.startBlocks({_read_, kSettingsUnit, kSettingsUnit});
  StepEngine(
      fresh, clock, [] { return false; }, 100000);
  EXPECT_TRUE(writeSettings(Answer::No));
  EXPECT_TRUE(host.boxes.empty());
  fresh.stop();
}

TEST_F(CommandsTest, EveryWayOfEndingAnAllRunEndsIt) {
  const struct {
    const char* what;
    std::function<void()> end;
  } cases[] = {
      {"&Zatrzymaj", [&] { commands.stop(); }},
      {"&Restart sterownika", [&] { commands.restart(); }},
      // "&Auto" abandons the run, then reads the version of the controller it found.
      {"&Auto",
       [&] {
         engine.stop();
         engine.startVersion();
       }},
      // A port choice reads the version of the controller on the new port.
      {"port", [&] { engine.startVersion(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    engine.selectAction(_write_);
    commands.area(kIdEverything);
    runUntil([&] { return engine.link().Adres == 3; });
    c.end();
    EXPECT_EQ(engine.link().wszystko, 0);
    runUntilIdle();

    rangeDialogs = 0;
    rangeChosen = {{5, 5}};
    const std::size_t before = port.written.size();
    commands.area(kIdScenes);
    runUntilIdle();
    EXPECT_EQ(rangeDialogs, 1);
    EXPECT_EQ(blocksFrom(before), (std::vector<std::uint32_t>{10, 11}));
  }
  EXPECT_TRUE(host.boxes.empty());
}

// "&Powtórz" walks the last area command's range again, whatever ran in between: a firmware walk
// keeps its line count to itself.
TEST_F(CommandsTest, RepeatWalksTheLastAreaCommandAgain) {
  commands.repeat();  // nothing to repeat yet
  EXPECT_EQ(engine.link().status, _idle_);

  engine.selectAction(_read_);
  rangeChosen = {{10, 12}};
  commands.area(kIdScenes);
  runUntilIdle();
  FirmwareImage lines(1500);
  for (std::uint32_t i = 0; i < lines.size(); ++i) {
    lines[i].Adres = i * 16;
    lines[i].cnt = 16;
  }
  engine.startFirmware(lines, true);
  runUntilIdle();
  ASSERT_EQ(engine.link().obszar, _version_);

  const std::size_t before = port.written.size();
  commands.repeat();
  EXPECT_EQ(engine.link().akcja, _read_);
  EXPECT_EQ(engine.link().obszar, _dane_);
  EXPECT_EQ(engine.link().VerifyOK, 1);
  runUntilIdle();
  EXPECT_EQ(blocksFrom(before), (std::vector<std::uint32_t>{20, 21, 22, 23, 24, 25}));

  // After a MIDI transfer and a version read, the MIDI assignments again.
  engine.selectAction(_write_);
  commands.area(kIdMidi);
  runUntilIdle();
  engine.startVersion();
  runUntilIdle();
  commands.repeat();
  EXPECT_EQ(engine.link().akcja, _write_);
  EXPECT_EQ(engine.link().obszar, _midi_);
  EXPECT_EQ(engine.link().Adres, 2046U);
}

TEST_F(CommandsTest, BusyLinkIgnoresStartingCommands) {
  engine.selectAction(_read_);
  commands.area(kIdMidi);
  runUntil([&] { return engine.link().status == _rcving_; });
  rangeDialogs = 0;
  commands.area(kIdScenes);
  commands.repeat();
  EXPECT_FALSE(commands.firmwareAllowed());
  EXPECT_EQ(engine.link().status, _rcving_);
  EXPECT_EQ(engine.link().obszar, _midi_);
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(rangeDialogs, 0);
}

TEST_F(CommandsTest, FirmwareNeedsAPortAndLeavesTheVerifyOutcomeAlone) {
  portIsOpen = false;
  EXPECT_FALSE(commands.firmwareAllowed());
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text, "Musisz wybrać dostępny port szeregowy !");

  // A verify run that found a difference; the firmware command's check does not undo that.
  portIsOpen = true;
  controller.memory->PgmFade[0] = 1;
  host.answers = {Answer::No};
  engine.selectAction(_verify_);
  commands.area(kIdSettings);
  runUntilIdle();
  ASSERT_EQ(engine.link().VerifyOK, 0);
  EXPECT_TRUE(commands.firmwareAllowed());
  EXPECT_EQ(engine.link().VerifyOK, 0);
}

}  // namespace
}  // namespace kavira::test
