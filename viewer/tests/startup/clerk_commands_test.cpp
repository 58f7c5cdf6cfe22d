// The clerk's commands on a started window: the display saved as a CSV
// file (compared with pellora-export's), refused over the claim file, a
// replaced file asked about, failed writes told; a person found; files
// dropped on the window.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "claim/display_columns.h"
#include "tests/startup/program_folder.h"

namespace pellora {
namespace {

using namespace testing;
namespace fs = std::filesystem;

class ScriptedSaveDialog : public FileDialogs {
 public:
  std::optional<std::u16string> ShowOpen(const CommonDialog&) override { return std::nullopt; }
  std::optional<std::u16string> ShowSave(const CommonDialog& properties) override {
    seen.push_back(properties);
    return answer;
  }
  std::optional<std::u16string> answer;
  std::vector<CommonDialog> seen;
};

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<fs::path> FilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path().filename());
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<Record> FourPersons() {
  return ClaimFile({
      ServiceDetail("7131", "10", "202403", "131011", "0000000001", "13", "300"),
      ServiceDetail("7131", "10", "202403", "001234", "0000000003", "63", "120"),
      ServiceDetail("7131", "10", "202403", "131011", "0000000006", "13", "90"),
      ServiceDetail("7132", "10", "202404", "131011", "0000009999", "31", "80"),
  });
}

class Clerk : public ::testing::Test {
 protected:
  Clerk() {
    database = program.WriteDatabase();
    claim = program.WriteClaim("claims/claim.csv", FourPersons());
    program.Start(claim.string(), Lent(&dialog));
  }
  frmPellora& window() { return program.window(); }
  void SaveAs(const fs::path& target) {
    dialog.answer = U16(target);
    window().SaveDisplay_Click();
  }

