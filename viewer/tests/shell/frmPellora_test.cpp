// The main window as designed, before start-up: its caption, header labels
// and the design layout of its four grids; and its routines reporting to the
// user through the message boxes it was given. (The display grid's heading
// click is tested with the re-sort it starts, among the display tests.)

#include "shell/frmPellora.h"

#include <gtest/gtest.h>

#include "controls/recording_message_boxes.h"

namespace pellora {
namespace {

TEST(frmPellora, StartsWithItsDesignCaptionAndHeaderLabels) {
  RecordingMessageBoxes ui;
  const frmPellora w(ui, {});
  EXPECT_EQ(w.Caption(), u"給付管理／介護報酬請求 CSVファイルビューア");
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(w.lblHead(i).Caption, u"") << i;
    EXPECT_EQ(w.lblHead(i).BackColor, kWindowBackgroundColor) << i;
  }
  EXPECT_EQ(w.lblHeadCaption(0).Caption, u"年月");
  EXPECT_EQ(w.lblHeadCaption(1).Caption, u"種類");
  EXPECT_EQ(w.lblHeadCaption(2).Caption, u"事業所");
  EXPECT_EQ(w.lblCsvFname().Caption, u"");
  EXPECT_TRUE(ui.shown.empty());
}

// The status line's one line of a claim: its first warning, how many more,
// and the check's errors (never its notices alone).
TEST(frmPellora, TheStatusLineSaysTheFirstWarningHowManyMoreAndTheChecksErrors) {
  const auto report = [](std::size_t errors, std::size_t notices) {
    auto r = std::make_shared<check::Report>();
    r->errors = errors;
    r->notices = notices;
    return r;
  };
  const FileWarning cut{"no-end-record", u"エンドレコードがありません。"};
  const FileWarning lf{"lf-line-ends", u"改行が LF だけのファイルです。"};
  const struct {
    std::vector<FileWarning> warnings;
    std::shared_ptr<const check::Report> check;
    std::u16string expected;
  } cases[] = {
      {{}, nullptr, u""},
      {{}, report(0, 3), u""},
      {{cut}, nullptr, u"警告: エンドレコードがありません。"},
      {{lf, cut}, report(0, 1), u"警告: 改行が LF だけのファイルです。（ほか 1 件）"},
      {{}, report(2, 1), u"点検: エラー 2 件、確認 1 件（一覧は Ctrl+K）"},
      {{cut}, report(1, 0), u"警告: エンドレコードがありません。　点検: エラー 1 件、確認 0 件（一覧は Ctrl+K）"},
  };
  for (const auto& c : cases) {
    ClaimView claim;
    claim.warnings = c.warnings;
    claim.check = c.check;
    EXPECT_EQ(frmPellora::ClaimStatus(claim), c.expected);
  }
}

TEST(frmPellora, GridsHaveTheirDesignLayout) {
  RecordingMessageBoxes ui;
  const frmPellora w(ui, {});
  const struct {
    const char* name;
    const FlexGrid& grid;
    int rows, cols, fixedRows, fixedCols;
  } cases[] = {
      {"vsfCsv", w.vsfCsv(), 1, 1, 1, 1},
      {"vsfSort", w.vsfSort(), 0, 8, 0, 0},
      {"vsfViewer", w.vsfViewer(), 50, 10, 1, 1},
      {"vsfTotal", w.vsfTotal(), 2, 4, 1, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.grid.Rows(), c.rows) << c.name;
    EXPECT_EQ(c.grid.Cols(), c.cols) << c.name;
    EXPECT_EQ(c.grid.FixedRows(), c.fixedRows) << c.name;
    EXPECT_EQ(c.grid.FixedCols(), c.fixedCols) << c.name;
  }
  const std::u16string headings[] = {u"月分", u"人数", u"サービス", u"ケアプラン"};
  for (int c = 0; c < 4; ++c) EXPECT_EQ(w.vsfTotal().TextMatrix(0, c), headings[c]);
  EXPECT_EQ(w.vsfTotal().TextMatrix(1, 0), u"");
}

TEST(frmPellora, LoadingReportsThroughTheWindowsMessageBoxes) {
  RecordingMessageBoxes ui;
  frmPellora w(ui, {});
  w.ShowCsvFile(u"/nonexistent-folder-of-pellora/claim.csv");
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].text, u"76:パスが見つかりません。");
  EXPECT_EQ(ui.shown[0].icon, MsgIcon::Critical);
  EXPECT_EQ(w.vsfCsv().Rows(), 1);
}

}  // namespace
}  // namespace pellora
