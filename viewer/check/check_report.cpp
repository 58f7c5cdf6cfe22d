#include "check/check_report.h"

#include <array>
#include <vector>

#include "check/values.h"
#include "claim/display_csv.h"
#include "common/utf.h"

namespace pellora::check {
namespace {

std::string U8(std::u16string_view text) { return common::Utf16ToUtf8Lossy(text); }

std::u16string Count(std::size_t n) { return NumberText(static_cast<std::int64_t>(n)); }

// The amounts' columns, in the order the reports write them.
constexpr std::array<std::u16string_view, 6> kFigureNames = {u"件数",     u"単位数",     u"費用合計",
                                                             u"保険請求額", u"公費請求額", u"利用者負担"};
constexpr std::array<std::string_view, 6> kFigureKeys = {"statements", "units",         "cost",
                                                         "insurance",  "publicExpense", "userShare"};

std::array<std::int64_t, 6> Values(const Figures& f) {
  return {f.statements, f.units, f.cost, f.insurance, f.publicExpense, f.userShare};
}

// ---- JSON ----

// A JSON string of `text`: quotes, backslashes and control characters
// escaped, the rest as UTF-8.
std::string Json(std::u16string_view text) {
  std::string out = "\"";
  for (const char c : U8(text)) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      static constexpr char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    } else {
      out += c;
    }
  }
  return out + '"';
}

std::string JsonOrNull(std::u16string_view text) { return text.empty() ? "null" : Json(text); }
std::string JsonOrNull(std::string_view text) { return text.empty() ? "null" : Json(common::Utf8ToUtf16(text)); }

std::string JsonFigures(const Figures& f) {
  const auto values = Values(f);
  std::string out = "{";
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) out += ", ";
    out += '"';
    out += kFigureKeys[i];
    out += "\": " + std::to_string(values[i]);
  }
  return out + "}";
}

std::string JsonFigures(const std::optional<Figures>& f) { return f ? JsonFigures(*f) : "null"; }

std::string JsonFinding(const Finding& f) {
  return "{\"line\": " + std::to_string(f.line) + ", \"field\": " + (f.field ? std::to_string(*f.field) : "null") +
         ", \"item\": " + Json(f.item) + ", \"severity\": \"" + (f.severity == Severity::Error ? "error" : "notice") +
         "\", \"rule\": " + JsonOrNull(f.rule) + ", \"federationCode\": " + JsonOrNull(f.federationCode) +
         ", \"insurerNumber\": " + Json(f.insurerNumber) + ", \"insuredNumber\": " + Json(f.insuredNumber) +
         ", \"form\": " + JsonOrNull(FormText(f.form)) + ", \"serviceMonth\": " + Json(f.serviceMonth) +
         ", \"message\": " + Json(f.message) + ", \"name\": " + Json(f.name) + "}";
}

std::string JsonRow(const AmountRow& row) {
  return "{\"serviceMonth\": " + Json(row.serviceMonth) + ", \"form\": " + JsonOrNull(FormText(row.form)) +
         ", \"serviceKind\": " + JsonOrNull(row.serviceKind) + ", \"stated\": " + JsonFigures(row.stated) +
         ", \"added\": " + JsonFigures(row.added) + "}";
}

template <typename Items, typename ItemJson>
std::string JsonArray(const Items& items, ItemJson itemJson, std::string_view indent) {
  if (items.empty()) return "[]";
  std::string out = "[\n";
  for (std::size_t i = 0; i < items.size(); ++i) {
    out += indent;
    out += "  ";
    out += itemJson(items[i]);
    out += i + 1 < items.size() ? ",\n" : "\n";
  }
  out += indent;
  return out + "]";
}

// ---- text ----

std::u16string Where(const Finding& f) {
  if (f.line == 0) return u"ファイル";
  std::u16string where = NumberText(f.line) + u" 行";
  if (f.field) where += u" " + NumberText(*f.field) + u" 項目";
  return where;
}

std::u16string Whom(const Finding& f) {
  std::u16string whom;
  for (const std::u16string_view part : {FormText(f.form), std::u16string_view(f.serviceMonth),
                                         std::u16string_view(f.insurerNumber), std::u16string_view(f.insuredNumber),
                                         std::u16string_view(f.name)}) {
    if (part.empty()) continue;
    whom += u"  ";
    whom += part;
  }
  return whom;
}

std::u16string TextRowName(const AmountRow& row) {
  std::u16string name = row.serviceMonth + u"  " + std::u16string(FormText(row.form));
  if (!row.serviceKind.empty()) name += u"  種類 " + row.serviceKind;
  return name;
}

