// Pellora's start-up in a program folder of its own: the command line, the
// settings file and the database it names, the debug switch, a claim file
// named on the command line, and the start-up that cannot go on.

#include <gtest/gtest.h>

#include "claim/display_columns.h"
#include "errors/err_info.h"
#include "tests/startup/program_folder.h"

namespace pellora {
namespace {

using namespace testing;

// ---- The command line ----

TEST(GetIniFileName, ReadsTheDebugSwitchAClaimFileOrASettingsFile) {
  ProgramFolder program;
  const std::u16string folder = program.Folder();
  const std::u16string noSettings = folder + u"/";  // no velkar.ini there yet
  const struct {
    const char* commandLine;
    bool debug;
    std::u16string claimFile, settingsFile;
  } cases[] = {
      {"", false, u"", noSettings},
      {"   ", false, u"", noSettings},
      {"/debug", true, u"", noSettings},
      {"-debug", true, u"", noSettings},
      {"  /DEBUG  ", true, u"", noSettings},
      {"-DeBuG", true, u"", noSettings},
      {"/debug /etc/other.ini", true, u"", u"/etc/other.ini"},
      {"-debug   設定 ファイル.ini  ", true, u"", u"設定 ファイル.ini"},
      // Only six characters are compared: more letters still switch it on
      // and begin the settings file's name.
      {"/debugging", true, u"", u"ging"},
      {"/debu", false, u"/debu", noSettings},
      {"debug", false, u"debug", noSettings},
      {"\\debug", false, u"\\debug", noSettings},
      {"／ｄｅｂｕｇ", false, u"／ｄｅｂｕｇ", noSettings},
      {" /data/claim 2024.csv ", false, u"/data/claim 2024.csv", noSettings},
      // One pair of quotes round the whole path is no part of it, as
      // Windows hands a path with blanks on; any other quote stays.
      {"\"/data/claim.csv\"", false, u"/data/claim.csv", noSettings},
      {" \"/data/請求 データ/11月 請求.csv\" ", false, u"/data/請求 データ/11月 請求.csv", noSettings},
      {"\"/data/claim.csv", false, u"\"/data/claim.csv", noSettings},
      {"\"a.csv\" \"b.csv\"", false, u"a.csv\" \"b.csv", noSettings},
      {"\"\"", false, u"", noSettings},
      {"/debug \"/etc/other settings.ini\"", true, u"", u"/etc/other settings.ini"},
  };
  for (const auto& c : cases) {
    program.Prepare(c.commandLine);
    frmPellora& w = program.window();
    EXPECT_EQ(w.GetIniFileName(), c.settingsFile) << c.commandLine;
    EXPECT_EQ(w.DebugMode(), c.debug) << c.commandLine;
    EXPECT_EQ(w.CmdFileName(), c.claimFile) << c.commandLine;
  }
  program.WriteSettings("[qdr]\r\n");
  program.Prepare("/debug");
  EXPECT_EQ(program.window().GetIniFileName(), folder + u"/velkar.ini");
  program.Prepare("/data/claim.csv");
  EXPECT_EQ(program.window().GetIniFileName(), folder + u"/velkar.ini");
}

// ---- The settings file and the database ----

TEST(Startup, WithoutArgumentsReadsTheDatabaseNamedInVelkarIni) {
  ProgramFolder program;
  const auto database = program.WriteDatabase("elsewhere.qdr");
  const auto settings = program.WriteSettings("; 事業所のデータベース\r\n[qdr]\r\nQdrPath=" + database.string() + "\r\n");
  program.Start("");
  const frmPellora& w = program.window();

  EXPECT_TRUE(program.ui.shown.empty());
  EXPECT_FALSE(w.Unloaded());
  EXPECT_EQ(w.Caption(), frmPellora::kTitle);
  EXPECT_EQ(w.lblDBname(0).Text, U16(settings));
  EXPECT_EQ(w.lblDBname(0).BackColor, kWindowBackgroundColor);
  EXPECT_EQ(w.lblDBname(1).Text, U16(database));
  EXPECT_EQ(w.lblDBname(1).BackColor, kLightYellow);
  EXPECT_TRUE(w.DBFound());
  EXPECT_EQ(w.DBPath(), U16(database));
  EXPECT_EQ(w.LastFolder(), w.Where().programFolder);
  EXPECT_FALSE(w.DebugMode());
  EXPECT_EQ(w.CmdFileName(), u"");
  EXPECT_EQ(w.lblCsvFname().Caption, u"");
  // The grids as their set-up leaves them: headings only.
  EXPECT_EQ(w.vsfViewer().Rows(), 1);
  EXPECT_EQ(w.vsfViewer().Cols(), 9);
  EXPECT_EQ(w.vsfViewer().TextMatrix(0, viewer_col::kName), u"氏名");
  EXPECT_EQ(w.vsfTotal().Rows(), 1);
  EXPECT_EQ(w.vsfTotal().TextMatrix(0, total_col::kPersons), u"人数");
}

TEST(Startup, SettingsFileCasesColourBothPathBoxes) {
  const struct {
    const char* what;
    std::optional<std::string> settings;  // nothing: no velkar.ini
    bool defaultDatabase;                  // data.qdr beside the program
    bool namedDatabase;                    // the database a line names exists
    std::string settingsBox;               // "" for the velkar.ini path
    std::optional<OleColor> settingsColour;
    bool databaseIsDefault;
    OleColor databaseColour;
  } cases[] = {
      {"key in its section", "[QDR]\r\n  qdrpath = \"@\"\r\n", false, true, "", std::nullopt, false, kLightYellow},
      {"key naming a missing file", "[qdr]\r\nQdrPath=@\r\n", true, false, "", std::nullopt, false, kPink},
      {"TAB line, no key", "[qdr]\r\nOther=1\r\n  QDRPATH\t@  \r\n", false, true, "", kLightYellow, false,
       kLightYellow},
      {"neither key nor line", "[qdr]\r\n", true, false, "", kLightYellow, true, kLightYellow},
      {"neither, no default database", "[qdr]\r\n", false, false, "", kLightYellow, true, kPink},
      {"no velkar.ini", std::nullopt, true, false, "none", kPink, true, kLightYellow},
      {"no velkar.ini, no database", std::nullopt, false, false, "none", kPink, true, kPink},
  };
  for (const auto& c : cases) {
    ProgramFolder program;
    const std::filesystem::path named = program.dir / "named data.qdr";
    if (c.namedDatabase) program.WriteDatabase("named data.qdr");
    if (c.defaultDatabase) program.WriteDatabase();
    if (c.settings) {
      std::string text = *c.settings;
      if (const auto at = text.find('@'); at != std::string::npos) text.replace(at, 1, named.string());
      program.WriteSettings(text);
    }
    // Folders without a settings file: the search goes on past them.
    program.settingsFolders = {U16(program.dir / "user"), U16(program.dir / "machine")};
    program.Start("");
    const frmPellora& w = program.window();
    // With none found, every file looked for, the user's and the machine's
    // configuration folders after the program's.
    const std::u16string settingsBox =
        c.settingsBox.empty() ? U16(program.dir / "velkar.ini")
                              : u"設定ファイルがありません: " + U16(program.dir / "velkar.ini") + u"、" +
                                    U16(program.dir / "user" / "velkar.ini") + u"、" +
                                    U16(program.dir / "machine" / "velkar.ini");
    const std::u16string database = c.databaseIsDefault ? U16(program.dir / "data.qdr") : U16(named);
    EXPECT_EQ(w.lblDBname(0).Text, settingsBox) << c.what;
    EXPECT_EQ(w.lblDBname(0).BackColor, c.settingsColour.value_or(kWindowBackgroundColor)) << c.what;
    EXPECT_EQ(w.lblDBname(1).Text, database) << c.what;
    EXPECT_EQ(w.lblDBname(1).BackColor, c.databaseColour) << c.what;
    EXPECT_EQ(w.DBFound(), c.databaseColour == kLightYellow) << c.what;
    EXPECT_EQ(w.DBPath(), w.DBFound() ? database : u"") << c.what;
    EXPECT_TRUE(program.ui.shown.empty()) << c.what;
    // A database that does not open says what to do in the status line:
    // the path tried, and the settings file read or every place looked in.
    const std::u16string& status = w.lblStatus().Caption;
    if (w.DBFound()) {
      EXPECT_EQ(status, u"") << c.what;
    } else {
      EXPECT_EQ(status.rfind(u"データベースを開けません: " + database + u"。", 0), 0u) << c.what;
      EXPECT_NE(status.find(c.settings ? U16(program.dir / "velkar.ini") + u") の [qdr]"
                                       : U16(program.dir / "machine" / "velkar.ini") + u" のどれか"),
                std::u16string::npos)
          << c.what;
      EXPECT_NE(status.find(u"「DB　名」で選んでください。"), std::u16string::npos) << c.what;
    }
  }
}

// A value longer than the 254 bytes a profile read into a fixed buffer
// would keep comes back whole, never cut into another path.
TEST(Startup, ADatabasePathLongerThan254BytesIsReadWhole) {
  ProgramFolder program;
  // Double-byte folder names: the 254th byte falls inside a character.
  std::filesystem::path folder = program.dir.path();
  for (int i = 0; i < 8; ++i) folder /= "介護給付費請求書情報フォルダ" + std::to_string(i);
  std::filesystem::create_directories(folder);
  const std::filesystem::path database = folder / "事業所データ.qdr";
  std::filesystem::copy_file(program.WriteDatabase("source.qdr"), database);
  // What a 254-byte buffer would have kept names a folder that exists.
  const std::string settingsText = "[qdr]\r\nQdrPath=" + database.string() + "\r\n";
  ASSERT_GT(common::cp932::Encode(U16(database)).size(), 254u);
  program.WriteSettings(settingsText);

  program.Start("");
  EXPECT_EQ(program.window().lblDBname(1).Text, U16(database));
  EXPECT_TRUE(program.window().DBFound());
  EXPECT_EQ(program.window().lblDBname(1).BackColor, kLightYellow);
  EXPECT_EQ(IniRead(u"qdr", u"QdrPath", U16(program.dir / "velkar.ini")), U16(database));
}

// ---- The debug switch ----

TEST(Startup, DebugSwitchShowsTheHiddenControlsInTheDesignSize) {
  const struct {
    const char* what;
    std::string commandLine;  // "@" stands for the other settings file
    bool otherSettings;
  } cases[] = {
      {"/debug alone", "/debug", false},
      {"-DEBUG alone", "  -DEBUG ", false},
      {"/debug and a settings file", "/debug @", true},
      {"-Debug and a settings file", "-Debug   @  ", true},
  };
  for (const auto& c : cases) {
    ProgramFolder program;
    program.WriteDatabase();
    const auto other = program.WriteDatabase("other.qdr");
    const auto defaultSettings = program.WriteSettings("[qdr]\r\nOther=1\r\n");
    const auto otherSettings = program.WriteSettings("[qdr]\r\nQdrPath=" + other.string() + "\r\n", "other.ini");
    std::string commandLine = c.commandLine;
    if (const auto at = commandLine.find('@'); at != std::string::npos)
      commandLine.replace(at, 1, otherSettings.string());
    program.Start(commandLine);
    const frmPellora& w = program.window();

    EXPECT_TRUE(w.DebugMode()) << c.what;
    for (const MainControl debugControl : {MainControl::vsfCsv, MainControl::vsfSort, MainControl::lblCsvFname})
      EXPECT_TRUE(w.IsVisible(debugControl)) << c.what;
    EXPECT_EQ(w.Size(), OuterSizeOf(kMainDesignClientSize)) << c.what;
    EXPECT_EQ(ClientSizeOf(w.Size()), kMainDesignClientSize) << c.what;
    EXPECT_EQ(w.lblDBname(0).Text, U16(c.otherSettings ? otherSettings : defaultSettings)) << c.what;
    EXPECT_EQ(w.lblDBname(1).Text, U16(c.otherSettings ? other : program.dir / "data.qdr")) << c.what;
    EXPECT_TRUE(w.DBFound()) << c.what;
    // A path after the switch is never a claim file.
    EXPECT_EQ(w.CmdFileName(), u"") << c.what;
    EXPECT_EQ(w.lblCsvFname().Caption, u"") << c.what;
    EXPECT_EQ(w.vsfCsv().Rows(), 1) << c.what;
    EXPECT_EQ(w.Caption(), frmPellora::kTitle) << c.what;
    EXPECT_TRUE(program.ui.shown.empty()) << c.what;
  }
}

TEST(Startup, WithoutTheSwitchTheWindowHidesTheDebugControlsInItsNormalSize) {
  ProgramFolder program;
  program.Start("");
  const frmPellora& w = program.window();
  EXPECT_EQ(w.Size(), kMainNormalOuterSize);
  for (std::size_t i = 0; i < kMainControlCount; ++i) {
    const ControlDesign& design = Design(static_cast<MainControl>(i));
    EXPECT_EQ(w.IsVisible(static_cast<MainControl>(i)), !design.debugOnly) << U8(design.name);
  }
}

// ---- A claim file on the command line ----

TEST(Startup, AClaimFileOnTheCommandLineIsShownAtOnce) {
  ProgramFolder program;
  program.WriteDatabase();
  const auto claim = program.WriteClaim("2024年04月/請求 データ.csv", KnownAndUnknownPersons());
  std::string commandLine = " ";
  commandLine.append(claim.string()).append(" ");
  program.Start(commandLine);
  const frmPellora& w = program.window();

  EXPECT_TRUE(program.ui.shown.empty());
  EXPECT_FALSE(w.DebugMode());
  EXPECT_EQ(w.CmdFileName(), U16(claim));
  EXPECT_EQ(w.lblCsvFname().Caption, U16(claim));
  EXPECT_EQ(w.Caption(), u"給付管理／介護報酬請求 CSVファイルビューア (" + U16(claim) + u")");
  EXPECT_EQ(w.LastFolder(), U16(program.dir / "2024年04月"));
  // The settings file is still looked for beside the program.
  EXPECT_EQ(w.lblDBname(0).Text, u"設定ファイルがありません: " + U16(program.dir / "velkar.ini"));
  EXPECT_EQ(w.lblHead(1).Caption, u"介護給付費請求書情報");
  EXPECT_EQ(w.lblHead(0).Caption, u"2024年04月");
  EXPECT_EQ(w.lblHead(3).Caption, U16(kProviderName));
  EXPECT_EQ(TableOf(w.vsfViewer(), 1, 1, 5), (Table{{u"2024年03月", u"0000000001", u"131011", u"髙橋 一郎", u"300"},
                                                  {u"2024年03月", u"0000000003", u"001234", u"鈴木～花子", u""},
                                                  {u"2024年04月", u"0000009999", u"131011", u"", u""}}));
  EXPECT_EQ(w.vsfViewer().CellBackColor(1, viewer_col::kName), kLightYellow);
  EXPECT_EQ(w.vsfViewer().CellBackColor(3, viewer_col::kName), kLightCyan);
  EXPECT_EQ(TableOf(w.vsfTotal(), 1, 0, 3), (Table{{u"2024/03", u"2", u"2", u"0"}, {u"2024/04", u"1", u"0", u"0"}}));
}

// The window is not shown yet when start-up shows the claim file: what is
// wrong with it waits until the view, having shown the window, asks.
TEST(Startup, AClaimFilesWarningsWaitForTheViewAndAreToldOnce) {
  ProgramFolder program;
  program.WriteDatabase();
  std::vector<Record> noEndRecord = KnownAndUnknownPersons();
  noEndRecord.pop_back();
  program.Start(program.WriteClaim("claim.csv", noEndRecord).string());
  frmPellora& w = program.window();
  ASSERT_FALSE(w.Claim().warnings.empty());
  EXPECT_TRUE(program.ui.shown.empty());
  EXPECT_TRUE(w.WarningsPending());

  w.ShowPendingWarnings();
  w.ShowPendingWarnings();
  ASSERT_EQ(program.ui.shown.size(), 1u);
  EXPECT_EQ(program.ui.shown[0].icon, MsgIcon::Exclamation);
  EXPECT_EQ(program.ui.shown[0].text, frmPellora::WarningText(w.Claim()));
  EXPECT_TRUE(program.ui.shown[0].text.starts_with(w.Claim().warnings.front().text));
  EXPECT_FALSE(w.WarningsPending());
  // Told, the warnings stay in the status line while the claim shows, and
  // go with it.
  EXPECT_EQ(w.lblStatus().Caption.rfind(u"警告: " + w.Claim().warnings.front().text, 0), 0u);
  EXPECT_EQ(w.lblStatus().ToolTipText, frmPellora::WarningText(w.Claim()));
  w.ClearClaimDisplay();
  EXPECT_EQ(w.lblStatus().Caption, u"");
}

TEST(Startup, ABareFileNamesFolderIsTheCurrentFolder) {
  ProgramFolder program;
  const auto claim = program.WriteClaim("bare.csv", KnownAndUnknownPersons());
  const InFolder inProgramFolder(program.dir.path());
  program.Start("bare.csv");
  EXPECT_EQ(program.window().LastFolder(), U16(std::filesystem::current_path()));
  EXPECT_EQ(program.window().vsfViewer().Rows(), 4);  // read from the current folder
  EXPECT_TRUE(program.ui.shown.empty());
}

TEST(Startup, AClaimFileThatCannotBeReadIsReportedAndTheWindowStays) {
  ProgramFolder program;
  const std::u16string missing = U16(program.dir / "missing.csv");
  program.Start(U8(missing));
  const frmPellora& w = program.window();
  ASSERT_EQ(program.ui.shown.size(), 1u);
  EXPECT_EQ(program.ui.shown[0].text, u"53:ファイルが見つかりません。");
  EXPECT_EQ(program.ui.shown[0].icon, MsgIcon::Critical);
  EXPECT_FALSE(w.Unloaded());
  EXPECT_EQ(w.Caption(), u"給付管理／介護報酬請求 CSVファイルビューア (" + missing + u")");
  EXPECT_EQ(w.vsfViewer().Rows(), 1);
  EXPECT_EQ(w.LastFolder(), w.Where().programFolder);
}

// A failure part-way through the display: the window says so in the words
// of a start-up failure, clears what was half built and waits for the user.
TEST(Startup, AClaimFileWhoseDisplayFailsIsReportedClearedAndTheWindowStays) {
  ProgramFolder program;
  program.WriteDatabase();
  const auto claim = program.WriteClaim("sub/claim.csv", KnownAndUnknownPersons());
  program.Prepare(claim.string());
  program.window().GridOf(MainControl::vsfTotal)->SetCols(1);  // the totals step cannot write its counts
  program.window().Form_Load();
  const frmPellora& w = program.window();

  ASSERT_EQ(program.ui.shown.size(), 1u);
  EXPECT_EQ(program.ui.shown[0],
            (RecordingMessageBoxes::Shown{u"381:プロパティ配列のインデックスが不正です。", MsgIcon::Critical,
                                          u"エラーメッセージ"}));
  EXPECT_FALSE(w.Unloaded());
  EXPECT_EQ(w.Caption(), frmPellora::kTitle);
  EXPECT_EQ(w.lblCsvFname().Caption, u"");
  EXPECT_EQ(w.vsfViewer().Rows(), 1);
  EXPECT_EQ(w.vsfSort().Rows(), 0);
  EXPECT_EQ(w.vsfCsv().Rows(), 1);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(w.lblHead(i).Caption, u"") << i;
  EXPECT_EQ(w.LastFolder(), U16(program.dir / "sub"));  // the next dialog opens there
}

// ---- Start-up that cannot go on ----

// A display or totals grid that fails its set-up: the grid control raising
// an error while being prepared.
class FailingGrid : public GridListener {
 public:
  void RowsChanged(int, int) override { throw GridError(380); }
};

TEST(Startup, AGridThatCannotBePreparedEndsTheProgramWithItsMessage) {
  const struct {
    const char* what;
    bool viewerFails;
    std::u16string message;
  } cases[] = {
      {"display grid", true, u"表示エリアの初期化に失敗しました。"},
      {"totals grid", false, u"集計エリアの初期化に失敗しました。"},
  };
  for (const auto& c : cases) {
    ProgramFolder program;
    program.WriteDatabase();
    const auto claim = program.WriteClaim("claim.csv", KnownAndUnknownPersons());
    FailingGrid failing;
    int closed = 0;
    program.Prepare(claim.string(), Lent(nullptr, nullptr, [&] { ++closed; }));
    FlexGrid& grid = *program.window().GridOf(c.viewerFails ? MainControl::vsfViewer : MainControl::vsfTotal);
    grid.AddListener(&failing);
    program.window().Form_Load();
    const frmPellora& w = program.window();

    EXPECT_EQ(program.ui.shown,
              (std::vector<RecordingMessageBoxes::Shown>{{c.message, MsgIcon::Critical, u"エラーメッセージ"}}))
        << c.what;
    EXPECT_TRUE(w.Unloaded()) << c.what;
    EXPECT_EQ(closed, 1) << c.what;
    // Nothing after the failing step ran.
    EXPECT_EQ(w.lblDBname(1).Text, u"") << c.what;
    EXPECT_FALSE(w.DBFound()) << c.what;
    EXPECT_EQ(w.lblCsvFname().Caption, u"") << c.what;
    grid.RemoveListener(&failing);
  }
}

}  // namespace
}  // namespace pellora
