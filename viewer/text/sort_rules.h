#pragma once
// How the grid's sort codes compare cell texts. Every rule here is a strict
// weak ordering over all texts (std::stable_sort needs one: an inconsistent
// comparison is undefined behaviour and can crash), and none depends on the
// process locale.

#include <compare>
#include <optional>
#include <string_view>

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

}  // namespace pellora
