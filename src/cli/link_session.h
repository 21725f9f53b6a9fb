// One command's session with the controller: the port (given or searched for), the image, the
// engine and its event-loop driver, the command-line host, progress output, and SIGINT/SIGTERM,
// which stop the engine (the port is purged) and end the run.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "cli/cli_command.h"
#include "cli/cli_host.h"
#include "cli/progress.h"
#include "link/transfer_engine.h"
#include "platform/console.h"
#include "platform/engine_driver.h"
#include "platform/port_manager.h"

class QEventLoop;

namespace kavira::cli {

// Whether a stop request (SIGINT, SIGTERM or SIGHUP; Ctrl+C or a console event on Windows) has
// arrived since a session started, and its name.
bool SignalArrived();
std::string ArrivedSignalName();

class LinkSession {
 public:
  LinkSession(const Context& context, std::string command);
  ~LinkSession();

  LinkSession(const LinkSession&) = delete;
  LinkSession& operator=(const LinkSession&) = delete;

  ControllerImage& image() { return *image_; }
  TransferEngine& engine() { return engine_; }
  CliHost& host() { return host_; }
  SerialPort* port() { return ports_.port(); }
  bool quiet() const { return context_.quiet; }

  // Opens the port given with --port, or searches the ports for the controller. 0, or the exit
  // code after the reason has been printed.
  int connect();

  // Runs the engine from the state a starter left it in until the link is idle or a signal arrives.
  void run();

  // Calls `watch` after every step of the engine (link-test times the exchanges with it).
  void watchSteps(std::function<void(const TransferEngine&)> watch) { stepWatch_ = std::move(watch); }

  // Keeps the port open a while longer, for a frame that gets no answer to leave the line (and any
  // adapter's buffer) before the port closes.
  static void linger(Millis time);

  // After a run: the exit code and its message printed when the run was interrupted or failed, with
  // what that means for the user's work (`consequence`, e.g. "no file was saved").
  std::optional<int> failed(std::string_view consequence = {});

  // "kaviraob-cli COMMAND: message" on standard error; returns `code`.
  int complain(std::string_view message, int code) const { return Complain(command_, message, code); }
  // A note on standard error, unless --quiet.
  void note(std::string_view message) const;

 private:
  void onSignal();
  int openGivenPort();  // the one port given with --port: opened at once, no presence probe
  int searchPorts();    // the ports given, or else every serial port: the presence probe on each

  const Context& context_;
  std::string command_;
  SteadyClock clock_;
  std::unique_ptr<ControllerImage> image_;
  CliHost host_;  // before the engine, which keeps a reference to it
  TransferEngine engine_;
  PortManager ports_;
  std::function<void(const TransferEngine&)> stepWatch_;
  EngineDriver driver_;
  ProgressReporter progress_;
  std::unique_ptr<StopWatch> stopWatch_;
  QEventLoop* loop_ = nullptr;
};

}  // namespace kavira::cli
