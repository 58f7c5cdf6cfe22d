// Where the look-ups read from: the settings file's value as the profile
// API finds it, the default database in the program's folder, and which
// files count as a database.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <functional>

#include "common/cp932.h"
#include "common/utf.h"
#include "controls/recording_message_boxes.h"
#include "shell/frmPellora.h"
#include "tests/lookup/provider_database.h"
#include "platform/platform_path.h"
#include "lookup/profile_reader.h"

namespace pellora {
namespace {

using namespace testing;

std::u16string U16(const std::filesystem::path& path) { return common::Utf8ToUtf16(path.string()); }

// A settings file as a user's editor writes it: code page 932 bytes.
std::filesystem::path WriteSettings(const TempDir& dir, const std::string& name, const std::string& utf8) {
  const std::filesystem::path file = dir / name;
  std::ofstream(file, std::ios::binary) << common::cp932::Encode(common::Utf8ToUtf16(utf8));
  return file;
}

// ---- The profile reader ----

TEST(FindProfileString, FindsAValueAsTheWindowsProfileApiDoes) {
  const struct {
    const char* what;
    std::u16string_view profile;
    std::optional<std::u16string> value;
  } cases[] = {
      {"plain", u"[qdr]\r\nQdrPath=/data/data.qdr\r\n", u"/data/data.qdr"},
      {"names in any letter case", u"[QDR]\nqdrpath=/a\n", u"/a"},
      {"full-width letters are other letters", u"[ｑｄｒ]\nQdrPath=/a\n", std::nullopt},
      {"blanks around names and value", u"  [ qdr ]  \n\t QdrPath \t=\t /a b \t\n", u"/a b"},
      {"double quotes removed", u"[qdr]\nQdrPath=\" /a b \"\n", u" /a b "},
      {"single quotes removed", u"[qdr]\nQdrPath='/a'\n", u"/a"},
      {"unpaired quote stays", u"[qdr]\nQdrPath=\"/a\n", u"\"/a"},
      {"mixed quotes stay", u"[qdr]\nQdrPath=\"/a'\n", u"\"/a'"},
      {"comment line skipped", u"[qdr]\n;QdrPath=/old\nQdrPath=/new\n", u"/new"},
      {"first match wins", u"[qdr]\nQdrPath=/first\nQdrPath=/second\n", u"/first"},
      {"first match wins across repeated sections", u"[qdr]\nQdrPath=/first\n[x]\n[qdr]\nQdrPath=/second\n",
       u"/first"},
      {"other section's key ignored", u"[other]\nQdrPath=/no\n[qdr]\nQdrPath=/yes\n", u"/yes"},
      {"key before any section ignored", u"QdrPath=/no\n[qdr]\n", std::nullopt},
      {"empty value", u"[qdr]\nQdrPath=\n", u""},
      {"key line without =", u"[qdr]\nQdrPath\n", u""},
      {"= inside the value kept", u"[qdr]\nQdrPath=/a=b\n", u"/a=b"},
      {"lone CR line ends", u"[qdr]\rQdrPath=/cr\r", u"/cr"},
      {"no such key", u"[qdr]\nOther=1\n", std::nullopt},
      {"no such section", u"[qdrx]\nQdrPath=/a\n", std::nullopt},
      {"Japanese value", u"[qdr]\nQdrPath=/データ/髙橋①.qdr\n", u"/データ/髙橋①.qdr"},
  };
  for (const auto& c : cases) EXPECT_EQ(FindProfileString(c.profile, u"qdr", u"QdrPath"), c.value) << c.what;
  // Full-width letters have their case too.
  EXPECT_EQ(FindProfileString(u"[ＱＤＲ]\nＫＥＹ=/a\n", u"ｑｄｒ", u"ｋｅｙ"), std::u16string(u"/a"));
}

TEST(ReadProfileString, DecodesTheFileFromCodePage932AndFailsQuietly) {
  TempDir dir;
  const auto file = WriteSettings(dir, "velkar.ini", "[qdr]\r\nQdrPath=/データ/髙橋～①\\data.qdr\r\n");
  EXPECT_EQ(ReadProfileString(U16(file), u"qdr", u"QdrPath"), std::u16string(u"/データ/髙橋～①\\data.qdr"));
  EXPECT_EQ(ReadProfileString(U16(dir / "missing.ini"), u"qdr", u"QdrPath"), std::nullopt);
  EXPECT_EQ(ReadProfileString(U16(dir.path()), u"qdr", u"QdrPath"), std::nullopt);  // a folder
  ASSERT_EQ(::mkfifo((dir / "pipe.ini").c_str(), 0600), 0);
  EXPECT_EQ(ReadProfileString(U16(dir / "pipe.ini"), u"qdr", u"QdrPath"), std::nullopt);  // and no wait
}

// ---- The main window's database location ----

class DatabaseLocation : public ::testing::Test {
 protected:
  // A new window of a program in `dir`, which looks for velkar.ini nowhere
  // else.
  frmPellora& Renew() {
    window_ = std::make_unique<frmPellora>(ui, frmPellora::Environment{u"", U16(dir.path()), {}, {}});
    return *window_;
  }
  RecordingMessageBoxes ui;
  TempDir dir;

