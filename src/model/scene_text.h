// Scenes as text on the clipboard: one scene a line, its 256 levels (device 1 channel 1 first, as the
// scene's bytes lie) as decimal numbers separated by tabs, each line ending in "\n". Spreadsheets paste
// such a line as 256 columns and copy their cells back in the same form.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/controller_image.h"
#include "model/message.h"

namespace kavira {

// The most scenes one text may hold: the controller's whole memory.
inline constexpr std::size_t kMostTextScenes = kSceneCount;

std::string ScenesToText(std::span<const Scene> scenes);

// Why a text is no list of scenes: the 1-based line and field ("column") where reading stopped, and
// the reason. A text with no scenes at all has line and column 0: there is no place to name.
struct SceneTextError {
  std::size_t line = 0;
  std::size_t column = 0;
  Message what;

  // The reason with its place ("Wiersz 3, kolumna 17 : ..."), ready for a message box.
  Message text() const;
};

// Reads the text that ScenesToText writes. Lines may end in "\r\n", blank lines at the end are
// ignored, and a field may have spaces around its number. Refused: a field that is not a decimal
// number (an empty one, a sign, a fraction), a level above 255, a line with other than 256 fields (a
// short line is refused rather than padded with zeros: a row cut short in a spreadsheet would else
// come in as dark channels unnoticed), a blank line between scenes, more than kMostTextScenes scenes
// and a text without scenes.
std::variant<std::vector<Scene>, SceneTextError> ParseScenesText(std::string_view text);

}  // namespace kavira
