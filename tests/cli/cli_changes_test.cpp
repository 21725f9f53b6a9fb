// write --changed, --since, undo, journal and diff against the simulated controller, and their
// refusals of bad input before anything is written.
#include <ctime>
#include <filesystem>
#include <limits>

#include "cli_test_support.h"
#include "files/journal.h"

namespace kavira::test {
namespace {

using CliChangesTest = CliTest;

constexpr std::size_t kScenesSize = 261632;

std::vector<std::uint32_t> WriteBlocks(const std::vector<Bytes>& frames) {
  std::vector<std::uint32_t> b;
  for (const Bytes& f : frames)
    if (f.size() >= 6 && f[0] == 0x11 && f[1] == 0x26) b.push_back(f[2] | (f[3] << 8U));
  return b;
}

std::filesystem::path OnlyJournal(const std::string& folder) {
  std::vector<std::filesystem::path> all;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    all.push_back(e.path());
  EXPECT_EQ(all.size(), 1U);
  return all.empty() ? std::filesystem::path() : all.back();
}

TEST_F(CliChangesTest, ChangedWriteJournalUndoSinceAndDiff) {
  // The fresh controller holds an all-zero image: "old" says so, "show" differs in one channel.
  WriteFile(path("old.K3s"), Bytes(kScenesSize, 0));
  Bytes scenes(kScenesSize, 0);
  scenes[898] = 10;  // scene 4 (1:4), channel 131: block 7
  WriteFile(path("show.K3s"), scenes);

  const CliRun diff = RunCli(Args({"diff", path("show"), path("old")}));
  EXPECT_EQ(diff.exitCode, 1) << diff.err;
  EXPECT_EQ(diff.out, "Błąd weryfikacji : scena 4 kanał 131 ( 10 <> 0 )\n");
  // In the language asked for, as verify prints it.
  const CliRun english = RunCli(Args({"--lang", "en", "diff", path("show"), path("old")}));
  EXPECT_EQ(english.out, "Verification error: scene 4 channel 131 ( 10 <> 0 )\n") << english.err;

  const CliRun write =
      cli({"write", "scenes", "--image", path("show"), "--changed", "--journal-dir", path("J")});
  ASSERT_EQ(write.exitCode, 0) << write.err;
  EXPECT_EQ(WriteBlocks(frames()), (std::vector<std::uint32_t>{7}));
  EXPECT_NE(write.err.find("wrote 1 block, 2043 already equal; undo journal: " + path("J")),
            std::string::npos)
      << write.err;
  const std::filesystem::path journal = OnlyJournal(path("J"));

  const CliRun list = RunCli(Args({"journal", journal.string()}));
  EXPECT_EQ(list.exitCode, 0) << list.err;
  EXPECT_NE(list.out.find("source:   read from the controller"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("  block 7: program 1 scene 4 (channels 129-256)\n"), std::string::npos)
      << list.out;

  controller([](SimController& c) { c.clearReceived(); });
  const CliRun undo = cli({"undo", journal.string(), "--journal-dir", path("U")});
  ASSERT_EQ(undo.exitCode, 0) << undo.err;
  EXPECT_EQ(WriteBlocks(frames()), (std::vector<std::uint32_t>{7}));
  EXPECT_EQ(controller([](SimController& c) { return c.memory().block(7)[2]; }), 0);

  // --since OLD: block 7 is read (the controller holds OLD there), written and read back.
  controller([](SimController& c) { c.clearReceived(); });
  const CliRun since = cli({"write", "scenes=1", "--image", path("show"), "--changed", "--since", path("old"),
                            "--journal-dir", path("S")});
  ASSERT_EQ(since.exitCode, 0) << since.err;
  EXPECT_EQ(blocks(), (std::vector<std::uint32_t>{7, 7, 7}));
  EXPECT_EQ(WriteBlocks(frames()), (std::vector<std::uint32_t>{7}));
  EXPECT_NE(RunCli(Args({"journal", OnlyJournal(path("S")).string()})).out.find("read from the controller"),
            std::string::npos);

  // The controller no longer holds OLD in block 7: a conflict, and nothing is written without --force.
  scenes[898] = 20;
  WriteFile(path("show2.K3s"), scenes);
  controller([](SimController& c) { c.clearReceived(); });
  const CliRun conflict = cli({"write", "scenes=1", "--image", path("show2"), "--changed", "--since",
                               path("old"), "--journal-dir", path("C")});
  EXPECT_EQ(conflict.exitCode, 1) << conflict.err;
  EXPECT_EQ(conflict.out,
            "Błąd weryfikacji : scena 4 kanał 131 : obraz 20, sterownik teraz 10, przedtem 0\n");
  EXPECT_TRUE(WriteBlocks(frames()).empty());
  EXPECT_NE(conflict.err.find("1 block changed in the controller since OLD"), std::string::npos)
      << conflict.err;
  const CliRun forced = cli({"write", "scenes=1", "--image", path("show2"), "--changed", "--since",
                             path("old"), "--force", "--journal-dir", path("C")});
  EXPECT_EQ(forced.exitCode, 0) << forced.err;
  EXPECT_EQ(WriteBlocks(frames()), (std::vector<std::uint32_t>{7}));
  EXPECT_EQ(controller([](SimController& c) { return c.memory().block(7)[2]; }), 20);
}

// The journals are named by the local time: a write in another time zone than the fifty before it
// (or after the clock was set back) sorts first by name, and still keeps the journal it names.
TEST_F(CliChangesTest, AWriteInAnotherTimeZoneKeepsItsJournal) {
  const std::string folder = path("J");
  std::filesystem::create_directory(folder);
  const std::int64_t now = std::time(nullptr);
  std::vector<std::string> tokyo;
  for (std::int64_t t = now - 100; t < now - 50; ++t) {
    // Kept in Tokyo, nine hours ahead of UTC the whole year.
    const std::time_t local = static_cast<std::time_t>(t + 9 * 3600);
    std::tm tm{};
    ::gmtime_r(&local, &tm);
    char name[32];
    std::strftime(name, sizeof name, "%Y-%m-%d_%H-%M-%S.K3j", &tm);
    tokyo.push_back(folder + "/" + name);
    WriteFile(tokyo.back(), EncodeJournalHeader({JournalSource::Controller, 1022, 1022, false, t, "1.05A"}));
  }
  Bytes settings(202, 0);
  settings[0] = 3;  // the end of program 1: block 2044 differs
  WriteFile(path("show.K3p"), settings);
  const CliRun write = cli(
      {"write", "settings", "--image", path("show"), "--changed", "--journal-dir", folder}, [](QProcess& p) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TZ", "UTC0");
        p.setProcessEnvironment(env);
      });
  ASSERT_EQ(write.exitCode, 0) << write.err;
  const std::string said = "undo journal: ";
  const std::size_t at = write.err.find(said);
  ASSERT_NE(at, std::string::npos) << write.err;
  const std::string journal = write.err.substr(at + said.size(), write.err.find('\n', at) - at - said.size());
  EXPECT_TRUE(std::filesystem::exists(journal)) << journal;
  EXPECT_EQ(RunCli(Args({"journal", journal})).exitCode, 0);
  // The oldest of the fifty made room.
  EXPECT_FALSE(std::filesystem::exists(tokyo.front()));
  EXPECT_TRUE(std::filesystem::exists(tokyo[1]));
}

TEST_F(CliChangesTest, BadInputIsRefusedBeforeAnythingIsWritten) {
  WriteFile(path("show.K3s"), Bytes(kScenesSize, 1));
  WriteFile(path("short.K3s"), Bytes(100, 0));
  WriteFile(path("file"), Bytes{1});
  WriteFile(path("damaged.K3j"), Bytes{'K', 'V', 'O', 'B', 'J', 'R', 'N', 'L', 1, 0, 24, 0, 9});
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    const char* error;
  };
  const std::string image = path("show");
  const Case cases[] = {
      {{"write", "scenes", "--image", image, "--changed", "--since", path("missing")}, 4, "missing.K3s"},
      {{"write", "scenes", "--image", image, "--changed", "--since", path("short")}, 4, "short.K3s"},
      {{"write", "scenes", "--image", image, "--changed", "--journal-dir", path("file") + "/J"},
       4,
       "cannot create the journal folder"},
      {{"write", "scenes", "--image", image, "--since", path("show")}, 2, "--since goes with --changed"},
      {{"write", "scenes", "--image", image, "--changed", "--force"}, 2, "--force goes with --since"},
      {{"undo", path("damaged.K3j")}, 4, "damaged.K3j: the journal's header is cut off or damaged"},
      {{"undo", path("none.K3j")}, 4, "cannot read the journal"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    QStringList args = Args({"--port", port()});
    for (const std::string& a : c.args)
      args << QString::fromStdString(a);
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
    EXPECT_TRUE(WriteBlocks(frames()).empty());
  }
}

// A crafted journal cannot print on the terminal what it likes: its firmware text is shown with its
// control characters escaped, and a creation time no run can have had is said to be one.
TEST(CliJournal, ShowsAJournalsTextsAsTheyAre) {
  QTemporaryDir dir;
  const struct {
    std::int64_t created;
    std::string firmware;
    std::string kept, shown;
  } cases[] = {
      {-5, "1.05A\x1b[2K\rkept:     2026-12-08 21:14:03", "an impossible time (-5 seconds since 1970)",
       "1.05A\\x1b[2K\\rkept:     2026-12-08 21:14:03"},
      {std::numeric_limits<std::int64_t>::max(), "1.05A\nfirmware: 9.99",
       "an impossible time (9223372036854775807 seconds since 1970)", "1.05A\\nfirmware: 9.99"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kept);
    const std::string journal = dir.path().toStdString() + "/crafted.K3j";
    WriteFile(journal, EncodeJournalHeader({JournalSource::Controller, 0, 0, false, c.created, c.firmware}));
    const CliRun r = RunCli(Args({"journal", journal}));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find("area:")), "kept:     " + c.kept + "\nfirmware: " + c.shown + "\n");
  }
}

