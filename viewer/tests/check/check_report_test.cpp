// The check's reports read back: the JSON by a real JSON reader, the CSV
// by a reader of quoted fields, the text as a terminal shows it; each must
// carry every finding and amount of the report, field by field.

#include "check/check_report.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "common/utf.h"
#include "tests/check/check_support.h"

namespace pellora::check {
namespace {

using pellora::testing::TempFolder;
using testing::CheckBytes;
using testing::Today;

std::string U8(std::u16string_view text) { return common::Utf16ToUtf8Lossy(text); }

// A report of every shape of finding: of the file, of a line, of a field;
// with a federation code and without; of every form. The faults of two
// files, and a name as the caller fills it in.
Report MixedReport() {
  TempFolder folder;
  Report report = CheckBytes(folder, claimgen::Generate(Today("public-assistance-claim")));
  for (const char* fault : {"statement-without-detail", "care-plan-total", "benefit-service-twice", "record-count"}) {
    Report other = CheckBytes(folder, claimgen::Generate(Today(fault)));
    report.findings.insert(report.findings.end(), other.findings.begin(), other.findings.end());
    report.errors += other.errors;
    report.notices += other.notices;
  }
  Finding odd;
  odd.severity = Severity::Notice;
  odd.rule = "no-shown-records";
  odd.message = u"改行\r\nと \"引用符\" と \\ と \t";
  report.findings.push_back(odd);
  report.findings.front().name = u"山田　\"太郎\"";
  return report;
}

std::string Text(const nlohmann::json& j) { return j.get<std::string>(); }

TEST(CheckReport, JsonCarriesEveryFindingAndAmount) {
  const Report report = MixedReport();
  const nlohmann::json j = nlohmann::json::parse(ReportJson(report));
  EXPECT_EQ(Text(j["summary"]), U8(SummaryLine(report)));
  EXPECT_EQ(j["errors"].get<std::size_t>(), report.errors);
  EXPECT_EQ(j["notices"].get<std::size_t>(), report.notices);
  ASSERT_EQ(j["findings"].size(), report.findings.size());
  std::set<std::string> forms;
  for (std::size_t i = 0; i < report.findings.size(); ++i) {
    const Finding& f = report.findings[i];
    const nlohmann::json& o = j["findings"][i];
    EXPECT_EQ(o["line"].get<int>(), f.line);
    if (f.field) EXPECT_EQ(o["field"].get<int>(), *f.field);
    else EXPECT_TRUE(o["field"].is_null());
    EXPECT_EQ(Text(o["item"]), U8(f.item));
    EXPECT_EQ(Text(o["severity"]), f.severity == Severity::Error ? "error" : "notice");
    EXPECT_EQ(Text(o["rule"]), f.rule);
    if (f.federationCode.empty()) EXPECT_TRUE(o["federationCode"].is_null());
    else EXPECT_EQ(Text(o["federationCode"]), f.federationCode);
    EXPECT_EQ(Text(o["insurerNumber"]), U8(f.insurerNumber));
    EXPECT_EQ(Text(o["insuredNumber"]), U8(f.insuredNumber));
    if (f.form == Form::None) EXPECT_TRUE(o["form"].is_null());
    else forms.insert(Text(o["form"]));
    EXPECT_EQ(Text(o["serviceMonth"]), U8(f.serviceMonth));
    EXPECT_EQ(Text(o["message"]), U8(f.message));
    EXPECT_EQ(Text(o["name"]), U8(f.name));
  }
  EXPECT_EQ(forms, (std::set<std::string>{"請", "給", "サ"}));
  const nlohmann::json& rows = j["amounts"]["rows"];
  ASSERT_EQ(rows.size(), report.amounts.rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const AmountRow& row = report.amounts.rows[i];
    EXPECT_EQ(Text(rows[i]["serviceMonth"]), U8(row.serviceMonth));
    EXPECT_EQ(rows[i]["serviceKind"].is_null(), row.serviceKind.empty());
    EXPECT_EQ(rows[i]["stated"].is_null(), !row.stated);
    EXPECT_EQ(rows[i]["added"]["units"].get<std::int64_t>(), row.added.units);
    EXPECT_EQ(rows[i]["added"]["userShare"].get<std::int64_t>(), row.added.userShare);
  }
  EXPECT_EQ(j["amounts"]["added"]["cost"].get<std::int64_t>(), report.amounts.added.cost);
}

// The fields of CSV lines: double-quoted, quotes doubled inside, lines
// ending in CR LF.
std::vector<std::vector<std::string>> ReadCsv(std::string_view text) {
  std::vector<std::vector<std::string>> lines;
  std::vector<std::string> fields;
  std::string field;
  bool quoted = false, any = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') field += '"', ++i;
      else if (c == '"') quoted = false;
      else field += c;
    } else if (c == '"') {
      quoted = any = true;
    } else if (c == ',') {
      fields.push_back(std::move(field)), field.clear();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      if (any || !fields.empty()) fields.push_back(std::move(field));
      lines.push_back(std::move(fields));
      fields.clear(), field.clear(), any = false, ++i;
    } else {
      ADD_FAILURE() << "a character outside quotes: " << c;
    }
  }
  EXPECT_TRUE(field.empty() && fields.empty()) << "the last line has no CR LF";
  return lines;
}

