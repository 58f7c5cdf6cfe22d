// The user's commands on a started window: choosing a claim file through
// the open-file dialog, choosing another database through frmSetDBname,
// closing, and re-sorting the display by a column heading.

#include <gtest/gtest.h>

#include <functional>

#include "claim/display_columns.h"
#include "tests/startup/program_folder.h"

namespace pellora {
namespace {

using namespace testing;

// The user at the open-file dialog: sees its properties and the window as
// it is while the dialog shows, then picks a file or cancels.
class ScriptedOpenFileDialog : public FileDialogs {
 public:
  std::optional<std::u16string> ShowOpen(const CommonDialog& properties) override {
    seen.push_back(properties);
    if (whileShown) whileShown();
    return answer;
  }
  std::optional<std::u16string> ShowSave(const CommonDialog&) override { return std::nullopt; }

  std::optional<std::u16string> answer;
  std::function<void()> whileShown;
  std::vector<CommonDialog> seen;
};

class FileChoice : public ::testing::Test {
 protected:
  FileChoice() {
    program.WriteDatabase();
    program.Start("", Lent(&dialog));
  }
  frmPellora& window() { return program.window(); }

  // Chooses `file` in the dialog.
  void Choose(const std::filesystem::path& file) {
    dialog.answer = U16(file);
    window().comFileSelect_Click();
  }
  void Cancel() {
    dialog.answer.reset();
    window().comFileSelect_Click();
  }

