// The data files named by --image BASE: BASE.K3s (scenes), BASE.K3p (program settings) and
// BASE.K3m (MIDI assignments). Every message names the file and the reason.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "files/data_files.h"

namespace kavira::cli {

std::filesystem::path DataFilePath(const std::string& base, DataArea area);
// One of the files named by its full name stands for the base it belongs to: "show.K3s" -> "show".
void StripDataExtension(std::string& base);
// "scenes", "settings", "MIDI".
const char* AreaName(DataArea area);

// Loads the files of `areas` into the image. A missing file leaves its area as it is (all zero)
// unless `required`; a file that cannot be loaded is an error. Nothing, or the message.
std::optional<std::string> LoadImageFiles(const std::string& base, const std::vector<DataArea>& areas,
                                          bool required, ControllerImage& image);

// Whether the files of `areas` could be saved (their names fit, their folder exists and may be
// written, an existing file is a file and may be replaced): checked before a read run, so the
// controller is not read for nothing.
std::optional<std::string> CheckSavable(const std::string& base, const std::vector<DataArea>& areas);

// What a save of the image files did.
struct SaveReport {
  std::vector<std::filesystem::path> replaced;  // the files that hold the new data
  std::size_t orphansRemoved = 0;               // temporary files of ended runs removed
};

// Saves the files of `areas` as one set: all are replaced or, when any of them cannot be written,
// none. The message says which files are new and which old when a failure came between two of them.
std::optional<std::string> SaveImageFiles(const std::string& base, const std::vector<DataArea>& areas,
                                          const ControllerImage& image, const ReplaceOptions& options,
                                          SaveReport& report);

// "path: message (reason)" in one line, from a failure of the file layer.
std::string DescribeFailure(const std::filesystem::path& path, const FileFailure& failure);

}  // namespace kavira::cli
