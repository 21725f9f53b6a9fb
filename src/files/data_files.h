// The three data files of the controller image: scenes ("*.K3s"), program settings ("*.K3p") and MIDI
// assignments ("*.K3m"). Each is a raw dump of image items back to back, 16-bit words low byte first,
// with no header, length or checksum. A longer file loads and the rest is ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "files/file_io.h"
#include "model/controller_image.h"
#include "model/image_fields.h"
#include "model/message.h"
#include "model/texts.h"

namespace kavira {

enum class DataArea { Scenes, Settings, Midi };

struct FileField {
  ImageItem item;  // words low byte first
  std::size_t offset;
  std::size_t size;
  std::size_t part = 0;  // Shows: the area of the 16 collections
};

// The one description of each file, read by both the reader and the writer.
inline constexpr FileField kScenesFileLayout[] = {
    {ImageItem::Sceny, 0, kSceneCount* kSceneBytes},
};
inline constexpr FileField kSettingsFileLayout[] = {
    {ImageItem::PgmEnds, 0, 48},    {ImageItem::PgmSpeed, 48, 48},   {ImageItem::PgmFade, 96, 48},
    {ImageItem::ExtraMode, 144, 2}, {ImageItem::SlowMode, 146, 2},   {ImageItem::StrobScene, 148, 2},
    {ImageItem::FogScene, 150, 2},  {ImageItem::ExtraScene, 152, 2}, {ImageItem::Shows, 154, 16, 0},
    {ImageItem::Shows, 170, 16, 1}, {ImageItem::Shows, 186, 16, 2},
};
inline constexpr FileField kMidiFileLayout[] = {
    {ImageItem::Midi, 0, 2 * kMidiKeyCount},
};

inline constexpr std::size_t kScenesFileSize = 261632;
inline constexpr std::size_t kSettingsFileSize = 202;
inline constexpr std::size_t kMidiFileSize = 256;

std::span<const FileField> DataFileLayout(DataArea area);
std::size_t DataFileSize(DataArea area);
// "K3s", "K3p" or "K3m".
const char* DataFileExtension(DataArea area);

// The file's bytes for the area of the image.
std::vector<std::uint8_t> EncodeDataFile(DataArea area, const ControllerImage& image);
// Stores a file's bytes into the image. A file shorter than its layout changes nothing and returns
// false; bytes past the layout are ignored. Values are taken as stored, not checked.
bool DecodeDataFile(DataArea area, std::span<const std::uint8_t> file, ControllerImage& image);

// A failed file action, with the program's message for it and the reason.
struct FileFailure {
  enum Kind {
    Missing,      // load: the chosen file does not exist
    NotWritable,  // save: the file exists but may not be written
    OpenFailed,   // the file could not be opened (or, for a save, created), or is no file at all
    ReadFailed,   // the file is too short or could not be read
    WriteFailed,  // writing, flushing or replacing the file failed
  } kind;
  Message text;                // the program's message
  std::string reason;          // why, in the system's words ("No space left on device"); may be empty
  std::filesystem::path path;  // the file it concerns
  // A set of files whose save failed: those that hold the new data now and those still as they were.
  std::vector<std::filesystem::path> replaced;
  std::vector<std::filesystem::path> unchanged;

  // "Ostrzeżenie" for a missing file, "Niepowodzenie" otherwise; every box has the error icon.
  const char* Caption() const;
  // What the message box shows: the program's message, the reason on a line of its own, and for a
  // set of files which of them are new and which old.
  Message BoxText() const;
};

// Loads the area from the file. On failure the image is exactly as it was.
std::optional<FileFailure> LoadDataFile(const std::filesystem::path& path, DataArea area,
                                        ControllerImage& image);

// Whether a file could be saved at `path`, checked without writing anything (see CheckSavePath).
std::optional<FileFailure> CheckSaveFile(const std::filesystem::path& path);
// Saves the files as one set (see ReplaceFiles): when any of them cannot be written, none is
// replaced.
std::optional<FileFailure> SaveFileSet(std::span<const FileWrite> files, const ReplaceOptions& options = {});
// The failure of a save that ReplaceFiles reported (`result` not ok).
FileFailure SaveFailure(ReplaceResult result);
// Saves the area into the file, replacing it atomically: on failure the old file is exactly as it was.
std::optional<FileFailure> SaveDataFile(const std::filesystem::path& path, DataArea area,
                                        const ControllerImage& image);

}  // namespace kavira
