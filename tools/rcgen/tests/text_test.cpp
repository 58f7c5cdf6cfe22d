// String literals, tokens and the two forms a text is kept in.
#include "rcgen/text.h"

#include <gtest/gtest.h>

#include <string>

#include "rcgen/tokens.h"
#include "tool_support/testing.h"

namespace {

TEST(RcgenText, LiteralsWithTheirEscapes) {
  struct Case {
    const char* line;
    std::string text;
    std::size_t end;  // where reading stops: after the closing quote
  } cases[] = {
      {R"("He said ""hi""" rest)", "He said \"hi\"", 16},
      {R"("\n\t\r\\\"")", "\n\t\r\\\"", 12},
      {R"("nul\0x")", std::string("nul\0x", 5), 8},
      {R"("a\" , "b")", "a\" , ", 8},
      {"\"表\"", "表", 5},  // UTF-8 as it is: its code page 932 form is made later
  };
  for (const Case& c : cases) {
    std::size_t i = 0;
    EXPECT_EQ(rcgen::ReadQuoted(c.line, i, "x.rc:1", true), c.text) << c.line;
    EXPECT_EQ(i, c.end) << c.line;
  }
}

TEST(RcgenText, LiteralsRefused) {
  struct Case {
    const char* line;
    bool utf8;
    const char* message;
  } cases[] = {
      {R"("\q")", true, "x.rc:7: unknown escape \\q"},
      {R"("\101")", true, "x.rc:7: unknown escape \\1"},  // no octal escapes
      {R"("\x41")", true, "x.rc:7: unknown escape \\x"},  // nor hexadecimal ones
      {R"("open)", true, "x.rc:7: unterminated string"},
      {R"("ends in \)", true, "x.rc:7: unterminated string"},
      {"\"表\"", false, "x.rc:7: non-ASCII text needs #pragma code_page(65001) before it"},
  };
  for (const Case& c : cases) {
    std::size_t i = 0;
    EXPECT_EQ(tool_support::MessageOf([&] { rcgen::ReadQuoted(c.line, i, "x.rc:7", c.utf8); }), c.message);
  }
}

TEST(RcgenText, CodePage932KeepsATrailByte5COnce) {
  // 表 is 95 5C: the string table holds it as it is (the C++ writer writes
  // every byte as an octal escape, so 5C is never read as a backslash).
  EXPECT_EQ(rcgen::Cp932Of("表ｶﾅ", "w"), "\x95\x5C\xB6\xC5");
  EXPECT_EQ(rcgen::Utf16Of("表ｶﾅ", "w"), u"表ｶﾅ");
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"한국", "w: the text has a character that code page 932 cannot hold: \"한국\""},
      {"\xF0\x9F\x98\x80", "w: the text has a character that code page 932 cannot hold: \"\xF0\x9F\x98\x80\""},
      {"\xE8\xA1", "w: the text has a character that code page 932 cannot hold: \"\xE8\xA1\""},
  };
  for (const Case& c : cases) EXPECT_EQ(tool_support::MessageOf([&] { rcgen::Cp932Of(c.text, "w"); }), c.message);
  EXPECT_THROW(rcgen::Utf16Of("\xE8\xA1", "w"), rcgen::Error);
}

TEST(RcgenTokens, NumbersWordsAndStrings) {
  rcgen::Tokeniser t;
  t.Line(R"(0x0L, 12U L"wide" IDS_A|~1 /* to the next line)", "x.rc:1");
  t.Line(R"(still comment */ (-2) // the rest)", "x.rc:2");
  ASSERT_EQ(t.tokens.size(), 12u);
  EXPECT_TRUE(t.tokens[0].wide) << "an L number is four bytes in a version value";
  EXPECT_FALSE(t.tokens[2].wide);
  EXPECT_EQ(t.tokens[2].value, 12);
  EXPECT_EQ(t.tokens[3].kind, rcgen::Token::string);
  EXPECT_EQ(t.tokens[3].text, "wide");
  EXPECT_EQ(t.tokens[4].text, "IDS_A");
  EXPECT_EQ(t.tokens[9].text, "-");
  EXPECT_EQ(t.tokens[10].value, 2);
  EXPECT_EQ(t.tokens[10].where, "x.rc:2");
  EXPECT_FALSE(t.InComment());

  for (const char* bad : {"08", "0x", "12q"}) EXPECT_THROW(t.Line(bad, "x.rc:3"), rcgen::Error) << bad;
  EXPECT_EQ(tool_support::MessageOf([&] { t.Line("1 @", "x.rc:4"); }), "x.rc:4: unexpected character '@'");
}

}  // namespace
