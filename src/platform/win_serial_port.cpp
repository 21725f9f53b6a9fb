#include "platform/win_serial_port.h"

#include <windows.h>
// after windows.h, which it needs
#include <mmsystem.h>

#include <QMetaObject>
#include <QString>
#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/low_latency.h"
#include "platform/serial_polling.h"

namespace kavira {
namespace {

using Steady = std::chrono::steady_clock;

// Driver queues in both directions, as the controller's frames need them (the longest is 270 bytes).
constexpr DWORD kQueueSize = 270;
// The line's write time-outs: 120 ms a byte plus 120 ms. Reads return at once with what the driver
// holds; the line's read rules are TimedPort's.
constexpr COMMTIMEOUTS kTimeouts{MAXDWORD, 0, 0, 120, 120};
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

std::wstring DevicePath(std::string name) {
  if (!name.empty() && name.back() == ':') name.pop_back();
  // COM10 and above open only by their device path; so does every name that is not a bare port name.
  if (name.rfind("\\\\.\\", 0) != 0) name = "\\\\.\\" + name;
  return QString::fromStdString(name).toStdWString();
}

void CALLBACK NoTimerWork(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {}

// Qt times its short timers (the engine's) with the system's multimedia timers. Where the last of
// those ends, the system may end the thread that serves them (wine does) and start a new one for the
// next: a thread for every few frames. One timer that does nothing keeps that thread, and it is kept
// until the process ends: a timer killed as a port closes just before the program ends makes that
// thread leave while the process ends, which wine does not survive (the process dies of SIGSEGV in
// NtTerminateProcess, after a run that succeeded).
void KeepTimerThread() {
  static const MMRESULT keep =
      timeSetEvent(1000, 1000, NoTimerWork, 0, TIME_PERIODIC | TIME_CALLBACK_FUNCTION);
  static_cast<void>(keep);
}

int LastError() {
  const DWORD e = GetLastError();
  return e != 0 ? static_cast<int>(e) : static_cast<int>(ERROR_IO_DEVICE);
}

// Windows' slim lock, for std::lock_guard. With its condition variable it waits without a kernel
// object: std::mutex and std::condition_variable of this compiler's thread library wait on
// semaphores, a round trip to the system (under wine, to its server) for every look.
class SlimLock {
 public:
  void lock() { AcquireSRWLockExclusive(&lock_); }
  void unlock() { ReleaseSRWLockExclusive(&lock_); }
  SRWLOCK* get() { return &lock_; }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
};

}  // namespace

// The open port and the thread that looks at it. Every call on the port's handle is made under the
// mutex, by either thread; none of them waits for the line.
class WinSerialPort::Poller {
 public:
  // What TimedPort waits for, as the program's thread last said.
  struct Wants {
    bool reading = false;
    std::size_t received = 0;     // bytes the pending read has taken so far
    std::size_t stillNeeded = 0;  // before it can end without waiting for silence
  };
  // What the looking thread has found since the program's thread last asked.
  struct News {
    std::vector<std::uint8_t> bytes;
    int error = 0;
    bool wrote = false;  // the pending write has left (or ended early by its time-out)
  };

  explicit Poller(WinSerialPort& owner) : owner_(owner) {
    write_.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    read_.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }
  ~Poller() {
    close();
    if (write_.hEvent != nullptr) CloseHandle(write_.hEvent);
    if (read_.hEvent != nullptr) CloseHandle(read_.hEvent);
  }
  Poller(const Poller&) = delete;
  Poller& operator=(const Poller&) = delete;

  OpenResult open(const std::string& name) {
    close();
    if (write_.hEvent == nullptr || read_.hEvent == nullptr) return {OpenStage::NotOpened, LastError(), {}};
    const std::wstring path = DevicePath(name);
    // Exclusive (no sharing), an existing device only, overlapped so that a write is started and then
    // asked about without waiting.
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {OpenStage::NotOpened, LastError(), {}};
    // The handshake fields stay zero: neither hardware nor XON/XOFF handshaking, DTR and RTS not raised.
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    COMMTIMEOUTS timeouts = kTimeouts;
    bool configured = BuildCommDCBW(L"baud=38400 parity=N data=8 stop=2", &dcb) != 0;
    dcb.fBinary = TRUE;  // transparent: no end-of-file character
    configured = configured && SetCommState(h, &dcb) != 0 && SetupComm(h, kQueueSize, kQueueSize) != 0 &&
                 SetCommTimeouts(h, &timeouts) != 0;
    if (!configured) {
      const int e = LastError();
      CloseHandle(h);
      return {OpenStage::NotConfigured, e, {}};
    }
    // Waits of a millisecond, not of the system's default tick (15.6 ms), while the port is open.
    timeBeginPeriod(1);
    KeepTimerThread();
    port_ = h;
    unsent_ = 0;
    writePending_ = false;
    buffered_.clear();
    error_ = 0;
    wrote_ = false;
    wants_ = {};
    fruitlessLooks_ = 0;
    unsettled_ = Steady::now();
    stop_ = false;
    thread_ = std::thread([this] { run(); });
    return {};
  }

