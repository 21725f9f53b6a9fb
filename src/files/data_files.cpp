#include "files/data_files.h"

#include <unistd.h>

#include <algorithm>
#include <system_error>

#include "files/file_io.h"

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
  return path.string();
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
  return kind == Missing ? "Ostrzeżenie" : "Niepowodzenie";
}

std::optional<FileFailure> LoadDataFile(const std::filesystem::path& path, DataArea area,
                                        ControllerImage& image) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    return FileFailure{FileFailure::Missing, "Plik " + PathText(path) + " nie istnieje !"};
  }
  // The whole area is read before anything is stored, so a short or unreadable file changes nothing.
  std::vector<std::uint8_t> bytes;
  switch (ReadFilePrefix(path, DataFileSize(area), bytes)) {
    case ReadOutcome::OpenFailed:
      return FileFailure{FileFailure::OpenFailed, kTextOpenFailed};
    case ReadOutcome::ReadFailed:
      return FileFailure{FileFailure::ReadFailed, PathText(path) + " :\nBłąd odczytu !"};
    case ReadOutcome::Ok:
      break;
  }
  if (!DecodeDataFile(area, bytes, image)) {
    return FileFailure{FileFailure::ReadFailed, PathText(path) + " :\nBłąd odczytu !"};
  }
  return std::nullopt;
}

std::optional<FileFailure> SaveDataFile(const std::filesystem::path& path, DataArea area,
                                        const ControllerImage& image) {
  std::error_code ec;
  if (std::filesystem::exists(path, ec) && ::access(path.c_str(), W_OK) != 0) {
    return FileFailure{FileFailure::NotWritable, PathText(path) + " :\nBrak dostępu do zapisu !"};
  }
  switch (WriteFileAtomically(path, EncodeDataFile(area, image))) {
    case WriteOutcome::OpenFailed:
      return FileFailure{FileFailure::OpenFailed, kTextOpenFailed};
    case WriteOutcome::WriteFailed:
      return FileFailure{FileFailure::WriteFailed, PathText(path) + " :\nBłąd zapisu !"};
    case WriteOutcome::Ok:
      break;
  }
  return std::nullopt;
}

}  // namespace kavira
