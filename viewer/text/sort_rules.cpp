#include "text/sort_rules.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <numeric>
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

// A row's keys for a sort by code unit, made so that most comparisons look
// at nothing but two entries: the first twelve units of each of the first
// three key columns (enough for a year-month, a ten-digit insured-person
// number and an insurer number whole) packed into integers that order as the
// texts do (units beyond a text's end count as 0), with each text's length.
// Only when those cannot decide are the full texts compared. Entries are
// sorted themselves, not indices into them: a sort of many rows then walks
// memory in order instead of jumping between rows.
struct CodeUnitSortEntry {
  static constexpr std::size_t kPackedKeys = 3;
  static constexpr std::size_t kWordsPerKey = 3;
  static constexpr std::size_t kPackedUnits = 4 * kWordsPerKey;
  std::array<std::uint64_t, kWordsPerKey * kPackedKeys> packed{};
  std::array<std::uint8_t, kPackedKeys> lengths{};  // up to kPackedUnits + 1: "longer"
  std::uint32_t row = 0;
};

std::vector<std::size_t> OrderByCodeUnits(std::span<const std::u16string_view> keys, std::size_t n, std::size_t k,
                                          bool descending) {
  using Entry = CodeUnitSortEntry;
  const std::size_t packedKeys = std::min(k, Entry::kPackedKeys);
  std::vector<Entry> entries(n);
  for (std::size_t i = 0; i < n; ++i) {
    Entry& e = entries[i];
    e.row = static_cast<std::uint32_t>(i);
    for (std::size_t j = 0; j < packedKeys; ++j) {
      const std::u16string_view key = keys[i * k + j];
      for (std::size_t u = 0; u < Entry::kPackedUnits && u < key.size(); ++u)
        e.packed[Entry::kWordsPerKey * j + u / 4] |= std::uint64_t{key[u]} << (16 * (3 - u % 4));
      e.lengths[j] = static_cast<std::uint8_t>(std::min<std::size_t>(key.size(), Entry::kPackedUnits + 1));
    }
  }
  auto fullTexts = [&](std::size_t from, const Entry& a, const Entry& b) -> std::weak_ordering {
    for (std::size_t j = from; j < k; ++j) {
      const std::weak_ordering o = keys[a.row * k + j] <=> keys[b.row * k + j];
      if (o != 0) return o;
    }
    return std::weak_ordering::equivalent;
  };
  auto compare = [&](const Entry& a, const Entry& b) -> std::weak_ordering {
    for (std::size_t j = 0; j < packedKeys; ++j) {
      for (std::size_t h = Entry::kWordsPerKey * j; h < Entry::kWordsPerKey * (j + 1); ++h)
        if (a.packed[h] != b.packed[h]) return a.packed[h] < b.packed[h] ? std::weak_ordering::less : std::weak_ordering::greater;
      // Equal packed units: two texts that both end within them are equal
      // or one is the other followed by zero units; longer ones need all
      // their units.
      if (a.lengths[j] > Entry::kPackedUnits || b.lengths[j] > Entry::kPackedUnits) return fullTexts(j, a, b);
      if (a.lengths[j] != b.lengths[j]) return a.lengths[j] <=> b.lengths[j];
    }
    return fullTexts(packedKeys, a, b);
  };
  // Ties are broken by the row's place, which keeps the sort stable.
  std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
    const std::weak_ordering o = compare(a, b);
    if (o != 0) return descending ? o > 0 : o < 0;
    return a.row < b.row;
  });
  std::vector<std::size_t> order(n);
  for (std::size_t i = 0; i < n; ++i) order[i] = entries[i].row;
  return order;
}