  void close() {
    if (thread_.joinable()) {
      {
        const std::lock_guard lock(mutex_);
        stop_ = true;
      }
      WakeAllConditionVariable(&changed_);
      thread_.join();
    }
    if (port_ == INVALID_HANDLE_VALUE) return;
    if (writePending_) PurgeComm(port_, kPurgeAll);
    settleWrite();
    CloseHandle(port_);
    port_ = INVALID_HANDLE_VALUE;
    timeEndPeriod(1);
  }

  bool isOpen() const { return port_ != INVALID_HANDLE_VALUE; }

  int write(std::span<const std::uint8_t> bytes) {
    {
      const std::lock_guard lock(mutex_);
      settleWrite();
      writeBuffer_.assign(bytes.begin(), bytes.end());
      ResetEvent(write_.hEvent);
      write_.Offset = 0;
      write_.OffsetHigh = 0;
      const auto n = static_cast<DWORD>(writeBuffer_.size());
      DWORD written = 0;
      if (WriteFile(port_, writeBuffer_.data(), n, nullptr, &write_) != 0) {
        // Done at once: the driver took it all.
        GetOverlappedResult(port_, &write_, &written, FALSE);
        unsent_ = n - std::min(n, written);
      } else if (GetLastError() == ERROR_IO_PENDING) {
        writePending_ = true;
        unsent_ = n;
      } else {
        return LastError();
      }
      writeStart_ = Steady::now();
      fruitlessLooks_ = 0;
    }
    WakeAllConditionVariable(&changed_);
    return 0;
  }

  std::size_t unsent() const {
    const std::lock_guard lock(mutex_);
    return unsent_;
  }

  void purge() {
    {
      const std::lock_guard lock(mutex_);
      if (port_ == INVALID_HANDLE_VALUE) return;
      PurgeComm(port_, kPurgeAll);
      settleWrite();
      unsent_ = 0;
      buffered_.clear();
      wrote_ = false;
      unsettled_ = Steady::now();
      fruitlessLooks_ = 0;
    }
    WakeAllConditionVariable(&changed_);
  }

  News take() {
    const std::lock_guard lock(mutex_);
    posted_ = false;
    News news{std::move(buffered_), error_, wrote_};
    buffered_.clear();
    wrote_ = false;
    return news;
  }

  void want(const Wants& wants) {
    {
      const std::lock_guard lock(mutex_);
      if (wants.reading == wants_.reading && wants.received == wants_.received &&
          wants.stillNeeded == wants_.stillNeeded)
        return;
      wants_ = wants;
      fruitlessLooks_ = 0;
    }
    WakeAllConditionVariable(&changed_);
  }

 private:
  // Lets a write that the system still holds finish (after a purge it ends at once, aborted): its
  // buffer and record must not be reused or freed before.
  void settleWrite() {
    if (!writePending_) return;
    DWORD n = 0;
    GetOverlappedResult(port_, &write_, &n, TRUE);
    writePending_ = false;
  }

  PollState state() const {
    PollState s;
    const auto now = Steady::now();
    s.writing = writePending_;
    s.writeBytes = unsent_;
    s.sinceWrite = now - writeStart_;
    s.reading = wants_.reading;
    s.received = wants_.received + buffered_.size();
    s.stillNeeded = wants_.stillNeeded - std::min(wants_.stillNeeded, buffered_.size());
    s.sinceUnsettled = now - unsettled_;
    s.fruitlessLooks = fruitlessLooks_;
    return s;
  }

  void run() {
    const std::lock_guard lock(mutex_);
    while (!stop_) {
      if (error_ == 0 && look()) notify();
      const auto next = error_ == 0 ? NextLook(state()) : std::nullopt;
      SleepConditionVariableSRW(&changed_, mutex_.get(), next ? static_cast<DWORD>(next->count()) : INFINITE,
                                0);
    }
  }

  // One look at the line: the pending write, and what the driver has received. True when the
  // program's thread should hear of it.
  bool look() {
    bool news = false;
    if (writePending_) {
      DWORD written = 0;
      if (GetOverlappedResult(port_, &write_, &written, FALSE) != 0) {
        writePending_ = false;
        // A write the time-outs ended early leaves bytes unsent: TimedPort then reports its time-out.
        unsent_ = writeBuffer_.size() - std::min<std::size_t>(writeBuffer_.size(), written);
        wrote_ = true;
        news = true;
      } else if (const DWORD e = GetLastError(); e != ERROR_IO_INCOMPLETE && e != ERROR_IO_PENDING) {
        writePending_ = false;
        error_ = static_cast<int>(e);
        return true;
      }
    }
    const std::size_t before = buffered_.size();
    if (!readAvailable()) return true;
    const std::size_t got = buffered_.size() - before;
    if (got > 0) {
      unsettled_ = Steady::now();
      // The first bytes of an answer start its silence; a full answer can end the read; bytes without
      // a read pending mean the line is not quiet.
      const bool first = wants_.received == 0 && before == 0;
      news = news || !wants_.reading || first || buffered_.size() >= wants_.stillNeeded;
    }
    fruitlessLooks_ = news || got > 0 ? 0 : fruitlessLooks_ + 1;
    return news;
  }

