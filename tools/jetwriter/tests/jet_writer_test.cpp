// The fixture writer, checked with an independent reader: mdbtools'
// mdb-export on the files it writes.
#include "jetwriter/jet_writer.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <fstream>

#include "jetwriter/tests/mdb_export.h"

namespace jetwriter {
namespace {

using testing::ExportRow;
using testing::MdbExport;

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "jetwriter-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Names that break naive code page 932 or UTF-16 handling: NEC and IBM
// extensions, the full-width tilde, the full-width space (whose UTF-16
// low byte is 00), half-width kana, and the backslash (0x5C, which
// Shift_JIS proper reads as a yen sign).
const std::vector<std::string> kHardNames = {
    "髙橋 ①", "鈴木～花子", "全角　空白", "ﾊﾝｶｸｶﾅ", "back\\slash", "Plain ASCII", "混在Mix髙ABC①",
};

struct Variant {
  const char* name;
  JetVersion version;
  bool compress;
};
void PrintTo(const Variant& v, std::ostream* os) { *os << v.name; }

// Under the sanitizers everything runs several times slower; 60,000 rows
// still need a type-1 usage map in both versions.
#if defined(__SANITIZE_ADDRESS__)
constexpr std::size_t kLargeTableRows = 60000;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr std::size_t kLargeTableRows = 60000;
#else
constexpr std::size_t kLargeTableRows = 100000;
#endif
#else
constexpr std::size_t kLargeTableRows = 100000;
#endif

class WriterVariant : public ::testing::TestWithParam<Variant> {
 protected:
  Database NewDatabase() const {
    Database db;
    db.version = GetParam().version;
    db.compressText = GetParam().compress;
    return db;
  }
  TempDir dir_;
};

INSTANTIATE_TEST_SUITE_P(AllFormats, WriterVariant,
                         ::testing::Values(Variant{"Jet3", JetVersion::Jet3, false},
                                           Variant{"Jet4Compressed", JetVersion::Jet4, true},
                                           Variant{"Jet4Plain", JetVersion::Jet4, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(WriterVariant, ProviderNamesRoundTripThroughMdbExport) {
  Database db = NewDatabase();
  Table pvd{"m_pvd", {{"pvd_no", ColumnType::Text, 10}, {"pvd_nm", ColumnType::Text, 60}}, {}};
  for (std::size_t i = 0; i < kHardNames.size(); ++i) {
    pvd.rows.push_back({std::to_string(1310000001 + i), kHardNames[i]});
  }
  pvd.rows.push_back({std::string("1310009998"), Null});
  db.tables.push_back(pvd);
  WriteJetFile(db, dir_ / "data.qdr");

  const std::vector<ExportRow> rows = MdbExport(dir_ / "data.qdr", "m_pvd");
  ASSERT_EQ(rows.size(), kHardNames.size() + 1);
  for (std::size_t i = 0; i < kHardNames.size(); ++i) {
    EXPECT_EQ(rows[i], (ExportRow{std::to_string(1310000001 + i), kHardNames[i]}));
  }
  EXPECT_EQ(rows.back(), (ExportRow{"1310009998", std::nullopt}));
}

TEST_P(WriterVariant, InsuredPersonsTableWithNullsAndEmptyStrings) {
  Database db = NewDatabase();
  db.tables.push_back({"m_insd",
                       {{"insd_no", ColumnType::Text, 10}, {"insr_no", ColumnType::Text, 6}, {"pat_nm"}},
                       {{std::string("0000000001"), std::string("001234"), std::string("山田 太郎")},
                        {std::string("0000000002"), Null, std::string("")},
                        {Null, Null, Null}}});
  WriteJetFile(db, dir_ / "data.qdr");
  const std::vector<ExportRow> rows = MdbExport(dir_ / "data.qdr", "m_insd");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (ExportRow{"0000000001", "001234", "山田 太郎"}));
  // mdb-export prints "" as NULL; the reader's own tests tell them apart.
  EXPECT_EQ(rows[1], (ExportRow{"0000000002", std::nullopt, std::nullopt}));
  EXPECT_EQ(rows[2], (ExportRow{std::nullopt, std::nullopt, std::nullopt}));
}

// Enough rows for thousands of data pages (100,000 as a large provider has):
// the table then needs a usage map of type 1 (bitmap pages), not the type-0
// map of a small table.
TEST_P(WriterVariant, LargeTableAcrossManyPages) {
  Database db = NewDatabase();
  Table insd{"m_insd", {{"insd_no", ColumnType::Text, 10}, {"insr_no", ColumnType::Text, 6}, {"pat_nm", ColumnType::Text, 40}}, {}};
  const std::size_t kRows = kLargeTableRows;
  for (std::size_t i = 0; i < kRows; ++i) {
    insd.rows.push_back({std::to_string(1000000000 + i), std::string("001234"),
                         "被保険者" + std::to_string(i) + (i % 7 == 0 ? "髙" : "")});
  }
  db.tables.push_back(std::move(insd));
  const std::vector<std::uint8_t> bytes = BuildJetFile(db);
  const std::size_t pageSize = GetParam().version == JetVersion::Jet4 ? 4096 : 2048;
  std::size_t bitmapPages = 0;
  for (std::size_t at = 0; at < bytes.size(); at += pageSize) bitmapPages += bytes[at] == 0x05;
  EXPECT_GT(bitmapPages, 0u) << "a table this large needs a type-1 usage map";
  WriteJetFile(db, dir_ / "big.qdr");

  const std::vector<ExportRow> rows = MdbExport(dir_ / "big.qdr", "m_insd");
  ASSERT_EQ(rows.size(), kRows);
  for (std::size_t i : {std::size_t{0}, std::size_t{1}, std::size_t{4095}, std::size_t{55555}, kRows - 1}) {
    EXPECT_EQ(rows[i], (ExportRow{std::to_string(1000000000 + i), "001234",
                                  "被保険者" + std::to_string(i) + (i % 7 == 0 ? "髙" : "")}))
        << "row " << i;
  }
}

TEST_P(WriterVariant, SmallTableKeepsTypeZeroMap) {
  Database db = NewDatabase();
  Table t{"m_pvd", {{"pvd_no", ColumnType::Text, 10}}, {}};
  for (int i = 0; i < 3000; ++i) t.rows.push_back({std::to_string(i)});
  db.tables.push_back(std::move(t));
  const std::vector<std::uint8_t> bytes = BuildJetFile(db);
  const std::size_t pageSize = GetParam().version == JetVersion::Jet4 ? 4096 : 2048;
  for (std::size_t at = 0; at < bytes.size(); at += pageSize) EXPECT_NE(bytes[at], 0x05);
  WriteJetFile(db, dir_ / "small.qdr");
  EXPECT_EQ(MdbExport(dir_ / "small.qdr", "m_pvd").size(), 3000u);
}

TEST_P(WriterVariant, OtherColumnTypesAndEmptyTables) {
  Database db = NewDatabase();
  db.tables.push_back({"mixed",
                       {{"n_long", ColumnType::Long},
                        {"n_int", ColumnType::Int},
                        {"n_byte", ColumnType::Byte},
                        {"flag", ColumnType::Bool},
                        {"note", ColumnType::Memo},
                        {"label", ColumnType::Text, 20}},
                       {{std::int64_t{-2147483648LL}, std::int64_t{-32768}, std::int64_t{255}, true, Null,
                         std::string("一")},
                        {std::int64_t{2147483647}, std::int64_t{32767}, std::int64_t{0}, false, Null, Null},
                        {Null, Null, Null, Null, Null, std::string("x")}}});
  db.tables.push_back({"empty_table", {{"a", ColumnType::Text, 5}}, {}});
  WriteJetFile(db, dir_ / "mixed.qdr");
  const std::vector<ExportRow> rows = MdbExport(dir_ / "mixed.qdr", "mixed");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (ExportRow{"-2147483648", "-32768", "255", "1", std::nullopt, "一"}));
  EXPECT_EQ(rows[1], (ExportRow{"2147483647", "32767", "0", "0", std::nullopt, std::nullopt}));
  EXPECT_EQ(rows[2], (ExportRow{std::nullopt, std::nullopt, std::nullopt, "0", std::nullopt, "x"}));
  EXPECT_TRUE(MdbExport(dir_ / "mixed.qdr", "empty_table").empty());
}

// What real files hold beside plain rows, read back by mdb-export: rows
// deleted and rows moved (mdb-export skips the first, and reads the second
// where they now live, after the others), memo values in the row, on one
// LVAL row and in a chain, rows long enough for two entries of a Jet 3
// jump table, a
// usage map of bitmap pages for a small table, and every page encoded.
TEST_P(WriterVariant, WhatRealFilesHoldReadsBackThroughMdbExport) {
  Database db = NewDatabase();
  db.encodingKey = 0xC0FFEE11;
  db.password = "pw";
  Table t{"m_real",
          {{"n", ColumnType::Long},
           {"a", ColumnType::Text, 255},
           {"b", ColumnType::Text, 255},
           {"c", ColumnType::Text, 255},
           {"m_row", ColumnType::Memo, 255, MemoStorage::InRow},
           {"m_one", ColumnType::Memo, 255, MemoStorage::OneLvalRow},
           {"m_chain", ColumnType::Memo, 255, MemoStorage::LvalChain, 9}},
          {}};
  const std::string longText(200, 'z'), memo = "髙橋①" + std::string(700, 'm');
  for (std::int64_t i = 0; i < 6; ++i) {
    t.rows.push_back({i, longText, longText, longText, std::string("短い"), memo, memo + std::to_string(i)});
  }
  t.deletedRows = {{0, std::vector<Value>(7, Null)}, {6, std::vector<Value>(7, Null)}};
  t.movedRows = {4, 1};
  t.maxRowsPerPage = 2;
  t.pagedUsageMap = true;
  db.tables.push_back(t);
  WriteJetFile(db, dir_ / "real.qdr");
  const std::vector<ExportRow> rows = MdbExport(dir_ / "real.qdr", "m_real");
  std::vector<std::string> numbers;
  for (const ExportRow& row : rows) {
    numbers.push_back(*row[0]);
    EXPECT_EQ(row[1], longText);
    EXPECT_EQ(row[3], longText);
    EXPECT_EQ(row[4], "短い");
    EXPECT_EQ(row[5], memo);
    EXPECT_EQ(row[6], memo + *row[0]);
  }
  EXPECT_EQ(numbers, (std::vector<std::string>{"0", "2", "3", "5", "4", "1"}));
}

TEST_P(WriterVariant, TableNamesAreFoundInAnyLetterCase) {
  Database db = NewDatabase();
  db.tables.push_back({"m_pvd", {{"pvd_no", ColumnType::Text, 10}}, {{std::string("1")}}});
  WriteJetFile(db, dir_ / "case.qdr");
  EXPECT_EQ(MdbExport(dir_ / "case.qdr", "M_PVD").size(), 1u);
}

TEST_P(WriterVariant, ManyTablesSpillUsageMapsOntoMorePages) {
  // Appended rather than "t" + ...: GCC 12 at -O3 takes the prepend for an
  // overlapping copy (-Wrestrict).
  const auto name = [](int t) {
    std::string n = "t";
    n += std::to_string(t);
    return n;
  };
  Database db = NewDatabase();
  for (int t = 0; t < 40; ++t) {
    db.tables.push_back({name(t), {{"v", ColumnType::Text, 10}}, {{std::to_string(t)}}});
  }
  WriteJetFile(db, dir_ / "many.qdr");
  for (int t : {0, 7, 20, 39}) {
    EXPECT_EQ(MdbExport(dir_ / "many.qdr", name(t)), (std::vector<ExportRow>{{std::to_string(t)}}));
  }
}

bool Contains(const std::vector<std::uint8_t>& haystack, const std::vector<std::uint8_t>& needle) {
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

std::vector<std::uint8_t> FileOf(const std::string& text, bool compress) {
  Database db;
  db.compressText = compress;
  db.tables.push_back({"t", {{"v", ColumnType::Text, 50}}, {{text}}});
  return BuildJetFile(db);
}

// The compressed form: FF FE, one byte per character, 00 switches to two
// bytes per character and back.
TEST(Jet4Compression, AsciiIsStoredOneBytePerCharacter) {
  EXPECT_TRUE(Contains(FileOf("Q1310000001", true), {0xFF, 0xFE, 'Q', '1', '3', '1', '0'}));
  EXPECT_FALSE(Contains(FileOf("Q1310000001", false), {0xFF, 0xFE, 'Q', '1', '3'}));
}

TEST(Jet4Compression, MixedTextSwitchesModes) {
  // 髙 is U+9AD9: 12 bytes FF FE 'A' 'B' 'C' 00 D9 9A 00 'D' 'E' 'F' against 14 plain.
  EXPECT_TRUE(Contains(FileOf("ABC髙DEF", true),
                       {0xFF, 0xFE, 'A', 'B', 'C', 0x00, 0xD9, 0x9A, 0x00, 'D', 'E', 'F'}));
}

TEST(Jet4Compression, TextWithAZeroLowByteStaysPlain) {
  // U+3000 would read back as a mode switch.
  const std::vector<std::uint8_t> file = FileOf("AAAA　AAAA", true);
  EXPECT_FALSE(Contains(file, {0xFF, 0xFE, 'A', 'A'}));
  EXPECT_TRUE(Contains(file, {'A', 0, 'A', 0, 0x00, 0x30, 'A', 0}));
}

TEST(Jet4Compression, LongerCompressedFormStaysPlain) {
  // Two wide characters: FF FE 00 xx xx xx xx (7 bytes) against 4 plain.
  EXPECT_FALSE(Contains(FileOf("髙橋", true), {0xFF, 0xFE, 0x00}));
}

struct BadInput {
  const char* name;
  JetVersion version;
  Table table;
  const char* expected;
};
void PrintTo(const BadInput& b, std::ostream* os) { *os << b.name; }

class WriterRefuses : public ::testing::TestWithParam<BadInput> {};

TEST_P(WriterRefuses, WithAMessageNamingTheProblem) {
  Database db;
  db.version = GetParam().version;
  db.tables.push_back(GetParam().table);
  try {
    BuildJetFile(db);
    FAIL() << "no error";
  } catch (const JetWriteError& e) {
    EXPECT_NE(std::string(e.what()).find(GetParam().expected), std::string::npos) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WriterRefuses,
    ::testing::Values(
        BadInput{"TextTooLong", JetVersion::Jet4, {"t", {{"v", ColumnType::Text, 3}}, {{std::string("ABCD")}}}, "longer"},
        BadInput{"Jet3BytesTooLong", JetVersion::Jet3, {"t", {{"v", ColumnType::Text, 3}}, {{std::string("髙橋")}}}, "longer"},
        BadInput{"NotInCodePage932", JetVersion::Jet3, {"t", {{"v", ColumnType::Text, 9}}, {{std::string("𠮷")}}},
                 "cannot hold"},
        BadInput{"OleWithText", JetVersion::Jet4, {"t", {{"v", ColumnType::Ole}}, {{std::string("x")}}}, "only NULL"},
        BadInput{"WrongValueCount", JetVersion::Jet4, {"t", {{"a"}, {"b"}}, {{std::string("x")}}}, "1 values for 2"},
        BadInput{"DuplicateColumn", JetVersion::Jet4, {"t", {{"a"}, {"A"}}, {}}, "unique"},
        BadInput{"CatalogName", JetVersion::Jet4, {"msysobjects", {{"a"}}, {}}, "unique"},
        BadInput{"IntOutOfRange", JetVersion::Jet4, {"t", {{"v", ColumnType::Int}}, {{std::int64_t{40000}}}}, "range"},
        BadInput{"TextInLongColumn", JetVersion::Jet4, {"t", {{"v", ColumnType::Long}}, {{std::string("1")}}},
                 "integer"},
        BadInput{"Jet3RowOverAPage", JetVersion::Jet3,
                 {"t", {{"a"}, {"b"}, {"c"}, {"d"}, {"e"}, {"f"}, {"g"}, {"h"}, {"i"}},
                  {std::vector<Value>(9, std::string(255, 'x'))}},
                 "too long"},
        BadInput{"MemoTooLongForOneLvalRow", JetVersion::Jet4,
                 {"t", {{"v", ColumnType::Memo, 255, MemoStorage::OneLvalRow}}, {{std::string(3000, 'x')}}},
                 "does not fit one LVAL row"},
        BadInput{"InvalidUtf8", JetVersion::Jet4, {"t", {{"v"}}, {{std::string("\xC3")}}}, "UTF-8"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WriterFile, WritesTheSameBytesEveryTime) {
  Database db;
  db.tables.push_back({"m_pvd", {{"pvd_no", ColumnType::Text, 10}}, {{std::string("1")}}});
  EXPECT_EQ(BuildJetFile(db), BuildJetFile(db));
}

}  // namespace
}  // namespace jetwriter
