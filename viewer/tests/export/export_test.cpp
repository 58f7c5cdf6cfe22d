// pellora-export, the real program: a claim file and a provider database on
// disk, its output read back as JSON and CSV, its exit statuses and error
// texts, and the database found as Pellora's start-up finds it.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <nlohmann/json.hpp>

#include "claimgen/claimgen.h"
#include "jetwriter/jet_description.h"
#include "tests/display/claim_display.h"
#include "tests/export/program_run.h"
#include "tests/lookup/provider_database.h"

namespace pellora {
namespace {

using testing::DatabaseForm;
using testing::ProgramRun;
using testing::ReadAll;
using testing::Record;
using testing::RunProgram;
using Json = nlohmann::json;

// A folder with a claim file, a provider database and the program's
// output.
class Export : public ::testing::Test {
 protected:
  std::string WriteClaim(const std::vector<Record>& records, const std::string& name = "claim.csv") {
    const std::filesystem::path file = dir / name;
    std::ofstream(file, std::ios::binary) << testing::FileBytes(records);
    return file.string();
  }
  std::string WriteDatabase(DatabaseForm form = DatabaseForm::Jet4Compressed) {
    return testing::WriteProviderDatabase(dir, form).string();
  }
  ProgramRun RunExport(const std::vector<std::string>& args) { return RunProgram(PELLORA_EXPORT, args, dir); }

  testing::TempDir dir;
};

std::vector<Record> CareFeeClaim() {
  using namespace testing;
  return ClaimFile({
      ServiceDetail("7131", "10", "202403", "131011", "0000000001", "13", "120"),
      ServiceDetail("7131", "10", "202403", "131011", "0000000001", "63", "30"),
      ServiceDetail("7132", "10", "202403", "1234", "0000000003", "31", "45"),
      ServiceSummary("7142", "10", "202403", "131011", "0000000011", "34"),
      ServiceDetail("7131", "10", "202404", "131011", "9999999999", "13", "200"),
  });
}

// ---- JSON ----

TEST_F(Export, JsonCarriesTheHeaderRowsNamesAndTotals) {
  const std::string claim = WriteClaim(CareFeeClaim());
  const ProgramRun run = RunExport({"--db", WriteDatabase(DatabaseForm::Jet3CodePage932), claim});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const Json j = Json::parse(run.out);

  EXPECT_EQ(j["file"], claim);
  EXPECT_EQ(j["kind"], "介護給付費請求書情報");
  EXPECT_EQ(j["yearMonthCaption"], "処理対象年月");
  EXPECT_EQ(j["yearMonth"], "2024年04月");
  EXPECT_EQ(j["provider"], Json::parse(R"({"number": "1371234567", "name": "髙橋ケアステーション①",
                                             "status": "found"})"));
  const Json rows = Json::parse(R"([
    {"yearMonth": "2024年03月", "insuredNumber": "0000000001", "insurerNumber": "131011", "name": "髙橋 一郎",
     "nameStatus": "found", "services": {"訪問看護": 120, "予防訪問看護": 30}},
    {"yearMonth": "2024年03月", "insuredNumber": "0000000003", "insurerNumber": "001234", "name": "鈴木～花子",
     "nameStatus": "found", "services": {"居宅療養": 45}},
    {"yearMonth": "2024年03月", "insuredNumber": "0000000011", "insurerNumber": "131011",
     "name": "引用\"符,と読点", "nameStatus": "found", "services": {"予防居宅療養": 0}},
    {"yearMonth": "2024年04月", "insuredNumber": "9999999999", "insurerNumber": "131011", "name": "",
     "nameStatus": "not-found", "services": {"訪問看護": 200}}
  ])");
  EXPECT_EQ(j["rows"], rows) << j["rows"].dump(2);
  EXPECT_EQ(j["totals"], Json::parse(R"([
    {"month": "2024/03", "persons": 3, "services": 1, "carePlans": 0},
    {"month": "2024/04", "persons": 1, "services": 1, "carePlans": 0}
  ])"));
}

TEST_F(Export, JsonOfABenefitManagementFile) {
  using namespace testing;
  const std::string claim = WriteClaim(ClaimFile({Record8211("202405"),
                                                  Record8221("01", "202404", "131011", "0000000006", "31")}));
  const ProgramRun run = RunExport({"--format=json", "--db", WriteDatabase(DatabaseForm::Jet4Plain), claim});
  ASSERT_EQ(run.status, 0) << run.err;
  const Json j = Json::parse(run.out);
  EXPECT_EQ(j["kind"], "給付管理票情報");
  EXPECT_EQ(j["yearMonthCaption"], "提出年月");
  EXPECT_EQ(j["yearMonth"], "2024年05月");
  ASSERT_EQ(j["rows"].size(), 1u);
  EXPECT_EQ(j["rows"][0]["name"], "ﾊﾝｶｸｶﾅ ﾀﾛｳ");
  EXPECT_EQ(j["rows"][0]["services"], Json::parse(R"({"居宅療養": 0})"));
  EXPECT_EQ(j["totals"], Json::parse(R"([{"month": "2024/04", "persons": 1, "services": 0, "carePlans": 0}])"));
}

TEST_F(Export, WithoutAUsableDatabaseEveryNameIsUnavailable) {
  for (const std::string& db : {(dir / "missing.qdr").string(), WriteClaim({}, "not-a-database.qdr")}) {
    const ProgramRun run = RunExport({"--db", db, WriteClaim(CareFeeClaim())});
    ASSERT_EQ(run.status, 0) << run.err;
    const Json j = Json::parse(run.out);
    EXPECT_EQ(j["provider"]["status"], "unavailable");
    EXPECT_EQ(j["provider"]["name"], "");
    for (const Json& row : j["rows"]) EXPECT_EQ(row["nameStatus"], "unavailable");
  }
}

TEST_F(Export, FileOfOneLineShowsAnEmptyDisplay) {
  const ProgramRun run = RunExport({"--db", WriteDatabase(), WriteClaim({testing::ControlRecord()})});
  ASSERT_EQ(run.status, 0) << run.err;
  const Json j = Json::parse(run.out);
  EXPECT_EQ(j["kind"], "");
  EXPECT_EQ(j["yearMonthCaption"], "年月");
  EXPECT_EQ(j["provider"], Json::parse(R"({"number": "", "name": "", "status": null})"));
  EXPECT_EQ(j["rows"], Json::array());
  EXPECT_EQ(j["totals"], Json::array());
}

// ---- CSV ----

// RFC 4180 records of a text, for reading the export back.
std::vector<std::vector<std::string>> ParseCsv(std::string_view text) {
  std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        records.back().back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        records.back().back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      records.back().emplace_back();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      records.emplace_back(1);
      ++i;
    } else {
      records.back().back() += c;
    }
  }
  if (records.back() == std::vector<std::string>(1)) records.pop_back();
  return records;
}

