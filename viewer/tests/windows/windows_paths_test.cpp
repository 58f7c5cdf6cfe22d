// Windows paths through the main window's routines: "\" as the separator,
// drive letters and the UNC paths of an office's file server, in the
// folder of the next file dialog and in the title; the command line as
// Windows hands it over; and the program's folder, where velkar.ini and
// data.qdr are looked for.

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "controls/recording_message_boxes.h"
#include "shell/frmPellora.h"
#include "tests/csv/temp_files.h"
#include "platform/command_line.h"
#include "platform/platform_path.h"

namespace pellora {
namespace {

using testing::TempFolder;
using testing::U16Path;

TEST(WindowsPaths, FolderOfAPathIsTheTextBeforeItsLastBackslash) {
  const struct {
    std::u16string path, folder;
  } cases[] = {
      {u"C:\\data\\2009\\claim.csv", u"C:\\data\\2009"},
      {u"C:\\claim.csv", u"C:"},  // the drive's root: the text before the backslash
      {u"\\\\server\\share\\claims\\claim.csv", u"\\\\server\\share\\claims"},
      {u"\\\\server\\share\\claim.csv", u"\\\\server\\share"},
      {u"D:\\請求データ\\令和6年\\claim.csv", u"D:\\請求データ\\令和6年"},
  };
  for (const auto& c : cases) EXPECT_EQ(FolderOf(c.path), c.folder);
  EXPECT_EQ(FolderOf(u"claim.csv"), CurrentFolder());
  EXPECT_EQ(frmPellora::CharPos(u"C:\\a\\b.csv", u"\\", 1), 3);
  EXPECT_EQ(frmPellora::CharPos(u"C:\\a\\b.csv", u"\\", 0), 5);
}

TEST(WindowsPaths, ArgumentsAreTheCommandLineAfterTheProgramsName) {
  const struct {
    std::u16string line, arguments;
  } cases[] = {
      {u"\"C:\\Program Files\\Pellora\\pellora.exe\" C:\\data\\my claim.csv", u"C:\\data\\my claim.csv"},
      {u"pellora.exe   /debug  C:\\other.ini", u"/debug  C:\\other.ini"},
      {u"pellora \"C:\\a b\\c.csv\"", u"\"C:\\a b\\c.csv\""},  // quotes stay here: start-up takes one pair round the path off
      {u"pellora \\\\server\\share\\claim.csv", u"\\\\server\\share\\claim.csv"},
      {u"\"C:\\Program Files\\Pellora\\pellora.exe\"", u""},
      {u"pellora.exe", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(CommandLineArguments(c.line), c.arguments);
}

TEST(WindowsPaths, ProgramFolderIsTheExecutablesFolder) {
  wchar_t name[MAX_PATH];
  const DWORD n = ::GetModuleFileNameW(nullptr, name, MAX_PATH);
  ASSERT_GT(n, 0u);
  const std::u16string self(name, name + n);
  EXPECT_EQ(ExecutableFolder(), self.substr(0, self.find_last_of(u'\\')));
  RecordingMessageBoxes boxes;
  frmPellora form(boxes, frmPellora::Environment::OfThisProgram());
  EXPECT_EQ(form.Where().programFolder, ExecutableFolder());
}

TEST(WindowsPaths, SettingsAndDatabaseAreLookedForInTheProgramFolder) {
  TempFolder folder;
  const std::u16string programFolder = U16Path(folder.path());
  EXPECT_EQ(DefaultDBPath(programFolder), programFolder + u"\\data.qdr");
  EXPECT_EQ(DefaultIniFileName(programFolder, {}), programFolder + u"\\");  // none there: the folder itself
  folder.Write("velkar.ini", "[qdr]\r\nQdrPath=C:\\kaigo\\data.qdr\r\n");
  EXPECT_EQ(DefaultIniFileName(programFolder, {}), programFolder + u"\\velkar.ini");
  EXPECT_EQ(GetSetting(DefaultIniFileName(programFolder, {}), u"QdrPath", u"\t", programFolder).value, u"C:\\kaigo\\data.qdr");
  // As Notepad saves it today: UTF-8, read as on Linux.
  folder.Write("velkar.ini", "[qdr]\r\nQdrPath=C:\\介護\\data.qdr\r\n");
  EXPECT_EQ(GetSetting(programFolder + u"\\velkar.ini", u"QdrPath", u"\t", programFolder).value, u"C:\\介護\\data.qdr");
  // A program in a drive's root: no second backslash.
  EXPECT_EQ(DefaultDBPath(u"C:\\"), u"C:\\data.qdr");
}

// The clerk's own velkar.ini in %APPDATA%\Pellora, which needs no
// administrator to write, comes before the installed one beside the
// program; nothing is looked for after it.
TEST(WindowsPaths, TheUsersOwnSettingsComeFromAppDataBeforeTheProgramFolders) {
  TempFolder folder;
  const std::u16string appData = U16Path(folder.path());
  std::wstring saved(32768, L'\0');
  saved.resize(::GetEnvironmentVariableW(L"APPDATA", saved.data(), static_cast<DWORD>(saved.size())));
  ::SetEnvironmentVariableW(L"APPDATA", std::wstring(appData.begin(), appData.end()).c_str());
  const SettingsFolders folders = ConfigurationFolders("pellora");
  ::SetEnvironmentVariableW(L"APPDATA", saved.empty() ? nullptr : saved.c_str());
  ASSERT_EQ(folders.first, std::vector<std::u16string>{appData + u"\\Pellora"});
  EXPECT_TRUE(folders.then.empty());
  folder.Write("velkar.ini", "[qdr]\r\n");  // the program's, here in the same folder
  EXPECT_EQ(DefaultIniFileName(appData, folders.then, folders.first), appData + u"\\velkar.ini");
  std::filesystem::create_directory(folder.path() / "Pellora");
  folder.Write("Pellora/velkar.ini", "[qdr]\r\n");
  EXPECT_EQ(DefaultIniFileName(appData, folders.then, folders.first), appData + u"\\Pellora\\velkar.ini");
}

TEST(WindowsPaths, ClaimFileOnTheCommandLineStandsInTheTitleAndMovesTheDialog) {
  TempFolder folder;
  folder.Write("claim file.csv", "1,00000001,0,0,711,0,20240410,1371234567,0,1,202404,0\r\n3,99999999\r\n");
  const std::u16string path = U16Path(folder.path()) + u"\\claim file.csv";
  RecordingMessageBoxes boxes;
  frmPellora form(boxes, {path, U16Path(folder.path()), {}, {}});  // a blank in the name needs no quotes
  form.Form_Load();
  // Its only message, once the window would show: the warning that it
  // holds no data records.
  EXPECT_TRUE(boxes.shown.empty());
  form.ShowPendingWarnings();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Exclamation);
  EXPECT_EQ(form.Caption(), std::u16string(frmPellora::kTitle) + u" (" + path + u")");
  EXPECT_EQ(form.LastFolder(), U16Path(folder.path()));
  EXPECT_EQ(form.lblHead(2).Caption, u"1371234567");
}

TEST(WindowsPaths, UnreachableShareIsAPathNotFound) {
  RecordingMessageBoxes boxes;
  frmPellora form(boxes, {});
  const std::u16string path = u"\\\\pellora-no-such-server\\share\\claim.csv";
  form.ShowCsvFile(path);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text.substr(0, 3), u"76:");
  EXPECT_EQ(FolderOf(path), u"\\\\pellora-no-such-server\\share");
}

}  // namespace
}  // namespace pellora
