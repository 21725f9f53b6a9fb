#include "platform/port_list.h"

#include <grp.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace kavira {
namespace {

using Names = std::vector<std::string>;

TEST(PortSort, ComparesWithoutRegardToCase) {
  struct Case {
    const char* a;
    const char* b;
    int sign;
  };
  const Case cases[] = {
      {"COM10", "COM2", -1},    {"com1", "COM1", 0},   {"COM1", "COM10", -1}, {"ttyS0", "TTYUSB0", -1},
      {"ttyACM0", "ttyS0", -1}, {"FILE:", "COM5:", 1}, {"", "a", -1},         {"b", "B", 0},
  };
  auto sign = [](int v) { return (v > 0) - (v < 0); };
  for (const auto& c : cases) {
    EXPECT_EQ(sign(PortSort(c.a, c.b)), c.sign) << c.a << " vs " << c.b;
    EXPECT_EQ(sign(PortSort(c.b, c.a)), -c.sign) << c.b << " vs " << c.a;
  }
}

TEST(BuildPortList, SortsTheSystemsPortsAndPutsGivenPortsFirst) {
  const std::vector<SystemPort> system{{"ttyUSB0", "/dev/ttyUSB0"},
                                       {"ttyS1", "/dev/ttyS1"},
                                       {"ttyACM0", "/dev/ttyACM0"},
                                       {"TTYS0", "/dev/TTYS0"}};
  struct Case {
    const char* what;
    std::optional<std::vector<SystemPort>> system;
    Names given;
    Names expected;
  };
  const Case cases[] = {
      {"sorted, case-insensitively", system, {}, {"ttyACM0", "TTYS0", "ttyS1", "ttyUSB0"}},
      {"given first, each once",
       system,
       {"/tmp/a", "/tmp/b", "/tmp/a"},
       {"/tmp/a", "/tmp/b", "ttyACM0", "TTYS0", "ttyS1", "ttyUSB0"}},
      {"a listed port given by path is searched first, not twice",
       system,
       {"/dev/ttyS1"},
       {"/dev/ttyS1", "ttyACM0", "TTYS0", "ttyUSB0"}},
      {"a listed port given by name", system, {"ttyUSB0"}, {"ttyUSB0", "ttyACM0", "TTYS0", "ttyS1"}},
      {"an empty system list is no port at all", std::vector<SystemPort>{}, {}, {}},
      {"an empty system list with a given port", std::vector<SystemPort>{}, {"/dev/pts/3"}, {"/dev/pts/3"}},
      {"no system list: the fallback", std::nullopt, {}, FallbackPortList()},
  };
  for (const auto& c : cases)
    EXPECT_EQ(BuildPortList(c.system, c.given), c.expected) << c.what;
  // Names of any length are kept whole.
  const std::vector<SystemPort> longName{{"ttyUSB-very-long-adapter-name", ""}};
  EXPECT_EQ(BuildPortList(longName, {}), Names{"ttyUSB-very-long-adapter-name"});
}

TEST(BuildPortList, FallbackIsTheFirstTwoSerialPorts) {
#ifdef _WIN32
  EXPECT_EQ(FallbackPortList(), (Names{"COM1", "COM2"}));
#else
  EXPECT_EQ(FallbackPortList(), (Names{"/dev/ttyS0", "/dev/ttyS1"}));
#endif
}

#ifdef __linux__
TEST(PermissionHint, NamesTheGroupThatOwnsTheDevice) {
  const std::string path =
      std::filesystem::temp_directory_path() / ("kavira-hint-" + std::to_string(getpid()));
  std::ofstream(path).put('x');
  const group* dialout = getgrnam("dialout");
  const group* other = getgrnam("uucp") ? getgrnam("uucp") : dialout;
  ASSERT_NE(other, nullptr);
  const gid_t gid = other->gr_gid;
  const std::string groupName = other->gr_name;
  ASSERT_EQ(chown(path.c_str(), static_cast<uid_t>(-1), gid), 0);

  const std::string hint = PermissionHint(path, EACCES).Polish();
  EXPECT_NE(hint.find(path), std::string::npos) << hint;
  EXPECT_NE(hint.find("grupy " + groupName), std::string::npos) << hint;
  EXPECT_NE(hint.find("usermod -aG " + groupName), std::string::npos) << hint;
  // A device that is missing or busy needs no group.
  EXPECT_TRUE(PermissionHint(path, ENOENT).empty());
  EXPECT_TRUE(PermissionHint(path, EBUSY).empty());
  // When the owner cannot be found the usual group is named.
  EXPECT_NE(PermissionHint("/dev/kavira-no-such-port", EACCES).Polish().find("dialout"), std::string::npos);
  std::remove(path.c_str());
}
#endif

}  // namespace
}  // namespace kavira
