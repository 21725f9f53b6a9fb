// What the benchmarks need of the outside: a host that answers every box (a box the walk should not
// show is counted as a failure; Retry is declined) and the process's CPU time.
#pragma once

#include <sys/resource.h>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "link/host.h"

namespace kavira {

class BenchHost final : public Host {
 public:
  // Boxes whose text begins with `expected` are the walk's own ending, not failures.
  explicit BenchHost(std::string expected = {}) : expected_(std::move(expected)) {}

  Answer messageBox(const Message& message, const Message&, Buttons buttons, Icon, MessageKind) override {
    const std::string text = message.Polish();
    if (expected_.empty() || text.rfind(expected_, 0) != 0) {
      std::fprintf(stderr, "unexpected box: %s\n", text.c_str());
      ++failures;
    }
    return buttons == Buttons::RetryCancel ? Answer::Cancel : Answer::Ok;
  }
  void setStatusText(int, const Message&) override {}
  void setProgress(int) override {}
  void enableMenuEntry(int, bool) override {}
  void repaint() override {}
  std::optional<std::string> chooseFile(const FileRequest&) override { return std::nullopt; }

  int failures = 0;

 private:
  std::string expected_;
};

// User and system CPU seconds of this process so far.
inline double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace kavira
