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
// "scenes", "settings", "MIDI".
const char* AreaName(DataArea area);

// Loads the files of `areas` into the image. A missing file leaves its area as it is (all zero)
// unless `required`; a file that cannot be loaded is an error. Nothing, or the message.
std::optional<std::string> LoadImageFiles(const std::string& base, const std::vector<DataArea>& areas,
                                          bool required, ControllerImage& image);

// Whether the files of `areas` could be saved (their folder exists and may be written, an existing
// file may be replaced): checked before a read run, so the controller is not read for nothing.
std::optional<std::string> CheckSavable(const std::string& base, const std::vector<DataArea>& areas);

// Saves the files of `areas`, each replaced atomically; stops at the first failure. `saved` gets the
// paths written.
std::optional<std::string> SaveImageFiles(const std::string& base, const std::vector<DataArea>& areas,
                                          const ControllerImage& image,
                                          std::vector<std::filesystem::path>& saved);

// Why reading or writing `path` fails, as far as the system tells: "" when it cannot be told.
std::string ReadProblem(const std::filesystem::path& path, std::size_t expectedSize);
std::string WriteProblem(const std::filesystem::path& path);

}  // namespace kavira::cli
