#include "claim/display_csv.h"

#include <initializer_list>

#include "common/utf.h"

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

template <typename Fields>
void AppendLine(std::string& out, const Fields& fields) {
  bool first = true;
  for (const auto& field : fields) {
    if (!first) out += ',';
    first = false;
    AppendField(out, field);
  }
  out += "\r\n";
}

void AppendLine(std::string& out, std::initializer_list<std::u16string_view> fields) {
  AppendLine<std::initializer_list<std::u16string_view>>(out, fields);
}

}  // namespace

void AppendCsvLine(std::string& out, std::span<const std::u16string_view> fields) { AppendLine(out, fields); }

std::string DisplayCsv(const ClaimView& claim) {
  std::string out(common::kUtf8ByteOrderMark);
  AppendLine(out, {kKindCaption, claim::KindText(claim.kind)});
  AppendLine(out, {CaptionText(claim.yearMonthCaption), claim.yearMonth});
  AppendLine(out, {kProviderCaption, claim.providerNumber, claim.providerName});
  out += "\r\n";

  // Every column, the hidden insurer number too; the headings as the
  // window draws them.
  std::vector<std::u16string> cells;
  for (const DisplayColumn& column : kDisplayColumns) cells.push_back(GridHeading(column));
  AppendLine(out, cells);
  for (const DisplayRow& row : claim.rows) {
    for (std::size_t c = 0; c < cells.size(); ++c) cells[c] = CellText(row, kDisplayColumns[c]);
    AppendLine(out, cells);
  }
  out += "\r\n";

  // The totals' columns the window shows.
  cells.clear();
  for (const TotalColumn& column : kTotalColumns)
    if (IsShown(column, claim.showsServiceTotals)) cells.emplace_back(column.heading);
  AppendLine(out, cells);
  for (const MonthTotal& total : claim.totals) {
    cells.clear();
    for (const TotalColumn& column : kTotalColumns)
      if (IsShown(column, claim.showsServiceTotals)) cells.push_back(CellText(total, column));
    AppendLine(out, cells);
  }
  return out;
}

}  // namespace pellora
