#include "files/file_step.h"

#include <string>

#include "files/path_text.h"

namespace kavira {
namespace {

// A save: a single file at once; during "&Wszystko" the scenes and settings files are checked and
// kept, and the MIDI file's step saves all three.
std::optional<FileFailure> Save(DataArea area, const LinkState& link, const ControllerImage& image,
                                FileDialogState& dialog) {
  const bool inSet = link.wszystko != 0;
  if (!inSet || area == DataArea::Scenes) dialog.pendingSaves.clear();
  const std::filesystem::path path = PathFromUtf8(dialog.NazwaPliku);
  dialog.pendingSaves.push_back({path, EncodeDataFile(area, image)});
  if (inSet && area != DataArea::Midi) return CheckSaveFile(path);
  std::vector<FileWrite> files;
  files.swap(dialog.pendingSaves);
  return SaveFileSet(files);
}

}  // namespace

std::optional<DataArea> DataAreaOf(_obszar obszar) {
  switch (obszar) {
    case _dane_:
      return DataArea::Scenes;
    case _sync_:
      return DataArea::Settings;
    case _midi_:
      return DataArea::Midi;
    default:
      return std::nullopt;
  }
}

std::string ReplaceExtension(std::string_view name, std::string_view ext) {
  // Windows takes either slash between folders; elsewhere a backslash is part of a name.
  const std::string_view separators = std::filesystem::path::preferred_separator == '/' ? "/" : "/\\";
  const std::size_t slash = name.find_last_of(separators);
  const std::size_t dot = name.rfind('.');
  std::string result(name);
  if (dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash)) {
    result.resize(dot + 1);
  } else {
    result += '.';
  }
  result += ext;
  return result;
}

FileStepEnd RunFileStep(const LinkState& link, ControllerImage& image, Host& host, FileDialogState& dialog) {
  host.setStatusText(kPartArea, Texts::kFile);
  host.enableMenuEntry(kEntryRepeat, false);

  const std::optional<DataArea> area = DataAreaOf(link.obszar);
  if (!area) {
    host.messageBox(Message(Texts::kBadArea, {std::to_string(static_cast<int>(link.obszar))}),
                    Texts::kCaptionProblem, Buttons::Ok, Icon::Exclamation, MessageKind::Warning);
    dialog.pendingSaves.clear();
    host.repaint();
    return FileStepEnd::Cancelled;
  }
  dialog.filterIndex = static_cast<int>(*area) + 1;
  dialog.defaultExt = exts[static_cast<std::size_t>(link.obszar)];

  if (link.akcja != _fread_ && link.akcja != _fsave_) {
    host.messageBox(Message(Texts::kBadAction, {std::to_string(static_cast<int>(link.akcja))}),
                    Texts::kCaptionProblem, Buttons::Ok, Icon::Exclamation, MessageKind::Warning);
    dialog.pendingSaves.clear();
    host.repaint();
    return FileStepEnd::Cancelled;
  }
  const bool save = link.akcja == _fsave_;
  dialog.Tytul = save ? Texts::kChooseSaveFile : Texts::kChooseDataFile;
  dialog.flags = save ? kSaveFlags : kOpenFlags;

  const std::optional<std::string> chosen = host.chooseFile(dialog.Request(save));
  if (!chosen) {
    dialog.pendingSaves.clear();
    host.repaint();
    return FileStepEnd::Cancelled;
  }
  dialog.NazwaPliku = *chosen;

  const std::optional<FileFailure> failure =
      save ? Save(*area, link, image, dialog) : LoadDataFile(PathFromUtf8(dialog.NazwaPliku), *area, image);
  if (failure) {
    host.messageBox(failure->BoxText(), failure->Caption(), Buttons::Ok, Icon::Stop,
                    MessageKind::FileFailure);
    dialog.pendingSaves.clear();
    host.repaint();
    return FileStepEnd::Failed;
  }
  host.repaint();
  if (link.wszystko == 0 || *area == DataArea::Midi) return FileStepEnd::Done;
  // "&Wszystko" goes on with the next area's file, under the same name with that area's extension.
  const DataArea next = *area == DataArea::Scenes ? DataArea::Settings : DataArea::Midi;
  dialog.NazwaPliku = ReplaceExtension(dialog.NazwaPliku, DataFileExtension(next));
  return FileStepEnd::NextArea;
}

}  // namespace kavira