// ---- Warnings ----

// The codes of the warning lines on standard error, or "?" for a line that
// is not a warning.
std::vector<std::string> WarningCodes(const std::string& err) {
  static const std::string kPrefix = "pellora-export: warning: ";
  std::vector<std::string> codes;
  std::istringstream lines(err);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t end = line.find(": ", kPrefix.size());
    const bool warning = line.starts_with(kPrefix) && end != std::string::npos && end + 2 < line.size();
    codes.push_back(warning ? line.substr(kPrefix.size(), end - kPrefix.size()) : "?");
  }
  return codes;
}

TEST_F(Export, WarningsGoToStandardErrorAndFailOnlyAStrictRun) {
  const std::string database = WriteDatabase();
  std::string crLf = testing::FileBytes(CareFeeClaim());
  std::string lf = crLf;
  std::erase(lf, '\r');
  const std::string cut = crLf.substr(0, crLf.find("\r\n2,", crLf.find("\r\n2,") + 1) + 2);
  struct {
    const char* what;
    std::vector<std::string> args;
    std::vector<std::string> codes;
  } cases[] = {
      {"a sound file", {"--db", database, WriteClaim(CareFeeClaim())}, {}},
      {"LF line ends", {"--db", database, WriteClaim({}, "lf.csv")}, {"lf-line-ends"}},
      // Its one data record is not one the display shows.
      {"cut after one data record",
       {"--db", database, WriteClaim({}, "cut.csv")},
       {"record-count", "no-end-record", "no-shown-records"}},
      {"a database that does not open", {"--db", (dir / "missing.qdr").string(), WriteClaim(CareFeeClaim())},
       {"db-unusable"}},
      {"a settings file that cannot be read", {"--ini", (dir / "missing.ini").string(), WriteClaim(CareFeeClaim())},
       {"ini-unusable"}},
  };
  // Without its settings file the program takes the data.qdr beside it,
  // which the build writes; where it is missing, that is a warning too.
  if (!std::filesystem::exists(std::filesystem::path(PELLORA_EXPORT).parent_path() / "data.qdr")) {
    cases[std::size(cases) - 1].codes.push_back("db-unusable");
  }
  std::ofstream(dir / "lf.csv", std::ios::binary) << lf;
  std::ofstream(dir / "cut.csv", std::ios::binary) << cut;
  for (const auto& c : cases) {
    const ProgramRun run = RunExport(c.args);
    EXPECT_EQ(run.status, 0) << c.what << run.err;
    EXPECT_EQ(WarningCodes(run.err), c.codes) << c.what << run.err;
    EXPECT_EQ(Json::parse(run.out)["file"], c.args.back()) << c.what;

    std::vector<std::string> strict = c.args;
    strict.insert(strict.begin(), "--strict");
    const ProgramRun strictRun = RunExport(strict);
    EXPECT_EQ(strictRun.status, c.codes.empty() ? 0 : 3) << c.what;
    EXPECT_EQ(strictRun.out, run.out) << c.what;
  }
  // A file that cannot be read is still that failure, strict or not.
  EXPECT_EQ(RunExport({"--strict", (dir / "missing.csv").string()}).status, 2);
}

