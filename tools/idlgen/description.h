#pragma once
// What the parser makes of an IDL file: its enumerations, interfaces and
// library block as written, attributes kept as tokens until a writer asks
// for their meaning through the readers at the end of this file.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "idlgen/lexer.h"

namespace idlgen {

struct Attribute {
  std::string name;
  std::vector<Token> args;  // tokens, or one string token with the raw text
};

struct WrittenType {
  std::string base;  // as written: long, BSTR, VARIANT, an enum or interface name
  int pointers = 0;
};

struct Param {
  std::string name;
  WrittenType type;
  std::vector<Attribute> attrs;
};

struct Member {
  std::string name;
  WrittenType result;
  std::vector<Param> params;
  std::vector<Attribute> attrs;
  int line = 0;
};

struct Interface {
  std::string name, base;
  std::vector<Attribute> attrs;
  std::vector<Member> members;
};

struct Enumerator {
  std::string name;
  long long value = 0;
};

struct Enum {
  std::string name;
  std::vector<Attribute> attrs;
  std::vector<Enumerator> values;
};

struct CoclassEntry {
  std::string interface;
  std::vector<Attribute> attrs;
};

struct Coclass {
  std::string name;
  std::vector<Attribute> attrs;
  std::vector<CoclassEntry> interfaces;
};

struct Library {
  std::string name;
  std::vector<Attribute> attrs;
  std::vector<Coclass> coclasses;
};

struct Description {
  std::map<std::string, Enum> enums;
  std::map<std::string, Interface> interfaces;
  std::map<std::string, long long> constants;  // enumerators, for expressions
  std::optional<Library> library;
};

// --- Reading attributes ------------------------------------------------------

const Attribute* Find(const std::vector<Attribute>& attrs, const char* name);
bool Has(const std::vector<Attribute>& attrs, const char* name);

// The text of helpstring("..."), uuid(...) or version(...); empty for no
// attribute.
std::string StringOf(const Attribute* a);

// The value of id(...), helpcontext(...), lcid(...) or defaultvalue(...): a
// number or a constant, with any number of minus signs before it.
long long ValueOf(const Attribute& a, const Description& d);

// An enumerator of the file, or one of the few constants of the platform's
// headers that an automation IDL uses (idlgen does not read those headers).
std::optional<long long> ConstantOf(const std::string& name, const Description& d);

struct Guid {
  std::uint32_t d1 = 0;
  std::uint16_t d2 = 0, d3 = 0;
  std::uint8_t d4[8] = {};
};

// The GUID of uuid(...); all zero for no attribute.
Guid GuidOf(const Attribute* a);

}  // namespace idlgen
