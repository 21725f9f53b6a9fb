// What stands behind a port name: paths that are no ports, and QtSerialPort's lock files, stale and
// held, on real pseudo-terminals.
#include "platform/port_device.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <array>
#include <cerrno>
#include <fstream>

#include "platform/port_manager.h"
#include "pty_helpers.h"
#include "scripted_host.h"

namespace kavira {
namespace {

namespace fs = std::filesystem;

long EndedProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

std::string Host() {
  std::array<char, 256> name{};
  ::gethostname(name.data(), name.size() - 1);
  return name.data();
}

TEST(PortDevice, LockFilesAreNamedAsQtNamesThem) {
  const struct {
    const char* port;
    const char* file;
  } cases[] = {{"/dev/pts/3", "/LCK..pts_3"},
               {"ttyUSB0", "/LCK..ttyUSB0"},
               {"/tmp/a/b", "/LCK.._tmp_a_b"},
               {"./x", "/LCK..._x"}};
  for (const auto& c : cases) {
    const std::string lock = PortLockPath(c.port);
    ASSERT_FALSE(lock.empty()) << c.port;
    EXPECT_EQ(lock.substr(lock.rfind('/')), c.file);
  }
  EXPECT_EQ(PortDevicePath("ttyS0"), "/dev/ttyS0");
  EXPECT_EQ(PortDevicePath("../x"), "../x");

  const struct {
    std::string contents;
    std::optional<long> pid;
    std::string program, host;
  } files[] = {
      {"1234\nkaviraob-cli\nvm\n3d12\n", 1234, "kaviraob-cli", "vm"},
      {"      987\n", 987, "", ""},  // as older programs write it
      {"", std::nullopt, "", ""},
      {"x12\n", std::nullopt, "", ""},
      {"-5\n", std::nullopt, "", ""},
  };
  for (const auto& f : files) {
    const auto owner = ParseLockFile(f.contents);
    ASSERT_EQ(owner.has_value(), f.pid.has_value()) << f.contents;
    if (!owner) continue;
    EXPECT_EQ(owner->pid, *f.pid);
    EXPECT_EQ(owner->program, f.program);
    EXPECT_EQ(owner->host, f.host);
  }
}

class PortLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lock_ = PortLockPath(pty_.path());
    if (lock_.empty()) GTEST_SKIP() << "no lock folder this process may write";
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove(lock_, ec);
  }
  // Opens the pseudo-terminal through the program's port manager: 0 or -2, the failure's hint kept.
  int Open() {
    manager_.PortName = {pty_.path()};
    manager_.PortNr = 0;
    const int r = manager_.OpenPort(_test_);
    manager_.closePort();
    return r;
  }

  test::SilentPty pty_;
  std::string lock_;
  SteadyClock clock_;
  test::ScriptedHost host_;
  PortManager manager_{clock_, host_};
};

