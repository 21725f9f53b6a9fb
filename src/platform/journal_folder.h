// Where the undo journals live: the window program's data folder (QStandardPaths::AppDataLocation
// of the application "kaviraob") + "/journals". kaviraob-cli asks under the window program's name,
// so both find the same journals.
#pragma once

#include <filesystem>

namespace kavira {

inline constexpr const char* kApplicationName = "kaviraob";

std::filesystem::path DefaultJournalFolder();

}  // namespace kavira
