#include "text/number_text.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <string>

namespace pellora {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The leading number of a text, blanks taken out, in the form from_chars
// reads ("-123.45e6": no plus sign), with the decimal magnitude of its first
// significant digit, which tells a value too large for a double from one
// too small when from_chars gives up on it.
struct LeadingNumber {
  std::string ascii;
  bool hasDigits = false;
  bool nonZero = false;  // a digit other than 0: otherwise the value is 0 whatever the exponent
  long magnitude = 0;
};

class NumberScanner {
 public:
  explicit NumberScanner(std::u16string_view text) : text_(text) {}

  LeadingNumber Scan() {
    LeadingNumber number;
    if (Accept(u'-')) {
      number.ascii.push_back('-');
    } else {
      Accept(u'+');
    }
    long significantIntegerDigits = 0;
    long zerosAfterPoint = 0;
    bool significant = false;
    while (IsDigit(Peek())) {
      const char16_t d = Take();
      significant = significant || d != u'0';
      if (significant) ++significantIntegerDigits;
      number.ascii.push_back(static_cast<char>(d));
      number.hasDigits = true;
    }
    if (Accept(u'.')) {
      number.ascii.push_back('.');
      while (IsDigit(Peek())) {
        const char16_t d = Take();
        if (!significant && d == u'0' && zerosAfterPoint < kExponentLimit) ++zerosAfterPoint;
        significant = significant || d != u'0';
        number.ascii.push_back(static_cast<char>(d));
        number.hasDigits = true;
      }
    }
    number.nonZero = significant;
    if (!number.hasDigits) return number;
    const long exponent = ScanExponent(number.ascii);
    number.magnitude = (significantIntegerDigits > 0 ? significantIntegerDigits : -zerosAfterPoint) + exponent;
    return number;
  }

 private:
  // Exponents beyond this are out of any double's range either way; keeping
  // them small keeps the arithmetic on them from overflowing.
  static constexpr long kExponentLimit = 1000000;

  // An exponent only counts with at least one digit: "1e" and "1e+" are 1.
  long ScanExponent(std::string& ascii) {
    const std::size_t mark = pos_;
    if (!Accept(u'e') && !Accept(u'E')) return 0;
    std::string part = "e";
    bool negative = false;
    if (Accept(u'-')) {
      negative = true;
      part.push_back('-');
    } else {
      Accept(u'+');
    }
    long exponent = 0;
    bool digits = false;
    while (IsDigit(Peek())) {
      const char16_t d = Take();
      part.push_back(static_cast<char>(d));
      if (exponent < kExponentLimit) exponent = exponent * 10 + (d - u'0');
      digits = true;
    }
    if (!digits) {
      pos_ = mark;
      return 0;
    }
    ascii += part;
    return negative ? -exponent : exponent;
  }

  void SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  }
  char16_t Peek() {
    SkipBlanks();
    return pos_ < text_.size() ? text_[pos_] : u'\0';
  }
  char16_t Take() { return text_[pos_++]; }
  bool Accept(char16_t c) {
    if (Peek() != c) return false;
    ++pos_;
    return true;
  }

  std::u16string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

double ValueOfText(std::u16string_view text) {
  const LeadingNumber number = NumberScanner(text).Scan();
  if (!number.nonZero) return 0.0;
  const char* const first = number.ascii.data();
  const char* const last = first + number.ascii.size();
  double value = 0.0;
  const auto [end, ec] = std::from_chars(first, last, value);
  if (ec == std::errc::result_out_of_range) {
    value = number.magnitude > 0 ? DBL_MAX : 0.0;
    if (number.ascii[0] == '-') value = -value;
  } else if (ec != std::errc() || end != last) {
    return 0.0;  // cannot happen for what the scanner accepts; never a failure
  }
  return value == 0.0 ? 0.0 : value;  // no negative zero
}

bool IsNumberText(std::u16string_view text) {
  auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  std::size_t i = 0;
  const std::size_t n = text.size();
  auto digits = [&] {
    const std::size_t start = i;
    while (i < n && IsDigit(text[i])) ++i;
    return i - start;
  };
  while (i < n && blank(text[i])) ++i;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) ++i;
  std::size_t mantissaDigits = digits();
  if (i < n && text[i] == u'.') {
    ++i;
    mantissaDigits += digits();
  }
  if (mantissaDigits == 0) return false;
  if (i < n && (text[i] == u'e' || text[i] == u'E')) {
    ++i;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) ++i;
    if (digits() == 0) return false;
  }
  while (i < n && blank(text[i])) ++i;
  return i == n;
}

std::u16string DecimalText(double value) {
  if (value == 0.0) return u"0";
  // A double has at most 309 digits before its point and, written in
  // shortest form, fewer than 330 characters after it.
  char buffer[400];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  if (ec != std::errc()) return u"0";
  return std::u16string(buffer, end);
}

std::u16string ZeroPad6(std::u16string_view text) {
  const double whole = std::round(ValueOfText(text));  // halves away from zero
  char buffer[400];
  const auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, std::fabs(whole), std::chars_format::fixed, 0);
  std::u16string digits = ec == std::errc() ? std::u16string(buffer, end) : u"0";
  constexpr std::size_t kWidth = 6;
  if (digits.size() < kWidth) digits.insert(0, kWidth - digits.size(), u'0');
  if (whole < 0) digits.insert(0, 1, u'-');
  return digits;
}

}  // namespace pellora
