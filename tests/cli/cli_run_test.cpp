// read, write, verify, version and restart against the simulated controller; usage, port and file
// errors; retries; interruption.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <QDir>
#include <numeric>

#include "cli_test_support.h"
#include "platform/port_probe.h"
#include "platform/qt_serial_port.h"
#include "small_disk.h"

namespace kavira::test {
namespace {

using CliRunTest = CliTest;

constexpr std::size_t kScenesSize = 261632;
constexpr std::size_t kSettingsSize = 202;
constexpr std::size_t kMidiSize = 256;

TEST_F(CliRunTest, ReadAllGivesTheThreeFilesByteForByte) {
  auto image = std::make_unique<ControllerImage>();
  image->Sceny[0][0] = 0x11;
  image->Sceny[3][130] = 0x5A;
  image->Sceny[1021][255] = 0xFE;
  image->PgmEnds[0] = 3;
  image->PgmFade[47] = 0x42;
  image->ExtraMode = 0x1234;
  image->Shows[2][15] = 4;
  image->Midi[70].word = 0x1403;
  image->Midi[127].word = 0xBEEF;
  controller([&](SimController& c) { c.memory().loadImage(*image); });

  const CliRun r = cli({"read", "all", "--image", path("show")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(r.out.empty()) << r.out;

  Bytes scenes(kScenesSize, 0);
  scenes[0] = 0x11;
  scenes[898] = 0x5A;  // scene 3, byte 130
  scenes[261631] = 0xFE;
  EXPECT_EQ(ReadFile(path("show.K3s")), scenes);
  Bytes settings(kSettingsSize, 0);
  settings[0] = 3;       // PgmEnds[0]
  settings[143] = 0x42;  // PgmFade[47]
  settings[144] = 0x34;  // ExtraMode: the controller keeps its low byte only
  settings[145] = 0x00;
  settings[201] = 4;  // Shows, area 2, collection 15
  EXPECT_EQ(ReadFile(path("show.K3p")), settings);
  Bytes midi(kMidiSize, 0);
  midi[140] = 0x03;  // key 70
  midi[141] = 0x14;
  midi[254] = 0xEF;
  midi[255] = 0xBE;
  EXPECT_EQ(ReadFile(path("show.K3m")), midi);

  // One read request for every block, in order; the first one literally.
  std::vector<std::uint32_t> all(2048);
  std::iota(all.begin(), all.end(), 0U);
  EXPECT_EQ(blocks(), all);
  EXPECT_EQ(frames().front(), (Bytes{0x12, 0x26, 0x00, 0x00, 0x80, 0x48}));
}

TEST_F(CliRunTest, ASceneRangeSendsOnlyItsBlocksAndKeepsTheOtherScenes) {
  WriteFile(path("show.K3s"), Bytes(kScenesSize, 0x77));
  auto image = std::make_unique<ControllerImage>();
  for (auto& scene : image->Sceny)
    scene.fill(0x01);
  controller([&](SimController& c) { c.memory().loadImage(*image); });

  // Program 2, scenes 1-2: absolute scenes 32 and 33, blocks 64-67.
  // A data file's full name stands for its base.
  const CliRun r = cli({"read", "scenes=2:1-2:2", "--image", path("show.K3s")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(blocks(), (std::vector<std::uint32_t>{64, 65, 66, 67}));
  Bytes expected(kScenesSize, 0x77);
  std::fill(expected.begin() + 32 * 256, expected.begin() + 34 * 256, 0x01);
  EXPECT_EQ(ReadFile(path("show.K3s")), expected);
  // Only the file of the area read is saved.
  EXPECT_FALSE(std::filesystem::exists(path("show.K3p")));
  EXPECT_FALSE(std::filesystem::exists(path("show.K3m")));
}

TEST_F(CliRunTest, WriteThenVerifyAndEachKindOfDifferenceOnItsLine) {
  Bytes scenes(kScenesSize, 0);
  scenes[898] = 10;  // scene 4 (1:4), channel 131
  WriteFile(path("show.K3s"), scenes);
  Bytes settings(kSettingsSize, 0);
  settings[0] = 3;  // end of program 1
  WriteFile(path("show.K3p"), settings);
  Bytes midi(kMidiSize, 0);
  midi[140] = 0x03;  // key 70: 0x1403
  midi[141] = 0x14;
  WriteFile(path("show.K3m"), midi);

  const CliRun write = cli({"--fast-ack", "write", "all", "--image", path("show")});
  ASSERT_EQ(write.exitCode, 0) << write.err;
  ASSERT_EQ(frames().size(), 2048U);
  // Block 7 holds bytes 128-255 of scene 3; its write frame carries byte 130 third.
  const Bytes block7 = frames()[7];
  ASSERT_EQ(block7.size(), 134U);
  EXPECT_EQ((Bytes(block7.begin(), block7.begin() + 5)), (Bytes{0x11, 0x26, 0x07, 0x00, 0x80}));
  EXPECT_EQ(block7[5 + 2], 10);

  const CliRun same = cli({"verify", "all", "--image", path("show")});
  EXPECT_EQ(same.exitCode, 0) << same.err;
  EXPECT_TRUE(same.out.empty()) << same.out;
  EXPECT_NE(same.err.find("Weryfikacja zakończona sukcesem !"), std::string::npos) << same.err;

  controller([](SimController& c) {
    c.memory().block(7)[2] = 12;
    c.memory().block(2044)[0] = 5;
    c.memory().block(2047)[2 * 6] = 0x03;  // key 64 + 6 = 70
    c.memory().block(2047)[2 * 6 + 1] = 0x04;
  });
  const CliRun differs = cli({"verify", "all", "--image", path("show")});
  EXPECT_EQ(differs.exitCode, 1) << differs.err;
  EXPECT_EQ(differs.out,
            "Błąd weryfikacji : scena 4 kanał 131 ( 10 <> 12 )\n"
            "Błąd weryfikacji końca programu : program 1 ( 5 <> 3 )\n"
            "Błąd weryfikacji : kanał MIDI 70 ( 1403 <> 403 )\n");
  EXPECT_NE(differs.err.find("3 differences"), std::string::npos) << differs.err;

  // A range that leaves the changed scene out finds nothing.
  EXPECT_EQ(cli({"--quiet", "verify", "scenes=1:5-1:6", "--image", path("show")}).exitCode, 0);
}

TEST_F(CliRunTest, RefusalsWithinTheRetriesSucceedAndBeyondThemFail) {
  struct Case {
    const char* rule;
    const char* command;
    const char* retries;
    int exitCode;
    std::size_t framesForBlock5;
    const char* says;
  };
  const Case cases[] = {
      {"nak:block=5:count=2", "read", "2", 0, 3, "retry 2 of 2"},
      {"nak:block=5:count=3", "read", "2", 3, 3,
       "Błąd komunikacji : NAK at block 5 (scene 1:3), still failing after 2 retries"},
      {"checksum:block=5", "read", "0", 3, 1, "no retries allowed"},
      {"checksum:block=5", "read", "1", 0, 2, "retry 1 of 1"},
      {"nak:block=5:count=3", "write", "3", 0, 4, "retry 3 of 3"},
      {"nak:block=5:count=2", "write", "1", 3, 2, "Błąd komunikacji : NAK at block 5"},
      // A write that gets no answer is not called refused.
      {"silent:block=5", "write", "0", 3, 1, "Błąd komunikacji : brak danych : 0 at block 5 (scene 1:3)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.command) + " " + c.rule + " --retries " + c.retries);
    controller([](SimController& s) {
      s.clearRules();
      s.clearReceived();
    });
    rule(c.rule);
    std::filesystem::remove(path("r.K3s"));
    if (std::string(c.command) == "write") WriteFile(path("r.K3s"), Bytes(kScenesSize, 0));
    const CliRun r = cli({"--retries", c.retries, c.command, "scenes=1:3-1:4", "--image", path("r")});
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    const auto b = blocks();
    EXPECT_EQ(static_cast<std::size_t>(std::count(b.begin(), b.end(), 5U)), c.framesForBlock5);
    if (std::string(c.command) == "read") {
      // A read that fails saves nothing.
      EXPECT_EQ(std::filesystem::exists(path("r.K3s")), c.exitCode == 0);
    }
  }
}

TEST_F(CliRunTest, BadDataFilesAreRefusedBeforeAnythingIsSent) {
  WriteFile(path("short.K3s"), Bytes(1000, 0x55));
  WriteFile(path("short.K3p"), Bytes(150, 0));
  WriteFile(path("ok.K3p"), Bytes(kSettingsSize, 0));
  std::filesystem::create_directory(path("folder.K3m"));
  // Named pipes nobody writes into: never waited for.
  ASSERT_EQ(::mkfifo(path("pipe.K3s").c_str(), 0644), 0);
  ASSERT_EQ(::mkfifo(path("pipe.upg").c_str(), 0644), 0);
  // Links to devices, one of them the controller's own line: the bytes would go out on it.
  std::filesystem::create_symlink("/dev/null", path("null.K3s"));
  std::filesystem::create_symlink(port(), path("line.K3p"));
  std::string deep = path("");
  while (deep.size() <= 4100)
    deep += "/.";
  struct Case {
    std::initializer_list<std::string> args;
    int exitCode;
    std::string says;
  };
  const Case cases[] = {
      {{"write", "all", "--image", path("short")},
       4,
       "short.K3s : Błąd odczytu ! (it has 1000 bytes, the file needs 261632)"},
      {{"read", "scenes=1:1", "--image", path("short")}, 4, "Błąd odczytu !"},
      {{"verify", "settings", "--image", path("short")}, 4, "it has 150 bytes, the file needs 202"},
      // Writing or verifying needs the files of the areas it sends or compares.
      {{"write", "midi", "--image", path("ok")}, 4, "Plik " + path("ok.K3m") + " nie istnieje !"},
      {{"verify", "scenes", "--image", path("none")}, 4, "nie istnieje"},
      {{"verify", "midi", "--image", path("folder")}, 4, "folder.K3m"},
      // A read whose files could not be saved does not read.
      {{"read", "settings", "--image", path("nowhere/show")}, 4, "does not exist"},
      {{"read", "midi", "--image", path("folder")}, 4, "it is a folder"},
      {{"read", "all", "--image", path("pipe")},
       4,
       "pipe.K3s: cannot be saved (it is a named pipe (FIFO), not a file)"},
      {{"read", "scenes=1:1", "--image", path("pipe")},
       4,
       "Błąd otwarcia pliku ! (it is a named pipe (FIFO)"},
      {{"write", "scenes", "--image", path("pipe")}, 4, "it is a named pipe (FIFO), not a file"},
      {{"read", "all", "--image", path("null")}, 4, "null.K3s: cannot be saved (it is a device, not a file)"},
      {{"read", "settings", "--image", path("line")},
       4,
       "line.K3p: cannot be saved (it is a device, not a file)"},
      {{"firmware", "install", path("pipe.upg"), "--yes"}, 4, "it is a named pipe (FIFO), not a file"},
      // Names the folder or the system cannot take are found before the controller is read.
      {{"read", "all", "--image", path(std::string(252, 'b'))}, 4, "the file name is 256 bytes long"},
      {{"read", "settings", "--image", deep + "/show"}, 4, "bytes long; the system takes at most 4095"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Args(c.args).join(' ').toStdString());
    const CliRun r = cli(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
  EXPECT_EQ(frameCount(), 0U);
  EXPECT_EQ(ReadFile(path("short.K3s")), Bytes(1000, 0x55));
}

TEST_F(CliRunTest, AnInterruptedReadNeverReplacesAnExistingFile) {
  for (int signo : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signo);
    WriteFile(path("show.K3s"), Bytes(kScenesSize, 0x77));
    controller([](SimController& c) {
      c.clearReceived();
      c.clearRules();
    });
    // The third answer comes late, so the program is still reading when the signal arrives.
    rule("late:block=2:delay=20000");
    QProcess p;
    p.start(KAVIRAOB_CLI, Args({"--port", port(), "read", "scenes", "--image", path("show")}));
    p.closeWriteChannel();
    QElapsedTimer t;
    t.start();
    while (frameCount() < 3 && t.elapsed() < 20000)
      QThread::msleep(10);
    ASSERT_EQ(frameCount(), 3U);
    ::kill(static_cast<pid_t>(p.processId()), signo);
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 3);
    const std::string err = p.readAllStandardError().toStdString();
    EXPECT_NE(err.find("interrupted by"), std::string::npos) << err;
    EXPECT_NE(err.find("no file was saved"), std::string::npos) << err;
    EXPECT_EQ(ReadFile(path("show.K3s")), Bytes(kScenesSize, 0x77));
    EXPECT_EQ(frameCount(), 3U);
  }
}

// Interrupted while an answer crosses the line, and run again at once on the same port: the new run
// waits until the line is quiet, so the rest of that answer costs it no retry.
class CliPacedTest : public CliTest {
 protected:
  CliPacedTest() { simOptions_ = SimOptions{Millis(1), true}; }
};

TEST_F(CliPacedTest, ARunRightAfterAnInterruptedOneStartsClean) {
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    controller([](SimController& c) { c.clearReceived(); });
    QProcess p;
    p.start(KAVIRAOB_CLI, Args({"--port", port(), "read", "scenes", "--image", path("show")}));
    p.closeWriteChannel();
    QElapsedTimer t;
    t.start();
    while (frameCount() < 3 && t.elapsed() < 20000)
      QThread::msleep(1);
    QThread::msleep(20);  // half of the third answer (39 ms at the line's speed) is on its way
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 3);

    const CliRun r = cli({"read", "scenes=1:1-1:2", "--image", path("again")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find("retry"), std::string::npos) << r.err;
  }
}

// The files of a read are replaced as a set: a full disk replaces none (and says so even with -q);
// a damaged scenes file that the read replaces whole is not loaded first; temporary files of a
// killed run are removed at the next save.
TEST_F(CliRunTest, AReadReplacesItsFilesAsOneSet) {
  test::SmallDisk disk(1 << 20);
  REQUIRE_SMALL_DISK(disk);
  const std::string base = (disk / "show").string();
  const std::vector<std::pair<std::string, Bytes>> old{{base + ".K3s", Bytes(1000, 0x77)},
                                                       {base + ".K3p", Bytes(kSettingsSize, 0x77)},
                                                       {base + ".K3m", Bytes(kMidiSize, 0x77)}};
  for (const auto& [file, bytes] : old)
    WriteFile(file, bytes);
  // Room for the new scenes file and one page more.
  ASSERT_TRUE(disk.LeaveFree(kScenesSize + 4096 + 2048));
  const CliRun full = cli({"-q", "read", "all", "--image", base});
  EXPECT_EQ(full.exitCode, 4);
  EXPECT_NE(full.err.find(base + ".K3m : Błąd zapisu ! (No space left on device); no file was replaced"),
            std::string::npos)
      << full.err;
  for (const auto& [file, bytes] : old)
    EXPECT_EQ(ReadFile(file), bytes) << file;

  std::filesystem::remove(disk / "filler");
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  WriteFile(disk / (".kaviraob-" + std::to_string(child) + "-5"), {});
  const CliRun ok = cli({"read", "all", "--image", base});
  EXPECT_EQ(ok.exitCode, 0) << ok.err;
  EXPECT_NE(ok.err.find("removed 1 temporary file(s)"), std::string::npos) << ok.err;
  EXPECT_EQ(ReadFile(base + ".K3s"), Bytes(kScenesSize, 0));
  EXPECT_EQ(ReadFile(base + ".K3m"), Bytes(kMidiSize, 0));
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(disk.path()))
    names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"show.K3m", "show.K3p", "show.K3s"}));
}

// A file size limit (ulimit -f) stops a write as a full disk does: the old files stay, and a journal
// that cannot grow ends the run before the block it should have kept is sent.
TEST_F(CliRunTest, AFileSizeLimitFailsTheWriteInsteadOfKillingTheProgram) {
  const auto limit = [](rlim_t bytes) {
    return [bytes](QProcess& p) {
      p.setChildProcessModifier([bytes] {
        rlimit r{};
        ::getrlimit(RLIMIT_FSIZE, &r);
        r.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &r);
      });
    };
  };
  WriteFile(path("show.K3s"), Bytes(kScenesSize, 0x77));
  const CliRun read = cli({"-q", "read", "all", "--image", path("show")}, limit(8192));
  EXPECT_EQ(read.exitCode, 4) << read.err;
  EXPECT_NE(read.err.find(path("show.K3s") + " : Błąd zapisu ! (File too large); no file was replaced"),
            std::string::npos)
      << read.err;
  EXPECT_EQ(ReadFile(path("show.K3s")), Bytes(kScenesSize, 0x77));
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path().toStdString()))
    names.push_back(entry.path().filename());
  EXPECT_EQ(names, std::vector<std::string>{"show.K3s"});

  // Room for the journal's header, not for its first record.
  Bytes settings(kSettingsSize, 0);
  settings[0] = 3;
  WriteFile(path("show.K3p"), settings);
  controller([](SimController& c) { c.clearReceived(); });
  const CliRun write = cli(
      {"write", "settings", "--image", path("show"), "--changed", "--journal-dir", path("J")}, limit(100));
  EXPECT_EQ(write.exitCode, 4) << write.err;
  EXPECT_NE(write.err.find("cannot write the undo journal: File too large; the write stopped before that "
                           "block was sent"),
            std::string::npos)
      << write.err;
  EXPECT_NE(write.err.find(path("J") + "/"), std::string::npos) << write.err;
  for (const Bytes& f : frames())
    EXPECT_NE(f.front(), 0x11) << "a write frame was sent";
}

