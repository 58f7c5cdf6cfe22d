#pragma once
// frmPellora: Pellora's main window as a plain object. It owns its controls
// (labels as text and colour, the four grids as grid models) and its
// routines, which talk to each other through those controls as the window's
// event procedures do; a view only draws the controls and forwards the
// user's gestures, so every routine runs without a screen.
//
// The routines are defined by area: the display steps (raw record grid, file
// kind and header, sort grid, display grid, totals) under display/, the
// shell's (start-up, look-ups, file choice) under shell/.

#include <array>
#include <string>
#include <string_view>

#include "grid/flex_grid.h"
#include "shell/controls.h"
#include "shell/message_boxes.h"

namespace pellora {

class frmPellora {
 public:
  static constexpr std::u16string_view kTitle = u"給付管理／介護報酬請求 CSVファイルビューア";

  // The window as designed, before start-up: the message boxes are where its
  // routines report to the user.
  explicit frmPellora(MessageBoxes& messageBoxes);
  // The display grid's user event refers back to the window.
  frmPellora(const frmPellora&) = delete;
  frmPellora& operator=(const frmPellora&) = delete;

  // ---- Controls ----

  // The window title.
  std::u16string Caption{kTitle};

  // The header: lblHead(1) the file kind, (0) its year-month, (2) the
  // provider number, (3) the provider name; lblHeadCaption(i) the caption
  // beside each ((0) changes with the file kind).
  std::array<Label, 4> lblHead;
  std::array<Label, 3> lblHeadCaption;
  // The path of the claim file on display.
  Label lblCsvFname;

  FlexGrid vsfCsv;     // raw record grid, hidden: the claim file, one line per row
  FlexGrid vsfSort;    // sort grid, hidden: one row per service record
  FlexGrid vsfViewer;  // display grid: one row per person and service month
  FlexGrid vsfTotal;   // totals grid: one row per service month

  // ---- Raw record grid (display/raw_record_grid.cpp) ----

  // Copies a claim file into `grid`, reporting a failure in a message box.
  void LoadCsvGrid(const std::u16string& fileName, FlexGrid& grid);

  // ---- File kind and header labels (display/header_labels.cpp) ----

  void ClearHead();
  void SetFileKind();
  void SetHeadYearMonth();

  // ---- Sort grid (display/sort_grid.cpp) ----

  void BuildSortGrid();
  // Orders the sort grid by service year-month, insured-person number and
  // insurer number, as the display pipeline does right after BuildSortGrid.
  void SortSortGrid();

  // ---- Display grid (display/viewer_grid.cpp) ----

  bool InitViewerGrid();
  void BuildViewerGrid();
  void SortViewerByColumn();

  // ---- Totals grid (display/total_grid.cpp) ----

  bool InitTotalGrid();
  void BuildTotalGrid();
  // The widths of the "サービス" and "ケアプラン" columns by the file kind in
  // lblHead(1): hidden for a benefit-management file, shown otherwise.
  void SetTotalWidthsByKind();

 private:
  MessageBoxes& messageBoxes_;
};

}  // namespace pellora
