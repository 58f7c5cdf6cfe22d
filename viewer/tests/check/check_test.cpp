// The claim check over real files: each fault claimgen puts into a complete
// file is found where it was put, with the severity its sources give it;
// the file's warnings are told on their lines; complete files of either
// kind and generation, and the bundled examples, give no finding at all,
// and their 請求書 state what their statements add up to.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "check/rules.h"
#include "common/cp932.h"
#include "common/utf.h"
#include "tests/check/check_support.h"

namespace pellora::check {
namespace {

using pellora::testing::TempFolder;
using testing::CheckBytes;
using testing::CheckPath;
using testing::Today;

std::string Describe(const Report& report) {
  std::string out;
  for (const Finding& f : report.findings) {
    out += std::to_string(f.line) + ":" + (f.field ? std::to_string(*f.field) : "-") + " " + std::string(f.rule) + " " +
           common::Utf16ToUtf8Lossy(f.message) + "\n";
  }
  return out;
}

// ---- one fault of each kind ----

struct FaultCase {
  const char* fault;
  Severity severity;
  const char* federationCode;
};

constexpr Severity kE = Severity::Error;
constexpr Severity kN = Severity::Notice;

// What the federation would do with each fault: refuse or return the file
// (an error), or what only one source or our own reading says (a notice).
const FaultCase kFaults[] = {
    {"record-number", kE, ""},
    {"no-control-record", kE, ""},
    {"record-kind", kE, ""},
    {"no-end-record", kE, ""},
    {"record-count", kE, ""},
    {"other-data-kind", kN, ""},
    {"medium-code", kN, ""},
    {"field-count", kE, ""},
    {"required", kE, "ABB0"},
    {"not-digits", kE, ""},
    {"not-alphanumeric", kE, ""},
    {"too-many-digits", kE, ""},
    {"number-length", kE, ""},
    {"insurer-number-six-digits", kN, ""},
    {"bad-date", kE, ""},
    {"unknown-code", kE, ""},
    {"unknown-exchange-id", kN, ""},
    {"forbidden-quote", kN, ""},
    {"not-cp932", kE, ""},
    {"service-month-processing", kE, ""},
    {"record-order", kE, ""},
    {"statement-without-basic", kE, ""},
    {"statement-without-detail", kE, ""},
    {"statement-without-total", kE, ""},
    {"statement-key", kE, ""},
    {"statement-basic-twice", kE, ""},
    {"claim-above-computed", kE, "ASSA"},
    {"claim-below-computed", kN, ""},
    {"user-share", kN, ""},
    {"basic-totals", kN, ""},
    {"detail-units", kN, ""},
    {"public-assistance-claim", kE, "ATT5"},
    {"invoice-twice", kE, ""},
    {"invoice-totals", kN, ""},
    {"statement-without-invoice", kE, ""},
    {"date-outside-month", kN, "AEEA"},
    {"days-over-month", kN, "AEE2"},
    {"outside-certification", kN, "12PD"},
    {"care-plan-total-line", kN, ""},
    {"care-plan-total", kN, ""},
    {"care-plan-total-fields", kN, ""},
    {"care-plan-units", kN, ""},
    {"record-in-wrong-file", kE, ""},
    {"bad-year-month", kE, ""},
    {"exchange-id-month", kE, ""},
    {"benefit-total-line", kE, ""},
    {"benefit-no-total-line", kE, ""},
    {"benefit-total-line-fields", kE, ""},
    {"benefit-too-many-lines", kE, ""},
    {"benefit-service-twice", kE, "ANNK"},
};

class CheckFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(CheckFaults, FoundWhereClaimgenPutIt) {
  const FaultCase& c = GetParam();
  TempFolder folder;
  claimgen::FaultPlace place;
  const std::filesystem::path file = folder.path() / "claim.csv";
  claimgen::WriteFile(file.string(), Today(c.fault), &place);
  const Report report = CheckPath(file);
  const auto found = std::find_if(report.findings.begin(), report.findings.end(), [&](const Finding& f) {
    return f.rule == c.fault && f.line == static_cast<int>(place.line) &&
           f.field == (place.field > 0 ? std::optional<int>(place.field) : std::nullopt);
  });
  ASSERT_NE(found, report.findings.end()) << "line " << place.line << " field " << place.field << "\n"
                                          << Describe(report);
  EXPECT_EQ(found->severity, c.severity);
  EXPECT_EQ(found->federationCode, c.federationCode);
  // In the federation's manner, but for the file's warnings, which keep
  // the texts the window has always shown.
  const std::set<std::string_view> warnings = {rule::kRecordCount, rule::kNoEndRecord, rule::kOtherDataKind};
  if (!warnings.contains(c.fault)) {
    EXPECT_EQ(found->message.find(found->item + u"："), 0u) << common::Utf16ToUtf8Lossy(found->message);
  }
  EXPECT_GE(report.errors, c.severity == kE ? 1u : 0u);
  EXPECT_TRUE(std::is_sorted(report.findings.begin(), report.findings.end(),
                             [](const Finding& a, const Finding& b) { return a.line < b.line; }));
}

INSTANTIATE_TEST_SUITE_P(Faults, CheckFaults, ::testing::ValuesIn(kFaults), [](const auto& info) {
  std::string name = info.param.fault;
  std::replace(name.begin(), name.end(), '-', '_');
  return name;
});

// ---- the file's warnings ----

// A claim file's bytes as Windows writes UTF-16, little-endian.
std::string Utf16(const std::string& cp932) {
  std::string out = "\xFF\xFE";
  for (const char16_t c : common::cp932::Decode(cp932)) out += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return out;
}

TEST(CheckWarnings, EachIsToldOnItsLineAndBytesThatAreNoTextGetNothingElse) {
  const std::string sound = claimgen::Generate(Today());
  std::string binary = "\x7F" "ELF\x02\x01\x01";
  for (int i = 0; i < 2000; ++i) binary += static_cast<char>(i * 7919 % 251);
  std::string lf = sound;
  std::erase(lf, '\r');
  const struct {
    const char* what;
    std::string bytes;
    std::string_view rule;
    Severity severity;
    bool alone;
  } cases[] = {
      {"an empty file", "", rule::kEmptyFile, kE, true},
      {"UTF-16", Utf16(sound), rule::kUtf16, kE, true},
      {"a program", binary, rule::kNotText, kE, true},
      {"UTF-8", common::Utf16ToUtf8Lossy(common::cp932::Decode(sound)), rule::kUtf8, kE, false},
      {"LF line ends", lf, rule::kLfLineEnds, kE, true},
      {"no data records", "1,00000001,0,0,711,0,0,1371234567,13,7,202404,1\r\n3,00000002\r\n", rule::kNoDataRecords, kN,
       true},
      {"a 請求書 alone", "1,00000001,0,1,711,0,0,1371234567,13,7,202404,1\r\n"
                        "2,00000002,7111,202403,1371234567,1,,01,0,0,0,0,0,0,0,0,0,0,0,0\r\n3,00000003\r\n",
       rule::kNoShownRecords, kN, true},
  };
  TempFolder folder;
  for (const auto& c : cases) {
    const Report report = CheckBytes(folder, c.bytes);
    ASSERT_FALSE(report.findings.empty()) << c.what;
    const Finding& f = report.findings.front();
    EXPECT_EQ(f.rule, c.rule) << c.what;
    EXPECT_EQ(f.line, 0) << c.what;
    EXPECT_EQ(f.severity, c.severity) << c.what;
    if (c.alone) {
      EXPECT_EQ(report.findings.size(), 1u) << c.what << "\n" << Describe(report);
    }
  }
}

// Every rule is shown above to fire: by a fault of claimgen's or a file of
// the test's own.
TEST(CheckRules, EachRuleIsShownToFireAndTheExportsReadmeListsIt) {
  std::set<std::string_view> shown = {rule::kEmptyFile,   rule::kUtf16,         rule::kNotText,
                                      rule::kUtf8,        rule::kLfLineEnds,    rule::kNoDataRecords,
                                      rule::kNoShownRecords};
  for (const FaultCase& c : kFaults) shown.insert(c.fault);
  for (const std::string_view fault : claimgen::Faults()) EXPECT_TRUE(shown.contains(fault)) << fault;
  std::ifstream in(PELLORA_EXPORT_README);
  std::stringstream readme;
  readme << in.rdbuf();
  for (const Rule& r : Rules()) {
    EXPECT_TRUE(shown.contains(r.code)) << r.code;
    EXPECT_NE(readme.str().find("| `" + std::string(r.code) + "` |"), std::string::npos) << r.code;
  }
}

// ---- complete files ----

// Each 請求書 states what its statements add up to, and a month's kinds
// add up to the month.
void ExpectAmountsAddUp(const Amounts& amounts, const std::string& what) {
  Figures kinds, months;
  for (const AmountRow& row : amounts.rows) {
    if (row.stated) {
      EXPECT_EQ(*row.stated, row.added) << what << " " << common::Utf16ToUtf8Lossy(row.serviceMonth);
    }
    if (row.serviceKind.empty()) months.units += row.added.units, months.cost += row.added.cost;
    else kinds.units += row.added.units, kinds.cost += row.added.cost;
  }
  EXPECT_EQ(kinds.units, months.units) << what;
  EXPECT_EQ(kinds.cost, months.cost) << what;
  EXPECT_EQ(months.units, amounts.added.units) << what;
  if (amounts.stated) {
    EXPECT_EQ(*amounts.stated, amounts.added) << what;
  }
}

// The same file as a writer that quotes every data item writes it: each
// data record's fields from the third on in double quotes, quotes inside
// doubled.
std::string QuotingEveryItem(const std::string& bytes) {
  std::string out;
  for (std::size_t start = 0; start < bytes.size();) {
    const std::size_t end = bytes.find("\r\n", start);
    const std::string_view line(bytes.data() + start, end - start);
    start = end + 2;
    if (!line.starts_with("2,")) {
      (out += line) += "\r\n";
      continue;
    }
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"') fields.back() += '"', ++i;
      else if (line[i] == '"') quoted = !quoted;
      else if (line[i] == ',' && !quoted) fields.emplace_back();
      else fields.back() += line[i];
    }
    for (std::size_t f = 0; f < fields.size(); ++f) {
      if (f > 0) out += ',';
      if (f < 2) {
        out += fields[f];
        continue;
      }
      out += '"';
      for (const char c : fields[f]) (c == '"' ? out += "\"\"" : out += c);
      out += '"';
    }
    out += "\r\n";
  }
  return out;
}

TEST(CheckValid, CompleteFilesAndTheExamplesGiveNoFindingAndTheirAmountsAddUp) {
  TempFolder folder;
  std::vector<std::pair<std::string, std::filesystem::path>> files;
  for (const auto& entry : std::filesystem::directory_iterator(PELLORA_EXAMPLES))
    if (entry.path().extension() == ".csv") files.emplace_back(entry.path().filename().string(), entry.path());
  ASSERT_GE(files.size(), 3u);
  // Each generation in the months its codes were valid; files of every
  // size, down to the smallest complete one.
  const struct {
    claimgen::Generation generation;
    const char* month;
  } eras[] = {{claimgen::Generation::First, "200504"},
              {claimgen::Generation::Current, "201305"},
              {claimgen::Generation::Current, "202604"}};
  int n = 0;
  for (const auto kind : {claimgen::FileKind::CareFeeClaim, claimgen::FileKind::BenefitManagement}) {
    for (const auto& era : eras) {
      for (const std::size_t lines : {6u, 13u, 31u, 2500u}) {
        claimgen::Options options = Today("", lines);
        options.kind = kind, options.generation = era.generation, options.yearMonth = era.month;
        options.seed = lines;
        const std::string name = "generated-" + std::to_string(++n) + ".csv";
        files.emplace_back(name + " (" + era.month + ")", folder.Write(name, claimgen::Generate(options)));
      }
    }
  }
  // Every data item quoted, as one writer writes them.
  files.emplace_back("every item quoted", folder.Write("quoted.csv", QuotingEveryItem(claimgen::Generate(Today("", 800)))));
  for (const auto& [what, path] : files) {
    const Report report = CheckPath(path);
    EXPECT_TRUE(report.findings.empty()) << what << "\n" << Describe(report);
    EXPECT_FALSE(report.amounts.rows.empty()) << what;
    ExpectAmountsAddUp(report.amounts, what);
  }
}

// The exchange IDs by the months of their generation: 8124 and 8125 from
// April 2012, which an older source dates April 2009 (a notice between).
TEST(CheckMonths, EachGenerationsCodesInTheirMonthsAndOutside) {
  const struct {
    claimgen::FileKind kind;
    claimgen::Generation generation;
    const char* month;
    std::set<Severity> told;
  } cases[] = {
      {claimgen::FileKind::CareFeeClaim, claimgen::Generation::Current, "201205", {kN}},  // 8124 in 2012-03
      {claimgen::FileKind::CareFeeClaim, claimgen::Generation::Current, "201206", {}},
      {claimgen::FileKind::CareFeeClaim, claimgen::Generation::Current, "200905", {kE, kN}},  // 2009-03, 2009-04
      {claimgen::FileKind::CareFeeClaim, claimgen::Generation::First, "200605", {kE}},    // 8121 in 2006-04
      {claimgen::FileKind::CareFeeClaim, claimgen::Generation::First, "202404", {kE}},
      {claimgen::FileKind::BenefitManagement, claimgen::Generation::Current, "200604", {kE}},  // 8222 in 2006-03
      {claimgen::FileKind::BenefitManagement, claimgen::Generation::First, "200605", {kE}},    // 8221 in 2006-04
  };
  TempFolder folder;
  for (const auto& c : cases) {
    claimgen::Options options = Today("", 600);
    options.kind = c.kind, options.generation = c.generation, options.yearMonth = c.month;
    const Report report = CheckBytes(folder, claimgen::Generate(options));
    std::set<Severity> told;
    for (const Finding& f : report.findings) {
      EXPECT_EQ(f.rule, rule::kExchangeIdMonth) << c.month << "\n" << Describe(report);
      told.insert(f.severity);
    }
    EXPECT_EQ(told, c.told) << c.month << "\n" << Describe(report);
  }
}

// The 請求書 against its statements: a count one too many is told on the
// 請求書, and the amounts show both.
TEST(CheckAmounts, TheInvoicesStatementsAgainstWhatItStates) {
  TempFolder folder;
  const Report report = CheckBytes(folder, claimgen::Generate(Today("invoice-totals")));
  const auto stated = std::find_if(report.amounts.rows.begin(), report.amounts.rows.end(),
                                   [](const AmountRow& row) { return row.stated && *row.stated != row.added; });
  ASSERT_NE(stated, report.amounts.rows.end());
  EXPECT_EQ(stated->stated->statements, stated->added.statements + 1);
  EXPECT_EQ(stated->stated->units, stated->added.units);
}

}  // namespace
}  // namespace pellora::check
