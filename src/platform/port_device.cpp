#include "platform/port_device.h"

#include "model/texts.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#endif

#include <algorithm>
#include <cctype>
#include <charconv>
#include <sstream>

namespace kavira {
namespace {

std::string Trimmed(std::string s) {
  auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
  while (!s.empty() && blank(static_cast<unsigned char>(s.back())))
    s.pop_back();
  const auto first =
      std::find_if_not(s.begin(), s.end(), [&](char c) { return blank(static_cast<unsigned char>(c)); });
  return {first, s.end()};
}

#ifndef _WIN32

// A descriptor that closes itself.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

 private:
  int fd_;
};

// What a path of this kind is, in the words of the port messages; "" for a character device.
const char* KindText(mode_t mode) {
  if (S_ISCHR(mode)) return nullptr;
  if (S_ISDIR(mode)) return Texts::kKindFolder;
  if (S_ISREG(mode)) return Texts::kKindFile;
  if (S_ISFIFO(mode)) return Texts::kKindFifo;
  if (S_ISSOCK(mode)) return Texts::kKindSocket;
  if (S_ISBLK(mode)) return Texts::kKindBlockDevice;
  return Texts::kKindOther;
}

std::string HostName() {
  std::array<char, 256> name{};
  if (::gethostname(name.data(), name.size() - 1) != 0) return {};
  return name.data();
}

bool ProcessGone(long pid) {
  // EPERM: it runs, under another user.
  return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

std::string ReadSmallFile(int fd) {
  std::string contents;
  std::array<char, 512> buffer{};
  while (contents.size() < 4096) {
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    contents.append(buffer.data(), static_cast<std::size_t>(n));
  }
  return contents;
}

std::chrono::milliseconds AgeOf(const struct stat& st) {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const auto age = std::chrono::seconds(now.tv_sec - st.st_mtim.tv_sec) +
                   std::chrono::nanoseconds(now.tv_nsec - st.st_mtim.tv_nsec);
  return std::chrono::duration_cast<std::chrono::milliseconds>(age);
}

enum class LockState { None, Held, Stale, Young };

// Looks at the lock file through `fd` while holding flock() on it (when it is free).
LockState Judge(int fd, const struct stat& st) {
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return LockState::Held;
  const auto owner = ParseLockFile(ReadSmallFile(fd));
  if (!owner || owner->pid == 0) return AgeOf(st) < kFreshLockAge ? LockState::Young : LockState::Stale;
  // A lock from another host (a shared lock folder) is that host's business.
  if (!owner->host.empty() && owner->host != HostName()) return LockState::Held;
  return ProcessGone(owner->pid) ? LockState::Stale : LockState::Held;
}

#endif

}  // namespace

std::string PortDevicePath(const std::string& name) {
#ifdef _WIN32
  return name;
#else
  if (name.empty() || name.front() == '/' || name.rfind("./", 0) == 0 || name.rfind("../", 0) == 0)
    return name;
  return "/dev/" + name;
#endif
}

std::string CanonicalPortPath(const std::string& name) {
#ifdef _WIN32
  return name;
#else
  std::string path = PortDevicePath(name);
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;
  std::string canonical(resolved);
  std::free(resolved);
  return canonical;
#endif
}

std::optional<NotAPort> CheckPortPath(const std::string& name) {
#ifdef _WIN32
  (void)name;
  return std::nullopt;
#else
  const std::string path = PortDevicePath(name);
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    const char* kind = KindText(st.st_mode);
    if (kind == nullptr) return std::nullopt;
    return NotAPort{S_ISDIR(st.st_mode) ? EISDIR : ENOTTY, false,
                    Message(Texts::kIsNotAPort, {Message::Text(path), kind})};
  }
  // A bare name is looked for under /dev; say so when the name is something here instead.
  if (errno != ENOENT || path == name || ::stat(name.c_str(), &st) != 0) return std::nullopt;
  const char* kind = KindText(st.st_mode);
  return NotAPort{ENOENT, true,
                  Message(Texts::kNoDeviceHere, {Message::Text(path), Message::Text(name),
                                                 kind == nullptr ? Message(Texts::kLocalDevice, {name})
                                                                 : Message(Texts::kKindNotAPort, {kind})})};
#endif
}