  ProgramFolder program;
  ScriptedOpenFileDialog dialog;
};

TEST_F(FileChoice, TheDialogOpensWithItsFilterInLastFolderAndTheDisplayAlreadyCleared) {
  const auto first = program.WriteClaim("2024/03/claim.csv", KnownAndUnknownPersons());
  const auto second = program.WriteClaim("2024/04/claim.txt", KnownAndUnknownPersons());
  std::vector<std::u16string> captionWhileShown;
  std::vector<int> rowsWhileShown;
  dialog.whileShown = [&] {
    captionWhileShown.push_back(window().Caption());
    rowsWhileShown.push_back(window().vsfViewer().Rows());
    EXPECT_EQ(window().lblCsvFname().Caption, u"");
    EXPECT_EQ(window().vsfTotal().Rows(), 1);
    EXPECT_EQ(window().vsfCsv().Rows(), 1);
    EXPECT_EQ(window().vsfSort().Rows(), 0);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(window().lblHead(i).Caption, u"") << i;
    EXPECT_EQ(window().lblHead(3).BackColor, kWindowBackgroundColor);
  };
  Choose(first);
  Choose(second);  // "すべてのファイル (*.*)" lets a .txt file be chosen; it is read all the same

  ASSERT_EQ(dialog.seen.size(), 2u);
  for (const CommonDialog& seen : dialog.seen) {
    EXPECT_TRUE(seen.CancelError);
    EXPECT_EQ(seen.Filter, u"CSV ファイル (*.csv)|*.csv|テキスト ファイル (*.txt)|*.txt|すべてのファイル (*.*)|*.*");
    EXPECT_EQ(seen.FilterIndex, 1);
  }
  EXPECT_EQ(dialog.seen[0].InitDir, program.Folder());
  EXPECT_EQ(dialog.seen[0].FileName, u"");
  // The second time: the folder and the name of the first choice.
  EXPECT_EQ(dialog.seen[1].InitDir, U16(program.dir / "2024/03"));
  EXPECT_EQ(dialog.seen[1].FileName, U16(first));
  EXPECT_EQ(captionWhileShown, (std::vector<std::u16string>(2, std::u16string(frmPellora::kTitle))));
  EXPECT_EQ(rowsWhileShown, (std::vector<int>{1, 1}));

  // The second file on display.
  EXPECT_EQ(window().Caption(), std::u16string(frmPellora::kTitle) + u" (" + U16(second) + u")");
  EXPECT_EQ(window().lblCsvFname().Caption, U16(second));
  EXPECT_EQ(window().LastFolder(), U16(program.dir / "2024/04"));
  EXPECT_EQ(window().vsfViewer().Rows(), 4);
  EXPECT_EQ(window().lblHead(3).BackColor, kLightYellow);
  EXPECT_TRUE(program.ui.shown.empty());
}

TEST_F(FileChoice, CancellingLeavesTheDisplayClearedAndSaysNothing) {
  const auto claim = program.WriteClaim("claims/claim.csv", KnownAndUnknownPersons());
  Choose(claim);
  ASSERT_EQ(window().vsfViewer().Rows(), 4);
  Cancel();
  EXPECT_EQ(window().Caption(), frmPellora::kTitle);
  EXPECT_EQ(window().lblCsvFname().Caption, u"");
  EXPECT_EQ(window().vsfViewer().Rows(), 1);
  EXPECT_EQ(window().vsfTotal().Rows(), 1);
  EXPECT_EQ(window().lblHead(2).Caption, u"");
  EXPECT_EQ(window().lblHead(3).BackColor, kWindowBackgroundColor);
  EXPECT_EQ(window().LastFolder(), U16(program.dir / "claims"));
  EXPECT_EQ(window().CommonDialog1().FileName, U16(claim));  // offered again next time
  EXPECT_TRUE(program.ui.shown.empty());
  EXPECT_FALSE(window().Unloaded());

  // What was wrong with the last file goes with its display, told or not.
  Choose(program.WriteClaim("claims/empty.csv", {ControlRecord(), EndRecord()}));
  ASSERT_FALSE(window().Claim().warnings.empty());
  ASSERT_TRUE(window().WarningsPending());
  Cancel();
  EXPECT_TRUE(window().Claim().warnings.empty());
  EXPECT_FALSE(window().WarningsPending());
  window().ShowPendingWarnings();
  EXPECT_TRUE(program.ui.shown.empty());

  // Without a platform dialog at all, the command ends as if cancelled.
  window().Detach();
  window().comFileSelect_Click();
  EXPECT_EQ(window().vsfViewer().Rows(), 1);
  EXPECT_TRUE(program.ui.shown.empty());
}

TEST_F(FileChoice, WhereTheNextDialogStarts) {
  const struct {
    std::u16string chosen, nextFolder;
  } cases[] = {
      {u"/claim.csv", u"/"},  // a file in the root: the root, not ""
      {U16(program.dir / "a b/c/請求.csv"), U16(program.dir / "a b/c")},
      {U16(program.dir.path()) + u"/trailing/", U16(program.dir.path()) + u"/trailing"},
  };
  for (const auto& c : cases) {
    dialog.answer = c.chosen;
    window().comFileSelect_Click();
    EXPECT_EQ(window().LastFolder(), c.nextFolder) << U8(c.chosen);
    dialog.answer.reset();
    window().comFileSelect_Click();
    EXPECT_EQ(dialog.seen.back().InitDir, c.nextFolder) << U8(c.chosen);
  }
}

TEST_F(FileChoice, AFileThatCannotBeOpenedIsReportedAndStillMovesTheNextDialog) {
  const auto missing = program.dir / "elsewhere" / "missing.csv";
  Choose(missing);
  ASSERT_EQ(program.ui.shown.size(), 1u);
  EXPECT_EQ(program.ui.shown[0].text, u"76:パスが見つかりません。");
  EXPECT_EQ(window().Caption(), std::u16string(frmPellora::kTitle) + u" (" + U16(missing) + u")");
  EXPECT_EQ(window().lblCsvFname().Caption, U16(missing));
  EXPECT_EQ(window().vsfViewer().Rows(), 1);
  EXPECT_EQ(window().LastFolder(), U16(program.dir / "elsewhere"));
}

TEST_F(FileChoice, AFailureDuringTheDisplayEndsTheCommandQuietly) {
  const auto claim = program.WriteClaim("claim.csv", KnownAndUnknownPersons());
  window().GridOf(MainControl::vsfTotal)->SetCols(1);  // the totals step cannot write its counts
  Choose(claim);
  EXPECT_TRUE(program.ui.shown.empty());
  EXPECT_FALSE(window().Unloaded());
  EXPECT_EQ(window().lblCsvFname().Caption, U16(claim));
  EXPECT_EQ(window().vsfViewer().Rows(), 4);  // as far as the display got
}

TEST(Close, CloseEndsTheProgramOnce) {
  ProgramFolder program;
  int closed = 0;
  program.Start("", Lent(nullptr, nullptr, [&] { ++closed; }));
  program.window().cmdJob_Click(0);
  program.window().cmdJob_Click(0);
  EXPECT_TRUE(program.window().Unloaded());
  EXPECT_EQ(closed, 1);
  EXPECT_TRUE(program.ui.shown.empty());
}

// ---- Another database ----

// The user at the database dialog: sees what the dialog offers, then
// types and presses a button, or closes the dialog through its frame.
class ScriptedDatabaseDialog : public ModalDialogs {
 public:
  void ShowModal(frmSetDBname& dialog) override {
    offered.push_back(dialog.Text1.Text);
    if (answer) answer(dialog);
  }
  std::function<void(frmSetDBname&)> answer;
  std::vector<std::u16string> offered;
};

class DatabaseChoice : public ::testing::Test {
 protected:
  DatabaseChoice() {
    database = program.WriteDatabase();
    other = program.WriteDatabase("他の事業所.qdr");
    claim = program.WriteClaim("claim.csv", KnownAndUnknownPersons());
    program.Start(claim.string(), Lent(nullptr, &dialogs));
  }
  frmPellora& window() { return program.window(); }
  bool ClaimStillShown() { return window().vsfViewer().Rows() == 4 && window().lblCsvFname().Caption == U16(claim); }

