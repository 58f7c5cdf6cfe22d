// idlgen as the build runs it, on small IDL files of the tests' own and on
// data/sample.idl: the compile-time check that catches a header that
// disagrees with the IDL, the refusals of what it does not understand, and
// the code page 932 copy for widl.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tool_support/testing.h"

namespace {

class Idlgen : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.empty()); }

  void Write(const std::string& name, const std::string& text) { std::ofstream(dir_ + "/" + name) << text; }
  std::string Read(const std::string& name) {
    std::ifstream in(dir_ + "/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // Runs a command in the test's folder; its exit status, output in `out`.
  int Run(const std::string& command, std::string* out = nullptr) {
    std::string full = "cd '" + dir_ + "' && " + command + " > output.txt 2>&1";
    int status = std::system(full.c_str());
    if (out) *out = Read("output.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  int Generate(std::string* out = nullptr) {
    return Run(std::string(IDLGEN) + " --source lib.cpp --header lib.h --include sample.h sample.idl", out);
  }
  // Compiles the generated source against the sample header, as the build
  // compiles it against the public header.
  int Compile(std::string* out) {
    return Run(std::string(CXX) + " -std=c++20 -fsyntax-only -I. -I" + AUTOMATION_DIR + " lib.cpp", out);
  }

  tool_support::TempFolder folder_;
  const std::string dir_ = folder_.Path();
};

const char* kIdl = R"(import "oaidl.idl";
typedef enum tColour { tRed = 1, tBlue = 2 } tColour;
[object, uuid(11111111-2222-3333-4444-555555555555), dual, oleautomation, helpstring("IPaint Interface")]
interface IPaint : IDispatch {
  [propget, id(1), helpstring("色")] HRESULT Colour([out, retval] tColour* pVal);
  [propput, id(1)] HRESULT Colour([in] tColour newVal);
  [id(2)] HRESULT Fill([in, optional] VARIANT Where, [in, defaultvalue(tBlue)] tColour With, [out, retval] long* pVal);
};
[uuid(11111111-2222-3333-4444-666666666666), version(2.1)]
library PaintLib {
  importlib("stdole2.tlb");
  [uuid(11111111-2222-3333-4444-777777777777)] coclass Paint { [default] interface IPaint; };
};
)";

std::string Header(const char* fill, int blue) {
  return std::string(R"(#pragma once
#include "automation/com.h"
typedef enum tColour { tRed = 1, tBlue = )") +
         std::to_string(blue) + R"( } tColour;
struct IPaint : public IDispatch {
  STDMETHOD(get_Colour)(tColour* pVal) PURE;
  STDMETHOD(put_Colour)(tColour newVal) PURE;
  )" + fill + R"( PURE;
};
)";
}

TEST_F(Idlgen, TheGeneratedThunksCompileAgainstAMatchingHeader) {
  Write("sample.idl", kIdl);
  Write("sample.h", Header("STDMETHOD(Fill)(VARIANT Where, tColour With, LONG* pVal)", 2));
  std::string out;
  ASSERT_EQ(Generate(&out), 0) << out;
  EXPECT_EQ(Compile(&out), 0) << out;
  std::string source = Read("lib.cpp");
  EXPECT_NE(source.find("PARAMFLAG_FIN | PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT, 2"), std::string::npos)
      << "the default names an enumerator";
  EXPECT_NE(source.find("u\"\\u8272\""), std::string::npos) << "the help string in UTF-16";
  EXPECT_NE(source.find("2, 1, 0, 0"), std::string::npos) << "version 2.1, no locale, no flags";
}

TEST_F(Idlgen, EveryTypeAndAttributeOfTheLibraryCompilesAgainstAMatchingHeader) {
  std::string out;
  ASSERT_EQ(Run(std::string("cp '") + SAMPLE_DIR + "/sample.idl' '" + SAMPLE_DIR + "/sample.h' .", &out), 0) << out;
  ASSERT_EQ(Generate(&out), 0) << out;
  EXPECT_EQ(Compile(&out), 0) << out;
}

TEST_F(Idlgen, AHeaderThatDisagreesWithTheIdlDoesNotCompile) {
  Write("sample.idl", kIdl);
  struct Case {
    const char* what;
    const char* fill;
    int blue;
  } cases[] = {
      {"a parameter of another type", "STDMETHOD(Fill)(VARIANT Where, LONG With, LONG* pVal)", 2},
      {"a result of another type", "STDMETHOD(Fill)(VARIANT Where, tColour With, SHORT* pVal)", 2},
      {"a member of another name", "STDMETHOD(Paint)(VARIANT Where, tColour With, LONG* pVal)", 2},
      {"an enumerator of another value", "STDMETHOD(Fill)(VARIANT Where, tColour With, LONG* pVal)", 3},
  };
  for (const Case& c : cases) {
    Write("sample.h", Header(c.fill, c.blue));
    std::string out;
    ASSERT_EQ(Generate(&out), 0) << out;
    EXPECT_NE(Compile(&out), 0) << c.what;
  }
}

TEST_F(Idlgen, WhatItDoesNotUnderstandIsRefusedWithItsLine) {
  struct Case {
    const char* what;
    const char* idl;
    const char* message;
  } cases[] = {
      {"a member without id",
       "[object, uuid(11111111-2222-3333-4444-555555555555), dual] interface I : IDispatch { HRESULT M(); };"
       "[uuid(11111111-2222-3333-4444-666666666666), version(1.0)] library L { coclass C { interface I; }; };",
       "has no id"},
      {"an interface that is not dual",
       "[object, uuid(11111111-2222-3333-4444-555555555555)] interface I : IUnknown { [id(1)] HRESULT M(); };"
       "[uuid(11111111-2222-3333-4444-666666666666), version(1.0)] library L { coclass C { interface I; }; };",
       "dual interfaces"},
      {"an unknown type",
       "[object, uuid(11111111-2222-3333-4444-555555555555), dual] interface I : IDispatch { [id(1)] HRESULT "
       "M([in] wchar_t c); };"
       "[uuid(11111111-2222-3333-4444-666666666666), version(1.0)] library L { coclass C { interface I; }; };",
       "unknown type wchar_t"},
      {"a struct", "typedef struct S { long a; } S;", "only typedef enum"},
      {"a bad uuid", "[uuid(not-a-guid), version(1.0)] library L { };", "bad uuid"},
      {"a string left open", "import \"oaidl.idl;\n", "newline in a string"},
  };
  for (const Case& c : cases) {
    Write("sample.idl", c.idl);
    std::string out;
    EXPECT_EQ(Generate(&out), 1) << c.what;
    EXPECT_NE(out.find(c.message), std::string::npos) << c.what << ": " << out;
  }
}

TEST_F(Idlgen, TheWindowsCopyIsCodePage932WithTrailBackslashesDoubledInStrings) {
  Write("sample.idl", "[helpstring(\"表示\")] // 表\n");
  std::string out;
  EXPECT_EQ(Run(std::string(IDLGEN) + " --cp932 sample.idl -o out.idl", &out), 1)
      << "a trail byte 0x5C outside a string would end a comment line in a continuation";
  EXPECT_NE(out.find("outside a string literal"), std::string::npos) << out;

  Write("sample.idl", "[helpstring(\"表示は\\\"ソ\\\"\")]\n");
  ASSERT_EQ(Run(std::string(IDLGEN) + " --cp932 sample.idl -o out.idl", &out), 0) << out;
  // 表 = 95 5C, 示 = 8E A6, は = 82 CD, ソ = 83 5C.
  EXPECT_EQ(Read("out.idl"), "[helpstring(\"\x95\x5C\x5C\x8E\xA6\x82\xCD\\\"\x83\x5C\x5C\\\"\")]\n");

  Write("sample.idl", "[helpstring(\"\xF0\x9F\x98\x80\")]\n");  // an emoji
  EXPECT_EQ(Run(std::string(IDLGEN) + " --cp932 sample.idl -o out.idl", &out), 1);
  EXPECT_NE(out.find("code page 932 lacks"), std::string::npos) << out;
}

}  // namespace
