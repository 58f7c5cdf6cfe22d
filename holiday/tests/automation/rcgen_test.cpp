// Resources compiled by rcgen from data/sample.rc, read back through the
// platform functions; and rcgen's refusals.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/automation/ordinary_com.h"
#include "tests/automation/test_support.h"

using testing_support::Bstr;

namespace {

HMODULE Self() {
  static const int anchor = 0;
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&anchor), &module);
  return module;
}

std::u16string Load(UINT id) {
  OLECHAR buffer[64];
  int n = LoadStringW(Self(), id, buffer, 64);
  return std::u16string(buffer, static_cast<std::size_t>(n));
}

TEST(Rcgen, StringTableWithEscapesMacrosAndJapanese) {
  EXPECT_EQ(Load(9000), u"He said \"hi\"\tand left");
  EXPECT_EQ(Load(9001), u"ｶﾀｶﾅと漢字");
  EXPECT_EQ(Load(9002), u"0123456789") << "IDS_BASE | 2";
  EXPECT_EQ(Load(9003), u"") << "no such entry";
  EXPECT_EQ(LoadStringW(nullptr, 9001, nullptr, 0), 0);
}

TEST(Rcgen, LoadStringCutsToTheBuffer) {
  OLECHAR wide[5];
  EXPECT_EQ(LoadStringW(Self(), 9002, wide, 5), 4);
  EXPECT_EQ(std::u16string(wide), u"0123");
  const OLECHAR* direct = nullptr;
  EXPECT_EQ(LoadStringW(Self(), 9001, reinterpret_cast<LPWSTR>(&direct), 0), 7) << "pointer to the text itself";
  EXPECT_EQ(std::u16string(direct, 7), u"ｶﾀｶﾅと漢字");

  char ansi[64];
  // ｶﾀｶﾅ are one byte each, と漢字 two: 10 bytes in code page 932.
  EXPECT_EQ(LoadStringA(Self(), 9001, ansi, 64), 10);
  EXPECT_EQ(std::string(ansi), "\xb6\xc0\xb6\xc5\x82\xc6\x8a\xbf\x8e\x9a");
  EXPECT_EQ(LoadStringA(Self(), 9001, ansi, 7), 6) << "a double-byte character is not split";
  EXPECT_EQ(std::string(ansi), "\xb6\xc0\xb6\xc5\x82\xc6");
}

TEST(Rcgen, FileResourcesByNumberNameAndType) {
  HRSRC found = FindResourceW(Self(), MAKEINTRESOURCEW(101), u"registry");
  ASSERT_NE(found, nullptr) << "type names ignore case";
  std::ifstream in(std::string(SAMPLE_DIR) + "/sample.rgs", std::ios::binary);
  std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(SizeofResource(Self(), found), file.size());
  const char* data = static_cast<const char*>(LockResource(LoadResource(Self(), found)));
  EXPECT_EQ(std::string(data, file.size()), file);

  EXPECT_NE(FindResourceW(Self(), u"Script", RT_RCDATA), nullptr);
  EXPECT_NE(FindResourceW(Self(), u"#101", u"REGISTRY"), nullptr);
  EXPECT_EQ(FindResourceW(Self(), MAKEINTRESOURCEW(102), u"REGISTRY"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(FindResourceW(Self(), MAKEINTRESOURCEW(1), u"TYPELIB"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));

  HRSRC bitmap = FindResourceW(Self(), MAKEINTRESOURCEW(7001), RT_BITMAP);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(SizeofResource(Self(), bitmap), 58u - 14u) << "without the BMP file header";
  DWORD headerSize;
  std::memcpy(&headerSize, LockResource(LoadResource(Self(), bitmap)), 4);
  EXPECT_EQ(headerSize, 40u);
}

TEST(Rcgen, VersionResourceThroughTheModuleFile) {
  OLECHAR path[1024];
  ASSERT_GT(GetModuleFileNameW(Self(), path, 1024), 0u);
  DWORD handle = 7;
  DWORD size = GetFileVersionInfoSizeW(path, &handle);
  ASSERT_GT(size, 0u);
  EXPECT_EQ(handle, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), u"\\", reinterpret_cast<LPVOID*>(&fixed), &length));
  EXPECT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00030004u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00070008u);
  EXPECT_EQ(fixed->dwFileType, 2u);
  OLECHAR* text = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), u"\\StringFileInfo\\041104B0\\FileDescription",
                             reinterpret_cast<LPVOID*>(&text), &length));
  EXPECT_EQ(std::u16string(text), u"サンプル");
  EXPECT_EQ(length, 5u) << "characters with the terminating null";
  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), u"\\VarFileInfo\\Translation", reinterpret_cast<LPVOID*>(&translation),
                             &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x411);
  EXPECT_EQ(translation[1], 1200);
  EXPECT_FALSE(VerQueryValueW(block.data(), u"\\StringFileInfo\\041104B0\\Missing", reinterpret_cast<LPVOID*>(&text),
                              &length));

  Bstr version;
  ASSERT_EQ(sample::ModuleVersion(Self(), &version.b), S_OK);
  EXPECT_EQ(version.Text(), u"1.2.3.4");
  EXPECT_EQ(GetFileVersionInfoSizeW(u"/nonexistent/file.so", nullptr), 0u);
}

