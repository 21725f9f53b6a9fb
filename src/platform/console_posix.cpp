// The console on POSIX systems: isatty(), read() on descriptor 0, and SIGINT, SIGTERM and SIGHUP
// caught by a handler that only writes a byte into a pipe (the one thing a handler may safely do).
#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>

#include "platform/console.h"

namespace kavira {
namespace {

constexpr std::array<int, 3> kSignals{SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t gSignal = 0;
int gPipe[2] = {-1, -1};

extern "C" void OnStopSignal(int signo) {
  const int saved = errno;
  gSignal = signo;
  const char c = 's';
  [[maybe_unused]] const ssize_t n = ::write(gPipe[1], &c, 1);
  errno = saved;
}

}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return {argv + std::min(argc, 1), argv + argc};
}

bool IsTerminal(StdStream stream) {
  const int fd = stream == StdStream::In    ? STDIN_FILENO
                 : stream == StdStream::Out ? STDOUT_FILENO
                                            : STDERR_FILENO;
  return ::isatty(fd) != 0;
}

InputRead ReadInputByte(char& byte) {
  for (;;) {
    const ssize_t n = ::read(STDIN_FILENO, &byte, 1);
    if (n == 1) return InputRead::Byte;
    if (n < 0 && errno == EINTR) {
      if (gSignal != 0) return InputRead::Interrupted;
      continue;
    }
    return InputRead::End;
  }
}

struct StopWatch::Impl {
  std::array<struct sigaction, kSignals.size()> previous{};
  std::unique_ptr<QSocketNotifier> notifier;
};

StopWatch::StopWatch() : impl_(std::make_unique<Impl>()) {
  gSignal = 0;
  if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    gPipe[0] = gPipe[1] = -1;
    return;  // no pipe, no handlers: the default actions stay
  }
  impl_->notifier = std::make_unique<QSocketNotifier>(gPipe[0], QSocketNotifier::Read);
  QObject::connect(impl_->notifier.get(), &QSocketNotifier::activated, this, [this] {
    char c = 0;
    while (::read(gPipe[0], &c, 1) > 0) {
    }
    if (gSignal != 0) emit requested();
  });
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a read waiting on the terminal returns
  for (std::size_t i = 0; i < kSignals.size(); ++i)
    sigaction(kSignals[i], &action, &impl_->previous[i]);
}

StopWatch::~StopWatch() {
  if (gPipe[0] < 0) return;
  for (std::size_t i = 0; i < kSignals.size(); ++i)
    sigaction(kSignals[i], &impl_->previous[i], nullptr);
  impl_->notifier.reset();
  ::close(gPipe[0]);
  ::close(gPipe[1]);
  gPipe[0] = gPipe[1] = -1;
}

// The POSIX stop watch keeps its pipe in the signal handler's globals; the Windows one has state of
// its own, so these stay members.
void StopWatch::wait() {  // NOLINT(readability-convert-member-functions-to-static)
  if (gPipe[0] < 0) {
    ::pause();
    return;
  }
  // The pipe does not block for the event loop; here the read waits.
  const int flags = ::fcntl(gPipe[0], F_GETFL);
  ::fcntl(gPipe[0], F_SETFL, flags & ~O_NONBLOCK);
  char c = 0;
  while (::read(gPipe[0], &c, 1) < 0 && errno == EINTR) {
  }
  ::fcntl(gPipe[0], F_SETFL, flags);
}

void StopWatch::wake() {  // NOLINT(readability-convert-member-functions-to-static)
  const char c = 'w';
  [[maybe_unused]] const ssize_t n = ::write(gPipe[1], &c, 1);
}

bool StopRequested() {
  return gSignal != 0;
}

std::string StopRequestName() {
  switch (gSignal) {
    case 0:
      return {};
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
    default:
      return "signal " + std::to_string(gSignal);
  }
}

void IgnoreFileSizeSignal() {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGXFSZ, &ignore, nullptr);
}

}  // namespace kavira
