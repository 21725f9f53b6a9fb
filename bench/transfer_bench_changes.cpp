// transfer_bench --changes: one scene of the demo show edited and written, against the same paced
// simulator as the other walks (38400 baud), with fast acknowledgements: the original whole write,
// the changes-only whole write with its journal flushed per record and without (what the flushes
// cost), the changes-only write with --since over the edited scene, and after a whole read the
// three-way write of one and of ten edited scenes. For each: wall time, the line's bound for what
// was actually sent and received, their ratio and CPU.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "bench_host.h"
#include "files/journal.h"
#include "link/transfer_engine.h"
#include "link/verification.h"
#include "platform/engine_driver.h"
#include "platform/qt_serial_port.h"
#include "sim/demo_show.h"
#include "transfer_bench_changes.h"

namespace kavira {
namespace {

constexpr double kByteSeconds = 11.0 / 38400.0;
constexpr double kRead = 6 + 134;   // a read request and its reply
constexpr double kWrite = 134 + 3;  // a write frame and its acknowledgement

}  // namespace

int RunChangesBench(int latencyMs, bool quick) {
  QProcess sim;
  sim.setProgram(QCoreApplication::applicationFilePath());
  sim.setArguments({QStringLiteral("--serve"), QString::number(latencyMs), QStringLiteral("fifo")});
  sim.start();
  if (!sim.waitForReadyRead(5000)) {
    std::fprintf(stderr, "the simulated controller did not start\n");
    return 1;
  }
  const std::string path = sim.readLine().trimmed().toStdString();
  SteadyClock clock;
  BenchHost host;
  // The controller holds the demo show; `edited` has one scene changed in both its blocks.
  auto show = std::make_unique<ControllerImage>();
  FillDemoShow(*show);
  auto edited = std::make_unique<ControllerImage>(*show);
  for (auto& c : edited->Sceny[20])
    c = static_cast<std::uint8_t>(c + 1);
  auto image = std::make_unique<ControllerImage>(*edited);
  TransferEngine engine(*image, host, clock);
  EngineDriver driver(engine, clock);
  QObject::connect(&driver, &EngineDriver::idle, qApp, &QCoreApplication::quit);
  QtSerialPort port(clock);
  if (port.open(path).stage != OpenStage::Opened) {
    std::fprintf(stderr, "cannot open %s\n", path.c_str());
    return 1;
  }
  port.setFastAck(true);
  engine.setPort(&port);
  QObject::connect(&port, &QtSerialPort::activity, &driver, &EngineDriver::kick);
  QTemporaryDir journals;
  std::unique_ptr<JournalWriter> journal;
  engine.beforeWrite = [&](std::uint32_t block, ByteView previous) {
    return Message::Text(journal->append(block, previous));
  };

  const std::uint32_t lastUnit = quick ? 31 : kMidiUnit;
  const BlockWalk area{_write_, 0, lastUnit, !quick};
  const double blocks = 2.0 * (lastUnit + 1);
  std::printf(
      "transfer_bench --changes: one scene of the demo show edited, fast acknowledgements, latency %d ms, "
      "%s\n",
      latencyMs, quick ? "quick (64 blocks)" : "whole memory (2048 blocks)");
  std::printf("%-26s %7s %9s %9s %7s %7s %8s\n", "walk", "written", "wall s", "bound s", "ratio", "cpu s",
              "r+w b.");
  auto measure = [&](const char* name, bool sync, const std::function<void()>& start, double reads,
                     double writes, bool changes) {
    if (changes) {
      std::string error;
      journal = JournalWriter::Create(SystemFileSystem(), journals.path().toStdString(),
                                      {JournalSource::Controller, area.from, area.to, area.all, 0, "1.05A"},
                                      &error);
      if (!journal) {
        std::fprintf(stderr, "%s\n", error.c_str());
        ++host.failures;
        return;
      }
      journal->syncEachRecord = sync;
    }
    const double cpu0 = CpuSeconds();
    QElapsedTimer t;
    t.start();
    start();
    driver.kick();
    QCoreApplication::exec();
    const double wall = static_cast<double>(t.nsecsElapsed()) / 1e9;
    const double w = changes ? engine.changes().written : writes;
    // What went over the line: the reads (before and, for the blocks written, after) and the writes.
    const double readsDone = reads + (changes ? w : 0.0);
    const double bound =
        (readsDone * kRead + w * kWrite) * kByteSeconds + (readsDone + w) * latencyMs / 1000.0;
    // The target's yardstick: reading the area plus writing the changed blocks.
    const double readWrite = (reads * kRead + w * kWrite) * kByteSeconds + (reads + w) * latencyMs / 1000.0;
    std::printf("%-26s %7.0f %9.2f %9.2f %7.3f %7.2f %7.3f\n", name, w, wall, bound, wall / bound,
                CpuSeconds() - cpu0, wall / readWrite);
    std::fflush(stdout);
  };

  // The original whole write of the edited show.
  measure(
      "original write", true, [&] { engine.startBlocks(area); }, 0, blocks, false);
  // Changes-only, back to the show and to the edit again: two blocks each time.
  *image = *show;
  measure(
      "changes-only (fsync)", true, [&] { engine.startChanges(area); }, blocks, 0, true);
  *image = *edited;
  measure(
      "changes-only (no fsync)", false, [&] { engine.startChanges(area); }, blocks, 0, true);
  // --since: the controller holds `edited`; write the show where the two differ.
  *image = *show;
  std::vector<KnownBlock> known;
  for (std::uint32_t b = 0; b < blocks; ++b) {
    const BlockData was = EncodeBlock(*edited, b);
    if (BlockDiffers(*image, b, was)) known.push_back({b, was});
  }
  measure(
      "changes-only --since", true, [&] { engine.startSince(area, known); },
      static_cast<double>(known.size()), 0, true);

  // The technician's loop: read all, edit, write the edits. After the read the engine knows what the
  // controller holds, and the three-way write reads and writes only the edited scenes' blocks.
  engine.startBlocks({_read_, area.from, area.to, area.all});
  driver.kick();
  QCoreApplication::exec();
  for (const int scenes : {1, 10}) {
    for (int k = 0; k < scenes; ++k) {
      for (auto& c : image->Sceny[static_cast<std::size_t>(1 + 2 * k)])
        c = static_cast<std::uint8_t>(c + 1);
    }
    const ChangesRequest request = engine.changesRequest(area);
    if (request.kind != WalkKind::Since || request.known.empty()) {
      std::fprintf(stderr, "after the read the engine does not know the controller\n");
      ++host.failures;
    }
    measure(
        scenes == 1 ? "three-way, 1 scene" : "three-way, 10 scenes", true,
        [&] { engine.startChangesWalk(request); }, static_cast<double>(request.known.size()), 0, true);
  }

  engine.setPort(nullptr);
  port.close();
  sim.terminate();
  sim.waitForFinished(3000);
  std::printf(
      "(ratio: wall / bound of what was sent and received; r+w b.: wall / bound of reading the area and "
      "writing the changed blocks)\n");
  return host.failures == 0 ? 0 : 1;
}

}  // namespace kavira
