#include "cli/link_session.h"

#include <QEventLoop>
#include <QTimer>
#include <cstring>
#include <iostream>

#include "platform/console.h"
#include "platform/low_latency.h"
#include "platform/port_list.h"
#include "platform/system_error.h"
#include "platform/translation.h"

namespace kavira::cli {
namespace {

ProgressReporter::Mode ProgressMode(const Context& context) {
  if (context.quiet) return ProgressReporter::Mode::None;
  return IsTerminal(StdStream::Err) ? ProgressReporter::Mode::Bar : ProgressReporter::Mode::Lines;
}

}  // namespace

bool SignalArrived() {
  return StopRequested();
}

std::string ArrivedSignalName() {
  return StopRequestName();
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
  host_.differencesOnTerminal = IsTerminal(StdStream::Out);
  host_.notePrefix = "kaviraob-cli " + command_ + ": ";
  QObject::connect(&ports_, &PortManager::portActivity, &driver_, &EngineDriver::kick);
  QObject::connect(&driver_, &EngineDriver::stepped, [this] {
    progress_.update(engine_, clock_.now());
    if (stepWatch_) stepWatch_(engine_);
  });

  // A stop request (Ctrl+C, SIGTERM...) stops the engine at its next step.
  stopWatch_ = std::make_unique<StopWatch>();
  QObject::connect(stopWatch_.get(), &StopWatch::requested, [this] { onSignal(); });
}

LinkSession::~LinkSession() {
  stopWatch_.reset();
  engine_.setPort(nullptr);
  ports_.closePort();
}

void LinkSession::note(std::string_view message) const {
  if (!context_.quiet) std::cerr << "kaviraob-cli " << command_ << ": " << message << std::endl;
}

void LinkSession::onSignal() {
  if (engine_.link().status != _idle_) engine_.stop();
  if (loop_ != nullptr) loop_->quit();
}

int LinkSession::connect() {
  if (const int code = context_.ports.size() == 1 ? openGivenPort() : searchPorts(); code != kExitOk)
    return code;
  LinePort* port = ports_.port();
  port->setFastAck(context_.fastAck);
  engine_.setPort(port);
  host_.portName = port->name();
  // Once a session: a USB adapter whose latency timer makes every block wait.
  if (const auto slow = LatencyNote(port->adapterLatency(), LatencyHowToLower())) note(*slow);
  return kExitOk;
}

int LinkSession::openGivenPort() {
  ports_.PortName = context_.ports;
  ports_.PortNr = 0;
  if (ports_.OpenPort(_test_) == 0) return kExitOk;
  const OpenFailure f = ports_.lastOpenFailure().value_or(
      OpenFailure{context_.ports[0], OpenStage::NotOpened, kPortNoDevice, {}});
  std::string message = f.port + ": ";
  if (f.stage == OpenStage::NotConfigured) {
    message += TranslateText(Texts::kPortConfigFailed) + " It does not take the line settings, so it is no " +
               "serial port: " + SystemErrorWithCode(f.error);
  } else {
    message += TranslateText(Texts::kPortOpenFailed) + " " + SystemErrorWithCode(f.error);
  }
  if (!f.hint.empty()) message += "\n" + TranslateText(f.hint);
  return complain(message, kExitLink);
}

int LinkSession::searchPorts() {
  ports_.PortName = context_.ports.empty() ? SystemPortList({}) : context_.ports;
  if (ports_.PortName.empty()) return complain(TranslateText(Texts::kNoSerialPorts), kExitLink);
  std::string list;
  for (const std::string& name : ports_.PortName)
    list += (list.empty() ? "" : ", ") + name;
  note("searching for the controller on " + list);
  const int found = ports_.SzukajPortu();
  if (SignalArrived()) return complain("interrupted by " + StopRequestName(), kExitLink);
  if (host_.failure()) return complain(host_.failure()->message, host_.failure()->exitCode);
  if (found != 1) {
    return complain(OneLine(TranslateText(Texts::kNoController)) + " (no answer to the presence probe on " +
                        list + "; name the port with --port)",
                    kExitLink);
  }
  note("found the controller on " + ports_.port()->name());
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
    return complain("interrupted by " + StopRequestName() + "; the link was stopped" + after, kExitLink);
  }
  if (const auto& f = host_.failure()) return complain(f->message + after, f->exitCode);
  return std::nullopt;
}

}  // namespace kavira::cli
