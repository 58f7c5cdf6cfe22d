// What is wrong with a claim file, told from real files on disk as the
// display loads them: the warnings' codes for files that are cut, padded,
// empty, UTF-16, UTF-8, binary or of LF line ends, and none for sound files.

#include "claim/file_checks.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "claim/display_steps.h"
#include "claimgen/claimgen.h"
#include "common/cp932.h"
#include "common/utf.h"
#include "controls/recording_message_boxes.h"
#include "display/load_csv_grid.h"
#include "tests/csv/temp_files.h"

namespace pellora {
namespace {

using testing::TempFolder;
using testing::U16Path;

struct Checked {
  std::vector<std::string_view> codes;
  std::vector<FileWarning> warnings;
  std::unique_ptr<FlexGrid> grid = std::make_unique<FlexGrid>(GridDesign{1, 1, 1, 1});
};

Checked Check(const TempFolder& folder, const std::string& bytes) {
  Checked checked;
  RecordingMessageBoxes ui;
  ClaimView claim;
  claim.records = LoadCsvGrid(U16Path(folder.Write("claim.csv", bytes)), *checked.grid, ui);
  EXPECT_TRUE(ui.shown.empty());
  if (claim.records.file().failure()) return checked;
  if (claim.records.Rows() >= 2) ShowClaimRecords(claim);
  checked.warnings = CheckClaimFile(claim.records, claim.rows.size());
  for (const FileWarning& w : checked.warnings) checked.codes.push_back(w.code);
  return checked;
}

std::string Generated(std::size_t lines, claimgen::FileKind kind = claimgen::FileKind::CareFeeClaim,
                      claimgen::Generation generation = claimgen::Generation::First) {
  return claimgen::Generate({.lines = lines, .kind = kind, .generation = generation});
}

// A file of a control record of data kind `dataKind`, data records of
// these codes, and an end record.
std::string CodesFile(const char* dataKind, std::initializer_list<const char*> codes) {
  std::string bytes = std::string("1,00000001,0,") + std::to_string(codes.size()) + "," + dataKind +
                      ",0,0,1371234567,13,7,202604,0\r\n";
  for (const char* code : codes) bytes += std::string("2,00000002,") + code + ",01,202603\r\n";
  return bytes + "3,00000099\r\n";
}

// The first `n` lines of a file of CR LF line ends.
std::string FirstLines(const std::string& bytes, int n) {
  std::size_t end = 0;
  for (int i = 0; i < n; ++i) end = bytes.find("\r\n", end) + 2;
  return bytes.substr(0, end);
}

std::string WithoutCr(std::string bytes) {
  std::erase(bytes, '\r');
  return bytes;
}

// UTF-16 little-endian, as Windows writes it.
std::string Utf16(const std::string& cp932, bool bom) {
  std::string out = bom ? "\xFF\xFE" : "";
  for (const char16_t c : common::cp932::Decode(cp932)) out += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return out;
}

std::string ReadExample(const char* name) {
  std::ifstream in(std::string(PELLORA_EXAMPLES) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(CheckClaimFile, WarningsForEachKindOfDamage) {
  const std::string sound = Generated(40);  // 38 data records, names in kanji
  std::string program = "\x7F" "ELF\x02\x01\x01";
  for (int i = 0; i < 4000; ++i) program += static_cast<char>((i * 7919) % 251 % (i % 3 ? 256 : 8));
  // Field 4 of the control record, the count of data records, rewritten.
  const auto counting = [&](const std::string& count) {
    std::string bytes = sound;
    return bytes.replace(bytes.find(",38,"), 4, "," + count + ",");
  };
  const std::string utf8 = common::Utf16ToUtf8Lossy(common::cp932::Decode(sound));

  const struct {
    const char* what;
    std::string bytes;
    std::vector<std::string_view> codes;
  } cases[] = {
      {"a sound claim file", sound, {}},
      {"the example claim file", ReadExample("care-fee-claim-202404.csv"), {}},
      {"the example benefit-management file", ReadExample("benefit-management-202404.csv"), {}},
      {"an old editor's end-of-file mark", sound + "\x1A", {}},
      {"empty", "", {"empty-file"}},
      {"only a control record", FirstLines(sound, 1), {"no-data-records", "record-count", "no-end-record"}},
      {"control and end records", FirstLines(sound, 1) + "3,00000040\r\n", {"no-data-records", "record-count"}},
      {"cut after 12 data records", FirstLines(sound, 13), {"record-count", "no-end-record"}},
      {"one data record more than counted", counting("37"), {"record-count"}},
      {"the count with leading zeros", counting("0038"), {}},
      {"a count that is not a number", counting("3x"), {}},
      {"no count", counting(""), {}},
      {"LF line ends", WithoutCr(sound), {"lf-line-ends"}},
      {"LF line ends and cut", WithoutCr(FirstLines(sound, 13)), {"lf-line-ends", "record-count", "no-end-record"}},
      {"UTF-16 with BOM", Utf16(sound, true), {"utf-16"}},
      {"UTF-16 without BOM", Utf16(sound, false), {"utf-16"}},
      {"a program", program, {"not-text"}},
      {"a bell", "\a" + sound, {"not-text"}},
      {"UTF-8", utf8, {"utf-8"}},
      {"UTF-8 with BOM", "\xEF\xBB\xBF" + sound, {"utf-8"}},
      {"a current claim file", Generated(400, claimgen::FileKind::CareFeeClaim, claimgen::Generation::Current), {}},
      {"a current benefit-management file",
       Generated(400, claimgen::FileKind::BenefitManagement, claimgen::Generation::Current),
       {}},
      {"the example current benefit-management file", ReadExample("benefit-management-current-202604.csv"), {}},
      {"records the window does not show", CodesFile("711", {"7111", "7121", "7121"}), {"no-shown-records"}},
      {"an unknown code", CodesFile("821", {"8211", "8299"}), {"no-shown-records"}},
      {"only benefit-management totals lines", CodesFile("821", {"8222,202603,131011,1371234567,1,0,1,99"}),
       {"no-shown-records"}},
      {"another data kind", CodesFile("712", {"7131"}), {"other-data-kind", "no-shown-records"}},
      {"no data kind", CodesFile("", {"7131"}), {"other-data-kind", "no-shown-records"}},
      {"another data kind with shown records",
       [] {
         std::string bytes = Generated(40);
         return bytes.replace(bytes.find(",711,"), 5, ",7E1,");
       }(),
       {"other-data-kind"}},
  };
  TempFolder folder;
  for (const auto& c : cases) EXPECT_EQ(Check(folder, c.bytes).codes, c.codes) << c.what;
}

TEST(CheckClaimFile, RecordCountWarningNamesBothCounts) {
  TempFolder folder;
  const Checked cut = Check(folder, FirstLines(Generated(420), 7));
  ASSERT_EQ(cut.codes.front(), "record-count");
  const std::u16string& text = cut.warnings.front().text;
  EXPECT_NE(text.find(u"(418 件)"), std::u16string::npos) << common::Utf16ToUtf8Lossy(text);
  EXPECT_NE(text.find(u"(6 件)"), std::u16string::npos) << common::Utf16ToUtf8Lossy(text);
}

TEST(CheckClaimFile, EmptyDisplayWarningsSayWhatTheFileHolds) {
  TempFolder folder;
  const auto texts = [&](const std::string& bytes) {
    std::vector<std::string> out;
    for (const FileWarning& w : Check(folder, bytes).warnings) out.push_back(common::Utf16ToUtf8Lossy(w.text));
    return out;
  };
  EXPECT_EQ(texts(CodesFile("711", {"7121", "7111", "7121", "", "71210000000000"})),
            std::vector<std::string>{"データレコードが 5 件ありますが、表示できる明細はありません。交換情報識別番号: "
                                     "空 (1 件)、7111 (1 件)、7121 (2 件)、7121000000… (1 件)。"});
  EXPECT_EQ(texts(CodesFile("J11", {"7131", "0001", "0002", "0003", "0004", "0005", "0006", "0007", "0008", "0009",
                                     "0010", "0011", "0012"})),
            (std::vector<std::string>{
                "コントロールレコードのデータ種別 (J11) は、このビューアが表示する介護給付費請求書情報 (711) でも"
                "給付管理票情報 (821) でもありません。",
                "データレコードが 13 件ありますが、表示できる明細はありません。交換情報識別番号: 0001 (1 件)、0002 (1 "
                "件)、0003 (1 件)、0004 (1 件)、0005 (1 件)、0006 (1 件)、0007 (1 件)、0008 (1 件)、0009 (1 件)、0010 "
                "(1 件)、ほか 3 種類。"}));
}

// The record count is the control record's field 4 in every generation.
TEST(CheckClaimFile, RecordCountOfEveryGeneration) {
  TempFolder folder;
  for (const auto kind : {claimgen::FileKind::CareFeeClaim, claimgen::FileKind::BenefitManagement}) {
    for (const auto generation : {claimgen::Generation::First, claimgen::Generation::Current}) {
      EXPECT_EQ(Check(folder, FirstLines(Generated(60, kind, generation), 20)).codes,
                (std::vector<std::string_view>{"record-count", "no-end-record"}));
    }
  }
}

// A file of LF line ends shows exactly what the same file with CR LF does.
TEST(CheckClaimFile, LfLineEndsGiveTheSameGridAsCrLf) {
  TempFolder folder;
  const std::string crLf = Generated(300);
  const Checked a = Check(folder, crLf);
  const Checked b = Check(folder, WithoutCr(crLf));
  ASSERT_EQ(a.grid->Rows(), 300);
  ASSERT_EQ(b.grid->Rows(), a.grid->Rows());
  ASSERT_EQ(b.grid->Cols(), a.grid->Cols());
  for (int r = 0; r < a.grid->Rows(); ++r) {
    for (int col = 1; col < a.grid->Cols(); ++col) ASSERT_EQ(b.grid->TextMatrix(r, col), a.grid->TextMatrix(r, col));
  }
}

}  // namespace
}  // namespace pellora
