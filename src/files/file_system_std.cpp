// What the file layer asks of the system that the standard library answers alike everywhere:
// folders, listings and what a path names. The system-specific files override none of it; a test's
// decorator may.
#include <filesystem>

#include "files/file_system.h"

namespace kavira {
namespace fs = std::filesystem;
namespace {

// Nothing there: no such name, or a "folder" on the way that is a file (reported as such later).
bool NotFound(const std::error_code& ec) {
  return ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory;
}

}  // namespace

FileKind KindOf(const fs::file_status& status) {
  switch (status.type()) {
    case fs::file_type::not_found:
    case fs::file_type::none:
      return FileKind::Missing;
    case fs::file_type::regular:
      return FileKind::Regular;
    case fs::file_type::directory:
      return FileKind::Folder;
    case fs::file_type::character:
      return FileKind::CharDevice;
    case fs::file_type::block:
      return FileKind::BlockDevice;
    case fs::file_type::fifo:
      return FileKind::Fifo;
    case fs::file_type::socket:
      return FileKind::Socket;
    default:
      return FileKind::Other;
  }
}

std::error_code FileSystem::CreateFolders(const fs::path& folder) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) return ec;
  if (!fs::is_directory(folder, ec)) return ec ? ec : std::make_error_code(std::errc::not_a_directory);
  return {};
}

std::error_code FileSystem::ListFiles(const fs::path& folder, std::vector<fs::path>& names) {
  names.clear();
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code kind;
    if (it->is_regular_file(kind)) names.push_back(it->path().filename());
  }
  return ec;
}

std::error_code FileSystem::Kind(const fs::path& path, FileKind& kind) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  kind = KindOf(status);
  if (status.type() == fs::file_type::not_found) return {};
  return ec;
}

std::error_code FileSystem::LinkKind(const fs::path& path, FileKind& kind, bool& link) {
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(path, ec);
  kind = KindOf(status);
  link = fs::is_symlink(status);
  if (ec && NotFound(ec)) {
    kind = FileKind::Missing;
    return {};
  }
  return ec;
}

std::error_code FileSystem::ReadLink(const fs::path& path, fs::path& target) {
  std::error_code ec;
  target = fs::read_symlink(path, ec);
  return ec;
}

}  // namespace kavira
