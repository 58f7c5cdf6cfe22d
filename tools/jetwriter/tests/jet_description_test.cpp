// The jetwriter command's text form, and the command itself.
#include "jetwriter/jet_description.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>

#include "jetwriter/tests/mdb_export.h"

namespace jetwriter {
namespace {

using testing::ExportRow;

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "jetdesc-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

void WriteText(const std::filesystem::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

Database Parse(const std::string& text, const std::filesystem::path& base = ".") {
  std::istringstream in(text);
  return ParseDescription(in, base);
}

TEST(Description, ReadsSettingsTablesColumnsAndRows) {
  const Database db = Parse(
      "# provider master\n"
      "format jet3\n"
      "codepage 932\n"
      "\n"
      "table m_pvd\n"
      "column pvd_no text 10\n"
      "column pvd_nm text\n"
      "column opened datetime\n"
      "row\t1310000001\t髙橋\\\\事業所\t45000\r\n"
      "row\t1310000002\t\\N\t\\N\n"
      "row\t1310000003\t\t1.5\n"
      "row\t1310000004\ttab\\there\\nnew\t0\n");
  EXPECT_EQ(db.version, JetVersion::Jet3);
  EXPECT_EQ(db.codePage, 932);
  ASSERT_EQ(db.tables.size(), 1u);
  const Table& t = db.tables[0];
  EXPECT_EQ(t.name, "m_pvd");
  ASSERT_EQ(t.columns.size(), 3u);
  EXPECT_EQ(t.columns[0].length, 10);
  EXPECT_EQ(t.columns[1].length, 255);
  EXPECT_EQ(t.columns[2].type, ColumnType::DateTime);
  ASSERT_EQ(t.rows.size(), 4u);
  EXPECT_EQ(t.rows[0][1], Value(std::string("髙橋\\事業所")));
  EXPECT_EQ(t.rows[0][2], Value(45000.0));
  EXPECT_EQ(t.rows[1][1], Value(Null));
  EXPECT_EQ(t.rows[2][1], Value(std::string()));
  EXPECT_EQ(t.rows[3][1], Value(std::string("tab\there\nnew")));
}

TEST(Description, RowsComeFromAFileBesideTheDescription) {
  TempDir dir;
  WriteText(dir / "insd.tsv", "0000000001\t001234\t山田\n0000000002\t\\N\t\n");
  const Database db = Parse("table m_insd\ncolumn insd_no text 10\ncolumn insr_no text 6\ncolumn pat_nm text\n"
                            "rows insd.tsv\n",
                            dir.path());
  ASSERT_EQ(db.tables[0].rows.size(), 2u);
  EXPECT_EQ(db.tables[0].rows[1][1], Value(Null));
  EXPECT_EQ(db.tables[0].rows[1][2], Value(std::string()));
}

TEST(Description, ValuesOfOtherTypes) {
  const Database db = Parse("table t\ncolumn a long\ncolumn b bool\ncolumn c double\nrow\t-7\tyes\t2.25\n");
  EXPECT_EQ(db.tables[0].rows[0], (std::vector<Value>{std::int64_t{-7}, true, 2.25}));
}

struct BadDescription {
  const char* name;
  const char* text;
  const char* expected;
};
void PrintTo(const BadDescription& b, std::ostream* os) { *os << b.name; }

class DescriptionRefuses : public ::testing::TestWithParam<BadDescription> {};

TEST_P(DescriptionRefuses, NamingTheLine) {
  try {
    Parse(GetParam().text);
    FAIL() << "no error";
  } catch (const DescriptionError& e) {
    EXPECT_NE(std::string(e.what()).find(GetParam().expected), std::string::npos) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DescriptionRefuses,
    ::testing::Values(BadDescription{"UnknownKeyword", "format jet4\nfrobnicate\n", ":2: unknown keyword"},
                      BadDescription{"RowBeforeTable", "row\tx\n", ":1: \"table NAME\" must come first"},
                      BadDescription{"BadEscape", "table t\ncolumn a text\nrow\ta\\q\n", ":3: unknown escape"},
                      BadDescription{"FieldCount", "table t\ncolumn a text\nrow\tx\ty\n", ":3: 2 values for the 1"},
                      BadDescription{"UnknownType", "table t\ncolumn a blob\n", ":2: unknown column type"},
                      BadDescription{"NotAnInteger", "table t\ncolumn a long\nrow\t12x\n", "not an integer"},
                      BadDescription{"BadFormat", "format jet5\n", ":1: format is jet3, jet4, ace2007"},
                      BadDescription{"RowWithoutTab", "table t\ncolumn a text\nrow x\n", "TAB"},
                      BadDescription{"ColumnAfterRows", "table t\ncolumn a text\nrow\tx\ncolumn b text\n",
                                     "before the rows"}),
    [](const auto& info) { return std::string(info.param.name); });

// The command as the build uses it: a description in, a database out that
// mdb-export reads; a failed run leaves no file behind.
TEST(JetwriterCommand, WritesTheDescribedDatabase) {
  TempDir dir;
  WriteText(dir / "db.txt",
            "format jet4\ntable m_pvd\ncolumn pvd_no text 10\ncolumn pvd_nm text 60\n"
            "row\t1310000001\tケアステーション①\n");
  const std::string command = std::string(JETWRITER_CLI) + " '" + (dir / "db.txt").string() + "' '" +
                              (dir / "data.qdr").string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(testing::MdbExport(dir / "data.qdr", "m_pvd"),
            (std::vector<ExportRow>{{"1310000001", "ケアステーション①"}}));
}

TEST(JetwriterCommand, FailsWithoutLeavingAFile) {
  TempDir dir;
  WriteText(dir / "bad.txt", "table t\ncolumn a text 2\nrow\ttoo long\n");
  const std::string command = std::string(JETWRITER_CLI) + " '" + (dir / "bad.txt").string() + "' '" +
                              (dir / "out.qdr").string() + "' 2>/dev/null";
  EXPECT_NE(std::system(command.c_str()), 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "out.qdr"));
  EXPECT_FALSE(std::filesystem::exists(dir / "out.qdr.tmp"));
}

}  // namespace
}  // namespace jetwriter
