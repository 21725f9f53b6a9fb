// The changes walks of kaviraob-cli: write --changed (with or without --since) and undo. Each run
// keeps an undo journal of what it overwrites; a summary line on standard error says how many blocks
// were written, how many were already equal, and where the journal is.
#pragma once

#include <filesystem>
#include <string>

#include "cli/area.h"
#include "cli/link_session.h"
#include "files/journal.h"
#include "link/changes_walk.h"

namespace kavira::cli {

// The journal folder: --journal-dir, or the window program's.
std::filesystem::path JournalFolder(const std::optional<std::string>& option);

// Runs a changes walk on a connected session: reads the firmware version, runs `request` with its
// journal (ChangesRun) and reports. `old` is the image the user says the controller holds (--since:
// the request becomes a Since walk over the blocks where the image and OLD differ), or null. `undo`
// is the journal an undo restores (its request is UndoRequest), or null.
int RunChangesWalk(LinkSession& session, ChangesRequest request, const std::filesystem::path& folder,
                   const ControllerImage* old, const Journal* undo);

}  // namespace kavira::cli
