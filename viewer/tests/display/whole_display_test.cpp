// Generated monthly files of both kinds through every display step, checked
// against an account of the same records kept independently of the grids;
// and the same display under a comma-decimal locale.

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>

#include "claimgen/claimgen.h"
#include "tests/display/claim_display.h"
#include "tests/text/comma_locale.h"

namespace pellora {
namespace {

using testing::Table;

// What one person in one month should show: the value of each of the four
// service kinds present, in the order 13, 63, 31, 34.
struct PersonMonth {
  std::array<std::optional<std::string>, 4> services;
  bool carePlanFee = false;
};
// Year-month, insured-person number, insurer number (six digits).
using PersonMonthKey = std::tuple<std::string, std::string, std::string>;

std::string Ascii(const std::u16string& text) { return common::Utf16ToUtf8(text).value_or("?"); }

std::string SixDigits(const std::string& field) {
  const std::string digits = std::to_string(field.empty() ? 0 : std::stoll(field));
  return std::string(digits.size() < 6 ? 6 - digits.size() : 0, '0') + digits;
}

int KindIndex(const std::string& kind) {
  if (kind == "13") return 0;
  if (kind == "63") return 1;
  if (kind == "31") return 2;
  if (kind == "34") return 3;
  return -1;
}

// The display worked out from the records alone: which records are service
// records, where their facts are, one entry per person and month with the
// last value of each kind in file order. Generated files carry digits only,
// so the order of the keys as text is the order of the display.
std::map<PersonMonthKey, PersonMonth> ExpectedDisplay(const FlexGrid& raw) {
  std::map<PersonMonthKey, PersonMonth> expected;
  auto field = [&](int row, int n) { return n < raw.Cols() ? Ascii(raw.TextMatrix(row, n)) : std::string(); };
  for (int r = 1; r + 1 < raw.Rows(); ++r) {
    const std::string code = field(r, 3);
    std::string month, insured, insurer, kind, value = "0";
    if (code == "7131" || code == "7132") {
      if (field(r, 4) != "10") continue;
      month = field(r, 5), insured = field(r, 8), insurer = field(r, 7), kind = field(r, 9);
      const std::string v = field(r, 16);
      value = std::to_string(v.empty() ? 0 : std::stoll(v));
    } else if (code.size() == 4 && code.starts_with("71") && code[2] >= '4' && code[2] <= '6' &&
               (code[3] == '1' || code[3] == '2')) {
      if (field(r, 4) != "10") continue;
      month = field(r, 5), insured = field(r, 8), insurer = field(r, 7), kind = field(r, 9);
    } else if (code >= "8121" && code <= "8125") {
      month = field(r, 6), insured = field(r, 9), insurer = field(r, 7), kind = "fee";
    } else if (code == "8221" || code == "8222") {
      if (field(r, 10) == "99") continue;
      month = field(r, 4), insured = field(r, 11), insurer = field(r, 5), kind = field(r, 21);
    } else {
      continue;
    }
    PersonMonth& entry = expected[{month, insured, SixDigits(insurer)}];
    if (const int k = KindIndex(kind); k >= 0) entry.services[static_cast<std::size_t>(k)] = value;
    entry.carePlanFee = entry.carePlanFee || kind == "fee";
  }
  return expected;
}

Table ExpectedRows(const std::map<PersonMonthKey, PersonMonth>& expected) {
  Table rows;
  for (const auto& [key, entry] : expected) {
    const auto& [month, insured, insurer] = key;
    std::vector<std::u16string> row = {common::Utf8ToUtf16(month.substr(0, 4) + "年" + month.substr(4) + "月"),
                                       common::Utf8ToUtf16(insured), common::Utf8ToUtf16(insurer), u""};
    for (const auto& service : entry.services) row.push_back(common::Utf8ToUtf16(service.value_or("")));
    rows.push_back(std::move(row));
  }
  return rows;
}

Table ExpectedTotals(const std::map<PersonMonthKey, PersonMonth>& expected) {
  std::map<std::string, std::array<int, 3>> months;
  for (const auto& [key, entry] : expected) {
    auto& [persons, services, carePlans] = months[std::get<0>(key)];
    ++persons;
    if (entry.services[0] || entry.services[1]) ++services;
    if (entry.carePlanFee) ++carePlans;
  }
  Table rows;
  for (const auto& [month, counts] : months) {
    std::vector<std::u16string> row = {common::Utf8ToUtf16(month.substr(0, 4) + "/" + month.substr(4, 2))};
    for (const int count : counts) row.push_back(common::Utf8ToUtf16(std::to_string(count)));
    rows.push_back(std::move(row));
  }
  return rows;
}

TEST(WholeDisplay, GeneratedMonthlyFilesAgreeWithAnIndependentAccount) {
  const struct {
    claimgen::FileKind kind;
    std::u16string kindText;
    std::u16string caption;
  } kinds[] = {
      {claimgen::FileKind::CareFeeClaim, u"介護給付費請求書情報", u"処理対象年月"},
      {claimgen::FileKind::BenefitManagement, u"給付管理票情報", u"提出年月"},
  };
  for (const auto& k : kinds) {
    for (const auto& [generation, seed] : {std::pair{claimgen::Generation::First, 1u}, {claimgen::Generation::First, 7u},
                                           {claimgen::Generation::Current, 1u}, {claimgen::Generation::Current, 7u}}) {
      claimgen::Options options;
      options.seed = seed;
      options.lines = 3000;
      options.kind = k.kind;
      options.generation = generation;
      testing::ClaimDisplay display;
      display.ShowBytes(claimgen::Generate(options));
      const frmPellora& w = display.window();
      ASSERT_TRUE(display.ui.shown.empty());

      EXPECT_EQ(w.lblHead(1).Caption, k.kindText);
      EXPECT_EQ(w.lblHeadCaption(0).Caption, k.caption);
      EXPECT_EQ(w.lblHead(2).Caption, u"1371234567");
      const auto expected = ExpectedDisplay(w.vsfCsv());
      ASSERT_GT(expected.size(), 100u);
      const Table rows = testing::TableOf(w.vsfViewer(), 1, 1, 8);
      const std::string run =
          "seed " + std::to_string(seed) + (generation == claimgen::Generation::First ? " (2000)" : " (current)");
      EXPECT_EQ(rows, ExpectedRows(expected)) << run;
      EXPECT_EQ(testing::TableOf(w.vsfTotal(), 1, 0, 3), ExpectedTotals(expected)) << run;
      std::set<std::u16string> months;
      for (const auto& row : rows) months.insert(row[0]);
      EXPECT_GE(months.size(), 2u);  // the generator spreads services over two months
    }
  }
}

TEST(WholeDisplay, IsTheSameUnderACommaDecimalLocale) {
  testing::CommaDecimalLocale comma;
  if (!comma.active()) GTEST_SKIP() << "no comma-decimal locale on this machine";
  testing::ClaimDisplay display;
  display.Show(testing::ClaimFile({
      testing::ServiceDetail("7131", "10", "202404", "12345", "1000000001", "13", "12.50"),
      testing::ServiceDetail("7131", "10", "202404", "12345", "1000000001", "63", "000120"),
      testing::ServiceDetail("7131", "10", "202404", "12345", "1000000001", "31", "1,5"),
      testing::ServiceDetail("7131", "10", "202404", "12345.6", "1000000002", "13", "0.25"),
  }));
  const frmPellora& w = display.window();
  EXPECT_EQ(testing::TableOf(w.vsfViewer(), 1, 1, 8),
            (Table{{u"2024年04月", u"1000000001", u"012345", u"", u"12.5", u"120", u"1", u""},
                   {u"2024年04月", u"1000000002", u"012346", u"", u"0.25", u"", u"", u""}}));
  EXPECT_EQ(testing::TableOf(w.vsfTotal(), 1, 0, 3), (Table{{u"2024/04", u"2", u"2", u"0"}}));
}

}  // namespace
}  // namespace pellora
