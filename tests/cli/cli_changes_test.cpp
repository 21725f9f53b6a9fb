// write --changed, --since, undo, journal and diff against the simulated controller, and their
// refusals of bad input before anything is written.
#include <filesystem>

#include "cli_test_support.h"

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

  // --since reads nothing first: the write of block 7, then its read-back.
  controller([](SimController& c) { c.clearReceived(); });
  const CliRun since = cli({"write", "scenes=1", "--image", path("show"), "--changed", "--since", path("old"),
                            "--journal-dir", path("S")});
  ASSERT_EQ(since.exitCode, 0) << since.err;
  EXPECT_EQ(blocks(), (std::vector<std::uint32_t>{7, 7}));
  EXPECT_EQ(WriteBlocks(frames()), (std::vector<std::uint32_t>{7}));
  EXPECT_NE(RunCli(Args({"journal", OnlyJournal(path("S")).string()})).out.find("taken from an OLD image"),
            std::string::npos);
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

}  // namespace
}  // namespace kavira::test
