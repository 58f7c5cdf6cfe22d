#include "claim/display_csv.h"

#include <initializer_list>

#include "claim/display_steps.h"
#include "common/utf.h"
#include "text/number_text.h"

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

  std::vector<std::u16string_view> headings;
  for (const PersonColumn& column : kPersonColumns) headings.push_back(column.heading);
  for (const ServiceKind& kind : kServiceKinds) headings.push_back(kind.heading);
  AppendLine(out, headings);
  std::vector<std::u16string> cells(headings.size());
  for (const DisplayRow& row : claim.rows) {
    for (std::size_t c = 0; c < cells.size(); ++c) cells[c] = DisplayCellText(row, static_cast<int>(c) + 1);
    AppendLine(out, cells);
  }
  out += "\r\n";

  // A benefit-management file's totals have neither サービス nor ケアプラン.
  const std::size_t totalColumns = claim.showsServiceTotals ? kTotalHeadings.size() : 2;
  AppendLine(out, std::span(kTotalHeadings).first(totalColumns));
  for (const MonthTotal& total : claim.totals) {
    const std::u16string fields[] = {total.month, DecimalText(total.persons), DecimalText(total.services),
                                     DecimalText(total.carePlans)};
    AppendLine(out, std::span(fields).first(totalColumns));
  }
  return out;
}

}  // namespace pellora
