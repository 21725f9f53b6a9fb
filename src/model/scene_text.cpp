#include "model/scene_text.h"

#include <algorithm>
#include <optional>

#include "model/texts.h"

namespace kavira {
namespace {

std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && s.front() == ' ')
    s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ')
    s.remove_suffix(1);
  return s;
}

bool IsBlank(std::string_view line) {
  return std::ranges::all_of(line, [](char c) { return c == ' '; });
}

// A field as the message quotes it: at most a few characters, cut where no UTF-8 letter is split.
std::string Quoted(std::string_view field) {
  constexpr std::size_t kMost = 12;
  if (field.size() <= kMost) return std::string(field);
  std::size_t cut = kMost;
  while (cut > 0 && (static_cast<unsigned char>(field[cut]) & 0xC0U) == 0x80U)
    --cut;
  return std::string(field.substr(0, cut)) + "…";
}

// One field's level, or the reason it is none.
std::variant<std::uint8_t, Message> ReadLevel(std::string_view raw) {
  const std::string_view field = TrimSpaces(raw);
  if (field.empty()) return Message(Texts::kSceneTextEmptyField);
  unsigned value = 0;
  bool tooHigh = false;
  for (char c : field) {
    if (c < '0' || c > '9') return Message(Texts::kSceneTextNotANumber, {Quoted(field)});
    if (!tooHigh) value = value * 10 + static_cast<unsigned>(c - '0');
    tooHigh = tooHigh || value > 255;
  }
  if (tooHigh) return Message(Texts::kSceneTextTooHigh, {Quoted(field)});
  return static_cast<std::uint8_t>(value);
}

// The 256 levels of one line into `scene`, or why they are not there.
std::optional<SceneTextError> ReadLine(std::string_view line, std::size_t lineNo, Scene& scene) {
  std::size_t column = 0;
  while (true) {
    ++column;
    const std::size_t tab = line.find('\t');
    if (column > kSceneBytes) {
      const auto fields = column + static_cast<std::size_t>(std::ranges::count(line, '\t'));
      return SceneTextError{lineNo, column, Message(Texts::kSceneTextFieldCount, {std::to_string(fields)})};
    }
    auto level = ReadLevel(line.substr(0, tab));
    if (auto* why = std::get_if<Message>(&level)) return SceneTextError{lineNo, column, std::move(*why)};
    scene[column - 1] = std::get<std::uint8_t>(level);
    if (tab == std::string_view::npos) break;
    line.remove_prefix(tab + 1);
  }
  if (column < kSceneBytes) {
    return SceneTextError{lineNo, column + 1, Message(Texts::kSceneTextFieldCount, {std::to_string(column)})};
  }
  return std::nullopt;
}

}  // namespace

std::string ScenesToText(std::span<const Scene> scenes) {
  std::string text;
  text.reserve(scenes.size() * kSceneBytes * 4);
  for (const Scene& scene : scenes) {
    for (std::size_t i = 0; i < scene.size(); ++i) {
      if (i > 0) text += '\t';
      text += std::to_string(scene[i]);
    }
    text += '\n';
  }
  return text;
}

Message SceneTextError::text() const {
  if (line == 0) return what;
  return Message(Texts::kSceneTextPlace, {std::to_string(line), std::to_string(column), what});
}

std::variant<std::vector<Scene>, SceneTextError> ParseScenesText(std::string_view text) {
  std::vector<Scene> scenes;
  std::size_t lineNo = 0;
  std::size_t firstBlank = 0;  // the first of the blank lines seen since the last scene; 0 = none
  while (!text.empty()) {
    ++lineNo;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (IsBlank(line)) {
      if (firstBlank == 0) firstBlank = lineNo;
      continue;
    }
    // Blank lines are welcome only at the end, where copying from a spreadsheet leaves them.
    if (firstBlank != 0) return SceneTextError{firstBlank, 1, Texts::kSceneTextBlankLine};
    if (scenes.size() == kMostTextScenes) {
      return SceneTextError{lineNo, 1, Message(Texts::kSceneTextTooMany, {std::to_string(kMostTextScenes)})};
    }
    if (auto error = ReadLine(line, lineNo, scenes.emplace_back())) return std::move(*error);
  }
  if (scenes.empty()) return SceneTextError{0, 0, Texts::kSceneTextNoScenes};
  return scenes;
}

}  // namespace kavira
