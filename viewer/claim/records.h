#pragma once
// How the display steps read a claim file out of the raw record grid: row 0
// the control record, rows 1 to R - 2 the data records, row R - 1 the end
// record; field n of a record in column n. The two file kinds' names live
// here too, since later steps read the kind back from the header label.

#include <string>
#include <string_view>

#include "grid/flex_grid.h"

namespace pellora::claim {

inline constexpr std::u16string_view kCareFeeClaimKind = u"介護給付費請求書情報";
inline constexpr std::u16string_view kBenefitManagementKind = u"給付管理票情報";

inline constexpr int kControlRecordRow = 0;
// Field 8 of the control record: the provider number.
inline constexpr int kProviderNumberField = 8;
// Field 3 of a data record: its four-character record-type code.
inline constexpr int kRecordCodeField = 3;

// Rows first to last, both included; empty when last < first.
struct RowRange {
  int first;
  int last;
};

// The data records: rows 1 to R - 2 of a grid of R rows, none when R < 3.
// Every scan over data records goes through this, so that the control and
// end records are never taken for data.
inline RowRange DataRows(const FlexGrid& raw) { return {1, raw.Rows() - 2}; }

// Field `field` of the record in `row`. A field beyond the grid's last
// column is "": no line of the file reached it, just as a shorter line's
// missing fields read "" inside the grid. (Reading past the grid would
// otherwise be an error that ends the display at the first short record.)
inline std::u16string Field(const FlexGrid& raw, int row, int field) {
  return field < raw.Cols() ? raw.TextMatrix(row, field) : std::u16string();
}

}  // namespace pellora::claim
