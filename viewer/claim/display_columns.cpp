#include "claim/display_columns.h"

#include "claim/claim_view.h"
#include "text/number_text.h"

namespace pellora {
namespace {

// The width the service kinds' headings share: the longest is six
// characters.
constexpr std::size_t kServiceHeadingWidth = 6;
constexpr char16_t kIdeographicSpace = u'\u3000';

}  // namespace

std::u16string GridHeading(const DisplayColumn& column) {
  std::u16string heading(column.heading);
  if (column.value != DisplayValue::Service || heading.size() >= kServiceHeadingWidth) return heading;
  const std::size_t padding = (kServiceHeadingWidth - heading.size()) / 2;
  return std::u16string(padding, kIdeographicSpace) + heading + std::u16string(padding, kIdeographicSpace);
}

std::u16string CellText(const DisplayRow& row, const DisplayColumn& column) {
  switch (column.value) {
    case DisplayValue::YearMonth: return row.yearMonth;
    case DisplayValue::Insured: return row.insured;
    case DisplayValue::Insurer: return row.insurer;
    case DisplayValue::Name: return row.name;
    case DisplayValue::Service: {
      const std::optional<double>& value = row.services[ServiceIndexOf(column)];
      return value ? DecimalText(*value) : std::u16string();
    }
  }
  return {};
}

std::u16string DisplayCellText(const DisplayRow& row, int gridColumn) {
  const DisplayColumn* column = DisplayColumnAt(gridColumn);
  return column ? CellText(row, *column) : std::u16string();
}

std::u16string CellText(const MonthTotal& total, const TotalColumn& column) {
  switch (column.value) {
    case TotalValue::Month: return total.month;
    case TotalValue::Persons: return DecimalText(total.persons);
    case TotalValue::Services: return DecimalText(total.services);
    case TotalValue::CarePlans: return DecimalText(total.carePlans);
  }
  return {};
}

}  // namespace pellora
