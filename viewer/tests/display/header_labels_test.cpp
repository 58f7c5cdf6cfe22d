// The file kind, decided by the first data record with a known code, and the
// header's year-month and its caption, which outlives a file of undecided
// kind.

#include <gtest/gtest.h>

#include "display/header_labels.h"
#include "tests/display/claim_display.h"

namespace pellora {
namespace {

using testing::ClaimDisplay;
using testing::ClaimFile;
using testing::CodeOnly;
using testing::ControlRecord;
using testing::EndRecord;
using testing::Record;
using testing::Record8211;

constexpr char16_t kClaim[] = u"介護給付費請求書情報";
constexpr char16_t kBenefit[] = u"給付管理票情報";

std::vector<Record> CodesFile(const std::vector<std::string>& codes) {
  std::vector<Record> data;
  for (const auto& code : codes) data.push_back(CodeOnly(code));
  return ClaimFile(data);
}

TEST(SetFileKind, TheFirstDataRecordWithAKnownCodeDecides) {
  const struct {
    const char* name;
    std::vector<Record> file;
    std::u16string kind;
  } cases[] = {
      {"7131", CodesFile({"7131"}), kClaim},
      {"8221", CodesFile({"8221"}), kBenefit},
      {"8211", CodesFile({"8211"}), kBenefit},
      {"benefit record first, claim record later", CodesFile({"8221", "7131"}), kBenefit},
      {"claim record first, benefit record later", CodesFile({"7111", "8211"}), kClaim},
      {"unknown codes are passed over", CodesFile({"9999", "", "711", "8211", "7131"}), kBenefit},
      {"codes are exact text", CodesFile({" 7131", "7131 ", "７１３１", "07131", "8221\t"}), u""},
      {"no data records", ClaimFile({}), u""},
      {"the control record is not a data record",
       {[] {
          Record control = ControlRecord();
          control[3] = "8221";
          return control;
        }(),
        CodeOnly("7131"), EndRecord()},
       kClaim},
      {"the end record is not a data record", {ControlRecord(), CodeOnly("8221"), CodeOnly("7131")}, kBenefit},
      {"nor is the last line of a two-line file", {ControlRecord(), CodeOnly("7131")}, u""},
      {"a short record has no code", {ControlRecord(), {{1, "2"}, {2, "x"}}, CodeOnly("8211"), EndRecord()},
       kBenefit},
  };
  for (const auto& c : cases) {
    ClaimDisplay display;
    display.Show(c.file);
    EXPECT_EQ(display.window().lblHead(1).Caption, c.kind) << c.name;
  }
  for (const char* code : {"7131", "7121", "7111", "8121", "7162", "7152", "7142", "7161", "7151", "7141", "7132",
                           "8122", "8123", "8124", "8125"}) {
    ClaimDisplay display;
    display.Show(CodesFile({"0000", code, "8221"}));
    EXPECT_EQ(display.window().lblHead(1).Caption, kClaim) << code;
  }
  for (const char* code : {"8221", "8222", "8211"}) {
    ClaimDisplay display;
    display.Show(CodesFile({"8126", "8220", "8223", code, "7131"}));
    EXPECT_EQ(display.window().lblHead(1).Caption, kBenefit) << code;
  }
}

TEST(SetFileKind, FileOfOnlyNarrowLinesHasNoKind) {
  // Every line has one field: the raw record grid has no column 3 at all.
  ClaimDisplay display;
  display.ShowBytes("1\r\n7131\r\n8221\r\n3\r\n");
  EXPECT_EQ(display.window().lblHead(1).Caption, u"");
  EXPECT_EQ(display.window().vsfViewer().Rows(), 1);
}

TEST(SetHeadYearMonth, ShowsTheYearMonthOfTheKindWithItsCaption) {
  auto claimWithMonth = [](const std::string& yearMonth) { return ClaimFile({CodeOnly("7131")}, yearMonth); };
  const struct {
    const char* name;
    std::vector<Record> file;
    std::u16string yearMonth;
    std::u16string caption;
  } cases[] = {
      {"claim: the control record's processing month", claimWithMonth("202404"), u"2024年04月", u"処理対象年月"},
      {"claim: four characters", claimWithMonth("2024"), u"2024年月", u"処理対象年月"},
      {"claim: empty", claimWithMonth(""), u"年月", u"処理対象年月"},
      {"claim: cut by characters, not bytes", claimWithMonth("令和六年四月"), u"令和六年年四月月", u"処理対象年月"},
      {"claim: longer than six", claimWithMonth("2024041"), u"2024年041月", u"処理対象年月"},
      {"claim: an 8211 record does not count", ClaimFile({CodeOnly("7131"), Record8211("202301")}), u"2024年04月",
       u"処理対象年月"},
      {"benefit: the first 8211's submission month",
       ClaimFile({CodeOnly("8221"), Record8211("202405"), Record8211("202406")}), u"2024年05月", u"提出年月"},
      {"benefit: without 8211, the control record's month", ClaimFile({CodeOnly("8222")}, "202605"), u"2026年05月",
       u"提出年月"},
      {"benefit: 8211 with an empty month", ClaimFile({Record8211("")}), u"年月", u"提出年月"},
      {"benefit: 8211's month, not the control record's", ClaimFile({CodeOnly("8221"), Record8211("202405")}, "209912"),
       u"2024年05月", u"提出年月"},
  };
  for (const auto& c : cases) {
    ClaimDisplay display;
    display.Show(c.file);
    EXPECT_EQ(display.window().lblHead(0).Caption, c.yearMonth) << c.name;
    EXPECT_EQ(display.window().lblHeadCaption(0).Caption, c.caption) << c.name;
  }
}

TEST(SetHeadYearMonth, CaptionOutlivesAFileOfUndecidedKind) {
  ClaimDisplay display;
  frmPellora& w = display.window();
  EXPECT_EQ(w.lblHeadCaption(0).Caption, u"年月");  // the design text until a kind is shown

  const struct {
    std::vector<Record> file;
    std::u16string kind, yearMonth, caption;
  } sequence[] = {
      {ClaimFile({CodeOnly("9999")}), u"", u"", u"年月"},
      {ClaimFile({CodeOnly("7131")}), kClaim, u"2024年04月", u"処理対象年月"},
      {ClaimFile({CodeOnly("9999")}), u"", u"", u"処理対象年月"},
      {ClaimFile({CodeOnly("8221"), Record8211("202405")}), kBenefit, u"2024年05月", u"提出年月"},
      {{ControlRecord()}, u"", u"", u"提出年月"},  // one line: the display stops early
      {ClaimFile({}), u"", u"", u"提出年月"},
      {ClaimFile({CodeOnly("7121")}, "202312"), kClaim, u"2023年12月", u"処理対象年月"},
  };
  int step = 0;
  for (const auto& s : sequence) {
    display.Show(s.file);
    EXPECT_EQ(w.lblHead(1).Caption, s.kind) << "file " << step;
    EXPECT_EQ(w.lblHead(0).Caption, s.yearMonth) << "file " << step;
    EXPECT_EQ(w.lblHeadCaption(0).Caption, s.caption) << "file " << step;
    ++step;
  }
}

// The raw record grid only grows, so that a narrower control record after a
// wider one leaves the earlier file's fields in row 0 beyond its own (the
// debug window shows them so); the header takes the file's own fields,
// never those: a control record without a provider or a year-month shows
// none, not the previous file's.
TEST(SetHeadYearMonth, ANarrowerControlRecordShowsOnlyItsOwnFields) {
  ClaimDisplay display;
  frmPellora& w = display.window();
  display.Show(ClaimFile({CodeOnly("7131")}, "202404"));
  ASSERT_EQ(w.lblHead(2).Caption, u"1371234567");
  Record narrow = ControlRecord("202405");
  narrow.erase(narrow.find(8), narrow.end());  // fields 1 to 7 only
  display.Show({narrow, CodeOnly("7131"), EndRecord()});
  EXPECT_EQ(w.lblHead(1).Caption, kClaim);
  EXPECT_EQ(w.lblHead(2).Caption, u"");
  EXPECT_EQ(w.lblHead(0).Caption, u"年月");
  EXPECT_EQ(w.vsfCsv().TextMatrix(0, 8), u"1371234567");  // the earlier file's, as the grid keeps it
  EXPECT_EQ(w.vsfCsv().TextMatrix(0, 11), u"202404");
}

// Clearing the display empties every header value and returns the
// provider's name to the window's background; the captions beside the
// values stay as the last file left them.
TEST(ClearClaimDisplay, EmptiesEveryHeaderValueAndNoCaption) {
  ClaimDisplay display;
  frmPellora& w = display.window();
  auto claim = std::make_shared<ClaimView>();
  claim->kind = claim::FileKind::CareFeeClaim;
  claim->yearMonthCaption = YearMonthCaption::Processing;
  claim->yearMonth = u"2024年04月";
  claim->providerNumber = u"1371234567";
  claim->providerName = u"訪問看護ステーションひまわり";
  claim->providerOutcome = LookupOutcome::Found;
  w.ShowClaim(claim);
  ASSERT_EQ(w.lblHead(3).BackColor, Rgb(255, 255, 192));

  w.ClearClaimDisplay();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(w.lblHead(i).Caption, u"") << i;
  EXPECT_EQ(w.lblHead(3).BackColor, kWindowBackgroundColor);
  EXPECT_EQ(w.lblHeadCaption(0).Caption, u"処理対象年月");
  EXPECT_EQ(w.lblHeadCaption(1).Caption, u"種類");
  EXPECT_EQ(w.lblHeadCaption(2).Caption, u"事業所");
}

}  // namespace
}  // namespace pellora
