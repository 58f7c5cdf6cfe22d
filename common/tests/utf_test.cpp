// File names arrive as UTF-16 and reach the platform as UTF-8.

#include "common/utf.h"

#include <gtest/gtest.h>

namespace common {
namespace {

TEST(Utf, FileNamesRoundTrip) {
  const std::u16string names[] = {
      u"/tmp/claim.csv",
      u"/home/山田/請求データ　2024年04月.csv",
      u"C:\\data\\①～.csv",
      u"\u00E9\u0800\uFFFF",
      u"emoji \U0001F600 name",
  };
  for (const std::u16string& name : names) {
    const auto utf8 = Utf16ToUtf8(name);
    ASSERT_TRUE(utf8);
    EXPECT_EQ(Utf8ToUtf16(*utf8), name);
    EXPECT_TRUE(IsWellFormedUtf8(*utf8));
  }
  EXPECT_TRUE(IsWellFormedUtf8("\xEF\xBF\xBD"));  // U+FFFD itself is a character
  EXPECT_EQ(Utf16ToUtf8(u"\u3042"), "\xE3\x81\x82");
  EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
}

TEST(Utf, UnpairedSurrogatesAreNoFileName) {
  EXPECT_FALSE(Utf16ToUtf8(std::u16string{u'a', char16_t(0xD800)}));
  EXPECT_FALSE(Utf16ToUtf8(std::u16string{char16_t(0xDC00), u'a'}));
  EXPECT_FALSE(Utf16ToUtf8(std::u16string{char16_t(0xD800), u'a'}));
}

TEST(Utf, InvalidUtf8BecomesReplacementCharactersAndIsNotWellFormed) {
  const struct {
    std::string bytes;
    std::u16string text;
  } cases[] = {
      {"a\x80z", u"a\uFFFDz"},
      {"\xC0\xAF", u"\uFFFD\uFFFD"},        // overlong form of '/'
      {"\xE3\x81", u"\uFFFD"},              // truncated
      {"\xE3\x81z", u"\uFFFDz"},            // broken continuation
      {"\xED\xA0\x80", u"\uFFFD"},          // encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD"},      // beyond U+10FFFF
      {"\xFF", u"\uFFFD"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToUtf16(c.bytes), c.text);
    EXPECT_FALSE(IsWellFormedUtf8(c.bytes));
  }
}

}  // namespace
}  // namespace common
