#pragma once
// The columns of the display and totals grids, named once: the steps that
// fill these grids, the steps that read them back (the totals, the name
// look-ups) and the views all use these numbers.

namespace pellora {

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

// The grid control's display setting that InitViewerGrid and InitTotalGrid
// both set, and its value.
inline constexpr int kSharedDisplaySetting = 41;
inline constexpr int kSharedDisplayValue = 2;

}  // namespace pellora
