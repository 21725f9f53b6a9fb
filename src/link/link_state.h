// The link's state machine values and their status-bar texts.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "model/firmware_line.h"

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
inline constexpr std::array<const char*, 6> Obszary{"\tSceny",  "\tUstaw.",   "\tMIDI",
                                                    "\tWersja", "\tFirmWare", "\tN/A"};
// Status bar part 2, by action, while the link is busy.
inline constexpr std::array<const char*, 6> Akcje{"\tZapis do Qz418", "\tOdczyt z Qz418", "\tWeryfikacja",
                                                  "\tOdczyt z pliku", "\tZapis do pliku", "\tN/A"};
inline constexpr const char* kTextReady = "\tGotowe";
inline constexpr const char* kNoVersion = "\tFW : N/A";

constexpr const char* AreaText(_obszar o) {
  return o >= _dane_ && o <= _reset_ ? Obszary[static_cast<unsigned>(o)] : "";
}
constexpr const char* ActionText(_akcja a) {
  return a >= _write_ && a <= _NA_ ? Akcje[static_cast<unsigned>(a)] : "";
}

// The link's variables, shared by the engine, the commands and the file step.
struct LinkState {
  _status status = _init_;  // start-up reads the firmware version first
  _akcja akcja = _NA_;
  _obszar obszar = _version_;
  _akcja exakcja = _NA_;  // action and area of the last area command, for "&Powtórz"
  _obszar exobszar = _NN_;
  std::uint32_t AdresOd = 0;     // first and last unit: scene 0-1021, 1022 settings, 1023 MIDI;
  std::uint32_t AdresDo = 1021;  // for the firmware walk AdresDo is the number of lines
  std::uint32_t Adres = 0;       // block of the current frame, or address of the current firmware line
  std::uint32_t upgline = 0;
  std::optional<FirmwareImage> pgmlines;
  int wszystko = 0;  // 1 during an "&Wszystko" run
  int VerifyOK = 1;  // 1 while a verify run has found no difference
  int PBpos = 0;     // progress, 0-100
  std::string HFirmWareVer = kNoVersion;
};

}  // namespace kavira
