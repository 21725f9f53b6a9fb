#include "files/data_files.h"

#include <algorithm>
#include <system_error>

#include "files/file_io.h"
#include "files/path_text.h"

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

template <class Image>
auto& WordOf(Image& image, FileItem item) {
  switch (item) {
    case FileItem::ExtraMode:
      return image.ExtraMode;
    case FileItem::SlowMode:
      return image.SlowMode;
    case FileItem::StrobScene:
      return image.StrobScene;
    case FileItem::FogScene:
      return image.FogScene;
    default:
      return image.ExtraScene;
  }
}

// The bytes of one of the byte arrays (program parameters, one area's collections).
template <class Image>
auto BytesOf(Image& image, const FileField& f) {
  switch (f.item) {
    case FileItem::PgmEnds:
      return std::span(image.PgmEnds.data(), image.PgmEnds.size());
    case FileItem::PgmSpeed:
      return std::span(image.PgmSpeed.data(), image.PgmSpeed.size());
    case FileItem::PgmFade:
      return std::span(image.PgmFade.data(), image.PgmFade.size());
    default:
      return std::span(image.Shows.at(f.part).data(), kCollectionCount);
  }
}

void EncodeField(const ControllerImage& image, const FileField& f, std::span<std::uint8_t> out) {
  switch (f.item) {
    case FileItem::ExtraMode:
    case FileItem::SlowMode:
    case FileItem::StrobScene:
    case FileItem::FogScene:
    case FileItem::ExtraScene: {
      const std::uint16_t w = WordOf(image, f.item);
      out[0] = static_cast<std::uint8_t>(w & 0xFFU);
      out[1] = static_cast<std::uint8_t>(w >> 8);
      break;
    }
    case FileItem::Sceny:
      for (std::size_t n = 0; n < kSceneCount; ++n) {
        std::copy(image.Sceny[n].begin(), image.Sceny[n].end(), out.subspan(n * kSceneBytes).begin());
      }
      break;
    case FileItem::Midi:
      for (std::size_t k = 0; k < kMidiKeyCount; ++k) {
        out[2 * k] = static_cast<std::uint8_t>(image.Midi[k].word & 0xFFU);
        out[2 * k + 1] = static_cast<std::uint8_t>(image.Midi[k].word >> 8);
      }
      break;
    default: {
      const auto bytes = BytesOf(image, f);
      std::copy(bytes.begin(), bytes.end(), out.begin());
    }
  }
}

void DecodeField(ControllerImage& image, const FileField& f, std::span<const std::uint8_t> in) {
  switch (f.item) {
    case FileItem::ExtraMode:
    case FileItem::SlowMode:
    case FileItem::StrobScene:
    case FileItem::FogScene:
    case FileItem::ExtraScene:
      WordOf(image, f.item) = static_cast<std::uint16_t>(in[0] | (in[1] << 8));
      break;
    case FileItem::Sceny:
      for (std::size_t n = 0; n < kSceneCount; ++n) {
        std::copy_n(in.subspan(n * kSceneBytes).begin(), kSceneBytes, image.Sceny[n].begin());
      }
      break;
    case FileItem::Midi:
      for (std::size_t k = 0; k < kMidiKeyCount; ++k) {
        image.Midi[k].word = static_cast<std::uint16_t>(in[2 * k] | (in[2 * k + 1] << 8));
      }
      break;
    default: {
      const auto bytes = BytesOf(image, f);
      std::copy_n(in.begin(), bytes.size(), bytes.begin());
    }
  }
}

std::string PathText(const std::filesystem::path& path) {
  return PathToUtf8(path);
}

FileFailure Failure(FileFailure::Kind kind, std::string text, std::string reason,
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

std::string FileFailure::BoxText() const {
  std::string box = text;
  if (!reason.empty()) box += "\n" + reason;
  auto names = [](const std::vector<std::filesystem::path>& paths) {
    std::string list;
    for (const auto& p : paths)
      list += (list.empty() ? "" : ", ") + PathToUtf8(p.filename());
    return list;
  };
  if (!replaced.empty()) {
    box += "\n" + Format(Texts::kNewDataIn, {names(replaced)}) + "\n" +
           Format(Texts::kUnchanged, {names(unchanged)});
  } else if (unchanged.size() > 1) {
    box += "\n" + std::string(Texts::kNoneReplaced);
  }
  return box;
}

std::optional<FileFailure> LoadDataFile(const std::filesystem::path& path, DataArea area,
                                        ControllerImage& image) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (status.type() == std::filesystem::file_type::not_found) {
    return Failure(FileFailure::Missing, Format(Texts::kFileMissing, {PathText(path)}), {}, path);
  }
  if (ec) return Failure(FileFailure::OpenFailed, kTextOpenFailed, Utf8Error(ec).message(), path);
  // The whole area is read before anything is stored, so a short or unreadable file changes nothing.
  std::vector<std::uint8_t> bytes;
  std::error_code reason;
  switch (ReadFilePrefix(path, DataFileSize(area), bytes, &reason)) {
    case ReadOutcome::OpenFailed:
      return Failure(FileFailure::OpenFailed, kTextOpenFailed, reason.message(), path);
    case ReadOutcome::ReadFailed:
      return Failure(FileFailure::ReadFailed, Format(Texts::kReadFailed, {PathText(path)}), reason.message(),
                     path);
    case ReadOutcome::Ok:
      break;
  }
  if (!DecodeDataFile(area, bytes, image)) {
    return Failure(FileFailure::ReadFailed, Format(Texts::kReadFailed, {PathText(path)}),
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
    return Failure(FileFailure::NotWritable, Format(Texts::kNotWritable, {PathText(path)}), problem->text,
                   path);
  }
  return Failure(FileFailure::OpenFailed, kTextOpenFailed, problem->text, path);
}

FileFailure SaveFailure(ReplaceResult r) {
  FileFailure failure =
      Failure(FileFailure::WriteFailed, Format(Texts::kWriteFailed, {PathText(r.failedPath)}),
              std::move(r.reason), r.failedPath);
  switch (r.failure) {
    case ReplaceResult::Failure::NotWritable:
      failure.kind = FileFailure::NotWritable;
      failure.text = Format(Texts::kNotWritable, {PathText(r.failedPath)});
      break;
    case ReplaceResult::Failure::Refused:
    case ReplaceResult::Failure::CreateFailed:
      failure.kind = FileFailure::OpenFailed;
      failure.text = kTextOpenFailed;
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
