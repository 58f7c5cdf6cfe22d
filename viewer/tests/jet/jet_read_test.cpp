// Reading sound databases: both Jet versions, both text forms, names that
// break naive decoding, NULL against "", large tables, Jet's letter-case
// rules, and the failures a caller must be able to tell apart.
#include <gtest/gtest.h>

#include "jet_fixtures.h"
#include "jet_inprocess.h"
#include "jet_reader.h"
#include "mdb_export.h"

namespace pellora::jet {
namespace {

using namespace testing;
using jetwriter::JetVersion;

struct Variant {
  const char* name;
  JetVersion version;
  bool compress;
};
void PrintTo(const Variant& v, std::ostream* os) { *os << v.name; }

class ReadVariant : public ::testing::TestWithParam<Variant> {
 protected:
  std::filesystem::path Write(const jetwriter::Database& db, const std::string& name = "data.qdr") {
    const auto file = dir_ / name;
    jetwriter::WriteJetFile(db, file);
    return file;
  }
  jetwriter::Database Providers(std::size_t insuredRows = 40) const {
    return ProviderDatabase(GetParam().version, GetParam().compress, insuredRows);
  }
  TempDir dir_;
};

INSTANTIATE_TEST_SUITE_P(AllFormats, ReadVariant,
                         ::testing::Values(Variant{"Jet3", JetVersion::Jet3, false},
                                           Variant{"Jet4Compressed", JetVersion::Jet4, true},
                                           Variant{"Jet4Plain", JetVersion::Jet4, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(ReadVariant, EveryCellComesBackExactlyThroughTheHelper) {
  const auto file = Write(Providers());
  const ReadResult result = ReadJetTables(file, ProviderRequests());
  ASSERT_TRUE(result.ok) << result.error;
  ASSERT_EQ(result.tables.size(), 2u);
  EXPECT_EQ(result.tables[0].name(), "m_pvd");
  EXPECT_EQ(result.tables[0].columns(), (std::vector<std::string>{"pvd_no", "pvd_nm"}));
  EXPECT_EQ(RowsOf(result.tables[0]), Expected(ProviderRows()));
  EXPECT_EQ(RowsOf(result.tables[1]), Expected(InsuredRows(40)));
}

TEST_P(ReadVariant, InProcessReadGivesTheSameTables) {
  const auto file = Write(Providers());
  const ReadResult viaHelper = ReadJetTables(file, ProviderRequests());
  const ReadResult inProcess = ReadJetTablesInProcess(file, ProviderRequests());
  ASSERT_TRUE(inProcess.ok) << inProcess.error;
  ASSERT_EQ(inProcess.tables.size(), viaHelper.tables.size());
  for (std::size_t t = 0; t < inProcess.tables.size(); ++t) {
    EXPECT_EQ(RowsOf(inProcess.tables[t]), RowsOf(viaHelper.tables[t]));
  }
}

TEST_P(ReadVariant, NullAndEmptyNamesStayDistinct) {
  const auto file = Write(Providers());
  const ReadResult result = ReadJetTables(file, {{"m_pvd", {"pvd_no", "pvd_nm"}}});
  ASSERT_TRUE(result.ok) << result.error;
  const Table& pvd = result.tables[0];
  const std::size_t nullRow = HardNames().size();
  EXPECT_EQ(pvd.text(nullRow, 1), std::nullopt);
  ASSERT_TRUE(pvd.text(nullRow + 1, 1).has_value());
  EXPECT_TRUE(pvd.text(nullRow + 1, 1)->empty());
  EXPECT_EQ(pvd.text(nullRow + 2, 0), std::nullopt);
}

// mdb-export, an independent reader, sees the same values (it cannot tell
// "" from NULL, so both compare as NULL).
TEST_P(ReadVariant, AgreesWithMdbExport) {
  const auto file = Write(Providers());
  const ReadResult result = ReadJetTables(file, ProviderRequests());
  ASSERT_TRUE(result.ok) << result.error;
  for (const Table& table : result.tables) {
    const auto exported = jetwriter::testing::MdbExport(file, table.name());
    ASSERT_EQ(exported.size(), table.rowCount());
    for (std::size_t r = 0; r < table.rowCount(); ++r) {
      for (std::size_t c = 0; c < table.columnCount(); ++c) {
        const auto mine = table.text(r, c);
        const auto theirs = exported[r][c];
        if (!mine || mine->empty()) {
          EXPECT_EQ(theirs, std::nullopt) << table.name() << " row " << r;
        } else {
          ASSERT_TRUE(theirs.has_value()) << table.name() << " row " << r;
          EXPECT_EQ(*mine, U16(*theirs)) << table.name() << " row " << r;
        }
      }
    }
  }
}

TEST_P(ReadVariant, LargeInsuredTableInTableOrder) {
  const std::size_t kRows = kLargeTableRows;
  const auto file = Write(Providers(kRows));
  const ReadResult result = ReadJetTables(file, {{"m_insd", {"insd_no", "insr_no", "pat_nm"}}});
  ASSERT_TRUE(result.ok) << result.error;
  const Table& insd = result.tables[0];
  ASSERT_EQ(insd.rowCount(), kRows);
  const std::vector<Row> expected = InsuredRows(kRows);
  for (std::size_t r = 0; r < kRows; ++r) {
    ASSERT_EQ(insd.text(r, 0), std::optional<std::u16string_view>(U16(*expected[r][0]))) << "row " << r;
  }
  for (std::size_t r : {std::size_t{5}, std::size_t{3}, std::size_t{57777}, kRows - 1}) {
    const auto want = Expected({expected[r]})[0];
    EXPECT_EQ(RowsOf(insd)[r], want) << "row " << r;
  }
}

TEST_P(ReadVariant, TableAndColumnNamesMatchInAnyLetterCase) {
  const auto file = Write(Providers());
  const ReadResult result = ReadJetTables(file, {{"M_INSD", {"Insd_No", "PAT_NM"}}});
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.tables[0].name(), "M_INSD");  // the names asked for
  EXPECT_EQ(result.tables[0].text(0, 0), std::optional<std::u16string_view>(u"1000000000"));
}

TEST_P(ReadVariant, JapaneseTableAndColumnNames) {
  jetwriter::Database db = Providers();
  db.tables.push_back(TextTable("利用者一覧", {"氏名", "ﾌﾘｶﾞﾅ"}, {{"髙橋", "ﾀｶﾊｼ"}}));
  const auto file = Write(db);
  const ReadResult result = ReadJetTables(file, {{"利用者一覧", {"氏名", "ﾌﾘｶﾞﾅ"}}});
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(RowsOf(result.tables[0]), Expected({{"髙橋", "ﾀｶﾊｼ"}}));
}

TEST_P(ReadVariant, OpensAsDatabase) {
  EXPECT_TRUE(OpensAsDatabase(Write(Providers())));
}

TEST_P(ReadVariant, EmptyTableReadsAsNoRows) {
  jetwriter::Database db = Providers();
  db.tables.push_back(TextTable("m_empty", {"a"}, {}));
  const ReadResult result = ReadJetTables(Write(db), {{"m_empty", {"a"}}});
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.tables[0].rowCount(), 0u);
}

struct Refusal {
  const char* name;
  std::vector<TableRequest> requests;
  const char* expected;
};
void PrintTo(const Refusal& r, std::ostream* os) { *os << r.name; }

class ReadRefuses : public ::testing::TestWithParam<Refusal> {};

TEST_P(ReadRefuses, WithAClearError) {
  TempDir dir;
  jetwriter::Database db = ProviderDatabase(JetVersion::Jet4, true);
  db.tables.push_back({"m_numbers", {{"n", jetwriter::ColumnType::Long}}, {{std::int64_t{1}}}});
  jetwriter::WriteJetFile(db, dir / "data.qdr");
  const ReadResult result = ReadJetTables(dir / "data.qdr", GetParam().requests);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find(GetParam().expected), std::string::npos) << result.error;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadRefuses,
    ::testing::Values(Refusal{"MissingTable", {{"m_staff", {"a"}}}, "no table m_staff"},
                      Refusal{"MissingColumn", {{"m_pvd", {"pvd_no", "pvd_kana"}}}, "no column pvd_kana"},
                      Refusal{"NotAText", {{"m_numbers", {"n"}}}, "not a text column"},
                      Refusal{"SecondTableMissing", {{"m_pvd", {"pvd_no"}}, {"m_gone", {"x"}}}, "no table m_gone"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadFailure, KeepsTheTablesReadBeforeIt) {
  TempDir dir;
  jetwriter::WriteJetFile(ProviderDatabase(JetVersion::Jet4, true), dir / "data.qdr");
  const ReadResult result = ReadJetTables(dir / "data.qdr", {{"m_pvd", {"pvd_no"}}, {"m_gone", {"x"}}});
  ASSERT_FALSE(result.ok);
  ASSERT_GE(result.tables.size(), 1u);
  EXPECT_EQ(result.tables[0].rowCount(), ProviderRows().size());
}

// The table definition records a row count. Access leaves it too low in a
// file that was not closed properly, and that file still reads in full;
// fewer rows than recorded means pages were lost, and the read fails.
class RecordedRowCount : public ::testing::Test {
 protected:
  void SetUp() override {
    jetwriter::Database db;
    db.tables.push_back(TextTable("m_insd", {"insd_no", "insr_no", "pat_nm"}, InsuredRows(500)));
    bytes_ = jetwriter::BuildJetFile(db);
    // Page 4 is the first user table's definition (after the header, the
    // usage maps and the catalog's definition and data page).
    ASSERT_EQ(bytes_[4 * kPage], 0x02);
  }
  ReadResult ReadWithCount(std::uint32_t count) {
    for (int i = 0; i < 4; ++i) bytes_[4 * kPage + 0x10 + i] = static_cast<std::uint8_t>(count >> (8 * i));
    WriteBytes(dir_ / "data.qdr", bytes_);
    return ReadJetTables(dir_ / "data.qdr", {{"m_insd", {"insd_no"}}});
  }
  static constexpr std::size_t kPage = 4096;
  std::vector<std::uint8_t> bytes_;
  TempDir dir_;
};

TEST_F(RecordedRowCount, TooLowStillReadsEveryRow) {
  const ReadResult result = ReadWithCount(0);
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.tables[0].rowCount(), 500u);
}

TEST_F(RecordedRowCount, TooHighFailsAndKeepsWhatWasRead) {
  const ReadResult result = ReadWithCount(501);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("read 500 of its 501 rows"), std::string::npos) << result.error;
  ASSERT_EQ(result.tables.size(), 1u);
  EXPECT_EQ(result.tables[0].rowCount(), 500u);
}

// A Jet 3 file's text is in the code page its header names.
TEST(Jet3CodePage, HeaderCodePageDecidesTheDecoding) {
  TempDir dir;
  jetwriter::Database db;
  db.version = JetVersion::Jet3;
  db.codePage = 1252;
  db.tables.push_back(TextTable("m_pvd", {"pvd_no", "pvd_nm"}, {{"1", "Café Müller"}}));
  jetwriter::WriteJetFile(db, dir / "western.mdb");
  const ReadResult result = ReadJetTables(dir / "western.mdb", {{"m_pvd", {"pvd_nm"}}});
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.tables[0].text(0, 0), std::optional<std::u16string_view>(u"Café Müller"));
}

TEST(ReadRequests, NoTablesOnlyOpensTheCatalog) {
  TempDir dir;
  jetwriter::WriteJetFile(ProviderDatabase(JetVersion::Jet3, false), dir / "data.qdr");
  const ReadResult result = ReadJetTables(dir / "data.qdr", {});
  EXPECT_TRUE(result.ok) << result.error;
  EXPECT_TRUE(result.tables.empty());
}

TEST(ReadRequests, TheSameTableTwiceWithOtherColumns) {
  TempDir dir;
  jetwriter::WriteJetFile(ProviderDatabase(JetVersion::Jet4, true), dir / "data.qdr");
  const ReadResult result = ReadJetTables(dir / "data.qdr", {{"m_pvd", {"pvd_nm"}}, {"m_pvd", {"pvd_no", "pvd_no"}}});
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.tables[1].text(0, 0), result.tables[1].text(0, 1));
  EXPECT_EQ(result.tables[0].rowCount(), result.tables[1].rowCount());
}

}  // namespace
}  // namespace pellora::jet