// What goes to standard output is the command's result: when it cannot be written (a full disk), the
// run fails with the system's reason instead of ending with an empty or cut-off list.
TEST(CliOutput, AFailedWriteToStandardOutputIsAFileError) {
  QTemporaryDir dir;
  const std::string base = dir.path().toStdString() + "/";
  Bytes journal = EncodeJournalHeader({JournalSource::Controller, 0, 1021, false, 1765200000, "1.05A"});
  for (std::uint32_t block = 0; block < 100; ++block) {
    const Bytes r = EncodeJournalRecord(block, BlockData{});
    journal.insert(journal.end(), r.begin(), r.end());
  }
  WriteFile(base + "J.K3j", journal);
  WriteFile(base + "a.K3s", Bytes(kScenesSize, 0));
  WriteFile(base + "b.K3s", Bytes(kScenesSize, 1));
  const auto toFullDisk = [](QProcess& p) { p.setStandardOutputFile("/dev/full"); };
  const struct {
    QStringList args;
    const char* command;
  } cases[] = {
      {Args({"journal", base + "J.K3j"}), "journal"},
      {Args({"diff", base + "a", base + "b"}), "diff"},
      {Args({"--port", "/tmp/kavira-a", "ports"}), "ports"},
      {Args({"--help"}), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const CliRun r = RunCli(c.args, toFullDisk);
    EXPECT_EQ(r.exitCode, 4) << r.err;
    const std::string prefix = std::string("kaviraob-cli") + (*c.command != 0 ? " " : "") + c.command;
    EXPECT_NE(r.err.find(prefix + ": standard output: No space left on device"), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace kavira::test