  // Takes what the driver holds into buffered_; false when the line has failed (error_ says why).
  bool readAvailable() {
    DWORD errors = 0;
    COMSTAT status{};
    // Line errors (framing, overrun) are cleared and the bytes taken as they are: the frame's checksum
    // decides. A port that has gone (a USB adapter pulled out) fails here.
    if (ClearCommError(port_, &errors, &status) == 0) {
      error_ = LastError();
      return false;
    }
    if (status.cbInQue == 0) return true;
    std::array<std::uint8_t, 4096> buffer{};
    const DWORD want = std::min<DWORD>(status.cbInQue, static_cast<DWORD>(buffer.size()));
    DWORD got = 0;
    ResetEvent(read_.hEvent);
    read_.Offset = 0;
    read_.OffsetHigh = 0;
    if (ReadFile(port_, buffer.data(), want, nullptr, &read_) == 0 && GetLastError() != ERROR_IO_PENDING) {
      error_ = LastError();
      return false;
    }
    // With these read time-outs the read ends at once with what is there.
    if (GetOverlappedResult(port_, &read_, &got, TRUE) == 0) {
      error_ = LastError();
      return false;
    }
    buffered_.insert(buffered_.end(), buffer.begin(), buffer.begin() + got);
    return true;
  }

  // Wakes the program's thread, once until it has taken the news.
  void notify() {
    if (posted_) return;
    posted_ = true;
    QMetaObject::invokeMethod(
        &owner_, [port = &owner_] { port->takeNews(); }, Qt::QueuedConnection);
  }

  WinSerialPort& owner_;
  mutable SlimLock mutex_;
  CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
  std::thread thread_;
  bool stop_ = false;

  HANDLE port_ = INVALID_HANDLE_VALUE;
  OVERLAPPED write_{};
  OVERLAPPED read_{};
  bool writePending_ = false;
  std::vector<std::uint8_t> writeBuffer_;  // stays put while the system writes from it
  std::size_t unsent_ = 0;
  Steady::time_point writeStart_{};

  std::vector<std::uint8_t> buffered_;  // received, not yet taken by the program's thread
  int error_ = 0;
  bool wrote_ = false;
  bool posted_ = false;
  Wants wants_;
  int fruitlessLooks_ = 0;
  Steady::time_point unsettled_{};
};

WinSerialPort::WinSerialPort(const Clock& clock, QObject* parent)
    : LinePort(clock, parent), poller_(std::make_unique<Poller>(*this)) {}

WinSerialPort::~WinSerialPort() {
  poller_->close();
}

bool WinSerialPort::isOpen() const {
  return poller_->isOpen();
}

OpenResult WinSerialPort::open(const std::string& name) {
  close();
  OpenResult r = poller_->open(name);
  if (r.stage != OpenStage::Opened) return r;
  reset();
  name_ = name;
  latency_ = RequestLowLatency(0, name);
  return r;
}

void WinSerialPort::close() {
  poller_->close();
  latency_ = {};
  reset();
}

int WinSerialPort::startRead(std::size_t n) {
  const int e = TimedPort::startRead(n);
  publish();
  return e;
}

int WinSerialPort::errorCode(LineError error) const {
  switch (error) {
    case LineError::NotOpen:
      return ERROR_INVALID_HANDLE;
    case LineError::Cancelled:
      return ERROR_OPERATION_ABORTED;
    case LineError::TimedOut:
      return ERROR_TIMEOUT;
    case LineError::Failed:
      break;
  }
  return ERROR_IO_DEVICE;
}

int WinSerialPort::transportWrite(std::span<const std::uint8_t> bytes) {
  if (!isOpen()) return errorCode(LineError::NotOpen);
  return poller_->write(bytes);
}

std::size_t WinSerialPort::transportUnsent() const {
  return poller_->unsent();
}

void WinSerialPort::transportClear() {
  poller_->purge();
  publish();
}

void WinSerialPort::transportPump() {
  if (!isOpen()) return;
  Poller::News news = poller_->take();
  if (!news.bytes.empty()) deliver(news.bytes);
  if (news.error != 0 && failure() == 0) fail(news.error);
  publish();
}

void WinSerialPort::takeNews() {
  if (!isOpen()) return;
  const bool wasReading = reading();
  const std::size_t before = readCount();
  Poller::News news = poller_->take();
  if (!news.bytes.empty()) deliver(news.bytes);
  if (news.error != 0 && failure() == 0) fail(news.error);
  publish();
  const bool firstBytes = wasReading && before == 0 && readCount() > 0;
  if (news.wrote || news.error != 0 || firstBytes || readReady() || (!wasReading && !news.bytes.empty()))
    emit activity();
}

void WinSerialPort::publish() {
  poller_->want({reading(), readCount(), bytesUntilReady()});
}

std::unique_ptr<LinePort> MakeLinePort(const Clock& clock) {
  return std::make_unique<WinSerialPort>(clock);
}

}  // namespace kavira
