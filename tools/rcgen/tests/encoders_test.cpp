// The dialog's styles and controls, the bitmap drawn from text, the depfile.
#include <gtest/gtest.h>

#include <string>

#include "rcgen/bitmap.h"
#include "rcgen/cpp_writer.h"
#include "rcgen/dialog.h"
#include "rcgen/tokens.h"
#include "tool_support/testing.h"

namespace {

// What follows "<name> DIALOGEX", on one line.
rcgen::Dialog ReadDialog(const std::string& text) {
  rcgen::Tokeniser tokeniser;
  tokeniser.utf8 = true;
  tokeniser.Line(text, "d.rc:1");
  const rcgen::Defines none;
  rcgen::TokenReader in(tokeniser.tokens, none);
  return rcgen::ReadDialogEx(in);
}

TEST(RcgenDialog, TheStyleOfTheDialog) {
  struct Case {
    const char* text;
    std::uint32_t style;
  } cases[] = {
      {"0, 0, 9, 9 BEGIN END", 0x80880000u},  // WS_POPUP | WS_BORDER | WS_SYSMENU
      {"0, 0, 9, 9 CAPTION \"c\" BEGIN END", 0x80C80000u},
      {"0, 0, 9, 9 STYLE WS_POPUP CAPTION \"c\" BEGIN END", 0x80000000u},
      {"0, 0, 9, 9 CAPTION \"c\" STYLE WS_POPUP BEGIN END", 0x80000000u},
      {"0, 0, 9, 9 FONT 9, \"f\" BEGIN END", 0x80880040u},  // DS_SETFONT
      {"0, 0, 9, 9 STYLE WS_POPUP | WS_CAPTION | NOT WS_BORDER { }", 0x80400000u},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadDialog(c.text).style, c.style) << c.text;

  rcgen::Dialog d = ReadDialog("1, 2, 222, 185, 77 FONT 9, \"ＭＳ Ｐゴシック\", 400, 1, 0x80 BEGIN END");
  EXPECT_EQ(d.helpId, 77u);
  EXPECT_EQ(d.face, u"ＭＳ Ｐゴシック");
  EXPECT_EQ(d.weight, 400);
  EXPECT_EQ(d.italic, 1);
  EXPECT_EQ(d.charset, 0x80);
}

TEST(RcgenDialog, EachControlWithItsClassAndStyle) {
  struct Case {
    const char* control;
    std::uint32_t style, exStyle;
    int classOrdinal;
    std::u16string className, text;
    int textOrdinal;
    std::int16_t cx;
  } cases[] = {
      {"LTEXT \"a\", 5, 1, 2, 3, 4", 0x50020000u, 0, 0x82, u"", u"a", -1, 3},
      {"RTEXT \"a\", 5, 1, 2, 3, 4, SS_NOPREFIX", 0x50020082u, 0, 0x82, u"", u"a", -1, 3},
      {"EDITTEXT 5, 1, 2, 3, 4, ES_READONLY, WS_EX_CLIENTEDGE", 0x50810800u, 0x200, 0x81, u"", u"", -1, 3},
      {"PUSHBUTTON \"ｼｽﾃﾑ情報(&S)\", 5, 1, 2, 3, 4, NOT WS_TABSTOP", 0x50000000u, 0, 0x80, u"", u"ｼｽﾃﾑ情報(&S)", -1, 3},
      {"DEFPUSHBUTTON \"OK\", IDOK, 1, 2, 3, 4", 0x50010001u, 0, 0x80, u"", u"OK", -1, 3},
      {"GROUPBOX \"g\", 5, 1, 2, 3, 4", 0x50000007u, 0, 0x80, u"", u"g", -1, 3},
      {"ICON 7001, 5, 1, 2", 0x50000003u, 0, 0x82, u"", u"", 7001, 0},
      {"ICON 7001, 5, 1, 2, 32, 32", 0x50000003u, 0, 0x82, u"", u"", 7001, 32},
      {"CONTROL 7001, IDC_STATIC, \"Static\", SS_BITMAP, 1, 2, 3, 4", 0x5000000Eu, 0, 0x82, u"", u"", 7001, 3},
      {"CONTROL \"x\", 5, \"SysMonthCal32\", 0, 1, 2, 3, 4, WS_EX_STATICEDGE", 0x50000000u, 0x20000, 0,
       u"SysMonthCal32", u"x", -1, 3},
  };
  for (const Case& c : cases) {
    rcgen::Dialog d = ReadDialog(std::string("0, 0, 9, 9 BEGIN ") + c.control + " END");
    ASSERT_EQ(d.items.size(), 1u) << c.control;
    const rcgen::DialogItem& item = d.items[0];
    EXPECT_EQ(item.style, c.style) << c.control;
    EXPECT_EQ(item.exStyle, c.exStyle) << c.control;
    EXPECT_EQ(item.classOrdinal, c.classOrdinal) << c.control;
    EXPECT_EQ(item.className, c.className) << c.control;
    EXPECT_EQ(item.text, c.text) << c.control;
    EXPECT_EQ(item.textOrdinal, c.textOrdinal) << c.control;
    EXPECT_EQ(item.cx, c.cx) << c.control;
  }
}

TEST(RcgenBitmap, RowsFromTheBottomInBlueGreenRedPaddedTo32Bits) {
  const std::string bmp = rcgen::EncodeBmp(
      rcgen::ReadPicture("# two rows\nsize 3 2\ncolor r FF0000\ncolor b 0000ff\npixels\nrrb\nbbr\n\n", "p"));
  ASSERT_EQ(bmp.size(), 54u + 2 * 12);
  auto field = [&](std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bmp[at + i]);
    return v;
  };
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(field(2, 4), 78u) << "file size";
  EXPECT_EQ(field(10, 4), 54u) << "offset of the pixels";
  EXPECT_EQ(field(18, 4), 3u);
  EXPECT_EQ(field(22, 4), 2u) << "positive: bottom-up";
  EXPECT_EQ(field(28, 2), 24u);
  EXPECT_EQ(field(34, 4), 24u) << "image size";
  EXPECT_EQ(bmp.substr(54), std::string("\xFF\0\0\xFF\0\0\0\0\xFF\0\0\0"
                                        "\0\0\xFF\0\0\xFF\xFF\0\0\0\0\0",
                                        24));
}

TEST(RcgenBitmap, RefusalsNameTheLine) {
  struct Case {
    const char* picture;
    const char* message;
  } cases[] = {
      {"size 2 1\ncolor a 000000\npixels\naaa\n", "p.txt:4: a row must have 2 pixels"},
      {"size 1 1\npixels\nz\n", "p.txt:3: no colour for 'z'"},
      {"size 1 1\ncolor a 000000\npixels\na\na\n", "p.txt:5: more rows than the size says"},
      {"size 1 2\ncolor a 000000\npixels\na\n", "p.txt: 2 rows expected"},
      {"size 0 1\n", "p.txt:1: bad size"},
      {"size 1025 1\n", "p.txt:1: bad size"},
      {"# c\ncolor a red\n", "p.txt:2: write a colour as: color <character> RRGGBB"},
      {"pixels\n", "p.txt:1: the size comes before the pixels"},
      {"draw\n", "p.txt:1: unknown line draw"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(tool_support::MessageOf([&] { rcgen::ReadPicture(c.picture, "p.txt"); }), c.message);
}

TEST(RcgenDepfile, PathsEscapedForMake) {
  EXPECT_EQ(rcgen::Depfile("out dir/x.cpp", {"/a#b.rc", "/c$d.h"}), "out\\ dir/x.cpp: /a\\#b.rc /c$$d.h\n");
}

}  // namespace
