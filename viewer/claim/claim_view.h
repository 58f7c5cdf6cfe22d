#pragma once
// ClaimView: what the main window shows of a claim file, as data. The
// display steps (claim/display_steps.h) compute it from the file's records,
// the name look-ups (lookup/) fill in the names from the database, and the
// window's labels, grids and colours are then drawn from it; the export, the
// save and the find read it, never a caption or a colour.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "claim/display_columns.h"
#include "claim/file_checks.h"
#include "claim/record_codes.h"
#include "claim/records.h"
#include "text/text_pool.h"

namespace pellora {

namespace check {
struct Report;  // check/check.h, a layer above: the claim only carries it
}

// What became of a value looked up in the database. The window shows it as
// a colour: light yellow found, light cyan no matching row, pink no usable
// database or a failed look-up.
enum class LookupOutcome {
  NotLookedUp,
  Found,
  NotFound,
  Unavailable,
};

// The caption beside the header's year-month: the design's until a file of
// either kind has been shown, then that kind's.
enum class YearMonthCaption {
  Design,      // 年月
  Processing,  // 処理対象年月: a claim file's processing year-month
  Submission,  // 提出年月: a benefit-management file's submission year-month
};
std::u16string_view CaptionText(YearMonthCaption caption);

// The header's fixed captions beside the kind and the provider.
inline constexpr std::u16string_view kKindCaption = u"種類";
inline constexpr std::u16string_view kProviderCaption = u"事業所";

// One service record as the sort grid holds it: its eight columns, the
// record's code, the service year-month (YYYYMM), the insured-person number,
// the insurer number (claim/insurer_number.h), the service kind (the code
// itself for a record of no service kind), the value for the display, and
// fields 18 and 19. The texts lie one after the other in the claim's pool.
struct ServiceRecord {
  static constexpr int kColumns = 8;
  enum Column { kCode, kYearMonth, kInsured, kInsurer, kServiceKind, kValue, kField18, kField19 };

  const char16_t* text = nullptr;
  std::array<std::uint32_t, kColumns> ends{};  // where each column ends in `text`
  // The record's row in the file (claim/records.h): line row + 1.
  int row = -1;

  std::u16string_view operator[](int column) const {
    const std::uint32_t begin = column == 0 ? 0 : ends[static_cast<std::size_t>(column - 1)];
    return {text + begin, ends[static_cast<std::size_t>(column)] - begin};
  }
};

// One row of the display: a person and service month.
struct DisplayRow {
  std::u16string yearMonth;  // YYYY年MM月
  std::u16string insured;
  std::u16string insurer;  // six digits
  std::u16string name;
  LookupOutcome nameOutcome = LookupOutcome::NotLookedUp;
  // The value of each service kind, in the order of their columns
  // (claim/display_columns.h); nothing for a kind the person has no record
  // of (a value of 0 is a record).
  std::array<std::optional<double>, kServiceKindCount> services;
  // Whether the person has a care-plan fee record of the month.
  bool carePlanFee = false;
  // The service records the row was merged from: serviceRecords[first]
  // and the `records` - 1 after it, in their sorted order. They tell the
  // lines of the file the row comes from (SourceLines).
  std::size_t firstRecord = 0;
  std::size_t records = 0;
};

// One month of the totals.
struct MonthTotal {
  std::u16string month;  // YYYY/MM
  double persons = 0;
  double services = 0;
  // The persons with a care-plan fee record; counted for claim files only,
  // as a benefit-management file carries no fees.
  double carePlans = 0;
};

struct ClaimView {
  // The claim file's path, as the window names it.
  std::u16string file;
  claim::ClaimRecords records;

  claim::FileKind kind = claim::FileKind::Undecided;
  // The caption is kept from the file shown before when this file's kind is
  // undecided: the header then keeps saying what kind of year-month the
  // last decided file had.
  YearMonthCaption yearMonthCaption = YearMonthCaption::Design;
  std::u16string yearMonth;  // YYYY年MM月, or "" when the file has none

  std::u16string providerNumber;
  std::u16string providerName;
  LookupOutcome providerOutcome = LookupOutcome::NotLookedUp;

  // Rows of the sort grid, in file order until they are sorted.
  std::vector<ServiceRecord> serviceRecords;
  TextPool texts;

  std::vector<DisplayRow> rows;
  std::vector<MonthTotal> totals;

  // Whether the totals show サービス and ケアプラン: not for a
  // benefit-management file, which carries neither. Decided with the totals;
  // a file without records keeps what the file shown before decided, as
  // the caption does.
  bool showsServiceTotals = true;

  // What is wrong with a file that loaded; none for a file that did not.
  std::vector<FileWarning> warnings;
  // Every line of a file that loaded, checked against the exchange format
  // (check/check.h), the persons' names filled in; none for a file that
  // did not load.
  std::shared_ptr<const check::Report> check;
};

// The lines of the file (from 1) that `row` of `claim` was made from, in
// the order of its records.
std::vector<int> SourceLines(const ClaimView& claim, const DisplayRow& row);

// The place in claim.rows of the row made from line `line` (from 1) of the
// file; nothing for a line no row was made from (the control and end
// records, and the data records the display does not read).
std::optional<std::size_t> RowOfLine(const ClaimView& claim, int line);

// The place in claim.rows of the row of a person and service month
// (YYYYMM), the insurer compared by value (claim/insurer_number.h);
// nothing when the display has no such row.
std::optional<std::size_t> RowOfPerson(const ClaimView& claim, std::u16string_view serviceMonth,
                                       std::u16string_view insured, std::u16string_view insurer);

}  // namespace pellora
