#include "claim/claim_view.h"

#include "claim/insurer_number.h"
#include "claim/year_month.h"

namespace pellora {

std::u16string_view CaptionText(YearMonthCaption caption) {
  switch (caption) {
    case YearMonthCaption::Processing: return u"処理対象年月";
    case YearMonthCaption::Submission: return u"提出年月";
    case YearMonthCaption::Design: break;
  }
  return u"年月";
}

std::vector<int> SourceLines(const ClaimView& claim, const DisplayRow& row) {
  std::vector<int> lines;
  lines.reserve(row.records);
  for (std::size_t i = row.firstRecord; i < row.firstRecord + row.records && i < claim.serviceRecords.size(); ++i)
    lines.push_back(claim.serviceRecords[i].row + 1);
  return lines;
}

std::optional<std::size_t> RowOfLine(const ClaimView& claim, int line) {
  for (std::size_t r = 0; r < claim.rows.size(); ++r)
    for (const int source : SourceLines(claim, claim.rows[r]))
      if (source == line) return r;
  return std::nullopt;
}

std::optional<std::size_t> RowOfPerson(const ClaimView& claim, std::u16string_view serviceMonth,
                                       std::u16string_view insured, std::u16string_view insurer) {
  const std::u16string yearMonth = YearMonthText(serviceMonth);
  for (std::size_t r = 0; r < claim.rows.size(); ++r) {
    const DisplayRow& row = claim.rows[r];
    if (row.yearMonth == yearMonth && claim::SamePerson(row.insured, row.insurer, insured, claim::InsurerNumber(insurer)))
      return r;
  }
  return std::nullopt;
}

}  // namespace pellora
