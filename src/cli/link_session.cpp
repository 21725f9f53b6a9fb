#include "cli/link_session.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QEventLoop>
#include <QTimer>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>

#include "platform/port_list.h"
#include "platform/translation.h"

namespace kavira::cli {
namespace {

constexpr std::array<int, 3> kSignals{SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t gSignal = 0;
int gSignalPipe[2] = {-1, -1};
struct sigaction gPrevious[kSignals.size()];

extern "C" void OnSessionSignal(int signo) {
  const int saved = errno;
  gSignal = signo;
  const char c = static_cast<char>(signo);
  [[maybe_unused]] const ssize_t n = ::write(gSignalPipe[1], &c, 1);
  errno = saved;
}

ProgressReporter::Mode ProgressMode(const Context& context) {
  if (context.quiet) return ProgressReporter::Mode::None;
  return ::isatty(STDERR_FILENO) ? ProgressReporter::Mode::Bar : ProgressReporter::Mode::Lines;
}

std::string ErrorText(int error) {
  return std::string(std::strerror(error)) + " (errno " + std::to_string(error) + ")";
}

std::string SignalName(int signo) {
  switch (signo) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
    default:
      return "signal " + std::to_string(signo);
  }
}

}  // namespace

bool SignalArrived() {
  return gSignal != 0;
}

std::string ArrivedSignalName() {
  return SignalName(gSignal);
}

LinkSession::LinkSession(const Context& context, std::string command)
    : context_(context),
      command_(std::move(command)),
      image_(std::make_unique<ControllerImage>()),
      host_(context.retries, std::cout, std::cerr, context.quiet),
      engine_(*image_, host_, clock_),
      ports_(clock_, host_),
      driver_(engine_, clock_),
      progress_(std::cerr, ProgressMode(context), "kaviraob-cli " + command_ + ": ") {
  host_.watch(engine_.link());
  host_.beforeNote = [this] { progress_.breakLine(); };
  host_.differencesOnTerminal = ::isatty(STDOUT_FILENO) != 0;
  host_.notePrefix = "kaviraob-cli " + command_ + ": ";
  QObject::connect(&ports_, &PortManager::portActivity, &driver_, &EngineDriver::kick);
  QObject::connect(&driver_, &EngineDriver::stepped, [this] { progress_.update(engine_, clock_.now()); });

  // Signals only write a byte into a pipe; the event loop reads it and stops the engine.
  gSignal = 0;
  if (::pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
    signals_ = std::make_unique<QSocketNotifier>(gSignalPipe[0], QSocketNotifier::Read);
    QObject::connect(signals_.get(), &QSocketNotifier::activated, [this] { onSignal(); });
    struct sigaction action {};
    action.sa_handler = OnSessionSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a question waiting on the terminal returns
    for (std::size_t i = 0; i < kSignals.size(); ++i)
      sigaction(kSignals[i], &action, &gPrevious[i]);
  }
}

LinkSession::~LinkSession() {
  if (signals_) {
    for (std::size_t i = 0; i < kSignals.size(); ++i)
      sigaction(kSignals[i], &gPrevious[i], nullptr);
    signals_.reset();
    ::close(gSignalPipe[0]);
    ::close(gSignalPipe[1]);
    gSignalPipe[0] = gSignalPipe[1] = -1;
  }
  engine_.setPort(nullptr);
  ports_.closePort();
}

void LinkSession::note(std::string_view message) const {
  if (!context_.quiet) std::cerr << "kaviraob-cli " << command_ << ": " << message << std::endl;
}

void LinkSession::onSignal() {
  char buf[16];
  while (::read(gSignalPipe[0], buf, sizeof buf) > 0) {
  }
  if (engine_.link().status != _idle_) engine_.stop();
  if (loop_ != nullptr) loop_->quit();
}

int LinkSession::connect() {
  if (context_.ports.size() == 1) {
    ports_.PortName = context_.ports;
    ports_.PortNr = 0;
    if (ports_.OpenPort(_test_) != 0) {
      const OpenFailure f =
          ports_.lastOpenFailure().value_or(OpenFailure{context_.ports[0], OpenStage::NotOpened, ENOENT, {}});
      std::string message = f.port + ": ";
      if (f.stage == OpenStage::NotConfigured) {
        message += TranslateText(kTextPortConfigFailed) +
                   " It does not take the line settings, so it is no " + "serial port: " + ErrorText(f.error);
      } else {
        message += TranslateText(kTextPortOpenFailed) + " " + ErrorText(f.error);
      }
      if (!f.hint.empty()) message += "\n" + TranslateText(f.hint);
      return complain(message, kExitLink);
    }
  } else {
    ports_.PortName = context_.ports.empty() ? SystemPortList({}) : context_.ports;
    if (ports_.PortName.empty()) return complain(TranslateText(kTextNoSerialPorts), kExitLink);
    std::string list;
    for (const std::string& name : ports_.PortName)
      list += (list.empty() ? "" : ", ") + name;
    note("searching for the controller on " + list);
    const int found = ports_.SzukajPortu();
    if (SignalArrived()) return complain("interrupted by " + SignalName(gSignal), kExitLink);
    if (host_.failure()) return complain(host_.failure()->message, host_.failure()->exitCode);
    if (found != 1) {
      return complain(OneLine(TranslateText(kTextNoController)) + " (no answer to the presence probe on " +
                          list + "; name the port with --port)",
                      kExitLink);
    }
    note("found the controller on " + ports_.port()->name());
  }
  QtSerialPort* port = ports_.port();
  port->setFastAck(context_.fastAck);
  engine_.setPort(port);
  host_.portName = port->name();
  return kExitOk;
}

void LinkSession::run() {
  if (SignalArrived() || engine_.link().status == _idle_) return;
  host_.newRun();
  host_.inRun = true;
  QEventLoop loop;
  loop_ = &loop;
  const auto connection = QObject::connect(&driver_, &EngineDriver::idle, &loop, &QEventLoop::quit);
  driver_.kick();
  loop.exec();
  QObject::disconnect(connection);
  loop_ = nullptr;
  host_.inRun = false;
  progress_.finish();
}

void LinkSession::linger(Millis time) {
  QEventLoop loop;
  QTimer::singleShot(static_cast<int>(time.count()), &loop, &QEventLoop::quit);
  loop.exec();
}

std::optional<int> LinkSession::failed(std::string_view consequence) {
  const std::string after = consequence.empty() ? std::string() : "; " + std::string(consequence);
  if (SignalArrived()) {
    return complain("interrupted by " + SignalName(gSignal) + "; the link was stopped" + after, kExitLink);
  }
  if (const auto& f = host_.failure()) return complain(f->message + after, f->exitCode);
  return std::nullopt;
}

}  // namespace kavira::cli
