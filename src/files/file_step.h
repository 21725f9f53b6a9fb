// The file step: what the transfer engine runs when the link state is `_file_`. One run handles one
// area: it shows the Open or Save dialog through the Host, then loads the area from the chosen file
// into the image or saves it. It only reads the link; how it ended tells the engine what follows.
// During an "&Wszystko" run a successful step goes on to the next area with the same name and that
// area's extension; an "&Wszystko" save checks each file at its dialog and saves the three as one set
// after the last one (a cancel or a failure on the way saves none).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/data_files.h"
#include "link/host.h"
#include "link/link_state.h"
#include "model/controller_image.h"

namespace kavira {

// Default extensions by area (`obszar`); the file step uses the first three.
inline constexpr std::array<const char*, 5> exts{"K3s", "K3p", "K3m", "upg", ""};

// Dialog flags, as the Open and Save dialogs take them: the Open dialogs want an existing path and
// file, the Save dialog asks before overwriting and before creating a file.
inline constexpr unsigned kOfnOverwritePrompt = 0x0002;
inline constexpr unsigned kOfnHideReadOnly = 0x0004;
inline constexpr unsigned kOfnPathMustExist = 0x0800;
inline constexpr unsigned kOfnFileMustExist = 0x1000;
inline constexpr unsigned kOfnCreatePrompt = 0x2000;
inline constexpr unsigned kOfnNoReadOnlyReturn = 0x8000;
inline constexpr unsigned kOpenFlags = kOfnPathMustExist | kOfnFileMustExist;  // 0x1800
inline constexpr unsigned kSaveFlags =
    kOfnOverwritePrompt | kOfnHideReadOnly | kOfnCreatePrompt | kOfnNoReadOnlyReturn;  // 0xA006

// The state of the program's one file dialog, shared by the file step and the update loader. The
// last chosen name stays, so each dialog opens with it filled in.
struct FileDialogState {
  std::string NazwaPliku;
  Message Tytul;
  int filterIndex = 1;  // into szFilter, 1-5
  std::string defaultExt;
  unsigned flags = 0;
  // An "&Wszystko" save: the files chosen so far, with the bytes to go into them. The three files are
  // replaced together after the last dialog, so that they never end up from two different saves.
  std::vector<FileWrite> pendingSaves;

  FileRequest Request(bool save) const { return {save, Tytul, filterIndex, defaultExt, NazwaPliku}; }
};

// The data area of `obszar`, for scenes, settings and MIDI.
std::optional<DataArea> DataAreaOf(_obszar obszar);

// `name` with the extension of its last path component replaced by `ext` (everything after the last
// point), or with "." and `ext` appended when it has none.
std::string ReplaceExtension(std::string_view name, std::string_view ext);

// One run of the file step for `akcja` (`_fread_` or `_fsave_`) and `obszar` of `link`.
FileStepEnd RunFileStep(const LinkState& link, ControllerImage& image, Host& host, FileDialogState& dialog);

}  // namespace kavira
