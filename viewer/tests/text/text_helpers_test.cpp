// The double-byte text helpers and the number texts of claim fields: byte
// lengths and byte-wise cuts in code page 932, the value of a text, the
// decimal text of a value and the six-digit form of insurer numbers, the same
// under any process locale.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "errors/routine_error.h"
#include "tests/text/comma_locale.h"
#include "text/ansi_text.h"
#include "text/number_text.h"

namespace pellora {
namespace {

std::string Printable(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out.push_back(static_cast<char>(c));
    } else {
      char code[12];
      std::snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned>(c));
      out += code;
    }
  }
  return out;
}

TEST(AnsiLenB, CountsOneBytePerAsciiOrHalfWidthKanaAndTwoPerJapaneseCharacter) {
  const struct {
    std::u16string text;
    std::int32_t bytes;
  } cases[] = {
      {u"", 0},
      {u"abc", 3},
      {u"介護給", 6},
      {u"abc介護", 7},
      {u"ｶﾅ", 2},                  // half-width katakana: one byte each
      {u"①髙～", 6},               // NEC and IBM extensions are double-byte too
      {std::u16string(255, u'\0'), 255},  // the profile reader's empty buffer
      {u"a\U0001F600b", 3},        // a character the code page lacks: one "?"
  };
  for (const auto& c : cases) EXPECT_EQ(AnsiLenB(c.text), c.bytes) << Printable(c.text);
}

TEST(AnsiLeftB, CutsTheAnsiFormByBytes) {
  const struct {
    std::u16string text;
    std::int32_t n;
    std::u16string expected;
  } cases[] = {
      {u"abc介護", 0, u""},
      {u"abc介護", 3, u"abc"},
      {u"abc介護", 5, u"abc介"},
      {u"abc介護", 7, u"abc介護"},     // n equal to the byte length: unchanged
      {u"abc介護", 100, u"abc介護"},   // beyond it: all of it
      {u"abc介護", 4, u"abc\uFFFD"},   // between the two bytes of 介
      {u"", 5, u""},
  };
  for (const auto& c : cases) EXPECT_EQ(AnsiLeftB(c.text, c.n), c.expected) << Printable(c.text) << " " << c.n;
}

TEST(AnsiLeftB, TakesAValueOutOfAZeroFilledBufferAtItsByteCount) {
  // As the profile reader does: a buffer of zero characters, a value written
  // over its start, the value's byte count returned beside it.
  const std::u16string value = u"C:/データ/data.qdr";
  std::u16string buffer = value + std::u16string(255 - AnsiLenB(value), u'\0');
  EXPECT_EQ(AnsiLenB(buffer), 255);
  EXPECT_EQ(AnsiLeftB(buffer, AnsiLenB(value)), value);
}

TEST(AnsiStrConv, ConvertsBothWaysWithItsTwoCodesAndRefusesAnyOther) {
  const std::u16string text = u"給付管理票情報,ｶﾅ\\";
  const std::string bytes = AnsiStrConv(text, vbFromUnicode);
  EXPECT_EQ(bytes, "\x8B\x8B\x95\x74\x8A\xC7\x97\x9D\x95\x5B\x8F\xEE\x95\xF1,\xB6\xC5\\");
  EXPECT_EQ(AnsiStrConv(bytes, vbUnicode), text);

  const struct {
    bool fromText;
    int code;
  } refused[] = {{true, vbUnicode}, {false, vbFromUnicode}, {true, 1}, {false, 0}, {true, 4}};
  for (const auto& r : refused) {
    try {
      if (r.fromText) {
        AnsiStrConv(std::u16string_view(u"a"), r.code);
      } else {
        AnsiStrConv(std::string_view("a"), r.code);
      }
      ADD_FAILURE() << "code " << r.code << " was accepted";
    } catch (const RoutineError& e) {
      EXPECT_EQ(e.number(), kErrInvalidProcedureCall);
      EXPECT_EQ(e.description(), u"プロシージャの呼び出し、または引数が不正です。");
    }
  }
}

TEST(AnsiLeftB, NegativeCountIsAnInvalidCall) {
  try {
    AnsiLeftB(u"abc", -1);
    ADD_FAILURE() << "a negative count was accepted";
  } catch (const RoutineError& e) {
    EXPECT_EQ(e.number(), kErrInvalidProcedureCall);
  }
}

struct ValueCase {
  std::u16string text;
  double value;
};

