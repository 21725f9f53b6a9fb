// The file layer's only door to the operating system. Everything the data files and update files
// need from the system (opening, reading, creating, flushing, renaming and removing files, write
// permission, name limits, whether a process still runs) goes through FileSystem; the rest of
// src/files is standard C++ and works with std::filesystem paths only. One implementation per system
// sits in its own source file (file_system_posix.cpp, file_system_win.cpp; CMake picks one); tests
// put a decorator around it to inject faults. What the standard library does alike on every system
// (folders, listings, what a path names) is in file_system_std.cpp, and only there. The reasons they
// report read as UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <system_error>
#include <vector>

namespace kavira {

// What a path names, as far as saving and loading care.
enum class FileKind { Missing, Regular, Folder, CharDevice, BlockDevice, Fifo, Socket, Other };

// The kind of `status` (from std::filesystem).
FileKind KindOf(const std::filesystem::file_status& status);

// Reasons of the file layer's own, for what the system does not count as an error: a path that names
// something other than a file.
enum class FileError {
  IsFolder = 1,
  IsFifo,
  IsSocket,
  IsBlockDevice,
  IsCharDevice,
  NotRegular,
};
const std::error_category& FileErrorCategory();
std::error_code make_error_code(FileError e);
// The refusal for a path of `kind` where a file was wanted ("it is a named pipe (FIFO), not a file").
std::error_code NotAFile(FileKind kind);

// The longest file name a folder takes and the longest path the system takes, without the
// terminator, in the units of the system's paths (bytes; UTF-16 units on Windows).
struct NameLimits {
  std::size_t name = 255;
  std::size_t path = 4095;
};

// A file open for appending (the undo journal): every record is written at the end and, when the
// caller asks, flushed to the disk before the controller's block is overwritten.
class AppendFile {
 public:
  virtual ~AppendFile() = default;
  // Writes all of `bytes` at the end of the file.
  virtual std::error_code Append(std::span<const std::uint8_t> bytes) = 0;
  // Flushes what was appended to the disk.
  virtual std::error_code Sync() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Reads at most `limit` bytes from the start of a regular file into `out` (replacing its contents).
  // Anything else (a folder, a named pipe, a device, a socket) is refused with a FileError without
  // blocking: a named pipe with no writer is never waited for. `opened` tells whether a failure came
  // after the file was open.
  virtual std::error_code ReadPrefix(const std::filesystem::path& path, std::size_t limit,
                                     std::vector<std::uint8_t>& out, bool& opened) = 0;

  // Creates `path`, which must not exist (errc::file_exists when it does), writes `bytes` into it,
  // gives it the permissions and, where the process may, the owner of `like` (unless `like` is empty)
  // and flushes it to the disk. On failure the new file is removed again; `created` tells whether the
  // failure came after the file had been created.
  virtual std::error_code WriteNewFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                                       const std::filesystem::path& like, bool& created) = 0;

  // Puts `from` in place of `to` in one step (`to` may exist; both are in the same folder).
  virtual std::error_code Rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  virtual std::error_code Remove(const std::filesystem::path& path) = 0;
  // Makes the renames and removals in `folder` last through a power cut.
  virtual std::error_code SyncFolder(const std::filesystem::path& folder) = 0;

  // Whether this process may write `path`: a file to replace, or a folder to create files in.
  virtual std::error_code CheckWriteAccess(const std::filesystem::path& path) = 0;
  // The limits for names in `folder` (the defaults when the folder cannot tell).
  virtual NameLimits Limits(const std::filesystem::path& folder) = 0;

  // Creates `path`, which must not exist (errc::file_exists when it does), empty and open for
  // appending, and makes its name last through a power cut.
  virtual std::error_code CreateAppendFile(const std::filesystem::path& path,
                                           std::unique_ptr<AppendFile>& out) {
    (void)path;
    out.reset();
    return std::make_error_code(std::errc::function_not_supported);
  }
  // Creates `folder` and the missing folders above it (nothing to do when it exists).
  virtual std::error_code CreateFolders(const std::filesystem::path& folder);
  // The names (without the folder) of the regular files in `folder`.
  virtual std::error_code ListFiles(const std::filesystem::path& folder,
                                    std::vector<std::filesystem::path>& names);
  // What `path` names, a final symbolic link followed; Missing, and no error, when nothing is there.
  virtual std::error_code Kind(const std::filesystem::path& path, FileKind& kind);
  // The same without following a final symbolic link; `link` tells whether `path` is one.
  virtual std::error_code LinkKind(const std::filesystem::path& path, FileKind& kind, bool& link);
  // Where the symbolic link `path` points, as it is written in the link.
  virtual std::error_code ReadLink(const std::filesystem::path& path, std::filesystem::path& target);

  // This process's id, and whether the process `pid` has ended. A process that runs under another
  // user still runs; one that cannot be asked about is taken to run.
  virtual long ProcessId() = 0;
  virtual bool ProcessGone(long pid) = 0;
};

// The running system's implementation.
FileSystem& SystemFileSystem();

// The local time of `t` (the undo journals are named by it).
std::tm LocalTime(std::time_t t);

// `error` (from the C++ library's file functions) with a message() in UTF-8: on Windows the library
// words the system's errors in the narrow code page, and they are worded again here.
std::error_code Utf8Error(std::error_code error);

}  // namespace kavira

template <>
struct std::is_error_code_enum<kavira::FileError> : std::true_type {};
