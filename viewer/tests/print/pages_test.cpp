// The display on paper: claims of every size laid out on sheets of several
// sizes, each page drawn and read back as the texts and boxes a printer
// would get. The text measure stands in for a font: a half-width character
// half as wide as its size, any other as wide.

#include "print/pages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <tuple>

#include "claim/display_columns.h"
#include "display/viewer_grid.h"
#include "tests/display/claim_display.h"
#include "text/number_text.h"

namespace pellora::print {
namespace {

double FakeWidth(std::u16string_view text, const Font& font) {
  double width = 0;
  for (char16_t c : text) width += c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F) ? 0.5 : 1.0;
  return width * font.size * (font.bold ? 1.05 : 1.0);
}

// The window's widths in pixels: the fixed column, 年月, 被保険者番号, the
// hidden insurer, 氏名 and the four service kinds.
constexpr int kWindowWidths[] = {13, 67, 80, 0, 100, 80, 80, 80, 80};
constexpr common::CivilDate kPrinted{2026, 12, 9};

std::shared_ptr<ClaimView> ClaimOf(std::size_t rows, std::size_t months = 1) {
  auto claim = std::make_shared<ClaimView>();
  claim->file = u"/home/clerk/claims/202404/kaigo.csv";
  claim->kind = claim::FileKind::CareFeeClaim;
  claim->yearMonthCaption = YearMonthCaption::Processing;
  claim->yearMonth = u"2024年05月";
  claim->providerNumber = u"1371234567";
  claim->providerName = u"訪問看護ステーション";
  claim->providerOutcome = LookupOutcome::Found;
  for (std::size_t i = 0; i < rows; ++i) {
    DisplayRow row;
    row.yearMonth = u"2024年04月";
    row.insured = u"H" + DecimalText(static_cast<std::int64_t>(100000 + i));
    row.insurer = u"131011";
    row.name = u"氏名" + DecimalText(static_cast<std::int64_t>(i));
    row.nameOutcome = LookupOutcome::Found;
    row.services[0] = 300;
    claim->rows.push_back(std::move(row));
  }
  for (std::size_t m = 0; m < months; ++m)
    claim->totals.push_back({u"2024/" + DecimalText(static_cast<std::int64_t>(m + 1)), 3, 2, 1});
  return claim;
}

Pages LayOut(std::shared_ptr<ClaimView> claim, const Sheet& sheet = SheetOf({})) {
  return Pages::LayOut(std::move(claim), kWindowWidths, sheet, FakeWidth, kPrinted);
}

bool Draws(const PageDrawing& page, std::u16string_view text) {
  return std::ranges::any_of(page.texts, [&](const Text& t) { return t.text == text; });
}

const Text* TextStartingWith(const PageDrawing& page, std::u16string_view start) {
  for (const Text& t : page.texts)
    if (t.text.starts_with(start)) return &t;
  return nullptr;
}

// Every page of a layout, drawn: each display row's insured number on one
// page alone, in order; the header band and the headings on every page that
// shows rows; nothing below the footer's top or off the paper.
void ExpectWholeAndInOrder(const Pages& pages, const ClaimView& claim) {
  std::size_t next = 0;
  for (int p = 0; p < pages.Count(); ++p) {
    SCOPED_TRACE("page " + std::to_string(p + 1));
    const PageDrawing page = pages.Draw(p);
    EXPECT_TRUE(Draws(page, claim::KindText(claim.kind)));
    EXPECT_TRUE(Draws(page, u"印刷日 2026年12月09日"));
    EXPECT_TRUE(Draws(page, u"kaigo.csv"));
    EXPECT_TRUE(Draws(page, DecimalText(std::int64_t{p + 1}) + u" / " + DecimalText(std::int64_t{pages.Count()}) +
                                u" ページ"));
    const Pages::RowRange rows = pages.RowsOn(p);
    EXPECT_EQ(rows.first, next);
    if (rows.count > 0) {
      EXPECT_TRUE(Draws(page, u"被保険者番号"));
    }
    for (std::size_t r = rows.first; r < rows.first + rows.count; ++r) EXPECT_TRUE(Draws(page, claim.rows[r].insured));
    next += rows.count;
    const Text* footer = TextStartingWith(page, DecimalText(std::int64_t{p + 1}) + u" / ");
    ASSERT_NE(footer, nullptr);
    for (const Text& t : page.texts) {
      if (&t == footer) continue;
      EXPECT_LE(t.box.bottom(), footer->box.top + 1e-9) << std::string(t.text.begin(), t.text.end());
      EXPECT_GE(t.box.left, 0);
      EXPECT_LE(t.box.right(), pages.sheet().width + 1e-9);
    }
  }
  EXPECT_EQ(next, claim.rows.size());
  // The totals after the last row, and the legend last of all.
  EXPECT_TRUE(pages.LegendOn(pages.Count() - 1));
  if (!claim.totals.empty()) {
    const Pages::RowRange last = pages.TotalsOn(pages.Count() - 1);
    EXPECT_EQ(last.first + last.count, claim.totals.size());
    EXPECT_GT(last.count, 0u);
  }
}

TEST(Pages, EveryRowOnOnePageInOrderWithTheHeaderOnEvery) {
  // How many rows one A4 landscape page holds, from a layout of many.
  const std::size_t perPage = LayOut(ClaimOf(500)).RowsOn(0).count;
  ASSERT_GT(perPage, 10u);
  const struct {
    std::size_t rows;
    int pages;
  } cases[] = {
      {1, 1}, {perPage - 3, 1}, {perPage + 1, 2}, {perPage * 3, 4}, {perPage * 7 + 5, 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.rows) + " rows");
    const auto claim = ClaimOf(c.rows);
    const Pages pages = LayOut(claim);
    // Full pages of rows; the totals and legend go where there is room, or
    // on a page of their own after a full one.
    EXPECT_GE(pages.Count(), c.pages);
    EXPECT_LE(pages.Count(), c.pages + 1);
    ExpectWholeAndInOrder(pages, *claim);
  }
}

