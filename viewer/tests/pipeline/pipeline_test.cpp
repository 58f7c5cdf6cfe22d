// ShowCsvFile from end to end: a claim file and a provider database on
// disk, through every display step and both look-ups, for each file kind
// and each form of database; where the pipeline stops early, and how a
// failure of a step reaches the caller.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

#include "check/check_report.h"
#include "claim/display_csv.h"
#include "common/utf.h"
#include "controls/recording_message_boxes.h"
#include "claim/display_columns.h"
#include "errors/err_info.h"
#include "errors/routine_error.h"
#include "export/display_export.h"
#include "shell/frmPellora.h"
#include "tests/display/claim_display.h"
#include "tests/lookup/provider_database.h"

namespace pellora {
namespace {

using testing::DatabaseForm;
using testing::Record;

std::u16string U16(const std::string& utf8) { return common::Utf8ToUtf16(utf8); }

std::vector<std::string_view> Codes(const std::vector<FileWarning>& warnings) {
  std::vector<std::string_view> codes;
  for (const FileWarning& w : warnings) codes.push_back(w.code);
  return codes;
}

// The main window after start-up, a database on disk and claim files to
// show in it.
class Pipeline {
 public:
  Pipeline() : window_(std::make_unique<frmPellora>(ui, frmPellora::Environment{})) {
    EXPECT_TRUE(InitViewerGrid(*window_->GridOf(MainControl::vsfViewer)));
    EXPECT_TRUE(InitTotalGrid(*window_->GridOf(MainControl::vsfTotal)));
  }

  frmPellora& window() { return *window_; }
  const testing::TempDir& dir() const { return dir_; }

  void UseDatabase(const std::filesystem::path& file) { window_->UseDatabase(U16(file.string())); }
  void UseProviderDatabase(DatabaseForm form) {
    UseDatabase(testing::WriteProviderDatabase(dir_, form));
    EXPECT_TRUE(window_->DBFound());
  }

  // Writes the claim file and shows it as start-up shows a file named on
  // the command line.
  void Show(const std::vector<Record>& records) { ShowBytes(testing::FileBytes(records)); }
  void ShowBytes(const std::string& bytes) {
    const std::filesystem::path file = dir_ / ("claim" + std::to_string(++files_) + ".csv");
    std::ofstream(file, std::ios::binary) << bytes;
    window_->ShowCsvFile(U16(file.string()));
  }

  testing::Table DisplayRows() const { return testing::TableOf(window_->vsfViewer(), 1, 1, 8); }
  testing::Table Totals() const { return testing::TableOf(window_->vsfTotal(), 1, 0, 3); }
  std::vector<std::optional<OleColor>> NameColours() const {
    std::vector<std::optional<OleColor>> colours;
    for (int r = 1; r < window_->vsfViewer().Rows(); ++r)
      colours.push_back(window_->vsfViewer().CellBackColor(r, viewer_col::kName));
    return colours;
  }
  std::pair<int, int> TotalWidths() const {
    return {window_->vsfTotal().ColWidth(total_col::kServices), window_->vsfTotal().ColWidth(total_col::kCarePlans)};
  }

  RecordingMessageBoxes ui;

