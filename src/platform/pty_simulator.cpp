#include "platform/pty_simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <csignal>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

namespace kavira {

namespace {

// How often a hung-up line (the program has closed the port) is checked for being reopened.
constexpr auto kReopenCheck = std::chrono::milliseconds(10);

std::string SystemError(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

timespec ToTimespec(std::chrono::nanoseconds d) {
  if (d.count() < 0) d = std::chrono::nanoseconds(0);
  return {static_cast<time_t>(d.count() / 1'000'000'000), static_cast<long>(d.count() % 1'000'000'000)};
}

}  // namespace

bool PtySimulator::Available() {
  return true;
}

std::unique_ptr<PtySimulator> PtySimulator::Start(std::unique_ptr<SimController> controller,
                                                  std::string* error, std::function<void()> onLineClosed,
                                                  std::optional<AdapterModel> adapter) {
  std::unique_ptr<PtySimulator> sim(new PtySimulator());
  sim->controller_ = std::move(controller);
  if (adapter && sim->controller_->options().pacing) sim->adapter_.emplace(std::move(*adapter));
  sim->onLineClosed_ = std::move(onLineClosed);
  auto failed = [&](const char* what) {
    if (error) *error = SystemError(what);
    return nullptr;
  };
  sim->master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (sim->master_ < 0) return failed("posix_openpt");
  if (::grantpt(sim->master_) != 0 || ::unlockpt(sim->master_) != 0) return failed("unlockpt");
  std::array<char, 128> name{};
  if (::ptsname_r(sim->master_, name.data(), name.size()) != 0) return failed("ptsname");
  sim->path_ = name.data();

  // Raw mode on the terminal itself, before anyone opens it: no echo, no CR/LF translation.
  termios t{};
  if (::tcgetattr(sim->master_, &t) != 0) return failed("tcgetattr");
  ::cfmakeraw(&t);
  ::cfsetispeed(&t, B38400);
  ::cfsetospeed(&t, B38400);
  t.c_cflag |= CSTOPB;
  if (::tcsetattr(sim->master_, TCSANOW, &t) != 0) return failed("tcsetattr");

  std::array<int, 2> wake{};
  if (::pipe2(wake.data(), O_CLOEXEC | O_NONBLOCK) != 0) return failed("pipe");
  sim->wakeRead_ = wake[0];
  sim->wakeWrite_ = wake[1];

  PtySimulator* self = sim.get();
  sim->thread_ = std::thread([self] { self->serve(); });
  return sim;
}

PtySimulator::~PtySimulator() {
  stop();
  if (wakeRead_ >= 0) ::close(wakeRead_);
  if (wakeWrite_ >= 0) ::close(wakeWrite_);
}

void PtySimulator::stop() {
  if (thread_.joinable()) {
    const char c = 0;
    while (::write(wakeWrite_, &c, 1) < 0 && errno == EINTR) {
    }
    thread_.join();
  }
  if (master_ >= 0) {
    ::close(master_);
    master_ = -1;
  }
}

void PtySimulator::serve() {
  // Signals are the main thread's business.
  sigset_t all;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, nullptr);

  for (;;) {
    if (!waitForLine()) return;
    const SteadyTime now = std::chrono::steady_clock::now();
    if (hungUp_ && !reopened()) continue;
    readFromProgram(now);
    if (hungUp_) continue;
    const bool closed = takeAnswers(now);
    writeUnsent();
    if (closed) {
      closeLine();
      return;
    }
  }
}

bool PtySimulator::waitForLine() {
  std::optional<SteadyTime> next;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    next = controller_->nextOutputTime();
  }
  if (const auto release = adapter_ ? adapter_->nextRelease() : std::nullopt;
      release && (!next || *release < *next))
    next = release;
  std::array<pollfd, 2> fds{};
  fds[0] = {wakeRead_, POLLIN, 0};
  fds[1] = {master_, static_cast<short>(POLLIN | (unsent_.empty() ? 0 : POLLOUT)), 0};
  const nfds_t count = hungUp_ ? 1 : 2;
  timespec timeout{};
  const timespec* wait = nullptr;
  if (hungUp_) {
    timeout = ToTimespec(kReopenCheck);
    wait = &timeout;
  } else if (next) {
    timeout = ToTimespec(*next - std::chrono::steady_clock::now());
    wait = &timeout;
  }
  if (::ppoll(fds.data(), count, wait, nullptr) < 0 && errno != EINTR) return false;
  return (fds[0].revents & POLLIN) == 0;  // stop()
}

