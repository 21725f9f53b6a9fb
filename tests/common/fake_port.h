// A serial port for state-machine tests: everything written is recorded as one frame per write and
// sent at once; replies are delivered by the test (or by a responder) on a hand-moved clock.
#pragma once

#include <cerrno>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/clock.h"
#include "link/timed_port.h"

namespace kavira::test {

using Bytes = std::vector<std::uint8_t>;

class FakePort : public TimedPort {
 public:
  explicit FakePort(const Clock& clock) : TimedPort(clock) {}

  bool isOpen() const override { return open; }
  void close() override { open = false; }
  std::string name() const override { return "fake"; }
  void purge() override {
    ++purges;
    TimedPort::purge();
  }

  // Bytes arrive from the controller now.
  void reply(const Bytes& bytes) { deliver(bytes); }
  void breakLine(int error = EIO) { fail(error); }

  bool open = true;
  int writeError = 0;      // returned by the next writes when not 0
  std::size_t unsent = 0;  // bytes reported as not yet sent
  std::vector<Bytes> written;
  std::vector<SteadyTime> writtenAt;
  int purges = 0;
  // Called with every frame written; may call reply().
  std::function<void(const Bytes&)> responder;

 protected:
  int transportWrite(std::span<const std::uint8_t> bytes) override {
    if (writeError != 0) return writeError;
    written.emplace_back(bytes.begin(), bytes.end());
    writtenAt.push_back(clock().now());
    if (responder) responder(written.back());
    return 0;
  }
  std::size_t transportUnsent() const override { return unsent; }
  void transportClear() override {}
};

}  // namespace kavira::test