// A signal once the save has begun lets it finish: all files are complete, and the run ends with
// status 3 because the signal came before any file was replaced. The save is slowed down by the
// preload library that tools/kill-during-save.sh uses.
TEST_F(CliRunTest, ASignalDuringTheSaveLetsItFinish) {
  for (const char* ext : {".K3s", ".K3p", ".K3m"})
    WriteFile(path(std::string("show") + ext), Bytes(10, 0x77));
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("LD_PRELOAD", SLOW_FSYNC_SHIM);
  env.insert("KAVIRA_SLOW_FSYNC_MS", "300");
  env.insert("KAVIRA_SLOW_MARK", QString::fromStdString(path("mark")));
  env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
  p.setProcessEnvironment(env);
  p.start(KAVIRAOB_CLI, Args({"--port", port(), "read", "all", "--image", path("show")}));
  p.closeWriteChannel();
  QElapsedTimer t;
  t.start();
  while (!std::filesystem::exists(path("mark")) && p.state() != QProcess::NotRunning && t.elapsed() < 60000)
    QThread::msleep(2);
  ASSERT_TRUE(std::filesystem::exists(path("mark")));
  ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
  ASSERT_TRUE(p.waitForFinished(20000));
  const std::string err = p.readAllStandardError().toStdString();
  EXPECT_EQ(p.exitCode(), 3) << err;
  EXPECT_NE(
      err.find("SIGTERM arrived during the save; the save was finished first, so the files are complete"),
      std::string::npos)
      << err;
  EXPECT_EQ(ReadFile(path("show.K3s")), Bytes(kScenesSize, 0));
  EXPECT_EQ(ReadFile(path("show.K3p")), Bytes(kSettingsSize, 0));
  EXPECT_EQ(ReadFile(path("show.K3m")), Bytes(kMidiSize, 0));
}

