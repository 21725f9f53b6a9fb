#include "files/file_io.h"

#include <algorithm>
#include <charconv>
#include <random>

#include "files/path_text.h"

namespace kavira {
namespace fs = std::filesystem;
namespace {

// ".kaviraob-" with a process id and a 32-bit number: the longest temporary name.
constexpr std::size_t kLongestTemporaryName = kTemporaryPrefix.size() + 10 + 1 + 10;
// More links than this in a row count as a loop, as the system counts them.
constexpr int kMaxLinks = 40;
// What the lengths of names and paths are counted in.
constexpr const char* kPathUnits = sizeof(fs::path::value_type) == 1 ? " bytes" : " characters";

class FileErrors final : public std::error_category {
 public:
  const char* name() const noexcept override { return "kavira-file"; }
  std::string message(int code) const override {
    switch (static_cast<FileError>(code)) {
      case FileError::IsFolder:
        return "it is a folder, not a file";
      case FileError::IsFifo:
        return "it is a named pipe (FIFO), not a file";
      case FileError::IsSocket:
        return "it is a socket, not a file";
      case FileError::IsBlockDevice:
        return "it is a block device, not a file";
      case FileError::IsCharDevice:
        return "it is a device, not a file";
      case FileError::NotRegular:
        break;
    }
    return "it is not a regular file";
  }
};

fs::path FolderOf(const fs::path& path) {
  return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

// A path checked for a save: where the bytes go in the end and what is there now.
struct Target {
  fs::path path;
  FileKind kind = FileKind::Missing;
};

std::optional<SaveProblem> Refusal(std::error_code error, std::string text = {}) {
  if (text.empty()) text = error.message();
  return SaveProblem{SaveProblem::Refused, error, std::move(text)};
}

std::optional<SaveProblem> CheckLengths(const fs::path& path, FileSystem& system) {
  const fs::path folder = FolderOf(path);
  const NameLimits limits = system.Limits(folder);
  const auto tooLong = std::make_error_code(std::errc::filename_too_long);
  const std::size_t name = path.filename().native().size();
  if (name > limits.name) {
    return Refusal(tooLong, "the file name is " + std::to_string(name) + kPathUnits +
                                " long; the folder takes at most " + std::to_string(limits.name));
  }
  const std::size_t length = path.native().size();
  if (length > limits.path) {
    return Refusal(tooLong, "the path is " + std::to_string(length) + kPathUnits +
                                " long; the system takes at most " + std::to_string(limits.path));
  }
  // The new file is written next to its target under a temporary name first.
  if (folder.native().size() + 1 + kLongestTemporaryName > limits.path) {
    return Refusal(tooLong, "the folder's path is " + std::to_string(folder.native().size()) + kPathUnits +
                                " long; saving needs room for " + std::to_string(1 + kLongestTemporaryName) +
                                " more within the system's " + std::to_string(limits.path));
  }
  return std::nullopt;
}

std::optional<SaveProblem> Inspect(const fs::path& path, FileSystem& system, Target& target) {
  if (path.empty()) return Refusal(std::make_error_code(std::errc::no_such_file_or_directory));
  // The given path first: an overlong one would only be reported as missing further on.
  if (auto problem = CheckLengths(path, system)) return problem;
  if (const auto e = ResolveLinks(system, path, target.path)) return Refusal(Utf8Error(e));
  if (target.path != path) {
    if (auto problem = CheckLengths(target.path, system)) return problem;
  }

  const fs::path folder = FolderOf(target.path);
  FileKind folderKind = FileKind::Missing;
  const std::error_code ec = system.Kind(folder, folderKind);
  if (!ec && folderKind == FileKind::Missing) {
    return Refusal(std::make_error_code(std::errc::no_such_file_or_directory),
                   "the folder " + PathToUtf8(folder) + " does not exist");
  }
  if (ec) return Refusal(ec, "the folder " + PathToUtf8(folder) + ": " + Utf8Error(ec).message());
  if (folderKind != FileKind::Folder) {
    return Refusal(std::make_error_code(std::errc::not_a_directory), PathToUtf8(folder) + " is not a folder");
  }

  bool link = false;
  if (const auto e = system.LinkKind(target.path, target.kind, link)) return Refusal(Utf8Error(e));
  // Only a file takes a save: a device (a terminal, another serial line, /dev/null) would swallow the
  // bytes or send them out as frames, and the save would be reported done.
  switch (target.kind) {
    case FileKind::Regular:
      if (const auto e = system.CheckWriteAccess(target.path)) {
        return SaveProblem{SaveProblem::ReadOnly, e, e.message()};
      }
      break;
    case FileKind::Missing:
      break;
    default:
      return Refusal(NotAFile(target.kind));
  }
  if (const auto e = system.CheckWriteAccess(folder)) {
    return Refusal(e, "the folder " + PathToUtf8(folder) + ": " + e.message());
  }
  return std::nullopt;
}

std::string TemporaryName(long pid) {
  static std::minstd_rand random(std::random_device{}());
  return std::string(kTemporaryPrefix) + std::to_string(pid) + "-" + std::to_string(random());
}

// Every path of `files`, in order, from `first` on.
void AddPaths(std::span<const FileWrite> files, std::size_t first, std::vector<fs::path>& out) {
  for (std::size_t i = first; i < files.size(); ++i)
    out.push_back(files[i].path);
}

}  // namespace

const std::error_category& FileErrorCategory() {
  static const FileErrors category;
  return category;
}

std::error_code make_error_code(FileError e) {
  return {static_cast<int>(e), FileErrorCategory()};
}

std::error_code NotAFile(FileKind kind) {
  switch (kind) {
    case FileKind::Folder:
      return FileError::IsFolder;
    case FileKind::Fifo:
      return FileError::IsFifo;
    case FileKind::Socket:
      return FileError::IsSocket;
    case FileKind::BlockDevice:
      return FileError::IsBlockDevice;
    case FileKind::CharDevice:
      return FileError::IsCharDevice;
    default:
      return FileError::NotRegular;
  }
}

ReadOutcome ReadFilePrefix(const fs::path& path, std::size_t limit, std::vector<std::uint8_t>& out,
                           std::error_code* reason) {
  bool opened = false;
  const std::error_code e = SystemFileSystem().ReadPrefix(path, limit, out, opened);
  if (reason != nullptr) *reason = e;
  if (!e) return ReadOutcome::Ok;
  return opened ? ReadOutcome::ReadFailed : ReadOutcome::OpenFailed;
}

std::error_code ResolveLinks(FileSystem& system, const fs::path& path, fs::path& target) {
  fs::path current = path;
  for (int links = 0;; ++links) {
    FileKind kind = FileKind::Missing;
    bool link = false;
    if (const auto ec = system.LinkKind(current, kind, link)) return ec;
    if (!link) break;
    if (links == kMaxLinks) return std::make_error_code(std::errc::too_many_symbolic_link_levels);
    fs::path pointedTo;
    if (const auto ec = system.ReadLink(current, pointedTo)) return ec;
    current = pointedTo.is_absolute() ? pointedTo : current.parent_path() / pointedTo;
  }
  target = current;
  return {};
}

std::optional<SaveProblem> CheckSavePath(const fs::path& path, FileSystem& system) {
  Target target;
  return Inspect(path, system, target);
}

std::optional<long> TemporaryFileOwner(std::string_view name) {
  if (name.substr(0, kTemporaryPrefix.size()) != kTemporaryPrefix) return std::nullopt;
  name.remove_prefix(kTemporaryPrefix.size());
  const std::size_t dash = name.find('-');
  if (dash == std::string_view::npos || dash == 0 || dash + 1 == name.size()) return std::nullopt;
  long pid = 0;
  const auto [end, ec] = std::from_chars(name.data(), name.data() + dash, pid);
  if (ec != std::errc{} || end != name.data() + dash || pid <= 0) return std::nullopt;
  const std::string_view number = name.substr(dash + 1);
  if (!std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return pid;
}

std::size_t RemoveOrphanTemporaries(const fs::path& folder, FileSystem& system) {
  std::vector<fs::path> orphans;
  std::vector<fs::path> names;
  const fs::path where = folder.empty() ? fs::path(".") : folder;
  system.ListFiles(where, names);
  for (const fs::path& name : names) {
    const auto owner = TemporaryFileOwner(PathToUtf8(name));
    FileKind kind = FileKind::Missing;
    bool link = false;
    if (!owner || system.LinkKind(where / name, kind, link) || link || kind != FileKind::Regular) continue;
    if (*owner != system.ProcessId() && system.ProcessGone(*owner)) orphans.push_back(where / name);
  }
  std::size_t removed = 0;
  for (const fs::path& orphan : orphans) {
    if (!system.Remove(orphan)) ++removed;
  }
  return removed;
}

namespace {

// One run of ReplaceFiles, step by step: the targets checked, their folders, and the new files
// written next to them under temporary names.
class Replacement {
 public:
  Replacement(std::span<const FileWrite> files, FileSystem& system)
      : files_(files), system_(system), targets_(files.size()), temporaries_(files.size()) {}

  // Every path is checked before anything is written. False: one is refused and nothing is written.
  bool inspect() {
    for (std::size_t i = 0; i < files_.size(); ++i) {
      if (auto problem = Inspect(files_[i].path, system_, targets_[i])) {
        AddPaths(files_, 0, result_.unchanged);
        fail(problem->kind == SaveProblem::ReadOnly ? ReplaceResult::Failure::NotWritable
                                                    : ReplaceResult::Failure::Refused,
             i, problem->error, problem->text);
        return false;
      }
    }
    for (const Target& t : targets_) {
      const fs::path folder = FolderOf(t.path);
      if (std::find(folders_.begin(), folders_.end(), folder) == folders_.end()) folders_.push_back(folder);
    }
    return true;
  }

  // What killed runs left in the folders the new files go to.
  void removeOrphans() {
    for (const fs::path& folder : folders_)
      result_.orphansRemoved += RemoveOrphanTemporaries(folder, system_);
  }

  // Every new file is written and flushed before any is put in place. False: one failed and none of
  // the new files is kept.
  bool writeTemporaries() {
    for (std::size_t i = 0; i < files_.size(); ++i) {
      bool created = false;
      if (const std::error_code e = writeTemporary(i, created)) {
        removeTemporaries(0);
        AddPaths(files_, 0, result_.unchanged);
        fail(created ? ReplaceResult::Failure::WriteFailed : ReplaceResult::Failure::CreateFailed, i, e);
        return false;
      }
    }
    return true;
  }

  // The new files renamed over their targets, one right after another, up to the first failure.
  void putInPlace() {
    for (std::size_t i = 0; i < files_.size(); ++i) {
      if (const std::error_code e = system_.Rename(temporaries_[i], targets_[i].path)) {
        removeTemporaries(i);
        AddPaths(files_, i, result_.unchanged);
        fail(ReplaceResult::Failure::ReplaceFailed, i, e);
        return;
      }
      result_.replaced.push_back(files_[i].path);
    }
  }

  // A folder that cannot be flushed does not undo the renames.
  void syncFolders() {
    for (const fs::path& folder : folders_)
      system_.SyncFolder(folder);
  }

  const ReplaceResult& result() const { return result_; }

 private:
  // File i under a fresh temporary name next to its target (another name if one is taken).
  std::error_code writeTemporary(std::size_t i, bool& created) {
    const Target& t = targets_[i];
    std::error_code e;
    for (int attempt = 0; attempt < 100; ++attempt) {
      const fs::path candidate = FolderOf(t.path) / TemporaryName(system_.ProcessId());
      e = system_.WriteNewFile(candidate, files_[i].bytes, t.kind == FileKind::Regular ? t.path : fs::path(),
                               created);
      if (!e) temporaries_[i] = candidate;
      if (e != std::errc::file_exists) break;
    }
    return e;
  }

  void removeTemporaries(std::size_t first) {
    for (std::size_t i = first; i < temporaries_.size(); ++i) {
      if (!temporaries_[i].empty()) system_.Remove(temporaries_[i]);
    }
  }

  void fail(ReplaceResult::Failure failure, std::size_t index, std::error_code error,
            std::string reason = {}) {
    result_.failure = failure;
    result_.failedPath = files_[index].path;
    result_.error = error;
    result_.reason = reason.empty() ? error.message() : std::move(reason);
  }

  std::span<const FileWrite> files_;
  FileSystem& system_;
  std::vector<Target> targets_;
  std::vector<fs::path> folders_;      // where new files go, each once, in order
  std::vector<fs::path> temporaries_;  // the new files written so far
  ReplaceResult result_;
};

}  // namespace

ReplaceResult ReplaceFiles(std::span<const FileWrite> files, const ReplaceOptions& options) {
  Replacement run(files, options.system != nullptr ? *options.system : SystemFileSystem());
  if (!run.inspect()) return run.result();
  run.removeOrphans();
  if (!run.writeTemporaries()) return run.result();
  if (options.beforeReplacing) options.beforeReplacing();
  run.putInPlace();
  run.syncFolders();
  return run.result();
}

}  // namespace kavira
