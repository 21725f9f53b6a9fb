#include "cli/image_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "cli/cli_host.h"

namespace kavira::cli {
namespace fs = std::filesystem;
namespace {

std::string WithReason(std::string message, const std::string& reason) {
  if (!reason.empty()) message += " (" + reason + ")";
  return message;
}

fs::path FolderOf(const fs::path& path) {
  return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

}  // namespace

fs::path DataFilePath(const std::string& base, DataArea area) {
  return base + "." + DataFileExtension(area);
}

const char* AreaName(DataArea area) {
  switch (area) {
    case DataArea::Scenes:
      return "scenes";
    case DataArea::Settings:
      return "settings";
    case DataArea::Midi:
      break;
  }
  return "MIDI";
}

std::string ReadProblem(const fs::path& path, std::size_t expectedSize) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) return "it is a folder";
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::strerror(errno);
  ::close(fd);
  const auto size = fs::file_size(path, ec);
  if (!ec && size < expectedSize) {
    return "it has " + std::to_string(size) + " bytes, the file needs " + std::to_string(expectedSize);
  }
  return {};
}

std::string WriteProblem(const fs::path& path) {
  std::error_code ec;
  const fs::path folder = FolderOf(path);
  if (!fs::exists(folder, ec)) return "the folder " + folder.string() + " does not exist";
  if (!fs::is_directory(folder, ec)) return folder.string() + " is not a folder";
  if (fs::is_directory(path, ec)) return "it is a folder";
  if (::access(folder.c_str(), W_OK | X_OK) != 0)
    return "the folder " + folder.string() + ": " + std::strerror(errno);
  if (fs::exists(path, ec) && ::access(path.c_str(), W_OK) != 0) return std::strerror(errno);
  return {};
}

std::optional<std::string> LoadImageFiles(const std::string& base, const std::vector<DataArea>& areas,
                                          bool required, ControllerImage& image) {
  for (DataArea area : areas) {
    const fs::path path = DataFilePath(base, area);
    std::error_code ec;
    if (!required && !fs::exists(path, ec)) continue;
    if (const auto failure = LoadDataFile(path, area, image)) {
      if (failure->kind == FileFailure::Missing) {
        return OneLine(failure->text) + " (the " + AreaName(area) +
               " file is needed; 'read' makes one from the controller)";
      }
      std::string text = OneLine(failure->text);
      if (text.rfind(path.string(), 0) != 0) text = path.string() + ": " + text;
      return WithReason(text, ReadProblem(path, DataFileSize(area)));
    }
  }
  return std::nullopt;
}

std::optional<std::string> CheckSavable(const std::string& base, const std::vector<DataArea>& areas) {
  for (DataArea area : areas) {
    const fs::path path = DataFilePath(base, area);
    if (const std::string problem = WriteProblem(path); !problem.empty()) {
      return path.string() + ": cannot be saved (" + problem + ")";
    }
  }
  return std::nullopt;
}

std::optional<std::string> SaveImageFiles(const std::string& base, const std::vector<DataArea>& areas,
                                          const ControllerImage& image, std::vector<fs::path>& saved) {
  for (DataArea area : areas) {
    const fs::path path = DataFilePath(base, area);
    if (const auto failure = SaveDataFile(path, area, image)) {
      std::string text = OneLine(failure->text);
      if (text.rfind(path.string(), 0) != 0) text = path.string() + ": " + text;
      return WithReason(text, WriteProblem(path));
    }
    saved.push_back(path);
  }
  return std::nullopt;
}

}  // namespace kavira::cli