std::u16string TextFigures(const Figures& added, const std::optional<Figures>& stated) {
  const auto a = Values(added);
  std::u16string out;
  for (std::size_t i = 0; i < a.size(); ++i) {
    out += u"  " + std::u16string(kFigureNames[i]) + u" " + NumberText(a[i]);
    if (stated) out += u"（" + NumberText(Values(*stated)[i]) + u"）";
  }
  return out;
}

}  // namespace

std::u16string SummaryLine(const Report& report) {
  if (report.errors == 0) return report.notices == 0 ? u"点検: エラーなし" : u"点検: エラーなし、確認 " + Count(report.notices) + u" 件";
  return u"点検: エラー " + Count(report.errors) + u" 件、確認 " + Count(report.notices) + u" 件";
}

std::string ReportJson(const Report& report) {
  const Amounts& a = report.amounts;
  return "{\n  \"summary\": " + Json(SummaryLine(report)) + ",\n  \"errors\": " + std::to_string(report.errors) +
         ",\n  \"notices\": " + std::to_string(report.notices) +
         ",\n  \"findings\": " + JsonArray(report.findings, JsonFinding, "  ") +
         ",\n  \"amounts\": {\n    \"rows\": " + JsonArray(a.rows, JsonRow, "    ") +
         ",\n    \"stated\": " + JsonFigures(a.stated) + ",\n    \"added\": " + JsonFigures(a.added) + "\n  }\n}\n";
}

std::string ReportCsv(const Report& report) {
  std::string out(common::kUtf8ByteOrderMark);
  auto line = [&out](std::initializer_list<std::u16string_view> fields) {
    AppendCsvLine(out, std::span(fields.begin(), fields.size()));
  };
  const std::u16string summary = SummaryLine(report);
  line({summary});
  out += "\r\n";
  line({u"行", u"フィールド", u"項目名", u"区分", u"規則", u"事由コード", u"保険者番号", u"被保険者番号", u"氏名",
        u"様式", u"サービス提供年月", u"内容"});
  for (const Finding& f : report.findings) {
    const std::u16string lineText = NumberText(f.line), field = f.field ? NumberText(*f.field) : u"";
    const std::u16string rule = common::Utf8ToUtf16(f.rule), code = common::Utf8ToUtf16(f.federationCode);
    line({lineText, field, f.item, SeverityText(f.severity), rule, code, f.insurerNumber, f.insuredNumber, f.name,
          FormText(f.form), f.serviceMonth, f.message});
  }
  out += "\r\n";
  std::vector<std::u16string> headings = {u"サービス提供年月", u"様式", u"サービス種類"};
  for (const std::u16string_view name : kFigureNames) headings.emplace_back(name);
  for (const std::u16string_view name : kFigureNames) headings.push_back(u"請求書の" + std::u16string(name));
  std::vector<std::u16string_view> cells(headings.begin(), headings.end());
  AppendCsvLine(out, cells);
  std::vector<std::u16string> texts(headings.size());
  auto amounts = [&](std::u16string_view month, std::u16string_view form, std::u16string_view kind, const Figures& added,
                     const std::optional<Figures>& stated) {
    texts[0] = month;
    texts[1] = form;
    texts[2] = kind;
    const auto a = Values(added);
    for (std::size_t i = 0; i < a.size(); ++i) {
      texts[3 + i] = NumberText(a[i]);
      texts[3 + a.size() + i] = stated ? NumberText(Values(*stated)[i]) : u"";
    }
    for (std::size_t i = 0; i < texts.size(); ++i) cells[i] = texts[i];
    AppendCsvLine(out, cells);
  };
  for (const AmountRow& row : report.amounts.rows)
    amounts(row.serviceMonth, FormText(row.form), row.serviceKind, row.added, row.stated);
  amounts(u"合計", u"", u"", report.amounts.added, report.amounts.stated);
  return out;
}

std::string ReportText(const Report& report) {
  std::string out = U8(SummaryLine(report)) + "\n";
  for (const Finding& f : report.findings) {
    out += '\n';
    out += U8(Where(f));
    out += "  ";
    out += U8(SeverityText(f.severity));
    out += "  [";
    out += f.rule;
    if (!f.federationCode.empty()) (out += ' ') += f.federationCode;
    out += ']';
    out += U8(Whom(f));
    out += "\n    ";
    out += U8(f.message);
    out += '\n';
  }
  if (report.amounts.rows.empty()) return out;
  out += '\n';
  out += U8(u"金額: 明細書の合計（請求書の記載）");
  out += '\n';
  for (const AmountRow& row : report.amounts.rows) out += U8(TextRowName(row) + TextFigures(row.added, row.stated)) + "\n";
  out += U8(u"ファイル" + TextFigures(report.amounts.added, report.amounts.stated)) + "\n";
  return out;
}

}  // namespace pellora::check
