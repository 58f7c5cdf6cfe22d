// A claim file into the raw record grid: one line per row, one field per
// column from column 1, the grid only growing, and the two messages a user
// sees when a file cannot be opened or read.

#include "display/load_csv_grid.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "claimgen/claimgen.h"
#include "common/cp932.h"
#include "controls/recording_message_boxes.h"
#include "tests/csv/temp_files.h"

namespace pellora {
namespace {

using testing::TempFolder;
using testing::U16Path;
using Shown = RecordingMessageBoxes::Shown;

// The raw record grid as the window designs it: 1 row, 1 column, both fixed.
GridDesign RawRecordGrid() { return {1, 1, 1, 1}; }

// Lines and fields of a file, worked out independently of the reader: split
// at CR LF / CR, decode, then split at unquoted commas.
std::vector<std::vector<std::u16string>> ExpectedRecords(const std::string& bytes) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r') {
      line += bytes[i];
      continue;
    }
    lines.push_back(line);
    line.clear();
    if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
  }
  if (!line.empty()) lines.push_back(line);
  std::vector<std::vector<std::u16string>> records;
  for (const std::string& l : lines) {
    const std::u16string text = common::cp932::Decode(l);
    std::vector<std::u16string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == u'"' && quoted && i + 1 < text.size() && text[i + 1] == u'"') {
        fields.back() += u'"';
        ++i;
      } else if (text[i] == u'"') {
        quoted = !quoted;
      } else if (text[i] == u',' && !quoted) {
        fields.emplace_back();
      } else {
        fields.back() += text[i];
      }
    }
    records.push_back(fields);
  }
  return records;
}

TEST(LoadCsvGrid, ClaimFileFillsOneRowPerLineAndOneColumnPerField) {
  for (const auto kind : {claimgen::FileKind::CareFeeClaim, claimgen::FileKind::BenefitManagement}) {
    TempFolder folder;
    claimgen::Options options;
    options.lines = 800;
    options.kind = kind;
    const std::string bytes = claimgen::Generate(options);
    const auto path = folder.Write("claim.csv", bytes);

    FlexGrid grid(RawRecordGrid());
    RecordingMessageBoxes ui;
    LoadCsvGrid(U16Path(path), grid, ui);

    EXPECT_TRUE(ui.shown.empty());
    const auto expected = ExpectedRecords(bytes);
    ASSERT_EQ(grid.Rows(), 800);
    std::size_t widest = 0;
    for (std::size_t r = 0; r < expected.size(); ++r) {
      widest = std::max(widest, expected[r].size());
      EXPECT_EQ(grid.TextMatrix(static_cast<int>(r), 0), u"");  // column 0 is never written
      for (std::size_t f = 0; f < expected[r].size(); ++f)
        ASSERT_EQ(grid.TextMatrix(static_cast<int>(r), static_cast<int>(f + 1)), expected[r][f]) << r << "," << f;
    }
    EXPECT_EQ(grid.Cols(), static_cast<int>(widest + 1));
    EXPECT_EQ(grid.TextMatrix(0, 8), u"1371234567");  // provider number
    EXPECT_EQ(grid.TextMatrix(0, 11), u"202404");     // processing year-month
    EXPECT_EQ(grid.TextMatrix(799, 1), u"3");         // end record
  }
}

TEST(LoadCsvGrid, OpenFailureIsCriticalAndLeavesTheGridUntouched) {
  TempFolder folder;
  const struct {
    std::u16string path;
    std::u16string message;
  } cases[] = {
      {U16Path(folder.path() / "missing.csv"), u"53:ファイルが見つかりません。"},
      {U16Path(folder.path() / "gone" / "claim.csv"), u"76:パスが見つかりません。"},
      {U16Path(folder.path()), u"75:パス/ファイル アクセス エラーです。"},
      {u"", u"52:ファイル名または番号が不正です。"},
  };
  for (const auto& c : cases) {
    FlexGrid grid(RawRecordGrid());
    grid.SetTextMatrix(0, 0, u"before");
    RecordingMessageBoxes ui;
    LoadCsvGrid(c.path, grid, ui);
    EXPECT_EQ(ui.shown, (std::vector<Shown>{{c.message, MsgIcon::Critical, std::nullopt}}));
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.Cols(), 1);
    EXPECT_EQ(grid.TextMatrix(0, 0), u"before");
  }
}

TEST(LoadCsvGrid, ReadFailureIsInformationWithASemicolon) {
  const std::string path = testing::FileThatFailsAtRead();
  if (path.empty()) GTEST_SKIP() << "no file on this machine fails at read";
  FlexGrid grid(RawRecordGrid());
  RecordingMessageBoxes ui;
  LoadCsvGrid(U16Path(path), grid, ui);
  EXPECT_EQ(ui.shown, (std::vector<Shown>{{u"57;デバイス I/O エラーです。", MsgIcon::Information, std::nullopt}}));
  EXPECT_EQ(grid.Rows(), 1);
}

TEST(LoadCsvGrid, TheGridOnlyGrows) {
  TempFolder folder;
  std::string wide = "c1";
  for (int f = 2; f <= 21; ++f) wide += ",c" + std::to_string(f);
  const auto first = folder.Write("wide.csv", wide + "\r\n1,2\r\n3\r\n");
  const auto second = folder.Write("narrow.csv", "n1,n2,n3\r\nx\r\n");

  FlexGrid grid(RawRecordGrid());
  RecordingMessageBoxes ui;
  LoadCsvGrid(U16Path(first), grid, ui);
  EXPECT_EQ(grid.Cols(), 22);  // 21 fields: columns 0 to 21
  EXPECT_EQ(grid.Rows(), 3);
  EXPECT_EQ(grid.TextMatrix(2, 2), u"");  // a shorter line leaves the rest empty

  grid.SetRows(1);  // the file choice resets the grid before the next display
  LoadCsvGrid(U16Path(second), grid, ui);
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(grid.Cols(), 22);  // never reduced
  EXPECT_EQ(grid.Rows(), 2);
  EXPECT_EQ(grid.TextMatrix(0, 3), u"n3");
  EXPECT_EQ(grid.TextMatrix(0, 4), u"c4");    // the previous control record's cells stay
  EXPECT_EQ(grid.TextMatrix(0, 21), u"c21");
  EXPECT_EQ(grid.TextMatrix(1, 2), u"");      // row 1 was cut away by the reset
}

