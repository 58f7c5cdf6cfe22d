// The lexer and the parser: what a string or a number in the IDL means, and
// the line that each refusal names.
#include "idlgen/parser.h"

#include <gtest/gtest.h>

#include <string>

#include "idlgen/lexer.h"
#include "tool_support/testing.h"

namespace {

TEST(IdlgenLexer, StringsKeepTheirTextWithEscapesResolved) {
  struct Case {
    const char* source;
    const char* text;
  } cases[] = {
      {R"("line\nbreak")", "line\nbreak"},
      {R"("tab\there")", "tab\there"},
      {R"("say \"hi\"")", "say \"hi\""},
      {R"("C:\\dir")", "C:\\dir"},
      // No octal or hexadecimal escapes: a backslash before any other
      // character stands for that character.
      {R"("\101\x41")", "101x41"},
      // UTF-8 passes through; the trail byte 0x5C of 表 exists only in the
      // code page 932 copy (widl_copy_test.cpp).
      {R"("表示")", "表示"},
  };
  for (const Case& c : cases) {
    idlgen::Lexer lex(c.source, "f.idl");
    idlgen::Token t = lex.Next();
    EXPECT_EQ(t.kind, idlgen::Token::string) << c.source;
    EXPECT_EQ(t.text, c.text) << c.source;
    EXPECT_EQ(lex.Next().kind, idlgen::Token::end) << c.source;
  }
}

TEST(IdlgenLexer, NumbersInTheCForms) {
  struct Case {
    const char* source;
    long long value;
  } cases[] = {{"24201", 24201}, {"0x0409", 0x409}, {"010", 8}, {"42L", 42}, {"7u", 7}};
  for (const Case& c : cases) {
    idlgen::Lexer lex(c.source, "f.idl");
    EXPECT_EQ(lex.Next().value, c.value) << c.source;
  }
}

TEST(IdlgenParser, RefusesWithTheFileAndLineOfTheFault) {
  struct Case {
    const char* what;
    const char* idl;
    const char* message;
  } cases[] = {
      {"a string left open after comments of both kinds", "// one\n/* two\n three */\nimport \"oaidl.idl;\n",
       "f.idl:4: newline in a string"},
      {"a string left open at the end", "import \"oaidl.idl", "f.idl:1: unterminated string"},
      {"a comment left open", "import \"a.idl\";\n/* never closed\n\n", "f.idl:2: unterminated comment"},
      {"a bad number", "typedef enum E {\n  a = 0x\n} E;", "f.idl:2: bad number 0x"},
      {"a struct after preprocessor lines", "#include \"x.h\"\n  #define X 1\ntypedef struct S { long a; } S;",
       "f.idl:3: only typedef enum is understood by idlgen"},
      {"an unknown constant", "typedef enum E {\n  a = 1,\n  b = a | c\n} E;", "f.idl:3: unknown constant c"},
      {"an enum under another name", "typedef enum A { a } B;", "f.idl:1: enum A typedef'd as B"},
      {"a missing semicolon", "[dual]\ninterface I : IDispatch {\n  [id(1)] HRESULT M()\n};",
       "f.idl:4: expected ;, found }"},
      {"the end of the file inside an interface", "[dual] interface I : IDispatch {\n",
       "f.idl:2: unexpected end of file"},
      {"an unknown statement", "\nconst long x = 1;", "f.idl:2: const is not understood by idlgen"},
      {"a uuid left open", "[uuid(1234\n", "f.idl:1: missing )"},
      {"a coclass of a dispinterface", "library L {\n coclass C {\n  dispinterface D;\n };\n};",
       "f.idl:3: a coclass lists interfaces, found dispinterface"},
      {"a second library", "library A { };\nlibrary B { };", "f.idl:2: a second library"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(tool_support::MessageOf([&] { idlgen::Parse(c.idl, "f.idl"); }), c.message) << c.what;
}

TEST(IdlgenParser, EnumeratorsCountOnFromTheLastValue) {
  idlgen::Description d =
      idlgen::Parse("typedef enum E { a = -(2), b, c = a | 8, d = DISPID_NEWENUM + 1, e } E;", "f.idl");
  const auto& values = d.enums.at("E").values;
  ASSERT_EQ(values.size(), 5u);
  long long expected[] = {-2, -1, -2 | 8, -3, -2};
  for (std::size_t i = 0; i < values.size(); ++i) EXPECT_EQ(values[i].value, expected[i]) << values[i].name;
}

}  // namespace
