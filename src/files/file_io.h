// Whole-file reads and crash-safe file replacement for the data files and update files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace kavira {

enum class ReadOutcome { Ok, OpenFailed, ReadFailed };

// Reads at most `limit` bytes from the start of the file into `out` (replacing its contents). Ok with
// fewer bytes means the file is shorter than `limit`.
ReadOutcome ReadFilePrefix(const std::filesystem::path& path, std::size_t limit,
                           std::vector<std::uint8_t>& out);

enum class WriteOutcome { Ok, OpenFailed, WriteFailed };

// Replaces the file at `path` with `bytes` so that a crash, a full disk or any other failure leaves
// either the old file or the new one, never a mixture: the bytes go into a new file in the same
// folder, are flushed to the disk, and that file is renamed over the old one. The old file's
// permissions (and, where allowed, owner) carry over; a symbolic link stays a link and its target is
// replaced. A path that names a device or another non-regular file is written in place, as there is
// nothing to rename over. OpenFailed: the new file could not be created or opened; WriteFailed:
// writing, flushing or renaming failed (the old file is untouched and nothing is left behind).
WriteOutcome WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace kavira
