// What a grid tells assistive technology, read from the display grid as
// start-up and the display draw it: the table's rows and the cells the
// window shows, heading cells as headings, each name cell's look-up as its
// description, and the current cell.

#include <gtest/gtest.h>

#include "claim/display_columns.h"
#include "display/viewer_grid.h"
#include "display/grid_accessibility.h"

namespace pellora {
namespace {

DisplayRow Person(std::u16string yearMonth, std::u16string insured, std::u16string name, LookupOutcome outcome) {
  DisplayRow row;
  row.yearMonth = std::move(yearMonth);
  row.insured = std::move(insured);
  row.insurer = u"131011";
  row.name = std::move(name);
  row.nameOutcome = outcome;
  return row;
}

ClaimView TwoPersons() {
  ClaimView claim;
  claim.rows.push_back(Person(u"2024年04月", u"0000000001", u"山田　花子", LookupOutcome::Found));
  claim.rows.push_back(Person(u"2024年04月", u"0000000002", u"", LookupOutcome::NotFound));
  claim.rows.push_back(Person(u"2024年03月", u"0000000003", u"", LookupOutcome::Unavailable));
  return claim;
}

TEST(GridAccessibility, TheDisplayGridAsATableOfItsShownCells) {
  FlexGrid viewer;
  ASSERT_TRUE(InitViewerGrid(viewer));
  const ClaimView claim = TwoPersons();
  ShowViewerRows(claim, viewer);
  const GridAccessibility table(viewer, u"一覧", &claim);

  EXPECT_EQ(table.Table().role, AccessibleRole::Table);
  EXPECT_EQ(table.Table().name, u"一覧");
  EXPECT_EQ(table.Rows(), 4);
  // The row marks and the hidden insurer number are not there to read.
  EXPECT_EQ(table.Cells(), viewer.Cols() - 2);
  EXPECT_EQ(table.CellOf(0), -1);
  EXPECT_EQ(table.CellOf(viewer_col::kInsurer), -1);
  const int name = table.CellOf(viewer_col::kName);
  ASSERT_GE(name, 0);
  EXPECT_EQ(table.ColumnOf(name), viewer_col::kName);

  const struct {
    int row;
    AccessibleRole role;
    std::u16string_view description;
  } cases[] = {
      {0, AccessibleRole::ColumnHeader, kHeadingDescription},
      {1, AccessibleRole::Cell, kNameFound},
      {2, AccessibleRole::Cell, kNameNotFound},
      {3, AccessibleRole::Cell, kNameUnavailable},
  };
  for (const auto& c : cases) {
    const AccessibleItem cell = table.Cell(c.row, name);
    EXPECT_EQ(cell.role, c.role) << c.row;
    EXPECT_EQ(cell.name, viewer.TextMatrix(c.row, viewer_col::kName)) << c.row;
    EXPECT_EQ(cell.description, c.description) << c.row;
    // Only the name cells carry a look-up.
    if (c.row > 0) {
      EXPECT_EQ(table.Cell(c.row, table.CellOf(viewer_col::kInsured)).description, u"") << c.row;
    }
  }
  EXPECT_EQ(table.Row(1).name, u"2024年04月 0000000001 山田　花子");
  EXPECT_EQ(table.Row(0).description, kHeadingDescription);
}

TEST(GridAccessibility, TheCurrentCellAndTheSelection) {
  FlexGrid viewer;
  ASSERT_TRUE(InitViewerGrid(viewer));
  const ClaimView claim = TwoPersons();
  ShowViewerRows(claim, viewer);
  const GridAccessibility table(viewer, u"一覧", &claim);
  // The display leaves the current cell in the headings: no cell is current.
  viewer.SetRow(0);
  EXPECT_FALSE(table.Current());

  viewer.SetRow(2);
  viewer.SetCol(viewer_col::kName);
  viewer.SetRowSel(3);
  const int name = table.CellOf(viewer_col::kName);
  ASSERT_TRUE(table.Current());
  EXPECT_EQ(*table.Current(), std::pair(2, name));
  EXPECT_TRUE(table.Cell(2, name).current);
  EXPECT_TRUE(table.Row(2).current);
  EXPECT_FALSE(table.Row(3).current);
  EXPECT_TRUE(table.Cell(3, name).selected);
  EXPECT_FALSE(table.Cell(1, name).selected);
  EXPECT_FALSE(table.Cell(3, table.CellOf(viewer_col::kYearMonth)).selected);
  // A current cell in a hidden column is none to tell of.
  viewer.SetCol(viewer_col::kInsurer);
  EXPECT_FALSE(table.Current());
}

// A grid whose rows are not the claim's (another file's rows drawn, the
// claim not yet swapped) says nothing of look-ups rather than a wrong one.
TEST(GridAccessibility, NoLookUpWhereTheRowsAreNotTheClaims) {
  FlexGrid viewer;
  ASSERT_TRUE(InitViewerGrid(viewer));
  ClaimView claim = TwoPersons();
  ShowViewerRows(claim, viewer);
  claim.rows.pop_back();
  const GridAccessibility table(viewer, u"一覧", &claim);
  EXPECT_EQ(table.Cell(1, table.CellOf(viewer_col::kName)).description, u"");
  EXPECT_EQ(GridAccessibility(viewer, u"").Cell(1, table.CellOf(viewer_col::kName)).description, u"");
}

}  // namespace
}  // namespace pellora
