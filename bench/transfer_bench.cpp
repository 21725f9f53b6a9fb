// How close the transfer engine runs to the speed of the line, and how much processor it takes.
//
// The simulated controller runs as a separate process (this program again, with --serve) on a
// pseudo-terminal and paces its answers at 38400 baud; this process opens the pseudo-terminal through
// the real serial adapter and drives the engine with the real event-loop driver. For a whole read, a
// whole write, a whole verify and a firmware install of 1000 lines it prints the wall time, the
// protocol bound (the bytes on the line at 11 bits a byte, plus the controller's answer latency per
// frame, plus 100 ms of silence after each acknowledgement unless fast acknowledgements are on),
// their ratio, the CPU seconds of this process, and how often it was woken per frame; each with
// acknowledgements awaited and fast.
//
// Every walk runs twice: with the answers handed over in chunks as a receive FIFO does (fifo), and
// with every byte handed over on its own (byte), which wakes the reader for each byte that arrives.
// --adapters instead runs a whole read and a fast-acknowledged whole write through each model of a
// serial adapter (uart, ftdi with its 16 ms latency timer, ftdi:1 as Linux's low-latency mode sets
// it, ch340, pl2303); --delivery then picks among those.
//
//   transfer_bench [--latency MS] [--lines N] [--quick] [--walks W,...] [--ack wait|fast]
//                  [--delivery fifo|byte|ADAPTER,...] [--adapters]
//   transfer_bench --changes [--quick]   (one edited scene written changes-only; see
//                                        transfer_bench_changes.cpp)
// --quick walks 64 scene blocks and 100 firmware lines instead of the whole memory; --walks takes
// read, write, verify and firmware (default: all four); --ack and --delivery run one case only.
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench_host.h"
#include "link/transfer_engine.h"
#include "platform/engine_driver.h"
#include "platform/pty_simulator.h"
#include "platform/qt_serial_port.h"
#include "sim/adapter_model.h"
#include "sim/demo_show.h"
#include "transfer_bench_changes.h"

namespace {

using namespace kavira;

// How often this process has gone to sleep and been woken again: unlike the CPU seconds, which a
// loaded (or virtual) machine inflates, a steady count.
long Wakes() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_nvcsw;
}

constexpr double kByteSeconds = 11.0 / 38400.0;

struct Walk {
  const char* name;
  double bytes;   // on the line, both directions
  double frames;  // frames sent (each waits the controller's latency)
  double acks;    // acknowledgements (each followed by 100 ms of silence unless fast)
  std::function<void(TransferEngine&)> start;
};