TEST_F(CliRunTest, VersionAndRestart) {
  controller([](SimController& c) { c.memory().version = VersionBytes{7, 2, 'b'}; });
  const CliRun version = cli({"version"});
  EXPECT_EQ(version.exitCode, 0) << version.err;
  EXPECT_EQ(version.out, "2.07b\n");
  const CliRun restart = cli({"restart"});
  EXPECT_EQ(restart.exitCode, 0) << restart.err;
  awaitFrames(2);
  EXPECT_EQ(frames(), (std::vector<Bytes>{{0x12, 0x03, 0xEB}, {0x0F, 0x03, 0xEE}}));
  EXPECT_EQ(controller([](SimController& c) { return c.restarts(); }), 1U);

  controller([](SimController& c) { c.memory().version = VersionBytes{100, 1, 0}; });
  EXPECT_EQ(cli({"version"}).out, "1.??X\n");

  // Global options are taken after the command too.
  rule("nak:frame=4");
  const CliRun refused = RunCli(Args({"version", "--port", port(), "--retries", "0"}));
  EXPECT_EQ(refused.exitCode, 3);
  EXPECT_NE(refused.err.find("Błąd komunikacji : NAK at the version request"), std::string::npos)
      << refused.err;
}

TEST_F(CliRunTest, WithoutAPortTheGivenPortsAreSearched) {
  // Two ports: searched with the presence probe; the simulator answers it.
  const CliRun found = RunCli(Args({"--port", path("missing-tty"), "--port", port(), "version"}));
  EXPECT_EQ(found.exitCode, 0) << found.err;
  EXPECT_EQ(found.out, "1.05A\n");
  EXPECT_NE(found.err.find("found the controller on " + port()), std::string::npos) << found.err;
  EXPECT_EQ(frames().front(), (Bytes{0x1B, 0x03, 0xE2}));

  rule("nak:frame=3:count=10");  // the next probe is refused
  const CliRun none = RunCli(Args({"--port", port(), "--port", path("missing-tty"), "version"}));
  EXPECT_EQ(none.exitCode, 3);
  EXPECT_NE(none.err.find("Nie znalazłem sterownika Kavira OB !"), std::string::npos) << none.err;
}