// The bundled example of a benefit-management file of today (8222 records,
// no cover sheet), with the example database: its year-month from the
// control record, its rows and totals, exactly as reviewed once.
TEST_F(Export, CurrentBenefitManagementExampleAsReviewed) {
  jetwriter::WriteJetFile(jetwriter::ReadDescriptionFile(PELLORA_EXAMPLES "/data.qdr.txt"), dir / "data.qdr");
  const ProgramRun run = RunExport({"--format", "csv", "--strict", "--db", (dir / "data.qdr").string(),
                                    PELLORA_EXAMPLES "/benefit-management-current-202604.csv"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, ReadAll(EXPECTED_OUTPUT "/benefit-management-current-202604.csv"));
}

// The check's report of a complete example and of a file with one fault,
// exactly as reviewed once: status 0 without an error, 3 with one.
TEST_F(Export, CheckReportsAsReviewed) {
  jetwriter::WriteJetFile(jetwriter::ReadDescriptionFile(PELLORA_EXAMPLES "/data.qdr.txt"), dir / "data.qdr");
  const ProgramRun clean = RunExport({"--check", "--db", (dir / "data.qdr").string(),
                                      PELLORA_EXAMPLES "/benefit-management-current-202604.csv"});
  EXPECT_EQ(clean.status, 0) << clean.err;
  EXPECT_EQ(clean.out, ReadAll(EXPECTED_OUTPUT "/check-benefit-management-current-202604.json"));

  claimgen::Options faulty;
  faulty.lines = 40;
  faulty.generation = claimgen::Generation::Current;
  faulty.fault = "claim-above-computed";
  claimgen::WriteFile((dir / "faulty.csv").string(), faulty);
  const ProgramRun found =
      RunExport({"--check", "--format", "text", "--db", (dir / "data.qdr").string(), (dir / "faulty.csv").string()});
  EXPECT_EQ(found.status, 3) << found.err;
  EXPECT_EQ(found.out, ReadAll(EXPECTED_OUTPUT "/check-claim-above-computed.txt"));
  // The same findings as JSON and as CSV: one finding, an error.
  const Json json = Json::parse(RunExport({"--check", (dir / "faulty.csv").string()}).out);
  ASSERT_EQ(json["findings"].size(), 1u);
  EXPECT_EQ(json["findings"][0]["rule"], "claim-above-computed");
  EXPECT_EQ(json["findings"][0]["severity"], "error");
  EXPECT_TRUE(RunExport({"--check", "--format", "csv", (dir / "faulty.csv").string()}).out.starts_with("\xEF\xBB\xBF"));
  // The report goes to standard output: a PDF of it is no format of its.
  EXPECT_EQ(RunExport({"--check", "--format", "pdf", "--output", (dir / "x.pdf").string(), (dir / "faulty.csv").string()})
                .status,
            64);
}

TEST_F(Export, CsvIsHeaderDisplayAndTotalsQuotedWithAByteOrderMark) {
  const ProgramRun run = RunExport({"--format", "csv", "--db", WriteDatabase(), WriteClaim(CareFeeClaim())});
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_TRUE(run.out.starts_with("\xEF\xBB\xBF"));
  const std::string body = run.out.substr(3);
  EXPECT_TRUE(body.ends_with("\r\n"));
  // Every line ends in CR LF; every field is quoted, and the two lines
  // between the parts are empty.
  std::size_t lines = 0;
  std::size_t emptyLines = 0;
  for (std::size_t at = 0; (at = body.find('\n', at)) != std::string::npos; ++at, ++lines) {
    EXPECT_EQ(body[at - 1], '\r');
    if (at >= 2 && body[at - 2] == '\n') {
      ++emptyLines;
    } else {
      EXPECT_EQ(body[at - 2], '"');
    }
  }
  EXPECT_EQ(lines, 13u);
  EXPECT_EQ(emptyLines, 2u);
  EXPECT_NE(body.find(R"("引用""符,と読点")"), std::string::npos);

  const std::vector<std::vector<std::string>> expected = {
      {"種類", "介護給付費請求書情報"},
      {"処理対象年月", "2024年04月"},
      {"事業所", "1371234567", "髙橋ケアステーション①"},
      {""},
      {"年月", "被保険者番号", "保険者番号", "氏名", "　訪問看護　", "予防訪問看護", "　居宅療養　", "予防居宅療養"},
      {"2024年03月", "0000000001", "131011", "髙橋 一郎", "120", "30", "", ""},
      {"2024年03月", "0000000003", "001234", "鈴木～花子", "", "", "45", ""},
      {"2024年03月", "0000000011", "131011", "引用\"符,と読点", "", "", "", "0"},
      {"2024年04月", "9999999999", "131011", "", "200", "", "", ""},
      {""},
      {"月分", "人数", "サービス", "ケアプラン"},
      {"2024/03", "3", "1", "0"},
      {"2024/04", "1", "1", "0"},
  };
  EXPECT_EQ(ParseCsv(body), expected);
}

// ---- Text ----

TEST_F(Export, TextShowsHeaderNamesAndTotalsForATerminal) {
  const ProgramRun run = RunExport({"--format", "text", "--db", WriteDatabase(), WriteClaim(CareFeeClaim())});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* expected : {"介護給付費請求書情報", "処理対象年月  2024年04月", "1371234567  髙橋ケアステーション①",
                               "髙橋 一郎", "鈴木～花子", "未登録", "2024/03     3         1           0"}) {
    EXPECT_NE(run.out.find(expected), std::string::npos) << expected << " not in\n" << run.out;
  }
  // The insurer number's column is hidden in the window, and here.
  EXPECT_EQ(run.out.find("  保険者番号"), std::string::npos) << run.out;
}

