// FileSystem on POSIX systems: every system call of the file layer is here.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <utility>

#include "files/file_system.h"

namespace kavira {
namespace {

std::error_code LastError() {
  return {errno, std::generic_category()};
}

// A file descriptor that closes itself.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      Close();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { Close(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now; a delayed write error can show up here. close() is not repeated after EINTR: on
  // Linux the descriptor is gone by then.
  std::error_code Close() {
    const int fd = std::exchange(fd_, -1);
    if (fd < 0 || ::close(fd) == 0 || errno == EINTR) return {};
    return LastError();
  }

 private:
  int fd_;
};

Fd Open(const std::filesystem::path& path, int flags, mode_t mode = 0) {
  for (;;) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EINTR) return Fd(fd);
  }
}

FileKind KindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return FileKind::Regular;
  if (S_ISDIR(mode)) return FileKind::Folder;
  if (S_ISCHR(mode)) return FileKind::CharDevice;
  if (S_ISBLK(mode)) return FileKind::BlockDevice;
  if (S_ISFIFO(mode)) return FileKind::Fifo;
  if (S_ISSOCK(mode)) return FileKind::Socket;
  return FileKind::Other;
}

// Opens `path` without blocking (a named pipe with no writer, a terminal that waits for its carrier)
// and without making a terminal the controlling one, checks on the open descriptor that it is of
// `wanted` kind, and puts the descriptor back into blocking mode.
std::error_code OpenChecked(const std::filesystem::path& path, int flags, FileKind wanted, Fd& fd) {
  fd = Open(path, flags | O_NONBLOCK | O_NOCTTY);
  if (!fd.valid()) {
    // A socket cannot be opened at all (ENXIO): say what it is.
    struct stat st {};
    if (errno == ENXIO && ::stat(path.c_str(), &st) == 0) return NotAFile(KindOfMode(st.st_mode));
    return LastError();
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return LastError();
  if (KindOfMode(st.st_mode) != wanted) return NotAFile(KindOfMode(st.st_mode));
  const int status = ::fcntl(fd.get(), F_GETFL);
  if (status < 0 || ::fcntl(fd.get(), F_SETFL, status & ~O_NONBLOCK) != 0) return LastError();
  return {};
}

std::error_code WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return LastError();
    if (n == 0) return std::make_error_code(std::errc::io_error);
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
  return {};
}

std::error_code Sync(int fd) {
  while (::fsync(fd) != 0) {
    if (errno != EINTR) return LastError();
  }
  return {};
}

class PosixAppendFile final : public AppendFile {
 public:
  explicit PosixAppendFile(Fd fd) : fd_(std::move(fd)) {}
  std::error_code Append(std::span<const std::uint8_t> bytes) override { return WriteAll(fd_.get(), bytes); }
  std::error_code Sync() override { return kavira::Sync(fd_.get()); }

 private:
  Fd fd_;
};

class PosixFileSystem final : public FileSystem {
 public:
  std::error_code CreateAppendFile(const std::filesystem::path& path,
                                   std::unique_ptr<AppendFile>& out) override {
    out.reset();
    Fd fd = Open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_APPEND, 0666);
    if (!fd.valid()) return LastError();
    // The new name must survive a power cut as much as the records do.
    if (const auto e = SyncFolder(path.parent_path())) {
      fd.Close();
      ::unlink(path.c_str());
      return e;
    }
    out = std::make_unique<PosixAppendFile>(std::move(fd));
    return {};
  }

  std::error_code ReadPrefix(const std::filesystem::path& path, std::size_t limit,
                             std::vector<std::uint8_t>& out, bool& opened) override {
    out.clear();
    opened = false;
    Fd fd;
    if (const auto e = OpenChecked(path, O_RDONLY, FileKind::Regular, fd)) return e;
    opened = true;
    constexpr std::size_t kChunk = std::size_t{64} * 1024;
    while (out.size() < limit) {
      const std::size_t have = out.size();
      const std::size_t want = std::min(kChunk, limit - have);
      out.resize(have + want);
      const ssize_t n = ::read(fd.get(), out.data() + have, want);
      if (n < 0) {
        const std::error_code e = LastError();
        out.resize(have);
        if (e == std::errc::interrupted) continue;
        return e;
      }
      out.resize(have + static_cast<std::size_t>(n));
      if (n == 0) break;
    }
    return {};
  }

  std::error_code WriteNewFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                               const std::filesystem::path& like, bool& created) override {
    // 0666 narrowed by the umask, as for any new file, unless the old file's permissions carry over.
    Fd fd = Open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
    created = fd.valid();
    if (!created) return LastError();
    std::error_code e = WriteAll(fd.get(), bytes);
    struct stat old {};
    if (!e && !like.empty() && ::stat(like.c_str(), &old) == 0) {
      // The owner carries over only for a process allowed to give files away (root).
      [[maybe_unused]] const int ignored = ::fchown(fd.get(), old.st_uid, old.st_gid);
      if (::fchmod(fd.get(), old.st_mode & 07777) != 0) e = LastError();
    }
    if (!e) e = Sync(fd.get());
    const std::error_code closed = fd.Close();
    if (!e) e = closed;
    if (e) ::unlink(path.c_str());
    return e;
  }

  std::error_code Rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
    return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code() : LastError();
  }

  std::error_code Remove(const std::filesystem::path& path) override {
    return ::unlink(path.c_str()) == 0 ? std::error_code() : LastError();
  }

  std::error_code SyncFolder(const std::filesystem::path& folder) override {
    Fd fd = Open(folder.empty() ? std::filesystem::path(".") : folder, O_RDONLY | O_DIRECTORY);
    if (!fd.valid()) return LastError();
    return Sync(fd.get());
  }

  std::error_code CheckWriteAccess(const std::filesystem::path& path) override {
    std::error_code ec;
    const bool folder = std::filesystem::is_directory(path, ec);
    // A folder must also be searchable to create a file in it.
    return ::access(path.c_str(), folder ? W_OK | X_OK : W_OK) == 0 ? std::error_code() : LastError();
  }

  NameLimits Limits(const std::filesystem::path& folder) override {
    NameLimits limits;
    limits.path = PATH_MAX - 1;
    errno = 0;
    const long name = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    if (name > 0) limits.name = static_cast<std::size_t>(name);
    return limits;
  }

  long ProcessId() override { return static_cast<long>(::getpid()); }

  bool ProcessGone(long pid) override {
    // 0 and negative numbers would ask about whole process groups.
    if (pid <= 0 || pid > INT_MAX) return false;
    // EPERM: it runs, under another user.
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
  }
};

}  // namespace

std::tm LocalTime(std::time_t t) {
  std::tm local{};
  localtime_r(&t, &local);
  return local;
}

FileSystem& SystemFileSystem() {
  static PosixFileSystem system;
  return system;
}

std::error_code Utf8Error(std::error_code error) {
  return error;  // the C library's texts
}

}  // namespace kavira