// A second program is kept off the port on every path to it, root too (whom the exclusive-open flag
// does not stop): a link such as /dev/serial/by-id/... leads to the same lock.
TEST_F(CliRunTest, APortInUseIsRefusedOnEveryPathToIt) {
  const std::string link = path("by-id-link");
  std::filesystem::create_symlink(port(), link);
  SteadyClock clock;
  QtSerialPort holder(clock);
  ASSERT_EQ(holder.open(port()).stage, OpenStage::Opened);
  const CliRun r = RunCli(Args({"--port", link, "version"}));
  EXPECT_EQ(r.exitCode, 3) << r.err;
  EXPECT_NE(r.err.find(link +
                       ": Błąd otwarcia portu ! Device or resource busy (errno 16)\nPort jest zajęty: "
                       "trzyma go proces " +
                       std::to_string(::getpid())),
            std::string::npos)
      << r.err;
  holder.close();
  EXPECT_EQ(frameCount(), 0U);
  const CliRun free = RunCli(Args({"--port", link, "version"}));
  EXPECT_EQ(free.exitCode, 0) << free.err;
  EXPECT_EQ(free.out, "1.05A\n");
}

TEST(CliPort, APortThatCannotBeOpenedIsNamedWithTheSystemsReason) {
  const CliRun missing = RunCli(Args({"--port", "/nonexistent/ttyX", "version"}));
  EXPECT_EQ(missing.exitCode, 3);
  EXPECT_NE(missing.err.find("/nonexistent/ttyX: Błąd otwarcia portu ! No such file or directory (errno 2)"),
            std::string::npos)
      << missing.err;
  const CliRun notSerial = RunCli(Args({"--port", "/dev/null", "read", "all", "--image", "/tmp/x"}));
  EXPECT_EQ(notSerial.exitCode, 3);
  EXPECT_NE(notSerial.err.find("/dev/null: "), std::string::npos) << notSerial.err;
  // A folder is said to be one (Qt alone reports an input/output error).
  const CliRun folder = RunCli(Args({"--port", "/tmp", "version"}));
  EXPECT_EQ(folder.exitCode, 3);
  EXPECT_NE(
      folder.err.find("/tmp: Błąd otwarcia portu ! Is a directory (errno 21)\n/tmp to folder, a nie port"),
      std::string::npos)
      << folder.err;
  // A name that is also a word of the program's texts ("gniazdo": a socket) stays as it was typed when
  // the rest of the message is translated.
  QTemporaryDir here;
  ASSERT_TRUE(QDir(here.path()).mkdir(QStringLiteral("gniazdo")));
  const CliRun named = RunCli(Args({"--lang", "en", "--port", "gniazdo", "version"}),
                              [&](QProcess& p) { p.setWorkingDirectory(here.path()); });
  EXPECT_EQ(named.exitCode, 3);
  EXPECT_NE(
      named.err.find("\nThere is no device /dev/gniazdo; gniazdo in the current folder is a folder, not a "
                     "serial port.\n"),
      std::string::npos)
      << named.err;
}

