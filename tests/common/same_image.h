// Comparing two images in a test: a failure names the first field that differs in the controller's
// terms (program and scene, channel, the two values) instead of only saying that the images differ.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <sstream>
#include <string>
#include <utility>

#include "model/controller_image.h"
#include "model/numbering.h"

namespace kavira::test {

namespace detail {

template <class Array>
bool FirstDifference(const Array& a, const Array& b, std::size_t& at) {
  for (at = 0; at < a.size(); ++at)
    if (!(a[at] == b[at])) return true;
  return false;
}

inline std::string Value(std::uint8_t v) {
  return std::to_string(v);
}
inline std::string Value(std::uint16_t v) {
  return std::to_string(v);
}
inline std::string Value(MidiStat v) {
  return std::to_string(v.word);
}

}  // namespace detail

// Use as EXPECT_TRUE(SameImage(actual, expected)).
inline ::testing::AssertionResult SameImage(const ControllerImage& actual, const ControllerImage& expected) {
  std::ostringstream why;
  std::size_t at = 0;
  for (std::size_t s = 0; s < kSceneCount; ++s) {
    if (detail::FirstDifference(actual.Sceny[s], expected.Sceny[s], at)) {
      const unsigned rel = Abs2Rel(static_cast<unsigned>(s));
      why << "Sceny: program " << ProgramOf(rel) + 1 << ", scene " << SceneOf(rel) + 1 << " (absolute " << s
          << "), device " << at / 16 + 1 << ", channel " << at % 16 + 1 << ": " << int{actual.Sceny[s][at]}
          << " instead of " << int{expected.Sceny[s][at]};
      return ::testing::AssertionFailure() << why.str();
    }
  }
  auto perProgram = [&](const char* name, const auto& a, const auto& b) {
    if (!detail::FirstDifference(a, b, at)) return false;
    why << name << ": program " << at + 1 << ": " << detail::Value(a[at]) << " instead of "
        << detail::Value(b[at]);
    return true;
  };
  if (perProgram("PgmEnds", actual.PgmEnds, expected.PgmEnds) ||
      perProgram("PgmSpeed", actual.PgmSpeed, expected.PgmSpeed) ||
      perProgram("PgmFade", actual.PgmFade, expected.PgmFade)) {
    return ::testing::AssertionFailure() << why.str();
  }
  for (std::size_t area = 0; area < kAreaCount; ++area) {
    if (detail::FirstDifference(actual.Shows[area], expected.Shows[area], at)) {
      return ::testing::AssertionFailure()
             << "Shows: area " << area + 1 << ", collection " << at + 1 << ": " << int{actual.Shows[area][at]}
             << " instead of " << int{expected.Shows[area][at]};
    }
  }
  if (detail::FirstDifference(actual.Midi, expected.Midi, at)) {
    return ::testing::AssertionFailure() << "Midi: key " << at << ": word " << actual.Midi[at].word
                                         << " instead of " << expected.Midi[at].word;
  }
  const std::pair<const char*, std::uint16_t ControllerImage::*> words[] = {
      {"ExtraMode", &ControllerImage::ExtraMode},   {"SlowMode", &ControllerImage::SlowMode},
      {"StrobScene", &ControllerImage::StrobScene}, {"FogScene", &ControllerImage::FogScene},
      {"ExtraScene", &ControllerImage::ExtraScene},
  };
  for (const auto& [name, field] : words) {
    if (actual.*field != expected.*field) {
      return ::testing::AssertionFailure()
             << name << ": " << actual.*field << " instead of " << expected.*field;
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace kavira::test