bool PortAccessDenied(const std::string& name) {
#ifdef _WIN32
  (void)name;
  return false;
#else
  return ::access(PortDevicePath(name).c_str(), R_OK | W_OK) != 0 && errno == EACCES;
#endif
}

std::string PortLockPath(const std::string& name) {
#ifdef _WIN32
  (void)name;
  return {};
#else
  // As QtSerialPort names it: the device path without "/dev/", slashes made underscores, in the first
  // lock folder that may be read and that holds the file already or may be written. The device's own
  // path, not the one given: as root the exclusive-open flag keeps nobody off, and a second program
  // that came by another link would find no lock.
  std::string port = CanonicalPortPath(name);
  if (port.rfind("/dev/", 0) == 0) port.erase(0, 5);
  std::replace(port.begin(), port.end(), '/', '_');
  const std::string file = "/LCK.." + port;
  for (const char* folder : {"/var/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp", "/tmp",
                             "/var/tmp", "/var/lock/lockdev", "/run/lock"}) {
    if (::access(folder, R_OK) != 0) continue;
    std::string path = folder + file;
    if (::access(path.c_str(), F_OK) == 0 || ::access(folder, W_OK) == 0) return path;
  }
  return {};
#endif
}

std::optional<LockOwner> ParseLockFile(const std::string& contents) {
  // Qt writes "PID\nPROGRAM\nHOST\n..."; older programs only the PID, padded with spaces.
  std::istringstream lines(contents);
  std::string pidLine;
  if (!std::getline(lines, pidLine)) return std::nullopt;
  pidLine = Trimmed(pidLine);
  LockOwner owner;
  const auto [end, ec] = std::from_chars(pidLine.data(), pidLine.data() + pidLine.size(), owner.pid);
  if (ec != std::errc{} || end != pidLine.data() + pidLine.size() || owner.pid <= 0) return std::nullopt;
  std::getline(lines, owner.program);
  std::getline(lines, owner.host);
  owner.program = Trimmed(owner.program);
  owner.host = Trimmed(owner.host);
  return owner;
}

bool ClearStaleLock(const std::string& name) {
#ifdef _WIN32
  (void)name;
  return false;
#else
  const std::string lock = PortLockPath(name);
  if (lock.empty()) return false;
  for (int look = 0; look < 2; ++look) {
    Fd fd(::open(lock.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!fd.valid()) return false;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    switch (Judge(fd.get(), st)) {
      case LockState::Young: {
        // Give its creator the moment it needs to take flock(), then look again.
        const auto wait = kFreshLockAge - std::max(AgeOf(st), std::chrono::milliseconds(0));
        timespec t{0, static_cast<long>(std::chrono::nanoseconds(wait).count())};
        while (::nanosleep(&t, &t) != 0 && errno == EINTR) {
        }
        continue;
      }
      case LockState::Stale: {
        // Only the file looked at, not one another program has made since.
        struct stat now {};
        if (::stat(lock.c_str(), &now) != 0 || now.st_ino != st.st_ino || now.st_dev != st.st_dev)
          return false;
        return ::unlink(lock.c_str()) == 0;
      }
      default:
        return false;
    }
  }
  return false;
#endif
}

Message BusyHint(const std::string& name) {
#ifdef _WIN32
  // Windows opens a serial port for one program at a time, and says no more than that.
  (void)name;
  return Texts::kBusyExclusive;
#else
  const std::string lock = PortLockPath(name);
  Fd fd(lock.empty() ? -1 : ::open(lock.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  if (!fd.valid()) return Texts::kBusyExclusive;
  const auto owner = ParseLockFile(ReadSmallFile(fd.get()));
  if (!owner) return Message(Texts::kBusyLockFile, {lock});
  return Message(Texts::kBusyProcess, {std::to_string(owner->pid),
                                       owner->program.empty() ? "" : " (" + owner->program + ")", lock});
#endif
}

}  // namespace kavira