bool PtySimulator::reopened() {
  pollfd probe{master_, POLLIN, 0};
  if (::poll(&probe, 1, 0) < 0 || (probe.revents & POLLHUP) != 0) return false;
  hungUp_ = false;
  return true;
}

void PtySimulator::readFromProgram(SteadyTime now) {
  std::array<std::uint8_t, 512> buffer{};
  // EIO: the program has closed its side.
  for (;;) {
    const ssize_t n = ::read(master_, buffer.data(), buffer.size());
    if (n > 0) {
      deliver(std::span(buffer.data(), static_cast<std::size_t>(n)), now);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EIO) {
      hungUp_ = true;
      unsent_.clear();
      if (adapter_) adapter_->drop();
      std::lock_guard<std::mutex> lock(mutex_);
      controller_->hangUp();
    }
    return;
  }
}

void PtySimulator::deliver(std::span<const std::uint8_t> bytes, SteadyTime now) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!controller_->options().pacing) {
    controller_->receive(bytes, now);
    return;
  }
  // A pseudo-terminal carries the program's bytes at once; a serial line takes 11 bits a byte.
  // Each byte counts as arrived when the line would have delivered it, so the controller answers
  // a frame only after the frame could have reached it. A USB adapter sends them on at its next frame.
  const SteadyTime sent = adapter_ ? adapter_->outbound(now) : now;
  for (std::size_t k = 0; k < bytes.size(); ++k) {
    inbound_ = std::max(inbound_, sent) + std::chrono::duration_cast<SteadyTime::duration>(LineTime(1));
    controller_->receive(bytes.subspan(k, 1), inbound_);
  }
}

bool PtySimulator::takeAnswers(SteadyTime now) {
  bool closed = false;
  bool handOver = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const bool pacing = controller_->options().pacing;
    const std::size_t fifoTrigger = std::max<std::size_t>(1, controller_->options().fifoTrigger);
    const std::vector<std::uint8_t> out = controller_->takeOutput(now);
    closed = controller_->lineClosed(now);
    if (adapter_) {
      adapter_->arrive(out, now);
      const std::vector<std::uint8_t> ready = adapter_->take(now);
      unsent_.insert(unsent_.end(), ready.begin(), ready.end());
      return closed;  // what the adapter still held goes with the line
    }
    fifo_.insert(fifo_.end(), out.begin(), out.end());
    const auto following = controller_->nextOutputTime();
    const bool burstGoesOn = following && *following - now < 2 * LineTime(1);
    // Like a serial port's receive FIFO, the bytes of an answer reach the program in chunks: when the
    // FIFO's trigger level has gathered (14 bytes unless the options say otherwise), or when the
    // answer stops. No byte comes later than the line would bring it.
    handOver = !pacing || fifo_.size() >= fifoTrigger || !burstGoesOn || closed;
  }
  if (handOver) {
    unsent_.insert(unsent_.end(), fifo_.begin(), fifo_.end());
    fifo_.clear();
  }
  return closed;
}

void PtySimulator::writeUnsent() {
  while (!unsent_.empty()) {
    const ssize_t n = ::write(master_, unsent_.data(), unsent_.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // full: POLLOUT says when there is room again
    unsent_.erase(unsent_.begin(), unsent_.begin() + n);
  }
}

void PtySimulator::closeLine() {
  // The device goes away: the opener's port fails. The flag is up before the port can see that, so
  // whoever sees the failure also sees that the line was closed.
  lineClosed_ = true;
  ::close(master_);
  master_ = -1;
  if (onLineClosed_) onLineClosed_();
}

}  // namespace kavira
