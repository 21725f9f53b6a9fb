#include "ui/field_numbers.h"

#include <gtest/gtest.h>

namespace kavira {
namespace {

TEST(ReadUnsigned, TakesDigitsWithBlanksAroundAndNothingElse) {
  const struct {
    const char* text;
    std::optional<unsigned> value;
  } cases[] = {
      {"0", 0U},
      {"48", 48U},
      {"  7 ", 7U},
      {"007", 7U},
      {"4294967295", 4294967295U},
      {"4294967296", std::nullopt},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"-1", std::nullopt},
      {"+1", std::nullopt},
      {"12a", std::nullopt},
      {"1 2", std::nullopt},
      {"???", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReadUnsigned(QString::fromUtf8(c.text)), c.value) << '"' << c.text << '"';
}

TEST(ReadLeadingInt, ReadsUpToTheFirstCharacterThatIsNotPartOfTheNumber) {
  const struct {
    const char* text;
    std::optional<int> value;
  } cases[] = {
      {"200", 200},
      {"  12", 12},
      {"12ab", 12},
      {"-5", -5},
      {"+31", 31},
      {"0", 0},
      {"300", 300},
      {"99999999999999", 999999999},
      {"-99999999999999", -999999999},
      {"", std::nullopt},
      {"abc", std::nullopt},
      {"-", std::nullopt},
      {"???", std::nullopt},
      {" - 5", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadLeadingInt(QString::fromUtf8(c.text)), c.value) << '"' << c.text << '"';
  }
}

}  // namespace
}  // namespace kavira
