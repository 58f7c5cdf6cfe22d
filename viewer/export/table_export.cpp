#include "export/table_export.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <variant>

#include "common/civil_date.h"
#include "common/utf.h"
#include "export/display_export.h"
#include "export/export_command.h"
#include "export/terminal_text.h"
#include "jet/jet_reader.h"

namespace pellora::exporting {
namespace {

// The day 0 of Jet's dates, 1899-12-30: Jet counts its dates as automation
// dates do.
constexpr std::int64_t kJetDayZero = common::kAutomationEpoch;
// Dates beyond these days lie far outside Access's years 100 to 9999.
constexpr double kFarthestDay = 1e9;

std::string JsonNumber(double value) {
  if (!std::isfinite(value)) return "null";  // JSON has no infinities
  char digits[32];
  return std::string(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

// Ten-thousandths as an exact decimal: 12345000 is 1234.5.
std::string JsonCurrency(std::int64_t tenThousandths) {
  const bool negative = tenThousandths < 0;
  // In unsigned arithmetic, so that the most negative amount has a magnitude.
  const std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(tenThousandths) : static_cast<std::uint64_t>(tenThousandths);
  std::string text = negative ? "-" : "";
  text += std::to_string(magnitude / 10000);
  if (std::uint64_t fraction = magnitude % 10000; fraction != 0) {
    char decimals[8];
    std::snprintf(decimals, sizeof decimals, ".%04u", static_cast<unsigned>(fraction));
    text += decimals;
    while (text.back() == '0') text.pop_back();
  }
  return text;
}

// A Jet date: the whole days count from 1899-12-30 (backwards when
// negative) and the fraction is the time of day, forwards from midnight on
// either side of day 0 (-1.25 is 1899-12-29 06:00).
std::string JsonDate(double value) {
  if (!std::isfinite(value) || std::fabs(value) > kFarthestDay) return "null";
  auto day = static_cast<std::int64_t>(value);  // towards 0
  auto seconds = static_cast<std::int64_t>(std::llround(std::fabs(value - static_cast<double>(day)) * 86400));
  if (seconds == 86400) {  // rounded up to the next midnight
    seconds = 0;
    day += value < 0 ? -1 : 1;
  }
  const common::CivilDate date = common::CivilFromDays(day + kJetDayZero);
  char text[96];
  std::snprintf(text, sizeof text, "\"%04lld-%02d-%02dT%02lld:%02lld:%02lld\"", static_cast<long long>(date.year),
                date.month, date.day, static_cast<long long>(seconds / 3600),
                static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  return text;
}

std::string JsonValue(const jet::Value& value) {
  struct {
    std::string operator()(std::monostate) const { return "null"; }
    std::string operator()(bool b) const { return b ? "true" : "false"; }
    std::string operator()(std::int64_t n) const { return std::to_string(n); }
    std::string operator()(double d) const { return JsonNumber(d); }
    std::string operator()(jet::Currency c) const { return JsonCurrency(c.tenThousandths); }
    std::string operator()(jet::DateTime d) const { return JsonDate(d.days); }
    std::string operator()(std::u16string_view text) const { return JsonString(text); }
  } visit;
  return std::visit(visit, value);
}

// How a column left out is named on standard error.
std::string LeftOutKind(const jet::ColumnInfo& column) {
  switch (column.type) {
    case jet::ColumnType::Binary: return "binary";
    case jet::ColumnType::Ole: return "OLE object";
    case jet::ColumnType::Guid: return "replication ID";
    case jet::ColumnType::Numeric: return "decimal";
    case jet::ColumnType::Complex: return "attachment or multi-valued";
    case jet::ColumnType::DateTimeExtended: return "extended date/time";
    default: {
      if (jet::IsDecodedType(column.type)) return "calculated";
      std::string kind = "type ";
      kind += std::to_string(static_cast<int>(column.type));
      return kind;
    }
  }
}

}  // namespace

int WriteTableLines(const std::u16string& database, const std::string& table, std::ostream& out,
                    std::ostream& err) {
  // Built whole before it is written: a table that fails part-way writes
  // nothing, not a part passed off as the table.
  std::string lines;
  std::vector<std::string> keys;
  const jet::ScanResult scan = jet::ScanTable(
      database, table, [&](std::span<const jet::ColumnInfo> columns, std::span<const jet::Value> values) {
        if (keys.empty()) {
          for (const jet::ColumnInfo& c : columns) keys.push_back(JsonString(common::Utf8ToUtf16(c.name)) + ": ");
        }
        std::string line = "{";
        for (std::size_t c = 0; c < columns.size(); ++c) {
          if (!columns[c].decoded) continue;
          if (line.size() > 1) line += ", ";
          line += keys[c] + JsonValue(values[c]);
        }
        lines += line + "}\n";
      });
  if (!scan.ok) {
    err << "pellora-export: " << scan.error << '\n';
    return kExitClaimFileFailed;
  }
  std::string leftOut;
  for (const jet::ColumnInfo& c : scan.columns) {
    if (c.decoded) continue;
    leftOut += (leftOut.empty() ? "" : ", ") + c.name + " (" + LeftOutKind(c) + ")";
  }
  if (!leftOut.empty()) err << "pellora-export: columns left out, of types not read: " << leftOut << '\n';
  out << lines;
  if (!out.flush()) {
    err << "pellora-export: the output could not be written\n";
    return kExitOutputFailed;
  }
  return kExitShown;
}

}  // namespace pellora::exporting