TEST(CheckReport, CsvHasTheSummaryEveryFindingAndTheAmounts) {
  const Report report = MixedReport();
  const std::string csv = ReportCsv(report);
  ASSERT_TRUE(csv.starts_with(common::kUtf8ByteOrderMark));
  const auto lines = ReadCsv(std::string_view(csv).substr(common::kUtf8ByteOrderMark.size()));
  const std::size_t findings = report.findings.size(), rows = report.amounts.rows.size();
  ASSERT_EQ(lines.size(), 3 + findings + 2 + rows + 1);
  EXPECT_EQ(lines[0], std::vector<std::string>{U8(SummaryLine(report))});
  EXPECT_TRUE(lines[1].empty());
  ASSERT_EQ(lines[2].size(), 12u);
  for (std::size_t i = 0; i < findings; ++i) {
    const Finding& f = report.findings[i];
    const std::vector<std::string> expected = {std::to_string(f.line),
                                               f.field ? std::to_string(*f.field) : "",
                                               U8(f.item),
                                               U8(SeverityText(f.severity)),
                                               std::string(f.rule),
                                               std::string(f.federationCode),
                                               U8(f.insurerNumber),
                                               U8(f.insuredNumber),
                                               U8(f.name),
                                               U8(FormText(f.form)),
                                               U8(f.serviceMonth),
                                               U8(f.message)};
    EXPECT_EQ(lines[3 + i], expected);
  }
  EXPECT_TRUE(lines[3 + findings].empty());
  const std::size_t columns = lines[4 + findings].size();
  EXPECT_EQ(columns, 15u);
  for (std::size_t i = 0; i < rows; ++i) {
    const AmountRow& row = report.amounts.rows[i];
    const std::vector<std::string>& line = lines[5 + findings + i];
    ASSERT_EQ(line.size(), columns);
    EXPECT_EQ(line[0], U8(row.serviceMonth));
    EXPECT_EQ(line[4], std::to_string(row.added.units));
    EXPECT_EQ(line[10], row.stated ? std::to_string(row.stated->units) : "");
  }
  EXPECT_EQ(lines.back()[3], std::to_string(report.amounts.added.statements));
}

TEST(CheckReport, TextGivesTheSummaryThenEachFindingInOrder) {
  const Report report = MixedReport();
  const std::string text = ReportText(report);
  EXPECT_TRUE(text.starts_with(U8(SummaryLine(report)) + "\n"));
  std::size_t at = 0;
  for (const Finding& f : report.findings) {
    const std::size_t found = text.find(U8(f.message), at);
    ASSERT_NE(found, std::string::npos) << U8(f.message);
    at = found;
  }
  EXPECT_NE(text.find("[public-assistance-claim ATT5]"), std::string::npos);
}

TEST(CheckReport, SummaryLineSaysHowManyOfEach) {
  const struct {
    std::size_t errors, notices;
    std::u16string line;
  } cases[] = {{0, 0, u"点検: エラーなし"},
               {0, 2, u"点検: エラーなし、確認 2 件"},
               {3, 0, u"点検: エラー 3 件、確認 0 件"},
               {1, 12, u"点検: エラー 1 件、確認 12 件"}};
  for (const auto& c : cases) {
    Report report;
    report.errors = c.errors, report.notices = c.notices;
    EXPECT_EQ(SummaryLine(report), c.line);
  }
}

}  // namespace
}  // namespace pellora::check