// The simulated controller's process: prints the pseudo-terminal's path and serves until killed.
int Serve(int latencyMs, const char* delivery) {
  SimOptions options{Millis(latencyMs), true};
  std::optional<AdapterModel> adapter;
  std::string error;
  if (std::strcmp(delivery, "byte") == 0) {
    options.fifoTrigger = 1;
  } else if (std::strcmp(delivery, "fifo") != 0) {
    adapter = ParseAdapter(delivery, &error);
    if (!adapter) {
      std::fprintf(stderr, "transfer_bench: %s\n", error.c_str());
      return 2;
    }
  }
  auto sim = PtySimulator::Start(DemoController(options), &error, {}, adapter);
  if (!sim) {
    std::fprintf(stderr, "transfer_bench: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s\n", sim->path().c_str());
  std::fflush(stdout);
  for (;;)
    pause();
}

// The ways answers reach the program: a FIFO's chunks of 14 bytes, every byte on its own, or, with
// --adapters, the serial adapters of sim/adapter_model.h.
const std::vector<std::string> kDeliveries = {"fifo", "byte"};
const std::vector<std::string> kAdapters = {"uart", "ftdi", "ftdi:1", "ch340", "pl2303"};

std::vector<std::string> SplitList(const char* text) {
  std::vector<std::string> items;
  std::string item;
  for (const char* c = text;; ++c) {
    if (*c == ',' || *c == 0) {
      if (!item.empty()) items.push_back(item);
      item.clear();
      if (*c == 0) break;
    } else {
      item += *c;
    }
  }
  return items;
}

bool Selected(const std::vector<std::string>& chosen, const char* name) {
  return chosen.empty() || std::find(chosen.begin(), chosen.end(), name) != chosen.end();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--serve") == 0) return Serve(std::atoi(argv[2]), argv[3]);
  QCoreApplication app(argc, argv);
  // --changes [--quick]: the changes-only writes (transfer_bench_changes.cpp).
  if (argc >= 2 && std::strcmp(argv[1], "--changes") == 0)
    return RunChangesBench(1, argc >= 3 && std::strcmp(argv[2], "--quick") == 0);
  int latencyMs = 1;
  int lines = 1000;
  bool quick = false;
  std::vector<std::string> walksChosen, acksChosen, deliveriesChosen;
  std::vector<std::string> deliveries = kDeliveries;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--latency") == 0 && i + 1 < argc) {
      latencyMs = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--lines") == 0 && i + 1 < argc) {
      lines = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--quick") == 0) {
      quick = true;
      lines = 100;
    } else if (std::strcmp(argv[i], "--walks") == 0 && i + 1 < argc) {
      walksChosen = SplitList(argv[++i]);
    } else if (std::strcmp(argv[i], "--ack") == 0 && i + 1 < argc) {
      acksChosen = SplitList(argv[++i]);
    } else if (std::strcmp(argv[i], "--delivery") == 0 && i + 1 < argc) {
      deliveriesChosen = SplitList(argv[++i]);
    } else if (std::strcmp(argv[i], "--adapters") == 0) {
      // The table of adapters: a whole read and a whole write with fast acknowledgements for each.
      deliveries = kAdapters;
      if (walksChosen.empty()) walksChosen = {"read", "write"};
      if (acksChosen.empty()) acksChosen = {"fast"};
    } else {
      std::fprintf(stderr,
                   "usage: transfer_bench [--latency MS] [--lines N] [--quick] [--walks W,...] "
                   "[--ack wait|fast] [--delivery fifo|byte|ADAPTER,...] [--adapters]\n");
      return 2;
    }
  }

  SteadyClock clock;
  BenchHost host("Weryfikacja zakończona sukcesem");
  auto image = std::make_unique<ControllerImage>();
  FillDemoShow(*image);
  TransferEngine engine(*image, host, clock);
  EngineDriver driver(engine, clock);
  QObject::connect(&driver, &EngineDriver::idle, &app, &QCoreApplication::quit);

  FirmwareImage firmware(static_cast<std::size_t>(lines));
  std::mt19937 rng(418);
  for (std::size_t i = 0; i < firmware.size(); ++i) {
    firmware[i].Adres = static_cast<std::uint32_t>(i * 16 % 0x1E000);
    firmware[i].cnt = 16;
    for (auto& b : firmware[i].code)
      b = static_cast<std::uint8_t>(rng());
  }

  const std::uint32_t lastUnit = quick ? 31 : 1023;
  const double blocks = 2.0 * (lastUnit + 1);
  const double n = static_cast<double>(lines);
  const Walk walks[] = {
      {"read", blocks * (6 + 134), blocks, 0,
       [&](TransferEngine& e) {
         e.startBlocks({_read_, 0, lastUnit, !quick});
       }},
      {"write", blocks * (134 + 3), blocks, blocks,
       [&](TransferEngine& e) {
         e.startBlocks({_write_, 0, lastUnit, !quick});
       }},
      {"verify", blocks * (6 + 134), blocks, 0,
       [&](TransferEngine& e) {
         e.startBlocks({_verify_, 0, lastUnit, !quick});
       }},
      // Every line written (22 + 3 bytes), read back (6 + 22), then the version (3 + 9).
      {"firmware", n * (22 + 3) + n * (6 + 22) + 12, 2 * n + 1, n,
       [&](TransferEngine& e) { e.startFirmware(firmware, false); }},
  };

  std::printf("transfer_bench: answer latency %d ms, %s\n", latencyMs,
              quick ? "quick (64 blocks, 100 lines)" : "whole memory, 1000 lines");
  std::printf("%-10s %-8s %-5s %10s %10s %7s %9s %7s %12s\n", "walk", "delivery", "ack", "wall s", "bound s",
              "ratio", "cpu s", "cpu %", "wakes/frame");
  for (const std::string& delivery : deliveries) {
    if (!Selected(deliveriesChosen, delivery.c_str())) continue;
    // A simulated controller of its own for each way of handing the answers over.
    QProcess sim;
    sim.setProgram(QCoreApplication::applicationFilePath());
    sim.setArguments(
        {QStringLiteral("--serve"), QString::number(latencyMs), QString::fromStdString(delivery)});
    sim.start();
    if (!sim.waitForReadyRead(5000)) {
      std::fprintf(stderr, "the simulated controller did not start\n");
      return 1;
    }
    const std::string path = sim.readLine().trimmed().toStdString();
    QtSerialPort port(clock);
    if (port.open(path).stage != OpenStage::Opened) {
      std::fprintf(stderr, "cannot open %s\n", path.c_str());
      return 1;
    }
    engine.setPort(&port);
    const auto kick = QObject::connect(&port, &QtSerialPort::activity, &driver, &EngineDriver::kick);
    for (const bool fast : {false, true}) {
      if (!Selected(acksChosen, fast ? "fast" : "wait")) continue;
      port.setFastAck(fast);
      for (const Walk& w : walks) {
        if (!Selected(walksChosen, w.name)) continue;
        const double bound =
            w.bytes * kByteSeconds + w.frames * latencyMs / 1000.0 + (fast ? 0.0 : w.acks * 0.1);
        const double cpu0 = CpuSeconds();
        const long wakes0 = Wakes();
        QElapsedTimer t;
        t.start();
        w.start(engine);
        driver.kick();
        QCoreApplication::exec();
        const double wall = static_cast<double>(t.nsecsElapsed()) / 1e9;
        const double cpu = CpuSeconds() - cpu0;
        const double wakes = static_cast<double>(Wakes() - wakes0) / w.frames;
        std::printf("%-10s %-8s %-5s %10.2f %10.2f %7.3f %9.2f %6.2f%% %12.1f\n", w.name, delivery.c_str(),
                    fast ? "fast" : "wait", wall, bound, wall / bound, cpu, 100.0 * cpu / wall, wakes);
        std::fflush(stdout);
      }
    }
    QObject::disconnect(kick);
    engine.setPort(nullptr);
    port.close();
    sim.terminate();
    sim.waitForFinished(3000);
  }
  return host.failures == 0 ? 0 : 1;
}
