#include "platform/low_latency.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "link/clock.h"
#include "pty_helpers.h"

namespace kavira {
namespace {

namespace fs = std::filesystem;

// A pseudo-terminal refuses the low-latency request and has no latency timer: the port opens and
// works as before, and nobody is told anything.
TEST(LowLatency, APortThatRefusesIsLeftAsItIs) {
  test::SilentPty pty;
  ASSERT_FALSE(pty.path().empty());
  SteadyClock clock;
  QtSerialPort port(clock);
  ASSERT_EQ(port.open(pty.path()).stage, OpenStage::Opened);
  EXPECT_FALSE(port.adapterLatency().lowLatency);
  EXPECT_FALSE(port.adapterLatency().timerMs);
  EXPECT_FALSE(LatencyNote(port.adapterLatency(), LatencyHowToLower()));
}

// The timer as FTDI's driver shows it in sysfs, found through the link a udev rule may make.
TEST(LowLatency, TheTimerIsReadFromSysfsAndToldOnlyWhenItCosts) {
  const fs::path root = fs::path(testing::TempDir()) / "kavira-sysfs";
  fs::remove_all(root);
  fs::create_directories(root / "dev");
  fs::create_directories(root / "sys/class/tty/ttyUSB0/device");
  std::ofstream(root / "dev/ttyUSB0") << "";
  fs::create_symlink(root / "dev/ttyUSB0", root / "dev/kavira");
  auto setTimer = [&](const char* text) {
    std::ofstream(root / "sys/class/tty/ttyUSB0/device/latency_timer") << text;
  };

  setTimer("16\n");
  const auto timer = SysfsLatencyTimer(root / "sys", (root / "dev/kavira").string());
  ASSERT_EQ(timer, 16);
  const auto note = LatencyNote({false, timer}, "a udev rule");
  ASSERT_TRUE(note);
  // 2048 blocks each wait about 13 ms for their answer's tail: some 27 s on an 84 s read.
  EXPECT_NE(note->find("16 ms"), std::string::npos) << *note;
  EXPECT_NE(note->find("27 s (33 %)"), std::string::npos) << *note;
  EXPECT_NE(note->find("a udev rule"), std::string::npos) << *note;

  // The window program's tooltip says the same in its own texts.
  const auto tooltip = LatencyMessage({false, timer});
  ASSERT_TRUE(tooltip);
  EXPECT_NE(tooltip->Polish().find("do 16 ms: pełny odczyt trwa o około 27 s (33 %) dłużej"),
            std::string::npos)
      << tooltip->Polish();

  EXPECT_FALSE(LatencyNote({true, 1}, "a udev rule"));
  EXPECT_FALSE(LatencyNote({false, 2}, "a udev rule"));
  EXPECT_FALSE(LatencyMessage({false, 2}));
  for (const char* bad : {"", "sixteen", "-1", "999"}) {
    setTimer(bad);
    EXPECT_FALSE(SysfsLatencyTimer(root / "sys", (root / "dev/ttyUSB0").string())) << bad;
  }
  EXPECT_FALSE(SysfsLatencyTimer(root / "sys", (root / "dev/missing").string()));
  fs::remove_all(root);
}

}  // namespace
}  // namespace kavira
