#include "export/display_export.h"

#include <algorithm>
#include <vector>

#include "display/grid_layout.h"
#include "export/terminal_text.h"
#include "claim/display_csv.h"

namespace pellora::exporting {
namespace {

constexpr char16_t kIdeographicSpace = u'\u3000';

// The service-kind columns of the display grid, in their order.
constexpr int kServiceColumns[] = {viewer_col::kHomeNursing, viewer_col::kPreventiveHomeNursing,
                                   viewer_col::kHomeMedicalManagement,
                                   viewer_col::kPreventiveHomeMedicalManagement};

// The display grid pads two of its service-kind headings with ideographic
// spaces to line them up; as names of values they go without.
std::u16string_view WithoutIdeographicSpaces(std::u16string_view heading) {
  while (!heading.empty() && heading.front() == kIdeographicSpace) heading.remove_prefix(1);
  while (!heading.empty() && heading.back() == kIdeographicSpace) heading.remove_suffix(1);
  return heading;
}

// A cell's text; "" past the grid's last column, so that a writer never
// fails on a grid narrower than the window designs it.
std::u16string CellText(const FlexGrid& grid, int row, int col) {
  return col < grid.Cols() ? grid.TextMatrix(row, col) : std::u16string();
}

std::optional<std::string_view> CellStatus(const FlexGrid& grid, int row, int col) {
  return NameStatus(grid.CellBackColor(row, col));
}

}  // namespace

// ---- JSON ----

std::string JsonString(std::u16string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (const char c : Utf8(text)) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (byte < 0x20) {
          out += "\\u00";
          out += kHex[byte >> 4];
          out += kHex[byte & 0xF];
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

namespace {

// True for a text that JSON reads as a number as it stands: optional minus,
// digits without a leading zero, optional fraction and exponent.
bool IsJsonNumber(std::u16string_view t) {
  std::size_t i = 0;
  auto digits = [&] {
    const std::size_t start = i;
    while (i < t.size() && t[i] >= u'0' && t[i] <= u'9') ++i;
    return i - start;
  };
  if (i < t.size() && t[i] == u'-') ++i;
  const std::size_t start = i;
  const std::size_t whole = digits();
  if (whole == 0 || (whole > 1 && t[start] == u'0')) return false;
  if (i < t.size() && t[i] == u'.') {
    ++i;
    if (digits() == 0) return false;
  }
  if (i < t.size() && (t[i] == u'e' || t[i] == u'E')) {
    ++i;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) ++i;
    if (digits() == 0) return false;
  }
  return i == t.size();
}

// A count or a value: a number where the cell holds one (it always does
// when the display steps wrote it), the text otherwise.
std::string JsonNumberOrString(std::u16string_view text) {
  return IsJsonNumber(text) ? Utf8(text) : JsonString(text);
}

std::string JsonStatus(std::optional<std::string_view> status) {
  if (!status) return "null";
  std::string quoted(1, '"');
  quoted.append(*status).push_back('"');
  return quoted;
}

std::string JsonRow(const FlexGrid& viewer, int r) {
  std::string services;
  for (const int col : kServiceColumns) {
    const std::u16string value = CellText(viewer, r, col);
    if (value.empty()) continue;
    if (!services.empty()) services += ", ";
    services += JsonString(WithoutIdeographicSpaces(CellText(viewer, 0, col))) + ": " + JsonNumberOrString(value);
  }
  return "{\"yearMonth\": " + JsonString(CellText(viewer, r, viewer_col::kYearMonth)) +
         ", \"insuredNumber\": " + JsonString(CellText(viewer, r, viewer_col::kInsured)) +
         ", \"insurerNumber\": " + JsonString(CellText(viewer, r, viewer_col::kInsurer)) +
         ", \"name\": " + JsonString(CellText(viewer, r, viewer_col::kName)) +
         ", \"nameStatus\": " + JsonStatus(CellStatus(viewer, r, viewer_col::kName)) + ", \"services\": {" +
         services + "}}";
}

std::string JsonTotal(const FlexGrid& total, int r) {
  return "{\"month\": " + JsonString(CellText(total, r, total_col::kMonth)) +
         ", \"persons\": " + JsonNumberOrString(CellText(total, r, total_col::kPersons)) +
         ", \"services\": " + JsonNumberOrString(CellText(total, r, total_col::kServices)) +
         ", \"carePlans\": " + JsonNumberOrString(CellText(total, r, total_col::kCarePlans)) + "}";
}

// Grid rows 1 to the last as a JSON array, one element per line.
template <typename RowText>
void WriteJsonArray(const FlexGrid& grid, RowText rowText, std::ostream& out) {
  if (grid.Rows() <= 1) {
    out << "[]";
    return;
  }
  out << "[\n";
  for (int r = 1; r < grid.Rows(); ++r) out << "    " << rowText(grid, r) << (r + 1 < grid.Rows() ? ",\n" : "\n");
  out << "  ]";
}

// ---- Text ----

struct TextColumn {
  std::u16string heading;
  bool alignRight = false;
};

// Columns padded to their widest cell, two spaces apart.
void WriteTextTable(const std::vector<TextColumn>& columns, const std::vector<std::vector<std::u16string>>& rows,
                    std::ostream& out) {
  std::vector<int> widths;
  for (const TextColumn& c : columns) widths.push_back(TerminalWidth(c.heading));
  for (const auto& row : rows)
    for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], TerminalWidth(row[c]));
  auto line = [&](auto cellText) {
    std::string text;
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const std::u16string cell = cellText(c);
      const std::string padding(static_cast<std::size_t>(widths[c] - TerminalWidth(cell)), ' ');
      if (c > 0) text += "  ";
      text += columns[c].alignRight ? padding + Utf8(cell) : Utf8(cell) + padding;
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    out << text << '\n';
  };
  line([&](std::size_t c) { return columns[c].heading; });
  for (const auto& row : rows) line([&](std::size_t c) { return row[c]; });
}

std::u16string_view StatusWords(std::optional<std::string_view> status) {
  if (status == "found") return u"○";
  if (status == "not-found") return u"未登録";
  if (status == "unavailable") return u"照合不可";
  return u"";
}

void WriteTextHeader(const frmPellora& w, std::ostream& out) {
  const std::u16string provider =
      w.lblHead[2].Caption + (w.lblHead[3].Caption.empty() ? u"" : u"  " + w.lblHead[3].Caption);
  // A found name speaks for itself; only a missing one is explained.
  const std::optional<std::string_view> status = NameStatus(w.lblHead[3].BackColor);
  const std::u16string_view providerStatus = status == "found" ? u"" : StatusWords(status);
  const std::vector<std::pair<std::u16string, std::u16string>> lines = {
      {w.lblHeadCaption[1].Caption, w.lblHead[1].Caption},
      {w.lblHeadCaption[0].Caption, w.lblHead[0].Caption},
      {w.lblHeadCaption[2].Caption,
       provider + (providerStatus.empty() ? u"" : u"  （" + std::u16string(providerStatus) + u"）")},
      {u"データベース", w.lblDBname[1].Text + (w.DBFound ? u"" : u"  （使用できません）")},
  };
  int width = 0;
  for (const auto& [caption, value] : lines) width = std::max(width, TerminalWidth(caption));
  for (const auto& [caption, value] : lines) {
    out << Utf8(caption) << std::string(static_cast<std::size_t>(width - TerminalWidth(caption)), ' ') << "  "
        << Utf8(value) << '\n';
  }
}

void WriteTextRows(const FlexGrid& viewer, std::ostream& out) {
  std::vector<int> shown;
  std::vector<TextColumn> columns;
  for (int c = viewer_col::kYearMonth; c <= viewer_col::kPreventiveHomeMedicalManagement; ++c) {
    if (c >= viewer.Cols() || viewer.ColWidth(c) == 0) continue;
    shown.push_back(c);
    const bool service = c >= viewer_col::kHomeNursing;
    const std::u16string heading = CellText(viewer, 0, c);
    columns.push_back({std::u16string(service ? WithoutIdeographicSpaces(heading) : heading), service});
  }
  columns.push_back({u"照合", false});
  std::vector<std::vector<std::u16string>> rows;
  for (int r = 1; r < viewer.Rows(); ++r) {
    std::vector<std::u16string> row;
    for (const int c : shown) row.push_back(CellText(viewer, r, c));
    row.emplace_back(StatusWords(CellStatus(viewer, r, viewer_col::kName)));
    rows.push_back(std::move(row));
  }
  WriteTextTable(columns, rows, out);
}

void WriteTextTotals(const FlexGrid& total, std::ostream& out) {
  std::vector<int> shown;
  std::vector<TextColumn> columns;
  for (int c = 0; c < total.Cols(); ++c) {
    if (total.ColWidth(c) == 0) continue;
    shown.push_back(c);
    columns.push_back({CellText(total, 0, c), c != total_col::kMonth});
  }
  std::vector<std::vector<std::u16string>> rows;
  for (int r = 1; r < total.Rows(); ++r) {
    std::vector<std::u16string> row;
    for (const int c : shown) row.push_back(CellText(total, r, c));
    rows.push_back(std::move(row));
  }
  WriteTextTable(columns, rows, out);
}

}  // namespace

