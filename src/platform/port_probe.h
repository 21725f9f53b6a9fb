// The presence probe on one open port, and the decision of a search over many ports probed at once.
// Standard C++ over the SerialPort interface, so it runs on the fake port in tests.
#pragma once

#include <optional>
#include <vector>

#include "link/serial_port.h"

namespace kavira {

enum class ProbeResult {
  Pending,
  Answered,     // exactly 06 03 F7 came back
  NoAnswer,     // silence, a refusal, a short or damaged answer, a failed read, or not opened at all
  WriteFailed,  // the probe could not be written: the search ends there, with a message
};

// Purges the port, writes 1B 03 E2 and reads three bytes; poll() as the port reports activity or
// its deadline passes.
class PortProbe {
 public:
  explicit PortProbe(SerialPort& port) : port_(port) {}

  void start();
  ProbeResult poll();
  ProbeResult result() const { return result_; }
  // The system's error code of a WriteFailed probe.
  int error() const { return error_; }

 private:
  enum class Stage { Idle, Writing, Reading, Done };

  ProbeResult finish(ProbeResult r, int error = 0);

  SerialPort& port_;
  Stage stage_ = Stage::Idle;
  ProbeResult result_ = ProbeResult::Pending;
  int error_ = 0;
};

// The outcome of a search, decided in list order exactly as if the ports had been tried one after
// the other: the first port that answered, unless an earlier one could not be written to.
struct SearchVerdict {
  enum Kind { Pending, Found, WriteFailed, NotFound } kind = Pending;
  int index = -1;  // the port found, or the one whose write failed
};

SearchVerdict DecideSearch(const std::vector<ProbeResult>& results);

}  // namespace kavira
