// How long the search for the controller takes over 16 candidate ports: 5 missing devices, 10 silent
// pseudo-terminals and the simulated controller last. Prints the concurrent search's times and, for
// comparison, the same ports probed one after the other.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/port_manager.h"
#include "platform/pty_simulator.h"

namespace {

using namespace kavira;

class QuietHost final : public Host {
 public:
  Answer messageBox(const Message& text, const Message&, Buttons, Icon, MessageKind) override {
    std::fprintf(stderr, "box: %s\n", text.Polish().c_str());
    return Answer::Ok;
  }
  void setStatusText(int, const Message&) override {}
  void setProgress(int) override {}
  void enableMenuEntry(int, bool) override {}
  void repaint() override {}
  std::optional<std::string> chooseFile(const FileRequest&) override { return std::nullopt; }
};

// A pseudo-terminal that nobody serves.
struct SilentPty {
  SilentPty() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    std::array<char, 128> name{};
    if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0 &&
        ::ptsname_r(master, name.data(), name.size()) == 0) {
      path = name.data();
    }
  }
  ~SilentPty() {
    if (master >= 0) ::close(master);
  }
  int master = -1;
  std::string path;
};

void Report(const char* what, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  std::printf("%-34s min %7.1f ms   median %7.1f ms   max %7.1f ms   (%zu runs)\n", what, ms.front(),
              ms[ms.size() / 2], ms.back(), ms.size());
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  constexpr int kRuns = 5;
  constexpr int kMissing = 5;
  constexpr int kSilent = 10;

  std::vector<std::unique_ptr<SilentPty>> silent;
  std::vector<std::string> candidates;
  for (int i = 0; i < kMissing; ++i)
    candidates.push_back("/dev/kavira-bench-missing-" + std::to_string(i));
  for (int i = 0; i < kSilent; ++i) {
    silent.push_back(std::make_unique<SilentPty>());
    candidates.push_back(silent.back()->path);
  }
  std::string error;
  auto sim = PtySimulator::Start(std::make_unique<SimController>(), &error);
  if (!sim) {
    std::fprintf(stderr, "no pseudo-terminal: %s\n", error.c_str());
    return 1;
  }
  candidates.push_back(sim->path());

  SteadyClock clock;
  QuietHost host;
  PortManager manager(clock, host);
  std::printf("search over %zu candidates (%d missing, %d silent, the controller last)\n", candidates.size(),
              kMissing, kSilent);

  std::vector<double> concurrent;
  for (int run = 0; run < kRuns; ++run) {
    manager.PortName = candidates;
    QElapsedTimer t;
    t.start();
    const int found = manager.SzukajPortu();
    concurrent.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    if (found != 1 || manager.PortNr != static_cast<int>(candidates.size()) - 1) {
      std::fprintf(stderr, "run %d: controller not found at its index (found %d, PortNr %d)\n", run, found,
                   manager.PortNr);
      return 1;
    }
    manager.closePort();
  }
  Report("concurrent search:", concurrent);

  std::vector<double> oneByOne;
  for (int run = 0; run < 2; ++run) {
    QElapsedTimer t;
    t.start();
    for (const std::string& c : candidates) {
      manager.PortName = {c};
      if (manager.SzukajPortu() == 1) break;
    }
    oneByOne.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    manager.closePort();
  }
  Report("ports probed one after the other:", oneByOne);
  return 0;
}
