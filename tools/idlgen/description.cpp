#include "idlgen/description.h"

#include <cstdio>

namespace idlgen {
namespace {

std::optional<long long> BuiltinConstant(const std::string& name) {
  static const std::map<std::string, long long> builtin = {
      {"DISPID_VALUE", 0},      {"DISPID_UNKNOWN", -1}, {"DISPID_PROPERTYPUT", -3}, {"DISPID_NEWENUM", -4},
      {"DISPID_EVALUATE", -5}, {"TRUE", 1},            {"FALSE", 0},               {"VARIANT_TRUE", -1},
      {"VARIANT_FALSE", 0}};
  if (auto it = builtin.find(name); it != builtin.end()) return it->second;
  return std::nullopt;
}

}  // namespace

const Attribute* Find(const std::vector<Attribute>& attrs, const char* name) {
  for (const auto& a : attrs)
    if (a.name == name) return &a;
  return nullptr;
}

bool Has(const std::vector<Attribute>& attrs, const char* name) { return Find(attrs, name) != nullptr; }

std::string StringOf(const Attribute* a) {
  if (!a) return {};
  if (a->args.size() != 1 || a->args[0].kind != Token::string) throw Error(a->name + " needs one text");
  return a->args[0].text;
}

long long ValueOf(const Attribute& a, const Description& d) {
  long long value = 0, sign = 1;
  bool seen = false;
  for (const Token& t : a.args) {
    if (t.kind == Token::punct && t.text == "-") {
      sign = -sign;
      continue;
    }
    long long v;
    if (t.kind == Token::number) {
      v = t.value;
    } else if (t.kind == Token::identifier) {
      std::optional<long long> constant = ConstantOf(t.text, d);
      if (!constant) throw Error(a.name + ": unknown constant " + t.text);
      v = *constant;
    } else {
      throw Error(a.name + ": unexpected " + t.text);
    }
    if (seen) throw Error(a.name + ": one value expected");
    value = sign * v;
    seen = true;
  }
  if (!seen) throw Error(a.name + " needs a value");
  return value;
}

std::optional<long long> ConstantOf(const std::string& name, const Description& d) {
  if (auto it = d.constants.find(name); it != d.constants.end()) return it->second;
  return BuiltinConstant(name);
}

Guid GuidOf(const Attribute* a) {
  Guid g;
  if (!a) return g;
  std::string text = StringOf(a);
  unsigned v[11];
  char extra;
  if (text.size() != 36 ||
      std::sscanf(text.c_str(), "%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x%c", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5],
                  &v[6], &v[7], &v[8], &v[9], &v[10], &extra) != 11)
    throw Error("bad uuid " + text);
  g.d1 = v[0];
  g.d2 = static_cast<std::uint16_t>(v[1]);
  g.d3 = static_cast<std::uint16_t>(v[2]);
  for (int i = 0; i < 8; ++i) g.d4[i] = static_cast<std::uint8_t>(v[3 + i]);
  return g;
}

}  // namespace idlgen