// A file with warnings says so on every page, below the header band and
// above the headings, and its pages hold fewer rows for it.
TEST(Pages, EveryPageCarriesTheWarningsBelowTheHeaderBand) {
  const auto plain = ClaimOf(200);
  const auto warned = ClaimOf(200);
  warned->warnings = {{"record-count", u"コントロールレコードのレコード件数が一致しません。"},
                      {"no-end-record", u"エンドレコードがありません。"}};
  const Pages pages = LayOut(warned);
  ExpectWholeAndInOrder(pages, *warned);
  EXPECT_LT(pages.RowsOn(0).count, LayOut(plain).RowsOn(0).count);
  for (int p = 0; p < pages.Count(); ++p) {
    const PageDrawing page = pages.Draw(p);
    const Text* file = TextStartingWith(page, u"kaigo.csv");
    const Text* first = TextStartingWith(page, u"警告: コントロールレコード");
    const Text* second = TextStartingWith(page, u"警告: エンドレコード");
    ASSERT_TRUE(file && first && second) << p;
    EXPECT_LT(file->box.top, first->box.top) << p;
    EXPECT_LT(first->box.top, second->box.top) << p;
    if (const Text* heading = TextStartingWith(page, u"被保険者番号")) {
      EXPECT_LE(second->box.bottom(), heading->box.top);
    }
  }
}

TEST(Pages, TotalsContinueOnTheNextPageWithTheirHeadings) {
  const auto claim = ClaimOf(1, 120);
  const Pages pages = LayOut(claim);
  ASSERT_GE(pages.Count(), 2);
  std::size_t months = 0;
  for (int p = 0; p < pages.Count(); ++p) {
    const Pages::RowRange totals = pages.TotalsOn(p);
    EXPECT_EQ(totals.first, months);
    months += totals.count;
    if (totals.count > 0) {
      EXPECT_TRUE(Draws(pages.Draw(p), u"月分")) << p;
    }
  }
  EXPECT_EQ(months, 120u);
  ExpectWholeAndInOrder(pages, *claim);
}

