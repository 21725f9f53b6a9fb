#include "cli/image_files.h"
#include "files/path_text.h"

#include <system_error>

#include "cli/cli_host.h"
#include "platform/translation.h"

namespace kavira::cli {
namespace fs = std::filesystem;
namespace {

std::string Names(const std::vector<fs::path>& paths) {
  std::string list;
  for (std::size_t i = 0; i < paths.size(); ++i)
    list += (i == 0 ? "" : i + 1 == paths.size() ? " and " : ", ") + PathToUtf8(paths[i]);
  return list;
}

}  // namespace

fs::path DataFilePath(const std::string& base, DataArea area) {
  return PathFromUtf8(base + "." + DataFileExtension(area));
}

void StripDataExtension(std::string& base) {
  for (DataArea a : {DataArea::Scenes, DataArea::Settings, DataArea::Midi}) {
    const std::string ext = std::string(".") + DataFileExtension(a);
    if (base.size() > ext.size() && base.compare(base.size() - ext.size(), ext.size(), ext) == 0) {
      base.resize(base.size() - ext.size());
      return;
    }
  }
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

std::string DescribeFailure(const fs::path& path, const FileFailure& failure) {
  std::string text = OneLine(TranslateText(failure.text));
  const std::string name = PathToUtf8(path);
  if (text.rfind(name, 0) != 0) text = name + ": " + text;
  if (!failure.reason.empty()) text += " (" + failure.reason + ")";
  return text;
}

std::optional<std::string> LoadImageFiles(const std::string& base, const std::vector<DataArea>& areas,
                                          bool required, ControllerImage& image) {
  for (DataArea area : areas) {
    const fs::path path = DataFilePath(base, area);
    std::error_code ec;
    if (!required && fs::status(path, ec).type() == fs::file_type::not_found) continue;
    if (const auto failure = LoadDataFile(path, area, image)) {
      if (failure->kind == FileFailure::Missing) {
        return OneLine(TranslateText(failure->text)) + " (the " + AreaName(area) +
               " file is needed; 'read' makes one from the controller)";
      }
      return DescribeFailure(path, *failure);
    }
  }
  return std::nullopt;
}

std::optional<std::string> CheckSavable(const std::string& base, const std::vector<DataArea>& areas) {
  for (DataArea area : areas) {
    const fs::path path = DataFilePath(base, area);
    if (const auto problem = CheckSavePath(path))
      return PathToUtf8(path) + ": cannot be saved (" + problem->text + ")";
  }
  return std::nullopt;
}

std::optional<std::string> SaveImageFiles(const std::string& base, const std::vector<DataArea>& areas,
                                          const ControllerImage& image, const ReplaceOptions& options,
                                          SaveReport& report) {
  std::vector<FileWrite> files;
  files.reserve(areas.size());
  for (DataArea area : areas)
    files.push_back({DataFilePath(base, area), EncodeDataFile(area, image)});
  ReplaceResult result = ReplaceFiles(files, options);
  report.replaced = result.replaced;
  report.orphansRemoved = result.orphansRemoved;
  if (result.ok()) return std::nullopt;

  const FileFailure failure = SaveFailure(std::move(result));
  std::string text = DescribeFailure(failure.path, failure);
  if (failure.replaced.empty()) {
    text += "; no file was replaced";
  } else {
    text += "; the set is mixed: " + Names(failure.replaced) +
            (failure.replaced.size() == 1 ? " holds" : " hold") + " the new data, " +
            Names(failure.unchanged) + (failure.unchanged.size() == 1 ? " is" : " are") + " still the old";
  }
  return text;
}

}  // namespace kavira::cli
