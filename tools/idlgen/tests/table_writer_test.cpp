// The type library written for data/sample.idl, which uses every type and
// attribute of dovrel60.idl, and the writer's refusals. idlgen_test.cpp
// compiles the same output against data/sample.h.
#include "idlgen/table_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "idlgen/library_types.h"
#include "idlgen/literals.h"
#include "idlgen/parser.h"
#include "tool_support/files.h"
#include "tool_support/testing.h"

namespace {

idlgen::Description Sample() { return idlgen::Parse(tool_support::ReadFile(SAMPLE_IDL), "sample.idl"); }

TEST(IdlgenLibraryTypes, InTheOrderTheLibraryFirstRefersToThem) {
  std::vector<std::string> names;
  for (const auto& type : idlgen::LibraryTypes(Sample())) names.push_back(type.name);
  // Each coclass, then its interface, then what the interface's parameters
  // use; tUnused is referred to by nothing and stays out.
  EXPECT_EQ(names, (std::vector<std::string>{"Item", "IItem", "All", "IAll", "tKind"}));
}

TEST(IdlgenTableWriter, EveryTypeAndAttributeOfTheSample) {
  const std::string source = idlgen::TableWriter(Sample()).Source("sample.h", "sample_lib.h");
  struct Case {
    const char* what;
    const char* text;
  } cases[] = {
      {"a property get by DISPID_NEWENUM, restricted, in the first slot after IDispatch's",
       "{-4, INVOKE_PROPERTYGET, FUNCFLAG_FRESTRICTED, 7, u\"_NewEnum\", nullptr, 0, kIAll_get__NewEnum_Params, 1, "
       "Invoke_IAll_get__NewEnum},"},
      {"IUnknown** counts its first pointer into the type",
       "{u\"pVal\", {VT_UNKNOWN, 1, 0}, PARAMFLAG_FOUT | "
       "PARAMFLAG_FRETVAL, 0},"},
      {"OLE_COLOR is stdole's type",
       "{u\"newVal\", {VT_USERDEFINED, 0, AUTOMATION_STDOLE_OLE_COLOR}, PARAMFLAG_FIN, 0}"},
      {"a help context", "{1, INVOKE_PROPERTYGET, 0, 8, u\"Colour\", nullptr, 24201, "},
      {"propputref", "{2, INVOKE_PROPERTYPUTREF, 0, 10, u\"Item\", "},
      {"an interface by its index in the library", "{u\"newVal\", {VT_USERDEFINED, 1, 1}, PARAMFLAG_FIN, 0}"},
      {"two function flags", "{3, INVOKE_FUNC, FUNCFLAG_FRESTRICTED | FUNCFLAG_FHIDDEN, 11, u\"Add\", "},
      {"an optional VARIANT", "{u\"Date\", {VT_VARIANT, 0, 0}, PARAMFLAG_FIN | PARAMFLAG_FOPT, 0}"},
      {"a default naming an enumerator makes the parameter optional",
       "{u\"Kind\", {VT_USERDEFINED, 0, 4}, PARAMFLAG_FIN | PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT, 1}"},
      {"a negative default", "{u\"Limit\", {VT_I4, 0, 0}, PARAMFLAG_FIN | PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT, -1}"},
      {"short", "{u\"Count\", {VT_I2, 0, 0}, PARAMFLAG_FIN, 0}"},
      {"[in, out] interface", "{u\"Obj\", {VT_USERDEFINED, 2, 1}, PARAMFLAG_FIN | PARAMFLAG_FOUT, 0}"},
      {"[out] VARIANT*", "{u\"Found\", {VT_VARIANT, 1, 0}, PARAMFLAG_FOUT, 0}"},
      {"long, short* and long*", "->Count(a[0].lVal, a[1].piVal, a[2].plVal);"},
      {"VARIANT_BOOL*", "{u\"pVal\", {VT_BOOL, 1, 0}, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL, 0}"},
      {"a property with an index",
       "{u\"Index\", {VT_I2, 0, 0}, PARAMFLAG_FIN, 0},\n    {u\"pVal\", "
       "{VT_USERDEFINED, 1, 4}, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL, 0},"},
      {"no parameters", "{6, INVOKE_FUNC, 0, 15, u\"Clear\", nullptr, 0, nullptr, 0, Invoke_IAll_Clear},"},
      {"a Japanese help string", "u\"\\u540D\\u524D\""},
      {"an enumerator by expression", "{u\"tBoth\", 3, nullptr, 0},"},
      {"the header's enumerators checked", "static_assert(tAll == -1, \"tKind::tAll in the public header"},
      {"hidden and nonextensible",
       "{TKIND_DISPATCH, u\"IAll\", {0xAFC03C59, 0xE6D7, 0x4BE6, {0xB5, 0xEB, 0x54, 0xBC, 0x98, 0xFC, 0x63, 0x89}}, "
       "TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE | TYPEFLAG_FHIDDEN | "
       "TYPEFLAG_FNONEXTENSIBLE, nullptr, 0, kIAllFunctions, 10, "},
      {"noncreatable",
       "{TKIND_COCLASS, u\"Item\", {0x876C5C5D, 0xC327, 0x4ED1, {0x96, 0xC8, 0xA8, 0x51, 0x6A, 0xA2, "
       "0x8D, 0xAD}}, 0, nullptr, 0, "},
      {"creatable",
       "{TKIND_COCLASS, u\"All\", {0x4E451F8E, 0x7EFE, 0x4EB8, {0xBF, 0x93, 0xD3, 0x87, 0x6D, 0x22, 0x85, "
       "0x18}}, TYPEFLAG_FCANCREATE, "},
      {"the default interface", "const INT kItemImplementedFlags[] = {IMPLTYPEFLAG_FDEFAULT, };"},
      {"version, lcid and help of the library",
       "1, 0, 1033, 0,\n    u\"SampleLib\",\n    u\"Sample Library\", "
       "24000,\n    kTypes, 5};"},
      // The thunks: each argument read from the member of its VARIANTARG.
      {"the method's type checked", "HRESULT (IAll::*)(VARIANT, tKind, SHORT, IItem**)"},
      {"VARIANT by value, enum as long", "->Add(a[0], static_cast<tKind>(a[1].lVal), a[2].iVal, &t3);"},
      {"interface in", "->putref_Item(static_cast<IItem*>(static_cast<void*>(a[0].punkVal)));"},
      {"interface in and out through a temporary", "  IItem* t0;\n  std::memcpy(&t0, a[0].byref, sizeof t0);\n"},
      {"an enum out copied back",
       "  tKind t1 = static_cast<tKind>(*a[1].plVal);\n  HRESULT hr = "
       "static_cast<IAll*>(instance)->get_Kind(a[0].iVal, &t1);\n  *a[1].plVal = t1;\n"},
      {"the slot check", "Check(mismatches, \"IAll::Clear\", SlotOf(&IAll::Clear), 15);"},
  };
  for (const Case& c : cases) EXPECT_NE(source.find(c.text), std::string::npos) << c.what << ":\n" << c.text;
}

TEST(IdlgenTableWriter, RefusesWhatIsNoAutomationLibrary) {
  const std::string lib =
      "\n[uuid(11111111-2222-3333-4444-666666666666), version(1.0)] library L { coclass C { interface I; }; };";
  const std::string head = "[uuid(11111111-2222-3333-4444-555555555555), dual] interface I : IDispatch {\n";
  struct Case {
    std::string idl;
    const char* message;
  } cases[] = {
      {head + "  [id(1)] HRESULT M([in] IUnknown u);\n};" + lib, "line 2: IUnknown by value"},
      {head + "  [id(1)] HRESULT M([in] I i);\n};" + lib, "line 2: I by value"},
      {head + "\n  [id(1)] HRESULT M([in] wchar_t c);\n};" + lib, "line 3: unknown type wchar_t"},
      {head + "  [id(1)] HRESULT M([out] BSTR** s);\n};" + lib,
       "line 2: BSTR with more than one * is not an automation type"},
      {head + "  [id(1)] long M();\n};" + lib, "I::M must return HRESULT"},
      {head + "  [id(UNKNOWN_ID)] HRESULT M();\n};" + lib, "id: unknown constant UNKNOWN_ID"},
      {head + "  [id(1 2)] HRESULT M();\n};" + lib, "id: one value expected"},
      {head + "  [id(1), helpstring(1)] HRESULT M();\n};" + lib, "helpstring needs one text"},
      {head + "};\n[uuid(11111111-2222-3333-4444-666666666666)] library L { coclass C { interface J; }; };",
       "interface J is not defined"},
      {head + "};\n[uuid(11111111-2222-3333-4444-666666666666), version(one)] library L { };",
       "bad library version one"},
      {head + "};", "no library block"},
      {head + "};\n[uuid(not-a-guid), version(1.0)] library L { };", "bad uuid not-a-guid"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(tool_support::MessageOf([&] { idlgen::TableWriter(idlgen::Parse(c.idl, "f.idl")).Source("p.h", "g.h"); }),
              c.message);
}

TEST(IdlgenLiterals, Utf16LiteralsAreAsciiWhateverTheText) {
  struct Case {
    const char* text;
    const char* literal;
  } cases[] = {
      {"", "u\"\""},
      {"Day \"Class\" \\", "u\"Day \\\"Class\\\" \\\\\""},
      {"色\n", "u\"\\u8272\\u000A\""},
      {"\xF0\x9F\x98\x80", "u\"\\U0001F600\""},  // beyond the BMP: one character, not two surrogates
  };
  for (const Case& c : cases) EXPECT_EQ(idlgen::Utf16Literal(c.text), c.literal) << c.text;
  EXPECT_THROW(idlgen::Utf16Literal("\xE8\xA1"), idlgen::Error) << "cut short";
  EXPECT_THROW(idlgen::Utf16Literal("\xC0\xAF"), idlgen::Error) << "an overlong form";
}

}  // namespace
