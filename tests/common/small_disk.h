// A small tmpfs mounted on a fresh folder, for tests of a full disk. Mounting needs root (the tests
// run as root in CI); elsewhere mounted() is false and error() says why, for GTEST_SKIP.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kavira::test {

class SmallDisk {
 public:
  explicit SmallDisk(std::size_t bytes) {
    std::string pattern = (std::filesystem::temp_directory_path() / "kavira-disk-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      error_ = std::strerror(errno);
      return;
    }
    path_ = pattern;
    const std::string options = "size=" + std::to_string(bytes);
    if (::mount("kavira-test", path_.c_str(), "tmpfs", 0, options.c_str()) == 0) {
      mounted_ = true;
    } else {
      error_ = std::strerror(errno);
    }
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& error() const { return error_; }
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  // Fills the disk so that only about `bytes` stay free; false when it has less than that.
  bool LeaveFree(std::size_t bytes) {
    struct statvfs st {};
    if (::statvfs(path_.c_str(), &st) != 0) return false;
    const std::size_t free = st.f_bavail * st.f_bsize;
    if (free < bytes) return false;
    std::ofstream filler(path_ / "filler", std::ios::binary);
    const std::vector<char> zeros(free - bytes, 0);
    filler.write(zeros.data(), static_cast<std::streamsize>(zeros.size()));
    return filler.good();
  }

 private:
  std::filesystem::path path_;
  bool mounted_ = false;
  std::string error_;
};

}  // namespace kavira::test

// Skips the test, with the reason, where no tmpfs could be mounted.
#define REQUIRE_SMALL_DISK(disk) \
  if (!(disk).mounted()) GTEST_SKIP() << "cannot mount a tmpfs here: " << (disk).error()
