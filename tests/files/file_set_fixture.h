// Fixtures of the file tests: a set of three files, sized as the data files are, with old contents on
// disk and new ones to save; and one old file that a failed save must leave as it was.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "files/file_io.h"
#include "temp_dir.h"

namespace kavira::test {

struct SetFixture {
  explicit SetFixture(const std::filesystem::path& folder) {
    for (const auto& [name, size] : {std::pair{"show.K3s", 261632}, {"show.K3p", 202}, {"show.K3m", 256}}) {
      paths.push_back(folder / name);
      oldBytes.emplace_back(static_cast<std::size_t>(size), 0x11);
      writes.push_back({folder / name, Bytes(static_cast<std::size_t>(size), 0x22)});
      WriteAll(paths.back(), oldBytes.back());
    }
  }
  // For each file: 'n' when it holds the new bytes, 'o' the old ones, '?' anything else.
  std::string State() const {
    std::string s;
    for (std::size_t i = 0; i < paths.size(); ++i) {
      const Bytes now = ReadAll(paths[i]);
      s += now == writes[i].bytes ? 'n' : now == oldBytes[i] ? 'o' : '?';
    }
    return s;
  }
  std::vector<std::filesystem::path> paths;
  std::vector<Bytes> oldBytes;
  std::vector<FileWrite> writes;
};

// A failed save must leave the old file exactly as it was, with nothing else left in the folder.
class FailedSave : public ::testing::Test {
 protected:
  void SetUp() override { WriteAll(path_, old_); }
  void ExpectOldFileIntact() {
    EXPECT_EQ(ReadAll(path_), old_);
    EXPECT_EQ(dir_.names(), std::vector<std::string>{"show.K3s"});
  }
  TempDir dir_;
  std::filesystem::path path_ = dir_ / "show.K3s";
  Bytes old_ = Bytes(202, 0x77);
};

// The temporary files of saves in `folder`.
inline std::vector<std::string> Temporaries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = PathToUtf8(entry.path().filename());
    if (TemporaryFileOwner(name)) names.push_back(name);
  }
  return names;
}

}  // namespace kavira::test
