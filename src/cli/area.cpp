#include "cli/area.h"

#include <charconv>

#include "link/frames.h"
#include "model/numbering.h"

namespace kavira::cli {
namespace {

std::optional<unsigned> Number(std::string_view text) {
  unsigned v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return v;
}

// One end of a range: "P:S", or "P" for the program's first (`first`) or last scene.
std::optional<unsigned> SceneItem(std::string_view text, bool first, std::string* error) {
  const auto colon = text.find(':');
  const std::string_view programText = text.substr(0, colon);
  if (programText.empty() && colon != std::string_view::npos) {
    *error = "'" + std::string(text) + "' has no program before its ':': programs are 1-48";
    return std::nullopt;
  }
  const auto program = Number(programText);
  if (!program || *program < 1 || *program > kProgramCount) {
    *error = "'" + std::string(programText) + "' is no program: programs are 1-48";
    return std::nullopt;
  }
  const unsigned count = SceneCountOfProgram(*program);
  unsigned scene = first ? 1 : count;
  if (colon != std::string_view::npos) {
    const std::string_view sceneText = text.substr(colon + 1);
    const auto s = Number(sceneText);
    if (!s || *s < 1 || *s > count) {
      *error = "'" + std::string(sceneText) + "' is no scene of program " + std::to_string(*program) +
               ": it has scenes 1-" + std::to_string(count);
      return std::nullopt;
    }
    scene = *s;
  }
  return Rel2Abs(*program - 1, scene - 1);
}

}  // namespace

std::vector<DataArea> AreaSpec::dataAreas() const {
  std::vector<DataArea> areas;
  if (from <= kLastScene) areas.push_back(DataArea::Scenes);
  if (from <= kSettingsUnit && to >= kSettingsUnit) areas.push_back(DataArea::Settings);
  if (to >= kMidiUnit) areas.push_back(DataArea::Midi);
  return areas;
}

std::string SceneName(unsigned absoluteScene) {
  const unsigned rel = Abs2Rel(absoluteScene);
  if (rel == kInvalid) return "?";
  return std::to_string(ProgramOf(rel) + 1) + ":" + std::to_string(SceneOf(rel) + 1);
}

std::optional<AreaSpec> ParseArea(std::string_view text, std::string* error) {
  AreaSpec spec;
  if (text == "scenes") {
    spec = {0, kLastScene, false, "scenes"};
    return spec;
  }
  if (text == "settings") {
    spec = {kSettingsUnit, kSettingsUnit, false, "settings"};
    return spec;
  }
  if (text == "midi") {
    spec = {kMidiUnit, kMidiUnit, false, "midi"};
    return spec;
  }
  if (text == "all") {
    spec = {0, kMidiUnit, true, "all"};
    return spec;
  }
  constexpr std::string_view kScenesPrefix = "scenes=";
  if (text.substr(0, kScenesPrefix.size()) != kScenesPrefix) {
    *error = "unknown area '" + std::string(text) + "': scenes, scenes=P:S-P:S, settings, midi or all";
    return std::nullopt;
  }
  const std::string_view range = text.substr(kScenesPrefix.size());
  if (range.empty()) {
    *error = "scenes= needs a range, e.g. scenes=1:1-2:32";
    return std::nullopt;
  }
  const auto dash = range.find('-');
  const std::string_view startText = range.substr(0, dash);
  const std::string_view endText = dash == std::string_view::npos ? startText : range.substr(dash + 1);
  // Numbers are never negative: a '-' with nothing before or after it is a range cut short.
  if (startText.empty() || endText.empty()) {
    *error = "the range '" + std::string(range) + "' has no " +
             (startText.empty() ? "start before" : "end after") +
             " its '-': scenes=P:S-P:S, programs are 1-48";
    return std::nullopt;
  }
  const auto start = SceneItem(startText, true, error);
  if (!start) return std::nullopt;
  const auto end = SceneItem(endText, false, error);
  if (!end) return std::nullopt;
  if (*end < *start) {
    *error = "the range " + std::string(range) + " ends (" + SceneName(*end) + ") before it starts (" +
             SceneName(*start) + ")";
    return std::nullopt;
  }
  spec.from = *start;
  spec.to = *end;
  spec.description = "scenes " + SceneName(*start) + (*start == *end ? "" : "-" + SceneName(*end));
  return spec;
}

}  // namespace kavira::cli
