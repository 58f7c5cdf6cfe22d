#include "claim/display_csv.h"

#include <initializer_list>

#include "common/utf.h"
#include "display/grid_layout.h"

namespace pellora {
namespace {

void AppendField(std::string& out, std::u16string_view text) {
  out += '"';
  for (const char c : common::Utf16ToUtf8Lossy(text)) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void AppendLine(std::string& out, std::initializer_list<std::u16string_view> fields) {
  bool first = true;
  for (const std::u16string_view field : fields) {
    if (!first) out += ',';
    first = false;
    AppendField(out, field);
  }
  out += "\r\n";
}

// Rows 0 (the headings) to the last of `grid`, in the columns `cols` (a
// column past the grid's last is written empty).
template <typename Columns>
void AppendGrid(std::string& out, const FlexGrid& grid, const Columns& cols) {
  for (int r = 0; r < grid.Rows(); ++r) {
    bool first = true;
    for (const int c : cols) {
      if (!first) out += ',';
      first = false;
      AppendField(out, c < grid.Cols() ? grid.TextMatrix(r, c) : std::u16string());
    }
    out += "\r\n";
  }
}

}  // namespace

std::string DisplayCsv(const frmPellora& w) {
  std::string out = "\xEF\xBB\xBF";
  AppendLine(out, {w.lblHeadCaption[1].Caption, w.lblHead[1].Caption});
  AppendLine(out, {w.lblHeadCaption[0].Caption, w.lblHead[0].Caption});
  AppendLine(out, {w.lblHeadCaption[2].Caption, w.lblHead[2].Caption, w.lblHead[3].Caption});
  out += "\r\n";

  std::vector<int> viewerCols;
  for (int c = viewer_col::kYearMonth; c <= viewer_col::kPreventiveHomeMedicalManagement; ++c) viewerCols.push_back(c);
  AppendGrid(out, w.vsfViewer, viewerCols);
  out += "\r\n";

  std::vector<int> totalCols;
  for (int c = 0; c < w.vsfTotal.Cols(); ++c)
    if (w.vsfTotal.ColWidth(c) != 0) totalCols.push_back(c);
  AppendGrid(out, w.vsfTotal, totalCols);
  return out;
}

}  // namespace pellora
