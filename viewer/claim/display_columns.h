#pragma once
// The display's columns and the totals' columns, one table each: what a
// column is called, what it holds of its row, what kind of value that is
// (which decides how every view aligns it), whether the window shows it and
// how wide. The display steps, the grids, the views, the accessibility
// model, the save, the export and the print all read these tables, so a
// new column is one row here and the case of CellText that reads it.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace pellora {

struct DisplayRow;
struct MonthTotal;

// What a column's values are. A number and a number's digits read from the
// right, as the grid control's general alignment shows anything made of
// digits; a year-month and a name read from the left.
enum class ColumnType {
  Text,
  Digits,  // an identifier written in digits: an insured person's number
  Number,  // a value or a count
};

enum class ColumnAlign { Left, Right };

constexpr ColumnAlign AlignOf(ColumnType type) {
  return type == ColumnType::Text ? ColumnAlign::Left : ColumnAlign::Right;
}

// A width the window's design leaves to the grid, which makes the column as
// wide as its heading. Any other width is the design's, in twips; 0 hides
// the column.
inline constexpr int kWidthLeftToGrid = -1;

// ---- The display: one row per person and service month ----

enum class DisplayValue { YearMonth, Insured, Insurer, Name, Service };

struct DisplayColumn {
  // The value's name. A service kind's heading is drawn centred in six
  // characters (GridHeading), so that the four line up.
  std::u16string_view heading;
  DisplayValue value;
  ColumnType type;
  int width;
  // A service kind: the code its records carry in the sort grid's kind
  // column, and whether the totals' サービス counts the persons who have it
  // (home-visit nursing and its preventive form, not home medical care).
  std::u16string_view serviceCode = {};
  bool countedAsService = false;
  // The widest text the column usually holds, which the print sizes its
  // font to: nothing for the names, which vary.
  std::u16string_view widestUsual = {};
};

// Grid column 0 is the display grid's fixed column, which marks the rows
// and holds nothing: kDisplayColumns[i] is grid column i + 1. The insurer
// number is kept in a hidden column, as it tells two persons of one number
// apart.
inline constexpr int kFirstDisplayColumn = 1;
inline constexpr std::array<DisplayColumn, 8> kDisplayColumns = {{
    {u"年月", DisplayValue::YearMonth, ColumnType::Text, 1000, {}, false, u"0000年00月"},
    {u"被保険者番号", DisplayValue::Insured, ColumnType::Digits, 1000, {}, false, u"0000000000"},
    {u"保険者番号", DisplayValue::Insurer, ColumnType::Digits, 0, {}, false, u"000000"},
    {u"氏名", DisplayValue::Name, ColumnType::Text, 1500},
    {u"訪問看護", DisplayValue::Service, ColumnType::Number, kWidthLeftToGrid, u"13", true, u"000000"},
    {u"予防訪問看護", DisplayValue::Service, ColumnType::Number, kWidthLeftToGrid, u"63", true, u"000000"},
    {u"居宅療養", DisplayValue::Service, ColumnType::Number, kWidthLeftToGrid, u"31", false, u"000000"},
    {u"予防居宅療養", DisplayValue::Service, ColumnType::Number, kWidthLeftToGrid, u"34", false, u"000000"},
}};

constexpr bool IsShown(const DisplayColumn& column) { return column.width != 0; }

// The service kinds, in column order: a display row keeps one value for
// each.
constexpr std::size_t CountServiceKinds() {
  std::size_t count = 0;
  for (const DisplayColumn& column : kDisplayColumns) count += column.value == DisplayValue::Service;
  return count;
}
inline constexpr std::size_t kServiceKindCount = CountServiceKinds();