// ---- Failures and usage ----

TEST_F(Export, ClaimFileThatCannotBeReadGivesItsErrorAndStatus2) {
  const struct {
    const char* what;
    std::string path;
    std::string error;
  } cases[] = {
      {"missing file", (dir / "missing.csv").string(), "53:ファイルが見つかりません。\n"},
      {"missing folder", (dir / "no-folder" / "claim.csv").string(), "76:パスが見つかりません。\n"},
      {"a folder", dir.path().string(), "75:パス/ファイル アクセス エラーです。\n"},
  };
  const std::string db = WriteDatabase();
  for (const auto& c : cases) {
    const ProgramRun run = RunExport({"--db", db, c.path});
    EXPECT_EQ(run.status, 2) << c.what;
    EXPECT_EQ(run.err, c.error) << c.what;
    EXPECT_EQ(run.out, "") << c.what;
  }
}

TEST_F(Export, ClaimFileFailingPartWayGivesItsErrorAndStatus2) {
  const std::string path = testing::FileThatFailsAtRead();
  if (path.empty()) GTEST_SKIP() << "no file on this machine fails at read";
  const ProgramRun run = RunExport({"--db", WriteDatabase(), path});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find(";"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
}

TEST_F(Export, CommandLineThatDoesNotFitTheUsageGivesStatus64) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"--format", "xml", "claim.csv"},
      {"--format"},
      {"--colour", "claim.csv"},
      {"one.csv", "two.csv"},
      {"--db"},
      {"--table", "m_insd"},
      {"--db", "data.qdr", "--table", "m_insd", "claim.csv"},
      {"--db", "data.qdr", "--table", "m_insd", "--format", "csv"},
      {"--db", "data.qdr", "--table", "m_insd", "--format", "pdf", "--output", "x.pdf"},
      // A PDF goes to a file, and only a PDF does.
      {"--format", "pdf", "claim.csv"},
      {"--output", "x.pdf", "claim.csv"},
      {"--format", "csv", "--paper", "A4", "claim.csv"},
      {"--format", "pdf", "--output", "x.pdf", "--paper", "A6", "claim.csv"},
      {"--format", "pdf", "--output", "x.pdf", "--orientation", "upright", "claim.csv"},
  };
  for (const auto& args : cases) {
    const ProgramRun run = RunExport(args);
    EXPECT_EQ(run.status, 64) << ::testing::PrintToString(args);
    EXPECT_NE(run.err.find("Usage: pellora-export"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
  const ProgramRun help = RunExport({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("Usage: pellora-export")) << help.out;
}

TEST_F(Export, ClaimFileNamedAfterTheOptionsMayBeginWithADash) {
  WriteClaim(CareFeeClaim(), "-claim.csv");
  const ProgramRun run = RunExport({"--db", WriteDatabase(), "--", "-claim.csv"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Json::parse(run.out)["file"], "-claim.csv");
  EXPECT_EQ(Json::parse(run.out)["rows"].size(), 4u);
}

TEST_F(Export, OutputThatCannotBeWrittenIsAFailure) {
  const ProgramRun run = RunProgram(PELLORA_EXPORT, {"--db", WriteDatabase(), WriteClaim(CareFeeClaim())}, dir, "/dev/full");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("could not be written"), std::string::npos) << run.err;
}

// ---- One table as JSON lines ----

// Every decoded type, NULL and "", and columns of types left alone.
TEST_F(Export, TableAsJsonLinesWithEveryValueAsItsKind) {
  using jetwriter::ColumnType;
  jetwriter::Table t{"m_all",
                     {{"name"}, {"note", ColumnType::Memo}, {"n", ColumnType::Long}, {"fee", ColumnType::Money},
                      {"ratio", ColumnType::Double}, {"single", ColumnType::Float}, {"flag", ColumnType::Bool},
                      {"day", ColumnType::DateTime}, {"photo", ColumnType::Ole}, {"raw", ColumnType::Binary}},
                     {}};
  t.rows.push_back({std::string("髙橋 ①"), std::string(2000, 'x'), std::int64_t{-2147483648LL}, std::int64_t{12345000},
                    0.1, 0.5, true, 45383.0 + 9.5 / 24, jetwriter::Null, jetwriter::Null});
  t.rows.push_back({std::string(), jetwriter::Null, jetwriter::Null, std::int64_t{-1}, -1e300, jetwriter::Null, false,
                    -1.25, jetwriter::Null, jetwriter::Null});
  const std::filesystem::path db = dir / "data.qdr";
  jetwriter::WriteJetFile(testing::InForm(DatabaseForm::Jet4Compressed, {t}), db);

  const ProgramRun run = RunExport({"--db", db.string(), "--table", "M_ALL"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("photo (OLE object), raw (binary)"), std::string::npos) << run.err;
  std::vector<Json> lines;
  for (std::size_t at = 0, end; (end = run.out.find('\n', at)) != std::string::npos; at = end + 1) {
    lines.push_back(Json::parse(run.out.substr(at, end - at)));
  }
  ASSERT_EQ(lines.size(), 2u) << run.out;
  EXPECT_EQ(lines[0], Json::parse(R"({"name": "髙橋 ①", "note": ")" + std::string(2000, 'x') + R"(",
      "n": -2147483648, "fee": 1234.5, "ratio": 0.1, "single": 0.5, "flag": true, "day": "2024-04-01T09:30:00"})"));
  EXPECT_EQ(lines[1], Json::parse(R"({"name": "", "note": null, "n": null, "fee": -0.0001, "ratio": -1e300,
      "single": null, "flag": false, "day": "1899-12-29T06:00:00"})"));
  // Keys in column order, each value as written.
  EXPECT_TRUE(run.out.starts_with(R"({"name": "髙橋 ①", "note": ")")) << run.out.substr(0, 40);
}

TEST_F(Export, TableThatCannotBeReadWritesNothingAndGivesStatus2) {
  const std::string db = WriteDatabase();
  for (const auto& [args, expected] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"--db", db, "--table", "m_staff"}, "pellora-export: no table m_staff\n"},
           {{"--db", (dir / "missing.qdr").string(), "--table", "m_insd"}, "no such file"}}) {
    const ProgramRun run = RunExport(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(expected), std::string::npos) << run.err;
  }
}

// ---- The database found as start-up finds it ----

// A copy of the program in a folder of its own, where velkar.ini and
// data.qdr are looked for.
class InstalledExport : public Export {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(dir / "program");
    std::filesystem::copy_file(PELLORA_EXPORT, dir / "program" / "pellora-export");
  }
  std::filesystem::path ProgramFolder() const { return dir / "program"; }
  void WriteSettings(const std::filesystem::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
  }
  // The provider name the export found, or its status when it found none.
  std::string ProviderName(const std::vector<std::string>& args) {
    const ProgramRun run = RunProgram(ProgramFolder() / "pellora-export", args, dir);
    EXPECT_EQ(run.status, 0) << run.err;
    const Json j = Json::parse(run.out);
    return j["provider"]["status"] == "found" ? j["provider"]["name"].get<std::string>()
                                              : j["provider"]["status"].get<std::string>();
  }
};

TEST_F(InstalledExport, FindsTheDatabaseThroughVelkarIniOrBesideTheProgram) {
  const std::string claim = WriteClaim(CareFeeClaim());
  jetwriter::WriteJetFile(testing::InForm(DatabaseForm::Jet4Compressed,
                                          {testing::TextTable("m_pvd", {"pvd_no", "pvd_nm"},
                                                              {{testing::kProviderNumber, "設定ファイルの事業所"}}),
                                           testing::InsuredTable()}),
                          dir / "elsewhere.qdr");
  jetwriter::WriteJetFile(testing::InForm(DatabaseForm::Jet3CodePage932,
                                          {testing::TextTable("m_pvd", {"pvd_no", "pvd_nm"},
                                                              {{testing::kProviderNumber, "既定の事業所"}}),
                                           testing::InsuredTable()}),
                          ProgramFolder() / "data.qdr");
  const std::string elsewhere = (dir / "elsewhere.qdr").string();

  // No velkar.ini: data.qdr beside the program.
  EXPECT_EQ(ProviderName({claim}), "既定の事業所");
  // velkar.ini naming another database, in its section or on a TAB line.
  WriteSettings(ProgramFolder() / "velkar.ini", "[qdr]\r\nQdrPath=" + elsewhere + "\r\n");
  EXPECT_EQ(ProviderName({claim}), "設定ファイルの事業所");
  WriteSettings(ProgramFolder() / "velkar.ini", "QdrPath\t" + elsewhere + "\r\n");
  EXPECT_EQ(ProviderName({claim}), "設定ファイルの事業所");
  // velkar.ini without the key: the default again.
  WriteSettings(ProgramFolder() / "velkar.ini", "[qdr]\r\n");
  EXPECT_EQ(ProviderName({claim}), "既定の事業所");
  // --ini names another settings file; --db names the database itself.
  WriteSettings(dir / "other.ini", "[QDR]\nqdrpath = \"" + elsewhere + "\"\n");
  EXPECT_EQ(ProviderName({"--ini", (dir / "other.ini").string(), claim}), "設定ファイルの事業所");
  EXPECT_EQ(ProviderName({"--ini", (dir / "other.ini").string(), "--db", (ProgramFolder() / "data.qdr").string(),
                          claim}),
            "既定の事業所");
  // A settings file naming a database that does not open.
  WriteSettings(ProgramFolder() / "velkar.ini", "[qdr]\nQdrPath=/nonexistent/data.qdr\n");
  EXPECT_EQ(ProviderName({claim}), "unavailable");
}

}  // namespace
}  // namespace pellora
