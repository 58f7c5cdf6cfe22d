// Where the provider's database is: the settings file velkar.ini names it,
// or it is data.qdr in the program's folder; and whether it opens.

#include <filesystem>

#include "shell/frmPellora.h"
#include "text/plain_text.h"
#include "platform/platform_path.h"
#include "lookup/profile_reader.h"

namespace pellora {
namespace {

constexpr std::u16string_view kDefaultDatabaseName = u"data.qdr";
constexpr std::u16string_view kSettingsFileName = u"velkar.ini";
constexpr std::u16string_view kSettingsSection = u"qdr";
constexpr std::u16string_view kDatabasePathKey = u"QdrPath";
constexpr std::u16string_view kTab = u"\t";
constexpr std::u16string_view kNoDatabaseGiven = u"指定されていません｡";

std::u16string InFolder(std::u16string folder, std::u16string_view name) {
  if (!folder.ends_with(kFolderSeparator)) folder += kFolderSeparator;
  return folder + std::u16string(name);
}

bool IsOrdinaryFile(const std::u16string& path) {
  const std::optional<std::filesystem::path> file = PlatformPath(path);
  std::error_code ec;
  return file && std::filesystem::is_regular_file(*file, ec);
}

}  // namespace

std::u16string frmPellora::DefaultDBPath() const { return InFolder(ProgramFolder, kDefaultDatabaseName); }

// Beside the program first, so that a copied folder keeps its own
// settings wherever the program is also installed.
std::u16string frmPellora::DefaultIniFileName() const {
  const std::u16string beside = InFolder(ProgramFolder, kSettingsFileName);
  if (IsOrdinaryFile(beside)) return beside;
  for (const std::u16string& folder : SettingsFolders) {
    const std::u16string settings = InFolder(folder, kSettingsFileName);
    if (IsOrdinaryFile(settings)) return settings;
  }
  return InFolder(ProgramFolder, u"");
}

// Only an ordinary file is handed to the reader: a folder or a device is
// no database, and a pipe would never end its read.
bool frmPellora::CheckDatabase(const std::u16string& path) const {
  return IsOrdinaryFile(path) && jet::OpensAsDatabase(path);
}

// The value comes back whole, however long. Read into a fixed buffer of
// 255 bytes, a longer path would be cut to its first 254 bytes -- perhaps in
// the middle of a double-byte character -- and name some other file or
// folder, which might even exist.
std::u16string frmPellora::IniRead(const std::u16string& section, const std::u16string& key,
                                   const std::u16string& IniFileName) const {
  return ReadProfileString(IniFileName, section, key).value_or(u"");
}

// The value in the settings file's own section first; failing that, a line
// "QdrPath", TAB, path, which older settings files hold, anywhere in the
// file and in any letter case; failing both, the default database. A
// settings file that cannot be read turns its box pink.
std::optional<std::u16string> frmPellora::GetSetting(const std::u16string& IniFN, const std::u16string& VarNm,
                                                     const std::u16string& Sep) {
  std::u16string value = IniRead(std::u16string(kSettingsSection), VarNm, IniFN);
  if (!value.empty()) return value;

  const std::optional<std::u16string> text = ReadSettingsText(IniFN);
  if (!text) {
    lblDBname[0].BackColor = kPink;
    return DefaultDBPath();
  }
  const std::u16string wanted = AsciiLowerCase(VarNm + Sep);
  std::optional<std::u16string> result;
  for (const std::u16string_view line : SettingsLines(*text)) {
    const std::u16string_view trimmed = TrimSpaces(line);
    if (AsciiLowerCase(trimmed.substr(0, wanted.size())) == wanted) {
      result = std::u16string(TrimSpaces(trimmed.substr(wanted.size())));
      break;
    }
  }
  lblDBname[0].BackColor = kLightYellow;
  return result ? result : DefaultDBPath();
}

// The box shows the path whether or not it opens, so that the user sees
// which file was meant; pink says it did not. The path is what the database
// dialog offers next, whatever the box shows later.
bool frmPellora::UseDatabase(const std::u16string& path) {
  LastDBInput = path;
  DBFound = CheckDatabase(path);
  DBPath = DBFound ? path : u"";
  lblDBname[1].Text = path;
  lblDBname[1].BackColor = DBFound ? kLightYellow : kPink;
  return DBFound;
}

// A settings file that names no path at all is told in words; no path
// opens, so the box is pink all the same.
void frmPellora::ReadDatabaseLocation(const std::u16string& iniFileName) {
  const std::u16string path =
      GetSetting(iniFileName, std::u16string(kDatabasePathKey), std::u16string(kTab)).value_or(u"");
  UseDatabase(path);
  if (path.empty()) lblDBname[1].Text = kNoDatabaseGiven;
}

}  // namespace pellora
