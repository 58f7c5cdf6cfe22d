// Whole scripts read from real files: every resource kind, the preprocessor
// subset, and each refusal with the file and line it names.
#include "rcgen/script.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "rcgen/bitmap.h"
#include "rcgen/cpp_writer.h"
#include "rcgen/tokens.h"
#include "tool_support/testing.h"

namespace {

class RcgenScript : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.empty()); }

  void Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ + "/" + name, std::ios::binary) << text;
  }
  rcgen::Script Read(const std::string& script, const std::vector<std::string>& includeDirs = {}) {
    Write("x.rc", script);
    return rcgen::ReadScript(dir_ + "/x.rc", includeDirs);
  }

  tool_support::TempFolder folder_;
  const std::string dir_ = folder_.Path();
};

TEST_F(RcgenScript, EveryKindOfResource) {
  Write("ids.h",
        "#ifndef IDS_H\n#define IDS_H\n#define IDS_BASE 9000\n"
        "#ifdef IDS_H\n#define IDS_LONG (IDS_BASE | 2)\n#else\n#define IDS_LONG 1\n#endif\n#endif\n");
  Write("a.rgs", "HKCR\n{\n}\n");
  std::filesystem::create_directory(dir_ + "/built");
  Write("built/drawn.bmp", rcgen::EncodeBmp(rcgen::ReadPicture("size 1 1\ncolor a 102030\npixels\na\n", "p")));
  rcgen::Script s = Read(
      "#pragma code_page(65001)\n#include <windows.h>\n#include \"ids.h\"\n"
      "#ifndef IDS_H\n1 MENU\n#endif\n"
      "LANGUAGE LANG_JAPANESE, SUBLANG_DEFAULT\n"
      "STRINGTABLE DISCARDABLE\nBEGIN\n"
      "    IDS_BASE, \"He said \"\"hi\"\"\\tand left\"\n"
      "    9001      \"表ｶﾅ\"\n"
      "    IDS_LONG  L\"wide\"\n"
      "END\n"
      "101 REGISTRY \"a.rgs\"\n"
      "script RCDATA DISCARDABLE \"a.rgs\"\n"
      "7 \"custom\" \"a.rgs\"\n"
      "8 300 \"a.rgs\"\n"
      "7001 BITMAP \"drawn.bmp\"\n",
      {dir_ + "/built"});

  EXPECT_EQ(s.strings.at(9000), "He said \"hi\"\tand left");
  EXPECT_EQ(s.strings.at(9001), "\x95\x5C\xB6\xC5") << "code page 932, the trail byte 5C once";
  EXPECT_EQ(s.strings.at(9002), "wide");
  struct Expected {
    const char* type;
    int typeId;
    const char* name;
    int nameId;
    std::size_t size;
  } expected[] = {
      {"REGISTRY", 0, "", 101, 9}, {"", 10, "SCRIPT", 0, 9},  {"CUSTOM", 0, "", 7, 9},
      {"", 300, "", 8, 9},         {"", 2, "", 7001, 40 + 4},  // the BMP without its 14-byte file header
  };
  ASSERT_EQ(s.resources.size(), std::size(expected));
  for (std::size_t i = 0; i < s.resources.size(); ++i) {
    const rcgen::Resource& r = s.resources[i];
    EXPECT_EQ(r.type, expected[i].type) << i;
    EXPECT_EQ(r.typeId, expected[i].typeId) << i;
    EXPECT_EQ(r.name, expected[i].name) << i;
    EXPECT_EQ(r.nameId, expected[i].nameId) << i;
    EXPECT_EQ(r.data.size(), expected[i].size) << i;
  }
  EXPECT_EQ(s.resources[4].data[0], 40) << "BITMAPINFOHEADER first";
  EXPECT_EQ(s.files,
            (std::set<std::string>{dir_ + "/x.rc", dir_ + "/ids.h", dir_ + "/a.rgs", dir_ + "/built/drawn.bmp"}));

  const std::string source = rcgen::ResourcesSource(s, "x.rc");
  EXPECT_NE(source.find("const char string9001[] = \"\\225\\134\\266\\305\";"), std::string::npos)
      << "every byte octal, so that 5C is no escape of the C++ literal";
  EXPECT_NE(source.find("{9001, string9001, 4},"), std::string::npos);
  EXPECT_NE(source.find("{type0, 0, nullptr, 101, data0, 9},"), std::string::npos);
  EXPECT_NE(source.find("{nullptr, 10, name1, 0, data1, 9},"), std::string::npos);
}

