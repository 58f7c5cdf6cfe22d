// Reading sound databases: both Jet versions, both text forms, names that
// break naive decoding, NULL against "", large tables, number and memo
// columns, encoded files, Jet's letter-case rules, and the failures a
// caller must be able to tell apart.
#include <gtest/gtest.h>

#include "jet/jet_reader.h"
#include "tests/jet/jet_fixtures.h"

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
  std::u16string Write(const jetwriter::Database& db, const std::string& name = "data.qdr") {
    const auto file = dir_ / name;
    jetwriter::WriteJetFile(db, file);
    return PathOf(file);
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

TEST_P(ReadVariant, EveryCellComesBackExactly) {
  const ReadResult result = ReadJetTables(Write(Providers()), ProviderRequests());
  ASSERT_TRUE(result.ok) << result.error;
  ASSERT_EQ(result.tables.size(), 2u);
  EXPECT_EQ(result.tables[0].name(), "m_pvd");
  EXPECT_EQ(result.tables[0].columns(), (std::vector<std::string>{"pvd_no", "pvd_nm"}));
  EXPECT_EQ(RowsOf(result.tables[0]), Expected(ProviderRows()));
  EXPECT_EQ(RowsOf(result.tables[1]), Expected(InsuredRows(40)));
}

TEST_P(ReadVariant, NullAndEmptyNamesStayDistinct) {
  const ReadResult result = ReadJetTables(Write(Providers()), {{"m_pvd", {"pvd_no", "pvd_nm"}}});
  ASSERT_TRUE(result.ok) << result.error;
  const Table& pvd = result.tables[0];
  const std::size_t nullRow = HardNames().size();
  EXPECT_EQ(pvd.text(nullRow, 1), std::nullopt);
  ASSERT_TRUE(pvd.text(nullRow + 1, 1).has_value());
  EXPECT_TRUE(pvd.text(nullRow + 1, 1)->empty());
  EXPECT_EQ(pvd.text(nullRow + 2, 0), std::nullopt);
}

TEST_P(ReadVariant, LargeInsuredTableInTableOrder) {
  const std::size_t kRows = kLargeTableRows;
  const ReadResult result = ReadJetTables(Write(Providers(kRows)), {{"m_insd", {"insd_no", "insr_no", "pat_nm"}}});
  ASSERT_TRUE(result.ok) << result.error;
  const Table& insd = result.tables[0];
  ASSERT_EQ(insd.rowCount(), kRows);
  const std::vector<Row> expected = InsuredRows(kRows);
  for (std::size_t r = 0; r < kRows; ++r) {
    ASSERT_EQ(insd.text(r, 0), std::optional<std::u16string_view>(U16(*expected[r][0]))) << "row " << r;
  }
  for (std::size_t r : {std::size_t{5}, std::size_t{3}, std::size_t{57777}, kRows - 1}) {
    EXPECT_EQ(RowsOf(insd)[r], Expected({expected[r]})[0]) << "row " << r;
  }
}

TEST_P(ReadVariant, TableAndColumnNamesMatchInAnyLetterCase) {
  jetwriter::Database db = Providers();
  db.tables.push_back(TextTable("利用者Ａ", {"氏名Ｂ"}, {{"髙橋"}}));
  const std::u16string file = Write(db);
  const ReadResult read = ReadJetTables(file, {{"M_INSD", {"Insd_No", "PAT_nm"}}, {"利用者ａ", {"氏名ｂ"}}});
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_EQ(read.tables[0].name(), "M_INSD");  // the names asked for
  EXPECT_EQ(read.tables[0].text(0, 0), std::optional<std::u16string_view>(u"1000000000"));
  EXPECT_EQ(read.tables[1].text(0, 0), std::optional<std::u16string_view>(u"髙橋"));
  // Letters of the other width are other letters.
  EXPECT_FALSE(ReadJetTables(file, {{"Ｍ_ＩＮＳＤ", {"insd_no"}}}).ok);
}

TEST_P(ReadVariant, JapaneseTableAndColumnNames) {
  jetwriter::Database db = Providers();
  db.tables.push_back(TextTable("利用者一覧", {"氏名", "ﾌﾘｶﾞﾅ"}, {{"髙橋", "ﾀｶﾊｼ"}}));
  const ReadResult result = ReadJetTables(Write(db), {{"利用者一覧", {"氏名", "ﾌﾘｶﾞﾅ"}}});
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(RowsOf(result.tables[0]), Expected({{"髙橋", "ﾀｶﾊｼ"}}));
}

TEST_P(ReadVariant, EmptyTableReadsAsNoRows) {
  jetwriter::Database db = Providers();
  db.tables.push_back(TextTable("m_empty", {"a"}, {}));
  const ReadResult result = ReadJetTables(Write(db), {{"m_empty", {"a"}}});
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.tables[0].rowCount(), 0u);
}

