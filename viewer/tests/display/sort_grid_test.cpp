// Service records into the sort grid: the seven extraction rules with their
// conditions, the six-digit insurer number, and the sort by year-month,
// insured-person number and insurer number.

#include <gtest/gtest.h>

#include "tests/display/claim_display.h"

namespace pellora {
namespace {

using testing::ClaimDisplay;
using testing::ClaimFile;
using testing::CodeOnly;
using testing::Record;
using testing::Record8121;
using testing::Record8211;
using testing::Record8221;
using testing::ServiceDetail;
using testing::ServiceSummary;
using testing::Table;

constexpr int kSortCols = 8;

Table SortRowsOf(const std::vector<Record>& data) {
  ClaimDisplay display;
  display.Show(ClaimFile(data));
  EXPECT_EQ(display.window().vsfSort().Cols(), kSortCols);
  return testing::TableOf(display.window().vsfSort(), 0, 0, kSortCols - 1);
}

TEST(BuildSortGrid, EachRuleTakesItsRecordsAndFields) {
  const struct {
    const char* name;
    Record record;
    Table rows;  // what the record adds to the sort grid
  } cases[] = {
      {"rule 1: 7131 with field 4 = 10, all eight columns",
       ServiceDetail("7131", "10", "202403", "131011", "1000000001", "13", "000120", "F18", "F19"),
       {{u"7131", u"202403", u"1000000001", u"131011", u"13", u"000120", u"F18", u"F19"}}},
      {"rule 1: not with field 4 = 01", ServiceDetail("7131", "01", "202403", "131011", "1000000001", "13", "120"),
       {}},
      {"rule 1: field 4 is exact text", ServiceDetail("7131", "10 ", "202403", "131011", "1000000001", "13", "1"),
       {}},
      {"rule 2: 7132", ServiceDetail("7132", "10", "202403", "271007", "1000000002", "63", "300", "a", "b"),
       {{u"7132", u"202403", u"1000000002", u"271007", u"63", u"300", u"a", u"b"}}},
      {"rule 2: not with field 4 = 20", ServiceDetail("7132", "20", "202403", "271007", "1000000002", "63", "1"),
       {}},
      {"rule 3: 7141", ServiceSummary("7141", "10", "202402", "401307", "1000000003", "31"),
       {{u"7141", u"202402", u"1000000003", u"401307", u"31", u"", u"", u""}}},
      {"rule 3: 7142", ServiceSummary("7142", "10", "202402", "401307", "1000000003", "34"),
       {{u"7142", u"202402", u"1000000003", u"401307", u"34", u"", u"", u""}}},
      {"rule 3: not with field 4 = 01", ServiceSummary("7142", "01", "202402", "401307", "1000000003", "34"), {}},
      {"rule 4: 7151", ServiceSummary("7151", "10", "202404", "131029", "1000000004", "13"),
       {{u"7151", u"202404", u"1000000004", u"131029", u"13", u"", u"", u""}}},
      {"rule 4: 7152", ServiceSummary("7152", "10", "202404", "131029", "1000000004", "63"),
       {{u"7152", u"202404", u"1000000004", u"131029", u"63", u"", u"", u""}}},
      {"rule 5: 7161", ServiceSummary("7161", "10", "202404", "131045", "1000000005", "31"),
       {{u"7161", u"202404", u"1000000005", u"131045", u"31", u"", u"", u""}}},
      {"rule 5: 7162, not with an empty field 4", ServiceSummary("7162", "", "202404", "131045", "1000000005", "31"),
       {}},
      {"rule 6: 8121 whatever its field 4", Record8121("01", "202403", "062019", "1000000006"),
       {{u"8121", u"202403", u"1000000006", u"062019", u"8121", u"", u"", u""}}},
      {"rule 6: 8121 with field 4 = 10", Record8121("10", "202403", "062019", "1000000006"),
       {{u"8121", u"202403", u"1000000006", u"062019", u"8121", u"", u"", u""}}},
      {"rule 7: 8221 with field 10 = 01", Record8221("01", "202404", "011015", "1000000007", "13"),
       {{u"8221", u"202404", u"1000000007", u"011015", u"13", u"", u"", u""}}},
      {"rule 7: 8221 with field 10 empty", Record8221("", "202404", "011015", "1000000007", "63"),
       {{u"8221", u"202404", u"1000000007", u"011015", u"63", u"", u"", u""}}},
      {"rule 7: not with field 10 = 99", Record8221("99", "202404", "011015", "1000000007", "13"), {}},
      {"7111 is no service record", CodeOnly("7111"), {}},
      {"7121 is no service record", ServiceSummary("7121", "10", "202404", "131045", "1000000005", "13"), {}},
      {"8211 is no service record", Record8211("202405"), {}},
      {"nor is an unknown code", ServiceSummary("7133", "10", "202404", "131045", "1000000005", "13"), {}},
      {"codes are exact text", ServiceSummary(" 7141", "10", "202404", "131045", "1000000005", "13"), {}},
  };
  for (const auto& c : cases) {
    const Table rows = SortRowsOf({c.record});
    EXPECT_EQ(rows, c.rows) << c.name << "\n" << testing::Printed(rows);
  }
}

// The codes of later generations are read as the codes they replaced, each
// with its own code in the sort grid.
TEST(BuildSortGrid, LaterGenerationsReadAsTheirPredecessors) {
  for (const char* code : {"8122", "8123", "8124", "8125"}) {
    const std::u16string c = common::Utf8ToUtf16(code);
    EXPECT_EQ(SortRowsOf({Record8121("01", "202603", "062019", "1000000006", code)}),
              (Table{{c, u"202603", u"1000000006", u"062019", c, u"", u"", u""}}))
        << code;
  }
  EXPECT_EQ(SortRowsOf({Record8221("01", "202604", "011015", "1000000007", "13", "8222"),
                        Record8221("99", "202604", "011015", "1000000007", "13", "8222")}),
            (Table{{u"8222", u"202604", u"1000000007", u"011015", u"13", u"", u"", u""}}));
  for (const char* neighbour : {"8120", "8126", "8220", "8223", "8212"})
    EXPECT_EQ(SortRowsOf({Record8121("01", "202603", "062019", "1000000006", neighbour)}), Table{}) << neighbour;
}

TEST(BuildSortGrid, InsurerNumberAlwaysHasSixDigits) {
  const struct {
    std::string field;
    std::u16string stored;
  } cases[] = {
      {"12345", u"012345"}, {"131011", u"131011"}, {"", u"000000"},        {"abc", u"000000"},
      {"1234567", u"1234567"}, {"12 345", u"012345"}, {"00012345", u"012345"}, {"12345A", u"012345"},
  };
  for (const auto& c : cases) {
    const Table rows = SortRowsOf({Record8121("10", "202404", c.field, "1000000001"),
                                   Record8221("01", "202404", c.field, "1000000002", "13"),
                                   ServiceSummary("7151", "10", "202404", c.field, "1000000003", "13")});
    ASSERT_EQ(rows.size(), 3u) << c.field;
    for (const auto& row : rows) EXPECT_EQ(row[3], c.stored) << c.field << " in " << testing::Printed({row});
  }
}

TEST(BuildSortGrid, ShortRecordsReadTheirMissingFieldsAsEmpty) {
  // An 8221 record cut after its field 11, in a file whose widest line is
  // that one: the grid has no column 21, and the record still counts.
  Record cut = Record8221("01", "202404", "131011", "1000000001", "13");
  cut.erase(cut.upper_bound(11), cut.end());
  ClaimDisplay display;
  display.Show({{{1, "1"}, {8, testing::kProvider}}, cut, {{1, "3"}}});
  ASSERT_LT(display.window().vsfCsv().Cols(), 22);
  EXPECT_EQ(testing::TableOf(display.window().vsfSort(), 0, 0, kSortCols - 1),
            (Table{{u"8221", u"202404", u"1000000001", u"131011", u"", u"", u"", u""}}));
}

TEST(BuildSortGrid, NoServiceRecordsLeaveTheSortGridEmpty) {
  for (const auto& data : std::vector<std::vector<Record>>{
           {}, {CodeOnly("7111"), CodeOnly("7121"), Record8211("202405")},
           {Record8221("99", "202404", "131011", "1000000001", "13")}}) {
    ClaimDisplay display;
    display.Show(ClaimFile(data));
    EXPECT_EQ(display.window().vsfSort().Rows(), 0);
    EXPECT_EQ(display.window().vsfViewer().Rows(), 1);
  }
}

TEST(SortSortGrid, OrdersByYearMonthThenInsuredPersonThenInsurer) {
  // File order is scrambled on purpose; column 0 tells the rows apart.
  const Table rows = SortRowsOf({
      ServiceDetail("7131", "10", "202404", "131029", "1000000002", "13", "1"),
      ServiceDetail("7132", "10", "202404", "131011", "1000000002", "13", "2"),
      ServiceSummary("7141", "10", "202403", "999999", "1000000009", "13"),
      Record8121("10", "202404", "131011", "1000000001"),
      ServiceSummary("7151", "10", "202403", "131011", "1000000009", "13"),
      ServiceSummary("7161", "10", "202404", "1", "1000000001", "13"),
  });
  Table keys;
  for (const auto& row : rows) keys.push_back({row[0], row[1], row[2], row[3]});
  EXPECT_EQ(keys, (Table{
                      {u"7151", u"202403", u"1000000009", u"131011"},
                      {u"7141", u"202403", u"1000000009", u"999999"},
                      {u"7161", u"202404", u"1000000001", u"000001"},
                      {u"8121", u"202404", u"1000000001", u"131011"},
                      {u"7132", u"202404", u"1000000002", u"131011"},
                      {u"7131", u"202404", u"1000000002", u"131029"},
                  }))
      << testing::Printed(keys);
}

TEST(SortSortGrid, ComparesKeysAsTextWithoutRegardToCase) {
  // Insured-person numbers are digits in real files; letters show which
  // comparison is used: as text (10 before 9) and without case (a before B).
  const Table rows = SortRowsOf({
      ServiceSummary("7141", "10", "202404", "131011", "B01", "13"),
      ServiceSummary("7151", "10", "202404", "131011", "9", "13"),
      ServiceSummary("7161", "10", "202404", "131011", "a02", "13"),
      ServiceSummary("7142", "10", "202404", "131011", "10", "13"),
  });
  std::vector<std::u16string> insured;
  for (const auto& row : rows) insured.push_back(row[2]);
  EXPECT_EQ(insured, (std::vector<std::u16string>{u"10", u"9", u"a02", u"B01"}));
}

TEST(SortSortGrid, KeepsFileOrderAmongRowsOfEqualKeys) {
  const Table rows = SortRowsOf({
      ServiceDetail("7131", "10", "202404", "131011", "1000000001", "13", "100"),
      ServiceDetail("7131", "10", "202403", "131011", "1000000009", "13", "900"),
      ServiceDetail("7132", "10", "202404", "131011", "1000000001", "13", "200"),
      ServiceDetail("7131", "10", "202404", "131011", "1000000001", "63", "300"),
  });
  std::vector<std::u16string> values;
  for (const auto& row : rows) values.push_back(row[5]);
  EXPECT_EQ(values, (std::vector<std::u16string>{u"900", u"100", u"200", u"300"}));
}

TEST(SortSortGrid, AnEmptySortGridSortsToNothing) {
  ClaimDisplay display;
  frmPellora& w = display.window();
  ASSERT_EQ(w.vsfSort().Rows(), 0);
  display.Show(ClaimFile({}));
  EXPECT_EQ(w.vsfSort().Rows(), 0);
  EXPECT_EQ(w.vsfSort().Col(), 1);
  EXPECT_EQ(w.vsfSort().ColSel(), 3);
}

}  // namespace
}  // namespace pellora
