#include "model/scene_text.h"

#include <gtest/gtest.h>

namespace kavira {
namespace {

// A line of 256 fields: `fill` everywhere, `at` (0-based) replaced by `field`.
std::string Line(const std::string& fill = "0", std::size_t at = 999, const std::string& field = "") {
  std::string line;
  for (std::size_t i = 0; i < 256; ++i) {
    if (i > 0) line += '\t';
    line += i == at ? field : fill;
  }
  return line;
}

// A line of n fields of "1".
std::string Fields(std::size_t n) {
  std::string line = "1";
  for (std::size_t i = 1; i < n; ++i)
    line += "\t1";
  return line;
}

TEST(ScenesToText, OneLineOfTabSeparatedLevelsPerScene) {
  Scene a{};
  for (std::size_t i = 0; i < a.size(); ++i)
    a[i] = static_cast<std::uint8_t>(i);
  const Scene b{};
  const std::vector<Scene> scenes{a, b};
  const std::string text = ScenesToText(scenes);
  EXPECT_EQ(text.substr(0, 12), "0\t1\t2\t3\t4\t5\t");
  EXPECT_EQ(text.substr(text.find('\n') - 7, 8), "254\t255\n");
  EXPECT_EQ(text.substr(text.find('\n') + 1), Line() + "\n");
  EXPECT_EQ(ScenesToText({}), "");

  const auto back = ParseScenesText(text);
  ASSERT_TRUE(std::holds_alternative<std::vector<Scene>>(back));
  EXPECT_EQ(std::get<std::vector<Scene>>(back), scenes);
}

TEST(ParseScenesText, AcceptsWhatSpreadsheetsAndEditorsMakeOfIt) {
  const struct {
    const char* what;
    std::string text;
    std::size_t scenes;
    std::uint8_t level0;  // of the first scene's first channel
  } cases[] = {
      {"no final line end", Line("7"), 1, 7},
      {"CR LF", Line("7") + "\r\n" + Line() + "\r\n", 2, 7},
      {"blank lines at the end", Line() + "\n\n  \r\n\n", 1, 0},
      {"spaces around fields", Line("0", 0, "  12 ") + "\n", 1, 12},
      {"leading zeros", Line("0", 0, "0255"), 1, 255},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto result = ParseScenesText(c.text);
    ASSERT_TRUE(std::holds_alternative<std::vector<Scene>>(result))
        << std::get<SceneTextError>(result).text().Polish();
    const auto& scenes = std::get<std::vector<Scene>>(result);
    EXPECT_EQ(scenes.size(), c.scenes);
    EXPECT_EQ(scenes[0][0], c.level0);
  }
}

TEST(ParseScenesText, RefusesWithLineColumnAndReason) {
  const std::string good = Line() + "\n";
  const struct {
    const char* what;
    std::string text;
    std::size_t line, column;
    const char* message;
  } cases[] = {
      {"empty text", "", 0, 0, "Tekst nie zawiera żadnej sceny !"},
      {"blank lines only", "\n \r\n", 0, 0, "Tekst nie zawiera żadnej sceny !"},
      {"letter", good + Line("0", 16, "1a"), 2, 17,
       "Wiersz 2, kolumna 17 : „1a” nie jest liczbą od 0 do 255"},
      {"sign", Line("0", 0, "-1"), 1, 1, "Wiersz 1, kolumna 1 : „-1” nie jest liczbą od 0 do 255"},
      {"fraction", Line("0", 255, "2.5"), 1, 256,
       "Wiersz 1, kolumna 256 : „2.5” nie jest liczbą od 0 do 255"},
      {"long text cut for the message", Line("0", 3, "żółćżółćżółć"), 1, 4,
       "Wiersz 1, kolumna 4 : „żółćżó…” nie jest liczbą od 0 do 255"},
      {"above 255", Line("0", 9, "256"), 1, 10, "Wiersz 1, kolumna 10 : 256 to więcej niż 255"},
      {"far above 255", Line("0", 9, "99999999999999999999"), 1, 10,
       "Wiersz 1, kolumna 10 : 999999999999… to więcej niż 255"},
      {"empty field", Line("0", 5, " "), 1, 6, "Wiersz 1, kolumna 6 : brak liczby"},
      {"short line", good + good + Fields(200), 3, 201,
       "Wiersz 3, kolumna 201 : liczba pól w wierszu : 200 zamiast 256"},
      {"long line", Fields(258), 1, 257, "Wiersz 1, kolumna 257 : liczba pól w wierszu : 258 zamiast 256"},
      {"trailing tab", Fields(256) + "\t", 1, 257,
       "Wiersz 1, kolumna 257 : liczba pól w wierszu : 257 zamiast 256"},
      {"blank line between scenes", good + "\r\n" + good, 2, 1, "Wiersz 2, kolumna 1 : pusty wiersz"},
      {"blank line before them", "\n" + good, 1, 1, "Wiersz 1, kolumna 1 : pusty wiersz"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto result = ParseScenesText(c.text);
    ASSERT_TRUE(std::holds_alternative<SceneTextError>(result));
    const auto& error = std::get<SceneTextError>(result);
    EXPECT_EQ(error.line, c.line);
    EXPECT_EQ(error.column, c.column);
    EXPECT_EQ(error.text().Polish(), c.message);
  }
}

TEST(ParseScenesText, TakesAtMostTheWholeMemory) {
  std::string text;
  for (std::size_t i = 0; i < kSceneCount; ++i)
    text += Line() + "\n";
  EXPECT_TRUE(std::holds_alternative<std::vector<Scene>>(ParseScenesText(text)));
  text += Line();
  const auto result = ParseScenesText(text);
  ASSERT_TRUE(std::holds_alternative<SceneTextError>(result));
  EXPECT_EQ(std::get<SceneTextError>(result).line, kSceneCount + 1);
  EXPECT_EQ(std::get<SceneTextError>(result).text().Polish(),
            "Wiersz 1023, kolumna 1 : za dużo scen (najwyżej 1022)");
}

}  // namespace
}  // namespace kavira
