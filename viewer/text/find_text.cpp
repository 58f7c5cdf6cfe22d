#include "text/find_text.h"

#include <array>

namespace pellora {
namespace {

// The full-width katakana of U+FF61 to U+FF9D, the half-width block in its
// order (punctuation first, then ｦ, the small kana, ｰ and ｱ to ﾝ).
constexpr std::array<char16_t, 0xFF9D - 0xFF61 + 1> kFullWidthOfHalfWidth = {
    u'。', u'「', u'」', u'、', u'・', u'ヲ', u'ァ', u'ィ', u'ゥ', u'ェ', u'ォ', u'ャ', u'ュ', u'ョ', u'ッ',
    u'ー', u'ア', u'イ', u'ウ', u'エ', u'オ', u'カ', u'キ', u'ク', u'ケ', u'コ', u'サ', u'シ', u'ス', u'セ',
    u'ソ', u'タ', u'チ', u'ツ', u'テ', u'ト', u'ナ', u'ニ', u'ヌ', u'ネ', u'ノ', u'ハ', u'ヒ', u'フ', u'ヘ',
    u'ホ', u'マ', u'ミ', u'ム', u'メ', u'モ', u'ヤ', u'ユ', u'ヨ', u'ラ', u'リ', u'ル', u'レ', u'ロ', u'ワ',
    u'ン'};

bool IsVoicedMark(char16_t c) { return c == u'\uFF9E' || c == u'\u309B' || c == u'\u3099'; }
bool IsSemiVoicedMark(char16_t c) { return c == u'\uFF9F' || c == u'\u309C' || c == u'\u309A'; }

// In the katakana block each kana that takes a voiced mark is followed by
// its voiced form (カ ガ, キ ギ, ...), and ハ to ホ also by the semi-voiced
// one (ハ バ パ): the marked kana is the plain one plus 1 or 2.
bool TakesVoicedMark(char16_t c) {
  if (c >= u'カ' && c <= u'チ') return (c - u'カ') % 2 == 0;
  if (c >= u'ツ' && c <= u'ト') return (c - u'ツ') % 2 == 0;
  return c >= u'ハ' && c <= u'ホ' && (c - u'ハ') % 3 == 0;
}
bool TakesSemiVoicedMark(char16_t c) { return c >= u'ハ' && c <= u'ホ' && (c - u'ハ') % 3 == 0; }

// One character folded, the sound marks not yet joined.
char16_t FoldOne(char16_t c) {
  if (c >= u'！' && c <= u'～') c = static_cast<char16_t>(c - u'！' + u'!');
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c - u'A' + u'a');
  if (c >= u'\uFF61' && c <= u'\uFF9D') return kFullWidthOfHalfWidth[c - u'\uFF61'];
  if ((c >= u'ぁ' && c <= u'ゖ') || c == u'ゝ' || c == u'ゞ') return static_cast<char16_t>(c + (u'ァ' - u'ぁ'));
  return c;
}

}  // namespace

std::u16string FoldForFind(std::u16string_view text) {
  std::u16string folded;
  folded.reserve(text.size());
  for (const char16_t raw : text) {
    if (raw == u' ' || raw == u'\u3000') continue;
    if (!folded.empty()) {
      char16_t& last = folded.back();
      if (IsVoicedMark(raw) && (last == u'ウ' || TakesVoicedMark(last))) {
        last = last == u'ウ' ? u'ヴ' : static_cast<char16_t>(last + 1);
        continue;
      }
      if (IsSemiVoicedMark(raw) && TakesSemiVoicedMark(last)) {
        last = static_cast<char16_t>(last + 2);
        continue;
      }
    }
    folded.push_back(FoldOne(raw));
  }
  return folded;
}

bool FindNeedle::In(std::u16string_view haystack) const {
  return !folded_.empty() && FoldForFind(haystack).find(folded_) != std::u16string::npos;
}

}  // namespace pellora
