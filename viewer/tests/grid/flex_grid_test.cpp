// The grid control's model: counts, cells, headings, widths, the current
// cell, colours, settings, the user event and what a view is told.

#include "grid/flex_grid.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace pellora {
namespace {

GridDesign Design(int rows, int cols, int fixedRows = 1, int fixedCols = 1) {
  return {rows, cols, fixedRows, fixedCols};
}

// Fills every cell with "r,c" so that moves and losses show.
void FillCoordinates(FlexGrid& grid) {
  for (int r = 0; r < grid.Rows(); ++r)
    for (int c = 0; c < grid.Cols(); ++c) {
      const std::string s = std::to_string(r) + "," + std::to_string(c);
      grid.SetTextMatrix(r, c, std::u16string(s.begin(), s.end()));
    }
}

int ErrorNumberOf(auto&& operation) {
  try {
    operation();
  } catch (const GridError& e) {
    return e.number();
  }
  return 0;
}

TEST(FlexGrid, RowAndColumnCountsAddEmptyCellsAtTheEndAndDropFromTheEnd) {
  FlexGrid grid(Design(3, 3));
  FillCoordinates(grid);
  grid.SetRows(5);
  grid.SetCols(4);
  EXPECT_EQ(grid.TextMatrix(2, 2), u"2,2");
  EXPECT_EQ(grid.TextMatrix(4, 1), u"");
  EXPECT_EQ(grid.TextMatrix(1, 3), u"");

  grid.SetRows(2);
  grid.SetCols(2);
  EXPECT_EQ(grid.TextMatrix(1, 1), u"1,1");
  grid.SetRows(3);
  grid.SetCols(3);
  // What was dropped does not come back.
  EXPECT_EQ(grid.TextMatrix(2, 2), u"");
  EXPECT_EQ(grid.TextMatrix(0, 2), u"");
  EXPECT_EQ(grid.TextMatrix(0, 1), u"0,1");

  grid.SetRows(0);
  EXPECT_EQ(grid.Rows(), 0);
  grid.SetCols(0);
  EXPECT_EQ(grid.Cols(), 0);
}

TEST(FlexGrid, BadCountsAndCellsAreGridErrors) {
  FlexGrid grid(Design(2, 2));
  const struct {
    const char* what;
    std::function<void()> operation;
    int number;
  } cases[] = {
      {"negative rows", [&] { grid.SetRows(-1); }, 380},
      {"negative cols", [&] { grid.SetCols(-1); }, 380},
      {"row beyond the grid", [&] { grid.TextMatrix(2, 0); }, 381},
      {"column beyond the grid", [&] { grid.SetTextMatrix(0, 2, u"x"); }, 381},
      {"negative row", [&] { grid.TextMatrix(-1, 0); }, 381},
      {"width of a missing column", [&] { grid.SetColWidth(2, 100); }, 381},
      {"width below -1", [&] { grid.SetColWidth(0, -2); }, 380},
      {"current row beyond the grid", [&] { grid.SetRow(2); }, 381},
      {"current column negative", [&] { grid.SetCol(-1); }, 381},
      {"unknown sort code", [&] { grid.SetSort(99); }, 380},
      {"more fixed rows than rows", [&] { grid.SetFixedRows(3); }, 380},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorNumberOf(c.operation), c.number) << c.what;
  try {
    grid.TextMatrix(5, 5);
  } catch (const GridError& e) {
    EXPECT_EQ(e.description(), u"プロパティ配列のインデックスが不正です。");
  }
}

TEST(FlexGrid, FormatStringGivesHeadingsAndTheColumnCount) {
  FlexGrid viewer(Design(1, 1));
  viewer.SetRows(1);
  viewer.SetCols(7);
  viewer.SetFormatString(u"|年月|被保険者番号|保険者番号|氏名|　訪問看護　|予防訪問看護|　居宅療養　|予防居宅療養");
  ASSERT_EQ(viewer.Cols(), 9);
  const std::u16string headings[] = {u"",     u"年月",         u"被保険者番号", u"保険者番号",  u"氏名",
                                     u"　訪問看護　", u"予防訪問看護", u"　居宅療養　", u"予防居宅療養"};
  for (int c = 0; c < 9; ++c) EXPECT_EQ(viewer.TextMatrix(0, c), headings[c]);

  FlexGrid total(Design(2, 1, 1, 0));
  total.SetTextMatrix(1, 0, u"kept");
  total.SetFormatString(u"月分|人数|サービス|ケアプラン");
  EXPECT_EQ(total.Cols(), 4);
  EXPECT_EQ(total.TextMatrix(0, 3), u"ケアプラン");
  EXPECT_EQ(total.TextMatrix(1, 0), u"kept");

  total.SetFormatString(u"a|b");  // fewer headings: fewer columns
  EXPECT_EQ(total.Cols(), 2);

  FlexGrid empty(Design(0, 0, 0, 0));
  empty.SetFormatString(u"x||z");
  EXPECT_EQ(empty.Rows(), 1);
  EXPECT_EQ(empty.TextMatrix(0, 1), u"");
  EXPECT_EQ(empty.TextMatrix(0, 2), u"z");
}

TEST(FlexGrid, ColumnWidthsInTwips) {
  FlexGrid grid(Design(1, 3));
  EXPECT_EQ(grid.ColWidth(1), FlexGrid::kDefaultColWidth);
  grid.SetColWidth(1, 1000);
  grid.SetColWidth(2, 0);  // hidden
  EXPECT_EQ(grid.ColWidth(1), 1000);
  EXPECT_EQ(grid.ColWidth(2), 0);
  grid.SetCols(2);
  grid.SetCols(3);
  EXPECT_EQ(grid.ColWidth(2), FlexGrid::kDefaultColWidth);  // a new column again
}

TEST(FlexGrid, CurrentCellAndSelection) {
  FlexGrid grid(Design(4, 4));
  EXPECT_EQ(grid.Row(), 1);  // the first cell that is not fixed
  EXPECT_EQ(grid.Col(), 1);
  grid.SetRow(0);
  grid.SetCol(1);
  grid.SetColSel(3);
  EXPECT_EQ(grid.Row(), 0);
  EXPECT_EQ(grid.ColSel(), 3);
  grid.SetCol(2);
  EXPECT_EQ(grid.ColSel(), 2);  // choosing a column starts a new selection

  grid.SetRow(3);
  grid.SetColSel(3);
  grid.SetRows(2);
  grid.SetCols(2);
  EXPECT_EQ(grid.Row(), 1);
  EXPECT_EQ(grid.Col(), 1);
  EXPECT_EQ(grid.ColSel(), 1);

  // The sort grid may be empty when its routine parks the current cell at 0.
  FlexGrid sortGrid(Design(0, 8, 0, 0));
  EXPECT_NO_THROW(sortGrid.SetRow(0));
  EXPECT_NO_THROW(sortGrid.SetCol(1));
  EXPECT_NO_THROW(sortGrid.SetColSel(3));
  EXPECT_NO_THROW(sortGrid.SetSort(FlexGrid::kSortStringNoCaseAscending));
}

TEST(FlexGrid, BackColourOfTheCurrentCell) {
  FlexGrid grid(Design(3, 5));
  grid.SetRow(2);
  grid.SetCol(4);
  grid.SetCellBackColor(0xC0FFFF);
  EXPECT_EQ(grid.CellBackColor(2, 4), GridColor{0xC0FFFF});
  EXPECT_EQ(grid.CellBackColor(2, 3), std::nullopt);
  grid.SetCellBackColor(0xFFC0FF);
  EXPECT_EQ(grid.CellBackColor(2, 4), GridColor{0xFFC0FF});

  grid.SetRows(2);
  grid.SetRows(3);
  EXPECT_EQ(grid.CellBackColor(2, 4), std::nullopt);  // went with its row

  FlexGrid empty(Design(0, 0, 0, 0));
  EXPECT_EQ(ErrorNumberOf([&] { empty.SetCellBackColor(1); }), 381);
}

// A column of one type of value lines its cells up whatever each holds; a
// column left to the control's general rule aligns each cell by its text.
TEST(FlexGrid, CellsAlignByTheirColumnOrElseByTheirText) {
  FlexGrid grid(Design(2, 3, 1, 0));
  grid.SetTextMatrix(1, 0, u"0012");
  grid.SetTextMatrix(1, 1, u"H012");
  grid.SetTextMatrix(1, 2, u"H012");
  grid.SetColAlignment(2, FlexGrid::Alignment::Right);
  EXPECT_EQ(grid.CellAlignment(1, 0), FlexGrid::Alignment::Right);
  EXPECT_EQ(grid.CellAlignment(1, 1), FlexGrid::Alignment::Left);
  EXPECT_EQ(grid.CellAlignment(1, 2), FlexGrid::Alignment::Right);
  grid.SetCols(4);  // a new column follows the general rule
  EXPECT_EQ(grid.ColAlignment(3), FlexGrid::Alignment::General);
  EXPECT_EQ(ErrorNumberOf([&] { grid.SetColAlignment(4, FlexGrid::Alignment::Left); }), 381);
}

struct RecordingListener : GridListener {
  std::vector<std::string> events;
  void RowsChanged(int before, int after) override {
    events.push_back("rows " + std::to_string(before) + "->" + std::to_string(after));
  }
  void ColsChanged(int before, int after) override {
    events.push_back("cols " + std::to_string(before) + "->" + std::to_string(after));
  }
  void CellChanged(int row, int col) override {
    events.push_back("cell " + std::to_string(row) + "," + std::to_string(col));
  }
  void RowsReordered(int first) override { events.push_back("reordered from " + std::to_string(first)); }
  void LayoutChanged() override { events.push_back("layout"); }
  void CurrentCellChanged() override { events.push_back("current"); }
  void RefreshRequested() override { events.push_back("refresh"); }
};

TEST(FlexGrid, ViewsAreToldOfEveryChange) {
  FlexGrid grid(Design(1, 1));
  RecordingListener view;
  grid.AddListener(&view);
  grid.SetRows(3);
  grid.SetCols(2);
  grid.SetTextMatrix(2, 1, u"b");
  grid.SetTextMatrix(1, 1, u"a");
  grid.SetColWidth(1, 500);
  grid.SetRow(1);
  grid.SetCol(1);
  grid.SetCellBackColor(0xFF);
  grid.SetSort(FlexGrid::kSortGenericDescending);
  grid.Refresh();
  grid.SetRows(3);  // no change, no news
  grid.RemoveListener(&view);
  grid.SetRows(1);
  const std::vector<std::string> expected = {
      "rows 1->3", "cols 1->2", "cell 2,1", "cell 1,1", "layout", "current", "current", "cell 1,1", "reordered from 1", "refresh"};
  EXPECT_EQ(view.events, expected);
}

// A deferred write is owed, not lost: the counts answer at once, the cells
// are written the first time anything else is asked, a shrinking SetRows
// asks only for the rows it keeps, and a second deferral pays the first.
TEST(FlexGrid, DeferredContentsAreWrittenWhenFirstNeeded) {
  struct Write {
    int calls = 0;
    int lastLimit = -1;
    FlexGrid::DeferredWrite For(int rows, std::u16string text) {
      return [this, rows, text](FlexGrid& grid, int rowLimit) {
        ++calls;
        lastLimit = rowLimit;
        grid.SetCols(3);
        grid.SetRows(std::max(grid.Rows(), rows));  // as a loaded file grows its grid
        for (int r = 0; r < std::min(rows, rowLimit); ++r) grid.SetTextMatrix(r, 2, text);
      };
    }
  };
  const struct {
    const char* what;
    std::function<void(FlexGrid&)> ask;
    int calls, lastLimit, rows;
    std::u16string row1;
  } cases[] = {
      {"counts only", [](FlexGrid& g) { (void)g.Rows(); (void)g.Cols(); }, 0, -1, 5, u"x"},
      {"a cell read", [](FlexGrid& g) { (void)g.TextMatrix(0, 0); }, 1, INT_MAX, 5, u"x"},
      {"fewer rows", [](FlexGrid& g) { g.SetRows(2); }, 1, 2, 2, u"x"},
      {"no rows", [](FlexGrid& g) { g.SetRows(0); }, 1, 0, 0, u""},
      {"a sort", [](FlexGrid& g) { g.SetSort(FlexGrid::kSortGenericAscending); }, 1, INT_MAX, 5, u"x"},
  };
  for (const auto& c : cases) {
    FlexGrid grid(Design(1, 1, 0, 0));
    Write write;
    grid.Defer(5, 3, write.For(5, u"x"));
    EXPECT_EQ(grid.Rows(), 5) << c.what;
    EXPECT_EQ(grid.Cols(), 3) << c.what;
    c.ask(grid);
    EXPECT_EQ(write.calls, c.calls) << c.what;
    EXPECT_EQ(write.lastLimit, c.lastLimit) << c.what;
    EXPECT_EQ(grid.Rows(), c.rows) << c.what;
    if (grid.Rows() > 1) {
      EXPECT_EQ(grid.TextMatrix(1, 2), c.row1) << c.what;
    }
    EXPECT_LE(write.calls, 1) << c.what << ": written once";
  }
  FlexGrid grid(Design(1, 1, 0, 0));
  Write first, second;
  grid.Defer(4, 3, first.For(4, u"first"));
  grid.Defer(4, 3, second.For(2, u"second"));
  EXPECT_EQ(first.calls, 1);  // written before the second took its place
  EXPECT_EQ(second.calls, 0);
  EXPECT_EQ(grid.TextMatrix(0, 2), u"second");
  EXPECT_EQ(grid.TextMatrix(3, 2), u"first");  // the grid only grew
}

TEST(FlexGrid, LongAndRepeatedTextsAreKeptExactly) {
  FlexGrid grid(Design(2, 3));
  const std::u16string longText(70000, u'長');  // needs the long length form
  grid.SetTextMatrix(1, 1, longText);
  grid.SetTextMatrix(1, 2, u"x");
  EXPECT_EQ(grid.TextMatrix(1, 1), longText);
  grid.SetTextMatrix(1, 1, u"short");
  EXPECT_EQ(grid.TextMatrix(1, 1), u"short");
  EXPECT_EQ(grid.TextMatrix(1, 2), u"x");
  grid.SetTextMatrix(0, 0, grid.TextMatrix(1, 1));
  EXPECT_EQ(grid.TextMatrix(0, 0), u"short");
  grid.SetTextMatrix(1, 1, u"");
  EXPECT_EQ(grid.TextMatrix(1, 1), u"");
}

// Cells written in any order, overwritten, cut and regrown behave exactly
// like a plain table of strings, across compactions.
TEST(FlexGrid, BehavesLikeAPlainTableUnderRandomEdits) {
  std::mt19937 random(12345);
  FlexGrid grid(Design(0, 0, 0, 0));
  std::vector<std::vector<std::u16string>> model;
  int cols = 0;
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  for (int step = 0; step < 60000; ++step) {
    const int op = pick(100);
    if (op < 3) {
      const int rows = pick(60);
      grid.SetRows(rows);
      model.resize(static_cast<std::size_t>(rows), std::vector<std::u16string>(static_cast<std::size_t>(cols)));
    } else if (op < 6) {
      cols = pick(40);
      grid.SetCols(cols);
      for (auto& row : model) row.resize(static_cast<std::size_t>(cols));
    } else if (model.empty() || cols == 0) {
      continue;
    } else if (op < 90) {
      const int r = pick(static_cast<int>(model.size()));
      const int c = pick(cols);
      std::u16string text(static_cast<std::size_t>(pick(4) == 0 ? 0 : pick(30)), u'a');
      for (auto& ch : text) ch = static_cast<char16_t>(u'a' + pick(26));
      grid.SetTextMatrix(r, c, text);
      model[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = text;
    } else {
      const int r = pick(static_cast<int>(model.size()));
      const int c = pick(cols);
      ASSERT_EQ(grid.TextMatrix(r, c), model[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]) << step;
    }
  }
  ASSERT_EQ(grid.Rows(), static_cast<int>(model.size()));
  for (int r = 0; r < grid.Rows(); ++r)
    for (int c = 0; c < cols; ++c) ASSERT_EQ(grid.TextMatrix(r, c), model[r][c]);
}

// Rows of a claim file, appended one at a time: the cell store stays within
// a small multiple of the text it holds, and gives its memory back when the
// grid is cut to its heading row.
TEST(FlexGrid, MemoryStaysCompact) {
  FlexGrid grid(Design(1, 1));
  const std::u16string fields[] = {u"2", u"00000123", u"7131", u"10", u"202403", u"1371234567", u"131045",
                                   u"1506391709", u"63", u"6829", u"135", u"1", u"0", u"0", u"0", u"006813"};
  std::size_t csvBytes = 0;
  for (const auto& f : fields) csvBytes += f.size() + 1;
  const int rows = 50000;
  grid.SetCols(17);
  for (int r = 0; r < rows; ++r) {
    grid.SetRows(r + 1);
    for (int c = 0; c < 16; ++c) grid.SetTextMatrix(r, c + 1, fields[c]);
  }
  const double perFileByte = static_cast<double>(grid.MemoryUsage()) / static_cast<double>(csvBytes * rows);
  EXPECT_LT(perFileByte, 8.0);
  RecordProperty("memory_per_file_byte", std::to_string(perFileByte));

  // Overwriting one cell over and over does not pile up.
  const std::size_t before = grid.MemoryUsage();
  for (int i = 0; i < 200000; ++i) grid.SetTextMatrix(7, 3, std::u16string(static_cast<std::size_t>(i % 50 + 1), u'x'));
  EXPECT_LT(grid.MemoryUsage(), before * 2);

  grid.SetRows(1);
  EXPECT_LT(grid.MemoryUsage(), before / 10);
}

}  // namespace
}  // namespace pellora