// Number columns read as their NumberText, memo columns as their text
// wherever the memo is kept; the file encoded and with a password.
TEST_P(ReadVariant, NumberAndMemoColumnsOfAnEncodedFile) {
  using jetwriter::ColumnType;
  jetwriter::Database db = Providers();
  db.encodingKey = 0x5EED1234;
  db.password = "secret";
  jetwriter::Table t{"m_mixed",
                     {{"n_long", ColumnType::Long},
                      {"n_money", ColumnType::Money},
                      {"n_double", ColumnType::Double},
                      {"inline", ColumnType::Memo},
                      {"one_page", ColumnType::Memo},
                      {"chain", ColumnType::Memo}},
                     {}};
  t.columns[3].memoStorage = jetwriter::MemoStorage::InRow;
  t.columns[4].memoStorage = jetwriter::MemoStorage::OneLvalRow;
  t.columns[5].memoStorage = jetwriter::MemoStorage::LvalChain;
  t.columns[5].chainLinkBytes = 7;
  std::string longName;
  for (int i = 0; i < 60; ++i) longName += HardNames()[static_cast<std::size_t>(i) % HardNames().size()];
  t.rows.push_back({std::int64_t{1234}, std::int64_t{12345000}, 0.5, std::string("髙①"), longName, longName});
  t.rows.push_back({std::int64_t{-7}, std::int64_t{-1}, -0.0, std::string(), jetwriter::Null, std::string("x")});
  db.tables.push_back(t);
  const ReadResult result =
      ReadJetTables(Write(db), {{"m_mixed", {"n_long", "n_money", "n_double", "inline", "one_page", "chain"}}});
  ASSERT_TRUE(result.ok) << result.error;
  const Table& mixed = result.tables[0];
  EXPECT_EQ(mixed.columnType(0), jet::ColumnType::Long);
  EXPECT_EQ(mixed.columnType(5), jet::ColumnType::Memo);
  EXPECT_EQ(RowsOf(mixed), Expected({{"1234", "1234.5", "0.5", "髙①", longName, longName},
                                     {"-7", "-1e-04", "0", "", std::nullopt, "x"}}));
}

struct Refusal {
  const char* name;
  std::vector<TableRequest> requests;
  const char* expected;
};
void PrintTo(const Refusal& r, std::ostream* os) { *os << r.name; }

class ReadRefuses : public ::testing::TestWithParam<Refusal> {};

TEST_P(ReadRefuses, WithAClearErrorAndNoTables) {
  TempDir dir;
  jetwriter::Database db = ProviderDatabase(JetVersion::Jet4, true);
  db.tables.push_back({"m_dates", {{"d", jetwriter::ColumnType::DateTime}}, {{45383.5}}});
  jetwriter::WriteJetFile(db, dir / "data.qdr");
  const ReadResult result = ReadJetTables(PathOf(dir / "data.qdr"), GetParam().requests);
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.tables.empty()) << "a failed read hands back nothing";
  EXPECT_NE(result.error.find(GetParam().expected), std::string::npos) << result.error;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadRefuses,
    ::testing::Values(Refusal{"MissingTable", {{"m_staff", {"a"}}}, "no table m_staff"},
                      Refusal{"MissingColumn", {{"m_pvd", {"pvd_no", "pvd_kana"}}}, "no column pvd_kana"},
                      Refusal{"NotTextOrNumber", {{"m_dates", {"d"}}}, "not a text, memo or number column"},
                      Refusal{"SecondTableMissing", {{"m_pvd", {"pvd_no"}}, {"m_gone", {"x"}}}, "no table m_gone"}),
    [](const auto& info) { return std::string(info.param.name); });

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
    return ReadJetTables(bytes_, {{"m_insd", {"insd_no"}}});
  }
  static constexpr std::size_t kPage = 4096;
  std::vector<std::uint8_t> bytes_;
};

TEST_F(RecordedRowCount, TooLowStillReadsEveryRow) {
  const ReadResult result = ReadWithCount(0);
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.tables[0].rowCount(), 500u);
}

TEST_F(RecordedRowCount, TooHighFails) {
  const ReadResult result = ReadWithCount(501);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("read 500 of its 501 rows"), std::string::npos) << result.error;
}

// A Jet 3 file's text is in the code page its header names.
TEST(Jet3CodePage, HeaderCodePageDecidesTheDecoding) {
  jetwriter::Database db;
  db.version = JetVersion::Jet3;
  db.codePage = 1252;
  db.tables.push_back(TextTable("m_pvd", {"pvd_no", "pvd_nm"}, {{"1", "Café Müller €"}}));
  const ReadResult result = ReadJetTables(jetwriter::BuildJetFile(db), {{"m_pvd", {"pvd_nm"}}});
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.tables[0].text(0, 0), std::optional<std::u16string_view>(u"Café Müller €"));
}

TEST(ReadRequests, NoTablesOnlyOpensTheCatalog) {
  const ReadResult result = ReadJetTables(jetwriter::BuildJetFile(ProviderDatabase(JetVersion::Jet3, false)), {});
  EXPECT_TRUE(result.ok) << result.error;
  EXPECT_TRUE(result.tables.empty());
}

TEST(ReadRequests, TheSameTableTwiceWithOtherColumns) {
  const ReadResult result = ReadJetTables(jetwriter::BuildJetFile(ProviderDatabase(JetVersion::Jet4, true)),
                                          {{"m_pvd", {"pvd_nm"}}, {"m_pvd", {"pvd_no", "pvd_no"}}});
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.tables[1].text(0, 0), result.tables[1].text(0, 1));
  EXPECT_EQ(result.tables[0].rowCount(), result.tables[1].rowCount());
}

// The text of a number cell: equal numbers, equal texts.
TEST(NumberText, ShortestDecimalThatReadsBack) {
  const struct {
    double value;
    std::u16string_view text;
  } cases[] = {{1234, u"1234"}, {-0.0, u"0"}, {0.1, u"0.1"}, {1234.5, u"1234.5"}, {1e21, u"1e+21"},
               {-2147483648.0, u"-2147483648"}, {static_cast<double>(0.1f), u"0.10000000149011612"}};
  for (const auto& c : cases) EXPECT_EQ(NumberText(c.value), c.text) << c.value;
}

}  // namespace
}  // namespace pellora::jet