  ProgramFolder program;
  fs::path database;
  fs::path claim;
  ScriptedSaveDialog dialog;
};

TEST_F(Clerk, SavedDisplayIsByteForByteWhatTheExportWrites) {
  const fs::path saved = program.dir / "saved.csv";
  SaveAs(saved);
  ASSERT_EQ(program.ui.shown.size(), 0u);
  // The dialog offered a name of its own beside the claim file.
  ASSERT_EQ(dialog.seen.size(), 1u);
  EXPECT_EQ(dialog.seen[0].FileName, u"claim_表示.csv");
  EXPECT_EQ(dialog.seen[0].InitDir, U16(claim.parent_path()));

  const fs::path exported = program.dir / "exported.csv";
  const std::string command = std::string("'") + PELLORA_EXPORT + "' --db '" + database.string() +
                              "' --format csv '" + claim.string() + "' > '" + exported.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(Bytes(saved), Bytes(exported));
  EXPECT_NE(Bytes(saved).find("\"0000000006\",\"131011\",\"ﾊﾝｶｸｶﾅ ﾀﾛｳ\""), std::string::npos);
}

TEST_F(Clerk, TheClaimFileIsNeverSavedOverHoweverNamed) {
  const std::string before = Bytes(claim);
  fs::create_symlink(claim, program.dir / "link.csv");
  for (const fs::path& target : {claim, claim.parent_path() / ".." / "claims" / "claim.csv", program.dir / "link.csv"}) {
    program.ui.shown.clear();
    SaveAs(target);
    ASSERT_EQ(program.ui.shown.size(), 1u) << target;
    EXPECT_EQ(program.ui.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(program.ui.asked.empty());
  }
  EXPECT_EQ(Bytes(claim), before);
}

TEST_F(Clerk, AnExistingFileIsReplacedOnlyAfterAYes) {
  const fs::path target = program.dir / "kept.csv";
  std::ofstream(target, std::ios::binary) << "earlier";
  program.ui.answers = {false};
  SaveAs(target);
  ASSERT_EQ(program.ui.asked.size(), 1u);
  EXPECT_NE(program.ui.asked[0].text.find(U16(target)), std::u16string::npos);
  EXPECT_EQ(Bytes(target), "earlier");

  program.ui.answers = {true};
  SaveAs(target);
  EXPECT_EQ(program.ui.asked.size(), 2u);
  EXPECT_TRUE(Bytes(target).starts_with("\xEF\xBB\xBF\"種類\""));
  // A new file is written without a question.
  SaveAs(program.dir / "new.csv");
  EXPECT_EQ(program.ui.asked.size(), 2u);
  EXPECT_TRUE(fs::exists(program.dir / "new.csv"));
}

TEST_F(Clerk, AFailedWriteIsToldWithItsNumberAndTheSystemsWordsAndLeavesNothing) {
  const fs::path folder = program.dir / "a-folder";
  fs::create_directory(folder);
  const struct {
    const char* what;
    fs::path target;
    std::u16string number;
    int errnum;
  } cases[] = {
      {"a folder as the target", folder, u"75:", EISDIR},
      {"a folder that is not there", program.dir / "missing" / "out.csv", u"76:", ENOENT},
  };
  for (const auto& c : cases) {
    const std::vector<fs::path> before = FilesIn(program.dir.path());
    program.ui.shown.clear();
    SaveAs(c.target);
    ASSERT_EQ(program.ui.shown.size(), 1u) << c.what;
    const std::u16string& text = program.ui.shown[0].text;
    EXPECT_TRUE(text.starts_with(c.number)) << c.what << ": " << U8(text);
    EXPECT_NE(text.find(U16(std::string(std::strerror(c.errnum)))), std::u16string::npos) << c.what;
    EXPECT_EQ(program.ui.shown[0].icon, MsgIcon::Critical);
    EXPECT_EQ(FilesIn(program.dir.path()), before) << c.what;
    EXPECT_TRUE(fs::is_empty(folder)) << c.what;
  }
}

TEST_F(Clerk, FindMovesToTheNextMatchingRowRoundPastTheEnd) {
  FlexGrid& grid = *window().GridOf(MainControl::vsfViewer);
  ASSERT_EQ(grid.Rows(), 5);
  ASSERT_EQ(grid.TextMatrix(3, viewer_col::kName), u"ﾊﾝｶｸｶﾅ ﾀﾛｳ");
  grid.SetRow(1);
  const struct {
    std::u16string what;
    bool forward;
    int row;
  } steps[] = {
      {u"はんかくかな　たろう", true, 3}, {u"ハンカク", true, 3},  // the only match stays
      {u"00000", true, 4},          {u"00000", true, 1},       // round past the end
      {u"00000", false, 4},         {u"髙橋一郎", false, 1},
  };
  for (const auto& s : steps) {
    EXPECT_TRUE(window().FindInDisplay(s.what, s.forward)) << U8(s.what);
    EXPECT_EQ(grid.Row(), s.row) << U8(s.what);
    // The whole row is selected.
    EXPECT_EQ(grid.RowSel(), s.row);
    EXPECT_EQ(std::min(grid.Col(), grid.ColSel()), viewer_col::kYearMonth);
    EXPECT_EQ(std::max(grid.Col(), grid.ColSel()), viewer_col::kLast);
  }
  EXPECT_FALSE(window().FindInDisplay(u"存在しない人", true));
  EXPECT_EQ(grid.Row(), 1);
  // The found row copies as a whole row: headings first.
  EXPECT_TRUE(window().CopySelection(MainControl::vsfViewer).text.starts_with(u"年月\t被保険者番号\t氏名\t"));

  // A re-sort parks the current cell in the heading row: nothing to copy,
  // and the next find starts at the first row.
  window().vsfViewer_HeadingClick(viewer_col::kName);
  EXPECT_EQ(window().CopySelection(MainControl::vsfViewer).text, u"");
  EXPECT_TRUE(window().FindInDisplay(u"0", true));
  EXPECT_EQ(grid.Row(), 1);
}

TEST_F(Clerk, ADroppedFileIsShownAsAChosenOneAndAFolderIsToldAsAFailedLoad) {
  const fs::path other = program.WriteClaim("other/april.csv", KnownAndUnknownPersons());
  window().DropFiles({U16(other), U16(claim)});
  EXPECT_EQ(window().lblCsvFname().Caption, U16(other));
  EXPECT_EQ(window().Caption(), std::u16string(frmPellora::kTitle) + u" (" + U16(other) + u")");
  EXPECT_EQ(window().LastFolder(), U16(other.parent_path()));
  EXPECT_EQ(window().vsfViewer().Rows(), 4);
  EXPECT_TRUE(program.ui.shown.empty());

  window().DropFiles({U16(program.dir / "other")});
  ASSERT_EQ(program.ui.shown.size(), 1u);
  EXPECT_EQ(program.ui.shown[0].text, u"75:パス/ファイル アクセス エラーです。");
  EXPECT_EQ(window().vsfViewer().Rows(), 1);
  EXPECT_EQ(window().lblCsvFname().Caption, U16(program.dir / "other"));
}

}  // namespace
}  // namespace pellora
