// The main window's start-up: from the command line to the window waiting
// for the user, in the one order in which each step finds what it needs.

#include "display/total_grid.h"
#include "display/viewer_grid.h"
#include "errors/err_info.h"
#include "shell/frmPellora.h"
#include "text/plain_text.h"

namespace pellora {
namespace {

constexpr std::u16string_view kNoSettingsFile = u"指定されていません";
constexpr std::u16string_view kFormInitFailed = u"フォームの初期化に失敗しました。";
constexpr std::u16string_view kViewerInitFailed = u"表示エリアの初期化に失敗しました。";
constexpr std::u16string_view kTotalInitFailed = u"集計エリアの初期化に失敗しました。";

// The debug switch: these six characters, in any letter case, at the start
// of the command line. Only six are compared, so "/DEBUG" and "/debugging"
// switch it on too.
constexpr std::size_t kDebugSwitchLength = 6;

bool StartsWithDebugSwitch(std::u16string_view text) {
  if (text.size() < kDebugSwitchLength) return false;
  const std::u16string head = AsciiLowerCase(text.substr(0, kDebugSwitchLength));
  return head == u"/debug" || head == u"-debug";
}

// One pair of double quotes round the whole text is no part of the path it
// holds: a path never begins and ends with one, and Windows puts a path
// with blanks in quotes wherever it hands one on (a shortcut, a file
// dropped on the program's icon, "Open with", the context menu's verb, a
// cmd user).
std::u16string_view WithoutSurroundingQuotes(std::u16string_view text) {
  if (text.size() >= 2 && text.starts_with(u'"') && text.ends_with(u'"')) text = text.substr(1, text.size() - 2);
  return text;
}

std::u16string Joined(const std::vector<std::u16string>& texts, std::u16string_view between) {
  std::u16string joined;
  for (const std::u16string& text : texts) {
    if (!joined.empty()) joined += between;
    joined += text;
  }
  return joined;
}

}  // namespace

std::u16string frmPellora::GetIniFileName() {
  std::u16string text(TrimSpaces(environment_.commandLine));
  DebugMode_ = StartsWithDebugSwitch(text);
  if (DebugMode_) text = TrimSpaces(std::u16string_view(text).substr(kDebugSwitchLength));
  text = std::u16string(WithoutSurroundingQuotes(text));
  // Without the switch, an argument is the claim file to show, exactly as
  // given; the settings file is then always the one beside the program.
  if (!text.empty() && !DebugMode_) {
    CmdFileName_ = text;
    text.clear();
  }
  if (text.empty())
    text = DefaultIniFileName(environment_.programFolder, environment_.settingsFolders,
                              environment_.settingsFoldersFirst);
  return text;
}

bool frmPellora::InitForm() {
  try {
    Caption_ = kTitle;
    if (DebugMode_) {
      // The debug controls show in the window's design size.
      for (const MainControl debugControl : {MainControl::vsfCsv, MainControl::vsfSort, MainControl::lblCsvFname})
        Visible_[static_cast<std::size_t>(debugControl)] = true;
    } else {
      // Smaller than the design: the debug controls stay outside the
      // visible area, below and to the right.
      Size_ = kMainNormalOuterSize;
    }
    return true;
  } catch (...) {
    return false;
  }
}

void frmPellora::Unload() {
  if (Unloaded_) return;
  Unloaded_ = true;
  if (OnUnload_) OnUnload_();
}

// The box shows the path whether or not it opens, so that the user sees
// which file was meant; pink says it did not. The path is what the database
// dialog offers next, whatever the box shows later.
bool frmPellora::UseDatabase(const std::u16string& path) {
  LastDBInput_ = path;
  DBFound_ = CheckDatabase(path);
  DBPath_ = DBFound_ ? path : u"";
  lblDBname_[1].Text = path;
  lblDBname_[1].BackColor = DBFound_ ? kLightYellow : kPink;
  ShowStatus();
  return DBFound_;
}

// The clerk of a program just installed has no velkar.ini and no database
// yet: the line names the path tried and where velkar.ini is read or looked
// for, so that what to do is said where the pink box is seen.
std::u16string frmPellora::DatabaseHint() const {
  std::u16string hint = LastDBInput_.empty() ? std::u16string(u"データベースが指定されていません。")
                                             : u"データベースを開けません: " + LastDBInput_ + u"。";
  if (!IniFileName_.empty()) {
    if (SettingsRead_ != Setting::From::Unreadable) {
      hint += u"velkar.ini (" + IniFileName_ + u") の [qdr] に QdrPath=パス を書くか、";
    } else if (IsNoSettingsFileFound(IniFileName_, environment_.programFolder)) {
      hint += u"設定ファイルを " +
              Joined(SettingsFileCandidates(environment_.programFolder, environment_.settingsFolders,
                                            environment_.settingsFoldersFirst), u"、") +
              u" のどれかに作り、[qdr] に QdrPath=パス を書くか、";
    } else {
      hint += u"設定ファイル " + IniFileName_ + u" を読めません。[qdr] に QdrPath=パス を書いた設定ファイルを置くか、";
    }
  }
  return hint + u"「" + ShownCaption(Design(MainControl::Command1).caption) + u"」で選んでください。";
}

// A settings file that cannot be read turns its box pink, and one read for
// a line of the older form light yellow. A settings file that names no path
// at all is told in words; no path opens, so the box is pink all the same.
Setting frmPellora::ReadDatabaseLocation(const std::u16string& iniFileName) {
  Setting setting = DatabaseSetting(iniFileName, environment_.programFolder);
  IniFileName_ = iniFileName;
  SettingsRead_ = setting.from;
  if (setting.from == Setting::From::Unreadable) lblDBname_[0].BackColor = kPink;
  if (setting.from == Setting::From::Line) lblDBname_[0].BackColor = kLightYellow;
  UseDatabase(setting.value);
  lblDBname_[1].Text = ShownDatabasePath(setting.value);
  return setting;
}

void frmPellora::Form_Load() {
  LastFolder_ = environment_.programFolder;
  CmdFileName_.clear();

  const std::u16string iniFileName = GetIniFileName();
  lblDBname_[0].Text = iniFileName.empty() ? std::u16string(kNoSettingsFile) : iniFileName;
  if (IsNoSettingsFileFound(iniFileName, environment_.programFolder))
    lblDBname_[0].Text = NoSettingsFileText(environment_.programFolder, environment_.settingsFolders,
                                             environment_.settingsFoldersFirst);

  // Without its window or either grid the program has nothing to show: it
  // says which part failed and ends.
  const auto stop = [this](std::u16string_view message) {
    messageBoxes_.Show(std::u16string(message), MsgIcon::Critical, std::u16string(kErrorTitle));
    Unload();
  };
  if (!InitForm()) return stop(kFormInitFailed);
  if (!InitViewerGrid(vsfViewer_)) return stop(kViewerInitFailed);
  if (!InitTotalGrid(vsfTotal_)) return stop(kTotalInitFailed);

  ReadDatabaseLocation(iniFileName);

  if (CmdFileName_.empty()) return;
  // A claim file that fails part-way through its display is reported like a
  // start-up failure, but the window stays: the user may choose another
  // file. What was half built is cleared, so that no partial claim passes
  // for the file. (A file that cannot be read at all is reported by the
  // loading step and shows as an empty display.)
  try {
    ShowChosenFile(CmdFileName_);
  } catch (...) {
    const std::u16string failure = ErrText(CurrentErr());
    try {
      ClearClaimDisplay();
    } catch (...) {
      // The grids are as far as they got; the message still goes out.
    }
    messageBoxes_.Show(failure, MsgIcon::Critical, std::u16string(kErrorTitle));
  }
}

}  // namespace pellora
