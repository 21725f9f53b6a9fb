#include "link/commands.h"

namespace kavira {
namespace {

bool IsFileAction(_akcja a) {
  return a == _fread_ || a == _fsave_;
}

bool IsControllerAction(_akcja a) {
  return a == _write_ || a == _read_ || a == _verify_;
}

}  // namespace

void Commands::area(int id) {
  const LinkState& link = engine_.link();
  if (link.status != _idle_) return;
  const bool file = IsFileAction(link.akcja);
  if (!file && !IsControllerAction(link.akcja)) return;  // no action was highlighted on the way
  if (!file && !portReady()) return;
  const auto walk = chooseArea(id, link.akcja, true);
  if (!walk) return;
  if (file) {
    engine_.startFileStep(*walk);
  } else if (walk->action != _write_ || writeAllowed(*walk)) {
    engine_.startBlocks(*walk);
  }
}

void Commands::changesArea(int id, const std::function<void(const BlockWalk&)>& start) {
  if (engine_.link().status != _idle_) return;
  if (!portReady()) return;
  const auto walk = chooseArea(id, _write_, false);
  if (walk && writeAllowed(*walk)) start(*walk);
}

bool Commands::writeAllowed(const BlockWalk& walk) {
  if (engine_.filled(walk)) return true;
  return host_.messageBox(Texts::kEmptyImage, Texts::kCaptionWarning, Buttons::YesNoDefaultNo,
                          Icon::Exclamation, MessageKind::Question) == Answer::Yes;
}

std::optional<BlockWalk> Commands::chooseArea(int id, _akcja action, bool recordCancel) {
  const LinkState& link = engine_.link();
  const bool file = IsFileAction(action);
  BlockWalk walk{action, 0, 0, id == kIdEverything};
  switch (id) {
    case kIdSettings:
      walk.from = walk.to = kSettingsUnit;
      break;
    case kIdMidi:
      walk.from = walk.to = kMidiUnit;
      break;
    default:
      if (walk.all) {
        // Every scene, then the settings and the MIDI assignments, without a dialog.
        walk.from = 0;
        walk.to = kMidiUnit;
        break;
      }
      // Bring the last range back into the scenes (after a settings or MIDI run it names those).
      walk.from = link.AdresOd > kLastScene ? 0 : link.AdresOd;
      walk.to = link.AdresDo < walk.from || link.AdresDo > kLastScene ? kLastScene : link.AdresDo;
      if (!file && !chooseRange(walk.from, walk.to)) {
        // Nothing starts, but "&Powtórz" would repeat this command over the range the dialog opened on.
        if (recordCancel) engine_.recordAreaCommand(walk);
        return std::nullopt;
      }
  }
  return walk;
}

void Commands::repeat() {
  const LinkState& link = engine_.link();
  if (link.status != _idle_ || !IsControllerAction(link.exakcja) || link.exobszar == _NN_) return;
  const BlockWalk walk{link.exakcja, link.AdresOd, link.AdresDo, false};
  if (walk.action != _write_ || writeAllowed(walk)) engine_.startBlocks(walk);
}

bool Commands::portReady() {
  if (portOpen()) return true;
  host_.messageBox(Texts::kNoPort, Texts::kCaptionWarning, Buttons::Ok, Icon::Exclamation,
                   MessageKind::NoPort);
  return false;
}

bool Commands::firmwareAllowed() {
  if (engine_.link().status != _idle_) return false;
  return portReady();
}

}  // namespace kavira