TEST(CliUsage, MistakesAreRefusedWithAReason) {
  struct Case {
    std::initializer_list<std::string> args;
    const char* says;
  };
  const Case cases[] = {
      {{"read"}, "which AREA?"},
      {{"read", "all"}, "--image BASE is needed"},
      {{"read", "bogus", "--image", "x"}, "unknown area 'bogus'"},
      {{"write", "scenes=2:1-1:1", "--image", "x"}, "ends (1:1) before it starts (2:1)"},
      {{"verify", "scenes=48:15", "--image", "x"}, "program 48: it has scenes 1-14"},
      {{"read", "all", "midi", "--image", "x"}, "one AREA only"},
      {{"read", "all", "--image"}, "--image needs"},
      {{"read", "all", "--image", "x", "--bogus"}, "unknown option '--bogus'"},
      {{"read", "all", "--image", "x", "--image=y"}, "--image given twice"},
      {{"--retries", "x", "version"}, "--retries wants a number"},
      {{"version", "--retries=-1"}, "--retries wants a number"},
      {{"version", "now"}, "unexpected argument 'now'"},
      {{"restart", "--yes"}, "unexpected argument '--yes'"},
      {{"firmware"}, "install or verify?"},
      {{"firmware", "flash", "x.upg"}, "'flash': install or verify?"},
      {{"firmware", "install"}, "which update FILE?"},
      {{"firmware", "install", "a.upg", "b.upg"}, "one FILE only"},
      {{"pack-update", "a.hex", "-o", "a.upg"}, "--version M.mm is needed"},
      {{"pack-update", "a.hex", "--version", "1.6", "-o", "a.upg"}, "not '1.6'"},
      {{"pack-update", "a.hex", "--version", "1.06"}, "-o FILE.upg is needed"},
      {{"pack-update", "--version", "1.06", "-o", "a.upg"}, "which Intel HEX file?"},
      {{"simulate", "--misbehave", "bogus:frame=1"}, "unknown misbehaviour"},
      {{"simulate", "--misbehave", "nak"}, "no target"},
      {{"simulate", "--latency", "-1"}, "--latency"},
      {{"simulate", "--version", "1"}, "--version"},
      {{"simulate", "--demo", "--image", "x"}, "exclude"},
      {{"simulate", "--demo=1"}, "unknown option"},
      {{"simulate", "--image", "a", "--image", "b"}, "--image given twice"},
      {{"bogus"}, "no command 'bogus'"},
      {{"--port"}, "--port needs"},
      {{"--bogus", "ports"}, "unknown option"},
      {{}, "Usage"},
      {{"undo", "a.K3j", "b.K3j"}, "one JOURNAL only"},
      {{"undo", ""}, "which JOURNAL? (see --help)"},
      {{"journal", "-old.K3j"},
       "unknown option '-old.K3j'; a JOURNAL whose name begins with '-' goes after '--': journal -- "
       "-old.K3j"},
      {{"undo", "-old.K3j"}, "a JOURNAL whose name begins with '-' goes after '--': undo -- -old.K3j"},
      {{"read", "all", "--image", ""}, "--image needs"},
      {{"version", "--fast-ack=1"}, "unknown option '--fast-ack=1'"},
      {{"help", "bogus"}, "no command 'bogus'"},
      // A value that begins with '-' is taken only after '=': the option before it lacks its value.
      {{"read", "all", "--image", "--quiet"},
       "--image needs a base name, e.g. --image show; '--quiet' begins with '-' and is not taken as its "
       "value (write --image=--quiet if it is)"},
      {{"write", "all", "--image", "x", "--changed", "--journal-dir", "--fast-ack"},
       "--journal-dir needs a folder"},
      {{"--port", "--fast-ack", "version"}, "--port needs a port name or a device path; '--fast-ack' begins"},
      {{"version", "--retries", "-1"}, "--retries wants a number 0-1000; '-1' begins with '-'"},
      {{"pack-update", "a.hex", "--version", "1.06", "-o", "-a.upg"}, "(write --output=-a.upg if it is)"},
      {{"read", "all", "--image=", "--quiet"}, "--image needs a base name, e.g. --image show"},
      {{"version", "--fast-ack="}, "unknown option '--fast-ack=' (see --help)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Args(c.args).join(' ').toStdString());
    const CliRun r = RunCli(Args(c.args));
    EXPECT_EQ(r.exitCode, 2) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
  const CliRun missing = RunCli(Args({"simulate", "--image", "/nonexistent/show"}));
  EXPECT_EQ(missing.exitCode, 4);
  EXPECT_NE(missing.err.find("none of"), std::string::npos) << missing.err;
  // After "--" an argument that starts with '-' is a name, not an option; after "=" so is a value.
  const CliRun dashed = RunCli(Args({"journal", "--", "-none.K3j"}));
  EXPECT_EQ(dashed.exitCode, 4);
  EXPECT_NE(dashed.err.find("-none.K3j: cannot read the journal"), std::string::npos) << dashed.err;
  const CliRun dashedValue = RunCli(Args({"verify", "settings", "--image=-none"}));
  EXPECT_EQ(dashedValue.exitCode, 4);
  EXPECT_NE(dashedValue.err.find("Plik -none.K3p nie istnieje !"), std::string::npos) << dashedValue.err;
}

TEST(CliUsage, HelpForTheProgramAndEachCommandAndTheVersion) {
  const CliRun help = RunCli(Args({"--help"}));
  EXPECT_EQ(help.exitCode, 0);
  for (const char* command : {"version", "read", "write", "verify", "restart", "firmware", "pack-update",
                              "simulate", "ports", "undo", "journal", "diff"}) {
    EXPECT_NE(help.out.find(std::string("  ") + command + " "), std::string::npos) << command;
    const CliRun own = RunCli(Args({command, "--help"}));
    EXPECT_EQ(own.exitCode, 0) << command;
    EXPECT_NE(own.out.find("Usage: kaviraob-cli"), std::string::npos) << command;
    EXPECT_NE(own.out.find("kaviraob-cli "), own.out.rfind("kaviraob-cli ")) << command;  // with examples
  }
  const CliRun simHelp = RunCli(Args({"help", "simulate"}));
  EXPECT_EQ(simHelp.exitCode, 0);
  EXPECT_NE(simHelp.out.find("stray"), std::string::npos) << simHelp.out;
  const CliRun ports = RunCli(Args({"--port", "/tmp/kavira-a", "--port=/tmp/kavira-b", "ports"}));
  EXPECT_EQ(ports.exitCode, 0);
  EXPECT_EQ(ports.out.rfind("/tmp/kavira-a\n/tmp/kavira-b\n", 0), 0U) << ports.out;

  const CliRun version = RunCli(Args({"--version"}));
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.rfind("kaviraob-cli ", 0), 0U) << version.out;
  EXPECT_NE(version.out.find_first_of("0123456789"), std::string::npos) << version.out;
}

}  // namespace
}  // namespace kavira::test
