// Sorting a grid: the sort grid's code 5 over columns 1 to 3, the display
// grid's code 1 over one column, stability, fixed rows, and orderings that
// stay consistent for any mix of numbers and texts.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "grid/flex_grid.h"
#include "text/sort_rules.h"

namespace pellora {
namespace {

using Table = std::vector<std::vector<std::u16string>>;

// A grid holding `rows`, the first `fixedRows` of them fixed.
struct TableGrid : FlexGrid {
  TableGrid(const Table& rows, int fixedRows)
      : FlexGrid({static_cast<int>(rows.size()), static_cast<int>(rows.at(0).size()), fixedRows, 0}) {
    for (std::size_t r = 0; r < rows.size(); ++r)
      for (std::size_t c = 0; c < rows[r].size(); ++c)
        SetTextMatrix(static_cast<int>(r), static_cast<int>(c), rows[r][c]);
  }
};

Table TableOf(const FlexGrid& grid) {
  Table rows(static_cast<std::size_t>(grid.Rows()));
  for (int r = 0; r < grid.Rows(); ++r)
    for (int c = 0; c < grid.Cols(); ++c) rows[static_cast<std::size_t>(r)].push_back(grid.TextMatrix(r, c));
  return rows;
}

void SortBy(FlexGrid& grid, int col, int colSel, int code) {
  grid.SetRow(0);
  grid.SetCol(col);
  grid.SetColSel(colSel);
  grid.SetSort(code);
}

// The sort grid: code, year-month, insured person, insurer; keys 1 to 3.
TEST(Sort, SortGridByYearMonthPersonAndInsurer) {
  TableGrid grid({{u"7131", u"202404", u"0000000002", u"131011", u"a"},
                          {u"7131", u"202403", u"0000000009", u"131011", u"b"},
                          {u"8121", u"202404", u"0000000001", u"271007", u"c"},
                          {u"7141", u"202404", u"0000000002", u"011015", u"d"},
                          {u"7132", u"202403", u"0000000009", u"131011", u"e"}},
                         0);
  SortBy(grid, 1, 3, FlexGrid::kSortStringNoCaseAscending);
  std::vector<std::u16string> order;
  for (int r = 0; r < grid.Rows(); ++r) order.push_back(grid.TextMatrix(r, 4));
  // b and e tie on all three keys and keep their order.
  EXPECT_EQ(order, (std::vector<std::u16string>{u"b", u"e", u"c", u"d", u"a"}));
}

TEST(Sort, KeyColumnsRunFromColToColSelWhicheverIsLeft) {
  const Table rows = {{u"2", u"b"}, {u"1", u"b"}, {u"3", u"a"}};
  TableGrid forward(rows, 0);
  TableGrid backward(rows, 0);
  SortBy(forward, 0, 1, FlexGrid::kSortStringNoCaseAscending);
  SortBy(backward, 1, 0, FlexGrid::kSortStringNoCaseAscending);
  EXPECT_EQ(TableOf(forward), (Table{{u"1", u"b"}, {u"2", u"b"}, {u"3", u"a"}}));
  EXPECT_EQ(TableOf(backward), TableOf(forward));  // keys are still left to right

  TableGrid second(rows, 0);
  SortBy(second, 1, 1, FlexGrid::kSortStringNoCaseAscending);
  EXPECT_EQ(TableOf(second), (Table{{u"3", u"a"}, {u"2", u"b"}, {u"1", u"b"}}));
}

TEST(Sort, FixedRowsStayInPlace) {
  TableGrid grid({{u"", u"被保険者番号"}, {u"", u"30"}, {u"", u"4"}, {u"", u"200"}}, 1);
  SortBy(grid, 1, 1, FlexGrid::kSortGenericAscending);
  EXPECT_EQ(TableOf(grid), (Table{{u"", u"被保険者番号"}, {u"", u"4"}, {u"", u"30"}, {u"", u"200"}}));
}

TEST(Sort, CodesOrderAsTheirNamesSay) {
  const std::vector<std::u16string> column = {u"b", u"10", u"B", u"9", u"a", u"-1.5", u"", u"A", u" 9 ", u"1e1"};
  const struct {
    int code;
    std::vector<std::u16string> expected;
  } cases[] = {
      // Numbers first by value (ties keep their order), then texts by code unit.
      {FlexGrid::kSortGenericAscending, {u"-1.5", u"9", u" 9 ", u"10", u"1e1", u"", u"A", u"B", u"a", u"b"}},
      {FlexGrid::kSortGenericDescending, {u"b", u"a", u"B", u"A", u"", u"10", u"1e1", u"9", u" 9 ", u"-1.5"}},
      // Texts without regard to case: a and A tie and keep their order.
      {FlexGrid::kSortStringNoCaseAscending, {u"", u" 9 ", u"-1.5", u"10", u"1e1", u"9", u"a", u"A", u"b", u"B"}},
      {FlexGrid::kSortStringNoCaseDescending, {u"b", u"B", u"a", u"A", u"9", u"1e1", u"10", u"-1.5", u" 9 ", u""}},
      {FlexGrid::kSortStringAscending, {u"", u" 9 ", u"-1.5", u"10", u"1e1", u"9", u"A", u"B", u"a", u"b"}},
      {FlexGrid::kSortStringDescending, {u"b", u"a", u"B", u"A", u"9", u"1e1", u"10", u"-1.5", u" 9 ", u""}},
      {FlexGrid::kSortNone, column},
  };
  for (const auto& c : cases) {
    Table rows;
    for (const auto& v : column) rows.push_back({v});
    TableGrid grid(rows, 0);
    SortBy(grid, 0, 0, c.code);
    Table expected;
    for (const auto& v : c.expected) expected.push_back({v});
    EXPECT_EQ(TableOf(grid), expected) << "code " << c.code;
  }
}

TEST(Sort, CaseIsFoldedForEveryAlphabetOfTheCodePage) {
  const struct {
    char16_t upper, lower;
  } pairs[] = {{u'A', u'a'}, {u'Z', u'z'}, {u'Ａ', u'ａ'}, {u'Ｚ', u'ｚ'}, {u'Α', u'α'},
               {u'Ω', u'ω'}, {u'Ж', u'ж'}, {u'Ё', u'ё'}, {u'À', u'à'}, {u'Þ', u'þ'}};
  for (const auto& p : pairs) EXPECT_EQ(FoldCase(p.upper), p.lower) << int(p.upper);
  for (char16_t same : {u'×', u'ß', u'あ', u'1', u'@', u'[', u'ｱ', u'ω'}) EXPECT_EQ(FoldCase(same), same) << int(same);
  EXPECT_EQ(CompareIgnoringCase(u"ＡＢＣ", u"ａｂｃ"), std::weak_ordering::equivalent);
  EXPECT_EQ(CompareIgnoringCase(u"ab", u"ABC"), std::weak_ordering::less);
}

TEST(Sort, WhatReadsAsANumber) {
  const struct {
    std::u16string text;
    std::optional<double> value;
  } cases[] = {
      {u"12", 12},          {u"007", 7},          {u" -3.5 ", -3.5},    {u"+7", 7},
      {u"1e3", 1000},       {u"2.5E-1", 0.25},    {u".5", 0.5},         {u"1.", 1},
      {u"1e999", HUGE_VAL}, {u"-1e999", -HUGE_VAL}, {u"1e-999", 0},     {u"12345678901234567890", 12345678901234567890.0},
      {u"", std::nullopt},  {u" ", std::nullopt}, {u"abc", std::nullopt}, {u"1,234", std::nullopt},
      {u"1e", std::nullopt}, {u"--1", std::nullopt}, {u"0x10", std::nullopt}, {u"１２", std::nullopt},
      {u"12a", std::nullopt}, {u"nan", std::nullopt}, {u"inf", std::nullopt}, {u".", std::nullopt},
      {u"1 2", std::nullopt}, {u"\t1", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadAsNumber(c.text), c.value) << std::string(c.text.begin(), c.text.end());
}

// Whatever a column holds, the comparison must be a strict weak ordering,
// or std::stable_sort may misbehave. Checked exhaustively over a pool of
// awkward values: irreflexivity, asymmetry, transitivity, and transitivity
// of equivalence.
TEST(Sort, ComparisonsAreStrictWeakOrderings) {
  const std::vector<std::u16string> pool = {u"",    u"0",   u"-0",   u"0.0", u"00", u"1",   u"1e0", u"10", u"9",
                                            u"a",   u"A",   u"Ａ",   u"ａ",  u" 1", u"1 ",  u"1e999", u"-1e999",
                                            u"1e-999", u"x1", u"1x",  u"ß",   u"Σ",  u"σ",   u"\uFFFD", u"\"", u","};
  using Compare = std::weak_ordering (*)(std::u16string_view, std::u16string_view);
  const Compare compares[] = {
      [](std::u16string_view a, std::u16string_view b) { return CompareGeneric(a, b); },
      [](std::u16string_view a, std::u16string_view b) { return CompareIgnoringCase(a, b); },
  };
  for (Compare cmp : compares) {
    auto less = [&](const std::u16string& a, const std::u16string& b) { return cmp(a, b) < 0; };
    auto equiv = [&](const std::u16string& a, const std::u16string& b) { return !less(a, b) && !less(b, a); };
    for (const auto& a : pool) {
      EXPECT_FALSE(less(a, a));
      for (const auto& b : pool) {
        if (less(a, b)) {
          EXPECT_FALSE(less(b, a));
        }
        for (const auto& c : pool) {
          if (less(a, b) && less(b, c)) {
            EXPECT_TRUE(less(a, c));
          }
          if (equiv(a, b) && equiv(b, c)) {
            EXPECT_TRUE(equiv(a, c));
          }
        }
      }
    }
  }
}

// A large column mixing numbers and texts sorts into order and keeps every
// row (each row carries its original position in column 1).
TEST(Sort, LargeMixedColumnSortsStably) {
  std::mt19937 random(7);
  const std::u16string values[] = {u"12", u"3", u"abc", u"ABC", u"", u"-4", u"x", u"1e2", u"0012", u"Ｘ"};
  Table rows;
  for (int i = 0; i < 20000; ++i) {
    const std::string position = std::to_string(i);
    rows.push_back({values[random() % 10], std::u16string(position.begin(), position.end())});
  }
  for (int code : {int{FlexGrid::kSortGenericAscending}, int{FlexGrid::kSortStringNoCaseAscending}}) {
    TableGrid grid(rows, 0);
    SortBy(grid, 0, 0, code);
    const Table sorted = TableOf(grid);
    ASSERT_EQ(sorted.size(), rows.size());
    for (std::size_t i = 1; i < sorted.size(); ++i) {
      const auto o = code == FlexGrid::kSortGenericAscending ? CompareGeneric(sorted[i - 1][0], sorted[i][0])
                                                             : CompareIgnoringCase(sorted[i - 1][0], sorted[i][0]);
      ASSERT_TRUE(o <= 0) << i;
      if (o == 0) {
        ASSERT_LT(std::stoi(std::string(sorted[i - 1][1].begin(), sorted[i - 1][1].end())),
                  std::stoi(std::string(sorted[i][1].begin(), sorted[i][1].end())));
      }
    }
  }
}

// The text sorts compare most keys by their first units only, packed into
// integers. Against a plain stable sort with the published comparisons,
// over keys built to defeat that shortcut: shared prefixes of eight units
// and more, zero units, texts that are prefixes of others, letters in both
// cases, one to five key columns, both directions.
TEST(Sort, TextSortsMatchAPlainStableSortOverAwkwardKeys) {
  std::mt19937 random(11);
  const std::u16string pieces[] = {u"",  u"2024", u"20240", u"202404", u"12345678", u"123456789",
                                   u"a", u"A",    u"b",     std::u16string(1, u'\0'), u"\uFFFF", u"Ａ"};
  auto key = [&] {
    std::u16string text;
    const int parts = static_cast<int>(random() % 4);
    for (int p = 0; p < parts; ++p) text += pieces[random() % std::size(pieces)];
    return text;
  };
  for (int round = 0; round < 40; ++round) {
    const int keyCols = 1 + round % 5;
    const int code = std::array{int{FlexGrid::kSortStringNoCaseAscending}, int{FlexGrid::kSortStringNoCaseDescending},
                                int{FlexGrid::kSortStringAscending}, int{FlexGrid::kSortStringDescending}}[round % 4];
    Table rows;
    for (int i = 0; i < 300; ++i) {
      std::vector<std::u16string> row;
      for (int c = 0; c < keyCols; ++c) row.push_back(key());
      const std::string position = std::to_string(i);
      row.emplace_back(position.begin(), position.end());
      rows.push_back(std::move(row));
    }
    const bool noCase = code == FlexGrid::kSortStringNoCaseAscending || code == FlexGrid::kSortStringNoCaseDescending;
    const bool descending = code == FlexGrid::kSortStringNoCaseDescending || code == FlexGrid::kSortStringDescending;
    Table expected = rows;
    std::stable_sort(expected.begin(), expected.end(), [&](const auto& a, const auto& b) {
      for (int c = 0; c < keyCols; ++c) {
        const std::weak_ordering o = noCase ? CompareIgnoringCase(a[c], b[c]) : std::weak_ordering(a[c] <=> b[c]);
        if (o != 0) return descending ? o > 0 : o < 0;
      }
      return false;
    });
    TableGrid grid(rows, 0);
    SortBy(grid, 0, keyCols - 1, code);
    ASSERT_EQ(TableOf(grid), expected) << "round " << round << ", code " << code << ", " << keyCols << " keys";
  }
}

// Keys of digits alone, one length per column, are sorted as numbers packed
// with the row's place. Against a plain stable sort of the texts: many
// ties, one to three columns, widths from one digit to nineteen (too wide to
// pack: the text sort then serves), both directions.
TEST(Sort, DigitKeysSortAsTheirTextsDo) {
  std::mt19937 random(13);
  for (int round = 0; round < 60; ++round) {
    const std::size_t k = 1 + round % 3;
    std::vector<std::size_t> widths(k);
    for (std::size_t& width : widths) width = 1 + random() % (round < 40 ? 10 : 19);
    const bool descending = round % 2 == 1;
    const std::size_t n = 1 + random() % 400;
    std::vector<std::u16string> texts;
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t j = 0; j < k; ++j) {
        std::u16string key;
        for (std::size_t d = 0; d < widths[j]; ++d) key += static_cast<char16_t>(u'0' + random() % (d == 0 ? 3 : 10));
        texts.push_back(key);
      }
    }
    const std::vector<std::u16string_view> keys(texts.begin(), texts.end());
    std::vector<std::size_t> expected(n);
    std::iota(expected.begin(), expected.end(), std::size_t{0});
    std::stable_sort(expected.begin(), expected.end(), [&](std::size_t a, std::size_t b) {
      for (std::size_t j = 0; j < k; ++j) {
        const auto o = keys[a * k + j] <=> keys[b * k + j];
        if (o != 0) return descending ? o > 0 : o < 0;
      }
      return false;
    });
    for (const TextOrder order : {TextOrder::IgnoringCase, TextOrder::CodeUnits})
      ASSERT_EQ(SortedRows(keys, k, order, descending), expected) << "round " << round;
  }
}

TEST(Sort, BackColoursTravelWithTheirRows) {
  TableGrid grid({{u"h", u""}, {u"b", u"2"}, {u"a", u"1"}}, 1);
  grid.SetRow(1);
  grid.SetCol(1);
  grid.SetCellBackColor(0xFFC0FF);  // on row "b"
  SortBy(grid, 0, 0, FlexGrid::kSortStringNoCaseAscending);
  EXPECT_EQ(grid.TextMatrix(2, 0), u"b");
  EXPECT_EQ(grid.CellBackColor(2, 1), GridColor{0xFFC0FF});
  EXPECT_EQ(grid.CellBackColor(1, 1), std::nullopt);
}

}  // namespace
}  // namespace pellora
