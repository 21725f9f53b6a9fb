#include "files/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>
#include <system_error>
#include <utility>

namespace kavira {
namespace {

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
  // Closes now and reports whether the close succeeded (a delayed write error can show up here).
  bool Close() {
    const int fd = std::exchange(fd_, -1);
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
  return true;
}

// Devices, pipes and the like: written in place, as there is no file to replace.
WriteOutcome WriteInPlace(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  Fd fd(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
  if (!fd.valid()) return WriteOutcome::OpenFailed;
  if (!WriteAll(fd.get(), bytes)) return WriteOutcome::WriteFailed;
  return fd.Close() ? WriteOutcome::Ok : WriteOutcome::WriteFailed;
}

// Creates a new, empty file next to `target` under a name nobody else uses. The mode 0666 is
// narrowed by the process's umask, as for any new file.
Fd CreateSibling(const std::filesystem::path& target, std::filesystem::path& created) {
  static std::minstd_rand random(static_cast<unsigned>(::getpid()) ^ std::random_device{}());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path candidate =
        target.parent_path() / (".kaviraob-" + std::to_string(::getpid()) + "-" + std::to_string(random()));
    Fd fd(::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.valid()) {
      created = std::move(candidate);
      return fd;
    }
    if (errno != EEXIST) break;
  }
  return Fd();
}

// Makes the rename itself durable. A folder that cannot be flushed does not undo the save.
void SyncFolder(const std::filesystem::path& file) {
  const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
  Fd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.valid()) ::fsync(fd.get());
}

}  // namespace

ReadOutcome ReadFilePrefix(const std::filesystem::path& path, std::size_t limit,
                           std::vector<std::uint8_t>& out) {
  out.clear();
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return ReadOutcome::OpenFailed;
  constexpr std::size_t kChunk = 64 * 1024;
  while (out.size() < limit) {
    const std::size_t have = out.size();
    const std::size_t want = std::min(kChunk, limit - have);
    out.resize(have + want);
    const ssize_t n = ::read(fd.get(), out.data() + have, want);
    if (n < 0 && errno == EINTR) {
      out.resize(have);
      continue;
    }
    if (n < 0) {
      out.resize(have);
      return ReadOutcome::ReadFailed;
    }
    out.resize(have + static_cast<std::size_t>(n));
    if (n == 0) break;
  }
  return ReadOutcome::Ok;
}

WriteOutcome WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  std::error_code ec;
  std::filesystem::path target = path;
  // Replace what a symbolic link points to, not the link.
  if (std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec))) {
    target = std::filesystem::weakly_canonical(path, ec);
    if (ec) return WriteOutcome::OpenFailed;
  }

  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) return WriteInPlace(target, bytes);

  std::filesystem::path temp;
  Fd fd = CreateSibling(target, temp);
  if (!fd.valid()) return WriteOutcome::OpenFailed;

  bool ok = WriteAll(fd.get(), bytes);
  if (ok && exists) {
    // Keep the old file's owner (possible only with the right to do so) and permissions.
    [[maybe_unused]] const int ignored = ::fchown(fd.get(), old.st_uid, old.st_gid);
    ok = ::fchmod(fd.get(), old.st_mode & 07777) == 0;
  }
  ok = ok && ::fsync(fd.get()) == 0;
  ok = fd.Close() && ok;
  ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return WriteOutcome::WriteFailed;
  }
  SyncFolder(target);
  return WriteOutcome::Ok;
}

}  // namespace kavira
