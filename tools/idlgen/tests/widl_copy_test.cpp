// The code page 932 copy of the IDL that widl compiles on Windows.
#include "idlgen/widl_copy.h"

#include <gtest/gtest.h>

#include <string>

#include "tool_support/testing.h"

namespace {

TEST(IdlgenWidlCopy, CodePage932WithTrailBackslashesDoubledInStrings) {
  struct Case {
    const char* what;
    const char* idl;
    const char* copy;
  } cases[] = {
      {"ASCII and line ends as they are", "import \"a.idl\";\r\n// x\n", "import \"a.idl\";\r\n// x\n"},
      {"a character without 0x5C", "\"は\"", "\"\x82\xCD\""},
      {"表 is 95 5C", "[helpstring(\"表示\")]", "[helpstring(\"\x95\x5C\x5C\x8E\xA6\")]"},
      {"half-width katakana, one byte each", "\"ｼｽﾃﾑ\"", "\"\xBC\xBD\xC3\xD1\""},
      {"an escaped quote does not end the string", "\"\\\"ソ\"", "\"\\\"\x83\x5C\x5C\""},
      {"an escaped backslash does not escape the quote after it", "\"\\\\\" \"ソ\"", "\"\\\\\" \"\x83\x5C\x5C\""},
  };
  for (const Case& c : cases) EXPECT_EQ(idlgen::ToCp932ForWidl(c.idl), c.copy) << c.what;
}

TEST(IdlgenWidlCopy, RefusesWithTheLine) {
  struct Case {
    const char* what;
    const char* idl;
    const char* message;
  } cases[] = {
      {"a trail byte 0x5C in a comment would continue the line", "\"a\"\n// 表\n",
       "line 2: a trail byte 0x5C outside a string literal"},
      {"after a string closed by a quote that an escaped backslash does not escape", "\"\\\\\"表",
       "line 1: a trail byte 0x5C outside a string literal"},
      {"an emoji", "\n\n\"\xF0\x9F\x98\x80\"", "line 3: a character that code page 932 lacks"},
      {"Hangul", "\"한\"", "line 1: a character that code page 932 lacks"},
      {"a byte that is not UTF-8", "\n\"\xFF\"", "line 2: a character that code page 932 lacks"},
      {"a character cut short at the end", "\"\xE8\xA1", "line 1: a character that code page 932 lacks"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(tool_support::MessageOf([&] { idlgen::ToCp932ForWidl(c.idl); }), c.message) << c.what;
}

}  // namespace
