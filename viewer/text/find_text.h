#pragma once
// The matching rule of the display's find: a clerk types a name as it comes
// to mind (ﾔﾏﾀﾞ, やまだ or ヤマダ; ＡＢＣ or abc; with or without the
// space between family and given name), so both the typed text and the
// grid's text are folded to one form before they are compared.

#include <string>
#include <string_view>

namespace pellora {

// `text` folded for find: full-width ASCII to ASCII; half-width katakana to
// full-width, a following voiced or semi-voiced sound mark joined to its
// kana (ｶﾞ to ガ); hiragana to katakana; the Latin letters A-Z to small
// letters; spaces (ASCII and ideographic) left out.
std::u16string FoldForFind(std::u16string_view text);

// A typed text, folded once for all the texts a find compares it with.
class FindNeedle {
 public:
  explicit FindNeedle(std::u16string_view text) : folded_(FoldForFind(text)) {}

  // The folded needle occurs in the folded haystack. A needle that folds to
  // nothing matches nothing.
  bool In(std::u16string_view haystack) const;

 private:
  std::u16string folded_;
};

}  // namespace pellora