// A lock whose owner is gone is free at once (Qt alone would wait 30 s for an empty one); a lock
// that is held is named, with its owner, in the message.
TEST_F(PortLockTest, StaleLocksAreFreeAtOnceAndHeldOnesAreNamed) {
  const long ended = EndedProcess();
  const std::string own = std::to_string(::getpid());
  const struct {
    const char* what;
    std::string contents;
    bool flocked;
    bool opens;
    std::string hint;
  } cases[] = {
      {"left empty by a killed run", "", false, true, ""},
      {"of an ended process", std::to_string(ended) + "\nkaviraob-cli\n" + Host() + "\n", false, true, ""},
      {"of an ended process, old style", "     " + std::to_string(ended) + "\n", false, true, ""},
      {"of another host", std::to_string(ended) + "\nkaviraob-cli\nelsewhere\n", false, false,
       "trzyma go proces " + std::to_string(ended) + " (kaviraob-cli), plik blokady " + lock_},
      {"empty, being written", "", true, false, "Port jest zajęty: plik blokady " + lock_ + "."},
      {"of a running process", own + "\ntest_platform\n" + Host() + "\n", false, false,
       "Port jest zajęty: trzyma go proces " + own + " (test_platform), plik blokady " + lock_ + "."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::ofstream(lock_) << c.contents;
    // Older than the moment a creator needs to take its flock().
    fs::last_write_time(lock_, fs::file_time_type::clock::now() - std::chrono::seconds(5));
    const int holder = ::open(lock_.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    if (c.flocked) {
      ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    }
    const int r = Open();
    ::close(holder);
    EXPECT_EQ(r, c.opens ? 0 : -2);
    if (!c.opens) {
      ASSERT_TRUE(manager_.lastOpenFailure());
      EXPECT_EQ(manager_.lastOpenFailure()->error, EBUSY);
      EXPECT_NE(manager_.lastOpenFailure()->hint.Polish().find(c.hint), std::string::npos)
          << manager_.lastOpenFailure()->hint.Polish();
      EXPECT_TRUE(fs::exists(lock_));
    }
    fs::remove(lock_);
  }

  // Really busy: another port of this program has it open.
  QtSerialPort holder(clock_);
  ASSERT_EQ(holder.open(pty_.path()).stage, OpenStage::Opened);
  EXPECT_EQ(Open(), -2);
  EXPECT_NE(manager_.lastOpenFailure()->hint.Polish().find("trzyma go proces " + own), std::string::npos)
      << manager_.lastOpenFailure()->hint.Polish();
  holder.close();

  // The lock belongs to the device, whatever path names it (a link such as /dev/serial/by-id/...):
  // root passes the exclusive-open flag, so the lock is all that keeps a second program off.
  QTemporaryDir dir;
  const std::string link = dir.path().toStdString() + "/by-id-link";
  fs::create_symlink(pty_.path(), link);
  EXPECT_EQ(PortLockPath(link), lock_);
  for (const auto& [first, second] : {std::pair{link, pty_.path()}, {pty_.path(), link}}) {
    SCOPED_TRACE(first + " held, " + second + " opened");
    ASSERT_EQ(holder.open(first).stage, OpenStage::Opened);
    EXPECT_EQ(holder.name(), first);
    manager_.PortName = {second};
    manager_.PortNr = 0;
    EXPECT_EQ(manager_.OpenPort(_test_), -2);
    manager_.closePort();
    ASSERT_TRUE(manager_.lastOpenFailure());
    EXPECT_EQ(manager_.lastOpenFailure()->error, EBUSY);
    EXPECT_NE(manager_.lastOpenFailure()->hint.Polish().find("trzyma go proces " + own +
                                                             " (test_platform), plik "
                                                             "blokady " +
                                                             lock_),
              std::string::npos)
        << manager_.lastOpenFailure()->hint.Polish();
    holder.close();
  }
}

// A folder, a file or a pipe given as the port is named as what it is, not as an I/O error or a
// missing device.
TEST(PortDevice, PathsThatAreNoPortsSayWhatTheyAre) {
  QTemporaryDir dir;
  const fs::path base = dir.path().toStdString();
  fs::create_directory(base / "folder");
  std::ofstream(base / "regular.txt") << "x";
  ASSERT_EQ(::mkfifo((base / "pipe").c_str(), 0644), 0);
  const fs::path before = fs::current_path();
  fs::current_path(base);
  const struct {
    std::string port;
    int error;
    const char* box;
    std::string hint;
  } cases[] = {
      {(base / "folder").string(), EISDIR, Texts::kPortOpenFailed,
       (base / "folder").string() + " to folder, a nie port szeregowy."},
      {"./regular.txt", ENOTTY, Texts::kPortConfigFailed,
       "./regular.txt to zwykły plik, a nie port szeregowy."},
      {(base / "pipe").string(), ENOTTY, Texts::kPortConfigFailed,
       (base / "pipe").string() + " to potok nazwany (FIFO), a nie port szeregowy."},
      {"regular.txt", ENOENT, Texts::kPortOpenFailed,
       "Nie ma urządzenia /dev/regular.txt; regular.txt w bieżącym folderze to zwykły plik, a nie port "
       "szeregowy."},
  };
  SteadyClock clock;
  test::ScriptedHost host;
  PortManager manager(clock, host);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.port);
    host.boxes.clear();
    manager.PortName = {c.port};
    manager.PortNr = 0;
    EXPECT_EQ(manager.OpenPort(_praca_), -2);
    ASSERT_EQ(host.boxes.size(), 1U);
    EXPECT_EQ(host.boxes[0].text, c.box);
    ASSERT_TRUE(manager.lastOpenFailure());
    EXPECT_EQ(manager.lastOpenFailure()->error, c.error);
    EXPECT_EQ(manager.lastOpenFailure()->hint.Polish(), c.hint);
  }
  fs::current_path(before);
}

}  // namespace
}  // namespace kavira
