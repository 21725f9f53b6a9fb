#include "platform/port_manager.h"

#include "link/commands.h"

#include <QEventLoop>
#include <algorithm>
#include <chrono>

#include "link/frames.h"
#include "platform/port_device.h"
#include "platform/port_list.h"

namespace kavira {

struct PortManager::Candidate {
  std::unique_ptr<LinePort> port;
  std::unique_ptr<PortProbe> probe;
  ProbeResult result = ProbeResult::NoAnswer;
};

PortManager::PortManager(const Clock& clock, Host& host, QObject* parent)
    : QObject(parent), clock_(clock), host_(host) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &PortManager::evaluate);
}

PortManager::~PortManager() = default;

void PortManager::adopt(std::unique_ptr<LinePort> port) {
  port_ = std::move(port);
  if (!port_) return;
  // A port found by the search still carries the search's own connection: its traffic from now on
  // belongs to the engine, not to a search that has ended.
  disconnect(port_.get(), nullptr, this, nullptr);
  connect(port_.get(), &LinePort::activity, this, &PortManager::portActivity);
}

void PortManager::closePort() {
  port_.reset();
}

int PortManager::OpenPort(_tryby tryb) {
  closePort();
  lastFailure_.reset();
  const std::string name = PortNr >= 0 && static_cast<std::size_t>(PortNr) < PortName.size()
                               ? PortName[static_cast<std::size_t>(PortNr)]
                               : std::string();
  auto port = MakeLinePort(clock_);
  const OpenResult r = name.empty() ? OpenResult{OpenStage::NotOpened, kPortNoDevice, {}} : port->open(name);
  if (r.stage == OpenStage::Opened) {
    adopt(std::move(port));
    return 0;
  }
  Message hint = r.what;
  if (hint.empty()) hint = r.error == kPortBusy ? BusyHint(name) : PermissionHint(name, r.error);
  lastFailure_ = OpenFailure{name, r.stage, r.error, std::move(hint)};
  if (tryb == _praca_) {
    host_.messageBox(r.stage == OpenStage::NotOpened ? Texts::kPortOpenFailed : Texts::kPortConfigFailed,
                     Texts::kCaptionWarning, Buttons::Ok, Icon::Exclamation, MessageKind::PortOpenFailed);
  }
  return -2;
}

int PortManager::choosePort(int index) {
  PortNr = index;
  return OpenPort(_praca_);
}

void PortManager::startSearch() {
  if (searching()) return;
  closePort();
  for (const std::string& name : PortName) {
    auto c = std::make_unique<Candidate>();
    auto port = MakeLinePort(clock_);
    if (port->open(name).stage == OpenStage::Opened) {
      c->port = std::move(port);
      c->probe = std::make_unique<PortProbe>(*c->port);
      c->result = ProbeResult::Pending;
      // Decide from the event loop, never inside the port's own signal.
      connect(c->port.get(), &LinePort::activity, this, [this] { timer_.start(0); });
    }
    candidates_.push_back(std::move(c));
  }
  if (candidates_.empty()) {
    finishSearch({SearchVerdict::NotFound, -1});
    return;
  }
  for (auto& c : candidates_) {
    if (c->probe) c->probe->start();
  }
  evaluate();
}

void PortManager::evaluate() {
  if (candidates_.empty()) return;  // no search is running
  std::vector<ProbeResult> results;
  std::optional<SteadyTime> next;
  for (auto& c : candidates_) {
    if (c->result == ProbeResult::Pending) c->result = c->probe->poll();
    if (c->result == ProbeResult::Pending) {
      if (const auto d = c->port->nextDeadline()) next = next ? std::min(*next, *d) : *d;
    }
    results.push_back(c->result);
  }
  const SearchVerdict verdict = DecideSearch(results);
  if (verdict.kind != SearchVerdict::Pending) {
    finishSearch(verdict);
    return;
  }
  // Woken by the ports' activity; otherwise at the earliest time-out.
  const auto wait = next ? std::chrono::ceil<Millis>(*next - clock_.now()) : Millis(10);
  timer_.start(static_cast<int>(std::clamp<long long>(wait.count(), 0, 1000)));
}

void PortManager::finishSearch(const SearchVerdict& verdict) {
  timer_.stop();
  std::vector<std::unique_ptr<Candidate>> done;
  done.swap(candidates_);
  int error = 0;
  if (verdict.kind == SearchVerdict::Found) {
    PortNr = verdict.index;
    adopt(std::move(done[static_cast<std::size_t>(verdict.index)]->port));
  } else if (verdict.kind == SearchVerdict::WriteFailed) {
    error = done[static_cast<std::size_t>(verdict.index)]->probe->error();
  }
  // The other ports close here. evaluate() never runs inside a port's own signal (their activity
  // only starts the timer), so they can go at once.
  done.clear();
  if (verdict.kind == SearchVerdict::WriteFailed) {
    host_.messageBox(Message(Texts::kLinkFailure, {std::to_string(error)}), Texts::kCaptionFailure,
                     Buttons::Ok, Icon::Stop, MessageKind::SystemError);
  }
  emit searchFinished(verdict.kind == SearchVerdict::Found);
}

int PortManager::SzukajPortu() {
  bool found = false;
  QEventLoop loop;
  const auto c = connect(this, &PortManager::searchFinished, &loop, [&](bool f) {
    found = f;
    loop.quit();
  });
  startSearch();
  if (searching()) loop.exec();
  disconnect(c);
  return found ? 1 : 0;
}

}  // namespace kavira
