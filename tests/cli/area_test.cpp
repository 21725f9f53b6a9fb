// The AREA argument: the user's program:scene numbers to the controller's units.
#include <gtest/gtest.h>

#include "cli/area.h"

namespace kavira::cli {
namespace {

TEST(ParseArea, NamesAndRangesBecomeUnits) {
  struct Case {
    const char* text;
    std::uint32_t from, to;
    bool all;
    const char* description;
  };
  const Case cases[] = {
      {"scenes", 0, 1021, false, "scenes"},
      {"settings", 1022, 1022, false, "settings"},
      {"midi", 1023, 1023, false, "midi"},
      {"all", 0, 1023, true, "all"},
      {"scenes=1:1-1:32", 0, 31, false, "scenes 1:1-1:32"},
      {"scenes=2:1-2:2", 32, 33, false, "scenes 2:1-2:2"},
      {"scenes=16:32-17:1", 511, 512, false, "scenes 16:32-17:1"},  // 32 scenes a program, then 16
      {"scenes=48:14", 1021, 1021, false, "scenes 48:14"},          // the last scene of all
      {"scenes=3", 64, 95, false, "scenes 3:1-3:32"},               // a whole program
      {"scenes=47-48", 992, 1021, false, "scenes 47:1-48:14"},
      {"scenes=1-2:16", 0, 47, false, "scenes 1:1-2:16"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string error;
    const auto area = ParseArea(c.text, &error);
    EXPECT_TRUE(area.has_value()) << error;
    if (!area) continue;
    EXPECT_EQ(area->from, c.from);
    EXPECT_EQ(area->to, c.to);
    EXPECT_EQ(area->all, c.all);
    EXPECT_EQ(area->description, c.description);
  }
}

TEST(ParseArea, RefusesWithTheReason) {
  struct Case {
    const char* text;
    const char* says;
  };
  const Case cases[] = {
      {"scene", "unknown area"},
      {"Scenes", "unknown area"},
      {"scenes=", "needs a range"},
      {"scenes=0:1", "programs are 1-48"},
      {"scenes=49:1", "programs are 1-48"},
      {"scenes=48:15", "scenes 1-14"},
      {"scenes=17:17", "scenes 1-16"},
      {"scenes=1:0", "scenes 1-32"},
      {"scenes=1:x", "'x' is no scene"},
      {"scenes=1:1-", "the range '1:1-' has no end after its '-'"},
      {"scenes=-1:1", "the range '-1:1' has no start before its '-'"},
      {"scenes=-1", "the range '-1' has no start before its '-': scenes=P:S-P:S, programs are 1-48"},
      {"scenes=:5", "':5' has no program before its ':'"},
      {"scenes=2:1-1:32", "ends (1:32) before it starts (2:1)"},
      {"scenes=1:5-1:4", "ends (1:4) before it starts (1:5)"},
      {"scenes=1:1-2:1-3:1", "is no scene of program 2"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseArea(c.text, &error).has_value()) << c.text;
    EXPECT_NE(error.find(c.says), std::string::npos) << c.text << ": " << error;
  }
}

TEST(ParseArea, NamesTheDataFilesARunTouches) {
  std::string error;
  const auto files = [&](const char* text) { return ParseArea(text, &error)->dataAreas(); };
  EXPECT_EQ(files("scenes=5:1-5:2"), (std::vector<DataArea>{DataArea::Scenes}));
  EXPECT_EQ(files("settings"), (std::vector<DataArea>{DataArea::Settings}));
  EXPECT_EQ(files("midi"), (std::vector<DataArea>{DataArea::Midi}));
  EXPECT_EQ(files("all"), (std::vector<DataArea>{DataArea::Scenes, DataArea::Settings, DataArea::Midi}));
  EXPECT_EQ(ParseArea("scenes=2", &error)->blocks(), 64U);
}

TEST(SceneName, ShowsProgramAndSceneFromOne) {
  EXPECT_EQ(SceneName(0), "1:1");
  EXPECT_EQ(SceneName(511), "16:32");
  EXPECT_EQ(SceneName(512), "17:1");
  EXPECT_EQ(SceneName(1021), "48:14");
  EXPECT_EQ(SceneName(1022), "?");
}

}  // namespace
}  // namespace kavira::cli
