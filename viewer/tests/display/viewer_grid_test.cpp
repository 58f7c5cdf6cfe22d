// The display grid: its set-up, sort rows merged into one row per person and
// month (insurer numbers compared by value, the later value of a kind
// winning), the values' decimal text, and the user's re-sort.

#include <gtest/gtest.h>

#include "tests/display/claim_display.h"

namespace pellora {
namespace {

using testing::ClaimDisplay;
using testing::ClaimFile;
using testing::Record;
using testing::Record8121;
using testing::Record8221;
using testing::ServiceDetail;
using testing::ServiceSummary;
using testing::Table;

// Columns 1 to 8 of the data rows: 年月, 被保険者番号, 保険者番号, 氏名, and
// the four service kinds.
Table DisplayRows(const frmPellora& w) { return testing::TableOf(testing::ViewerGrid(w), 1, 1, 8); }

Table DisplayRowsOf(const std::vector<Record>& data) {
  ClaimDisplay display;
  display.Show(ClaimFile(data));
  return DisplayRows(display.window());
}

TEST(InitViewerGrid, GivesTheHeadingsAndWidths) {
  ClaimDisplay display;  // start-up has run InitViewerGrid
  const FlexGrid& g = display.window().vsfViewer();
  EXPECT_EQ(g.Rows(), 1);
  EXPECT_EQ(g.Cols(), 9);
  EXPECT_EQ(g.FixedRows(), 1);
  EXPECT_EQ(g.FixedCols(), 1);
  EXPECT_EQ(testing::TableOf(g, 0, 0, 8),
            (Table{{u"", u"年月", u"被保険者番号", u"保険者番号", u"氏名", u"　訪問看護　", u"予防訪問看護",
                    u"　居宅療養　", u"予防居宅療養"}}));
  const int widths[] = {FlexGrid::kDefaultColWidth, 1000, 1000, 0, 1500, FlexGrid::kDefaultColWidth,
                        FlexGrid::kDefaultColWidth, FlexGrid::kDefaultColWidth, FlexGrid::kDefaultColWidth};
  for (int c = 0; c < 9; ++c) EXPECT_EQ(g.ColWidth(c), widths[c]) << c;
}

TEST(InitViewerGrid, PreparesAGridThatHeldAFileAgain) {
  ClaimDisplay display;
  frmPellora& w = display.window();
  display.Show(ClaimFile({ServiceDetail("7131", "10", "202404", "131011", "1000000001", "13", "1")}));
  ASSERT_EQ(testing::ViewerGrid(w).Rows(), 2);
  testing::ViewerGrid(w).SetColWidth(3, 500);
  EXPECT_TRUE(InitViewerGrid(testing::ViewerGrid(w)));
  EXPECT_EQ(testing::ViewerGrid(w).Rows(), 1);
  EXPECT_EQ(testing::ViewerGrid(w).Cols(), 9);
  EXPECT_EQ(testing::ViewerGrid(w).ColWidth(3), 0);
}

TEST(BuildViewerGrid, MergesSortRowsIntoOneRowPerPersonAndMonth) {
  const struct {
    const char* name;
    std::vector<Record> data;
    Table rows;
  } cases[] = {
      {"no sort rows: the heading row only", {}, {}},
      {"two kinds of one person and month fill one row",
       {ServiceDetail("7131", "10", "202404", "131011", "1000000001", "13", "300"),
        ServiceDetail("7131", "10", "202404", "131011", "1000000001", "63", "120")},
       {{u"2024年04月", u"1000000001", u"131011", u"", u"300", u"120", u"", u""}}},
      {"all four kinds, in the columns of their codes",
       {ServiceDetail("7132", "10", "202404", "131011", "1000000001", "34", "4"),
        ServiceDetail("7131", "10", "202404", "131011", "1000000001", "31", "3"),
        ServiceDetail("7131", "10", "202404", "131011", "1000000001", "63", "2"),
        ServiceDetail("7131", "10", "202404", "131011", "1000000001", "13", "1")},
       {{u"2024年04月", u"1000000001", u"131011", u"", u"1", u"2", u"3", u"4"}}},
      {"the later value of the same kind wins",
       {ServiceDetail("7131", "10", "202404", "131011", "1000000001", "13", "300"),
        ServiceDetail("7132", "10", "202404", "131011", "1000000001", "13", "450")},
       {{u"2024年04月", u"1000000001", u"131011", u"", u"450", u"", u"", u""}}},
      {"another insurer is another row",
       {ServiceDetail("7131", "10", "202404", "012345", "1000000001", "13", "1"),
        ServiceDetail("7131", "10", "202404", "012346", "1000000001", "13", "2")},
       {{u"2024年04月", u"1000000001", u"012345", u"", u"1", u"", u"", u""},
        {u"2024年04月", u"1000000001", u"012346", u"", u"2", u"", u"", u""}}},
      {"another month is another row",
       {ServiceDetail("7131", "10", "202404", "131011", "1000000001", "13", "1"),
        ServiceDetail("7131", "10", "202403", "131011", "1000000001", "13", "2")},
       {{u"2024年03月", u"1000000001", u"131011", u"", u"2", u"", u"", u""},
        {u"2024年04月", u"1000000001", u"131011", u"", u"1", u"", u"", u""}}},
      {"an 8121 record makes a row without a service cell", {Record8121("10", "202404", "131011", "1000000001")},
       {{u"2024年04月", u"1000000001", u"131011", u"", u"", u"", u"", u""}}},
      {"an 8121 record continues the row of its person",
       {Record8121("10", "202404", "131011", "1000000001"),
        ServiceDetail("7131", "10", "202404", "131011", "1000000001", "13", "5")},
       {{u"2024年04月", u"1000000001", u"131011", u"", u"5", u"", u"", u""}}},
      {"an unknown service kind writes no cell",
       {ServiceDetail("7131", "10", "202404", "131011", "1000000001", "99", "5"),
        ServiceDetail("7131", "10", "202404", "131011", "1000000001", " 13", "6")},
       {{u"2024年04月", u"1000000001", u"131011", u"", u"", u"", u"", u""}}},
      {"records without a value show 0",
       {ServiceSummary("7141", "10", "202404", "131011", "1000000001", "13"),
        ServiceSummary("7151", "10", "202404", "131011", "1000000001", "31")},
       {{u"2024年04月", u"1000000001", u"131011", u"", u"0", u"", u"0", u""}}},
      {"a benefit-management file shows 0 for every kind present",
       {Record8221("01", "202404", "131011", "1000000001", "13"),
        Record8221("01", "202404", "131011", "1000000001", "34"),
        Record8221("99", "202404", "131011", "1000000001", "63"),
        Record8221("01", "202404", "131011", "1000000002", "63")},
       {{u"2024年04月", u"1000000001", u"131011", u"", u"0", u"", u"", u"0"},
        {u"2024年04月", u"1000000002", u"131011", u"", u"", u"0", u"", u""}}},
      {"short year-months",
       {ServiceDetail("7131", "10", "2024", "131011", "1000000001", "13", "1"),
        ServiceDetail("7131", "10", "", "131011", "1000000002", "13", "2")},
       {{u"年月", u"1000000002", u"131011", u"", u"2", u"", u"", u""},
        {u"2024年月", u"1000000001", u"131011", u"", u"1", u"", u"", u""}}},
  };
  for (const auto& c : cases) {
    const Table rows = DisplayRowsOf(c.data);
    EXPECT_EQ(rows, c.rows) << c.name << "\n" << testing::Printed(rows);
  }
}

TEST(BuildViewerGrid, WritesValuesAsPlainDecimalText) {
  const struct {
    std::string value;
    std::u16string shown;
  } cases[] = {
      {"000120", u"120"}, {"", u"0"},        {"12.50", u"12.5"}, {"abc", u"0"},
      {"1 200", u"1200"}, {"-5", u"-5"},     {"0.5", u"0.5"},    {"12345678", u"12345678"},
  };
  for (const auto& c : cases) {
    const Table rows = DisplayRowsOf({ServiceDetail("7131", "10", "202404", "131011", "1000000001", "13", c.value)});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][4], c.shown) << c.value;
  }
}