TEST(Pages, ColumnsFillANarrowSheetInTheWindowsProportions) {
  const struct {
    PageSetup setup;
    bool smallerFont;
  } cases[] = {
      {{Paper::A4, Orientation::Landscape}, false},
      {{Paper::A3, Orientation::Portrait}, false},
      {{Paper::A5, Orientation::Portrait}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.setup.paper == Paper::A5 ? "A5" : "A4 or A3");
    const Pages pages = LayOut(ClaimOf(3), SheetOf(c.setup));
    const auto columns = pages.Columns();
    ASSERT_EQ(columns.size(), 7u);  // neither the fixed column nor the hidden insurer
    EXPECT_EQ(columns[3].gridColumn, viewer_col::kFirstService);
    const double first = columns.front().left, last = columns.back().left + columns.back().width;
    EXPECT_NEAR(last - first, pages.sheet().width - 2 * 10 * kPointsPerMillimetre, 1e-6);
    for (const Pages::Column& column : columns)
      EXPECT_NEAR(column.width / columns[0].width,
                  static_cast<double>(kWindowWidths[column.gridColumn]) / kWindowWidths[viewer_col::kYearMonth], 1e-9);
    // Every heading and every number fits its box at the grid's size.
    for (const Text& t : pages.Draw(0).texts)
      if (t.font.face == Face::Grid && (t.font.bold || IsNumberText(t.text) || t.text.ends_with(u"月"))) {
        EXPECT_LE(FakeWidth(t.text, t.font), t.box.width) << std::string(t.text.begin(), t.text.end());
      }
    EXPECT_EQ(pages.GridFontSize() < 9, c.smallerFont);
  }
}

TEST(Pages, AnEmptyDisplayIsOnePageThatSaysSo) {
  auto claim = ClaimOf(0, 0);
  claim->providerOutcome = LookupOutcome::NotLookedUp;
  const Pages pages = LayOut(claim);
  ASSERT_EQ(pages.Count(), 1);
  const PageDrawing page = pages.Draw(0);
  EXPECT_TRUE(Draws(page, kNoRowsText));
  EXPECT_TRUE(Draws(page, u"1 / 1 ページ"));
  EXPECT_TRUE(Draws(page, u"被保険者番号"));
  EXPECT_FALSE(pages.LegendOn(0));  // nothing was looked up: no tints to explain
}

TEST(Pages, NameCellsCarryAMarkBesideTheirTint) {
  auto claim = ClaimOf(3);
  claim->rows[1].name.clear();
  claim->rows[1].nameOutcome = LookupOutcome::NotFound;
  claim->rows[2].name.clear();
  claim->rows[2].nameOutcome = LookupOutcome::Unavailable;
  claim->providerName.clear();
  claim->providerOutcome = LookupOutcome::Unavailable;
  const Pages pages = LayOut(claim);
  const PageDrawing page = pages.Draw(0);
  EXPECT_TRUE(Draws(page, u"氏名0"));
  // The provider's name in the header and row 2's name cell.
  EXPECT_EQ(std::ranges::count_if(page.texts, [](const Text& t) { return t.text == kFailedMark; }), 2);
  const Text* notFound = TextStartingWith(page, kNotFoundMark);
  ASSERT_NE(notFound, nullptr);
  // Each tint lies behind its cell, and the three differ.
  std::map<std::tuple<int, int, int>, int> tints;
  const Pages::Column& name = pages.Columns()[2];
  ASSERT_EQ(name.gridColumn, viewer_col::kName);
  for (const Fill& fill : page.fills)
    if (fill.box.left == name.left && fill.box.width == name.width) ++tints[{fill.colour.red, fill.colour.green, fill.colour.blue}];
  EXPECT_EQ(tints.size(), 3u);
  EXPECT_TRUE(pages.LegendOn(0));
  EXPECT_NE(TextStartingWith(page, u"＊ "), nullptr);  // the legend explains the mark
}

