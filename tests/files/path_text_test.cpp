// UTF-8 names as paths and back: exact for well-formed text, U+FFFD for each malformed sequence.
#include "files/path_text.h"

#include <gtest/gtest.h>

namespace kavira {
namespace {

TEST(PathText, Utf8AndUtf16ConvertExactlyAndMarkWhatIsMalformed) {
  const struct {
    const char* utf8;
    std::u16string utf16;
    const char* back;  // the UTF-8 the UTF-16 converts back to
  } cases[] = {
      {"Próba generalna żółta.K3s", u"Pr\u00f3ba generalna \u017c\u00f3\u0142ta.K3s",
       "Próba generalna żółta.K3s"},
      {"\xF0\x9F\x8E\xAD.K3m", u"\xD83C\xDFAD.K3m", "\xF0\x9F\x8E\xAD.K3m"},  // U+1F3AD, a surrogate pair
      {"a\x80z", u"a\xFFFDz", "a\xEF\xBF\xBDz"},                              // a stray continuation byte
      {"\xC0\xAF", u"\xFFFD", "\xEF\xBF\xBD"},                                // an overlong '/'
      {"\xED\xA0\x80x", u"\xFFFDx", "\xEF\xBF\xBDx"},                         // an encoded surrogate
      {"\xE2\x82", u"\xFFFD", "\xEF\xBF\xBD"},                                // cut short
      {"\xF4\x90\x80\x80", u"\xFFFD", "\xEF\xBF\xBD"},                        // beyond U+10FFFF
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
    EXPECT_EQ(Utf16ToUtf8(c.utf16), c.back);
  }
  EXPECT_EQ(Utf16ToUtf8(u"a\xDC00z\xD800"), "a\xEF\xBF\xBDz\xEF\xBF\xBD");  // lone surrogates
}

TEST(PathText, UserNamesBecomePathsAndComeBackUnchanged) {
  const std::string name = "Próba generalna żółta.K3s";
  const std::filesystem::path path = PathFromUtf8("show/" + name);
  EXPECT_EQ(PathToUtf8(path.filename()), name);
  EXPECT_EQ(path.extension(), std::filesystem::path(".K3s"));
  EXPECT_EQ(PathToUtf8(path.parent_path()), "show");
}

}  // namespace
}  // namespace kavira