// Files that must load what they hold without a message and without harm.
TEST(LoadCsvGrid, AwkwardFilesLoadWhatTheyHold) {
  std::string tenThousandFields = "0";
  for (int f = 1; f < 10000; ++f) {
    tenThousandFields += ',';
    tenThousandFields += std::to_string(f);
  }
  const std::string tenMegabytes(10 * 1024 * 1024, 'x');
  std::string manyLongFields;
  for (int f = 0; f < 1000; ++f) manyLongFields += (f ? "," : "") + std::string(10000, static_cast<char>('a' + f % 26));

  const struct {
    const char* what;
    std::string bytes;
    int rows, cols;
    int row, col;  // one cell to look at
    std::u16string text;
  } cases[] = {
      {"empty file", "", 1, 1, 0, 0, u"design"},
      {"one line", "a,b", 1, 3, 0, 2, u"b"},
      {"final CR LF gives no extra row", "a\r\nb\r\n", 2, 2, 1, 1, u"b"},
      {"quoted commas stay in one cell", "\"1,2,3\",4\r\n", 1, 3, 0, 1, u"1,2,3"},
      {"only CR", "\r\r\r", 3, 2, 2, 1, u""},
      {"only LF", "\n\n", 2, 2, 1, 1, u""},
      {"LF inside lines of a file with a CR", "\n\r", 1, 2, 0, 1, u"\n"},
      {"NUL bytes", std::string("\0,a\0\r\n\0", 7), 2, 3, 0, 2, std::u16string(u"a\0", 2)},
      {"10 MB line without terminator", "h\r\n" + tenMegabytes, 2, 2, 1, 1, std::u16string(tenMegabytes.begin(), tenMegabytes.end())},
      {"10 MB line of long fields", manyLongFields, 1, 1001, 0, 1000, std::u16string(10000, u'l')},
      {"10,000 fields", "h\r\n" + tenThousandFields + "\r\nz", 3, 10001, 1, 10000, u"9999"},
      {"truncated double byte", "a\x82\r\nb", 2, 2, 0, 1, u"a\uFFFD"},
      {"broken pair before a comma", "\x82,\x85\x40,\x85\x85", 1, 4, 0, 2, u"\uFFFD@"},
      {"unterminated quote", "\"a,b\r\nc", 2, 2, 0, 1, u"a,b"},
  };
  TempFolder folder;
  for (const auto& c : cases) {
    FlexGrid grid(RawRecordGrid());
    grid.SetTextMatrix(0, 0, u"design");
    RecordingMessageBoxes ui;
    LoadCsvGrid(U16Path(folder.Write("input.csv", c.bytes)), grid, ui);
    EXPECT_TRUE(ui.shown.empty()) << c.what;
    EXPECT_EQ(grid.Rows(), c.rows) << c.what;
    EXPECT_EQ(grid.Cols(), c.cols) << c.what;
    EXPECT_TRUE(grid.TextMatrix(c.row, c.col) == c.text) << c.what;
  }
}

TEST(ClaimGenerator, SameOptionsSameBytes) {
  claimgen::Options options;
  options.lines = 300;
  const std::string a = claimgen::Generate(options);
  EXPECT_EQ(claimgen::Generate(options), a);
  options.seed = 2;
  EXPECT_NE(claimgen::Generate(options), a);

  for (std::size_t lines : {0u, 1u, 2u, 3u, 1000u}) {
    options.lines = lines;
    const std::string bytes = claimgen::Generate(options);
    std::size_t ends = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) ends += bytes[i] == '\r' && bytes[i + 1] == '\n';
    EXPECT_EQ(ends, lines);
  }
}

TEST(ClaimGenerator, CarriesTheRecordTypesOfItsKind) {
  for (const auto kind : {claimgen::FileKind::CareFeeClaim, claimgen::FileKind::BenefitManagement}) {
    claimgen::Options options;
    options.lines = 3000;
    options.kind = kind;
    const auto records = ExpectedRecords(claimgen::Generate(options));
    std::map<std::u16string, int> codes;
    int totals = 0;
    for (std::size_t r = 1; r + 1 < records.size(); ++r) {
      ++codes[records[r].at(2)];
      totals += records[r].at(3) == u"10";
    }
    // The first generation: the statements of home-visit services and
    // their invoices, the care-plan fees; the sheets and their cover.
    const std::vector<std::u16string> expected =
        kind == claimgen::FileKind::CareFeeClaim ? std::vector<std::u16string>{u"7111", u"7131", u"7132", u"8121"}
                                                 : std::vector<std::u16string>{u"8211", u"8221"};
    for (const auto& code : expected) EXPECT_GT(codes[code], 0) << std::string(code.begin(), code.end());
    EXPECT_EQ(codes.size(), expected.size());
    // Every statement has its 集計 records, which the display shows.
    if (kind == claimgen::FileKind::CareFeeClaim) {
      EXPECT_GT(totals, 300);
    }
  }
}

}  // namespace
}  // namespace pellora
