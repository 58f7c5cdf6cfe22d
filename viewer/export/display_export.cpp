#include "export/display_export.h"

#include <algorithm>
#include <vector>

#include "claim/display_csv.h"
#include "claim/display_steps.h"
#include "export/terminal_text.h"
#include "text/number_text.h"

namespace pellora::exporting {
namespace {

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

std::string JsonRow(const DisplayRow& row) {
  std::string services;
  for (const DisplayColumn& column : kDisplayColumns) {
    if (column.value != DisplayValue::Service) continue;
    const std::u16string value = CellText(row, column);
    if (value.empty()) continue;
    if (!services.empty()) services += ", ";
    services += JsonString(column.heading) + ": " + JsonNumberOrString(value);
  }
  return "{\"yearMonth\": " + JsonString(row.yearMonth) + ", \"insuredNumber\": " + JsonString(row.insured) +
         ", \"insurerNumber\": " + JsonString(row.insurer) + ", \"name\": " + JsonString(row.name) +
         ", \"nameStatus\": " + JsonStatus(NameStatus(row.nameOutcome)) + ", \"services\": {" + services + "}}";
}

std::string JsonTotal(const MonthTotal& total) {
  return "{\"month\": " + JsonString(total.month) + ", \"persons\": " + JsonNumberOrString(DecimalText(total.persons)) +
         ", \"services\": " + JsonNumberOrString(DecimalText(total.services)) +
         ", \"carePlans\": " + JsonNumberOrString(DecimalText(total.carePlans)) + "}";
}

// The items as a JSON array, one element per line.
template <typename Item, typename ItemText>
void WriteJsonArray(const std::vector<Item>& items, ItemText itemText, std::ostream& out) {
  if (items.empty()) {
    out << "[]";
    return;
  }
  out << "[\n";
  for (std::size_t i = 0; i < items.size(); ++i) out << "    " << itemText(items[i]) << (i + 1 < items.size() ? ",\n" : "\n");
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

void WriteTextHeader(const ExportedClaim& exported, std::ostream& out) {
  const ClaimView& claim = exported.claim;
  const std::u16string provider =
      claim.providerNumber + (claim.providerName.empty() ? u"" : u"  " + claim.providerName);
  // A found name speaks for itself; only a missing one is explained.
  const std::optional<std::string_view> status = NameStatus(claim.providerOutcome);
  const std::u16string_view providerStatus = status == "found" ? u"" : StatusWords(status);
  const std::vector<std::pair<std::u16string, std::u16string>> lines = {
      {std::u16string(kKindCaption), std::u16string(claim::KindText(claim.kind))},
      {std::u16string(CaptionText(claim.yearMonthCaption)), claim.yearMonth},
      {std::u16string(kProviderCaption),
       provider + (providerStatus.empty() ? u"" : u"  （" + std::u16string(providerStatus) + u"）")},
      {u"データベース", exported.database + (exported.databaseUsable ? u"" : u"  （使用できません）")},
  };
  int width = 0;
  for (const auto& [caption, value] : lines) width = std::max(width, TerminalWidth(caption));
  for (const auto& [caption, value] : lines) {
    out << Utf8(caption) << std::string(static_cast<std::size_t>(width - TerminalWidth(caption)), ' ') << "  "
        << Utf8(value) << '\n';
  }
}

// The columns the window shows, and how each name was looked up. On the
// terminal values and counts read from the right; the numbers that name
// somebody read from the left, as a person reads them out.
void WriteTextRows(const ClaimView& claim, std::ostream& out) {
  std::vector<const DisplayColumn*> shown;
  std::vector<TextColumn> columns;
  for (const DisplayColumn& column : kDisplayColumns) {
    if (!IsShown(column)) continue;
    shown.push_back(&column);
    columns.push_back({std::u16string(column.heading), column.type == ColumnType::Number});
  }
  columns.push_back({u"照合", false});
  std::vector<std::vector<std::u16string>> rows;
  for (const DisplayRow& row : claim.rows) {
    std::vector<std::u16string> cells;
    for (const DisplayColumn* column : shown) cells.push_back(CellText(row, *column));
    cells.emplace_back(StatusWords(NameStatus(row.nameOutcome)));
    rows.push_back(std::move(cells));
  }
  WriteTextTable(columns, rows, out);
}

void WriteTextTotals(const ClaimView& claim, std::ostream& out) {
  std::vector<const TotalColumn*> shown;
  std::vector<TextColumn> columns;
  for (const TotalColumn& column : kTotalColumns) {
    if (!IsShown(column, claim.showsServiceTotals)) continue;
    shown.push_back(&column);
    columns.push_back({std::u16string(column.heading), column.type == ColumnType::Number});
  }
  std::vector<std::vector<std::u16string>> rows;
  for (const MonthTotal& total : claim.totals) {
    std::vector<std::u16string> cells;
    for (const TotalColumn* column : shown) cells.push_back(CellText(total, *column));
    rows.push_back(std::move(cells));
  }
  WriteTextTable(columns, rows, out);
}

}  // namespace

std::optional<std::string_view> NameStatus(LookupOutcome outcome) {
  switch (outcome) {
    case LookupOutcome::Found: return "found";
    case LookupOutcome::NotFound: return "not-found";
    case LookupOutcome::Unavailable: return "unavailable";
    case LookupOutcome::NotLookedUp: break;
  }
  return std::nullopt;
}

void WriteJson(const ExportedClaim& exported, std::ostream& out) {
  const ClaimView& claim = exported.claim;
  out << "{\n"
      << "  \"file\": " << JsonString(claim.file) << ",\n"
      << "  \"kind\": " << JsonString(claim::KindText(claim.kind)) << ",\n"
      << "  \"yearMonthCaption\": " << JsonString(CaptionText(claim.yearMonthCaption)) << ",\n"
      << "  \"yearMonth\": " << JsonString(claim.yearMonth) << ",\n"
      << "  \"provider\": {\"number\": " << JsonString(claim.providerNumber)
      << ", \"name\": " << JsonString(claim.providerName)
      << ", \"status\": " << JsonStatus(NameStatus(claim.providerOutcome)) << "},\n"
      << "  \"rows\": ";
  WriteJsonArray(claim.rows, JsonRow, out);
  out << ",\n  \"totals\": ";
  WriteJsonArray(claim.totals, JsonTotal, out);
  out << "\n}\n";
}

void WriteCsv(const ExportedClaim& exported, std::ostream& out) { out << DisplayCsv(exported.claim); }

void WriteText(const ExportedClaim& exported, std::ostream& out) {
  WriteTextHeader(exported, out);
  out << '\n';
  WriteTextRows(exported.claim, out);
  out << '\n';
  WriteTextTotals(exported.claim, out);
}

}  // namespace pellora::exporting