TEST_F(RcgenScript, VersionInformationNodeByNode) {
  rcgen::Script s = Read(
      "1 VERSIONINFO\n FILEVERSION 1,2,3,4\n FILETYPE VFT_APP\nBEGIN\n"
      "  VALUE \"T\", 0x411, 1200\n  VALUE \"W\", 1L\n  VALUE \"K\", \"ab\"\nEND\n");
  const rcgen::Bytes& v = s.resources.at(0).data;
  ASSERT_EQ(v.size(), 142u);
  EXPECT_EQ(v[0] | v[1] << 8, 142) << "the root's length";
  EXPECT_EQ(v[2] | v[3] << 8, 52) << "VS_FIXEDFILEINFO";
  const rcgen::Bytes fixed(v.begin() + 40, v.begin() + 56);  // after "VS_VERSION_INFO" and its padding
  EXPECT_EQ(fixed, (rcgen::Bytes{0xBD, 0x04, 0xEF, 0xFE, 0, 0, 1, 0, 2, 0, 1, 0, 4, 0, 3, 0}));
  EXPECT_EQ(v[40 + 36], 1) << "FILETYPE";
  const rcgen::Bytes children(v.begin() + 92, v.end());
  EXPECT_EQ(children, (rcgen::Bytes{
                          16, 0, 4, 0, 0, 0, 'T', 0, 0, 0, 0, 0, 0x11, 0x04, 0xB0, 0x04,        // two words
                          16, 0, 4, 0, 0, 0, 'W', 0, 0, 0, 0, 0, 1,    0,    0,    0,           // one L number
                          18, 0, 3, 0, 1, 0, 'K', 0, 0, 0, 0, 0, 'a',  0,    'b',  0,    0, 0,  // a text in characters
                      }));
}

TEST_F(RcgenScript, RefusalsNameTheFileAndLine) {
  struct Case {
    const char* what;
    const char* script;
    const char* message;  // $ stands for the test's folder
  } cases[] = {
      {"a missing include", "// ids\n#include \"missing.h\"\n", "$/x.rc:2: cannot read $/missing.h"},
      {"a missing file", "\n101 REGISTRY \"nowhere.rgs\"\n", "$/x.rc:2: cannot read $/nowhere.rgs"},
      {"a character code page 932 lacks", "#pragma code_page(65001)\nSTRINGTABLE\nBEGIN\n 1 \"한국\"\nEND\n",
       "$/x.rc:4: the text has a character that code page 932 cannot hold: \"한국\""},
      {"an unknown escape", "STRINGTABLE\nBEGIN\n 1 \"a\\qb\"\nEND\n", "$/x.rc:3: unknown escape \\q"},
      {"a string left open", "STRINGTABLE\nBEGIN\n 1 \"a\nEND\n", "$/x.rc:3: unterminated string"},
      {"another code page", "\n#pragma code_page(932)\n",
       "$/x.rc:2: resource scripts are UTF-8: use #pragma code_page(65001)"},
      {"lines joined by a backslash still count", "#define A 1 + \\\n  2\n1 MENU\n",
       "$/x.rc:3: MENU resources are not supported by rcgen yet"},
      {"a comment over lines", "/* one\n two */ 1 DIALOGEX 0, 0, 9, 9\nBEGIN\n LISTBOX 5, 0, 0, 9, 9\nEND\n",
       "$/x.rc:4: the control LISTBOX is not supported"},
      {"a dialog statement", "1 DIALOGEX 0, 0, 9, 9\nMENU 3\nBEGIN\nEND\n",
       "$/x.rc:2: MENU is not supported in a DIALOGEX"},
      {"a missing comma", "1 DIALOGEX 0, 0 9, 9\nBEGIN\nEND\n", "$/x.rc:1: expected ','"},
      {"#else without #if", "\n#else\n", "$/x.rc:2: #else without #if"},
      {"#if without #endif", "#ifdef A\n", "$/x.rc: #if without #endif"},
      {"a comment left open", "/* never\n", "$/x.rc: unterminated comment"},
      {"an unknown directive", "#error stop\n", "$/x.rc:1: #error is not supported"},
      {"an empty #include", "#include\n", "$/x.rc:1: bad #include"},
      {"a name that is no number", "STRINGTABLE\nBEGIN\n IDS_NOWHERE \"a\"\nEND\n",
       "$/x.rc:3: expected a number, found 'IDS_NOWHERE'"},
      {"a macro naming itself", "#define LOOP (LOOP + 1)\nSTRINGTABLE\nBEGIN\n LOOP \"a\"\nEND\n",
       "$/x.rc:4: expected a number, found 'LOOP'"},
      {"the same string twice", "STRINGTABLE\nBEGIN\n 1 \"a\"\n 1 \"b\"\nEND\n", "$/x.rc:4: string 1 twice"},
      {"a string id out of range", "STRINGTABLE\nBEGIN\n 65536 \"a\"\nEND\n", "$/x.rc:3: string id out of range"},
      {"a STRINGTABLE whose BEGIN never comes", "STRINGTABLE DISCARDABLE\n", "unexpected end of the resource script"},
      {"a version text mixing in a number", "1 VERSIONINFO\nBEGIN\n VALUE \"A\", \"x\", 2\nEND\n",
       "$/x.rc:3: a text value mixes in a number"},
      {"a bitmap that is no BMP", "1 BITMAP \"x.rc\"\n", "$/x.rc:1: $/x.rc is not a BMP file"},
  };
  for (const Case& c : cases) {
    std::string message = c.message;
    for (std::size_t at; (at = message.find('$')) != std::string::npos;) message.replace(at, 1, dir_);
    EXPECT_EQ(tool_support::MessageOf([&] { Read(c.script); }), message) << c.what;
  }
}

}  // namespace