 private:
  testing::TempDir dir_;
  int files_ = 0;
  std::unique_ptr<frmPellora> window_;
};

struct Header {
  std::u16string kind, yearMonthCaption, yearMonth, provider, providerName;
  OleColor providerColour;
};

void ExpectHeader(const frmPellora& w, const Header& h) {
  EXPECT_EQ(w.lblHead(1).Caption, h.kind);
  EXPECT_EQ(w.lblHeadCaption(0).Caption, h.yearMonthCaption);
  EXPECT_EQ(w.lblHead(0).Caption, h.yearMonth);
  EXPECT_EQ(w.lblHead(2).Caption, h.provider);
  EXPECT_EQ(w.lblHead(3).Caption, h.providerName);
  EXPECT_EQ(w.lblHead(3).BackColor, h.providerColour);
}

// ---- One file of each kind, every form of database ----

class EachDatabaseForm : public ::testing::TestWithParam<DatabaseForm> {};

INSTANTIATE_TEST_SUITE_P(Forms, EachDatabaseForm, ::testing::ValuesIn(testing::kAllDatabaseForms),
                         [](const auto& info) { return testing::FormName(info.param); });

TEST_P(EachDatabaseForm, CareFeeClaimFileShowsHeaderPersonsNamesAndTotals) {
  using namespace testing;
  Pipeline p;
  p.UseProviderDatabase(GetParam());
  p.Show(ClaimFile({
      CodeOnly("7111"),
      ServiceDetail("7131", "10", "202403", "131011", "0000000001", "13", "120"),
      ServiceDetail("7131", "10", "202403", "131011", "0000000001", "63", "030"),
      ServiceDetail("7132", "10", "202403", "1234", "0000000003", "31", "45"),
      ServiceSummary("7142", "10", "202403", "131011", "0000000002", "34"),
      Record8121("10", "202404", "131011", "9999999999"),
      ServiceDetail("7131", "10", "202404", "131029", "0000000008", "13", "200"),
      ServiceDetail("7131", "20", "202404", "131011", "0000000005", "13", "999"),  // not a service record
  }));

  EXPECT_TRUE(p.ui.shown.empty());
  ExpectHeader(p.window(), {u"介護給付費請求書情報", u"処理対象年月", u"2024年04月", u"1371234567",
                            u"髙橋ケアステーション①", kLightYellow});
  const Table rows = {
      {u"2024年03月", u"0000000001", u"131011", u"髙橋 一郎", u"120", u"30", u"", u""},
      {u"2024年03月", u"0000000002", u"131011", u"", u"", u"", u"", u"0"},
      {u"2024年03月", u"0000000003", u"001234", u"鈴木～花子", u"", u"", u"45", u""},
      {u"2024年04月", u"0000000008", u"131029", u"①髙﨑", u"200", u"", u"", u""},
      {u"2024年04月", u"9999999999", u"131011", u"", u"", u"", u"", u""},
  };
  EXPECT_EQ(p.DisplayRows(), rows) << Printed(p.DisplayRows());
  EXPECT_EQ(p.NameColours(), (std::vector<std::optional<OleColor>>{kLightYellow, kLightYellow, kLightYellow,
                                                                    kLightYellow, kLightCyan}));
  EXPECT_EQ(p.Totals(), (Table{{u"2024/03", u"3", u"1", u"0"}, {u"2024/04", u"2", u"1", u"1"}}))
      << Printed(p.Totals());
  EXPECT_EQ(p.TotalWidths(), std::make_pair(765, 885));
  EXPECT_EQ(p.window().vsfViewer().Row(), 0);
  EXPECT_EQ(p.window().vsfViewer().Col(), 0);
}

TEST_P(EachDatabaseForm, BenefitManagementFileShowsHeaderPersonsNamesAndTotals) {
  using namespace testing;
  Pipeline p;
  p.UseProviderDatabase(GetParam());
  p.Show(ClaimFile({
      Record8211("202405"),
      Record8221("01", "202403", "131011", "0000000001", "13"),
      Record8221("01", "202403", "1234", "0000000003", "63"),
      Record8221("99", "202403", "131011", "0000000005", "13"),  // not extracted
      Record8221("01", "202404", "131011", "0000000006", "31"),
      Record8221("01", "202404", "131011", "0000000012", "34"),
  }));

  ExpectHeader(p.window(), {u"給付管理票情報", u"提出年月", u"2024年05月", u"1371234567",
                            u"髙橋ケアステーション①", kLightYellow});
  const Table rows = {
      {u"2024年03月", u"0000000001", u"131011", u"髙橋 一郎", u"0", u"", u"", u""},
      {u"2024年03月", u"0000000003", u"001234", u"鈴木～花子", u"", u"0", u"", u""},
      {u"2024年04月", u"0000000006", u"131011", u"ﾊﾝｶｸｶﾅ ﾀﾛｳ", u"", u"", u"0", u""},
      {u"2024年04月", u"0000000012", u"131011", u"", u"", u"", u"", u"0"},
  };
  EXPECT_EQ(p.DisplayRows(), rows) << Printed(p.DisplayRows());
  EXPECT_EQ(p.NameColours(),
            (std::vector<std::optional<OleColor>>{kLightYellow, kLightYellow, kLightYellow, kLightCyan}));
  EXPECT_EQ(p.Totals(), (Table{{u"2024/03", u"2", u"2", u"0"}, {u"2024/04", u"2", u"0", u"0"}}))
      << Printed(p.Totals());
  EXPECT_EQ(p.TotalWidths(), std::make_pair(0, 0));
}

// ---- Where the pipeline stops ----

// What the window shows is drawn from the claim, and what is written or
// searched reads the claim: captions, cells and colours changed behind the
// display's back change neither the saved display, nor the export, nor the
// find.
TEST(ShowCsvFile, TheClaimHoldsTheFactsTheControlsOnlyShowThem) {
  using namespace testing;
  Pipeline p;
  p.UseProviderDatabase(DatabaseForm::Jet4Compressed);
  p.Show(ClaimFile({ServiceDetail("7131", "10", "202403", "131011", "0000000001", "13", "120"),
                    ServiceDetail("7131", "10", "202403", "131011", "0000000002", "63", "80")}));
  frmPellora& w = p.window();
  const std::string csv = DisplayCsv(w.Claim());
  std::ostringstream json;
  exporting::WriteJson({w.Claim(), u"data.qdr", true}, json);

  for (FlexGrid* grid : {w.GridOf(MainControl::vsfViewer), w.GridOf(MainControl::vsfTotal)}) {
    for (int r = 1; r < grid->Rows(); ++r) {
      for (int c = 0; c < grid->Cols(); ++c) {
        grid->SetTextMatrix(r, c, u"書き換え");
        grid->SetCellBackColor(r, c, kLightCyan);
      }
    }
  }
  EXPECT_EQ(DisplayCsv(w.Claim()), csv);
  std::ostringstream again;
  exporting::WriteJson({w.Claim(), u"data.qdr", true}, again);
  EXPECT_EQ(again.str(), json.str());
  EXPECT_TRUE(w.FindInDisplay(u"0000000002", true));
  EXPECT_EQ(w.vsfViewer().Row(), 2);
  EXPECT_FALSE(w.FindInDisplay(u"書き換え", true));
}

TEST(ShowCsvFile, FileOfOneLineStopsAfterClearingTheHeader) {
  Pipeline p;
  p.UseProviderDatabase(DatabaseForm::Jet4Compressed);
  // A claim file before it: its header goes, the caption beside its
  // year-month stays (this file decides no kind).
  p.Show(testing::ClaimFile({testing::ServiceDetail("7131", "10", "202403", "131011", "0000000001", "13", "120")}));
  p.Show({testing::ControlRecord()});
  // The empty display is explained, in one box once the view has shown it.
  EXPECT_EQ(Codes(p.window().Claim().warnings), (std::vector<std::string_view>{"no-data-records", "no-end-record"}));
  EXPECT_TRUE(p.ui.shown.empty());
  p.window().ShowPendingWarnings();
  ASSERT_EQ(p.ui.shown.size(), 1u);
  // The warnings, then what the check found, with where to see it.
  const ClaimView& claim = p.window().Claim();
  ASSERT_TRUE(claim.check && claim.check->errors > 0);
  EXPECT_EQ(p.ui.shown[0].text, claim.warnings[0].text + u"\n" + claim.warnings[1].text + u"\n" +
                                    check::SummaryLine(*claim.check) + std::u16string(frmPellora::kCheckHint));
  EXPECT_EQ(p.ui.shown[0].icon, MsgIcon::Exclamation);
  EXPECT_EQ(p.ui.shown[0].title, std::u16string(frmPellora::kTitle));
  ExpectHeader(p.window(), {u"", u"処理対象年月", u"", u"", u"", kWindowBackgroundColor});
  EXPECT_EQ(p.window().vsfViewer().Rows(), 1);
  EXPECT_EQ(p.window().vsfViewer().TextMatrix(0, viewer_col::kName), u"氏名");
  EXPECT_EQ(p.window().vsfTotal().Rows(), 1);
  EXPECT_EQ(p.window().vsfTotal().TextMatrix(0, total_col::kPersons), u"人数");
  EXPECT_EQ(p.window().vsfSort().Rows(), 0);
}

TEST(ShowCsvFile, ControlAndEndRecordsAloneShowTheProviderAndNothingElse) {
  Pipeline p;
  p.UseProviderDatabase(DatabaseForm::Jet3CodePage932);
  p.Show(testing::ClaimFile({}));
  ExpectHeader(p.window(), {u"", u"年月", u"", u"1371234567", u"髙橋ケアステーション①", kLightYellow});
  EXPECT_EQ(p.window().vsfViewer().Rows(), 1);
  EXPECT_EQ(p.window().vsfTotal().Rows(), 1);
  EXPECT_EQ(p.TotalWidths(), std::make_pair(765, 885));
}

TEST(ShowCsvFile, FileThatCannotBeReadIsReportedAndShowsNothing) {
  Pipeline p;
  p.UseProviderDatabase(DatabaseForm::Jet4Compressed);
  p.window().ShowCsvFile(U16((p.dir() / "missing.csv").string()));
  ASSERT_EQ(p.ui.shown.size(), 1u);
  EXPECT_EQ(p.ui.shown[0].text, u"53:ファイルが見つかりません。");
  EXPECT_EQ(p.ui.shown[0].icon, MsgIcon::Critical);
  ExpectHeader(p.window(), {u"", u"年月", u"", u"", u"", kWindowBackgroundColor});
  EXPECT_EQ(p.window().vsfViewer().Rows(), 1);
}

// A control record without field 8 leaves the provider empty; the display
// goes on instead of ending at the missing field.
TEST(ShowCsvFile, ControlRecordTooShortForAProviderStillShowsTheFile) {
  using namespace testing;
  Pipeline p;
  p.UseProviderDatabase(DatabaseForm::Jet4Compressed);
  p.Show({{{1, "1"}, {2, "00000001"}, {3, "0"}},
          ServiceDetail("7131", "10", "202403", "131011", "0000000001", "13", "120"),
          EndRecord()});
  EXPECT_EQ(p.window().lblHead(1).Caption, u"介護給付費請求書情報");
  EXPECT_EQ(p.window().lblHead(2).Caption, u"");
  EXPECT_EQ(p.window().lblHead(3).BackColor, kLightCyan);
  ASSERT_EQ(p.window().vsfViewer().Rows(), 2);
  EXPECT_EQ(p.window().vsfViewer().TextMatrix(1, viewer_col::kName), u"髙橋 一郎");
}

TEST(ShowCsvFile, WithoutADatabaseEveryNameFieldIsPink) {
  using namespace testing;
  Pipeline p;
  p.UseDatabase(p.dir() / "missing.qdr");
  ASSERT_FALSE(p.window().DBFound());
  p.Show(ClaimFile({ServiceDetail("7131", "10", "202403", "131011", "0000000001", "13", "120"),
                    ServiceDetail("7131", "10", "202403", "131011", "0000000002", "13", "80")}));
  EXPECT_EQ(p.window().lblHead(2).Caption, u"1371234567");
  EXPECT_EQ(p.window().lblHead(3).Caption, u"");
  EXPECT_EQ(p.window().lblHead(3).BackColor, kPink);
  EXPECT_EQ(p.NameColours(), (std::vector<std::optional<OleColor>>{kPink, kPink}));
  EXPECT_EQ(p.DisplayRows()[0][3], u"");
  EXPECT_EQ(p.Totals(), (Table{{u"2024/03", u"2", u"2", u"0"}}));
}

// A step that fails ends the display where it is and reaches the caller,
// which learns the error's number and text.
TEST(ShowCsvFile, FailureOfAStepEndsTheDisplayAndReachesTheCaller) {
  using namespace testing;
  Pipeline p;
  p.UseProviderDatabase(DatabaseForm::Jet4Compressed);
  p.window().GridOf(MainControl::vsfTotal)->SetCols(1);  // the totals step cannot write its counts
  std::optional<ErrInfo> err;
  try {
    p.Show(ClaimFile({ServiceDetail("7131", "10", "202403", "131011", "0000000001", "13", "120")}));
  } catch (...) {
    err = CurrentErr();
  }
  ASSERT_TRUE(err.has_value());
  EXPECT_EQ(err->Number, 381);
  EXPECT_EQ(ErrText(*err), u"381:プロパティ配列のインデックスが不正です。");
  // Everything before the totals is there; the names were never looked up.
  EXPECT_EQ(p.window().lblHead(2).Caption, u"1371234567");
  ASSERT_EQ(p.window().vsfViewer().Rows(), 2);
  EXPECT_EQ(p.window().vsfViewer().TextMatrix(1, viewer_col::kInsured), u"0000000001");
  EXPECT_EQ(p.window().lblHead(3).BackColor, kWindowBackgroundColor);
  EXPECT_EQ(p.NameColours(), (std::vector<std::optional<OleColor>>{std::nullopt}));
}

// ---- Damaged databases never crash or hang a display ----

// Mutated copies of a sound database: bytes changed, runs zeroed, the file
// cut short. Whatever the reader makes of each, the display ends in bounded
// time, and its names are either all looked up (no pink) or all failed
// (all pink).
TEST(ShowCsvFile, DamagedDatabasesEndAsAFailedOrASoundLookUp) {
  using namespace testing;
  constexpr int kMutations = jet::testing::kSanitized ? 40 : 120;
  for (const DatabaseForm form : {DatabaseForm::Jet4Compressed, DatabaseForm::Jet3CodePage932}) {
    int failed = 0, lookedUp = 0;
    Pipeline p;
    const std::vector<std::uint8_t> sound = jetwriter::BuildJetFile(InForm(form, {ProviderTable(), InsuredTable()}));
    std::mt19937 random(static_cast<unsigned>(form) * 7919u + 1u);
    const std::vector<Record> claim = ClaimFile({
        ServiceDetail("7131", "10", "202403", "131011", "0000000001", "13", "120"),
        ServiceDetail("7131", "10", "202403", "001234", "0000000003", "13", "80"),
        ServiceDetail("7131", "10", "202403", "131011", "0000000009", "13", "80"),
    });
    for (int m = 0; m < kMutations; ++m) {
      std::vector<std::uint8_t> bytes = sound;
      switch (m % 3) {
        case 0:
          for (int k = 0; k < 1 + m % 8; ++k) bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
          break;
        case 1: {
          const std::size_t at = random() % bytes.size();
          std::fill(bytes.begin() + static_cast<long>(at),
                    bytes.begin() + static_cast<long>(std::min(bytes.size(), at + 1 + random() % 512)), 0);
          break;
        }
        case 2:
          bytes.resize(random() % bytes.size());
          break;
      }
      const std::filesystem::path file = p.dir() / "damaged.qdr";
      jet::testing::WriteBytes(file, bytes);
      p.UseDatabase(file);
      p.window().ClearClaimDisplay();
      const auto start = std::chrono::steady_clock::now();
      p.Show(claim);
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << "mutation " << m;
      const auto colours = p.NameColours();
      ASSERT_EQ(colours.size(), 3u);
      const auto pink = std::count(colours.begin(), colours.end(), std::optional<OleColor>(kPink));
      EXPECT_TRUE(pink == 0 || pink == 3) << "mutation " << m << ": " << pink << " pink";
      if (!p.window().DBFound()) {
        EXPECT_EQ(pink, 3) << "mutation " << m;
      }
      (pink == 3 ? failed : lookedUp) += 1;
    }
    // The damage reached both outcomes: the loop tested something.
    EXPECT_GT(failed, 0) << FormName(form);
    EXPECT_GT(lookedUp, 0) << FormName(form);
  }
}

// ---- CharPos ----

TEST(CharPos, FirstOrLastPositionOfACharacter) {
  const struct {
    std::u16string_view s, ch;
    std::int16_t mode, position;
  } cases[] = {
      {u"C:\\a\\b.csv", u"\\", 1, 3},
      {u"C:\\a\\b.csv", u"\\", 0, 5},
      {u"C:\\a\\b.csv", u"\\", 2, 5},
      {u"C:\\a\\b.csv", u"\\", -1, 5},
      {u"/home/髙橋/claim.csv", u"/", 1, 1},
      {u"/home/髙橋/claim.csv", u"/", 0, 9},
      {u"claim.csv", u"/", 0, 0},
      {u"", u"/", 1, 0},
      {u"", u"/", 0, 0},
      {u"a/b", u"", 0, 0},     // no character to find
      {u"a//b", u"//", 0, 0},  // only one character is ever compared
      {u"ａＡa", u"a", 1, 3},  // exact: no folding of width or case
  };
  for (const auto& c : cases) {
    EXPECT_EQ(frmPellora::CharPos(c.s, c.ch, c.mode), c.position)
        << common::Utf16ToUtf8(c.s).value() << " / " << common::Utf16ToUtf8(c.ch).value() << " mode " << c.mode;
  }
}

// Positions are 16-bit: the last one is 32767, and a search that would
// have to look further raises overflow (error 6).
TEST(CharPos, PositionsEndAt32767) {
  std::u16string s(32767, u'x');
  s.back() = u'/';
  EXPECT_EQ(frmPellora::CharPos(s, u"/", 0), 32767);
  std::u16string longer(40000, u'x');
  longer[9] = u'/';
  EXPECT_EQ(frmPellora::CharPos(longer, u"/", 1), 10);
  try {
    frmPellora::CharPos(longer, u"/", 0);
    ADD_FAILURE() << "no overflow";
  } catch (const RoutineError& e) {
    EXPECT_EQ(e.number(), 6);
  }
}

}  // namespace
}  // namespace pellora
