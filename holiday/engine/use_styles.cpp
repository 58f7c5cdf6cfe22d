#include "engine/use_styles.h"

#include <algorithm>

namespace dovrel::engine {

namespace {

constexpr std::size_t kLongestPiece = 255;

// The inside of "{...}": spaces, then digits up to the first character that
// is not one; whatever follows is ignored. Positions are 1-based.
template <class CharT>
std::optional<std::int32_t> ReadPosition(std::basic_string_view<CharT> inside, std::int32_t style_count) {
  std::size_t i = 0;
  while (i < inside.size() && inside[i] == CharT(' ')) ++i;
  std::int64_t position = 0;
  bool any_digit = false;
  for (; i < inside.size() && inside[i] >= CharT('0') && inside[i] <= CharT('9'); ++i) {
    any_digit = true;
    // Saturates: a long run of digits is just a position beyond the collection.
    position = std::min<std::int64_t>(position * 10 + (inside[i] - CharT('0')), INT32_MAX + std::int64_t(1));
  }
  if (!any_digit || position == 0 || position > style_count) return std::nullopt;
  return static_cast<std::int32_t>(position - 1);
}

template <class CharT>
std::optional<std::int32_t> ReadPiece(std::basic_string_view<CharT> piece, const StyleDirectory<CharT>& styles) {
  if (piece.size() > kLongestPiece) return std::nullopt;
  if (piece.size() > 2 && piece.front() == CharT('{') && piece.back() == CharT('}')) {
    return ReadPosition(piece.substr(1, piece.size() - 2), styles.StyleCount());
  }
  return styles.FindStyleKey(piece);
}

// Both readings of the text. The old list is cleared only when the first
// piece is accepted ("pending clear"), so a refused assignment whose first
// piece fails leaves the list as it was.
template <class CharT>
bool ReadStyleList(std::basic_string_view<CharT> text, const StyleDirectory<CharT>& styles, StyleList& list,
                   bool skip_failing_pieces) {
  bool pending_clear = true;
  for (std::size_t pos = 0; pos <= text.size();) {
    std::size_t comma = text.find(CharT(','), pos);
    if (comma == std::basic_string_view<CharT>::npos) comma = text.size();
    const std::basic_string_view<CharT> piece = text.substr(pos, comma - pos);
    pos = comma + 1;
    if (piece.empty()) continue;
    const std::optional<std::int32_t> index = ReadPiece(piece, styles);
    if (!index) {
      if (skip_failing_pieces) continue;
      return false;
    }
    if (pending_clear) {
      list.clear();
      pending_clear = false;
    }
    list.push_back(*index);
  }
  if (pending_clear) {
    list.clear();
  } else {
    list.erase(std::unique(list.begin(), list.end()), list.end());
  }
  return true;
}

}  // namespace

template <class CharT>
std::basic_string_view<CharT> UseStylesText(std::basic_string_view<CharT> text) {
  return text.substr(0, std::min(text.find(CharT(0)), text.size()));
}

template <class CharT>
UseStylesOutcome AssignUseStyles(std::basic_string_view<CharT> text, const StyleDirectory<CharT>& styles,
                                 StyleList& list) {
  return ReadStyleList(UseStylesText(text), styles, list, false) ? UseStylesOutcome::Accepted
                                                                 : UseStylesOutcome::Refused;
}

template <class CharT>
void ResolveUseStyles(std::basic_string_view<CharT> stored_text, const StyleDirectory<CharT>& styles,
                      StyleList& list) {
  ReadStyleList(UseStylesText(stored_text), styles, list, true);
}

#define DOVREL_USE_STYLES_FOR(CharT)                                                                     \
  template std::basic_string_view<CharT> UseStylesText(std::basic_string_view<CharT>);                    \
  template UseStylesOutcome AssignUseStyles(std::basic_string_view<CharT>, const StyleDirectory<CharT>&,  \
                                            StyleList&);                                                  \
  template void ResolveUseStyles(std::basic_string_view<CharT>, const StyleDirectory<CharT>&, StyleList&);
DOVREL_USE_STYLES_FOR(char16_t)
DOVREL_USE_STYLES_FOR(wchar_t)
#undef DOVREL_USE_STYLES_FOR

}  // namespace dovrel::engine