// Keys that are all ASCII digits, each key column of one length (a
// year-month, a ten-digit insured-person number, a six-digit insurer
// number), order as texts the way they order as whole numbers. Such keys
// are packed, with the row's place below them, into two 64-bit words per
// row when their largest values leave room (as a claim file's do), and
// sorted as those words: a fraction of the work of comparing texts, and
// stable, since the place decides between equal keys. Nothing when the keys
// are not of that form.
std::optional<std::vector<std::size_t>> OrderByDigits(std::span<const std::u16string_view> keys, std::size_t n,
                                                      std::size_t k, bool descending) {
  constexpr std::size_t kMaxDigits = 19;  // below 2^64
  constexpr int kRowBits = 32;
  if (k == 0 || n == 0 || std::uint64_t{n} > (std::uint64_t{1} << kRowBits)) return std::nullopt;
  std::vector<std::uint64_t> values(n * k);
  std::vector<int> bits(k, 0);
  for (std::size_t j = 0; j < k; ++j) {
    const std::size_t length = keys[j].size();
    if (length > kMaxDigits) return std::nullopt;
    std::uint64_t largest = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const std::u16string_view key = keys[i * k + j];
      if (key.size() != length) return std::nullopt;
      std::uint64_t value = 0;
      for (const char16_t c : key) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - u'0');
      }
      values[i * k + j] = value;
      largest = std::max(largest, value);
    }
    bits[j] = std::bit_width(largest);
  }
  // The first key columns that fit go to the high word, the others and the
  // place to the low one.
  std::size_t high = 0;
  int highBits = 0;
  while (high < k && highBits + bits[high] <= 64) highBits += bits[high++];
  int lowBits = kRowBits;
  for (std::size_t j = high; j < k; ++j) lowBits += bits[j];
  if (lowBits > 64) return std::nullopt;
  struct Packed {
    std::uint64_t high, low;
    bool operator<(const Packed& other) const { return high != other.high ? high < other.high : low < other.low; }
  };
  std::vector<Packed> packed(n);
  for (std::size_t i = 0; i < n; ++i) {
    Packed p{0, 0};
    for (std::size_t j = 0; j < k; ++j) {
      // Descending: each key's complement within its width, so that larger
      // keys come first while the place still orders equal ones.
      const std::uint64_t v = values[i * k + j];
      const std::uint64_t mask = bits[j] == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << bits[j]) - 1;
      std::uint64_t& word = j < high ? p.high : p.low;
      word = (bits[j] == 64 ? 0 : word << bits[j]) | (descending ? mask - v : v);
    }
    p.low = (p.low << kRowBits) | i;
    packed[i] = p;
  }
  std::sort(packed.begin(), packed.end());
  std::vector<std::size_t> rows(n);
  for (std::size_t i = 0; i < n; ++i) rows[i] = static_cast<std::size_t>(packed[i].low & 0xFFFFFFFFu);
  return rows;
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


std::vector<std::size_t> SortedRows(std::span<const std::u16string_view> keys, std::size_t k, TextOrder order,
                                    bool descending) {
  const std::size_t n = k == 0 ? 0 : keys.size() / k;
  if (order == TextOrder::Generic) {
    // Each key is read as a number once; the comparisons then only look at
    // the keys.
    std::vector<GenericKey> generic(n * k);
    for (std::size_t i = 0; i < n * k; ++i) generic[i] = GenericKey::Of(keys[i]);
    std::vector<std::size_t> rows(n);
    std::iota(rows.begin(), rows.end(), std::size_t{0});
    std::stable_sort(rows.begin(), rows.end(), [&](std::size_t a, std::size_t b) {
      for (std::size_t j = 0; j < k; ++j) {
        const std::weak_ordering o = CompareGeneric(generic[a * k + j], generic[b * k + j]);
        if (o != 0) return descending ? o > 0 : o < 0;
      }
      return false;
    });
    return rows;
  }
  if (order == TextOrder::CodeUnits || order == TextOrder::IgnoringCase) {
    // Digits have no case, so that keys of digits alone order the same
    // under both rules.
    if (std::optional<std::vector<std::size_t>> rows = OrderByDigits(keys, n, k, descending)) return *rows;
  }
  if (order == TextOrder::CodeUnits) return OrderByCodeUnits(keys, n, k, descending);
  // Each key is folded to lower case once, into one buffer, so that the
  // comparisons are plain code-unit comparisons: the same order as
  // CompareIgnoringCase, without folding every unit at every comparison.
  std::size_t units = 0;
  for (const std::u16string_view key : keys) units += key.size();
  std::u16string folded;
  folded.reserve(units);
  for (const std::u16string_view key : keys)
    for (const char16_t c : key) folded.push_back(FoldCase(c));
  std::vector<std::u16string_view> foldedKeys(keys.size());
  std::size_t at = 0;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    foldedKeys[i] = std::u16string_view(folded).substr(at, keys[i].size());
    at += keys[i].size();
  }
  return OrderByCodeUnits(foldedKeys, n, k, descending);
}

}  // namespace pellora