// The column of a grid column of the display (nullptr for the fixed column
// and beyond the last).
constexpr const DisplayColumn* DisplayColumnAt(int gridColumn) {
  const int i = gridColumn - kFirstDisplayColumn;
  return i >= 0 && i < static_cast<int>(kDisplayColumns.size()) ? &kDisplayColumns[static_cast<std::size_t>(i)]
                                                                 : nullptr;
}
constexpr int GridColumnOf(const DisplayColumn& column) {
  return kFirstDisplayColumn + static_cast<int>(&column - kDisplayColumns.data());
}
// The first grid column that holds `value`.
constexpr int GridColumnOf(DisplayValue value) {
  for (const DisplayColumn& column : kDisplayColumns)
    if (column.value == value) return GridColumnOf(column);
  return -1;
}
// The place of a service kind's column among the service kinds.
constexpr std::size_t ServiceIndexOf(const DisplayColumn& column) {
  std::size_t index = 0;
  for (const DisplayColumn& other : kDisplayColumns) {
    if (&other == &column) break;
    index += other.value == DisplayValue::Service;
  }
  return index;
}

// The service kinds' grid columns, which share one width wherever they are
// drawn.
inline constexpr std::array<int, kServiceKindCount> kServiceKindColumns = [] {
  std::array<int, kServiceKindCount> columns{};
  std::size_t i = 0;
  for (const DisplayColumn& column : kDisplayColumns)
    if (column.value == DisplayValue::Service) columns[i++] = GridColumnOf(column);
  return columns;
}();

// The heading as the grids and the paper draw it: a service kind's centred
// in six characters with ideographic spaces, the others as they are.
std::u16string GridHeading(const DisplayColumn& column);

// The text a row shows in a column; "" for a service kind the person has
// no record of.
std::u16string CellText(const DisplayRow& row, const DisplayColumn& column);
// The same by grid column; "" for the fixed column and beyond the last.
std::u16string DisplayCellText(const DisplayRow& row, int gridColumn);

// ---- The totals: one row per service month ----

enum class TotalValue { Month, Persons, Services, CarePlans };

struct TotalColumn {
  std::u16string_view heading;
  TotalValue value;
  ColumnType type;
  int width;
  // Shown for claim files only: a benefit-management file carries neither
  // home-visit nursing values nor care-plan fees.
  bool claimFilesOnly = false;
};

// The totals grid has no fixed column: kTotalColumns[i] is grid column i.
inline constexpr std::array<TotalColumn, 4> kTotalColumns = {{
    {u"月分", TotalValue::Month, ColumnType::Text, 700},
    {u"人数", TotalValue::Persons, ColumnType::Number, kWidthLeftToGrid},
    {u"サービス", TotalValue::Services, ColumnType::Number, 765, true},
    {u"ケアプラン", TotalValue::CarePlans, ColumnType::Number, 885, true},
}};

constexpr int GridColumnOf(TotalValue value) {
  for (std::size_t i = 0; i < kTotalColumns.size(); ++i)
    if (kTotalColumns[i].value == value) return static_cast<int>(i);
  return -1;
}

// Whether the totals of a claim show `column`, and its width then.
constexpr bool IsShown(const TotalColumn& column, bool showsServiceTotals) {
  return showsServiceTotals || !column.claimFilesOnly;
}
constexpr int WidthOf(const TotalColumn& column, bool showsServiceTotals) {
  return IsShown(column, showsServiceTotals) ? column.width : 0;
}

std::u16string CellText(const MonthTotal& total, const TotalColumn& column);

// The grid columns by what they hold, for the code that addresses one cell.
namespace viewer_col {
inline constexpr int kYearMonth = GridColumnOf(DisplayValue::YearMonth);
inline constexpr int kInsured = GridColumnOf(DisplayValue::Insured);
inline constexpr int kInsurer = GridColumnOf(DisplayValue::Insurer);
inline constexpr int kName = GridColumnOf(DisplayValue::Name);
inline constexpr int kFirstService = GridColumnOf(DisplayValue::Service);
inline constexpr int kLast = kFirstDisplayColumn + static_cast<int>(kDisplayColumns.size()) - 1;
}  // namespace viewer_col

namespace total_col {
inline constexpr int kMonth = GridColumnOf(TotalValue::Month);
inline constexpr int kPersons = GridColumnOf(TotalValue::Persons);
inline constexpr int kServices = GridColumnOf(TotalValue::Services);
inline constexpr int kCarePlans = GridColumnOf(TotalValue::CarePlans);
}  // namespace total_col

}  // namespace pellora
