// The raw record grid: the first step of a display, copying the claim file
// into a grid.

#include "display/load_csv_grid.h"
#include "shell/frmPellora.h"

namespace pellora {

void frmPellora::LoadCsvGrid(const std::u16string& fileName, FlexGrid& grid) {
  pellora::LoadCsvGrid(fileName, grid, messageBoxes_);
}

}  // namespace pellora
