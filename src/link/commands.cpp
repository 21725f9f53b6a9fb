#include "link/commands.h"

namespace kavira {

void Commands::area(int id) {
  TransferEngine& e = engine_;
  if (e.status != _idle_) return;
  e.status = e.akcja == _fread_ || e.akcja == _fsave_ ? _file_ : _init_;
  if (e.status != _file_ && !portOpen()) {
    host_.messageBox(kTextNoPort, kCaptionWarning, Buttons::Ok, Icon::Exclamation);
    e.status = _idle_;
    return;
  }
  if (id == kIdWszystko) e.wszystko = 1;
  e.VerifyOK = 1;
  e.obszar = id == kIdUstawienia ? _sync_ : id == kIdMidi ? _midi_ : _dane_;
  e.exobszar = e.obszar;
  e.exakcja = e.akcja;
  switch (id) {
    case kIdUstawienia:
      e.AdresOd = e.AdresDo = kSettingsUnit;
      break;
    case kIdMidi:
      e.AdresOd = e.AdresDo = kMidiUnit;
      break;
    default:
      // Bring the last range back into the scenes (after a settings or MIDI run it names those).
      if (e.AdresOd > kLastSceneUnit) e.AdresOd = 0;
      if (e.AdresDo < e.AdresOd || e.AdresDo > kLastSceneUnit) e.AdresDo = kLastSceneUnit;
      if (e.wszystko == 0 && e.status == _init_ && !chooseRange()) {
        e.status = _idle_;
        return;
      }
      if (e.wszystko == 1) {
        e.AdresOd = 0;
        e.AdresDo = kMidiUnit;
      }
  }
  e.Adres = 2 * e.AdresOd;
}

void Commands::repeat() {
  TransferEngine& e = engine_;
  if (e.status != _idle_ || e.exakcja == _NA_ || e.exobszar == _NN_) return;
  e.VerifyOK = 1;
  e.akcja = e.exakcja;
  e.obszar = e.exobszar;
  e.status = _init_;
  e.Adres = 2 * e.AdresOd;
}

bool Commands::firmwareAllowed() {
  if (engine_.status != _idle_) return false;
  if (!portOpen()) {
    host_.messageBox(kTextNoPort, kCaptionWarning, Buttons::Ok, Icon::Exclamation);
    return false;
  }
  engine_.VerifyOK = 1;
  return true;
}

}  // namespace kavira