  ProgramFolder program;
  ScriptedDatabaseDialog dialogs;
  std::filesystem::path database, other, claim;
};

TEST_F(DatabaseChoice, AnEmptyAnswerChangesNothingNotEvenTheClaimOnDisplay) {
  const struct {
    const char* what;
    std::function<void(frmSetDBname&)> answer;
  } cases[] = {
      {"登録 with an empty box",
       [](frmSetDBname& d) {
         d.Text1.Text.clear();
         d.Command1_Click(frmSetDBname::kRegister);
       }},
      {"キャンセル after typing", [&](frmSetDBname& d) {
         d.Text1.Text = U16(other);
         d.Command1_Click(frmSetDBname::kCancel);
       }},
      {"closed through the frame after typing", [&](frmSetDBname& d) { d.Text1.Text = U16(other); }},
  };
  for (const auto& c : cases) {
    dialogs.answer = c.answer;
    window().Command1_Click();
    EXPECT_EQ(dialogs.offered.back(), U16(database)) << c.what;
    EXPECT_TRUE(ClaimStillShown()) << c.what;
    EXPECT_EQ(window().DBPath(), U16(database)) << c.what;
    EXPECT_EQ(window().lblDBname(1).Text, U16(database)) << c.what;
    EXPECT_EQ(window().lblDBname(1).BackColor, kLightYellow) << c.what;
  }
}

TEST_F(DatabaseChoice, ADatabaseThatOpensReplacesTheOldOneAndClearsTheDisplay) {
  dialogs.answer = [&](frmSetDBname& d) {
    d.Text1.Text = U16(other);
    d.Command1_Click(frmSetDBname::kRegister);
    EXPECT_TRUE(d.Closed());
  };
  window().Command1_Click();
  EXPECT_TRUE(window().DBFound());
  EXPECT_EQ(window().DBPath(), U16(other));
  EXPECT_EQ(window().lblDBname(1).Text, U16(other));
  EXPECT_EQ(window().lblDBname(1).BackColor, kLightYellow);
  // The claim is discarded, not shown again with the other database.
  EXPECT_EQ(window().Caption(), frmPellora::kTitle);
  EXPECT_EQ(window().lblCsvFname().Caption, u"");
  EXPECT_EQ(window().vsfViewer().Rows(), 1);
  EXPECT_EQ(window().vsfTotal().Rows(), 1);
  EXPECT_EQ(window().vsfCsv().Rows(), 1);
  EXPECT_EQ(window().vsfSort().Rows(), 0);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(window().lblHead(i).Caption, u"") << i;
  EXPECT_EQ(window().lblHead(3).BackColor, kWindowBackgroundColor);
  // The settings file is not written.
  EXPECT_FALSE(std::filesystem::exists(program.dir / "velkar.ini"));
  // The next file shows names from the new database.
  ScriptedOpenFileDialog files;
  files.answer = U16(claim);
  window().Attach(Lent(&files, &dialogs));
  window().comFileSelect_Click();
  EXPECT_EQ(window().lblHead(3).BackColor, kLightYellow);
}

TEST_F(DatabaseChoice, ADatabaseThatDoesNotOpenIsNotFound) {
  std::u16string leadingBlank = u" ";
  leadingBlank += U16(other);
  const struct {
    const char* what;
    std::u16string typed;
  } cases[] = {
      {"missing file", U16(program.dir / "missing.qdr")},
      {"a claim file", U16(claim)},
      {"a folder", U16(program.dir.path())},
      // Taken exactly as typed: with a blank in front it names no file.
      {"path with a leading blank", leadingBlank},
  };
  // The dialog offers the path typed last, never the status shown in its
  // place, so that a mistyped path can be mended.
  std::u16string typedBefore = U16(database);
  for (const auto& c : cases) {
    dialogs.answer = [&](frmSetDBname& d) {
      d.Text1.Text = c.typed;
      d.Command1_Click(frmSetDBname::kRegister);
    };
    window().Command1_Click();
    EXPECT_FALSE(window().DBFound()) << c.what;
    EXPECT_EQ(window().DBPath(), u"") << c.what;
    EXPECT_EQ(window().lblDBname(1).Text, u"データベースが見つかりません: " + c.typed) << c.what;
    EXPECT_NE(window().lblStatus().Caption.find(u"データベースを開けません: " + c.typed + u"。"), std::u16string::npos)
        << c.what;
    EXPECT_EQ(window().lblDBname(1).BackColor, kPink) << c.what;
    EXPECT_EQ(window().vsfViewer().Rows(), 1) << c.what;
    EXPECT_EQ(dialogs.offered.back(), typedBefore) << c.what;
    typedBefore = c.typed;
  }
  // Names looked up now are pink: there is no database.
  ScriptedOpenFileDialog files;
  files.answer = U16(claim);
  window().Attach(Lent(&files, &dialogs));
  window().comFileSelect_Click();
  EXPECT_EQ(window().lblHead(3).BackColor, kPink);
  EXPECT_EQ(window().vsfViewer().CellBackColor(1, viewer_col::kName), kPink);
}

// "参照..." opens the platform's dialog on the database files where the
// box's path lies; the file chosen is what 登　録 then uses, and a cancel
// keeps what was typed.
TEST_F(DatabaseChoice, BrowsingPutsTheChosenFileInTheBox) {
  ScriptedOpenFileDialog files;
  window().Attach(Lent(&files, &dialogs));
  const struct {
    const char* what;
    std::optional<std::u16string> chosen;
    std::u16string registered;
  } cases[] = {
      {"a file chosen", U16(other), U16(other)},
      {"cancelled", std::nullopt, U16(database)},
  };
  for (const auto& c : cases) {
    files.answer = c.chosen;
    dialogs.answer = [](frmSetDBname& d) {
      d.Command2_Click();
      d.Command1_Click(frmSetDBname::kRegister);
    };
    window().Command1_Click();
    const CommonDialog& shown = files.seen.back();
    EXPECT_EQ(FilterEntries(shown.Filter).front().patterns, u"*.qdr;*.mdb;*.accdb") << c.what;
    EXPECT_EQ(shown.FilterIndex, 1) << c.what;
    EXPECT_EQ(shown.InitDir, program.Folder()) << c.what;
    EXPECT_EQ(shown.FileName, U16(database)) << c.what;
    EXPECT_EQ(window().DBPath(), c.registered) << c.what;
    EXPECT_EQ(window().lblDBname(1).Text, c.registered) << c.what;
    dialogs.answer = [&](frmSetDBname& d) {
      d.Text1.Text = U16(database);
      d.Command1_Click(frmSetDBname::kRegister);
    };
    window().Command1_Click();
  }
}

// ---- The display grid's headings ----

TEST(HeadingClick, SortsTheDisplayByThatColumnAndLeavesTheTotals) {
  ProgramFolder program;
  program.WriteDatabase();
  const auto claim = program.WriteClaim("claim.csv", KnownAndUnknownPersons());
  program.Start(claim.string());
  frmPellora& w = program.window();
  const Table totals = TableOf(w.vsfTotal(), 1, 0, 3);

  w.vsfViewer_HeadingClick(viewer_col::kName);
  EXPECT_EQ(TableOf(w.vsfViewer(), 0, 4, 4), (Table{{u"氏名"}, {u""}, {u"鈴木～花子"}, {u"髙橋 一郎"}}));
  // Name colours move with their rows.
  EXPECT_EQ(w.vsfViewer().CellBackColor(1, viewer_col::kName), kLightCyan);
  w.vsfViewer_HeadingClick(viewer_col::kInsured);
  EXPECT_EQ(TableOf(w.vsfViewer(), 1, 2, 2), (Table{{u"0000000001"}, {u"0000000003"}, {u"0000009999"}}));
  w.vsfViewer_HeadingClick(99);  // no such column: nothing happens
  EXPECT_EQ(TableOf(w.vsfTotal(), 1, 0, 3), totals);
}

// ---- The dialog's own filter ----

TEST(CommonDialog, FilterEntriesAndTheirPatterns) {
  const auto entries = FilterEntries(u"CSV ファイル (*.csv)|*.csv|テキスト ファイル (*.txt)|*.txt|すべてのファイル (*.*)|*.*");
  EXPECT_EQ(entries, (std::vector<FilterEntry>{{u"CSV ファイル (*.csv)", u"*.csv"},
                                               {u"テキスト ファイル (*.txt)", u"*.txt"},
                                               {u"すべてのファイル (*.*)", u"*.*"}}));
  EXPECT_EQ(FilterPatterns(entries[2]), (std::vector<std::u16string>{u"*"}));
  EXPECT_EQ(FilterPatterns({u"x", u"*.csv; *.txt;"}), (std::vector<std::u16string>{u"*.csv", u"*.txt"}));
  EXPECT_EQ(FilterEntries(u""), (std::vector<FilterEntry>{}));
  EXPECT_EQ(FilterEntries(u"Only a description"), (std::vector<FilterEntry>{{u"Only a description", u"*"}}));
}

}  // namespace
}  // namespace pellora