const ValueCase kValueCases[] = {
    {u"", 0},
    {u"abc", 0},
    {u"0", 0},
    {u"000120", 120},
    {u"12 34", 1234},            // blanks are skipped anywhere
    {u" \t1\n2 . 5 ", 12.5},
    {u"12abc", 12},              // reading stops at what cannot continue a number
    {u"1.2.3", 1.2},
    {u"1,234", 1},               // a comma is never part of a number
    {u"-12", -12},
    {u"+12", 12},
    {u"- 12", -12},
    {u"--12", 0},
    {u"-", 0},
    {u".", 0},
    {u".5", 0.5},
    {u"5.", 5},
    {u"1.5e2", 150},
    {u"1E-2", 0.01},
    {u"1 e 3", 1000},
    {u"1e", 1},                  // an exponent needs a digit
    {u"1e+", 1},
    {u"1ex", 1},
    {u"e5", 0},
    {u"-0", 0},
    {u"１２", 0},                // full-width digits are not digits here
    {u"12\u3000 34", 12},        // nor is an ideographic space a blank
    {u"&H10", 0},
    {u"1e400", 1.7976931348623157e308},   // too large: the largest double
    {u"-1e400", -1.7976931348623157e308},
    {u"1e-400", 0},                        // too small: 0
    {u"0.000e999999999999999999", 0},
    {u"123456789012345678901234567890", 1.2345678901234568e29},
};

TEST(ValueOfText, ReadsTheLeadingNumberWithBlanksSkipped) {
  for (const auto& c : kValueCases) EXPECT_EQ(ValueOfText(c.text), c.value) << Printable(c.text);
  EXPECT_FALSE(std::signbit(ValueOfText(u"-0")));
  EXPECT_FALSE(std::signbit(ValueOfText(u"-1e-400")));
}

struct DecimalCase {
  std::u16string text;
  std::u16string decimal;
};

const DecimalCase kDecimalCases[] = {
    {u"000120", u"120"},
    {u"", u"0"},
    {u"12.50", u"12.5"},
    {u"0.1", u"0.1"},
    {u"-3.25", u"-3.25"},
    {u"-0", u"0"},
    {u"1e6", u"1000000"},
    {u"123456789012345", u"123456789012345"},
    {u"1e21", u"1000000000000000000000"},   // never an exponent
    {u"0.000001", u"0.000001"},
};

TEST(DecimalText, WritesNoLeadingZerosNoTrailingPointAndNoExponent) {
  for (const auto& c : kDecimalCases) EXPECT_EQ(DecimalText(ValueOfText(c.text)), c.decimal) << Printable(c.text);
  // The largest double has 309 digits, all of them written.
  const std::u16string largest = DecimalText(ValueOfText(u"1e400"));
  EXPECT_EQ(largest.size(), 309u);
  EXPECT_EQ(largest.substr(0, 6), u"179769");
}

struct PadCase {
  std::u16string text;
  std::u16string padded;
};

const PadCase kPadCases[] = {
    {u"1234", u"001234"},
    {u"131234", u"131234"},
    {u"", u"000000"},
    {u"abc", u"000000"},
    {u"12 34", u"001234"},
    {u"1234567", u"1234567"},    // more than six digits: all of them
    {u"0", u"000000"},
    {u"012345", u"012345"},
    {u"12345", u"012345"},
    {u" 12345 ", u"012345"},
    {u"12345X", u"012345"},
    // Whole and unsigned in every real claim; a damaged field is rounded,
    // halves away from zero, and keeps its sign in front of the zeros.
    {u"12.4", u"000012"},
    {u"12.5", u"000013"},
    {u"-12", u"-000012"},
    {u"-12.5", u"-000013"},
    {u"-0.4", u"000000"},
    {u"1e3", u"001000"},
    {u"12345678901234567890", u"12345678901234567168"},  // a double's exact digits
};

TEST(ZeroPad6, WritesTheValueWithAtLeastSixDigits) {
  for (const auto& c : kPadCases) EXPECT_EQ(ZeroPad6(c.text), c.padded) << Printable(c.text);
}

TEST(NumberTexts, AreTheSameUnderACommaDecimalLocale) {
  testing::CommaDecimalLocale comma;
  if (!comma.active()) GTEST_SKIP() << "no comma-decimal locale on this machine";
  for (const auto& c : kValueCases) EXPECT_EQ(ValueOfText(c.text), c.value) << Printable(c.text);
  for (const auto& c : kDecimalCases) EXPECT_EQ(DecimalText(ValueOfText(c.text)), c.decimal) << Printable(c.text);
  for (const auto& c : kPadCases) EXPECT_EQ(ZeroPad6(c.text), c.padded) << Printable(c.text);
  EXPECT_EQ(ValueOfText(u"12,5"), 12);  // the locale's decimal mark is still no part of a number
}

}  // namespace
}  // namespace pellora
