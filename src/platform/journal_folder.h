// Where the undo journals live: the data folder (QStandardPaths::AppDataLocation) of the application
// "kaviraob" with no organisation + "/journals", e.g. ~/.local/share/kaviraob/journals. The window
// program and kaviraob-cli both ask here, whatever names they run under, so each finds the other's
// journals. Earlier window programs kept theirs under the organisation "Kavira"
// (~/.local/share/Kavira/kaviraob/journals): that folder is still searched, never written.
#pragma once

#include <filesystem>
#include <vector>

namespace kavira {

inline constexpr const char* kApplicationName = "kaviraob";

// The folder new journals go to.
std::filesystem::path DefaultJournalFolder();
// The folders whose journals are found: DefaultJournalFolder() first, then the former one.
std::vector<std::filesystem::path> JournalFolders();

}  // namespace kavira
