// `kaviraob-cli simulate` as a user runs it: the controller it serves on a pseudo-terminal, reached
// through the serial adapter, its misbehaviour rules, and how it ends.
#include "cli_test_support.h"
#include "files/data_files.h"
#include "link/frames.h"
#include "pty_helpers.h"
#include "sim/demo_show.h"

namespace kavira::test {
namespace {

// A running `kaviraob-cli simulate`, with its pseudo-terminal opened through the serial adapter.
class Simulator {
 public:
  explicit Simulator(const QStringList& options) {
    process_.start(KAVIRAOB_CLI, QStringList{"simulate"} + options);
    for (int i = 0; i < 100 && !process_.canReadLine(); ++i)
      process_.waitForReadyRead(100);
    path_ = QString::fromUtf8(process_.readLine()).trimmed().toStdString();
  }
  ~Simulator() {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished(5000);
    }
  }

  const std::string& path() const { return path_; }
  QProcess& process() { return process_; }

  // Writes a frame through `port` and reads n bytes of answer.
  Bytes exchange(QtSerialPort& port, const Bytes& frame, std::size_t n) {
    EXPECT_EQ(port.startWrite(frame), 0);
    test::Drive(port, [&] { return port.pollWrite(); });
    EXPECT_EQ(port.startRead(n), 0);
    test::Drive(port, [&] { return port.pollRead(); });
    return {port.received().begin(), port.received().end()};
  }

  // Signals the process and waits for it to end; its exit code, or -1 when it did not end cleanly.
  int end(int signal) {
    ::kill(static_cast<pid_t>(process_.processId()), signal);
    if (!process_.waitForFinished(5000) || process_.exitStatus() != QProcess::NormalExit) return -1;
    return process_.exitCode();
  }

 private:
  QProcess process_;
  std::string path_;
};

Bytes DataOf(const Bytes& reply) {
  return reply.size() > 6 ? Bytes(reply.begin() + 5, reply.end() - 1) : Bytes{};
}

TEST(SimulateCommand, ServesTheDemoShowWithVersionAndRulesUntilTerminated) {
  Simulator sim(Args({"--demo", "--no-pacing", "--version", "2.07b", "--misbehave", "nak:frame=2"}));
  ASSERT_EQ(sim.path().rfind("/dev/", 0), 0U) << sim.path();
  SteadyClock clock;
  QtSerialPort port(clock);
  ASSERT_EQ(port.open(sim.path()).stage, OpenStage::Opened);

  EXPECT_EQ(sim.exchange(port, {0x1B, 0x03, 0xE2}, 3), (Bytes{0x06, 0x03, 0xF7}));
  EXPECT_EQ(sim.exchange(port, {0x1B, 0x03, 0xE2}, 3), (Bytes{0x15, 0x03, 0xE8}));
  EXPECT_EQ(sim.exchange(port, {0x12, 0x03, 0xEB}, 9),
            (Bytes{0x13, 0x06, 0x00, 0x00, 0x03, 0x07, 0x02, 0x62, 0x79}));

  auto show = std::make_unique<ControllerImage>();
  FillDemoShow(*show);
  const BlockData settings = EncodeBlock(*show, 2045);
  const Bytes reply = sim.exchange(port, {0x12, 0x26, 0xFD, 0x07, 0x80, 0x44}, 134);
  EXPECT_EQ(DataOf(reply), Bytes(settings.begin(), settings.end()));

  EXPECT_EQ(sim.end(SIGTERM), 0);
}

TEST(SimulateCommand, EndsCleanlyOnInterruptAndWhenTheLineIsClosedOnCommand) {
  {
    Simulator sim(Args({}));
    ASSERT_FALSE(sim.path().empty());
    EXPECT_EQ(sim.end(SIGINT), 0);
  }
  Simulator sim(Args({"--misbehave", "close:frame=1"}));
  SteadyClock clock;
  QtSerialPort port(clock);
  ASSERT_EQ(port.open(sim.path()).stage, OpenStage::Opened);
  EXPECT_EQ(port.startWrite(Bytes{0x1B, 0x03, 0xE2}), 0);
  ASSERT_TRUE(sim.process().waitForFinished(5000));
  EXPECT_EQ(sim.process().exitCode(), 0);
  EXPECT_TRUE(sim.process().readAllStandardError().contains("closed"));
}

TEST(SimulateCommand, LoadsTheDataFilesGivenAsImage) {
  QTemporaryDir dir;
  const std::string base = (dir.path() + "/show").toStdString();
  auto image = std::make_unique<ControllerImage>();
  image->Sceny[0][0] = 0x5A;
  image->Midi[0].word = 0x1234;
  for (DataArea area : {DataArea::Scenes, DataArea::Midi}) {
    ASSERT_FALSE(SaveDataFile(base + "." + DataFileExtension(area), area, *image));
  }
  Simulator sim(Args({"--no-pacing", "--image", base}));
  SteadyClock clock;
  QtSerialPort port(clock);
  ASSERT_EQ(port.open(sim.path()).stage, OpenStage::Opened);
  const Bytes block0 = DataOf(sim.exchange(port, {0x12, 0x26, 0x00, 0x00, 0x80, 0x48}, 134));
  ASSERT_EQ(block0.size(), 128U);
  EXPECT_EQ(block0[0], 0x5A);
  const Bytes block2046 = DataOf(sim.exchange(port, {0x12, 0x26, 0xFE, 0x07, 0x80, 0x43}, 134));
  ASSERT_EQ(block2046.size(), 128U);
  EXPECT_EQ(block2046[0], 0x34);
  EXPECT_EQ(block2046[1], 0x12);
  EXPECT_EQ(sim.end(SIGTERM), 0);
}

}  // namespace
}  // namespace kavira::test

