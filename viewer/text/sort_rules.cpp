#include "text/sort_rules.h"

#include <charconv>
#include <cmath>
#include <string>

namespace pellora {
namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Checks the number syntax and copies the text, without its spaces and its
// plus sign, into `ascii` for std::from_chars. Also estimates the decimal
// magnitude so that a value too large or too small for a double can be told
// apart when from_chars reports it out of range.
bool ScanNumber(std::u16string_view text, std::string& ascii, long& magnitude) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && text[i] == u' ') ++i;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) {
    if (text[i] == u'-') ascii.push_back('-');
    ++i;
  }
  std::size_t digits = 0;
  long leading = 0;  // digits before the point, leading zeros not counted
  bool nonZeroSeen = false;
  for (; i < n && IsDigit(text[i]); ++i, ++digits) {
    nonZeroSeen = nonZeroSeen || text[i] != u'0';
    if (nonZeroSeen) ++leading;
    ascii.push_back(static_cast<char>(text[i]));
  }
  if (i < n && text[i] == u'.') {
    ascii.push_back('.');
    for (++i; i < n && IsDigit(text[i]); ++i, ++digits) ascii.push_back(static_cast<char>(text[i]));
  }
  if (digits == 0) return false;
  long exponent = 0;
  if (i < n && (text[i] == u'e' || text[i] == u'E')) {
    ascii.push_back('e');
    ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
      negative = text[i] == u'-';
      ascii.push_back(static_cast<char>(text[i]));
      ++i;
    }
    std::size_t expDigits = 0;
    for (; i < n && IsDigit(text[i]); ++i, ++expDigits) {
      ascii.push_back(static_cast<char>(text[i]));
      if (exponent < 100000) exponent = exponent * 10 + (text[i] - u'0');
    }
    if (expDigits == 0) return false;
    if (negative) exponent = -exponent;
  }
  while (i < n && text[i] == u' ') ++i;
  magnitude = leading + exponent;
  return i == n;
}

template <typename T>
std::weak_ordering Order(const T& a, const T& b) {
  if (a < b) return std::weak_ordering::less;
  if (b < a) return std::weak_ordering::greater;
  return std::weak_ordering::equivalent;
}

}  // namespace

std::optional<double> ReadAsNumber(std::u16string_view text) {
  std::string ascii;
  long magnitude = 0;
  if (!ScanNumber(text, ascii, magnitude)) return std::nullopt;
  double value = 0;
  const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (ec == std::errc::result_out_of_range) {
    const bool negative = ascii[0] == '-';
    value = magnitude > 0 ? HUGE_VAL : 0.0;
    return negative ? -value : value;
  }
  if (ec != std::errc() || end != ascii.data() + ascii.size()) return std::nullopt;
  return value;
}

GenericKey GenericKey::Of(std::u16string_view text) { return {ReadAsNumber(text), text}; }

std::weak_ordering CompareGeneric(const GenericKey& a, const GenericKey& b) {
  if (a.number && b.number) return Order(*a.number, *b.number);
  if (a.number || b.number) return a.number ? std::weak_ordering::less : std::weak_ordering::greater;
  return Order(a.text, b.text);
}

std::weak_ordering CompareGeneric(std::u16string_view a, std::u16string_view b) {
  return CompareGeneric(GenericKey::Of(a), GenericKey::Of(b));
}

char16_t FoldCase(char16_t c) {
  if (c < 0x80) return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
  if ((c >= 0x00C0 && c <= 0x00DE && c != 0x00D7) ||  // Latin-1 capitals, not ×
      (c >= 0x0391 && c <= 0x03A9 && c != 0x03A2) ||  // Greek capitals
      (c >= 0x0410 && c <= 0x042F) ||                 // Cyrillic А-Я
      (c >= 0xFF21 && c <= 0xFF3A)) {                 // full-width Ａ-Ｚ
    return static_cast<char16_t>(c + 32);
  }
  if (c >= 0x0400 && c <= 0x040F) return static_cast<char16_t>(c + 80);  // Ѐ-Џ
  return c;
}

std::weak_ordering CompareIgnoringCase(std::u16string_view a, std::u16string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t x = FoldCase(a[i]);
    const char16_t y = FoldCase(b[i]);
    if (x != y) return x < y ? std::weak_ordering::less : std::weak_ordering::greater;
  }
  return Order(a.size(), b.size());
}

}  // namespace pellora
