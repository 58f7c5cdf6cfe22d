// The main window's start-up: from the command line to the window waiting
// for the user, in the one order in which each step finds what it needs.

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

}  // namespace

std::u16string frmPellora::GetIniFileName() {
  std::u16string text(TrimSpaces(CommandLine));
  DebugMode = StartsWithDebugSwitch(text);
  if (DebugMode) text = TrimSpaces(std::u16string_view(text).substr(kDebugSwitchLength));
  // Without the switch, an argument is the claim file to show, exactly as
  // given; the settings file is then always the one beside the program.
  if (!text.empty() && !DebugMode) {
    CmdFileName = text;
    text.clear();
  }
  if (text.empty()) text = DefaultIniFileName();
  return text;
}

bool frmPellora::InitForm() {
  try {
    Caption = kTitle;
    if (DebugMode) {
      // The debug controls show in the window's design size.
      for (const MainControl debugControl : {MainControl::vsfCsv, MainControl::vsfSort, MainControl::lblCsvFname})
        Visible[static_cast<std::size_t>(debugControl)] = true;
    } else {
      // Smaller than the design: the debug controls stay outside the
      // visible area, below and to the right.
      Size = kMainNormalOuterSize;
    }
    return true;
  } catch (...) {
    return false;
  }
}

void frmPellora::Unload() {
  if (Unloaded) return;
  Unloaded = true;
  if (OnUnload) OnUnload();
}

void frmPellora::Form_Load() {
  LastFolder = ProgramFolder;
  CmdFileName.clear();

  const std::u16string iniFileName = GetIniFileName();
  lblDBname[0].Text = iniFileName.empty() ? std::u16string(kNoSettingsFile) : iniFileName;

  // Without its window or either grid the program has nothing to show: it
  // says which part failed and ends.
  const auto stop = [this](std::u16string_view message) {
    messageBoxes_.Show(std::u16string(message), MsgIcon::Critical, std::u16string(kErrorTitle));
    Unload();
  };
  if (!InitForm()) return stop(kFormInitFailed);
  if (!InitViewerGrid()) return stop(kViewerInitFailed);
  if (!InitTotalGrid()) return stop(kTotalInitFailed);

  ReadDatabaseLocation(iniFileName);

  if (CmdFileName.empty()) return;
  // A claim file that fails part-way through its display is reported like a
  // start-up failure, but the window stays: the user may choose another
  // file. What was half built is cleared, so that no partial claim passes
  // for the file. (A file that cannot be read at all is reported by the
  // loading step and shows as an empty display.)
  try {
    lblCsvFname.Caption = CmdFileName;
    Caption = std::u16string(kTitle) + u" (" + CmdFileName + u")";
    LastFolder = FolderOf(CmdFileName);
    ShowCsvFile();
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
