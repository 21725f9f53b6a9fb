// Whole-file reads, and crash-safe replacement of a set of files, for the data files and update
// files. All contact with the system goes through FileSystem (file_system.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "files/file_system.h"

namespace kavira {

enum class ReadOutcome { Ok, OpenFailed, ReadFailed };

// Reads at most `limit` bytes from the start of the file into `out` (replacing its contents). Ok with
// fewer bytes means the file is shorter than `limit`. Only a regular file is read: anything else is
// refused as OpenFailed without blocking. `reason` gets the system's reason for a failure.
ReadOutcome ReadFilePrefix(const std::filesystem::path& path, std::size_t limit,
                           std::vector<std::uint8_t>& out, std::error_code* reason = nullptr);

// Follows symbolic links to the path they end at, which need not exist (a dangling link names the
// file a save creates). A loop gives errc::too_many_symbolic_link_levels.
std::error_code ResolveLinks(FileSystem& system, const std::filesystem::path& path,
                             std::filesystem::path& target);

// Why a file could not be saved at a path, found without writing anything.
struct SaveProblem {
  enum Kind {
    Refused,   // no file can be made there: missing folder, a name too long, a named pipe...
    ReadOnly,  // the file exists but this process may not write it
  } kind;
  std::error_code error;
  std::string text;  // the reason in words: the system's, or one naming the folder or the limit
};

// Checks that `path` can take a saved file: its name and path fit the system's limits, its links
// lead somewhere, its folder exists and may be written, and it is a regular file that may be written
// or nothing yet. Anything else (a device, a named pipe, a socket, a folder) is refused as what it is.
std::optional<SaveProblem> CheckSavePath(const std::filesystem::path& path,
                                         FileSystem& system = SystemFileSystem());

// Temporary files are named ".kaviraob-PID-N" after the process that writes them.
inline constexpr std::string_view kTemporaryPrefix = ".kaviraob-";
// The process id of a temporary file's name, or nothing for any other name.
std::optional<long> TemporaryFileOwner(std::string_view name);
// Removes the temporary files in `folder` whose process has ended (a save killed half way leaves
// them); never one whose process still runs. Returns how many were removed.
std::size_t RemoveOrphanTemporaries(const std::filesystem::path& folder,
                                    FileSystem& system = SystemFileSystem());

struct FileWrite {
  std::filesystem::path path;
  std::vector<std::uint8_t> bytes;
};

struct ReplaceOptions {
  FileSystem* system = nullptr;  // SystemFileSystem() when not given
  // Called once every new file is written and flushed, just before the first one is put in place.
  std::function<void()> beforeReplacing;
};

struct ReplaceResult {
  enum class Failure {
    None,
    Refused,        // a path cannot take a file (CheckSavePath); nothing was written
    NotWritable,    // an existing file may not be written; nothing was written
    CreateFailed,   // a new file could not be created next to its target; nothing was replaced
    WriteFailed,    // writing or flushing a new file failed
    ReplaceFailed,  // putting a new file in place of its target failed
  } failure = Failure::None;
  std::filesystem::path failedPath;  // the file the failure concerns, as given
  std::error_code error;
  std::string reason;  // the reason in words
  // After the run: the files that hold the new bytes, and those that are as they were (old content,
  // or still missing), each in the order given.
  std::vector<std::filesystem::path> replaced;
  std::vector<std::filesystem::path> unchanged;
  std::size_t orphansRemoved = 0;

  bool ok() const { return failure == Failure::None; }
};

// Replaces the files as one set, so that a crash, a full disk or a kill leaves either all old files or
// all new ones: every path is checked first; then each new file is written next to its target under a
// temporary name and flushed to the disk; only when all of them are there are they renamed over
// their targets, one right after another. If any check or new file fails, no file is replaced and
// the new files are removed. Only a failure (or a kill) between two renames leaves a mixed set, and
// the result then says which files are new and which are old.
//
// A symbolic link stays a link: the file it leads to is replaced (or created, for a dangling link).
// A replaced file keeps its permissions and, where the process may, its owner. Temporary files left in
// the folders by ended runs are removed first.
ReplaceResult ReplaceFiles(std::span<const FileWrite> files, const ReplaceOptions& options = {});

}  // namespace kavira
