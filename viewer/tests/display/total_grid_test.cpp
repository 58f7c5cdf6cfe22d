// The totals grid: one row per service month with its persons, the persons
// with a home-visit nursing entry, and those with a care-plan fee record;
// its set-up and its column widths by file kind.

#include <gtest/gtest.h>

#include "tests/display/claim_display.h"

namespace pellora {
namespace {

using testing::ClaimDisplay;
using testing::ClaimFile;
using testing::CodeOnly;
using testing::Record;
using testing::Record8121;
using testing::Record8221;
using testing::ServiceDetail;
using testing::ServiceSummary;
using testing::Table;

Table TotalRows(const frmPellora& w) { return testing::TableOf(testing::TotalGrid(w), 1, 0, 3); }

TEST(InitTotalGrid, GivesTheDesignHeadingsAndTheMonthWidth) {
  ClaimDisplay display;  // start-up has run InitTotalGrid
  const FlexGrid& g = display.window().vsfTotal();
  EXPECT_EQ(g.Rows(), 1);
  EXPECT_EQ(testing::TableOf(g, 0, 0, 3), (Table{{u"月分", u"人数", u"サービス", u"ケアプラン"}}));
  EXPECT_EQ(g.FixedRows(), 1);
  EXPECT_EQ(g.FixedCols(), 0);
  EXPECT_EQ(g.ColWidth(0), 700);
}

TEST(BuildTotalGrid, CountsPersonsAndHomeNursingPerMonth) {
  const struct {
    const char* name;
    std::vector<Record> data;
    Table totals;
  } cases[] = {
      {"no display rows: the heading row only", {CodeOnly("7111")}, {}},
      {"three persons in April, two with 訪問看護; one in May without",
       {ServiceDetail("7131", "10", "202404", "131011", "1000000001", "13", "300"),
        ServiceDetail("7131", "10", "202404", "131011", "1000000002", "13", "120"),
        Record8121("10", "202404", "131011", "1000000003"),
        Record8121("10", "202405", "131011", "1000000001")},
       {{u"2024/04", u"3", u"2", u"1"}, {u"2024/05", u"1", u"0", u"1"}}},
      {"ケアプラン: persons with a care-plan fee record of any generation, once each",
       {Record8121("10", "202604", "131011", "1000000001", "8124"),
        Record8121("10", "202604", "131011", "1000000001", "8124"),
        Record8121("10", "202604", "131011", "1000000002", "8125"),
        Record8121("10", "202604", "131011", "1000000003", "8122"),
        Record8121("10", "202604", "131011", "1000000004", "8123"),
        ServiceDetail("7131", "10", "202604", "131011", "1000000004", "13", "300"),
        ServiceDetail("7131", "10", "202604", "131011", "1000000005", "13", "300"),
        Record8121("10", "202605", "131011", "1000000001", "8124")},
       {{u"2026/04", u"5", u"2", u"4"}, {u"2026/05", u"1", u"0", u"1"}}},
      {"居宅療養 alone adds a person but no service",
       {ServiceDetail("7131", "10", "202404", "131011", "1000000001", "31", "300"),
        ServiceDetail("7131", "10", "202404", "131011", "1000000002", "34", "300")},
       {{u"2024/04", u"2", u"0", u"0"}}},
      {"予防訪問看護 counts as a service, once per person",
       {ServiceDetail("7131", "10", "202404", "131011", "1000000001", "63", "300"),
        ServiceDetail("7131", "10", "202404", "131011", "1000000001", "13", "300"),
        ServiceDetail("7131", "10", "202404", "131011", "1000000002", "63", "0")},
       {{u"2024/04", u"2", u"2", u"0"}}},
      {"the same person under two insurers is two persons",
       {ServiceDetail("7131", "10", "202404", "131011", "1000000001", "13", "1"),
        ServiceDetail("7131", "10", "202404", "271007", "1000000001", "13", "1")},
       {{u"2024/04", u"2", u"2", u"0"}}},
      {"months in ascending order, whatever the file order",
       {ServiceSummary("7141", "10", "202404", "131011", "1000000001", "13"),
        ServiceSummary("7141", "10", "202402", "131011", "1000000001", "13"),
        ServiceSummary("7141", "10", "202403", "131011", "1000000001", "31")},
       {{u"2024/02", u"1", u"1", u"0"}, {u"2024/03", u"1", u"0", u"0"}, {u"2024/04", u"1", u"1", u"0"}}},
      {"a benefit-management file's 0 values count",
       {Record8221("01", "202404", "131011", "1000000001", "13"),
        Record8221("01", "202404", "131011", "1000000002", "63"),
        Record8221("01", "202404", "131011", "1000000003", "31")},
       {{u"2024/04", u"3", u"2", u"0"}}},
      {"8222 as 8221; no care plans in a benefit-management file",
       {Record8221("01", "202604", "131011", "1000000001", "13", "8222"),
        Record8221("99", "202604", "131011", "1000000002", "13", "8222"),
        Record8121("10", "202604", "131011", "1000000003", "8124")},
       {{u"2026/04", u"2", u"1", u"0"}}},
      {"short year-months",
       {ServiceDetail("7131", "10", "2024", "131011", "1000000001", "13", "1"),
        ServiceDetail("7131", "10", "", "131011", "1000000002", "13", "2")},
       {{u"年月/", u"1", u"1", u"0"}, {u"2024/月", u"1", u"1", u"0"}}},
  };
  for (const auto& c : cases) {
    ClaimDisplay display;
    display.Show(ClaimFile(c.data));
    const Table totals = TotalRows(display.window());
    EXPECT_EQ(totals, c.totals) << c.name << "\n" << testing::Printed(totals);
    EXPECT_EQ(display.window().vsfTotal().Row(), 0);
    EXPECT_EQ(display.window().vsfTotal().Col(), 0);
  }
}

TEST(BuildTotalGrid, CountsMonthsOfAnySize) {
  // Counts live as text and are read back for every person: 40,000 persons
  // in one month go past any 16-bit count.
  ClaimDisplay display;
  frmPellora& w = display.window();
  constexpr int kPersons = 40000;
  ClaimView claim;
  for (int r = 1; r <= kPersons; ++r) {
    DisplayRow row;
    row.yearMonth = u"2024年04月";
    row.insured = common::Utf8ToUtf16(std::to_string(1000000000 + r));
    row.insurer = u"131011";
    if (r % 4 == 0) row.services[1] = 1;
    claim.rows.push_back(std::move(row));
  }
  BuildTotalGrid(claim);
  ShowTotals(claim, testing::TotalGrid(w));
  EXPECT_EQ(TotalRows(w), (Table{{u"2024/04", u"40000", u"10000", u"0"}}));
}

TEST(SetTotalWidthsByKind, HidesServiceAndCarePlanColumnsForBenefitManagementFiles) {
  ClaimDisplay display;
  const FlexGrid& g = display.window().vsfTotal();
  const struct {
    std::vector<Record> file;
    int services, carePlans;
  } sequence[] = {
      {ClaimFile({CodeOnly("7131")}), 765, 885},
      {ClaimFile({CodeOnly("8221")}), 0, 0},
      {ClaimFile({CodeOnly("7131")}), 765, 885},
      {ClaimFile({CodeOnly("8211")}), 0, 0},
      {ClaimFile({}), 765, 885},  // undecided: as a claim file
  };
  int step = 0;
  for (const auto& s : sequence) {
    display.Show(s.file);
    EXPECT_EQ(g.ColWidth(2), s.services) << "file " << step;
    EXPECT_EQ(g.ColWidth(3), s.carePlans) << "file " << step;
    EXPECT_EQ(g.ColWidth(0), 700) << "file " << step;
    ++step;
  }
}

}  // namespace
}  // namespace pellora
