#include "files/data_files.h"

#include <algorithm>
#include <system_error>

#include "files/file_io.h"
#include "files/path_text.h"
#include "model/little_endian.h"

namespace kavira {
namespace {

// Each layout covers its file without gaps or overlaps.
template <std::size_t N>
constexpr bool Contiguous(const FileField (&layout)[N], std::size_t size) {
  std::size_t next = 0;
  for (const FileField& f : layout) {
    if (f.offset != next) return false;
    next += f.size;
  }
  return next == size;
}
static_assert(Contiguous(kScenesFileLayout, kScenesFileSize));
static_assert(Contiguous(kSettingsFileLayout, kSettingsFileSize));
static_assert(Contiguous(kMidiFileLayout, kMidiFileSize));
static_assert(kScenesFileSize == kSceneCount * kSceneBytes);
// Words where the image has words.
static_assert(std::ranges::all_of(kSettingsFileLayout, [](const FileField& f) {
  return IsWordItem(f.item) ? f.size == 2 : IsByteItem(f.item);
}));

void EncodeField(const ControllerImage& image, const FileField& f, std::span<std::uint8_t> out) {
  if (IsWordItem(f.item)) {
    PutLe16(out.data(), ItemWord(image, f.item));
  } else if (IsByteItem(f.item)) {
    for (std::size_t k = 0; k < f.size; ++k)
      out[k] = ItemByte(image, f.item, f.part * kCollectionCount + k);
  } else if (f.item == ImageItem::Sceny) {
    for (std::size_t n = 0; n < kSceneCount; ++n)
      std::copy(image.Sceny[n].begin(), image.Sceny[n].end(), out.subspan(n * kSceneBytes).begin());
  } else if (f.item == ImageItem::Midi) {
    for (std::size_t k = 0; k < kMidiKeyCount; ++k)
      PutLe16(out.data() + 2 * k, image.Midi[k].word);
  }
}

void DecodeField(ControllerImage& image, const FileField& f, std::span<const std::uint8_t> in) {
  if (IsWordItem(f.item)) {
    ItemWord(image, f.item) = Le16(in.data());
  } else if (IsByteItem(f.item)) {
    for (std::size_t k = 0; k < f.size; ++k)
      ItemByte(image, f.item, f.part * kCollectionCount + k) = in[k];
  } else if (f.item == ImageItem::Sceny) {
    for (std::size_t n = 0; n < kSceneCount; ++n)
      std::copy_n(in.subspan(n * kSceneBytes).begin(), kSceneBytes, image.Sceny[n].begin());
  } else if (f.item == ImageItem::Midi) {
    for (std::size_t k = 0; k < kMidiKeyCount; ++k)
      image.Midi[k].word = Le16(in.data() + 2 * k);
  }
}

std::string PathText(const std::filesystem::path& path) {
  return PathToUtf8(path);
}

FileFailure Failure(FileFailure::Kind kind, Message text, std::string reason,
                    const std::filesystem::path& path) {
  return {kind, std::move(text), std::move(reason), path, {}, {}};
}

}  // namespace

std::span<const FileField> DataFileLayout(DataArea area) {
  switch (area) {
    case DataArea::Scenes:
      return kScenesFileLayout;
    case DataArea::Settings:
      return kSettingsFileLayout;
    case DataArea::Midi:
      break;
  }
  return kMidiFileLayout;
}

std::size_t DataFileSize(DataArea area) {
  const FileField& last = DataFileLayout(area).back();
  return last.offset + last.size;
}

const char* DataFileExtension(DataArea area) {
  switch (area) {
    case DataArea::Scenes:
      return "K3s";
    case DataArea::Settings:
      return "K3p";
    case DataArea::Midi:
      break;
  }
  return "K3m";
}

std::vector<std::uint8_t> EncodeDataFile(DataArea area, const ControllerImage& image) {
  std::vector<std::uint8_t> file(DataFileSize(area));
  for (const FileField& f : DataFileLayout(area)) {
    EncodeField(image, f, std::span(file).subspan(f.offset, f.size));
  }
  return file;
}

bool DecodeDataFile(DataArea area, std::span<const std::uint8_t> file, ControllerImage& image) {
  if (file.size() < DataFileSize(area)) return false;
  for (const FileField& f : DataFileLayout(area))
    DecodeField(image, f, file.subspan(f.offset, f.size));
  return true;
}

const char* FileFailure::Caption() const {
  return FileFailureCaption(kind == Missing);
}

Message FileFailure::BoxText() const {
  Message box = text;
  if (!reason.empty()) box = Message::Lines({box, Message::Text(reason)});
  auto names = [](const std::vector<std::filesystem::path>& paths) {
    std::string list;
    for (const auto& p : paths)
      list += (list.empty() ? "" : ", ") + PathToUtf8(p.filename());
    return list;
  };
  if (!replaced.empty()) {
    box = Message::Lines(
        {box, Message(Texts::kNewDataIn, {names(replaced)}), Message(Texts::kUnchanged, {names(unchanged)})});
  } else if (unchanged.size() > 1) {
    box = Message::Lines({box, Texts::kNoneReplaced});
  }
  return box;
}

std::optional<FileFailure> LoadDataFile(const std::filesystem::path& path, DataArea area,
                                        ControllerImage& image) {
  FileKind kind = FileKind::Missing;
  const std::error_code ec = SystemFileSystem().Kind(path, kind);
  if (!ec && kind == FileKind::Missing) {
    return Failure(FileFailure::Missing, Message(Texts::kFileMissing, {PathText(path)}), {}, path);
  }
  if (ec) return Failure(FileFailure::OpenFailed, Texts::kOpenFailed, Utf8Error(ec).message(), path);
  // The whole area is read before anything is stored, so a short or unreadable file changes nothing.
  std::vector<std::uint8_t> bytes;
  std::error_code reason;
  switch (ReadFilePrefix(path, DataFileSize(area), bytes, &reason)) {
    case ReadOutcome::OpenFailed:
      return Failure(FileFailure::OpenFailed, Texts::kOpenFailed, reason.message(), path);
    case ReadOutcome::ReadFailed:
      return Failure(FileFailure::ReadFailed, Message(Texts::kReadFailed, {PathText(path)}), reason.message(),
                     path);
    case ReadOutcome::Ok:
      break;
  }
  if (!DecodeDataFile(area, bytes, image)) {
    return Failure(FileFailure::ReadFailed, Message(Texts::kReadFailed, {PathText(path)}),
                   "it has " + std::to_string(bytes.size()) + " bytes, the file needs " +
                       std::to_string(DataFileSize(area)),
                   path);
  }
  return std::nullopt;
}

std::optional<FileFailure> CheckSaveFile(const std::filesystem::path& path) {
  const auto problem = CheckSavePath(path);
  if (!problem) return std::nullopt;
  if (problem->kind == SaveProblem::ReadOnly) {
    return Failure(FileFailure::NotWritable, Message(Texts::kNotWritable, {PathText(path)}), problem->text,
                   path);
  }
  return Failure(FileFailure::OpenFailed, Texts::kOpenFailed, problem->text, path);
}

FileFailure SaveFailure(ReplaceResult r) {
  FileFailure failure =
      Failure(FileFailure::WriteFailed, Message(Texts::kWriteFailed, {PathText(r.failedPath)}),
              std::move(r.reason), r.failedPath);
  switch (r.failure) {
    case ReplaceResult::Failure::NotWritable:
      failure.kind = FileFailure::NotWritable;
      failure.text = Message(Texts::kNotWritable, {PathText(r.failedPath)});
      break;
    case ReplaceResult::Failure::Refused:
    case ReplaceResult::Failure::CreateFailed:
      failure.kind = FileFailure::OpenFailed;
      failure.text = Texts::kOpenFailed;
      break;
    default:
      break;
  }
  failure.replaced = std::move(r.replaced);
  failure.unchanged = std::move(r.unchanged);
  return failure;
}

std::optional<FileFailure> SaveFileSet(std::span<const FileWrite> files, const ReplaceOptions& options) {
  ReplaceResult r = ReplaceFiles(files, options);
  if (r.ok()) return std::nullopt;
  return SaveFailure(std::move(r));
}

std::optional<FileFailure> SaveDataFile(const std::filesystem::path& path, DataArea area,
                                        const ControllerImage& image) {
  const FileWrite file{path, EncodeDataFile(area, image)};
  return SaveFileSet(std::span(&file, 1));
}

}  // namespace kavira