TEST(BuildViewerGrid, ComparesInsurerNumbersByValue) {
  // Six-digit forms always agree in text and value once extracted, so the
  // service records are given directly here: records whose insurer texts
  // differ but whose values agree belong to one display row, the later text
  // shown.
  ClaimDisplay display;
  frmPellora& w = display.window();
  const Table sortRows = {
      {u"7131", u"202404", u"1000000001", u"012345", u"13", u"1"},
      {u"7131", u"202404", u"1000000001", u"12345", u"63", u"2"},
      {u"7131", u"202404", u"1000000001", u"12345.0", u"31", u"3"},
      {u"7131", u"202404", u"1000000001", u"12346", u"34", u"4"},
      {u"7131", u"202404", u"1000000002", u"12346", u"34", u"5"},
  };
  ClaimView claim;
  for (const auto& row : sortRows) AddServiceRecord(claim, {row[0], row[1], row[2], row[3], row[4], row[5], u"", u""});
  BuildViewerGrid(claim);
  ShowViewerRows(claim, testing::ViewerGrid(w));
  EXPECT_EQ(DisplayRows(w), (Table{
                                {u"2024年04月", u"1000000001", u"12345.0", u"", u"1", u"2", u"3", u""},
                                {u"2024年04月", u"1000000001", u"12346", u"", u"", u"", u"", u"4"},
                                {u"2024年04月", u"1000000002", u"12346", u"", u"", u"", u"", u"5"},
                            }))
      << testing::Printed(DisplayRows(w));
  EXPECT_EQ(testing::ViewerGrid(w).Row(), 0);
  EXPECT_EQ(testing::ViewerGrid(w).Col(), 0);
}