TEST(Pages, KeepsWithinWhatTheDevicePrints) {
  Sheet sheet = SheetOf({});
  sheet.printable = {40, 50, sheet.width - 80, sheet.height - 120};
  const Pages pages = LayOut(ClaimOf(200), sheet);
  for (int p = 0; p < pages.Count(); ++p)
    for (const Text& t : pages.Draw(p).texts) {
      EXPECT_GE(t.box.left, 40 - 1e-9);
      EXPECT_GE(t.box.top, 50 - 1e-9);
      EXPECT_LE(t.box.right(), sheet.printable.right() + 1e-9);
      EXPECT_LE(t.box.bottom(), sheet.printable.bottom() + 1e-9);
    }
}

TEST(Pages, ASheetTooSmallForARowStillEnds) {
  Sheet sheet{200, 120, {0, 0, 200, 120}};
  const auto claim = ClaimOf(5, 3);
  const Pages pages = LayOut(claim, sheet);
  EXPECT_EQ(pages.RowsOn(0).count, 1u);
  std::size_t rows = 0, months = 0;
  for (int p = 0; p < pages.Count(); ++p) rows += pages.RowsOn(p).count, months += pages.TotalsOn(p).count;
  EXPECT_EQ(rows, 5u);
  EXPECT_EQ(months, 3u);
}

TEST(PagesToPrint, TheDialogsRangeAndCopies) {
  const struct {
    int first, last, copies;
    bool collate;
    std::vector<int> pages;
  } cases[] = {
      {0, 0, 1, true, {0, 1, 2, 3, 4}},
      {2, 3, 2, true, {1, 2, 1, 2}},
      {2, 3, 2, false, {1, 1, 2, 2}},
      {4, 9, 1, true, {3, 4}},
      {6, 7, 1, true, {}},
      {3, 2, 1, true, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(PagesToPrint(5, c.first, c.last, c.copies, c.collate), c.pages);
}

TEST(Pages, PaperNames) {
  EXPECT_EQ(PaperNamed(u"a4"), Paper::A4);
  EXPECT_EQ(PaperNamed(u"LETTER"), Paper::Letter);
  EXPECT_EQ(PaperNamed(u"A6"), std::nullopt);
  const Sheet b5 = SheetOf({Paper::B5, Orientation::Portrait});
  EXPECT_NEAR(b5.width / kPointsPerMillimetre, 182, 1e-9);  // JIS B5, not ISO's 176
}

// The window's own display through its pages: the columns it shows, in its
// proportions, and the claim kept by the pages when the window moves on.
TEST(Pages, TheWindowsDisplayLaidOut) {
  using namespace pellora::testing;
  ClaimDisplay display;
  display.Show(ClaimFile({ServiceDetail("7131", "10", "202404", "131011", "H000000001", "13", "300")}));
  const Pages pages = display.window().DisplayPages(SheetOf({}), FakeWidth, kPrinted);
  ASSERT_EQ(pages.Count(), 1);
  ASSERT_EQ(pages.Columns().size(), 7u);
  const auto columns = pages.Columns();
  for (std::size_t c = 4; c < columns.size(); ++c) EXPECT_DOUBLE_EQ(columns[c].width, columns[3].width);
  EXPECT_GT(columns[2].width, columns[0].width);  // 氏名 is the widest of the window's first columns
  display.window().ClearClaimDisplay();
  EXPECT_TRUE(Draws(pages.Draw(0), u"H000000001"));
}

}  // namespace
}  // namespace pellora::print