 private:
  std::unique_ptr<frmPellora> window_;
};

TEST_F(DatabaseLocation, TheProgramFolderIsTheExecutablesFolder) {
  RecordingMessageBoxes boxes;
  const frmPellora fresh(boxes, frmPellora::Environment::OfThisProgram());
  EXPECT_EQ(std::filesystem::path(common::Utf16ToUtf8(fresh.Where().programFolder).value()),
            std::filesystem::read_symlink("/proc/self/exe").parent_path());
}

TEST_F(DatabaseLocation, DefaultDatabaseIsDataQdrInTheProgramFolder) {
  const struct {
    std::u16string folder, path;
  } cases[] = {
      {u"/opt/pellora", u"/opt/pellora/data.qdr"},
      {u"/opt/pellora/", u"/opt/pellora/data.qdr"},
      {u"/", u"/data.qdr"},
      {u"/データ/髙橋", u"/データ/髙橋/data.qdr"},
  };
  for (const auto& c : cases) EXPECT_EQ(DefaultDBPath(c.folder), c.path);
}

TEST_F(DatabaseLocation, DefaultSettingsFileIsVelkarIniBesideTheProgramIfItIsThere) {
  const std::u16string folder = U16(dir.path());
  EXPECT_EQ(DefaultIniFileName(folder, {}), folder + u"/");
  std::filesystem::create_directory(dir / "velkar.ini");  // a folder of that name is no settings file
  EXPECT_EQ(DefaultIniFileName(folder, {}), folder + u"/");
  std::filesystem::remove(dir / "velkar.ini");
  WriteSettings(dir, "velkar.ini", "[qdr]\n");
  EXPECT_EQ(DefaultIniFileName(folder, {}), U16(dir / "velkar.ini"));
}

// Installed in a system folder: the user's configuration folder, then the
// machine's, but a velkar.ini beside the program still comes first.
TEST_F(DatabaseLocation, SettingsFileOfAnInstalledProgramComesFromTheConfigurationFolders) {
  const std::filesystem::path program = dir / "bin", user = dir / "user", machine = dir / "etc";
  for (const auto& folder : {program, user, machine}) std::filesystem::create_directory(folder);
  const std::vector<std::u16string> settingsFolders = {U16(user), U16(dir / "missing"), U16(machine)};
  EXPECT_EQ(DefaultIniFileName(U16(program), settingsFolders), U16(program) + u"/");
  std::ofstream(machine / "velkar.ini") << "[qdr]\n";
  EXPECT_EQ(DefaultIniFileName(U16(program), settingsFolders), U16(machine / "velkar.ini"));
  std::ofstream(user / "velkar.ini") << "[qdr]\n";
  EXPECT_EQ(DefaultIniFileName(U16(program), settingsFolders), U16(user / "velkar.ini"));
  std::ofstream(program / "velkar.ini") << "[qdr]\n";
  EXPECT_EQ(DefaultIniFileName(U16(program), settingsFolders), U16(program / "velkar.ini"));
  // A folder the platform puts first (the user's own on Windows) comes
  // before the program's.
  const std::filesystem::path first = dir / "first";
  std::filesystem::create_directory(first);
  EXPECT_EQ(DefaultIniFileName(U16(program), settingsFolders, {U16(first)}), U16(program / "velkar.ini"));
  std::ofstream(first / "velkar.ini") << "[qdr]\n";
  EXPECT_EQ(DefaultIniFileName(U16(program), settingsFolders, {U16(first)}), U16(first / "velkar.ini"));
}

TEST(ConfigurationFolders, FollowTheXdgBaseDirectoriesThenEtc) {
  const struct {
    const char* config;  // XDG_CONFIG_HOME, or nullptr for unset
    const char* home;
    const char* noSystem;  // PELLORA_CONFIG_NOSYSTEM
    std::vector<std::u16string> folders;
  } cases[] = {
      {"/cfg", "/home/u", nullptr, {u"/cfg/pellora", u"/etc/pellora"}},
      {nullptr, "/home/u", nullptr, {u"/home/u/.config/pellora", u"/etc/pellora"}},
      {"", "/home/u", nullptr, {u"/home/u/.config/pellora", u"/etc/pellora"}},
      {"relative/cfg", "/home/u", nullptr, {u"/home/u/.config/pellora", u"/etc/pellora"}},  // ignored, as XDG says
      {nullptr, nullptr, nullptr, {u"/etc/pellora"}},
      {"/cfg", "/home/u", "1", {u"/cfg/pellora"}},
      {"/cfg", "/home/u", "", {u"/cfg/pellora", u"/etc/pellora"}},
  };
  const auto saved = [](const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
  };
  const std::optional<std::string> config = saved("XDG_CONFIG_HOME"), home = saved("HOME"),
                                   noSystem = saved("PELLORA_CONFIG_NOSYSTEM");
  auto set = [](const char* name, const char* value) { value ? ::setenv(name, value, 1) : ::unsetenv(name); };
  for (const auto& c : cases) {
    set("XDG_CONFIG_HOME", c.config);
    set("HOME", c.home);
    set("PELLORA_CONFIG_NOSYSTEM", c.noSystem);
    const SettingsFolders folders = ConfigurationFolders("pellora");
    EXPECT_EQ(folders.then, c.folders) << (c.config ? c.config : "(unset)");
    EXPECT_TRUE(folders.first.empty()) << (c.config ? c.config : "(unset)");
  }
  set("XDG_CONFIG_HOME", config ? config->c_str() : nullptr);
  set("HOME", home ? home->c_str() : nullptr);
  set("PELLORA_CONFIG_NOSYSTEM", noSystem ? noSystem->c_str() : nullptr);
}

TEST_F(DatabaseLocation, CheckDatabaseIsTrueExactlyForAFileThatOpensAsADatabase) {
  const auto jet4 = WriteProviderDatabase(dir, DatabaseForm::Jet4Compressed, "jet4.qdr");
  const auto jet3 = WriteProviderDatabase(dir, DatabaseForm::Jet3CodePage932, "jet3.mdb");
  const auto named = WriteProviderDatabase(dir, DatabaseForm::Jet4Plain, "髙橋 ①.qdr");
  std::ofstream(dir / "text.qdr") << "not a database\n";
  std::ofstream(dir / "empty.qdr");
  ASSERT_EQ(::mkfifo((dir / "pipe.qdr").c_str(), 0600), 0);
  std::filesystem::create_symlink(jet4, dir / "link.qdr");
  const struct {
    std::u16string path;
    bool opens;
  } cases[] = {
      {U16(jet4), true},
      {U16(jet3), true},
      {U16(named), true},
      {U16(dir / "link.qdr"), true},
      {u"", false},
      {U16(dir / "missing.qdr"), false},
      {U16(dir.path()), false},
      {U16(dir / "text.qdr"), false},
      {U16(dir / "empty.qdr"), false},
      {U16(dir / "pipe.qdr"), false},
      {U16(jet4) + u'\0' + u"x", false},  // the name must not be cut at the NUL
      {U16(jet4) + u'\xD800', false},      // no file can have this name
  };
  for (const auto& c : cases) EXPECT_EQ(CheckDatabase(c.path), c.opens) << common::Utf16ToUtf8(c.path).value_or("?");
}

TEST_F(DatabaseLocation, ReadDatabaseLocationFollowsTheSettingsFile) {
  const auto elsewhere = WriteProviderDatabase(dir, DatabaseForm::Jet3CodePage932, "elsewhere.qdr");
  const std::string elsewhereUtf8 = elsewhere.string();
  // In velkar.ini's section, as a TAB line, or not at all (the default).
  const struct {
    const char* what;
    std::optional<std::string> settings;
    bool defaultExists;
    std::u16string expectedPath;
    std::optional<OleColor> settingsColour;  // nothing: left as it was
    OleColor databaseColour;
  } cases[] = {
      {"key in its section", "[qdr]\nQdrPath=" + elsewhereUtf8 + "\n", false, U16(elsewhere), std::nullopt,
       kLightYellow},
      {"TAB line in any case", "[other]\n  qdrpath\t" + elsewhereUtf8 + "  \n", false, U16(elsewhere), kLightYellow,
       kLightYellow},
      {"no key: the default", "[qdr]\nOther=1\n", true, U16(dir / "data.qdr"), kLightYellow, kLightYellow},
      {"no key, no default database", "[qdr]\n", false, U16(dir / "data.qdr"), kLightYellow, kPink},
      {"no settings file", std::nullopt, true, U16(dir / "data.qdr"), kPink, kLightYellow},
      {"key names a missing file", "[qdr]\nQdrPath=/nonexistent/data.qdr\n", true, u"/nonexistent/data.qdr",
       std::nullopt, kPink},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(dir / "velkar.ini");
    std::filesystem::remove(dir / "data.qdr");
    if (c.settings) WriteSettings(dir, "velkar.ini", *c.settings);
    if (c.defaultExists) WriteProviderDatabase(dir, DatabaseForm::Jet4Compressed);
    frmPellora& w = Renew();
    w.ReadDatabaseLocation(U16(dir / "velkar.ini"));
    EXPECT_EQ(w.lblDBname(1).Text, c.expectedPath) << c.what;
    EXPECT_EQ(w.lblDBname(1).BackColor, c.databaseColour) << c.what;
    EXPECT_EQ(w.lblDBname(0).BackColor, c.settingsColour.value_or(kWindowBackgroundColor)) << c.what;
    const bool found = c.databaseColour == kLightYellow;
    EXPECT_EQ(w.DBFound(), found) << c.what;
    EXPECT_EQ(w.DBPath(), found ? c.expectedPath : u"") << c.what;
  }
}

// A settings file as each kind of editor saves it, read for the database
// in a folder of that name: the path shown, and the database found there.
TEST_F(DatabaseLocation, ASettingsFileIsReadInTheEncodingItWasSavedIn) {
  const std::string bom = "\xEF\xBB\xBF";
  const auto utf8 = [](const std::string& text) { return text; };
  const auto cp932 = [](const std::string& text) { return common::cp932::Encode(common::Utf8ToUtf16(text)); };
  const struct {
    const char* what;
    std::string folder;
    std::function<std::string(const std::string&)> encode;
    std::string head;
    bool readsAsBoth;  // the bytes are UTF-8 and code page 932 alike
  } cases[] = {
      {"UTF-8 with its byte order mark before the section", "請求 データ", utf8, bom, false},
      {"UTF-8 without the mark", "請求 データ", utf8, "", false},
      {"UTF-8 whose bytes are also code page 932", "介護 保険", utf8, "", true},
      {"code page 932", "請求 データ", cp932, "", false},
      {"code page 932 whose bytes are also UTF-8", "ﾃｨ", cp932, "", true},
      {"ASCII", "claims", utf8, "", true},
  };
  for (const auto& c : cases) {
    std::filesystem::create_directory(dir / c.folder);
    const auto database = WriteProviderDatabase(dir, DatabaseForm::Jet4Compressed, c.folder + "/data.qdr");
    const std::string bytes = c.head + c.encode("[qdr]\r\nQdrPath=" + database.string() + "\r\n");
    ASSERT_EQ(common::IsWellFormedUtf8(bytes) && common::cp932::IsWellFormed(bytes), c.readsAsBoth) << c.what;
    std::ofstream(dir / "velkar.ini", std::ios::binary) << bytes;
    frmPellora& w = Renew();
    w.ReadDatabaseLocation(U16(dir / "velkar.ini"));
    EXPECT_EQ(w.lblDBname(1).Text, U16(database)) << c.what;
    EXPECT_EQ(w.lblDBname(1).BackColor, kLightYellow) << c.what;
    EXPECT_EQ(w.lblDBname(0).BackColor, kWindowBackgroundColor) << c.what;  // found in its section
  }
}

TEST_F(DatabaseLocation, AnEmptyPathIsNotGiven) {
  WriteSettings(dir, "velkar.ini", "QdrPath\t   \n");
  frmPellora& w = Renew();
  w.ReadDatabaseLocation(U16(dir / "velkar.ini"));
  EXPECT_EQ(w.lblDBname(1).Text, u"指定されていません｡");
  EXPECT_EQ(w.lblDBname(1).BackColor, kPink);  // light cyan, then pink: it does not open
  EXPECT_FALSE(w.DBFound());
  EXPECT_EQ(w.DBPath(), u"");
}

}  // namespace
}  // namespace pellora