// A display of four persons in two months, with values that sort
// differently as numbers and as text.
std::vector<Record> FourPersons() {
  return ClaimFile({
      ServiceDetail("7131", "10", "202404", "131011", "1000000003", "13", "1200"),
      ServiceDetail("7131", "10", "202404", "131011", "1000000001", "13", "300"),
      ServiceDetail("7131", "10", "202404", "131011", "1000000002", "31", "90"),
      ServiceDetail("7131", "10", "202403", "131011", "1000000004", "13", "45"),
  });
}

TEST(SortViewerByColumn, ReordersTheDataRowsByTheClickedColumn) {
  const struct {
    int column;
    std::vector<std::u16string> insuredInOrder;
  } cases[] = {
      {2, {u"1000000001", u"1000000002", u"1000000003", u"1000000004"}},
      // Values as numbers (45 < 300 < 1200), empty cells after them.
      {5, {u"1000000004", u"1000000001", u"1000000003", u"1000000002"}},
      {1, {u"1000000004", u"1000000001", u"1000000002", u"1000000003"}},
  };
  for (const auto& c : cases) {
    ClaimDisplay display;
    frmPellora& w = display.window();
    display.Show(FourPersons());
    const Table totals = testing::TableOf(testing::TotalGrid(w), 0, 0, 3);
    const Table headings = testing::TableOf(testing::ViewerGrid(w), 0, 0, 8);
    testing::ViewerGrid(w).SetRow(2);
    w.vsfViewer_HeadingClick(c.column);

    std::vector<std::u16string> insured;
    for (int r = 1; r < testing::ViewerGrid(w).Rows(); ++r) insured.push_back(testing::ViewerGrid(w).TextMatrix(r, 2));
    EXPECT_EQ(insured, c.insuredInOrder) << "column " << c.column;
    EXPECT_EQ(testing::TableOf(testing::ViewerGrid(w), 0, 0, 8).front(), headings.front());
    EXPECT_EQ(testing::TableOf(testing::TotalGrid(w), 0, 0, 3), totals);  // the totals are left alone
    EXPECT_EQ(testing::ViewerGrid(w).Row(), 0);
    EXPECT_EQ(testing::ViewerGrid(w).ColSel(), c.column);
  }
}

TEST(SortViewerByColumn, RunsOnAHeadingClickAndCarriesNameColours) {
  ClaimDisplay display;
  frmPellora& w = display.window();
  display.Show(FourPersons());
  // Colour the name cell of person 1000000001 as the name look-up would.
  for (int r = 1; r < testing::ViewerGrid(w).Rows(); ++r) {
    if (testing::ViewerGrid(w).TextMatrix(r, 2) != u"1000000001") continue;
    testing::ViewerGrid(w).SetRow(r);
    testing::ViewerGrid(w).SetCol(4);
    testing::ViewerGrid(w).SetCellBackColor(Rgb(192, 255, 255));
  }
  w.vsfViewer_HeadingClick(2);  // the user's gesture in the view
  ASSERT_EQ(testing::ViewerGrid(w).TextMatrix(1, 2), u"1000000001");
  EXPECT_EQ(testing::ViewerGrid(w).CellBackColor(1, 4), Rgb(192, 255, 255));
  for (int r = 2; r < testing::ViewerGrid(w).Rows(); ++r) EXPECT_FALSE(testing::ViewerGrid(w).CellBackColor(r, 4).has_value()) << r;
}

}  // namespace
}  // namespace pellora
