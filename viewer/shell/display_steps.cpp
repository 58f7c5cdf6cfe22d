// The display steps as routines of the main window. Each step is a function
// of display/ over the grids and labels it reads and writes; the window
// calls it on its own controls, so that the steps keep the names by which
// the pipeline, start-up and the commands know them.

#include "display/header_labels.h"
#include "display/load_csv_grid.h"
#include "display/sort_grid.h"
#include "display/total_grid.h"
#include "display/viewer_grid.h"
#include "shell/frmPellora.h"

namespace pellora {

std::optional<LoadedFile> frmPellora::LoadCsvGrid(const std::u16string& fileName, FlexGrid& grid) {
  return pellora::LoadCsvGrid(fileName, grid, messageBoxes_);
}

void frmPellora::ClearHead() { pellora::ClearHead(lblHead); }

void frmPellora::SetFileKind() { pellora::SetFileKind(vsfCsv, lblHead[1]); }

void frmPellora::SetHeadYearMonth() { pellora::SetHeadYearMonth(vsfCsv, lblHead[1], lblHead[0], lblHeadCaption[0]); }

void frmPellora::BuildSortGrid() { pellora::BuildSortGrid(vsfCsv, vsfSort); }

void frmPellora::SortSortGrid() { pellora::SortSortGrid(vsfSort); }

bool frmPellora::InitViewerGrid() { return pellora::InitViewerGrid(vsfViewer); }

void frmPellora::BuildViewerGrid() { pellora::BuildViewerGrid(vsfSort, vsfViewer); }

void frmPellora::SortViewerByColumn() { pellora::SortViewerByColumn(vsfViewer); }

bool frmPellora::InitTotalGrid() { return pellora::InitTotalGrid(vsfTotal); }

void frmPellora::BuildTotalGrid() { pellora::BuildTotalGrid(vsfViewer, vsfTotal); }

void frmPellora::SetTotalWidthsByKind() { pellora::SetTotalWidthsByKind(lblHead[1], vsfTotal); }

}  // namespace pellora
