// kaviraob-cli as a user runs it: the program as a child process, a simulated controller on a
// pseudo-terminal served from this process (so the tests see every frame it received and its memory),
// and data files in a temporary folder.
#pragma once

#include <signal.h>

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/pty_simulator.h"
#include "sim/sim_controller.h"

namespace kavira::test {

using Bytes = std::vector<std::uint8_t>;

struct CliRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

inline QStringList Args(std::initializer_list<std::string> args) {
  QStringList list;
  for (const std::string& a : args)
    list << QString::fromStdString(a);
  return list;
}

// Runs the program to its end with no standard input; `prepare` may set up the process first (its
// environment, where its output goes, limits in the child).
inline CliRun RunCli(const QStringList& args, const std::function<void(QProcess&)>& prepare,
                     int timeoutMs = 120000) {
  QProcess p;
  if (prepare) prepare(p);
  p.start(KAVIRAOB_CLI, args);
  p.closeWriteChannel();
  const bool finished = p.waitForFinished(timeoutMs);
  EXPECT_TRUE(finished) << args.join(' ').toStdString();
  if (!finished) {
    p.kill();
    p.waitForFinished(5000);
  }
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput().toStdString(),
          p.readAllStandardError().toStdString()};
}

inline CliRun RunCli(const QStringList& args, int timeoutMs = 120000) {
  return RunCli(args, nullptr, timeoutMs);
}

inline Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    std::string error;
    sim_ = PtySimulator::Start(std::make_unique<SimController>(simOptions_), &error);
    ASSERT_TRUE(sim_) << error;
  }

  const std::string& port() const { return sim_->path(); }
  std::string path(const std::string& name) const {
    return (dir_.path() + "/" + QString::fromStdString(name)).toStdString();
  }

  // The program with --port set to the simulator, then `args`.
  CliRun cli(std::initializer_list<std::string> args,
             const std::function<void(QProcess&)>& prepare = nullptr) {
    return RunCli(Args({"--port", port()}) + Args(args), prepare);
  }

  template <class F>
  decltype(auto) controller(F&& f) {
    return sim_->withController(std::forward<F>(f));
  }
  void rule(const char* text) {
    std::string error;
    const auto r = ParseMisbehaviour(text, &error);
    ASSERT_TRUE(r.has_value()) << error;
    controller([&](SimController& c) { c.addRule(*r); });
  }
  std::vector<Bytes> frames() {
    return controller([](SimController& c) {
      std::vector<Bytes> f;
      for (const ReceivedFrame& r : c.received())
        f.push_back(r.bytes);
      return f;
    });
  }
  // Block addresses of the block frames received, in order.
  std::vector<std::uint32_t> blocks() {
    std::vector<std::uint32_t> b;
    for (const Bytes& f : frames()) {
      if (f.size() >= 6 && f[1] == 0x26) b.push_back(f[2] | (f[3] << 8U));
    }
    return b;
  }
  std::size_t frameCount() {
    return controller([](SimController& c) { return c.received().size(); });
  }
  // The simulator reads on its own thread: a frame the program sent just before it ended may take a
  // moment to arrive. Waits until `n` frames have arrived (or 5 s have passed).
  void awaitFrames(std::size_t n) {
    QElapsedTimer t;
    t.start();
    while (frameCount() < n && t.elapsed() < 5000)
      QThread::msleep(5);
  }

  // No pacing and no latency unless a test says otherwise: the tests are about what is sent, not
  // about the line's speed.
  SimOptions simOptions_{Millis(0), false};
  QTemporaryDir dir_;
  std::unique_ptr<PtySimulator> sim_;
};

}  // namespace kavira::test
