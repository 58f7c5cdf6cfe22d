// The check's window over the main window: opened by its command on a file
// claimgen put one fault into, its findings and amounts, a finding chosen
// selecting its person's row in the display, the findings sorted by a
// heading and saved; and a complete file's window saying it found nothing.

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "check/check_report.h"
#include "claimgen/claimgen.h"
#include "shell/clerk_keys.h"
#include "shell/frmCheck.h"
#include "tests/startup/program_folder.h"
#include "text/number_text.h"

namespace pellora {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// The clerk at the check's window: whatever `act` does while it shows.
class CheckWindowShown : public ModalDialogs, public FileDialogs {
 public:
  void ShowModal(frmSetDBname&) override {}
  void ShowModal(frmCheck& check) override {
    ++shown;
    if (act) act(check);
  }
  std::optional<std::u16string> ShowOpen(const CommonDialog&) override { return std::nullopt; }
  std::optional<std::u16string> ShowSave(const CommonDialog&) override { return saveAs; }
  std::function<void(frmCheck&)> act;
  std::optional<std::u16string> saveAs;
  int shown = 0;
};

fs::path FileWithFault(const ProgramFolder& program, const std::string& fault) {
  claimgen::Options options;
  options.lines = 200;
  options.generation = claimgen::Generation::Current;
  options.fault = fault;
  const fs::path file = program.dir / (fault + ".csv");
  claimgen::WriteFile(file.string(), options);
  return file;
}

TEST(CheckWindow, ListsTheFindingsAndChoosingOneSelectsItsPersonsRow) {
  ProgramFolder program;
  CheckWindowShown clerk;
  program.Start(FileWithFault(program, "claim-above-computed").string(), Lent(&clerk, &clerk));
  frmPellora& w = program.window();
  const check::Report& report = *w.Claim().check;
  ASSERT_EQ(report.errors, 1u);

  clerk.act = [&](frmCheck& check) {
    EXPECT_EQ(check.Caption(), u"点検 - claim-above-computed.csv");
    EXPECT_EQ(check.LabelOf(CheckControl::lblSummary)->Caption, check::SummaryLine(report));
    const FlexGrid& findings = *check.GridOf(CheckControl::vsfFindings);
    ASSERT_EQ(findings.Rows(), 1 + static_cast<int>(report.findings.size()));
    EXPECT_EQ(findings.TextMatrix(1, 0), DecimalText(std::int64_t{report.findings[0].line}));
    EXPECT_EQ(findings.TextMatrix(1, 1), u"エラー");
    EXPECT_EQ(findings.TextMatrix(1, 9), u"claim-above-computed");
    EXPECT_EQ(findings.TextMatrix(1, 10), u"ASSA");
    // The amounts: a 請求書's and its statements' lines for each month and
    // form, the file's last.
    const FlexGrid& amounts = *check.GridOf(CheckControl::vsfAmounts);
    EXPECT_EQ(amounts.TextMatrix(amounts.Rows() - 1, 0), kFileRow);
    EXPECT_EQ(amounts.TextMatrix(amounts.Rows() - 1, 3), kAddedRow);

    // The finding's person is the display's current row, selected whole.
    ASSERT_TRUE(check.ChooseFinding(1));
    const FlexGrid& viewer = w.vsfViewer();
    EXPECT_EQ(viewer.TextMatrix(viewer.Row(), viewer_col::kInsured), report.findings[0].insuredNumber);
    EXPECT_EQ(viewer.RowSel(), viewer.Row());
    EXPECT_FALSE(check.ChooseFinding(0));  // the headings choose nothing

    check.cmdClose_Click();
    EXPECT_TRUE(check.Unloaded());
  };
  ASSERT_EQ(ClerkCommandOf({LetterKey('K'), kControl}, KeyPlace::kWindow), ClerkCommand::kCheck);
  w.Check_Click();
  EXPECT_EQ(clerk.shown, 1);
  EXPECT_EQ(program.ui.shown.size(), 0u);
}

TEST(CheckWindow, SortsTheFindingsByAHeadingAndSavesTheReport) {
  ProgramFolder program;
  CheckWindowShown clerk;
  // A 6-digit insurer number is a notice, a letter in a number an error.
  const fs::path claim = FileWithFault(program, "not-digits");
  program.Start(claim.string(), Lent(&clerk, &clerk));
  frmPellora& w = program.window();
  clerk.saveAs = U16(program.dir / "report.csv");
  clerk.act = [&](frmCheck& check) {
    const FlexGrid& findings = *check.GridOf(CheckControl::vsfFindings);
    check.vsfFindings_HeadingClick(9);  // 規則
    for (int r = 2; r < findings.Rows(); ++r) EXPECT_LE(findings.TextMatrix(r - 1, 9), findings.TextMatrix(r, 9));
    // A chosen row is the sorted row's finding.
    if (findings.Rows() > 1 && check.ChooseFinding(findings.Rows() - 1)) {
      EXPECT_EQ(w.vsfViewer().TextMatrix(w.vsfViewer().Row(), viewer_col::kInsured),
                findings.TextMatrix(findings.Rows() - 1, 5));
    }
    check.cmdSave_Click();
  };
  w.Check_Click();
  std::ifstream in(program.dir / "report.csv", std::ios::binary);
  std::ostringstream saved;
  saved << in.rdbuf();
  EXPECT_EQ(saved.str(), check::ReportCsv(*w.Claim().check));
}

TEST(CheckWindow, ACompleteFileSaysItFoundNothing) {
  ProgramFolder program;
  CheckWindowShown clerk;
  fs::copy_file(PELLORA_EXAMPLES "/care-fee-claim-202404.csv", program.dir / "care.csv");
  program.Start((program.dir / "care.csv").string(), Lent(&clerk, &clerk));
  clerk.act = [](frmCheck& check) {
    EXPECT_EQ(check.LabelOf(CheckControl::lblSummary)->Caption,
              u"点検: エラーなし　" + std::u16string(frmCheck::kNoFindings));
    EXPECT_EQ(check.GridOf(CheckControl::vsfFindings)->Rows(), 1);
  };
  program.window().Check_Click();
  EXPECT_EQ(clerk.shown, 1);
  EXPECT_FALSE(program.window().WarningsPending());
}

}  // namespace
}  // namespace pellora
