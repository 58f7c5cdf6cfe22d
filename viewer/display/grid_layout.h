#pragma once
// The columns of the sort, display and totals grids, named once: the steps
// that fill these grids, the steps that read them back (the display grid,
// the totals, the name look-ups) and the views all use these numbers.

namespace pellora {

// vsfSort: no fixed rows or columns; one row per service record.
namespace sort_col {
inline constexpr int kRecordCode = 0;   // field 3 of the record
inline constexpr int kYearMonth = 1;    // service year-month, YYYYMM
inline constexpr int kInsured = 2;      // insured-person number
inline constexpr int kInsurer = 3;      // insurer number, six digits
inline constexpr int kServiceKind = 4;  // service kind code; "8121" for 8121 records
inline constexpr int kValue = 5;        // value for the display (7131, 7132)
inline constexpr int kField18 = 6;      // field 18 (7131, 7132)
inline constexpr int kField19 = 7;      // field 19 (7131, 7132)
}  // namespace sort_col

// vsfViewer: row 0 the headings, column 0 the fixed column (never written).
namespace viewer_col {
inline constexpr int kYearMonth = 1;      // 年月: YYYY年MM月
inline constexpr int kInsured = 2;        // 被保険者番号
inline constexpr int kInsurer = 3;        // 保険者番号: six digits, hidden
inline constexpr int kName = 4;           // 氏名
inline constexpr int kHomeNursing = 5;    // 訪問看護, service kind 13
inline constexpr int kPreventiveHomeNursing = 6;  // 予防訪問看護, kind 63
inline constexpr int kHomeMedicalManagement = 7;  // 居宅療養, kind 31
inline constexpr int kPreventiveHomeMedicalManagement = 8;  // 予防居宅療養, kind 34
}  // namespace viewer_col

// vsfTotal: row 0 the headings, no fixed column.
namespace total_col {
inline constexpr int kMonth = 0;      // 月分: YYYY/MM
inline constexpr int kPersons = 1;    // 人数
inline constexpr int kServices = 2;   // サービス
inline constexpr int kCarePlans = 3;  // ケアプラン
}  // namespace total_col

}  // namespace pellora
