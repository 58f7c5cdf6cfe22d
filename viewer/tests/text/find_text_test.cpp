// The find's matching rule: a name typed in any of its forms finds it.

#include "text/find_text.h"

#include <gtest/gtest.h>

namespace pellora {
namespace {

TEST(FindNeedle, FoldsWidthKanaCaseAndSpaces) {
  const struct {
    std::u16string haystack;
    std::u16string needle;
    bool matches;
  } cases[] = {
      {u"ガ", u"ｶﾞ", true},
      {u"ｶﾞｯｺｳ", u"がっこう", true},
      {u"パン", u"ﾊﾟﾝ", true},
      {u"ヴィ", u"ｳﾞｨ", true},
      {u"カ", u"ｶﾞ", false},  // the voiced mark makes another kana
      {u"ガ", u"か", false},
      {u"ＡＢＣ", u"abc", true},
      {u"abc", u"ＡＢＣ", true},
      {u"山田　茂", u"山田茂", true},
      {u"山田茂", u"山田 茂", true},
      {u"ﾊﾝｶｸｶﾅ ﾀﾛｳ", u"はんかくかな　たろう", true},
      {u"0000009999", u"99", true},  // any part of a number
      {u"0000009999", u"９９９９", true},
      {u"0000009999", u"98", false},
      {u"髙橋 一郎", u"高橋", false},  // kanji forms are other characters
      {u"髙橋 一郎", u"", false},
      {u"髙橋 一郎", u"　 ", false},  // folds to nothing
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindNeedle(c.needle).In(c.haystack), c.matches)
        << testing::PrintToString(c.needle);
  }
}

}  // namespace
}  // namespace pellora