TEST(Rcgen, ModuleFileNameIsCutToTheBuffer) {
  OLECHAR full[1024], small[8];
  DWORD n = GetModuleFileNameW(nullptr, full, 1024);
  ASSERT_GT(n, 8u);
  EXPECT_EQ(full[0], u'/');
  EXPECT_EQ(GetModuleFileNameW(nullptr, small, 8), 8u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(small[7], 0);
  EXPECT_EQ(std::u16string(small), std::u16string(full, 7));
  EXPECT_EQ(Self(), GetModuleHandleW(nullptr)) << "the test program is the module of its own code";
}

// A DIALOGEX comes out as the platform's extended dialog template.
class TemplateReader {
 public:
  explicit TemplateReader(const BYTE* data) : p_(data), base_(data) {}
  WORD Word() {
    WORD v;
    std::memcpy(&v, p_, 2);
    p_ += 2;
    return v;
  }
  DWORD Dword() {
    DWORD v;
    std::memcpy(&v, p_, 4);
    p_ += 4;
    return v;
  }
  BYTE Byte() { return *p_++; }
  // A text, or 0xFFFF and a number (returned as "#number").
  std::u16string NameOrOrdinal() {
    WORD first = Word();
    if (first == 0xFFFF) {
      std::u16string n = u"#";
      for (char digit : std::to_string(Word())) n += static_cast<char16_t>(digit);
      return n;
    }
    std::u16string text;
    for (WORD c = first; c; c = Word()) text += static_cast<char16_t>(c);
    return text;
  }
  void Align() {
    while ((p_ - base_) % 4) ++p_;
  }

 private:
  const BYTE* p_;
  const BYTE* base_;
};

TEST(Rcgen, DialogAsTheExtendedTemplate) {
  HRSRC found = FindResourceW(Self(), MAKEINTRESOURCEW(7000), RT_DIALOG);
  ASSERT_NE(found, nullptr);
  TemplateReader t(static_cast<const BYTE*>(LockResource(LoadResource(Self(), found))));
  EXPECT_EQ(t.Word(), 1);
  EXPECT_EQ(t.Word(), 0xFFFF);
  EXPECT_EQ(t.Dword(), 0u) << "help id";
  EXPECT_EQ(t.Dword(), 0u) << "extended style";
  EXPECT_EQ(t.Dword(), 0x40u | 0x80u | 0x80000000u | 0x00C00000u | 0x00080000u);
  ASSERT_EQ(t.Word(), 4) << "controls";
  EXPECT_EQ(t.Word(), 0);
  EXPECT_EQ(t.Word(), 0);
  EXPECT_EQ(t.Word(), 222);
  EXPECT_EQ(t.Word(), 185);
  EXPECT_EQ(t.NameOrOrdinal(), u"") << "no menu";
  EXPECT_EQ(t.NameOrOrdinal(), u"") << "standard class";
  EXPECT_EQ(t.NameOrOrdinal(), u"サンプルについて");
  EXPECT_EQ(t.Word(), 9) << "points";
  EXPECT_EQ(t.Word(), 400) << "weight";
  EXPECT_EQ(t.Byte(), 0) << "italic";
  EXPECT_EQ(t.Byte(), 0x80) << "character set";
  EXPECT_EQ(t.NameOrOrdinal(), u"ＭＳ Ｐゴシック");

  struct Control {
    DWORD style;
    DWORD id;
    std::u16string cls, text;
    WORD x, cx;
  } expected[] = {
      {0x50000000u | 0xE, 0xFFFFFFFFu, u"#130", u"#7001", 7, 20},
      {0x50020000u | 0x80, 7005, u"#130", u"", 40, 120},
      {0x50010001u, 1, u"#128", u"OK", 165, 50},
      {0x50000000u, 7004, u"#128", u"ｼｽﾃﾑ情報(&S)", 165, 50},
  };
  for (const Control& c : expected) {
    t.Align();
    EXPECT_EQ(t.Dword(), 0u);
    EXPECT_EQ(t.Dword(), 0u);
    EXPECT_EQ(t.Dword(), c.style) << testing_support::Narrow(c.text);
    EXPECT_EQ(t.Word(), c.x);
    t.Word();
    EXPECT_EQ(t.Word(), c.cx);
    t.Word();
    EXPECT_EQ(t.Dword(), c.id);
    EXPECT_EQ(t.NameOrOrdinal(), c.cls);
    EXPECT_EQ(t.NameOrOrdinal(), c.text);
    EXPECT_EQ(t.Word(), 0) << "no creation data";
  }
}

// rcgen's refusals: each bad script stops the build with a message that
// names what is wrong.
struct BadScript {
  const char* what;
  const char* script;
  const char* message;
};

class RcgenRefuses : public ::testing::TestWithParam<BadScript> {};

TEST_P(RcgenRefuses, WithAMessage) {
  const BadScript& c = GetParam();
  char pattern[] = "/tmp/dovrel-rcgen-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  std::string dir = pattern;
  {
    std::ofstream out(dir + "/bad.rc");
    out << c.script;
  }
  std::string command = std::string(RCGEN_PATH) + " -o " + dir + "/out.cpp " + dir + "/bad.rc 2>" + dir + "/err.txt";
  int status = std::system(command.c_str());
  std::ifstream err(dir + "/err.txt");
  std::string message((std::istreambuf_iterator<char>(err)), std::istreambuf_iterator<char>());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << c.what;
  EXPECT_NE(message.find(c.message), std::string::npos) << c.what << ": " << message;
  std::ifstream out(dir + "/out.cpp");
  EXPECT_FALSE(out.good()) << c.what << ": no output";
  std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RcgenRefuses,
    ::testing::Values(
        BadScript{"menu", "1 MENU\nBEGIN\nEND\n", "MENU resources are not supported"},
        BadScript{"dialog with a menu", "1 DIALOGEX 0, 0, 9, 9\nMENU 3\nBEGIN\nEND\n", "MENU is not supported in a DIALOGEX"},
        BadScript{"unknown control", "1 DIALOGEX 0, 0, 9, 9\nBEGIN\n LISTBOX 5, 0, 0, 9, 9\nEND\n", "the control LISTBOX is not supported"},
        BadScript{"no code page", "STRINGTABLE\nBEGIN\n 1 \"漢字\"\nEND\n", "#pragma code_page(65001)"},
        BadScript{"other code page", "#pragma code_page(932)\n", "resource scripts are UTF-8"},
        BadScript{"not in code page 932", "#pragma code_page(65001)\nSTRINGTABLE\nBEGIN\n 1 \"한국\"\nEND\n",
                  "code page 932 cannot hold"},
        BadScript{"twice the same string", "STRINGTABLE\nBEGIN\n 1 \"a\"\n 1 \"b\"\nEND\n", "string 1 twice"},
        BadScript{"missing file", "101 REGISTRY \"nowhere.rgs\"\n", "cannot read"},
        BadScript{"unknown name", "STRINGTABLE\nBEGIN\n IDS_NOWHERE \"a\"\nEND\n", "expected a number"},
        BadScript{"unterminated string", "STRINGTABLE\nBEGIN\n 1 \"a\nEND\n", "unterminated string"}),
    [](const auto& info) { return testing_support::CaseName(info.param.what); });

}  // namespace
