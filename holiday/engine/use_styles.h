// The UseStyles text: which holiday styles are in use, and in which order.
//
// The text is a comma-separated list of style references: a key of the
// HolidayStyles collection, or a 1-based position in braces ({2}, { 2 } and
// {2x} all mean the second style). It is read into the style list, the
// 0-based indexes of the styles that ClassifyRange applies in turn.
//
// Written over the text's own character type, so that the same code reads a
// BSTR whether OLECHAR is char16_t (our automation layer) or wchar_t
// (Windows).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace dovrel::engine {

using StyleList = std::vector<std::int32_t>;

// What the style list needs from the HolidayStyles collection.
template <class CharT>
class StyleDirectory {
 public:
  virtual ~StyleDirectory() = default;
  virtual std::int32_t StyleCount() const = 0;
  // 0-based position of the style with this key (the collection compares
  // keys without regard to the case of A-Z), or nothing.
  virtual std::optional<std::int32_t> FindStyleKey(std::basic_string_view<CharT> key) const = 0;
};

enum class UseStylesOutcome {
  Accepted,  // the caller stores the text (UseStylesText) and, if the list is
             // not empty, sets the style-search continuation to its first entry
  Refused,   // 0x800A017C: the stored text stays; the list keeps the pieces
             // accepted before the failing one (all of it when there were none)
};

// The part of an assigned text that is kept and read: up to its first null
// character, as the text is handed on as a C string.
template <class CharT>
std::basic_string_view<CharT> UseStylesText(std::basic_string_view<CharT> text);

// Assignment of UseStyles: reads the text piece by piece (empty pieces are
// skipped, pieces are not trimmed) and stops at the first piece that is
// longer than 255 characters, names no style, or gives a position that is
// missing, 0 or beyond the collection. The old list is replaced only when the
// first piece is accepted, so a text whose first piece fails changes
// nothing; an accepted text without any piece (an empty text) empties the
// list. At the end, runs of the same style are reduced to one (A,A,B gives
// A,B; A,B,A stays).
template <class CharT>
UseStylesOutcome AssignUseStyles(std::basic_string_view<CharT> text, const StyleDirectory<CharT>& styles,
                                 StyleList& list);

// ResolveUseStyles: the same reading of the stored text after the
// collection's membership changed, skipping failing pieces instead of
// stopping. A key of a removed style drops out, and comes back when a style
// with that key is added again; positions follow the collection's current
// order.
template <class CharT>
void ResolveUseStyles(std::basic_string_view<CharT> stored_text, const StyleDirectory<CharT>& styles,
                      StyleList& list);

}  // namespace dovrel::engine
