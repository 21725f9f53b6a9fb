// A preload library that makes fsync() slow, as on a slow disk, so that a kill or a signal can be
// aimed at a save of the data files. Used only by tools/kill-during-save.sh and by the test of a
// signal during a save, through LD_PRELOAD; the program itself knows nothing of it.
//
//   KAVIRA_SLOW_FSYNC_MS  how long each fsync() waits before it flushes (default 100)
//   KAVIRA_SLOW_MARK      a file created when the first fsync() starts: the save has begun
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <ctime>

namespace {

std::atomic<bool> gMarked{false};

void Mark() {
  if (gMarked.exchange(true)) return;
  if (const char* mark = std::getenv("KAVIRA_SLOW_MARK"); mark != nullptr && *mark != '\0') {
    const int fd = ::open(mark, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) ::close(fd);
  }
}

void Wait() {
  long ms = 100;
  if (const char* text = std::getenv("KAVIRA_SLOW_FSYNC_MS"); text != nullptr) ms = std::atol(text);
  timespec left{ms / 1000, (ms % 1000) * 1000000};
  // A signal does not cut the wait short: the disk would not be faster for it.
  while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace

extern "C" int fsync(int fd) {
  using Fsync = int (*)(int);
  static const auto real = reinterpret_cast<Fsync>(::dlsym(RTLD_NEXT, "fsync"));
  const int saved = errno;
  Mark();
  Wait();
  errno = saved;
  return real != nullptr ? real(fd) : 0;
}
