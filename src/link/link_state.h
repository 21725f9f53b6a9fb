// The link's state machine values and their status-bar texts.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "link/frames.h"
#include "model/firmware_line.h"
#include "model/texts.h"

namespace kavira {

// Link state, action and area; the values are fixed.
enum _status : int { _idle_ = 0, _init_ = 1, _sending_ = 2, _rcving_ = 3, _loop_ = 4, _file_ = 5 };
enum _akcja : int { _write_ = 0, _read_ = 1, _verify_ = 2, _fread_ = 3, _fsave_ = 4, _NA_ = 5 };
enum _obszar : int {
  _dane_ = 0,
  _sync_ = 1,
  _midi_ = 2,
  _version_ = 3,
  _upg_ = 4,
  _reset_ = 5,
  _NN_ = 6,
};

// Status bar part 1, by area.
inline constexpr std::array<const char*, 6> Obszary{Texts::kAreaScenes,   Texts::kAreaSettings,
                                                    Texts::kAreaMidi,     Texts::kAreaVersion,
                                                    Texts::kAreaFirmware, Texts::kNotApplicable};
// Status bar part 2, by action, while the link is busy.
inline constexpr std::array<const char*, 6> Akcje{Texts::kActionWrite,    Texts::kActionRead,
                                                  Texts::kActionVerify,   Texts::kActionFileRead,
                                                  Texts::kActionFileSave, Texts::kNotApplicable};
inline constexpr const char* kNoVersion = "\tFW : N/A";

constexpr const char* AreaText(_obszar o) {
  return o >= _dane_ && o <= _reset_ ? Obszary[static_cast<unsigned>(o)] : "";
}
// The area a block belongs to: the scenes (blocks 0-2043), the settings (2044, 2045) or the MIDI
// assignments (2046, 2047).
constexpr _obszar AreaOfBlock(std::uint32_t block) {
  return block >= kFirstMidiBlock ? _midi_ : block >= kFirstSettingsBlock ? _sync_ : _dane_;
}
constexpr const char* ActionText(_akcja a) {
  return a >= _write_ && a <= _NA_ ? Akcje[static_cast<unsigned>(a)] : "";
}

// How a run of the file step ended; the engine moves the link on from it.
enum class FileStepEnd {
  NextArea,   // an "&Wszystko" run goes on with the next area's file
  Done,       // the file was loaded or saved
  Cancelled,  // no file was chosen, or the step cannot handle the area or action: no action is left
  Failed,     // the file could not be loaded or saved (its box was shown)
};

// The link's variables. The transfer engine owns them: everybody else reads them and changes them
// through the engine's starters and commands.
struct LinkState {
  _status status = _idle_;  // nothing is sent before a port has answered: start-up then reads
  _akcja akcja = _NA_;      // the firmware version
  _obszar obszar = _version_;
  _akcja exakcja = _NA_;  // action and area of the last area command, for "&Powtórz"
  _obszar exobszar = _NN_;
  std::uint32_t AdresOd = 0;     // first and last unit of the last area command: scene 0-1021,
  std::uint32_t AdresDo = 1021;  // 1022 settings, 1023 MIDI ("&Powtórz" walks them again)
  std::uint32_t Adres = 0;       // block of the current frame, or address of the current firmware line
  std::uint32_t upgline = 0;
  std::uint32_t lncnt = 0;  // lines of the firmware walk (kept apart from the area range above)
  std::optional<FirmwareImage> pgmlines;
  int wszystko = 0;  // 1 during an "&Wszystko" run
  int VerifyOK = 1;  // 1 while a verify run has found no difference
  int PBpos = 0;     // progress, 0-100
  std::string HFirmWareVer = kNoVersion;
};

}  // namespace kavira
