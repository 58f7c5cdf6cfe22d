// What the about box decides without a screen: its build line, the dialog
// of the resource script, and the system information tool the machine
// names.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "about/about_box.h"
#include "about/about_box_toolkit.h"
#include "about/dialog_template.h"
#include "resources/resource.h"
#include "tests/typelib/typelib_support.h"

namespace {

using namespace typelib_testing;

TEST(AboutBox, TheBuildLineNamesTheProductAndTheVersionWithTwoSpacesAfterTheHyphen) {
  EXPECT_EQ(Utf8(dovrel::AboutBuildLine(u"6.0.2.3")), "dvDovrel ActiveX Control -  (Build:6.0.2.3)");
  EXPECT_EQ(Utf8(dovrel::AboutBuildLine(u"")), "dvDovrel ActiveX Control -  (Build:)");
}

dovrel::DialogTemplate Dialog7000() {
  HMODULE module = dovrel::ThisModule();
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDD_ABOUTBOX), RT_DIALOG);
  EXPECT_NE(found, nullptr);
  auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  auto dialog = dovrel::ReadDialogTemplate(data, SizeofResource(module, found));
  EXPECT_TRUE(dialog.has_value());
  return dialog.value_or(dovrel::DialogTemplate{});
}

const dovrel::DialogControlTemplate* ControlOf(const dovrel::DialogTemplate& d, DWORD id) {
  for (const auto& c : d.controls)
    if (c.id == id) return &c;
  return nullptr;
}

TEST(AboutBox, Dialog7000HasItsSizeFontAndTheControlsTheBehaviourNeeds) {
  dovrel::DialogTemplate d = Dialog7000();
  EXPECT_EQ(d.cx, 222);
  EXPECT_EQ(d.cy, 185);
  EXPECT_TRUE(d.hasFont);
  EXPECT_EQ(d.pointSize, 9);
  EXPECT_EQ(Utf8(d.fontName), "ＭＳ Ｐゴシック");
  EXPECT_TRUE(d.style & 0x80000000u) << "a popup";

  const auto* build = ControlOf(d, IDC_ABOUT_BUILD);
  ASSERT_NE(build, nullptr);
  EXPECT_EQ(build->windowClass.ordinal, 0x82) << "a static text, filled at start";
  const auto* ok = ControlOf(d, 1);
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->windowClass.ordinal, 0x80);
  EXPECT_EQ(ok->style & 0xF, 1u) << "the default push button";
  EXPECT_EQ(Utf8(ok->text.text), "OK");
  const auto* sysinfo = ControlOf(d, IDC_ABOUT_SYSINFO);
  ASSERT_NE(sysinfo, nullptr);
  EXPECT_EQ(sysinfo->style & 0xF, 0u);
  EXPECT_EQ(Utf8(sysinfo->text.text), "ｼｽﾃﾑ情報(&S)");
  const auto* picture = ControlOf(d, IDC_ABOUT_PICTURE);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->style & 0x1F, 0xEu) << "SS_BITMAP";
  EXPECT_EQ(picture->text.ordinal, IDB_ABOUTBOX);
  // Buttons at the lower right, inside the dialog.
  for (const auto* button : {ok, sysinfo}) {
    EXPECT_GT(button->x, d.cx / 2);
    EXPECT_GT(button->y, d.cy / 2);
    EXPECT_LE(button->x + button->cx, d.cx);
    EXPECT_LE(button->y + button->cy, d.cy);
  }
  HRSRC bitmap = FindResourceW(dovrel::ThisModule(), MAKEINTRESOURCEW(IDB_ABOUTBOX), RT_BITMAP);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(SizeofResource(dovrel::ThisModule(), bitmap), 40u + 48u * 48u * 3u) << "a 48 x 48 DIB, no file header";
}

TEST(AboutBox, ATruncatedOrForeignTemplateIsNotADialog) {
  HMODULE module = dovrel::ThisModule();
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDD_ABOUTBOX), RT_DIALOG);
  ASSERT_NE(found, nullptr);
  auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  DWORD size = SizeofResource(module, found);
  for (DWORD cut : {0u, 1u, 20u, 60u, size / 2, size - 1})
    EXPECT_FALSE(dovrel::ReadDialogTemplate(data, cut).has_value()) << cut;
  const BYTE plain[] = {0x00, 0x00, 0x00, 0x80, 0, 0, 0, 0};  // a DLGTEMPLATE, not the extended one
  EXPECT_FALSE(dovrel::ReadDialogTemplate(plain, sizeof plain).has_value());
}

class SystemInformation : public ::testing::Test {
 protected:
  void Configure(const std::string& path) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Shared Tools\\MSINFO", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    std::u16string wide(path.begin(), path.end());
    RegSetValueExW(key, u"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                   static_cast<DWORD>((wide.size() + 1) * 2));
    RegCloseKey(key);
  }
  // A tool that leaves a mark when it runs.
  std::string WriteTool(const std::string& name) {
    std::string tool = registry_.Dir() + "/" + name;
    std::ofstream(tool) << "#!/bin/sh\ntouch '" << registry_.Dir() << "/ran'\n";
    chmod(tool.c_str(), 0755);
    return tool;
  }
  bool Ran(int tries = 500) {
    for (int i = 0; i < tries; ++i) {
      if (access((registry_.Dir() + "/ran").c_str(), F_OK) == 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  TempRegistry registry_;
};

TEST_F(SystemInformation, WithoutAConfiguredToolTheButtonDoesNothing) {
  EXPECT_FALSE(dovrel::SystemInformationTool().has_value());
  dovrel::StartSystemInformation();
}

// A long path (beyond the 128 bytes of the platform's buffer) and blanks in
// it: the path is a file, not a command line.
TEST_F(SystemInformation, TheConfiguredToolStartsWhateverItsPath) {
  std::string folder = "folder with blanks " + std::string(120, 'x');
  ASSERT_EQ(mkdir((registry_.Dir() + "/" + folder).c_str(), 0755), 0);
  std::string tool = WriteTool(folder + "/msinfo tool");
  Configure(tool);
  auto found = dovrel::SystemInformationTool();
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(Utf8(*found), tool);
  dovrel::StartSystemInformation();
  EXPECT_TRUE(Ran());
}

TEST_F(SystemInformation, AToolThatIsNotThereIsNotStarted) {
  Configure(registry_.Dir() + "/missing");
  EXPECT_TRUE(dovrel::SystemInformationTool().has_value());
  EXPECT_EQ(ShellExecuteW(nullptr, u"open", std::u16string(u"/no/such/tool").c_str(), nullptr, nullptr, SW_SHOWNORMAL),
            reinterpret_cast<HINSTANCE>(SE_ERR_FNF));
  dovrel::StartSystemInformation();
  EXPECT_FALSE(Ran(20));
}

TEST(AboutBox, WithoutItsToolkitTheAboutBoxReturnsAtOnce) {
  EXPECT_EQ(dovrel::ShowAboutBoxWith(u"6.0.2.3", u"/no/such/libdovrel60-about.so"), S_OK);
}

}  // namespace
