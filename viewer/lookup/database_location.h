#pragma once
// Where the provider's database is: the settings file velkar.ini names it,
// or it is data.qdr in the program's folder; and whether it opens. The
// window's start-up and its database dialog, and pellora-export, all find
// it here.

#include <string>
#include <string_view>
#include <vector>

namespace pellora {

// The settings file's name, and the database's when no setting names one.
inline constexpr std::u16string_view kSettingsFileName = u"velkar.ini";
inline constexpr std::u16string_view kDefaultDatabaseName = u"data.qdr";
// What the database box says when the settings name no database at all.
inline constexpr std::u16string_view kNoDatabaseGiven = u"指定されていません｡";

// The database path a setting gives, as the database box shows it.
inline std::u16string ShownDatabasePath(const std::u16string& path) {
  return path.empty() ? std::u16string(kNoDatabaseGiven) : path;
}

// The program folder's data.qdr.
std::u16string DefaultDBPath(const std::u16string& programFolder);

// True exactly for an ordinary file that opens as a Jet database.
bool CheckDatabase(const std::u16string& path);

// velkar.ini in the first of `foldersFirst` that has one, else in the
// program folder if it is there, else in the first of `settingsFolders`
// that has one, else the program folder itself followed by a folder
// separator (a path that reads as no settings file). The platform says
// which folders come first and which after (ConfigurationFolders,
// platform/platform_path.h).
std::u16string DefaultIniFileName(const std::u16string& programFolder,
                                  const std::vector<std::u16string>& settingsFolders,
                                  const std::vector<std::u16string>& foldersFirst = {});
// Where DefaultIniFileName looks for velkar.ini, in its order.
std::vector<std::u16string> SettingsFileCandidates(const std::u16string& programFolder,
                                                   const std::vector<std::u16string>& settingsFolders,
                                                   const std::vector<std::u16string>& foldersFirst = {});
// Whether `iniFileName` is DefaultIniFileName's answer for none found.
bool IsNoSettingsFileFound(const std::u16string& iniFileName, const std::u16string& programFolder);
// What the settings box says then: that there is none, and every file that
// was looked for, so that the clerk knows where to put one. (The program
// folder alone would send an installed program's clerk to /usr/bin.)
inline constexpr std::u16string_view kNoSettingsFileFound = u"設定ファイルがありません:";
std::u16string NoSettingsFileText(const std::u16string& programFolder,
                                  const std::vector<std::u16string>& settingsFolders,
                                  const std::vector<std::u16string>& foldersFirst = {});

// One value of the settings file, "" when it or its key is missing.
std::u16string IniRead(const std::u16string& section, const std::u16string& key, const std::u16string& IniFileName);

// A setting as GetSetting found it, and what that says of the settings
// file: the box that shows the file is coloured by it.
struct Setting {
  enum class From {
    Section,     // the settings file's own section: the box keeps its colour
    Line,        // a line "VarNm" + Sep + value, or the default: light yellow
    Unreadable,  // the settings file cannot be read; the default: pink
  };
  std::u16string value;
  From from = From::Section;
};

// A setting of section "qdr"; failing that, the first line "VarNm" + Sep +
// value anywhere in the file, in any letter case; failing both, the program
// folder's data.qdr.
Setting GetSetting(const std::u16string& IniFN, const std::u16string& VarNm, const std::u16string& Sep,
                   const std::u16string& programFolder);

// The database path the settings file gives, as start-up reads it.
Setting DatabaseSetting(const std::u16string& iniFileName, const std::u16string& programFolder);

}  // namespace pellora