std::optional<std::string_view> NameStatus(std::optional<OleColor> colour) {
  if (colour == kLightYellow) return "found";
  if (colour == kLightCyan) return "not-found";
  if (colour == kPink) return "unavailable";
  return std::nullopt;
}

void WriteJson(const frmPellora& w, std::ostream& out) {
  out << "{\n"
      << "  \"file\": " << JsonString(w.lblCsvFname.Caption) << ",\n"
      << "  \"kind\": " << JsonString(w.lblHead[1].Caption) << ",\n"
      << "  \"yearMonthCaption\": " << JsonString(w.lblHeadCaption[0].Caption) << ",\n"
      << "  \"yearMonth\": " << JsonString(w.lblHead[0].Caption) << ",\n"
      << "  \"provider\": {\"number\": " << JsonString(w.lblHead[2].Caption)
      << ", \"name\": " << JsonString(w.lblHead[3].Caption)
      << ", \"status\": " << JsonStatus(NameStatus(w.lblHead[3].BackColor)) << "},\n"
      << "  \"rows\": ";
  WriteJsonArray(w.vsfViewer, JsonRow, out);
  out << ",\n  \"totals\": ";
  WriteJsonArray(w.vsfTotal, JsonTotal, out);
  out << "\n}\n";
}

void WriteCsv(const frmPellora& w, std::ostream& out) { out << DisplayCsv(w); }

void WriteText(const frmPellora& w, std::ostream& out) {
  WriteTextHeader(w, out);
  out << '\n';
  WriteTextRows(w.vsfViewer, out);
  out << '\n';
  WriteTextTotals(w.vsfTotal, out);
}

}  // namespace pellora::exporting
