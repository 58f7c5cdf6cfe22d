#pragma once
// The orders texts are sorted in: those of the grid's sort codes, and the
// sort of rows of keys that the grid and the display steps both use. Every
// rule here is a strict weak ordering over all texts (a sort needs one: an
// inconsistent comparison is undefined behaviour and can crash), and none
// depends on the process locale.

#include <compare>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace pellora {

// The value of a text that reads as a number: optional spaces, an optional
// sign, digits with an optional decimal point, an optional exponent, optional
// spaces ("12", " -3.5 ", "1e3", ".5"). Anything else is text.
std::optional<double> ReadAsNumber(std::u16string_view text);

// Sort code 1: numbers before texts, numbers by value, texts by code unit.
// A sort reads each cell once into its key and then compares keys.
struct GenericKey {
  static GenericKey Of(std::u16string_view text);
  std::optional<double> number;
  std::u16string_view text;
};
std::weak_ordering CompareGeneric(const GenericKey& a, const GenericKey& b);
std::weak_ordering CompareGeneric(std::u16string_view a, std::u16string_view b);

// Sort code 5: texts by code unit after folding the letters of Latin,
// full-width Latin, Greek and Cyrillic (all that code page 932 carries) to
// lower case.
std::weak_ordering CompareIgnoringCase(std::u16string_view a, std::u16string_view b);
char16_t FoldCase(char16_t c);

// How the rows of a sort compare their keys: sort code 1's rule (Generic),
// code 5's (IgnoringCase) or plain code units (CodeUnits, codes 7 and 8).
enum class TextOrder { Generic, IgnoringCase, CodeUnits };

// The stable order of n rows of k keys each, row i's keys being keys[i * k]
// to keys[i * k + k - 1], compared left to right: element i of the result is
// the row that goes to place i. Rows that compare equal keep their order,
// descending or not.
std::vector<std::size_t> SortedRows(std::span<const std::u16string_view> keys, std::size_t k, TextOrder order,
                                    bool descending = false);

}  // namespace pellora
