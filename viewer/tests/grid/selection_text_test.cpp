// The selection of a grid and the clipboard's two forms of it.

#include "grid/selection_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace pellora {
namespace {

// A display-like grid: a fixed empty column 0, a hidden column 3, numbers
// with leading zeros and a text HTML must escape.
class Selection : public ::testing::Test {
 protected:
  Selection() : grid({4, 5, 1, 1}) {
    const char16_t* rows[4][5] = {
        {u"", u"年月", u"番号", u"隠し", u"氏名"},
        {u"", u"2024年03月", u"0000000001", u"x1", u"髙橋 一郎"},
        {u"", u"2024年03月", u"0000000003", u"x3", u"A&B <C>"},
        {u"", u"2024年04月", u"0000009999", u"x9", u""},
    };
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 5; ++c) grid.SetTextMatrix(r, c, rows[r][c]);
    grid.SetColWidth(3, 0);
  }
  void Select(int row, int col, int rowSel, int colSel) {
    grid.SetRow(row);
    grid.SetCol(col);
    grid.SetRowSel(rowSel);
    grid.SetColSel(colSel);
  }
  FlexGrid grid;
};

TEST_F(Selection, AsTextLeavesHiddenColumnsOutAndHeadsWholeRows) {
  const struct {
    const char* what;
    int row, col, rowSel, colSel;
    std::u16string text;
  } cases[] = {
      {"one cell", 2, 2, 2, 2, u"0000000003\r\n"},
      {"corners either way round", 3, 2, 2, 1, u"2024年03月\t0000000003\r\n2024年04月\t0000009999\r\n"},
      {"across the hidden column", 1, 2, 1, 4, u"0000000001\t髙橋 一郎\r\n"},
      {"whole rows: the headings first", 2, 1, 3, 4,
       u"年月\t番号\t氏名\r\n2024年03月\t0000000003\tA&B <C>\r\n2024年04月\t0000009999\t\r\n"},
      {"whole rows with the heading row itself: once", 0, 1, 1, 4,
       u"年月\t番号\t氏名\r\n2024年03月\t0000000001\t髙橋 一郎\r\n"},
      {"the fixed column too", 1, 0, 1, 4, u"\t年月\t番号\t氏名\r\n\t2024年03月\t0000000001\t髙橋 一郎\r\n"},
  };
  for (const auto& c : cases) {
    Select(c.row, c.col, c.rowSel, c.colSel);
    EXPECT_EQ(SelectionAsText(grid), c.text) << c.what;
  }
}

TEST_F(Selection, AsHtmlMarksEveryCellAsTextAndEscapesIt) {
  Select(2, 2, 2, 4);
  const std::u16string html = SelectionAsHtml(grid);
  EXPECT_NE(html.find(u"<tr><td x:str style='mso-number-format:\"\\@\"'>0000000003</td>"), std::u16string::npos);
  EXPECT_NE(html.find(u">A&amp;B &lt;C&gt;</td></tr>"), std::u16string::npos);
  EXPECT_EQ(html.find(u"x3"), std::u16string::npos);
  EXPECT_EQ(html.find(u"番号"), std::u16string::npos);  // not whole rows: no headings
}

// Whole rows span the shown columns past the fixed one, whichever are
// hidden at either end; with none shown the selection stays as it was.
TEST_F(Selection, SelectRowsSpansTheShownColumnsOnly) {
  const struct {
    const char* what;
    std::vector<int> hidden;
    GridSelection selected;
  } cases[] = {
      {"the middle one hidden", {3}, {1, 1, 2, 4}},
      {"the first and last hidden", {1, 3, 4}, {1, 2, 2, 2}},
      {"none shown", {1, 2, 3, 4}, {3, 3, 3, 3}},
  };
  for (const auto& c : cases) {
    for (int col = 1; col < 5; ++col) grid.SetColWidth(col, FlexGrid::kDefaultColWidth);
    for (const int col : c.hidden) grid.SetColWidth(col, 0);
    Select(3, 3, 3, 3);
    SelectRows(grid, 2, 1);
    const GridSelection s = SelectionOf(grid);
    EXPECT_EQ((std::vector<int>{s.top, s.left, s.bottom, s.right}),
              (std::vector<int>{c.selected.top, c.selected.left, c.selected.bottom, c.selected.right}))
        << c.what;
  }
  EXPECT_EQ(grid.Row(), 3) << "none shown: the current cell stays";
  grid.SetColWidth(4, FlexGrid::kDefaultColWidth);
  SelectRows(grid, 2, 1);
  EXPECT_EQ(grid.Row(), 2) << "the first row named is the current one";
}

TEST_F(Selection, RowMovesRowSelAndBothStayInsideAShrunkGrid) {
  Select(1, 1, 3, 4);
  grid.SetRow(2);
  EXPECT_EQ(grid.RowSel(), 2);
  grid.SetRowSel(3);
  grid.SetRows(2);
  EXPECT_EQ(grid.Row(), 1);
  EXPECT_EQ(grid.RowSel(), 1);
  grid.SetRows(0);
  EXPECT_EQ(SelectionAsText(grid), u"");
}

}  // namespace
}  // namespace pellora
