// Code page 932 as iconv's CP932 converter maps it, checked against iconv
// itself over the whole code space, and the replacement of bytes that are
// not code page 932.

#include "common/cp932.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <optional>
#include <string>
#include <vector>

namespace common {
namespace {

// One independent conversion through iconv: the whole input at once, or
// nothing if iconv rejects any of it.
std::optional<std::string> Iconv(const char* to, const char* from, std::string_view input) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(input.size() * 4 + 8, '\0');
  char* in = const_cast<char*>(input.data());
  std::size_t inLeft = input.size();
  char* dst = out.data();
  std::size_t outLeft = out.size();
  const std::size_t rc = iconv(cd, &in, &inLeft, &dst, &outLeft);
  iconv_close(cd);
  if (rc == static_cast<std::size_t>(-1)) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

std::u16string FromUtf16Le(const std::string& bytes) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                         static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return text;
}

std::optional<std::u16string> IconvDecode(std::string_view bytes) {
  const auto out = Iconv("UTF-16LE", "CP932", bytes);
  if (!out) return std::nullopt;
  return FromUtf16Le(*out);
}

std::optional<std::string> IconvEncode(char16_t c) {
  const char in[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return Iconv("CP932", "UTF-16LE", std::string_view(in, 2));
}

// Every byte and byte pair that iconv accepts as one character.
std::vector<std::string> AllValidCharacters() {
  std::vector<std::string> chars;
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    if (IconvDecode(one)) {
      chars.push_back(one);
      continue;
    }
    for (int t = 0; t < 256; ++t) {
      const std::string two{static_cast<char>(b), static_cast<char>(t)};
      if (IconvDecode(two)) chars.push_back(two);
    }
  }
  return chars;
}

struct Mapping {
  const char* what;
  std::string bytes;
  std::u16string text;
};

TEST(Cp932Decode, WellKnownCharactersMapAsWindowsDoes) {
  const Mapping cases[] = {
      {"wave dash is the full-width tilde", "\x81\x60", u"\uFF5E"},
      {"circled digit one (NEC row 13)", "\x87\x40", u"\u2460"},
      {"backslash stays a backslash", "\x5C", u"\\"},
      {"tilde stays a tilde", "\x7E", u"~"},
      {"hiragana a", "\x82\xA0", u"\u3042"},
      {"half-width katakana", "\xB1\xDF", u"\uFF71\uFF9F"},
      {"ideographic space", "\x81\x40", u"\u3000"},
      {"IBM extension", "\xFA\x5C", u"\u7E8A"},
      {"NEC-selected IBM extension", "\xED\x40", u"\u7E8A"},
      {"user-defined area", "\xF0\x40", u"\uE000"},
      {"NUL is a character", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
      {"claim text", "\x8E\x52\x93\x63\x81\x40\x91\xBE\x98\x59", u"山田　太郎"},
  };
  for (const Mapping& m : cases) EXPECT_EQ(cp932::Decode(m.bytes), m.text) << m.what;
}

TEST(Cp932Decode, AgreesWithIconvOnEveryCharacterInOneStream) {
  // All characters back to back, with runs of ASCII between them so that the
  // eight-byte fast path starts and stops everywhere.
  std::string stream;
  int n = 0;
  for (const std::string& c : AllValidCharacters()) {
    stream += c;
    if (++n % 7 == 0) stream += "0123456789,\"";
  }
  const auto expected = IconvDecode(stream);
  ASSERT_TRUE(expected);
  EXPECT_EQ(cp932::Decode(stream), *expected);
}

TEST(Cp932Decode, BytesThatAreNotCodePage932BecomeReplacementCharacters) {
  const Mapping cases[] = {
      {"bytes with no meaning", "\x80\xA0\xFD\xFE\xFF", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"lead byte at the end", "ab\x82", u"ab\uFFFD"},
      {"lead byte before a comma keeps the comma", "\x82,x", u"\uFFFD,x"},
      {"lead byte before a quote keeps the quote", "\x82\"x\"", u"\uFFFD\"x\""},
      {"lead byte before a control byte", "\x82\x0Ax", u"\uFFFD\nx"},
      {"unmapped pair with an ASCII second byte keeps it", "\x85\x40", u"\uFFFD@"},
      {"unmapped pair with a non-ASCII second byte is one character", "\x85\x81z", u"\uFFFDz"},
      {"an unmapped pair of lead bytes", "\x85\x85", u"\uFFFD"},
      {"a lead byte left over after a pair", "\x81\x81\x81", u"\uFF1D\uFFFD"},
      {"stray byte inside ASCII runs", "12345678\x80" "12345678", u"12345678\uFFFD12345678"},
  };
  for (const Mapping& m : cases) EXPECT_EQ(cp932::Decode(m.bytes), m.text) << m.what;
}

TEST(Cp932Decode, ACallerChoosesTheReplacementAndCanAskForWellFormedText) {
  // The automation layer stands for broken bytes with U+30FB, as the ANSI
  // conversion of a Japanese Windows does.
  EXPECT_EQ(cp932::Decode("a\x85\x40\x82", u'\u30FB'), u"a\u30FB@\u30FB");
  EXPECT_TRUE(cp932::IsWellFormed("\x8E\x52\x93\x63,\xB1"));
  EXPECT_TRUE(cp932::IsWellFormed(""));
  EXPECT_FALSE(cp932::IsWellFormed("ab\x82"));
  EXPECT_FALSE(cp932::IsWellFormed("\x85\x40"));
  EXPECT_FALSE(cp932::IsWellFormed("\xFF"));
}

TEST(Cp932Decode, AppendsAfterWhatIsThere) {
  std::u16string text = u"x";
  cp932::DecodeAppend("\x82\xA0y", text);
  EXPECT_EQ(text, u"x\u3042y");
}

TEST(Cp932Encode, WellKnownCharacters) {
  const Mapping cases[] = {
      {"full-width tilde", "\x81\x60", u"\uFF5E"},
      {"wave dash goes where Windows puts it", "\x81\x60", u"\u301C"},
      {"circled digit one", "\x87\x40", u"\u2460"},
      {"IBM extension, not its NEC duplicate", "\xFA\x5C", u"\u7E8A"},
      {"yen sign becomes the backslash byte", "\x5C", u"\u00A5"},
      {"text", "\x8E\x52\x93\x63,1", u"山田,1"},
      {"unrepresentable characters", "???", u"\u00A6\uFFFD\uAC00"},
      {"a surrogate pair is one character", "a?b", u"a\U0001F600b"},
      {"unpaired surrogates, one byte each", "?x??", std::u16string{char16_t(0xD800), u'x', char16_t(0xDC00), char16_t(0xD800)}},
  };
  for (const Mapping& m : cases) EXPECT_EQ(cp932::Encode(m.text), m.bytes) << m.what;
}

TEST(Cp932Encode, ExactEncodingRefusesWhatHasNoCode) {
  EXPECT_EQ(cp932::EncodeExact(u"山田\u301C"), "\x8E\x52\x93\x63\x81\x60");
  EXPECT_FALSE(cp932::EncodeExact(u"a\uAC00"));
  EXPECT_FALSE(cp932::EncodeExact(std::u16string{u'a', char16_t(0xD800)}));
  std::string out = "x";
  EXPECT_EQ(cp932::EncodeAppend(u"a\uAC00\U0001F600b", out, '*'), 2u);
  EXPECT_EQ(out, "xa**b");
}

TEST(Cp932Encode, AgreesWithIconvOnEveryBmpCharacter) {
  int mismatches = 0;
  for (std::uint32_t c = 0; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const std::u16string text(1, static_cast<char16_t>(c));
    const std::string expected = IconvEncode(static_cast<char16_t>(c)).value_or(std::string(1, cp932::kDefaultChar));
    if (cp932::Encode(text) != expected && ++mismatches <= 5) ADD_FAILURE() << "U+" << std::hex << c;
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(Cp932, EveryDecodedCharacterEncodesBackToItself) {
  for (const std::string& c : AllValidCharacters()) {
    const std::u16string text = cp932::Decode(c);
    ASSERT_EQ(cp932::Decode(cp932::Encode(text)), text) << std::hex << int(static_cast<unsigned char>(c[0]));
  }
}

TEST(Cp932, LeadBytes) {
  EXPECT_TRUE(cp932::IsLeadByte(0x81));
  EXPECT_TRUE(cp932::IsLeadByte(0x9F));
  EXPECT_TRUE(cp932::IsLeadByte(0xE0));
  EXPECT_TRUE(cp932::IsLeadByte(0xFC));
  EXPECT_FALSE(cp932::IsLeadByte('A'));
  EXPECT_FALSE(cp932::IsLeadByte(0xA1));  // half-width katakana are single bytes
  EXPECT_FALSE(cp932::IsLeadByte(0x80));
}

}  // namespace
}  // namespace common