namespace kavira::test {
namespace {

// link-test through each adapter the simulator models: every exchange answered, the report complete;
// a controller that stops answering ends it with exit 3; a bad adapter name is a usage error.
TEST(LinkTestCommand, MeasuresTheLineThroughEachAdapterModel) {
  // All at once: each run takes some seconds of the line's time and little processor.
  const std::vector<std::string> adapters = {"uart", "ftdi", "ftdi:1", "ch340", "pl2303"};
  std::vector<std::unique_ptr<Simulator>> sims;
  std::vector<std::unique_ptr<QProcess>> runs;
  for (const std::string& adapter : adapters) {
    sims.push_back(std::make_unique<Simulator>(Args({"--demo", "--adapter", adapter})));
    runs.push_back(std::make_unique<QProcess>());
    runs.back()->start(KAVIRAOB_CLI, Args({"--port", sims.back()->path(), "link-test"}));
    runs.back()->closeWriteChannel();
  }
  for (std::size_t k = 0; k < adapters.size(); ++k) {
    SCOPED_TRACE(adapters[k]);
    ASSERT_TRUE(runs[k]->waitForFinished(120000));
    const std::string out = runs[k]->readAllStandardOutput().toStdString();
    EXPECT_EQ(runs[k]->exitCode(), 0) << runs[k]->readAllStandardError().toStdString();
    for (const char* line :
         {"port: ", "adapter: ", "latency timer: ", "version request, 50 answered: min ",
          "block read, 50 answered: min ", "failed exchanges: 0\n", "whole read: about ", "advice: "})
      EXPECT_NE(out.find(line), std::string::npos) << line << " in\n" << out;
  }
  // A controller that stops answering: link-test gives up after five failed exchanges in a row.
  Simulator refusing(Args({"--demo", "--misbehave", "nak:frame=10:count=100"}));
  const CliRun r = RunCli(Args({"--port", refusing.path(), "--retries", "0", "link-test"}));
  EXPECT_EQ(r.exitCode, 3) << r.out << r.err;
  EXPECT_NE(r.out.find("version request, 9 answered"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("failed exchanges: 5\nadvice: the line stopped answering"), std::string::npos)
      << r.out;
  EXPECT_EQ(RunCli(Args({"simulate", "--adapter", "ftdi:0"})).exitCode, 2);
}

}  // namespace
}  // namespace kavira::test
