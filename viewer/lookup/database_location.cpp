#include "lookup/database_location.h"

#include <filesystem>
#include <optional>

#include "jet/jet_reader.h"
#include "lookup/profile_reader.h"
#include "platform/platform_path.h"
#include "text/plain_text.h"

namespace pellora {
namespace {

constexpr std::u16string_view kSettingsSection = u"qdr";
constexpr std::u16string_view kDatabasePathKey = u"QdrPath";
constexpr std::u16string_view kTab = u"\t";

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

std::u16string DefaultDBPath(const std::u16string& programFolder) {
  return InFolder(programFolder, kDefaultDatabaseName);
}

// The folders the platform puts first (the user's own on Windows, whose
// installed program folder only an administrator may change), then beside
// the program, so that a copied folder keeps its own settings wherever the
// program is also installed, then the others.
std::vector<std::u16string> SettingsFileCandidates(const std::u16string& programFolder,
                                                   const std::vector<std::u16string>& settingsFolders,
                                                   const std::vector<std::u16string>& foldersFirst) {
  std::vector<std::u16string> candidates;
  for (const std::u16string& folder : foldersFirst) candidates.push_back(InFolder(folder, kSettingsFileName));
  candidates.push_back(InFolder(programFolder, kSettingsFileName));
  for (const std::u16string& folder : settingsFolders) candidates.push_back(InFolder(folder, kSettingsFileName));
  return candidates;
}

std::u16string DefaultIniFileName(const std::u16string& programFolder,
                                  const std::vector<std::u16string>& settingsFolders,
                                  const std::vector<std::u16string>& foldersFirst) {
  for (const std::u16string& settings : SettingsFileCandidates(programFolder, settingsFolders, foldersFirst))
    if (IsOrdinaryFile(settings)) return settings;
  return InFolder(programFolder, u"");
}

bool IsNoSettingsFileFound(const std::u16string& iniFileName, const std::u16string& programFolder) {
  return iniFileName == InFolder(programFolder, u"");
}

std::u16string NoSettingsFileText(const std::u16string& programFolder,
                                  const std::vector<std::u16string>& settingsFolders,
                                  const std::vector<std::u16string>& foldersFirst) {
  std::u16string text(kNoSettingsFileFound);
  const std::vector<std::u16string> candidates = SettingsFileCandidates(programFolder, settingsFolders, foldersFirst);
  for (std::size_t i = 0; i < candidates.size(); ++i) text += (i == 0 ? u" " : u"、") + candidates[i];
  return text;
}

// Only an ordinary file is handed to the reader: a folder or a device is
// no database, and a pipe would never end its read.
bool CheckDatabase(const std::u16string& path) { return IsOrdinaryFile(path) && jet::OpensAsDatabase(path); }

// The value comes back whole, however long. Read into a fixed buffer of
// 255 bytes, a longer path would be cut to its first 254 bytes -- perhaps in
// the middle of a double-byte character -- and name some other file or
// folder, which might even exist.
std::u16string IniRead(const std::u16string& section, const std::u16string& key, const std::u16string& IniFileName) {
  return ReadProfileString(IniFileName, section, key).value_or(u"");
}

// The value in the settings file's own section first; failing that, a line
// "QdrPath", TAB, path, which older settings files hold, anywhere in the
// file and in any letter case; failing both, the default database.
Setting GetSetting(const std::u16string& IniFN, const std::u16string& VarNm, const std::u16string& Sep,
                   const std::u16string& programFolder) {
  std::u16string value = IniRead(std::u16string(kSettingsSection), VarNm, IniFN);
  if (!value.empty()) return {std::move(value), Setting::From::Section};

  const std::optional<std::u16string> text = ReadSettingsText(IniFN);
  if (!text) return {DefaultDBPath(programFolder), Setting::From::Unreadable};
  const std::u16string wanted = AsciiLowerCase(VarNm + Sep);
  for (const std::u16string_view line : SettingsLines(*text)) {
    const std::u16string_view trimmed = TrimSpaces(line);
    if (AsciiLowerCase(trimmed.substr(0, wanted.size())) == wanted)
      return {std::u16string(TrimSpaces(trimmed.substr(wanted.size()))), Setting::From::Line};
  }
  return {DefaultDBPath(programFolder), Setting::From::Line};
}

Setting DatabaseSetting(const std::u16string& iniFileName, const std::u16string& programFolder) {
  return GetSetting(iniFileName, std::u16string(kDatabasePathKey), std::u16string(kTab), programFolder);
}

}  // namespace pellora
